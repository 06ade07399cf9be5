#pragma once
// A builder table for the generator's tests, display test and benchmark. Its records are made
// from the request alone, so a test knows every pixel it expects:
//  - images: colour and normal pixels derived from (key, level, generation, x, y), a few with
//    alpha 0x10 and 0x20 (as tree images and mosaic joints carry);
//  - side per (kind, level), by default the real builders' sides;
//  - mesh: a quad over the request's box (the face quad for kind 0), or in the sized mode the
//    real builders' mesh sizes;
//  - transform: identity for faces, the payload position for objects.
// Options: wait at a WarteZaehler gate (the job suspends, its worker goes on), throw, hand back
// bad images, extra work in the job (the soak). Every call is logged, thread-safe.
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "Generator.h"

class TestErbauer {
 public:
  using Generator = Spiel::Generator;

  struct Aufruf {
    uint32_t art, key, stufe, generation;
    uint64_t nummer;  // 0 for the first call
  };

  enum class Fehler {
    Keiner,
    Wirf,              // throws std::runtime_error
    Leer,              // no images at all
    NichtQuadratisch,  // colour S x S/2, normal the same
    KeineZweierpotenz, // 96 x 96
    FalschesFormat,    // R5G6B5
    UngleicheGroessen, // normal S/2 x S/2
    OhneDreiecke,      // images fine, no indices
  };

  struct Einstellung {
    Zarvo_Parallel::WarteZaehler* tor = nullptr;
    std::function<bool(const Aufruf&)> amTor;                   // which calls wait; all when empty
    std::function<Fehler(const Aufruf&)> fehler;                // none when empty
    std::function<uint32_t(const Aufruf&)> seite;                 // RealeSeite when empty
    bool gross = false;                                           // the real builders' mesh sizes
    std::function<void(Generator&, const Aufruf&)> zusatz;        // more work inside the job
  };

  TestErbauer();
  explicit TestErbauer(Einstellung einstellung) : einstellung(std::move(einstellung)) {}

  // Entries for kinds 0, 1, 3, 4 and 5; kinds 2 and 6 stay empty. The table refers to this object.
  Generator::Erbauer Tabelle();
  void Setze(Einstellung neu);
  std::vector<Aufruf> Aufrufe() const;
  size_t AnzahlAufrufe() const;

  // 64 << L faces and gates, 32 << L levers, max(16 << L, 64) buttons, 32 trees.
  static uint32_t RealeSeite(uint32_t art, uint32_t stufe);
  static uint32_t FarbPixel(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t x, uint32_t y);
  static uint32_t NormalPixel(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t x, uint32_t y);
  // The images a call of (key, level, generation) hands in at side `seite`.
  static Zarvo_Bild Farbbild(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t seite);
  static Zarvo_Bild Normalbild(uint32_t key, uint32_t stufe, uint32_t generation, uint32_t seite);

 private:
  Generator::FertigerPatch Baue(Generator& generator, uint32_t art, uint32_t key, uint32_t stufe, uint32_t generation,
                                const BVektor3<float>& position, const Generator::FlaechenPatch* flaeche);
  Aufruf Melde(uint32_t art, uint32_t key, uint32_t stufe, uint32_t generation, Einstellung& kopie);

  mutable std::mutex mutex;
  Einstellung einstellung;
  std::vector<Aufruf> aufrufe;
};

#pragma once
// The patch generator: everything of the level that is drawn as generated geometry is a patch
// (a visible block face, a gate, lever, button or tree), a small mesh with a colour and a normal
// image baked at a detail level that grows as the viewer comes near.
//
// Who runs what. Every public operation runs on the main thread (inside the frame step), except
// the builders and the three operations they call (LiesAnforderung, SucheNachbarn and the static
// helpers), which run in the generator's jobs on the parallel core's workers.
//  - The scene requests patches by key with a descriptor (FordereAn) and drops them (Verwirf).
//  - Each frame, AktualisierePatches releases patches farther than 80 units and starts jobs for
//    the (at most 16) most urgent ones; no job starts while 2 x processors jobs are pending.
//  - A job reads its request, calls the builder of the descriptor's kind, stamps key, level,
//    generation and its job number into the returned record and hands it in (lock fertigSperre,
//    append, unlock, then count `offen` down as its last touch of the generator). A builder that
//    throws gets an error line and an empty record; kinds without a builder hand in nothing.
//    Builders: FertigerPatch (Generator&, uint32_t key, uint32_t stufe, uint32_t generation,
//    const <Kind>& payload), reading other requests only through LiesAnforderung and SucheNachbarn.
//  - UebernimmFertigePatches, after AktualisierePatches, takes over every finished record: uploads
//    the mesh, fills a render instance of the scene's pool and draws the images into the pages.
//    A gate, lever or button that gets a new instance is announced through beiNeuerInstanz.
//
// The two locks. `sperre` (the fiber reader/writer lock) guards the request table: the main thread
// writes it under the exclusive side and reads it without the lock; jobs read it under the
// shared side. `fertigSperre` (a std::mutex) guards the finished list: jobs append, the main thread
// swaps the whole list out. The built table, the pages and all device objects are the main
// thread's alone.
//
// The generation rule. One generator-wide counter gives every request and every neighbour bump
// the next, larger generation, so generations of a key only grow, also across a drop and a new
// request. A built patch is current when it has the request's generation at the target level.
// A record is stale (skipped) when the built entry has its level and a generation at least its
// own. Each job has a number, kept in the built entry beside the job's handle and carried in its
// record; only the record with the entry's number ends the entry's job in flight.
//
// The road from job to page. A record whose images are square powers of two (1..4096, A8R8G8B8,
// colour and normal of one size) gets a rectangle in the first image page with room (a new 4096²
// page pair when none has); other records are stored as built without mesh, instance or rectangle
// (records without triangles silently, the rest with one consistency line), so they are not
// rebuilt until their request changes. The
// images of all records of one call are cut into T x T tiles (T the smallest width placed), copied
// into staging atlas pairs of at most 4096² and drawn unchanged into the pages, once per pair,
// page and image type. Pages are volatile render targets: after a device reset or an eviction
// every patch on a page is rebuilt at its level, its old mesh and instance staying meanwhile.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <unordered_map>
#include <variant>
#include <vector>

#include "BVektor3.h"
#include "Modell.h"
#include "NachbarRaster.h"
#include "RenderInstanz.h"
#include "TPlatz.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_ParallelSperre.h"
#include "Zarvo_SpriteListe.h"
#include "Zarvo_SpriteStapel.h"
#include "Zarvo_Textur.h"

class Zarvo_AlphaZustand;
class Zarvo_Renderziel;
class Zarvo_ZeichenKontext;

namespace Spiel {

class Generator {
 public:
  // ---- descriptors: the payload of each patch kind (the variant index is the kind) ----
  // Aggregates without member initialisers (a variant member of a nested struct needs them
  // default-constructible while the class is incomplete): write X{} for a zeroed payload.
  struct FlaechenPatch {  // 0: a block face; corners p, p + a, p + b, p + b + c
    BVektor3<float> p, a, b, c;
    uint32_t material;
    bool operator==(const FlaechenPatch&) const = default;  // field by field, floats by value
  };
  struct GitterPatch {  // 1: centre, facing direction, slide direction
    BVektor3<float> position, a, b;
    bool operator==(const GitterPatch&) const = default;  // field by field, floats by value
  };
  struct DruckplattenPatch {  // 2: builds nothing; the faces paint it
    BVektor3<float> position;
    bool operator==(const DruckplattenPatch&) const = default;  // field by field, floats by value
  };
  struct HebelPatch {  // 3: position, wall normal, swing direction, swing axis
    BVektor3<float> position, d0, e1, e2;
    bool operator==(const HebelPatch&) const = default;  // field by field, floats by value
  };
  struct KnopfPatch {  // 4
    BVektor3<float> position, richtung;
    float groesse;
    bool operator==(const KnopfPatch&) const = default;  // field by field, floats by value
  };
  struct BaumPatch {  // 5: the four floats are compared, not read by the builder
    BVektor3<float> position;
    float startneigung0, startneigung1, laubDran, laubDrunter;
    uint64_t seed;
    bool operator==(const BaumPatch&) const = default;  // field by field, floats by value
  };
  struct MosaikPatch {  // 6: builds nothing; the faces paint it
    BVektor3<float> position, richtung, achse1, achse2;
    float breite, hoehe;
    uint32_t bild;
    bool operator==(const MosaikPatch&) const = default;  // field by field, floats by value
  };
  using PatchBeschreibung =
      std::variant<FlaechenPatch, GitterPatch, DruckplattenPatch, HebelPatch, KnopfPatch, BaumPatch, MosaikPatch>;
  static constexpr uint32_t ANZAHL_ARTEN = 7;
  static_assert(sizeof(FlaechenPatch) <= 64 && sizeof(GitterPatch) <= 64 && sizeof(DruckplattenPatch) <= 64 &&
                sizeof(HebelPatch) <= 64 && sizeof(KnopfPatch) <= 64 && sizeof(BaumPatch) <= 64 && sizeof(MosaikPatch) <= 64);

  static constexpr uint32_t KEINE_SEITE = ~0u;
  static constexpr uint32_t SEITEN_KANTE = 4096;
  static constexpr float FERN_QUADRAT = 6400;  // d² beyond which a built patch is released
  static constexpr uint32_t MAX_KANDIDATEN = 16;

  using Nachbarmaske = uint32_t;

  // Up to 8 neighbour keys, inline.
  struct Nachbarn {
    static constexpr uint32_t MAX = 8;
    std::array<uint32_t, MAX> keys{};
    uint32_t anzahl = 0;
    void Fuege(uint32_t key) {
      if (anzahl < MAX) keys[anzahl++] = key;
    }
    std::span<const uint32_t> Liste() const { return {keys.data(), anzahl}; }
  };

  // Entry of the request table.
  struct Anforderung {
    PatchBeschreibung beschreibung;
    BVektor3<float> mitte;         // centre of the axis-aligned box
    BVektor3<float> halbeGroesse;  // its half extents
    uint32_t generation = 0;
  };

  // Entry of the built table (main thread only).
  struct Patch {
    std::unique_ptr<Modell> modell;
    uint64_t instanz = RenderInstanzPool::KEINE_INSTANZ;
    uint32_t seite = KEINE_SEITE;
    uint32_t stufe = 0;       // 0: nothing built
    uint32_t generation = 0;  // 0 initially, and again when its page was lost
    uint32_t x = 0, y = 0;
    uint32_t breite = 0, hoehe = 0;
    Nachbarn nachbarn;
    Zarvo_Parallel::AuftragsHandle auftrag;  // the job in flight; empty when none
    uint64_t auftragsNummer = 0;             // its number
    Nachbarmaske nachbarmaske = 1;
  };

  // What a builder returns and its job hands in.
  struct FertigerPatch {
    uint32_t key = 0;
    uint32_t stufe = 0;
    uint32_t generation = 0;
    std::vector<WeltVertex> vertices;  // u, v in [0, 1] of the patch's own images
    std::vector<uint32_t> indices;     // three per triangle
    Zarvo_Bild farbe;                  // A8R8G8B8, square
    Zarvo_Bild normale;                // the same size
    float transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // row by row
    Nachbarn nachbarn;
    uint64_t auftragsNummer = 0;  // set by the job body
  };

  // A page texture: a 4096² volatile render target that notes when the device dropped its
  // contents (a reset, or an eviction, which goes through the same release).
  class SeitenTextur : public Zarvo_Textur {
   public:
    explicit SeitenTextur(Zarvo_ZeichenKontext& kontext);
    void VorZuruecksetzen() override;
    bool verloren = false;
  };
  // One image page: two page textures, a target on each and one packer for both.
  struct Seite {
    SeitenTextur* farbTextur = nullptr;
    SeitenTextur* normalTextur = nullptr;
    Zarvo_Renderziel* farbZiel = nullptr;
    Zarvo_Renderziel* normalZiel = nullptr;
    TPlatz platz{SEITEN_KANTE, SEITEN_KANTE};
  };

  // The builders, one per kind. An empty entry builds nothing (kinds 2 and 6 always).
  template <class Nutzlast>
  using ErbauerFunktion =
      std::function<FertigerPatch(Generator&, uint32_t key, uint32_t stufe, uint32_t generation, const Nutzlast& payload)>;
  struct Erbauer {
    ErbauerFunktion<FlaechenPatch> flaeche;
    ErbauerFunktion<GitterPatch> gitter;
    ErbauerFunktion<DruckplattenPatch> druckplatte;
    ErbauerFunktion<HebelPatch> hebel;
    ErbauerFunktion<KnopfPatch> knopf;
    ErbauerFunktion<BaumPatch> baum;
    ErbauerFunktion<MosaikPatch> mosaik;
  };
  // The game's builders: faces, gates, levers, buttons (PatchErbauer.h) and trees (Baum.h).
  static Erbauer StandardErbauer();
  // Paints a mosaic into a face's colour image and S x S position buffer (S the image's side):
  // tiles where the picture is opaque, 0.002 out along its direction, joints at the wall surface
  // (Mosaik.cpp).
  static void BaueMosaik(const FlaechenPatch& flaeche, const MosaikPatch& mosaik, std::span<BVektor3<float>> positionen,
                         Zarvo_Bild& farbe);

  // The tiles of one call (a pure plan, see UebernimmFertigePatches).
  struct KachelEingabe {  // one placed record
    uint32_t breite, hoehe, seite, x, y;
  };
  struct KachelPlan {
    struct Paar {  // one staging atlas pair
      uint32_t breite = 0, hoehe = 0;
      uint32_t ersteKachel = 0, anzahl = 0;
    };
    struct Kachel {
      uint32_t datensatz;       // index into the input
      uint32_t quellX, quellY;  // (i·T, j·T) in the record's images
      uint32_t eintrag;         // entry number in its pair's atlases
      uint32_t paar;
      uint32_t seite;
      uint32_t zielX, zielY;  // (x + i·T, y + j·T) in the page
    };
    uint32_t T = 0;
    std::vector<Paar> paare;
    std::vector<Kachel> kacheln;
  };
  // T = the smallest width; per record its tiles row by row; consecutive pairs of at most
  // (4096 / T)² tiles, each n tiles wide ceil(n / rows)·T and high rows·T, rows = ceil(n·T / 4096).
  static KachelPlan PlaneKacheln(std::span<const KachelEingabe> eingaben);

  // What the last UebernimmFertigePatches did, for measurements.
  struct Uebernahme {
    uint32_t datensaetze = 0;  // records taken
    uint32_t platziert = 0;    // records placed in pages
    uint32_t kacheln = 0;
    uint32_t paare = 0;
    double sekundenPlatz = 0;       // TPlatz::HolePlatz
    double sekundenNeueSeiten = 0;  // making new pages
    double sekundenModelle = 0;   // mesh uploads
    double sekundenStaging = 0;   // staging atlases: copies, CPU mip chains, textures
    double sekundenZeichnen = 0;  // the tile draws
    double sekundenGesamt = 0;
  };

  // Empty tables, no pages; the blend state, the sprite lists and the batch on the screen's
  // drawing context. The pool receives the patches' render instances.
  explicit Generator(RenderInstanzPool& pool, Erbauer erbauer = StandardErbauer());
  // Sets stopp, waits for every job (a job suspends, a plain thread blocks), then frees models,
  // pages and device objects. Render instances are not returned.
  ~Generator();
  Generator(const Generator&) = delete;
  Generator& operator=(const Generator&) = delete;

  // ---- requests (main thread) ----
  // A block face: the box of its four corners, then the general request with kind 0.
  void FordereAn(uint32_t key, const FlaechenPatch& flaeche);
  // Unchanged descriptor: nothing. Otherwise the built patch goes at once, the request takes the
  // next generation, and the patches within 0.1 of the new box, and of the old box when the box
  // moved, get the next generation too.
  void FordereAn(uint32_t key, const PatchBeschreibung& beschreibung, BVektor3<float> mitte, BVektor3<float> halbeGroesse);
  // The patch is no longer wanted: the patches within 0.1 of its box get the next generation,
  // the built patch and the request go.
  void Verwirf(uint32_t key);

  // ---- per frame (main thread) ----
  void AktualisierePatches(BVektor3<float> position);
  void UebernimmFertigePatches();

  // ---- lookups ----
  // The built entry of a key, or null (main thread).
  const Patch* GibPatch(uint32_t key) const;
  // Whether the key is requested; the main thread's read without the lock.
  bool HatAnforderung(uint32_t key) const;
  // A copy of the key's request under one shared acquisition (for builders in jobs).
  std::optional<Anforderung> LiesAnforderung(uint32_t key);
  // Keys of all other requests whose boxes come within `abstand` of the key's box on every axis
  // (strict); shared lock. Nothing for a key without a request.
  void SucheNachbarn(std::vector<uint32_t>& ergebnis, uint32_t key, float abstand);
  // Returns when no job is pending (the destructor's wait); suspends inside a job.
  void WarteAufOffene();

  uint64_t Offen() const { return offen.anzahl.load(); }
  // Requests and built entries (main thread).
  uint64_t AnzahlAnforderungen() const { return anforderungen.size(); }
  uint64_t AnzahlPatches() const { return patches.size(); }
  const std::vector<Seite>& Seiten() const { return seiten; }
  template <class F>
  void FuerAllePatches(F&& f) const {
    for (const auto& [key, patch] : patches) f(key, patch);
  }
  const Uebernahme& LetzteUebernahme() const { return letzteUebernahme; }

  // Called when a gate, lever or button record is applied to an entry without a render
  // instance (first build, after a far release or a descriptor change), with the key and the new
  // instance: the mechanism sets the pose from its state there. Level rebuilds keep the pose.
  std::function<void(uint32_t key, uint64_t instanz)> beiNeuerInstanz;

  // ---- helpers ----
  // Same kind and every compared field equal (floats by value); two valueless variants are equal.
  static bool PatchGleich(const PatchBeschreibung& a, const PatchBeschreibung& b);
  // Edge copy on the whole image: top row from the row below, left column from its right, right
  // column from its left, bottom row from the row above; `height` pixels per column. Images below
  // 2 x 2 and other formats than A8R8G8B8 stay as they are.
  static void KopiereRand(Zarvo_Bild& bild);
  // A << 24 | R << 16 | G << 8 | B, each channel trunc(clamp(c · 255 + 0.5, 0, 255)); NaN gives 0.
  static uint32_t PackeFarbe(float r, float g, float b, float a);
  // The detail level 1..4 for d² up to 6400.
  static uint32_t StufeFuerAbstand(float abstandQuadrat);

 private:
  struct KeyHash {
    size_t operator()(uint32_t key) const;  // FNV-1a 64 over the key's four bytes
  };
  struct Platzierung {
    uint32_t seite, x, y;
  };
  struct Kandidaten;

  void SucheNachbarnVon(std::vector<uint32_t>& ergebnis, uint32_t key, BVektor3<float> mitte, BVektor3<float> halbeGroesse,
                        float abstand);
  void HebeGenerationen(const std::vector<uint32_t>& keys);
  void GibPatchFrei(Patch& patch);
  void EntfernePatch(uint32_t key);
  void StarteAuftrag(uint32_t key, uint32_t ziel);
  void FuehreAuftragAus(uint32_t key, uint32_t stufe, uint64_t nummer);
  FertigerPatch RufeErbauer(uint32_t key, uint32_t stufe, const Anforderung& anforderung, bool& gebaut);
  void HandeEin(FertigerPatch&& datensatz);

  void MarkiereVerloreneSeiten();
  bool UebernimmDatensatz(FertigerPatch& datensatz, Patch& patch, Uebernahme& bilanz);
  void SpeichereOhneInhalt(const FertigerPatch& datensatz, Patch& patch);
  void FuelleInstanz(Patch& patch, const float* transform);
  void SetzeNachbarmasken(const Patch& patch);
  Nachbarmaske BerechneMaske(const Patch& patch) const;
  Platzierung PlatziereBild(uint32_t breite, uint32_t hoehe, Uebernahme& bilanz);
  Seite LegeSeiteAn();
  void ZeichneKacheln(std::vector<FertigerPatch*>& platziert, std::span<const KachelEingabe> eingaben, Uebernahme& bilanz);
  void SichereSeite(Seite& seite);
  void ErneuereZiele(Seite& seite);
  void GibSeiteFrei(Seite& seite);

  Zarvo_Parallel::LeseSchreibSperre sperre;
  std::unordered_map<uint32_t, Anforderung, KeyHash> anforderungen;
  NachbarRaster raster;  // the request boxes by cell, changed with the table under the same lock
  std::mutex fertigSperre;
  std::vector<FertigerPatch> fertig;
  std::unordered_map<uint32_t, Patch, KeyHash> patches;
  RenderInstanzPool& pool;
  std::vector<Seite> seiten;
  std::atomic<uint8_t> stopp{0};
  Zarvo_Parallel::WarteZaehler offen;
  Zarvo_AlphaZustand* alphaZustand = nullptr;
  Zarvo_SpriteListe farbListe;
  Zarvo_SpriteListe normalListe;
  Zarvo_SpriteStapel stapel;

  const Erbauer erbauer;
  uint32_t generationsZaehler = 1;  // main thread; the last generation given
  uint64_t auftragsZaehler = 0;     // main thread; the last job number given
  Uebernahme letzteUebernahme;
};

}  // namespace Spiel

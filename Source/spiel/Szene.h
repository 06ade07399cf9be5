#pragma once
// The live level. So far: the render instances and the table of scene-item definitions.
//
// A render instance is one drawable thing of the level (a generated patch or a scene item): a mesh,
// two page textures, world bounds and a world matrix. All of them live in one slot pool; a slot's
// index is the instance's id. The patch generator and the scene items fill and free slots, the
// mechanisms move instances by changing their matrix, the world renderer draws every live one.
//
// Growing the pool moves the records: nobody keeps an Instanz& across a reservation.
#include <bit>
#include <cstdint>
#include <vector>

class Zarvo_Textur;

namespace Spiel {

class Modell;

class Szene {
 public:
  static constexpr uint64_t KEINE_INSTANZ = ~uint64_t(0);

  struct Instanz {
    const Modell* modell = nullptr;  // not owned
    Zarvo_Textur* farbTextur = nullptr;
    Zarvo_Textur* normalTextur = nullptr;
    float mitte[3] = {};         // world bounds: centre
    float halbeGroesse[3] = {};  // and half extents
    uint32_t dreiecke = 0;       // index-buffer bytes / 12
    // 4 x 4, row by row, the translation in the fourth column of the first three rows (doubled units).
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    uint32_t nachbarmaske = 1;
    uint32_t einsen = ~0u;
  };

  // The slot pool: records, one live bit per slot (u64 words), the capacity in slots (a multiple
  // of 64) and the first-free hint (the scan for a free slot starts at its word).
  struct InstanzPool {
    std::vector<Instanz> instanzen;
    std::vector<uint64_t> lebend;
    uint64_t kapazitaet = 0;
    uint64_t ersterFreier = 0;

    // A free slot: the lowest clear bit of the first word from the hint's word that is not full.
    // When there is none, the pool grows to max(2 x capacity, 64) rounded up to 64 (records and
    // bits move, the new bits clear). The slot stays free until SetzeLebend.
    uint64_t Reserviere();
    // Sets the slot's live bit and raises the hint by one: every filler calls this after filling.
    void SetzeLebend(uint64_t id);
    // Clears the live bit of a live slot inside the pool and lowers the hint to it; false (and
    // nothing changes) for any other id.
    bool GibFrei(uint64_t id);
    bool IstLebend(uint64_t id) const;
    // World bounds from the mesh's local bounds and the matrix: centre = M · local centre, half
    // extent i = Σ_j |m_ij| · local half extent j. Without a mesh: centre = translation, halves 0.
    static void BerechneGrenzen(Instanz& instanz);

    Instanz& operator[](uint64_t id) { return instanzen[id]; }
    const Instanz& operator[](uint64_t id) const { return instanzen[id]; }

    // Calls f(id, instanz) for every live slot in ascending order.
    template <class F>
    void FuerLebende(F&& f) {
      for (uint64_t w = 0; w < lebend.size(); ++w)
        for (uint64_t bits = lebend[w]; bits != 0; bits &= bits - 1) {
          const uint64_t id = w * 64 + uint64_t(std::countr_zero(bits));
          f(id, instanzen[id]);
        }
    }

   private:
    void Wachse();
  };

  // A free instance slot (InstanzPool::Reserviere); the caller fills it, calls SetzeLebend and
  // then AktualisiereInstanzGrenzen.
  uint64_t ReserviereInstanz() { return instanzen.Reserviere(); }
  // Recomputes the world bounds of the instance from its mesh and matrix.
  void AktualisiereInstanzGrenzen(uint64_t id) { InstanzPool::BerechneGrenzen(instanzen[id]); }

  InstanzPool instanzen;

  // A scene-item definition, chosen by the "Def-Index" argument of a "SzeneGegenstand".
  struct GegenstandDef {
    const char* name;  // the mesh
    float groesse;
  };
  static constexpr uint32_t ANZAHL_GEGENSTAENDE = 1;
  static const GegenstandDef Gegenstaende[ANZAHL_GEGENSTAENDE];
};

}  // namespace Spiel

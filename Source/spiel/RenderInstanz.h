#pragma once
// A render instance is one drawable thing of the level (a generated patch or a scene item): a mesh,
// two textures, world bounds and a world matrix. All of them live in the scene's slot pool; a
// slot's index is the instance's id. The patch generator and the scene items fill and free slots,
// the mechanisms move instances by changing their matrix, the world renderer draws every live one
// and skips a null mesh. The scene names them Szene::Instanz and Szene::InstanzPool.
#include <cstdint>

#include "SlotPool.h"

class Zarvo_TexturBasis;

namespace Spiel {

class Modell;

struct RenderInstanz {
  const Modell* modell = nullptr;  // not owned; null draws nothing
  Zarvo_TexturBasis* farbTextur = nullptr;
  Zarvo_TexturBasis* normalTextur = nullptr;
  float mitte[3] = {};         // world bounds: centre
  float halbeGroesse[3] = {};  // and half extents
  uint32_t dreiecke = 0;       // index-buffer bytes / 12
  // 4 x 4, row by row, the translation in the fourth column of the first three rows (doubled units).
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  uint32_t nachbarmaske = 1;
  uint32_t einsen = ~0u;
};

// Every filler reserves a slot, fills it, calls SetzeLebend and then BerechneGrenzen.
struct RenderInstanzPool : SlotPool<RenderInstanz> {
  static constexpr uint64_t KEINE_INSTANZ = ~uint64_t(0);

  // World bounds from the mesh's local bounds and the matrix: centre = M · local centre, half
  // extent i = Σ_j |m_ij| · local half extent j. Without a mesh: centre = translation, halves 0.
  static void BerechneGrenzen(RenderInstanz& instanz);
};

}  // namespace Spiel

#pragma once
// The game's graphics resources. So far: uploading a mesh.
#include <span>

#include "Modell.h"

namespace Spiel {

class Ressourcen {
 public:
  // A static vertex buffer of 24 bytes per vertex and a 32-bit index buffer on the screen's
  // drawing context, with the local bounds. Empty arrays make no buffers.
  static Modell LadeModellHoch(std::span<const WeltVertex> vertices, std::span<const uint32_t> indizes);
};

}  // namespace Spiel

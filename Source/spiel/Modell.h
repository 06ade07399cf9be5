#pragma once
// The drawable mesh of the game world: a vertex and an index buffer on the device and the mesh's
// local bounds. It owns both buffers and gives them back to the drawing context's registry.
#include <cstdint>

class Zarvo_IndexBuffer;
class Zarvo_VertexBuffer;
class Zarvo_ZeichenKontext;

namespace Spiel {

// The world vertex, 24 bytes: position, texture coordinates, one word.
struct WeltVertex {
  float x, y, z;
  float u, v;
  uint32_t wort;
};
static_assert(sizeof(WeltVertex) == 24);

class Modell {
 public:
  Modell() = default;
  Modell(Zarvo_ZeichenKontext* kontext, Zarvo_VertexBuffer* vertices, Zarvo_IndexBuffer* indizes);
  ~Modell();
  Modell(Modell&& anderes) noexcept;
  Modell& operator=(Modell&& anderes) noexcept;
  Modell(const Modell&) = delete;
  Modell& operator=(const Modell&) = delete;

  // False for a mesh without vertices or indices: nothing to draw.
  bool HatInhalt() const { return vertexBuffer != nullptr && indexBuffer != nullptr; }

  Zarvo_VertexBuffer* vertexBuffer = nullptr;
  Zarvo_IndexBuffer* indexBuffer = nullptr;
  float mitte[3] = {};
  float halbeAusdehnung[3] = {};

 private:
  void GibFrei();
  Zarvo_ZeichenKontext* kontext = nullptr;
};

}  // namespace Spiel

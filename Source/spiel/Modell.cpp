#include "Modell.h"

#include <utility>

#include "Zarvo_IndexBuffer.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_ZeichenKontext.h"

namespace Spiel {

Modell::Modell(Zarvo_ZeichenKontext* kontext, Zarvo_VertexBuffer* vertices, Zarvo_IndexBuffer* indizes)
    : vertexBuffer(vertices), indexBuffer(indizes), kontext(kontext) {}

Modell::~Modell() { GibFrei(); }

Modell::Modell(Modell&& anderes) noexcept { *this = std::move(anderes); }

Modell& Modell::operator=(Modell&& anderes) noexcept {
  if (this == &anderes) return *this;
  GibFrei();
  kontext = std::exchange(anderes.kontext, nullptr);
  vertexBuffer = std::exchange(anderes.vertexBuffer, nullptr);
  indexBuffer = std::exchange(anderes.indexBuffer, nullptr);
  for (int i = 0; i < 3; ++i) {
    mitte[i] = anderes.mitte[i];
    halbeAusdehnung[i] = anderes.halbeAusdehnung[i];
  }
  return *this;
}

void Modell::GibFrei() {
  if (kontext) {
    kontext->GibFrei(vertexBuffer);
    kontext->GibFrei(indexBuffer);
  }
  vertexBuffer = nullptr;
  indexBuffer = nullptr;
}

}  // namespace Spiel

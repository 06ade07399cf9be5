#include "Ressourcen.h"

#include <algorithm>
#include <cmath>

#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_ZeichenKontext.h"

namespace Spiel {

namespace {

// Centre = mean of the positions (summed in double), half extent = largest distance per axis.
void BerechneGrenzen(std::span<const WeltVertex> vertices, Modell& modell) {
  if (vertices.empty()) return;
  double summe[3] = {};
  for (const WeltVertex& v : vertices) {
    summe[0] += v.x;
    summe[1] += v.y;
    summe[2] += v.z;
  }
  for (int a = 0; a < 3; ++a) modell.mitte[a] = float(summe[a] / double(vertices.size()));
  for (const WeltVertex& v : vertices) {
    const float p[3] = {v.x, v.y, v.z};
    for (int a = 0; a < 3; ++a) modell.halbeAusdehnung[a] = std::max(modell.halbeAusdehnung[a], std::fabs(p[a] - modell.mitte[a]));
  }
}

}  // namespace

Modell Ressourcen::LadeModellHoch(std::span<const WeltVertex> vertices, std::span<const uint32_t> indizes) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  Zarvo_VertexBuffer* vb = nullptr;
  Zarvo_IndexBuffer* ib = nullptr;
  // A zero size is no buffer: an empty mesh has nothing to draw.
  if (kontext && !vertices.empty() && !indizes.empty()) {
    vb = kontext->ErzeugeVertexBuffer(vertices.size_bytes(), 0,
                                      {const_cast<WeltVertex*>(vertices.data()), vertices.size_bytes(), 0});
    ib = kontext->ErzeugeIndexBuffer(0, uint32_t(Zarvo_IndexBuffer::INDEX32),
                                     {const_cast<uint32_t*>(indizes.data()), indizes.size_bytes(), 0});
  }
  Modell modell(kontext, vb, ib);
  BerechneGrenzen(vertices, modell);
  return modell;
}

}  // namespace Spiel

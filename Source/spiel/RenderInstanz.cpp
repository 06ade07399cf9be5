#include "RenderInstanz.h"

#include <cmath>

#include "Modell.h"

namespace Spiel {

void RenderInstanzPool::BerechneGrenzen(RenderInstanz& instanz) {
  const float* m = instanz.matrix;
  const float leer[3] = {};
  const float* mitte = instanz.modell ? instanz.modell->mitte : leer;
  const float* halb = instanz.modell ? instanz.modell->halbeAusdehnung : leer;
  for (int i = 0; i < 3; ++i) {
    const float* zeile = m + 4 * i;
    instanz.mitte[i] = zeile[0] * mitte[0] + zeile[1] * mitte[1] + zeile[2] * mitte[2] + zeile[3];
    instanz.halbeGroesse[i] = std::fabs(zeile[0]) * halb[0] + std::fabs(zeile[1]) * halb[1] + std::fabs(zeile[2]) * halb[2];
  }
}

}  // namespace Spiel

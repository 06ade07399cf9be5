#include "Zarvo_Sampler.h"

#include <algorithm>
#include <cmath>

#include "Plattform/d3d9/d3d9.h"

using namespace d3d9;

namespace {

uint32_t Adresse(uint32_t wert) {
  switch (wert & 3) {
    case 1: return D3DTADDRESS_CLAMP;
    case 2: return D3DTADDRESS_BORDER;
    default: return D3DTADDRESS_WRAP;
  }
}

uint32_t Filter(uint64_t bits) { return (bits & 3) == 0 ? D3DTEXF_POINT : D3DTEXF_LINEAR; }

uint32_t Kanal(float wert) { return uint32_t(std::clamp(wert, 0.0f, 1.0f) * 255.0f + 0.5f); }

uint32_t PackeFarbe(const float (&rgba)[4]) {
  return Kanal(rgba[3]) << 24 | Kanal(rgba[0]) << 16 | Kanal(rgba[1]) << 8 | Kanal(rgba[2]);
}

// The smallest whole number not below the level; negative levels give 0.
uint32_t MipLevel(float wert) { return wert > 0.0f ? uint32_t(std::min(std::ceil(wert), 65535.0f)) : 0; }

}  // namespace

Zarvo_Sampler::Zarvo_Sampler(const Zarvo_SamplerBeschr& b) : beschreibung(b) {
  adresseU = Adresse(b.adresse);
  adresseV = Adresse(b.adresse >> 2);
  adresseW = Adresse(b.adresse >> 4);
  benutztRand = adresseU == D3DTADDRESS_BORDER || adresseV == D3DTADDRESS_BORDER || adresseW == D3DTADDRESS_BORDER;
  anisotrop = (b.filter & FILTER_ANISOTROP) != 0;
  minFilter = anisotrop ? D3DTEXF_ANISOTROPIC : Filter(b.filter);
  magFilter = anisotrop ? D3DTEXF_LINEAR : Filter(b.filter >> 2);
  mipFilter = anisotrop ? D3DTEXF_LINEAR : Filter(b.filter >> 4);
  randFarbe = PackeFarbe(b.randFarbe);
  maxAnisotropie = b.maxAnisotropie;
  maxMipLevel = MipLevel(b.maxMipLevel);
  zustand = ZUSTAND_BEREIT;
}

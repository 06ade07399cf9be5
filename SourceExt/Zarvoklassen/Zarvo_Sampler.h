#pragma once
// An immutable sampler state in Direct3D 9's values. The drawing context compares the
// description's filter and address words with its per-stage caches and sends what changed.
#include <cstdint>

#include "Zarvo_BasisObjekt.h"

struct Zarvo_SamplerBeschr {
  // Bits 0-1 minification, 2-3 magnification, 4-5 mip filter (0 point, else linear), bit 6 anisotropic.
  uint64_t filter;
  // Bits 0-1 U, 2-3 V, 4-5 W: 0 wrap, 1 clamp, 2 border (3 also wraps).
  uint32_t adresse;
  uint32_t ungenutzt1;
  uint32_t maxAnisotropie;
  uint32_t ungenutzt2;
  float randFarbe[4];  // R, G, B, A
  float maxMipLevel;
  uint32_t ungenutzt3;

  // The address word as the cache compares it (64 bits).
  uint64_t AdressSchluessel() const { return uint64_t(adresse) | uint64_t(ungenutzt1) << 32; }
};
static_assert(sizeof(Zarvo_SamplerBeschr) == 48);

class Zarvo_Sampler : public Zarvo_BasisObjekt {
 public:
  static constexpr uint64_t FILTER_ANISOTROP = 0x40;

  explicit Zarvo_Sampler(const Zarvo_SamplerBeschr& beschreibung);
  bool BelegtVideoRAM() const override { return false; }

  Zarvo_SamplerBeschr beschreibung;
  uint32_t adresseU;
  uint32_t adresseV;
  uint32_t adresseW;
  uint32_t minFilter;
  uint32_t magFilter;
  uint32_t mipFilter;
  uint8_t benutztRand;
  uint8_t anisotrop;
  uint32_t randFarbe;  // packed ARGB
  uint32_t maxMipLevel;
  uint32_t maxAnisotropie;
};

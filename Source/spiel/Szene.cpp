// The scene's construction, its frame, the block-face patches, the lights and the poses of the
// moving parts' render instances.
#include "Szene.h"

#include <algorithm>
#include <cmath>

#include "Raster.h"
#include "Zarvo_Timer.h"

namespace Spiel {

namespace {

// Per face -X, +X, +Z, -Z, -Y, +Y: outward normal n and the edge directions u and v.
struct FlaechenRahmen {
  BVektor3<float> n, u, v;
};
constexpr FlaechenRahmen RAHMEN[6] = {
    {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
    {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},
};

// Corner heights by shape: empty, full, then 1L, 1R, 1V, 1H, 2L, 2R, 2V, 2H.
constexpr float ECKHOEHEN[10][4] = {
    {1, 1, 1, 1},       {1, 1, 1, 1},       {0.5f, 0, 0.5f, 0}, {0, 0.5f, 0, 0.5f}, {0, 0, 0.5f, 0.5f},
    {0.5f, 0.5f, 0, 0}, {1, 0.5f, 1, 0.5f}, {0.5f, 1, 0.5f, 1}, {0.5f, 0.5f, 1, 1}, {1, 1, 0.5f, 0.5f},
};

// A top corner (local y >= 0.5) takes the height of its corner of the cell's top.
BVektor3<float> Senke(BVektor3<float> ecke, const float* h) {
  if (ecke.y >= 0.5f) ecke.y *= h[(ecke.x >= 0.5f ? 1 : 0) + (ecke.z >= 0.5f ? 2 : 0)];
  return ecke;
}

// The eight light periods in ticks, taken once per frame.
constexpr float LICHT_PERIODEN[8] = {0.529474f, 1.184623f, 0.6774f, 1.0543f, 1.1138f, 0.5824f, 1.1472f, 0.6362f};

float Welle(int64_t uhr, int64_t periode, float phase) {
  const int64_t rest = (uhr % periode + periode) % periode;
  return std::sin(6.2831855f * float(rest) / float(periode) + phase);
}

}  // namespace

uint32_t Szene::FlaechenKey(uint32_t flaeche, uint32_t x, uint32_t y, uint32_t z) {
  return flaeche << 29 | (z & 0x3FF) << 19 | (y & 0x1FF) << 10 | (x & 0x3FF);
}

uint32_t Szene::ObjektKey(uint64_t objektIndex) { return OBJEKT_KEY | uint32_t(objektIndex); }

Szene::Szene(Zarvo_Timer& uhr_, Zarvo_Audio* audio_, Zarvo_AudioKanal* kanal_, Generator::Erbauer erbauer)
    : uhr(uhr_), audio(audio_), kanal(kanal_), generator(instanzen, std::move(erbauer)) {
  karte.BaueStandardKarte();
  SetzeErsatzStart();
  generator.beiNeuerInstanz = [this](uint32_t key, uint64_t id) { PosiereNeueInstanz(key, id); };
}

Szene::~Szene() = default;

void Szene::Aktualisiere(BVektor3<float> betrachter) {
  const int64_t ticks = uhr.letzterSchritt;
  generator.UebernimmFertigePatches();
  generator.AktualisierePatches(betrachter);
  AktualisiereAnimationen(ticks);
  AktualisiereGegenstaende(ticks);
  AktualisiereLichter(ticks);
}

// ---- block faces ----

const float* Szene::Eckhoehen(uint32_t typ) { return ECKHOEHEN[Karte::Form(typ)]; }

Generator::FlaechenPatch Szene::Flaechenviereck(uint32_t typ, uint32_t flaeche, uint32_t wert, uint32_t x, uint32_t y,
                                                 uint32_t z) {
  const FlaechenRahmen& r = RAHMEN[flaeche % 6];
  const float* h = Eckhoehen(typ);
  const BVektor3<float> c0 = BVektor3<float>(0.5f, 0.5f, 0.5f) + r.n * 0.5f - r.u * 0.5f - r.v * 0.5f;
  const BVektor3<float> l0 = Senke(c0, h), l1 = Senke(c0 + r.u, h), l2 = Senke(c0 + r.v, h), l3 = Senke(c0 + r.v + r.u, h);
  const BVektor3<float> zelle{float(x), float(y), float(z)};
  const bool mauer = wert == Karte::Mauer || wert >= Karte::MauerTreppe1L;
  return {zelle * 2.0f + l0 * 2.0f, (l1 - l0) * 2.0f, (l2 - l0) * 2.0f, (l3 - l2) * 2.0f, mauer ? 1u : 0u};
}

void Szene::AktualisiereBlockPatches(int32_t x, int32_t y, int32_t z) {
  if (!karte.Enthaelt(x, y, z)) return;
  const Karte::Zelle& zelle = karte.ZelleBei(uint32_t(x), uint32_t(y), uint32_t(z));
  for (uint32_t f = 0; f < 6; ++f) {
    const uint32_t key = FlaechenKey(f, uint32_t(x), uint32_t(y), uint32_t(z));
    const uint32_t wert = zelle.flaechen[f];
    // A value above 18 is no block type: the face is not drawn.
    if (wert == 0 || wert >= Karte::ANZAHL_BLOCKTYPEN) {
      generator.Verwirf(key);
      continue;
    }
    generator.FordereAn(key, Flaechenviereck(zelle.typ, f, wert, uint32_t(x), uint32_t(y), uint32_t(z)));
  }
}

void Szene::AktualisiereAlleBlockPatches() {
  for (uint32_t y = 0; y < karte.Y; ++y)
    for (uint32_t z = 0; z < karte.Z; ++z)
      for (uint32_t x = 0; x < karte.X; ++x) AktualisiereBlockPatches(int32_t(x), int32_t(y), int32_t(z));
}

// ---- lights ----

void Szene::AktualisiereLichter(int64_t ticks) {
  int64_t p[8];
  for (int i = 0; i < 8; ++i) p[i] = std::max<int64_t>(Raster::AbschneidenInt64(g_ZeitFrequenzF * LICHT_PERIODEN[i]), 1);
  for (Licht& l : lichter) {
    l.uhr += ticks;
    l.helligkeit = 1.0f;
    l.position = l.basis;
    const float a = l.animation[0], ax = l.animation[1], ay = l.animation[2], az = l.animation[3];
    if (a != 0.0f) l.helligkeit = (Welle(l.uhr, p[0], 2.16453f) * 0.05f + Welle(l.uhr, p[1], 4.2947f) * 0.1f) * a + 1.0f;
    if (ax * ax + ay * ay + az * az > 0.0f) {
      l.position.x = (Welle(l.uhr, p[2], 1.363f) * 0.25f + Welle(l.uhr, p[3], 3.562f) * 0.5f) * ax + l.basis.x;
      l.position.y = (Welle(l.uhr, p[4], 0.822f) * 0.5f + Welle(l.uhr, p[5], 5.863f) * 0.25f) * ay + l.basis.y;
      l.position.z = (Welle(l.uhr, p[7], 3.045f) * 0.25f + Welle(l.uhr, p[6], 4.844f) * 0.5f) * az + l.basis.z;
    }
  }
}

// ---- poses ----

uint64_t Szene::InstanzVon(uint32_t key) const {
  const Generator::Patch* patch = generator.GibPatch(key);
  return patch && instanzen.IstLebend(patch->instanz) ? patch->instanz : KEINE_INSTANZ;
}

void Szene::SetzePose(uint64_t id, const float (&drehung)[3][3], const BVektor3<float>& ort) {
  Instanz& instanz = instanzen[id];
  const float verschiebung[3] = {ort.x, ort.y, ort.z};
  for (int i = 0; i < 3; ++i) {
    std::copy(drehung[i], drehung[i] + 3, instanz.matrix + 4 * i);
    instanz.matrix[4 * i + 3] = verschiebung[i];
  }
  const float untereZeile[4] = {0, 0, 0, 1};
  std::copy(untereZeile, untereZeile + 4, instanz.matrix + 12);
  InstanzPool::BerechneGrenzen(instanz);
}

namespace {
constexpr float EINHEIT[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
}

void Szene::SetzeGitterPose(const Gitter& g, uint64_t id) { SetzePose(id, EINHEIT, g.mitte + g.richtung * (2.0f * g.zustand)); }

// The rotation of angle state · pi/2 - pi/4 about the lever's axis f, in the rows the lever
// builder uses for its rest pose; placed at the lever's position.
void Szene::SetzeHebelPose(const Hebel& h, uint64_t id) {
  const float winkel = h.zustand * 1.5707964f - 0.7853982f;
  const float s = std::sin(winkel), c = std::cos(winkel), k = 1.0f - c;
  const BVektor3<float>& f = h.achse;
  const float drehung[3][3] = {
      {f.x * f.x * k + c, f.x * f.y * k + f.z * s, f.x * f.z * k - f.y * s},
      {f.x * f.y * k - f.z * s, f.y * f.y * k + c, f.y * f.z * k + f.x * s},
      {f.x * f.z * k + f.y * s, f.y * f.z * k - f.x * s, f.z * f.z * k + c},
  };
  SetzePose(id, drehung, h.position);
}

// A gate or lever patch is built in its rest pose; one whose state has moved takes its pose.
void Szene::PosiereNeueInstanz(uint32_t key, uint64_t id) {
  if (!instanzen.IstLebend(id)) return;
  for (const Gitter& g : gitter)
    if (g.key == key && g.zustand != 0.0f) SetzeGitterPose(g, id);
  for (const Hebel& h : hebel)
    if (h.key == key && h.zustand != 0.0f) SetzeHebelPose(h, id);
}

}  // namespace Spiel

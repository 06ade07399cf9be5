// The mechanisms: the animation table, pressure plates, the switch buttons with their combination
// lock, and the sounds of gates and switches.
#include <cmath>
#include <string>

#include "Raster.h"
#include "Szene.h"
#include "Zarvo_Audio.h"
#include "Zarvo_AudioSample.h"
#include "Zarvo_Start.h"
#include "Zarvo_Timer.h"

namespace Spiel {

namespace {

// The plates that open a gate while pressed.
struct Verknuepfung {
  uint32_t platte[3];
  uint32_t gitter[3];
};
constexpr Verknuepfung VERKNUEPFUNGEN[] = {{{4, 1, 20}, {4, 1, 19}}, {{1, 4, 12}, {6, 4, 11}}, {{5, 3, 25}, {4, 1, 28}}};

bool Gleich(const uint32_t (&a)[3], uint32_t x, uint32_t y, uint32_t z) { return a[0] == x && a[1] == y && a[2] == z; }

const Verknuepfung* VerknuepfungVon(uint32_t x, uint32_t y, uint32_t z) {
  for (const Verknuepfung& v : VERKNUEPFUNGEN)
    if (Gleich(v.platte, x, y, z)) return &v;
  return nullptr;
}

// The combination lock's gate and the buttons of its code.
constexpr uint32_t SCHLOSS_GITTER[3] = {7, 1, 7};
constexpr uint64_t SCHLOSS_CODE = 1u << 3 | 1u << 4 | 1u << 5 | 1u << 7 | 1u << 8;  // 440

bool IstCodeKnopf(int32_t b) { return b == 3 || b == 4 || b == 5 || b == 7 || b == 8; }
bool IstLoeschKnopf(int32_t b) { return b == 1 || b == 2 || b == 6 || b == 9 || b == 10 || b == 11; }  // the mask 3654

uint64_t g_kombination = 0;  // process-wide, main thread only

// The state one step toward the target.
float Bewege(float zustand, float ziel, float geschwindigkeit, int64_t ticks) {
  const float d = ziel - zustand;
  const float schritt = float(ticks) * g_ZeitInversF * geschwindigkeit;
  const float vorzeichen = d > 0.0f ? 1.0f : d < 0.0f ? -1.0f : 0.0f;
  return zustand + vorzeichen * std::min(std::fabs(d), schritt);
}

bool AmZiel(float zustand, float ziel) { return std::fabs(ziel - zustand) < 0.0001f; }

int64_t SekundenTicks(float sekunden) { return Raster::AbschneidenInt64(g_ZeitFrequenzF * sekunden); }

}  // namespace

uint64_t Szene::PlattenBesitzer(uint32_t x, uint32_t y, uint32_t z) {
  return uint64_t(1) << 48 | uint64_t(z & 0xFFFF) << 32 | uint64_t(y & 0xFFFF) << 16 | uint64_t(x & 0xFFFF);
}
uint64_t Szene::HebelBesitzer(uint32_t index) { return uint64_t(1) << 49 | index; }
uint64_t Szene::KnopfBesitzer(uint32_t index) { return uint64_t(1) << 50 | index; }

uint64_t Szene::Kombination() { return g_kombination; }
void Szene::SetzeKombinationZurueck() { g_kombination = 0; }

// ---- the table ----

uint32_t Szene::PlaneAnimation(uint64_t besitzer, const Animation::Nutzlast& nutzlast, uint32_t warteAuf1, uint32_t warteAuf2) {
  const uint16_t generation = animationen.generation++;
  const uint64_t slot = animationen.Reserviere();
  const uint32_t id = uint32_t(generation) << 16 | uint32_t(slot & 0xFFFF);
  animationen[slot] = {id, {warteAuf1, warteAuf2}, besitzer, nutzlast, Animation::Art(nutzlast.index())};
  animationen.SetzeLebend(slot);
  return id;
}

void Szene::BrichAnimationenAb(uint64_t besitzer) {
  animationen.FuerLebende([&](uint64_t slot, const Animation& a) {
    if (a.besitzer == besitzer) animationen.GibFrei(slot);
  });
}

// Ends every live gate animation of the cell, whatever its owner.
void Szene::BeendeGitterAnimationen(uint32_t x, uint32_t y, uint32_t z) {
  animationen.FuerLebende([&](uint64_t slot, const Animation& a) {
    if (a.art != Animation::Art::Gitter) return;
    const Animation::GitterZiel& g = std::get<Animation::GitterZiel>(a.nutzlast);
    if (g.x == x && g.y == y && g.z == z) animationen.GibFrei(slot);
  });
}

// The id of the first live gate animation of the cell in slot order, or none.
uint32_t Szene::ErsteGitterAnimation(uint32_t x, uint32_t y, uint32_t z) const {
  uint32_t erste = KEINE_ANIMATION;
  animationen.FuerLebende([&](uint64_t, const Animation& a) {
    if (erste != KEINE_ANIMATION || a.art != Animation::Art::Gitter) return;
    const Animation::GitterZiel& g = std::get<Animation::GitterZiel>(a.nutzlast);
    if (g.x == x && g.y == y && g.z == z) erste = a.id;
  });
  return erste;
}

bool Szene::Wartet(const Animation& animation) const {
  for (uint32_t w : animation.warteAuf) {
    if (w == KEINE_ANIMATION) continue;
    const uint64_t slot = w & 0xFFFF;
    if (animationen.IstLebend(slot) && animationen[slot].id == w) return true;
  }
  return false;
}

void Szene::AktualisiereAnimationen(int64_t ticks) {
  animationen.FuerLebende([&](uint64_t slot, Animation& a) {
    if (Wartet(a)) return;
    if (Schritt(a, ticks)) animationen.GibFrei(slot);
  });
}

// True when the animation has finished.
bool Szene::Schritt(Animation& animation, int64_t ticks) {
  switch (animation.art) {
    case Animation::Art::Countdown: {
      int64_t& rest = std::get<Animation::Countdown>(animation.nutzlast).rest;
      rest -= ticks;
      return rest < 1;
    }
    case Animation::Art::Gitter: return GitterSchritt(std::get<Animation::GitterZiel>(animation.nutzlast), ticks);
    case Animation::Art::Hebel: return HebelSchritt(std::get<Animation::HebelZiel>(animation.nutzlast), ticks);
    case Animation::Art::Knopf: return KnopfSchritt(std::get<Animation::KnopfDruck>(animation.nutzlast), ticks);
  }
  throw std::bad_variant_access();
}

int64_t Szene::LetztesGitterBei(const Zellposition& zelle) const {
  for (size_t i = gitter.size(); i-- > 0;)
    if (gitter[i].zelle == zelle) return int64_t(i);
  return -1;
}

// Each sound once per movement: the opening one when the state leaves 0.001 upward, the closing
// one when it passes 0.999 downward.
bool Szene::GitterSchritt(const Animation::GitterZiel& ziel, int64_t ticks) {
  const int64_t index = LetztesGitterBei({int32_t(ziel.x), int32_t(ziel.y), int32_t(ziel.z)});
  if (index < 0) return true;
  Gitter& g = gitter[size_t(index)];
  const float vorher = g.zustand;
  g.zustand = Bewege(vorher, ziel.ziel, ziel.geschwindigkeit, ticks);
  if (ziel.ziel > 0.9f && vorher < 0.001f && g.zustand >= 0.001f)
    SpieleKlang("gitter_auf.ogg");
  else if (ziel.ziel < 0.1f && vorher > 0.999f && g.zustand <= 0.999f)
    SpieleKlang("gitter_zu.ogg");
  if (const uint64_t id = InstanzVon(g.key); id != KEINE_INSTANZ) SetzeGitterPose(g, id);
  return AmZiel(g.zustand, ziel.ziel);
}

bool Szene::HebelSchritt(const Animation::HebelZiel& ziel, int64_t ticks) {
  if (ziel.hebel >= hebel.size()) return true;  // a lever of an earlier rebuild
  Hebel& h = hebel[ziel.hebel];
  h.zustand = Bewege(h.zustand, ziel.ziel, ziel.geschwindigkeit, ticks);
  if (const uint64_t id = InstanzVon(h.key); id != KEINE_INSTANZ) SetzeHebelPose(h, id);
  return AmZiel(h.zustand, ziel.ziel);
}

// In for the first fifth of the duration (to 0.2 · size along the direction), out over the rest.
bool Szene::KnopfSchritt(Animation::KnopfDruck& druck, int64_t ticks) {
  if (druck.knopf >= knoepfe.size()) return true;  // a button of an earlier rebuild
  druck.vergangen = std::min(druck.vergangen + ticks, druck.dauer);
  const float t = druck.dauer > 0 ? float(druck.vergangen) * g_ZeitInversF / (float(druck.dauer) * g_ZeitInversF) : 1.0f;
  const float f = t < 0.2f ? 5.0f * t : 1.0f - (t - 0.2f) * 1.25f;
  const Knopf& k = knoepfe[druck.knopf];
  if (const uint64_t id = InstanzVon(k.key); id != KEINE_INSTANZ) SetzePose(id, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, k.position - k.richtung * (f * 0.2f * k.groesse));
  return druck.vergangen >= druck.dauer;
}

// ---- plates ----

Szene::Ausloeser* Szene::SucheAusloeser(uint32_t x, uint32_t y, uint32_t z) {
  for (Ausloeser& a : ausloeser)
    if (a.x == x && a.y == y && a.z == z) return &a;
  return nullptr;
}

void Szene::AusloeserAn(uint32_t x, uint32_t y, uint32_t z) {
  Ausloeser* a = SucheAusloeser(x, y, z);
  if (a == nullptr || ++a->anzahl != 1) return;
  const uint64_t besitzer = PlattenBesitzer(x, y, z);
  BrichAnimationenAb(besitzer);
  if (const Verknuepfung* v = VerknuepfungVon(x, y, z))
    PlaneAnimation(besitzer, Animation::GitterZiel{v->gitter[0], v->gitter[1], v->gitter[2], 1.0f, 0.5f});
}

void Szene::AusloeserAus(uint32_t x, uint32_t y, uint32_t z) {
  Ausloeser* a = SucheAusloeser(x, y, z);
  if (a == nullptr || --a->anzahl != 0) return;
  const uint64_t besitzer = PlattenBesitzer(x, y, z);
  const Verknuepfung* v = VerknuepfungVon(x, y, z);
  if (v == nullptr) return;
  const uint32_t* g = v->gitter;
  if (Gleich(VERKNUEPFUNGEN[0].platte, x, y, z)) {
    // Open until the opening has finished and five seconds more have passed, then close in 2 s.
    const uint32_t oeffnung = ErsteGitterAnimation(g[0], g[1], g[2]);
    const uint32_t frist = PlaneAnimation(besitzer, Animation::Countdown{SekundenTicks(5.0f)}, oeffnung);
    PlaneAnimation(besitzer, Animation::GitterZiel{g[0], g[1], g[2], 0.0f, 0.5f}, frist);
    return;
  }
  BrichAnimationenAb(besitzer);
  PlaneAnimation(besitzer, Animation::GitterZiel{g[0], g[1], g[2], 0.0f, 1.0f});
}

// ---- switch buttons ----

void Szene::DrueckeSchalter(int32_t knopf) {
  const uint64_t besitzer = KnopfBesitzer(uint32_t(knopf));
  BrichAnimationenAb(besitzer);
  PlaneAnimation(besitzer, Animation::KnopfDruck{uint64_t(uint32_t(knopf)), SekundenTicks(0.5f), 0});
  SpieleKlang("schalter.ogg");
  const uint32_t* g = SCHLOSS_GITTER;
  if (IstCodeKnopf(knopf)) {
    g_kombination |= uint64_t(1) << knopf;
    if (g_kombination != SCHLOSS_CODE) return;
    BeendeGitterAnimationen(g[0], g[1], g[2]);
    PlaneAnimation(besitzer, Animation::GitterZiel{g[0], g[1], g[2], 1.0f, 0.5f});
  } else if (IstLoeschKnopf(knopf)) {
    g_kombination = 0;
    BeendeGitterAnimationen(g[0], g[1], g[2]);
    PlaneAnimation(besitzer, Animation::GitterZiel{g[0], g[1], g[2], 0.0f, 2.0f});
  }
}

// ---- sounds ----

void Szene::SpieleKlang(const char* datei) {
  if (audio == nullptr || kanal == nullptr) return;
  const std::string pfad = (g_System.anwendungsVerzeichnis / "Daten" / datei).string();
  audio->SpieleEffekt(Zarvo_AudioSample::AusUtf8(pfad), kanal);
}

bool Szene::GitterZu(const Zellposition& zelle) const {
  const int64_t index = LetztesGitterBei(zelle);
  return index >= 0 && gitter[size_t(index)].zustand < 0.9f;
}

}  // namespace Spiel

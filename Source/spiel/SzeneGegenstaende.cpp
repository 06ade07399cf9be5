// Scene items: creating a stone with its render instance, its flight and fall, coming to rest on
// the half-block grid, and removing items.
#include <cmath>

#include "Raster.h"
#include "Ressourcen.h"
#include "Szene.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Timer.h"

namespace Spiel {

namespace {

constexpr uint32_t TYP_GEGENSTAND = 8;

bool Waagerecht(const BVektor3<float>& v, float grenze) { return v.x * v.x + v.z * v.z < grenze; }

void SetzeVerschiebung(RenderInstanz& instanz, const BVektor3<float>& position) {
  instanz.matrix[3] = 2.0f * position.x;
  instanz.matrix[7] = 2.0f * position.y;
  instanz.matrix[11] = 2.0f * position.z;
}

}  // namespace

// The trigger of the cell the position lies in, toward zero.
void Szene::DrueckeUnter(const BVektor3<float>& p, bool an) {
  const uint32_t x = uint32_t(Raster::AbschneidenInt32(p.x)), y = uint32_t(Raster::AbschneidenInt32(p.y)),
                 z = uint32_t(Raster::AbschneidenInt32(p.z));
  if (an)
    AusloeserAn(x, y, z);
  else
    AusloeserAus(x, y, z);
}

uint64_t Szene::ErzeugeInstanz(uint32_t def, BVektor3<float> position, BVektor3<float> geschwindigkeit, bool bewegt) {
  if (def >= ANZAHL_GEGENSTAENDE) def = 0;
  const ModellEintrag* modell = Ressourcen::GibModell(Gegenstaende[def].name);
  const uint64_t id = instanzen.Reserviere();
  Instanz& instanz = instanzen[id];
  instanz = Instanz();
  if (modell != nullptr) {  // without the mesh (headless, before the resources load) it draws nothing
    instanz.modell = &modell->modell;
    instanz.farbTextur = modell->farbe;
    instanz.normalTextur = modell->normale;
    instanz.dreiecke = modell->modell.indexBuffer ? uint32_t(modell->modell.indexBuffer->groesse / 12) : 0;
  }
  SetzeVerschiebung(instanz, position);
  instanzen.SetzeLebend(id);
  InstanzPool::BerechneGrenzen(instanz);
  const uint64_t slot = gegenstaende.Reserviere();
  gegenstaende[slot] = {position, geschwindigkeit, uint8_t(bewegt ? 1 : 0), def, id};
  gegenstaende.SetzeLebend(slot);
  if (!bewegt) DrueckeUnter(position, true);
  return slot;
}

// A block stops an item outside the grid, in a full block or an upper ramp, and in a lower ramp
// below 0.6 above its bottom. The cell is the saturated floor of each coordinate.
bool Szene::Trifft(const BVektor3<float>& p) const {
  const int32_t x = Raster::AbschneidenInt32(std::floor(p.x)), y = Raster::AbschneidenInt32(std::floor(p.y)),
                z = Raster::AbschneidenInt32(std::floor(p.z));
  if (!karte.Enthaelt(x, y, z)) return true;
  const uint32_t form = Karte::Form(karte.ZelleBei(uint32_t(x), uint32_t(y), uint32_t(z)).typ);
  if (form == 1 || form >= 6) return true;
  return form >= 2 && p.y - float(y) < 0.6f;
}

void Szene::AktualisiereGegenstaende(int64_t ticks) {
  const float s = float(ticks) * g_ZeitInversF;
  gegenstaende.FuerLebende([&](uint64_t slot, Gegenstand& g) {
    if (!g.bewegt) return;
    if (Waagerecht(g.geschwindigkeit, 0.001f)) g.geschwindigkeit.y -= s * 10.0f;  // sideways flight is straight
    const BVektor3<float> neu = g.position + g.geschwindigkeit * s;
    bool gestoppt = false;
    if (Trifft(neu)) {
      const BVektor3<float> vorher = g.geschwindigkeit;
      if (BewegeGegenstand(slot)) {
        EntferneGegenstand(slot);
        return;
      }
      gestoppt = !g.bewegt || vorher.x != g.geschwindigkeit.x || vorher.z != g.geschwindigkeit.z;
    }
    if (!gestoppt) g.position = neu;
    Instanz& instanz = instanzen[g.instanz];
    SetzeVerschiebung(instanz, g.position);
    InstanzPool::BerechneGrenzen(instanz);
  });
}

// On the stored position (the last one before the hit). A falling item comes to rest on the grid
// and presses its trigger, or goes when it rests below the floor layer; one moving sideways stops
// there and falls from the next frame on.
bool Szene::BewegeGegenstand(uint64_t slot) {
  if (!gegenstaende.IstLebend(slot)) return false;
  Gegenstand& g = gegenstaende[slot];
  if (!g.bewegt) return false;
  const BVektor3<float> raster = Raster::Einrasten(Karte::ObjektTypen[TYP_GEGENSTAND], g.position);
  if (Waagerecht(g.geschwindigkeit, 0.0001f)) {
    g.bewegt = 0;
    g.position = {raster.x, std::floor(raster.y) + Gegenstaende[g.def].groesse / 2, raster.z};
    if (g.position.y < 1.0f) return true;
    DrueckeUnter(g.position, true);
    return false;
  }
  g.geschwindigkeit.x = 0;
  g.geschwindigkeit.z = 0;
  g.position.x = raster.x;
  g.position.z = raster.z;
  return false;
}

// Moving items never pressed their trigger.
void Szene::EntferneGegenstaende() {
  gegenstaende.FuerLebende([&](uint64_t, const Gegenstand& g) {
    instanzen.GibFrei(g.instanz);
    if (!g.bewegt) DrueckeUnter(g.position, false);
  });
  gegenstaende.GibAlleFrei();
}

void Szene::EntferneGegenstand(uint64_t slot) {
  if (!gegenstaende.IstLebend(slot)) return;
  instanzen.GibFrei(gegenstaende[slot].instanz);
  gegenstaende.GibFrei(slot);
}

}  // namespace Spiel

// The rebuild from the map's objects: start, trigger, gate, lever and button records, lights,
// map stones and the object patches.
#include <cmath>
#include <optional>

#include "Raster.h"
#include "Szene.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace {

enum ObjektTyp : uint32_t { TypStartpunkt, TypDruckplatte, TypHebel, TypGitter, TypKnopf, TypBaum, TypMosaik, TypLicht, TypGegenstand };

BVektor3<float> Eingerastet(const Karte::Objekt& o) {
  return Raster::Einrasten(Karte::ObjektTypen[o.typ], {o.x, o.y, o.z});
}

// The unit vector of dir(v).
BVektor3<float> RichtungsVektor(float wert) {
  const Objektregeln::Zellposition s = Objektregeln::RichtungsSchritt(Objektregeln::Richtung(wert));
  return {float(s.x), float(s.y), float(s.z)};
}

BVektor3<float> Betrag(const BVektor3<float>& v) { return {std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}; }

Objektregeln::Zellposition Abgeschnitten(const BVektor3<float>& p) {
  return {Raster::AbschneidenInt32(p.x), Raster::AbschneidenInt32(p.y), Raster::AbschneidenInt32(p.z)};
}

}  // namespace

// Direction 1 at the first free cell (empty or above 18) standing on a full block, y outermost,
// then z, then x; (0, 0, 0) when there is none.
void Szene::SetzeErsatzStart() {
  startZelle = {0, 0, 0};
  startRichtung = 1;
  for (uint32_t y = 1; y < karte.Y; ++y)
    for (uint32_t z = 0; z < karte.Z; ++z)
      for (uint32_t x = 0; x < karte.X; ++x) {
        const uint32_t typ = karte.ZelleBei(x, y, z).typ;
        if (Karte::Form(typ) != 0 || Karte::Form(karte.ZelleBei(x, y - 1, z).typ) != 1) continue;
        startZelle = {int32_t(x), int32_t(y), int32_t(z)};
        return;
      }
}

void Szene::BaueAusObjekten() {
  ausloeser.clear();
  gitter.clear();
  hebel.clear();
  knoepfe.clear();
  lichter.clear();
  EntferneGegenstaende();
  SetzeErsatzStart();
  bool angefordert = false;
  uint32_t hoechster = 0;
  for (uint64_t i = 0; i < karte.objekte.size(); ++i) {
    const uint32_t key = ObjektKey(i);
    if (BaueObjekt(i, karte.objekte[i])) {
      angefordert = true;
      hoechster = key;
    } else if (generator.HatAnforderung(key)) {
      generator.Verwirf(key);  // the key of an object that draws nothing (any more)
    }
  }
  // Map stones after every trigger exists, so that each presses its plate.
  for (const Karte::Objekt& objekt : karte.objekte)
    if (objekt.typ == TypGegenstand) BaueKartenGegenstand(objekt);
  VerwirfAlteObjektKeys(angefordert, hoechster);
}

// The patch request of an object of types 1..6 (plate, lever, gate, button, tree, mosaic).
std::optional<Szene::ObjektAnforderung> Szene::ObjektPatch(const Karte::Objekt& objekt) {
  if (objekt.typ < TypDruckplatte || objekt.typ > TypMosaik) return std::nullopt;
  const BVektor3<float> position = Eingerastet(objekt) * 2.0f;
  const auto& a = objekt.args;
  const BVektor3<float> d0 = RichtungsVektor(a[0][0]), d1 = RichtungsVektor(a[0][1]);
  switch (objekt.typ) {
    case TypDruckplatte: return ObjektAnforderung{Generator::DruckplattenPatch{position}, position, {0.6f, 0.2f, 0.6f}};
    case TypHebel: return ObjektAnforderung{Generator::HebelPatch{position, d0, d1, d0.Kreuz(d1)}, position, {0.4f, 0.4f, 0.4f}};
    case TypGitter: return ObjektAnforderung{Generator::GitterPatch{position, d0, d1}, position, {1, 1, 1}};
    case TypKnopf: {
      const float halb = 2.0f * a[1][0];
      return ObjektAnforderung{Generator::KnopfPatch{position, d0, a[1][0]}, position, {halb, halb, halb}};
    }
    case TypBaum: {
      const uint64_t saat = uint64_t(Raster::AbschneidenInt64(a[1][0]));
      return ObjektAnforderung{Generator::BaumPatch{position, a[0][0], a[0][1], a[2][0], a[2][1], saat},
                               position + BVektor3<float>(5, 8, 5), {10, 16, 10}};
    }
    default: {  // the mosaic: right e = d0 x d1, g = e x d1 (-d0 for perpendicular directions)
      const BVektor3<float> e = d0.Kreuz(d1), g = e.Kreuz(d1);
      const float breite = a[1][0], hoehe = a[1][1];
      const uint32_t bild = uint32_t(uint64_t(Raster::AbschneidenInt64(a[2][0])));
      const BVektor3<float> halb = (Betrag(e) * breite + Betrag(d1) * hoehe + Betrag(g) * 0.2f) * 2.0f;
      return ObjektAnforderung{Generator::MosaikPatch{position, d0, d1, e, 2.0f * breite, 2.0f * hoehe, bild}, position, halb};
    }
  }
}

// The object's records and its patch request; true when it requested one.
bool Szene::BaueObjekt(uint64_t index, const Karte::Objekt& objekt) {
  const uint32_t key = ObjektKey(index);
  const std::optional<ObjektAnforderung> patch = ObjektPatch(objekt);
  switch (objekt.typ) {
    case TypStartpunkt: BaueStartpunkt(index, objekt); break;
    case TypDruckplatte: {
      const Zellposition zelle = Objektregeln::PlattenZelle(objekt);
      ausloeser.push_back({uint32_t(zelle.x), uint32_t(zelle.y), uint32_t(zelle.z), 0});
      break;
    }
    case TypHebel: {
      const auto& h = std::get<Generator::HebelPatch>(patch->beschreibung);
      hebel.push_back({Objektregeln::HebelZelle(objekt), key, h.position, h.e2, 0, 0.0f});
      break;
    }
    case TypGitter: {
      const Zellposition zelle = Objektregeln::GitterZelle(objekt);
      const BVektor3<float> mitte((float(zelle.x) + 0.5f) * 2.0f, (float(zelle.y) + 0.5f) * 2.0f, (float(zelle.z) + 0.5f) * 2.0f);
      gitter.push_back({zelle, key, mitte, std::get<Generator::GitterPatch>(patch->beschreibung).b, 0.0f});
      break;
    }
    case TypKnopf: {
      const auto& k = std::get<Generator::KnopfPatch>(patch->beschreibung);
      knoepfe.push_back({Abgeschnitten(k.position * 0.5f), key, k.position, k.richtung, k.groesse});
      break;
    }
    case TypLicht: BaueLicht(objekt); break;
    default: break;  // trees and mosaics have no record; items come in a second pass
  }
  if (!patch) return false;
  generator.FordereAn(key, patch->beschreibung, patch->mitte, patch->halbeGroesse);
  return true;
}

void Szene::BaueStartpunkt(uint64_t index, const Karte::Objekt& objekt) {
  const Zellposition zelle = Objektregeln::StartZelle(objekt);
  if (!karte.Enthaelt(zelle.x, zelle.y, zelle.z)) {
    g_Log.Schreibe("?Spiel::Szene::BaueAusObjekten(): Startpunkt #%llu bei (%d, %d, %d) liegt außerhalb der Karte, ignoriert.",
                   (unsigned long long)index, zelle.x, zelle.y, zelle.z);
    return;
  }
  startZelle = zelle;
  startRichtung = Objektregeln::StartRichtung(objekt);
}

void Szene::BaueLicht(const Karte::Objekt& objekt) {
  const auto& a = objekt.args;
  lichter.push_back({Eingerastet(objekt) * 2.0f,
                     {a[0][0], a[0][1], a[0][2]},
                     {a[1][0], a[1][1], a[1][2], a[1][3]},
                     {a[2][0], a[2][1], a[2][2], a[2][3]},
                     0.0f,
                     {},
                     0});
}

void Szene::BaueKartenGegenstand(const Karte::Objekt& objekt) {
  const int64_t index = Raster::AbschneidenInt64(objekt.args[0][0]);
  const uint32_t def = index >= 0 && index < int64_t(ANZAHL_GEGENSTAENDE) ? uint32_t(index) : 0;
  const BVektor3<float> s = Eingerastet(objekt);
  ErzeugeInstanz(def, {s.x, s.y - 0.25f + Gegenstaende[def].groesse / 2, s.z}, {}, false);
}

// Object keys above the highest one requested now, up to the highest of the last rebuild, carry
// no patch any more.
void Szene::VerwirfAlteObjektKeys(bool angefordert, uint32_t hoechster) {
  const uint64_t erster = angefordert ? uint64_t(hoechster) + 1 : OBJEKT_KEY;
  for (uint64_t key = erster; key <= hoechsterObjektKey; ++key) generator.Verwirf(uint32_t(key));
  hoechsterObjektKey = angefordert ? hoechster : 0;
}

}  // namespace Spiel

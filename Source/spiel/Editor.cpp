// The editor's frame: input, the orbit camera, the mouse point and both modes' editing.
#include "Editor.h"

#include <algorithm>
#include <cmath>

#include "Buttons.h"
#include "InputSystem.h"
#include "Kamera.h"
#include "Keyboard.h"
#include "Mouse.h"
#include "ObjektArgMenu.h"
#include "Oberflaeche.h"
#include "Raster.h"
#include "Zarvo_KonsoleBasisAnzeige.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace {

// Scan codes.
constexpr int SCAN_1 = 2, SCAN_2 = 3, SCAN_W = 17, SCAN_Y = 21, SCAN_STRG = 29, SCAN_A = 30, SCAN_S = 31,
              SCAN_D = 32, SCAN_SHIFT = 42, SCAN_KOMMA = 51, SCAN_PUNKT = 52, SCAN_LEER = 57, SCAN_MINUS = 74,
              SCAN_PLUS = 78, SCAN_NULL = 82, SCAN_STRG_RECHTS = 157, SCAN_KOMMA_BLOCK = 179, SCAN_HOCH = 200,
              SCAN_BILD_HOCH = 201, SCAN_LINKS = 203, SCAN_RECHTS = 205, SCAN_ENDE = 207, SCAN_RUNTER = 208,
              SCAN_BILD_RUNTER = 209, SCAN_ENTF = 211;
constexpr int KNOPF_LINKS = 0, KNOPF_RECHTS = 1, KNOPF_MITTE = 2, ACHSE_RAD = 2;

constexpr float ZWEI_PI = 6.2831855f;
constexpr float NEIGUNG_MIN = 0.3f, NEIGUNG_MAX = 1.4f;
constexpr float ABSTAND_MIN = 0.01f, ABSTAND_MAX = 10000.0f;
constexpr float GESCHWINDIGKEIT = 10.0f;  // units per second
constexpr float GLEITEN = 5.0f;
constexpr float EBENE_UEBER_SCHICHT = 0.1f;
constexpr float SCHNITT_UEBER_SCHICHT = 2.5f;
constexpr float MIN_ABSTIEG = -0.1f;
constexpr float FREIE_ENTFERNUNG = 2.0f;  // the mouse point when the ray misses the plane
constexpr uint32_t ANZAHL_BLOCKTYPEN = Karte::ANZAHL_BLOCKTYPEN;
constexpr uint32_t ANZAHL_OBJEKTTYPEN = Karte::ANZAHL_OBJEKTTYPEN;

constexpr TAlphaFarbe ORANGE{1.0f, 170.0f / 255, 85.0f / 255, 1.0f};
constexpr TAlphaFarbe AUSSEN{102.0f / 255, 102.0f / 255, 102.0f / 255, 170.0f / 255};
constexpr TAlphaFarbe GRAU{128.0f / 255, 128.0f / 255, 128.0f / 255, 128.0f / 255};
constexpr TAlphaFarbe WEISS{1.0f, 1.0f, 1.0f, 128.0f / 255};

// Saturated floor of half a doubled-unit coordinate; false for a non-finite one.
bool ZellKoordinate(float doppelt, int32_t& zelle) {
  const float halb = doppelt * 0.5f;
  if (!std::isfinite(halb)) return false;
  zelle = Raster::AbschneidenInt32(std::floor(halb));
  return true;
}

Editor::Zellposition Min(const Editor::Zellposition& a, const Editor::Zellposition& b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}
Editor::Zellposition Max(const Editor::Zellposition& a, const Editor::Zellposition& b) {
  return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

BVektor3<float> Position(const Karte::Objekt& o) { return {o.x, o.y, o.z}; }

}  // namespace

// The frame's input, read once. Without a keyboard or mouse nothing is pressed.
struct Editor::Eingabe {
  const OPRIX::Keyboard* tastatur = nullptr;
  const OPRIX::Mouse* maus = nullptr;
  bool frei = false;  // console closed, no modal page
  bool linksGedrueckt = false, linksGehalten = false, linksLosgelassen = false;

  bool Gehalten(int scan) const { return tastatur && tastatur->KeyHeld(scan); }
  bool Gedrueckt(int scan) const { return tastatur && tastatur->KeyWentDown(scan); }
  bool Knopf(int knopf) const { return maus && maus->ButtonHeld(knopf); }
  bool KnopfGedrueckt(int knopf) const { return maus && maus->ButtonWentDown(knopf); }
  float Rad() const { return maus ? maus->AxisPosition(ACHSE_RAD) : 0.0f; }
  float Dx() const { return maus ? maus->RelativeX() : 0.0f; }
  float Dy() const { return maus ? maus->RelativeY() : 0.0f; }
  bool Strg() const { return Gehalten(SCAN_STRG) || Gehalten(SCAN_STRG_RECHTS); }
};

bool Editor::ModaleSeiteOffen() {
  const Buttons* bruecke = Buttons::Global();
  const Gui::Oberflaeche* oberflaeche = bruecke ? bruecke->GibOberflaeche() : nullptr;
  if (!oberflaeche) return false;
  for (const Gui::Basis* kind : oberflaeche->Kinder()) {
    const auto* vater = dynamic_cast<const Gui::VaterBasis*>(kind);
    if (vater && vater->IstModal()) return true;
  }
  return false;
}

BMatrix Editor::Projektion(float breite, float hoehe) {
  constexpr float F = 1.0734261f;
  return BMatrix::AusZeilen({F, 0, 0, 0,                   //
                             0, F * breite / hoehe, 0, 0,  //
                             0, 0, 1.001565f, -0.1001565f,  //
                             0, 0, 1, 0});
}

Editor::Eingabe Editor::LiesEingabe() {
  Eingabe e;
  if (OPRIX::gInputSystem) {
    e.tastatur = OPRIX::gInputSystem->PrimaryKeyboard();
    e.maus = OPRIX::gInputSystem->PrimaryMouse();
  }
  Zarvo_KonsoleBasisAnzeige* konsole = g_Log.Anzeige();
  const bool konsoleOffen = konsole && konsole->GibZustand();
  e.frei = !konsoleOffen && !ModaleSeiteOffen();
  if (e.frei && e.KnopfGedrueckt(KNOPF_LINKS)) linksAngenommen = true;
  e.linksGedrueckt = e.frei && e.KnopfGedrueckt(KNOPF_LINKS);
  e.linksGehalten = linksAngenommen && e.Knopf(KNOPF_LINKS);
  e.linksLosgelassen = linksAngenommen && e.maus && e.maus->ButtonWentUp(KNOPF_LINKS);
  return e;
}

void Editor::Aktualisiere() {
  uhr.Aktualisiere();
  const float dt = float(uhr.letzterSchritt) * g_ZeitInversF;
  texte.clear();
  const Eingabe e = LiesEingabe();
  if (e.frei) BewegeKamera(e, dt);
  ziel.y += (2.0f * float(schicht) - ziel.y) * GLEITEN * dt;
  BaueAnsicht();
  szene.Aktualisiere(kamera);
  ZeichneGitter();
  const BVektor3<float> strahl = Kamera::StrahlDurchMaus(ansicht);
  BestimmeMausPunkt(strahl);
  ZeichneKopfzeilen();
  if (e.frei) {
    if (e.Strg() && e.Gedrueckt(SCAN_Y)) Rueckgaengig();
    if (modus == BLOCKMODUS) Blockmodus(e);
    else Objektmodus(e, strahl);
    SetzeAusrichtung(1, 4);
    if (e.Gedrueckt(SCAN_1)) modus = BLOCKMODUS;
    else if (e.Gedrueckt(SCAN_2)) modus = OBJEKTMODUS;
  }
  if (e.maus && e.maus->ButtonWentUp(KNOPF_LINKS)) linksAngenommen = false;
}

void Editor::BewegeKamera(const Eingabe& e, float dt) {
  if (e.Knopf(KNOPF_MITTE)) {
    gieren = std::fmod(gieren - e.Dx() * 0.01f, ZWEI_PI);
    neigung = std::clamp(neigung + e.Dy() * 0.005f, NEIGUNG_MIN, NEIGUNG_MAX);
  }
  if (e.Gehalten(SCAN_BILD_RUNTER)) abstand *= std::pow(2.0f, dt);
  if (e.Gehalten(SCAN_BILD_HOCH)) abstand *= std::pow(0.5f, dt);
  abstand = std::clamp(abstand, ABSTAND_MIN, ABSTAND_MAX);
  const auto taste = [&](int a, int b) { return e.Gehalten(a) || e.Gehalten(b) ? GESCHWINDIGKEIT : 0.0f; };
  const float s = taste(SCAN_D, SCAN_RECHTS) - taste(SCAN_A, SCAN_LINKS);
  const float f = taste(SCAN_W, SCAN_HOCH) - taste(SCAN_S, SCAN_RUNTER);
  const float sn = std::sin(gieren), cs = std::cos(gieren);
  ziel.x += (f * sn + s * cs) * dt;
  ziel.z += (s * -sn + f * cs) * dt;
  const float rad = e.Rad();
  if ((e.Gedrueckt(SCAN_PLUS) || rad > 0) && schicht < int32_t(szene.karte.Y) - 1) ++schicht;
  if ((e.Gedrueckt(SCAN_MINUS) || rad < 0) && schicht > 0) --schicht;
  if (e.Gedrueckt(SCAN_LEER)) schnittAn = !schnittAn;
}

// Dv * Pv * Yv * Tv; the camera is the inverse applied to the origin.
void Editor::BaueAnsicht() {
  const float cy = std::cos(gieren), sy = std::sin(gieren), cp = std::cos(neigung), sp = std::sin(neigung);
  const BMatrix gier = BMatrix::AusZeilen({cy, 0, -sy, 0, 0, 1, 0, 0, sy, 0, cy, 0, 0, 0, 0, 1});
  const BMatrix neig = BMatrix::AusZeilen({1, 0, 0, 0, 0, cp, sp, 0, 0, -sp, cp, 0, 0, 0, 0, 1});
  ansicht = BMatrix::Verschiebung({0, 0, abstand}) * neig * gier * BMatrix::Verschiebung(ziel * -1.0f);
  kamera = ansicht.Inverse().TransformierePunkt({0, 0, 0});
}

void Editor::BestimmeMausPunkt(const BVektor3<float>& strahl) {
  const float ebene = 2.0f * float(schicht) + EBENE_UEBER_SCHICHT;
  if (kamera.y > 2.0f * float(schicht) + 1.0f && strahl.y < MIN_ABSTIEG) {
    const float t = (ebene - kamera.y) / strahl.y;
    mausPunkt = kamera + strahl * t;
    schnittHoehe = schnittAn ? 2.0f * float(schicht) + SCHNITT_UEBER_SCHICHT : KEIN_SCHNITT;
  } else {
    mausPunkt = kamera + strahl * FREIE_ENTFERNUNG;
  }
  int32_t x = 0, y = 0, z = 0;
  // Every coordinate is converted, also after a non-finite one.
  const bool xEndlich = ZellKoordinate(mausPunkt.x, x);
  const bool yEndlich = ZellKoordinate(mausPunkt.y, y);
  const bool zEndlich = ZellKoordinate(mausPunkt.z, z);
  cursorZelle = {x, y, z};
  cursorInKarte = xEndlich && yEndlich && zEndlich && szene.karte.Enthaelt(x, y, z);
}

// ---- block mode ----

void Editor::Blockmodus(const Eingabe& e) {
  if (e.Gedrueckt(SCAN_KOMMA_BLOCK) || e.KnopfGedrueckt(KNOPF_RECHTS))
    neuerBlockTyp = (neuerBlockTyp + 1) % ANZAHL_BLOCKTYPEN;
  if (e.Gedrueckt(SCAN_NULL)) neuerBlockTyp = (neuerBlockTyp + ANZAHL_BLOCKTYPEN - 1) % ANZAHL_BLOCKTYPEN;
  const char* name = Karte::BlockTypName(neuerBlockTyp);
  if (cursorInKarte && e.Gehalten(SCAN_SHIFT)) {
    const Zellposition von = Min(anker, cursorZelle), bis = Max(anker, cursorZelle);
    if (e.linksGedrueckt) anker = cursorZelle;
    if (e.linksLosgelassen) {
      SichereZustand();
      FuelleQuader(von, bis, neuerBlockTyp);
    }
    if (e.linksGehalten)
      for (int32_t z = von.z; z <= bis.z; ++z)
        for (int32_t y = von.y; y <= bis.y; ++y)
          for (int32_t x = von.x; x <= bis.x; ++x) ZeichneZellenRahmen({x, y, z}, ORANGE, 2.0f);
    SchreibeText(10, 50, "NeuBlock %s - (%d, %d, %d) bis (%d, %d, %d)", name, von.x, von.y, von.z, bis.x, bis.y, bis.z);
  } else if (cursorInKarte && e.linksGedrueckt) {
    SichereZustand();
    SetzeBlock(cursorZelle, neuerBlockTyp);
    anker = cursorZelle;
  }
  if (cursorInKarte) {
    ZeichneZellenRahmen(cursorZelle, ORANGE, 2.0f);
    SchreibeText(10, 30, "Blockmodus: NeuBlock %s - MausPos %d, %d, %d", name, cursorZelle.x, cursorZelle.y,
                 cursorZelle.z);
  } else {
    ZeichneZellenRahmen(cursorZelle, AUSSEN, 1.0f);
    SchreibeText(10, 30, "Blockmodus: NeuBlock %s - außerhalb Karte", name);
  }
}

void Editor::SetzeBlock(const Zellposition& zelle, uint32_t typ) {
  if (!szene.karte.Enthaelt(zelle.x, zelle.y, zelle.z)) return;
  FuelleQuader(zelle, zelle, typ);
}

// The faces of the box grown by one are recomputed after all cells are stored, so a face between
// two new cells sees both; the patches follow the faces.
void Editor::FuelleQuader(const Zellposition& von, const Zellposition& bis, uint32_t typ) {
  Karte& karte = szene.karte;
  if (karte.X == 0 || karte.Y == 0 || karte.Z == 0) return;
  const Zellposition groesste{int32_t(karte.X) - 1, int32_t(karte.Y) - 1, int32_t(karte.Z) - 1};
  const Zellposition a = Max(Min(von, bis), {0, 0, 0}), b = Min(Max(von, bis), groesste);
  if (a.x > b.x || a.y > b.y || a.z > b.z) return;
  for (int32_t y = a.y; y <= b.y; ++y)
    for (int32_t z = a.z; z <= b.z; ++z)
      for (int32_t x = a.x; x <= b.x; ++x) karte.ZelleBei(uint32_t(x), uint32_t(y), uint32_t(z)).typ = typ;
  const Zellposition ga = Max(a - Zellposition{1, 1, 1}, {0, 0, 0}), gb = Min(b + Zellposition{1, 1, 1}, groesste);
  for (int32_t y = ga.y; y <= gb.y; ++y)
    for (int32_t z = ga.z; z <= gb.z; ++z)
      for (int32_t x = ga.x; x <= gb.x; ++x) karte.BerechneFlaechen(uint32_t(x), uint32_t(y), uint32_t(z));
  for (int32_t y = ga.y; y <= gb.y; ++y)
    for (int32_t z = ga.z; z <= gb.z; ++z)
      for (int32_t x = ga.x; x <= gb.x; ++x) szene.AktualisiereBlockPatches(x, y, z);
}

// ---- object mode ----

void Editor::Objektmodus(const Eingabe& e, const BVektor3<float>& strahl) {
  SchreibeText(10, 30, "%d Objekte ausgewählt, NeuObjekt \"%s\", MausPos %.3f, %.3f, %.3f", int(auswahl.size()),
               Karte::ObjektTypVon(neuerObjektTyp).name, mausPunkt.x, mausPunkt.y, mausPunkt.z);
  SetzeAusrichtung(1, 4);
  ZeichneObjektCursor(mausPunkt, GRAU);
  if (e.Gedrueckt(SCAN_PUNKT)) neuerObjektTyp = (neuerObjektTyp + 1) % ANZAHL_OBJEKTTYPEN;
  if (e.Gedrueckt(SCAN_KOMMA)) neuerObjektTyp = (neuerObjektTyp + ANZAHL_OBJEKTTYPEN - 1) % ANZAHL_OBJEKTTYPEN;
  if (!e.linksGehalten && auswahl.empty()) ZeichneObjektMarken(neuerObjektTyp, mausPunkt * 0.5f, WEISS, KEIN_INDEX);
  for (uint64_t i : auswahl) ZeichneObjektMarken(szene.karte.objekte[i].typ, Position(szene.karte.objekte[i]), WEISS, i);
  if (e.linksGedrueckt) DrueckeObjektmodus(strahl, e.Gehalten(SCAN_STRG));
  if (e.linksGehalten) {
    if (e.Gehalten(SCAN_SHIFT)) ZieheSenkrecht(strahl);
    else ZieheWaagerecht(strahl);
  }
  if (e.KnopfGedrueckt(KNOPF_RECHTS)) auswahl.clear();
  if (e.Gedrueckt(SCAN_ENTF)) Loesche(strahl);
  if (e.Gedrueckt(SCAN_ENDE)) OeffneDialog(strahl);
}

void Editor::DrueckeObjektmodus(const BVektor3<float>& strahl, bool strg) {
  zieht = 0;
  Wahl wahl = WaehleObjekt(kamera, strahl);
  if (!wahl.gefunden && !strg) {
    SichereZustand();
    zieht = 1;
    Karte::Objekt neu;
    neu.typ = neuerObjektTyp;
    const BVektor3<float> p = mausPunkt * 0.5f;
    neu.x = p.x;
    neu.y = p.y;
    neu.z = p.z;
    szene.karte.objekte.push_back(neu);
    szene.BaueAusObjekten();
    wahl = {szene.karte.objekte.size() - 1, true};
  }
  if (wahl.gefunden && std::find(auswahl.begin(), auswahl.end(), wahl.index) == auswahl.end())
    auswahl.push_back(wahl.index);
  // The drag plane's point: only a crossing ahead counts; otherwise the first drag frame that
  // meets the plane sets it.
  const float t = (ziehPunkt.y - kamera.y) / strahl.y;
  ziehPunktGueltig = t > 0 && std::isfinite(t);
  if (ziehPunktGueltig) ziehPunkt = kamera + strahl * t;
}

void Editor::ZieheSenkrecht(const BVektor3<float>& strahl) {
  const BVektor3<float> n{-ansicht(2, 0), -ansicht(2, 1), -ansicht(2, 2)};
  const float nr = n.Punkt(strahl);
  const float t = std::fabs(100.0f * nr) < 0.000001f ? 0.0f : (n.Punkt(ziehPunkt) - n.Punkt(kamera)) / nr;
  const float hoehe = kamera.y + t * strahl.y;
  const float d = (hoehe - ziehPunkt.y) / 2.0f;
  if (!zieht) {
    SichereZustand();
    zieht = 1;
  }
  for (uint64_t i : auswahl) szene.karte.objekte[i].y += d;
  ziehPunkt.y = hoehe;
  szene.BaueAusObjekten();
}

void Editor::ZieheWaagerecht(const BVektor3<float>& strahl) {
  if (!(kamera.y > ziehPunkt.y + 1.0f && strahl.y < MIN_ABSTIEG)) return;
  const float t = (ziehPunkt.y - kamera.y) / strahl.y;
  const BVektor3<float> punkt = kamera + strahl * t;
  if (!ziehPunktGueltig) {
    ziehPunkt = punkt;
    ziehPunktGueltig = true;
    return;
  }
  const BVektor3<float> m = punkt - ziehPunkt;
  if (!(m.Punkt(m) > 0.0001f)) return;
  if (!zieht) {
    SichereZustand();
    zieht = 1;
  }
  for (uint64_t i : auswahl) {
    Karte::Objekt& o = szene.karte.objekte[i];
    o.x += m.x / 2;
    o.y += m.y / 2;
    o.z += m.z / 2;
  }
  ziehPunkt = ziehPunkt + m;
  szene.BaueAusObjekten();
}

void Editor::Loesche(const BVektor3<float>& strahl) {
  std::vector<Karte::Objekt>& objekte = szene.karte.objekte;
  if (!auswahl.empty()) {
    SichereZustand();
    std::sort(auswahl.begin(), auswahl.end());
    for (auto i = auswahl.rbegin(); i != auswahl.rend(); ++i) objekte.erase(objekte.begin() + int64_t(*i));
  } else if (const Wahl wahl = WaehleObjekt(kamera, strahl); wahl.gefunden) {
    SichereZustand();
    objekte.erase(objekte.begin() + int64_t(wahl.index));
  }
  auswahl.clear();
  szene.BaueAusObjekten();
}

void Editor::OeffneDialog(const BVektor3<float>& strahl) {
  Buttons* bruecke = Buttons::Global();
  Gui::Oberflaeche* oberflaeche = bruecke ? bruecke->GibOberflaeche() : nullptr;
  if (!oberflaeche || dialog) return;
  const Wahl wahl = WaehleObjekt(kamera, strahl);
  if (!wahl.gefunden) return;
  dialog = new ObjektArgMenu(szene, wahl.index);
  oberflaeche->FuegeHinzu(dialog);
}

void Editor::VergissDialog(const ObjektArgMenu* menu) {
  if (dialog == menu) dialog = nullptr;
}

Editor::Wahl Editor::WaehleObjekt(const BVektor3<float>& c, const BVektor3<float>& r) const {
  constexpr float NAEHE_QUADRAT = 0.36f, GRENZE = 100000.0f;
  Wahl beste;
  float besteT = 0;
  const std::vector<Karte::Objekt>& objekte = szene.karte.objekte;
  for (uint64_t i = 0; i < objekte.size(); ++i) {
    const BVektor3<float> p = Raster::Einrasten(Karte::ObjektTypVon(objekte[i].typ), Position(objekte[i])) * 2.0f;
    const float t = (p - c).Punkt(r);
    const BVektor3<float> abstand = p - (c + r * t);
    if (!(t > 0) || !(abstand.Punkt(abstand) < NAEHE_QUADRAT)) continue;
    if (!beste.gefunden || t < besteT) {
      beste = {i, true};
      besteT = t;
    }
  }
  if (beste.gefunden && !(besteT < GRENZE)) return {};
  return beste;
}

}  // namespace Spiel

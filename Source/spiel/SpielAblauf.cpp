// The game flow: construction, the pages, the frame's turning, walking and falling, the help
// timer, the view matrix and the vignette. Player control is in Spielersteuerung.cpp.
#include "SpielAblauf.h"

#include <cmath>

#include "Anordnung.h"
#include "Bewegung.h"
#include "Button.h"
#include "ButtonBild.h"
#include "Buttons.h"
#include "Oberflaeche.h"
#include "Objektregeln.h"
#include "PauseMenu.h"
#include "Ressourcen.h"
#include "Seite.h"
#include "Stil.h"
#include "SzenenDatei.h"
#include "Zarvo_Audio.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace {

constexpr float ZWEI_PI = 6.28318531f;
constexpr float DREH_GESCHWINDIGKEIT = 3.0f;  // rad/s
constexpr float GEH_GESCHWINDIGKEIT = 4.0f;   // units/s
constexpr float STOSS = 0.2f;                 // a refused step's bump, in world units per cell of the step
constexpr float HILFE_NACH_SEKUNDEN = 3.0f;
constexpr float VIGNETTE_ZIEL = 0.7f;
constexpr float SEITEN_RAND = 20.0f;
constexpr float SEITEN_ABSTAND = 5.0f;
constexpr float SEITEN_HINTERGRUND = 0.3f;
constexpr uint64_t BILD_LEERES_FACH = 50, BILD_ERSTES_SYMBOL = 51;
constexpr uint32_t ERSTER_BLICK = 1;
constexpr uint32_t ANZAHL_BLICKE = 4;

BVektor3<float> AlsFloat(const SpielAblauf::Zellposition& v) { return {float(v.x), float(v.y), float(v.z)}; }

// A page of the game: a row or a column with gaps of 5 around its children.
Gui::Seite* NeueSeite(uint32_t art, const BVektor3<float>& dehnung) {
  auto* seite = new Gui::Seite(art, dehnung);
  Gui::SetzeStil(seite->eigenschaften, "elmAbstand.x", SEITEN_ABSTAND);
  Gui::SetzeStil(seite->eigenschaften, "elmAbstand.y", SEITEN_ABSTAND);
  return seite;
}

// A button showing a sprite of the game atlas, with a hotkey (Gui::Taste::KEINE: none).
Gui::Button* NeuerKnopf(uint64_t bild, uint64_t taste) {
  auto* knopf = new Gui::Button("", Gui::ButtonBild(Ressourcen::Atlas(), bild, false));
  knopf->SetTaste(taste);
  return knopf;
}

// A page sized to its content.
BVektor3<float> GroesseNachInhalt(Gui::Seite& seite) {
  const BVektor3<float> groesse = seite.GetGroesse();
  seite.SetGroesse(groesse, false);
  return groesse;
}

// At its place on the input bridge's surface (detached when there is none).
void Zeige(Gui::Seite& seite, const BVektor3<float>& position) {
  seite.SetPosition(position, false);
  Buttons* bruecke = Buttons::Global();
  if (bruecke && bruecke->GibOberflaeche()) bruecke->GibOberflaeche()->FuegeHinzu(&seite);
}

}  // namespace

SpielAblauf::SpielAblauf(Zarvo_Audio* audio, Zarvo_AudioKanal* kanal, Generator::Erbauer erbauer)
    : szene(uhr, audio, kanal, std::move(erbauer)) {
  uhr.SetMaxSchritt(TZeit(g_ZeitFrequenzF * 0.015625f));
  LadeSzene();
  StelleAufStart();
  ErstelleUI();
  StarteMusik(audio);
  Zarvo_Screen3D::SetMausModus(false);
}

SpielAblauf::~SpielAblauf() {
  PauseMenu::SchliesseAlle(uhr);
  if (!musikKanal.IstNull()) musikKanal.Stopp();
  bewegungsSeite.reset();
  inventarSeite.reset();
  Zarvo_Screen3D::SetMausModus(true);
}

// ---- construction ----

void SpielAblauf::LadeSzene() {
  SzenenDatei::Lade(g_System.anwendungsVerzeichnis / "Daten" / "szene.dat", szene.karte);
  szene.AktualisiereAlleBlockPatches();
  szene.BaueAusObjekten();
}

// The scene answers a start cell inside the grid (its fallback when the file has none there).
void SpielAblauf::StelleAufStart() {
  zelle = szene.GibStartZelle();
  auge = Bewegung::AugenPosition(szene.karte, zelle);
  const uint32_t richtung = szene.GibStartRichtung();
  blick = richtung < ANZAHL_BLICKE ? richtung : ERSTER_BLICK;  // up and down are no facing
  gieren = Bewegung::Kurs(blick);
  schrittWunsch = {};
  zielBlick = blick;
  // The player stands on the start cell: leaving it releases its trigger.
  szene.AusloeserAn(uint32_t(zelle.x), uint32_t(zelle.y), uint32_t(zelle.z));
}

// A stream: a full decode would hold the whole piece per game flow until audio shuts down.
// LadeSample answers 0 both for a first slot and for audio that is off, so the sample decides.
void SpielAblauf::StarteMusik(Zarvo_Audio* audio) {
  if (!audio) return;
  const std::filesystem::path pfad = g_System.anwendungsVerzeichnis / "Daten" / "usaganie.ogg";
  const int64_t id = audio->LadeSample(Zarvo_AudioSample::AusUtf8(pfad.string()), true, false);
  musik = audio->GibSample(id);
  if (!musik) {
    g_Log.Schreibe("?Unable to load music.");
    return;
  }
  musikId = uint64_t(id);
  musik->SetWiederholen();
  if (Zarvo_AudioKanal* master = audio->GibMasterKanal()) musikKanal = musik->SpieleAb(master);
}

// ---- the pages ----

void SpielAblauf::ErstelleUI() {
  BaueBewegungsSeite();
  BaueInventarSeite();
}

void SpielAblauf::BaueBewegungsSeite() {
  struct Bewegungsknopf {
    uint64_t bild, taste;
    Wunsch wunsch;
  };
  static constexpr Bewegungsknopf KNOEPFE[2][3] = {
      {{2, 16, Wunsch::DreheLinks}, {3, 17, Wunsch::Vor}, {4, 18, Wunsch::DreheRechts}},
      {{5, 30, Wunsch::Links}, {6, 31, Wunsch::Zurueck}, {7, 32, Wunsch::Rechts}},
  };
  bewegungsSeite.reset(NeueSeite(Gui::Anordnung::SPALTE, {0, 0, 0}));
  Gui::SetzeStil(bewegungsSeite->eigenschaften, "hintergrund", SEITEN_HINTERGRUND);
  for (const auto& zeile : KNOEPFE) {
    Gui::Seite* reihe = NeueSeite(Gui::Anordnung::ZEILE, {1, 1, 0});
    for (const Bewegungsknopf& k : zeile) {
      Gui::Button* knopf = NeuerKnopf(k.bild, k.taste);
      knopf->beiKlick = [this, wunsch = k.wunsch] { Wuensche(wunsch); };
      reihe->FuegeHinzu(knopf);
    }
    bewegungsSeite->FuegeHinzu(reihe);
  }
  const float breite = GroesseNachInhalt(*bewegungsSeite).x;
  Zeige(*bewegungsSeite, {Kamera::LiesSchirm().breite - breite - SEITEN_RAND, SEITEN_RAND, 0});
}

void SpielAblauf::BaueInventarSeite() {
  inventarSpalten = INVENTAR_SPALTEN;
  inventarZeilen = INVENTAR_ZEILEN;
  inventar.resize(inventarSpalten * inventarZeilen);
  inventarSeite.reset(NeueSeite(Gui::Anordnung::SPALTE, {0, 0, 0}));
  Gui::SetzeStil(inventarSeite->eigenschaften, "hintergrund", SEITEN_HINTERGRUND);
  knopfSpalten = inventarSpalten;
  knopfZeilen = inventarZeilen;
  inventarKnoepfe.clear();
  for (uint64_t z = 0; z < knopfZeilen; ++z) {
    Gui::Seite* reihe = NeueSeite(Gui::Anordnung::ZEILE, {1, 1, 0});
    for (uint64_t s = 0; s < knopfSpalten; ++s) {
      Gui::Button* knopf = NeuerKnopf(BILD_LEERES_FACH, Gui::Taste::KEINE);
      const size_t fach = size_t(z * knopfSpalten + s);
      knopf->beiKlick = [this, fach] { TauscheMitFach(fach); };
      reihe->FuegeHinzu(knopf);
      inventarKnoepfe.push_back(knopf);
    }
    inventarSeite->FuegeHinzu(reihe);
  }
  GroesseNachInhalt(*inventarSeite);
  Zeige(*inventarSeite, {SEITEN_RAND, SEITEN_RAND, 0});
}

void SpielAblauf::TauscheMitFach(size_t fach) {
  std::swap(inventar[fach], getragen);
  const Gegenstand& drin = inventar[fach];
  const uint64_t bild = drin.da ? BILD_ERSTES_SYMBOL + drin.typ : BILD_LEERES_FACH;
  inventarKnoepfe[fach]->SetBild(Gui::ButtonBild(Ressourcen::Atlas(), bild, false));
}

// The movement buttons and the screen zones ask for a step or a quarter turn.
void SpielAblauf::Wuensche(Wunsch wunsch) {
  switch (wunsch) {
    case Wunsch::DreheLinks: zielBlick = Bewegung::LinksDrehung(blick); break;
    case Wunsch::DreheRechts: zielBlick = Bewegung::RechtsDrehung(blick); break;
    case Wunsch::Vor: schrittWunsch = Objektregeln::RichtungsSchritt(blick); break;
    case Wunsch::Zurueck: schrittWunsch = Objektregeln::RichtungsSchritt(blick) * -1; break;
    case Wunsch::Links: schrittWunsch = Objektregeln::RichtungsSchritt(Bewegung::LinksDrehung(blick)); break;
    case Wunsch::Rechts: schrittWunsch = Objektregeln::RichtungsSchritt(Bewegung::RechtsDrehung(blick)); break;
  }
}

// ---- one frame ----

void SpielAblauf::Aktualisiere() {
  uhr.Aktualisiere();
  const float dt = float(uhr.letzterSchritt) * g_ZeitInversF;
  PruefeHilfe();
  if (!uhr.IstPausiert()) Bewege(dt);
  BaueAnsicht();
  szene.Aktualisiere(Kamera::Position(ansicht));
  partikel.Aktualisiere(uhr.letzterSchritt);
  if (!uhr.IstPausiert()) VerblasseVignette(dt);
}

void SpielAblauf::PruefeHilfe() {
  if (uhr.zeit <= hilfeFaellig || !hilfeText.empty() || hilfeZustand != HILFE_WARTET) return;
  hilfeText = HILFE_TEXT;
  hilfeZustand = HILFE_GEZEIGT;
}

// The first frame with motion starts the help's 3 s.
void SpielAblauf::StarteHilfe() {
  if (hilfeZustand != HILFE_AUS) return;
  hilfeText.clear();
  hilfeZustand = HILFE_WARTET;
  hilfeFaellig = uhr.zeit + SekundenAlsTicks(HILFE_NACH_SEKUNDEN);
}

// True when the yaw has reached the facing's heading.
bool SpielAblauf::Drehe(float dt) {
  float d = Bewegung::Kurs(blick) - gieren;
  d -= ZWEI_PI * std::floor(d / ZWEI_PI + 0.5f);
  const float schritt = DREH_GESCHWINDIGKEIT * dt;
  if (std::fabs(d) > schritt) {
    gieren += d > 0 ? schritt : -schritt;
    return false;
  }
  gieren = Bewegung::Kurs(blick);
  return true;
}

void SpielAblauf::Bewege(float dt) {
  const bool gedreht = Drehe(dt);
  const BVektor3<float> ziel = Bewegung::AugenPosition(szene.karte, zelle);
  const BVektor3<float> weg = ziel - auge;
  const float abstandQuadrat = weg.Punkt(weg);
  if (abstandQuadrat >= 16.0f * dt * dt) {
    // With dt = 0 an eye at its target lands here too: it has no direction to move along.
    if (abstandQuadrat > 0) auge += weg * (GEH_GESCHWINDIGKEIT * dt / std::sqrt(abstandQuadrat));
    AktualisiereSpieler();
    StarteHilfe();
    return;
  }
  auge = ziel;
  if (!gedreht) {
    AktualisiereSpieler();
    StarteHilfe();
  } else if (Bewegung::Faellt(szene.karte, zelle)) {
    Falle();
    AktualisiereSpieler();
    StarteHilfe();
  } else if (schrittWunsch != Zellposition{}) {
    Schreite();
    AktualisiereSpieler();
  } else if (zielBlick != blick) {
    blick = zielBlick;
    AktualisiereSpieler();
  } else {
    AktualisiereSpieler();
  }
}

void SpielAblauf::WechsleZelle(const Zellposition& neu) {
  szene.AusloeserAus(uint32_t(zelle.x), uint32_t(zelle.y), uint32_t(zelle.z));
  zelle = neu;
  szene.AusloeserAn(uint32_t(zelle.x), uint32_t(zelle.y), uint32_t(zelle.z));
}

void SpielAblauf::Falle() {
  WechsleZelle({zelle.x, zelle.y - 1, zelle.z});
  schrittWunsch = {};
  zielBlick = blick;
}

void SpielAblauf::Schreite() {
  const Bewegung::Schritt schritt = Bewegung::SchrittTest(szene.karte, zelle, schrittWunsch,
                                                          [this](const Zellposition& z) { return szene.GitterZu(z); });
  if (schritt.erlaubt)
    WechsleZelle(schritt.ziel);
  else
    auge += AlsFloat(schrittWunsch) * STOSS;
  schrittWunsch = {};
}

void SpielAblauf::BaueAnsicht() {
  ansicht = Kamera::Ansicht(auge, AlsFloat(Objektregeln::RichtungsSchritt(blick)), gieren + mausGieren, neigung);
}

void SpielAblauf::VerblasseVignette(float dt) {
  for (int i = 0; i < 3; ++i) vignette[i] -= vignette[i] * dt;
  vignette[3] += (VIGNETTE_ZIEL - vignette[3]) * dt;
}

}  // namespace Spiel

#include "Hauptschleife.h"

#include <algorithm>

#include "Anwendung.h"
#include "Buttons.h"
#include "Editor.h"
#include "FilterEffekt.h"
#include "Keyboard.h"
#include "Mouse.h"
#include "Oberflaeche.h"
#include "Oprix.h"
#include "PauseMenu.h"
#include "Plattform/system/StapelMessung.h"
#include "Plattform/system/Zustandsausgabe.h"
#include "Ressourcen.h"
#include "SpielAblauf.h"
#include "WeltRenderer.h"
#include "Zarvo_AudioInstanz.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_KonsoleStandardAnzeige.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"
#include "Zustandsbericht.h"

namespace Spiel {

namespace {

constexpr float BLENDE_PRO_SEKUNDE = 2.0f;
constexpr float CURSOR_TIEFE = 0.5f;
constexpr float FPS_OBEN = 20.0f, FPS_HOEHE = 100.0f;
constexpr float EDITOR_VIGNETTE[4] = {0, 0, 0, 5.0f};

// Whether an effect of that name is in the set.
bool HatEffekt(const FilterSatz& satz, const char* name) {
  return std::any_of(satz.effekte.begin(), satz.effekte.end(),
                     [&](const auto& eintrag) { return eintrag.second && eintrag.second->name == name; });
}

}  // namespace

Hauptschleife::Hauptschleife(Anwendung& anwendung) : anwendung(anwendung) {}

Hauptschleife::~Hauptschleife() {
  if (aufgebaut) Abbau();
}

// ---- keys ----

OPRIX::Keyboard* Hauptschleife::Tastatur() { return OPRIX::gInputSystem ? OPRIX::gInputSystem->KeyboardAt(0) : nullptr; }

bool Hauptschleife::Gedrueckt(int taste) {
  const OPRIX::Keyboard* tastatur = Tastatur();
  return tastatur && tastatur->KeyWentDown(taste);
}

bool Hauptschleife::Gehalten(int taste) {
  const OPRIX::Keyboard* tastatur = Tastatur();
  return tastatur && tastatur->KeyHeld(taste);
}

Hauptschleife::Modus Hauptschleife::GibModus() const { return spiel ? Modus::SPIEL : Modus::EDITOR; }

// ---- set-up and shutdown ----

void Hauptschleife::Aufbau() {
  aufgebaut = true;
  bruecke = std::make_unique<Buttons>();
  OPRIX::gInputSystem->handler = bruecke.get();
  renderer = std::make_unique<WeltRenderer>();
  linien = std::make_unique<Zarvo_LinienStapel>();
  Zarvo_LinienStapel::SetzeGlobal(linien.get());
  nachFilter = std::make_unique<FilterSatz>();
  nachFilter->AddFilter(BLOOM_ID, renderer->verwaltung.GibEffekt("bloom"));
  g_Parallel->MachSofort([this] { spiel = std::make_unique<SpielAblauf>(&g_Audio, anwendung.GibKanal()); });
  breite = Zarvo_Screen3D::Zustand().breite;
  hoehe = Zarvo_Screen3D::Zustand().hoehe;
  fpsMessung = LiesZaehler();
}

void Hauptschleife::Abbau() {
  aufgebaut = false;
  if (g_Parallel && (spiel || editor)) g_Parallel->MachSofort([this] { BeendeModi(); });
  Zarvo_LinienStapel::SetzeGlobal(nullptr);
  nachFilter.reset();
  linien.reset();
  renderer.reset();
  bruecke.reset();  // its renderer, then its surface; also the input handler
}

// The editor saves; every pause menu on the game clock goes before the clock.
void Hauptschleife::BeendeModi() {
  editor.reset();
  if (spiel) {
    PauseMenu::SchliesseAlle(spiel->GibUhr());
    spiel.reset();
  }
}

// ---- one frame ----

void Hauptschleife::Bild() {
  OPRIX::gInputSystem->Refresh();
  PasseGroesseAn();
  g_Zeit.Aktualisiere();
  g_Log.LeereWarteschlange();
  g_Audio.Arbeiten();
  Blende();
  if (Gedrueckt(TASTE_F6)) renderer->LadeShader();
  renderer->drahtgitter = Gehalten(TASTE_F7);

  cursor = KEIN_CURSOR;
  g_Parallel->MachSofort([this] { BildSchritt(); });

  ZeichneWarteschlangen();
  bruecke->Zeichne();
  ZeichneCursor();
  SchalteKonsole();
  ZaehleBild();
  ZeichneFps();
  if (Zarvo_KonsoleStandardAnzeige* konsole = anwendung.GibKonsole()) konsole->Zeichne();
  if (Gedrueckt(TASTE_F1)) Anwendung::MacheScreenshot();

  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  kontext->EndeZeichnen();
  ++bildNummer;
  if (pruefbetrieb::Zustandsausgabe::Gewuenscht()) pruefbetrieb::Zustandsausgabe::Schreibe(Zustandsbericht(*this));
  kontext->impl.LeereTexturStufen();
}

// The size events of this frame's poll have reached the screen; the surface follows it.
void Hauptschleife::PasseGroesseAn() {
  const Zarvo_BildschirmZustand& schirm = Zarvo_Screen3D::Zustand();
  if (schirm.breite == breite && schirm.hoehe == hoehe) return;
  breite = schirm.breite;
  hoehe = schirm.hoehe;
  bruecke->GibOberflaeche()->SetGroesse({float(breite), float(hoehe), 0}, false);
}

void Hauptschleife::Blende() {
  const float dt = float(g_Zeit.letzterSchritt) * g_ZeitInversF;
  const bool pausiert = spiel && spiel->GibUhr().IstPausiert();
  blende = pausiert ? std::min(blende + BLENDE_PRO_SEKUNDE * dt, 1.0f) : std::max(blende - BLENDE_PRO_SEKUNDE * dt, 0.0f);
  const bool aktiv = HatEffekt(*nachFilter, "pause");
  if (blende > 0) {
    if (!aktiv) nachFilter->AddFilter(PAUSE_ID, renderer->verwaltung.GibEffekt("pause"));
    nachFilter->SetParameter("staerke", blende, 0, 0, 0);
  } else if (aktiv) {
    nachFilter->EntferneFilter(PAUSE_ID);
  }
}

// ---- the frame step (a job of the main queue) ----

void Hauptschleife::BildSchritt() {
  const bool messen = pruefbetrieb::Zustandsausgabe::Offen();
  if (messen) MisstStapel(true);
  if (spiel)
    SpielSchritt();
  else
    EditorSchritt();
  ZeichneWelt();
  if (messen) MisstStapel(false);
}

void Hauptschleife::SpielSchritt() {
  spiel->Aktualisiere();
  cursor = spiel->GibCursor();
  const float(&vignette)[4] = spiel->GibVignette();
  nachFilter->SetParameter("Vignette", vignette[0], vignette[1], vignette[2], vignette[3]);
  renderer->segmentGrenze = SEGMENT_GRENZE_SPIEL;
  Zarvo_Timer& uhr = spiel->GibUhr();
  if (uhr.IstPausiert()) return;
  PauseMenu::OeffneBeiEsc(uhr, Tastatur(), *bruecke->GibOberflaeche());
  // A menu opened just now holds the clock: this frame stays in the game.
  if (!uhr.IstPausiert() && Gedrueckt(TASTE_F4)) WechsleZumEditor();
}

void Hauptschleife::EditorSchritt() {
  editor->Aktualisiere();
  nachFilter->SetParameter("Vignette", EDITOR_VIGNETTE[0], EDITOR_VIGNETTE[1], EDITOR_VIGNETTE[2], EDITOR_VIGNETTE[3]);
  renderer->segmentGrenze = editor->GibSchnittHoehe();
  // The object dialog's callbacks reach the editor and its scene until the dialog is deleted.
  if (Gedrueckt(TASTE_F4) && !Editor::ModaleSeiteOffen()) WechsleZumSpiel();
}

void Hauptschleife::WechsleZumEditor() {
  BeendeModi();
  editor = std::make_unique<Editor>(&g_Audio, anwendung.GibKanal());
}

void Hauptschleife::WechsleZumSpiel() {
  BeendeModi();
  spiel = std::make_unique<SpielAblauf>(&g_Audio, anwendung.GibKanal());
}

void Hauptschleife::ZeichneWelt() {
  if (spiel) {
    renderer->Zeichne(*spiel, spiel->GibAnsicht(), *nachFilter);
    return;
  }
  const uint64_t w = Zarvo_Screen3D::Zustand().breite, h = Zarvo_Screen3D::Zustand().hoehe;
  const BMatrix projektion = Editor::Projektion(float(w), float(h));
  renderer->ZeichnePassagen(editor->GibSzene(), editor->GibAnsicht(), projektion, *nachFilter);
  renderer->verwaltung.WendeFilterAn(*nachFilter, renderer->hauptTextur, {nullptr, 0, 0, w, h});
}

void Hauptschleife::MisstStapel(bool anfang) {
  const Zarvo_Parallel::Auftrag* auftrag = Zarvo_Parallel::AktuellerAuftrag();
  if (!auftrag) return;
  if (anfang)
    win32::FuelleStapelMuster(auftrag->eigenerStapel);
  else
    stapelSpitze = std::max(stapelSpitze, win32::GenutzteStapelTiefe(auftrag->eigenerStapel));
}

// ---- drawing after the step ----

void Hauptschleife::ZeichneWarteschlangen() {
  if (Zarvo_SpriteAtlas* atlas = Ressourcen::Atlas()) atlas->Zeichne();
  if (Zarvo_Font3D* schrift = Ressourcen::Schrift()) schrift->ZeichneAlles();
}

void Hauptschleife::ZeichneCursor() {
  Zarvo_SpriteAtlas* atlas = Ressourcen::Atlas();
  if (cursor == KEIN_CURSOR || !atlas) return;
  const OPRIX::Mouse* maus = OPRIX::gInputSystem->MouseAt(0);
  // Without a mouse the sprite goes to the corner.
  const BVektor3<float> ort{maus ? maus->AbsoluteX() : 0.0f, maus ? maus->AbsoluteY() : 0.0f, CURSOR_TIEFE};
  const uint8_t zentriertVorher = atlas->Liste().zentriert;
  atlas->Liste().zentriert = 1;
  atlas->AddSprite(cursor, ort, {1, 1, 1, 1}, 0, 0, 0);
  atlas->Liste().zentriert = zentriertVorher;
  atlas->Zeichne();
}

void Hauptschleife::SchalteKonsole() {
  Zarvo_KonsoleStandardAnzeige* konsole = anwendung.GibKonsole();
  if (!konsole || !Gedrueckt(TASTE_F11)) return;
  const bool oeffnen = !konsole->IstEingabeAktiv();
  konsole->SetEingabeAktiv(oeffnen);
  if (oeffnen)
    OPRIX::gInputSystem->handler = konsole;
  else
    OPRIX::gInputSystem->handler = bruecke.get();
}

// The counter holds the frames that have ended (presented) since the last reading; this frame has
// not, so a block closes in the frame after its 32nd and spans exactly 32 presents.
void Hauptschleife::ZaehleBild() {
  if (fpsZaehler >= FPS_BLOCK) {
    fpsZaehler -= FPS_BLOCK;
    const int64_t jetzt = LiesZaehler();
    fps = float(FPS_BLOCK / (double(jetzt - fpsMessung) * g_ZeitInversD));
    fpsMessung = LiesZaehler();
  }
  fpsZaehler += 1;
}

void Hauptschleife::ZeichneFps() {
  Zarvo_SpriteAtlas* atlas = Ressourcen::Atlas();
  Zarvo_Font3D* schrift = Ressourcen::Schrift();
  if (atlas) atlas->Zeichne();
  if (!schrift) return;
  schrift->SetGroesse(schrift->NativeHoehe());
  schrift->farbe = {1, 1, 1, 1};
  schrift->SetAusrichtung(Zarvo_Font3D::RECHTS, Zarvo_Font3D::OBEN);
  schrift->ZeichneBlock(0, FPS_OBEN, float(Zarvo_Screen3D::Zustand().breite), FPS_HOEHE, "%.2ffps", double(fps));
  schrift->ZeichneAlles();
}

}  // namespace Spiel

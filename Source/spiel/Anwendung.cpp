#include "Anwendung.h"

#include <filesystem>
#include <string>
#include <system_error>

#include <fmt/format.h>

#include "Hauptschleife.h"
#include "Oprix.h"
#include "Plattform/eingabe/Quelle.h"
#include "Ressourcen.h"
#include "Zarvo_AudioInstanz.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Bild.h"
#include "Zarvo_KonsoleStandardAnzeige.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

namespace Spiel {

namespace {

constexpr float MAX_SCHRITT_SEKUNDEN = 0.1f;
constexpr uint64_t SCHIRM_FENSTER = 2;
constexpr uint32_t MAX_SCREENSHOTS = 10000;

// Numbers the screenshots of one application run: the search starts again with each start.
uint32_t screenshotZaehler = 0;

}  // namespace

uint64_t Anwendung::BildschirmFlags(bool vollbild, bool vsync) {
  return SCHIRM_FENSTER | (vollbild ? Zarvo_Screen3D::FLAG_VOLLBILD : 0) | (vsync ? Zarvo_Screen3D::FLAG_VSYNC : 0);
}

Anwendung::Anwendung() {
  screenshotZaehler = 0;
  try {
    OeffneBildschirm();
    g_Zeit.SetMaxSchritt(TZeit(double(g_ZeitFrequenz) * MAX_SCHRITT_SEKUNDEN));
    OeffneEingabe();
    OeffneKonsole();
    StarteAudio();
    Ressourcen::Lade();
    erreicht = RESSOURCEN;
    schleife = std::make_unique<Hauptschleife>(*this);
  } catch (...) {
    BaueAb();
    throw;
  }
}

Anwendung::~Anwendung() {
  schleife.reset();
  BaueAb();
}

void Anwendung::OeffneBildschirm() {
  const int32_t breite = g_DisplayBreite.intWert, hoehe = g_DisplayHoehe.intWert;
  // A negative size is no size the window system could be asked for.
  const bool ok = breite >= 0 && hoehe >= 0 &&
                  Zarvo_Screen3D::Init(0, 0, {uint32_t(breite), uint32_t(hoehe), uint32_t(g_DisplayTiefe.intWert), 0},
                                       BildschirmFlags(g_Vollbild.boolWert, g_VSync.boolWert));
  if (!ok) ZARVO_AUSNAHME("Screen initialisation failed.");
  erreicht = BILDSCHIRM;
}

void Anwendung::OeffneEingabe() {
  g_Log.Schreibe("Creating Input");
  OPRIX::SetLogHook(&LogInputMeldung);
  OPRIX::SetEventPump(&Pumpe);
  // A back end that ignores the display's input keeps the library focused: other windows taking
  // the focus must not release its keys.
  if (eingabe::AktiveQuelle().FokusZaehlt()) Zarvo_Screen3D::fokusHaken = &OPRIX::NoteWindowFocus;
  erreicht = EINGABE;
  if (!OPRIX::OpenWindowInput(Zarvo_Screen3D::NativerGriff())) ZARVO_AUSNAHME("Failed to initialize input system");
}

void Anwendung::OeffneKonsole() {
  konsole = new Zarvo_KonsoleStandardAnzeige(g_System.anwendungsVerzeichnis / "Daten" / "calibrib.fnt");
  erreicht = KONSOLE;
}

void Anwendung::StarteAudio() {
  g_Audio.Init();
  // Also for a second application in one process, whose audio is still running.
  if (g_Audio.IstInitialisiert()) kanal = g_Audio.ErzeugeKanal();
  erreicht = AUDIO;
}

void Anwendung::BaueAb() noexcept {
  if (erreicht >= RESSOURCEN) Ressourcen::Freigeben();
  if (erreicht >= KONSOLE) {
    delete konsole;  // clears the log's display
    konsole = nullptr;
  }
  if (erreicht >= EINGABE) {
    OPRIX::CloseInput();
    Zarvo_Screen3D::fokusHaken = nullptr;
    OPRIX::SetEventPump(nullptr);
    OPRIX::SetLogHook(nullptr);
  }
  if (erreicht >= BILDSCHIRM) Zarvo_Screen3D::Schliessen();
  kanal = nullptr;
  erreicht = KEINER;
}

void Anwendung::Ausfuehren() {
  schleife->Aufbau();
  while (!g_System.beenden) schleife->Bild();
  schleife->Abbau();
}

void Anwendung::LogInputMeldung(const char* text) { g_Log.Schreibe("Input says: %s", text); }

void Anwendung::Pumpe() {
  Zarvo_Screen3D::VerarbeiteEreignisse();
  eingabe::AktiveQuelle().Bildbeginn();
}

void Anwendung::MacheScreenshot() {
  namespace fs = std::filesystem;
  const fs::path ordner = g_System.benutzerDaten / "screenshots";
  std::error_code fehler;
  if (!fs::exists(ordner, fehler) && !fehler) fs::create_directory(ordner, fehler);
  if (fehler) {
    g_Log.Schreibe("!Screenshot: Ordner \"%s\" nicht nutzbar: %s", ordner.string().c_str(), fehler.message().c_str());
    return;
  }

  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  const Zarvo_BildschirmZustand& schirm = Zarvo_Screen3D::Zustand();
  Zarvo_Bild bild(schirm.breite, schirm.hoehe, PXFMT_A8R8G8B8, 1);
  if (kontext) kontext->LiesBildschirmInhalt(bild);

  fs::path pfad;
  for (;; ++screenshotZaehler) {
    if (screenshotZaehler >= MAX_SCREENSHOTS) return;
    pfad = ordner / fmt::format("screenshot{:04}.png", screenshotZaehler);
    // An error here (the folder went away, or is none) ends the search; saving then reports it.
    if (!fs::exists(pfad, fehler) || fehler) break;
  }
  // A failed save has written its own "!" line with the path.
  if (bild.SpeicherePNG(pfad, 0)) g_Log.Schreibe("Screenshot saved as \"%s\".", pfad.string().c_str());
}

}  // namespace Spiel

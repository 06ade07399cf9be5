// The editor's life cycle and its files: opening with the scene file, the undo snapshots, and
// leaving with the save (a damaged file is moved aside first, never overwritten).
#include <string>
#include <system_error>

#include "Editor.h"
#include "ObjektArgMenu.h"
#include "SzenenDatei.h"
#include "Zarvo_Start.h"

namespace Spiel {

Editor* Editor::global = nullptr;

namespace {
constexpr float MAX_SCHRITT_SEKUNDEN = 0.1f;
}  // namespace

Editor::Editor(Zarvo_Audio* audio, Zarvo_AudioKanal* kanal, Generator::Erbauer erbauer)
    : szene(uhr, audio, kanal, std::move(erbauer)) {
  uhr.SetMaxSchritt(SekundenAlsTicks(MAX_SCHRITT_SEKUNDEN));
  pfad = g_System.anwendungsVerzeichnis / "Daten" / "szene.dat";
  LadeSzene();
  global = this;
}

Editor::~Editor() {
  // The dialog holds the scene: it goes first, with a pending deletion of it.
  delete dialog;
  dialog = nullptr;
  Speichere();
  if (global == this) global = nullptr;
}

// A file that exists but does not open counts as damaged, like one that does not parse.
void Editor::LadeSzene() {
  const SzenenDatei::Ergebnis ergebnis = SzenenDatei::Lade(pfad, szene.karte);
  std::error_code fehler;
  const bool vorhanden = std::filesystem::exists(std::filesystem::symlink_status(pfad, fehler));
  if (ergebnis == SzenenDatei::Ergebnis::Beschaedigt || (ergebnis == SzenenDatei::Ergebnis::Fehlt && vorhanden)) {
    dateiBeschaedigt = true;
    g_Log.Schreibe(
        "!Spiel::Editor: 'szene.dat' ist beschädigt; bearbeitet wird die Standardkarte, die Datei bleibt erhalten.");
  }
  szene.AktualisiereAlleBlockPatches();
  szene.BaueAusObjekten();
}

void Editor::Speichere() {
  if (dateiBeschaedigt) {
    if (!geaendert) return;
    if (!LegeBeschaedigteDateiBeiseite()) return;
  }
  SzenenDatei::Speichere(pfad, szene.karte);
}

// Renames the damaged file to the first free name of "szene.dat.beschaedigt", "...beschaedigt2"
// up to "...beschaedigt100". True when it is out of the way (also when it is gone already).
bool Editor::LegeBeschaedigteDateiBeiseite() {
  constexpr uint64_t MAX_NAMEN = 100;
  std::error_code fehler;
  if (!std::filesystem::exists(std::filesystem::symlink_status(pfad, fehler))) return true;
  std::filesystem::path ziel;
  bool frei = false;
  for (uint64_t n = 1; n <= MAX_NAMEN && !frei; ++n) {
    ziel = pfad;
    ziel += n == 1 ? std::string(".beschaedigt") : ".beschaedigt" + std::to_string(n);
    frei = !std::filesystem::exists(std::filesystem::symlink_status(ziel, fehler));
  }
  if (frei) std::filesystem::rename(pfad, ziel, fehler);
  if (!frei || fehler) {
    g_Log.Schreibe("!Spiel::Editor: '%s' konnte nicht beiseitegelegt werden (%s); nichts wurde gespeichert.",
                   pfad.string().c_str(), frei ? fehler.message().c_str() : "kein freier Name");
    return false;
  }
  return true;
}

// ---- undo ----

void Editor::SichereZustand() {
  TSpeicher speicher;
  SzenenDatei::Schreibe(speicher, szene.karte);
  rueckgaengig.push_back(std::move(speicher));
  geaendert = true;
}

void Editor::Rueckgaengig() {
  if (rueckgaengig.empty()) return;
  TSpeicher& neuester = rueckgaengig.back();
  neuester.SetzePosition(0);
  neuester.LoescheLesefehler();
  if (SzenenDatei::Lies(neuester, szene.karte)) {
    szene.AktualisiereAlleBlockPatches();
    szene.BaueAusObjekten();
    auswahl.clear();
  } else {
    g_Log.Schreibe("!Spiel::Editor::Rueckgaengig(): der Schnappschuss ist nicht lesbar und wird verworfen.");
  }
  rueckgaengig.pop_back();
}

}  // namespace Spiel

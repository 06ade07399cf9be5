// The level editor under a frame script (EditorSkript.h): every editor key with Shift and Ctrl,
// mouse motion, buttons and the wheel, the keypad comma as a raw packet, and the parameter
// dialog's steps (a field set to a raw f32 pattern, "Speichern", "Abbruch"), on a small level
// with an object of every type, of type 9 and of type 0xFFFFFFFF. After every frame: cell types
// 0..18 and selected indices below the object count. At the end the undo stack is emptied: the
// map's bytes must be the opening ones. ASan and UBSan watch the rest. Stored bytes reach the
// editor only through SzenenDatei::Lade, which fuzz_szene covers.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "Buttons.h"
#include "Editor.h"
#include "EditorSkript.h"
#include "EingabeLeser.h"
#include "FuzzLog.h"
#include "InputSystem.h"
#include "ObjektArgMenu.h"
#include "Oberflaeche.h"
#include "Oprix.h"
#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/system/Zaehler.h"
#include "SkriptQuelle.h"
#include "SzenenDatei.h"
#include "TSpeicher.h"
#include "ZahlEingabe.h"
#include "Zarvo_LinienStapel.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Start.h"
#include "einheit/NullBildschirm.h"

using namespace editorskript;

namespace {

constexpr int64_t BILD_TICKS = 15'625'000;
constexpr uint32_t BREITE = 1280, HOEHE = 720;
constexpr int MAX_BILDER = 400;  // frames per input, so one input stays short
int64_t zeit = 0;

struct Welt {
  std::filesystem::path ordner;
  std::unique_ptr<NullBildschirm> bildschirm;
  std::unique_ptr<Zarvo_Parallel> kern;
  std::unique_ptr<Zarvo_LinienStapel> stapel;
  SkriptQuelle* quelle = nullptr;
  int fenster = 0;
};

Welt& W() {
  static Welt* welt = [] {
    auto* w = new Welt;
    StarteStillesLog();
    w->ordner = std::filesystem::temp_directory_path() / ("fuzz_editor_" + std::to_string(::getpid()));
    std::filesystem::create_directories(w->ordner / "Daten");
    std::error_code fehler;
    std::filesystem::create_symlink(MORVELUNT_STIL, w->ordner / "Daten" / "GuiKonfig.xml", fehler);
    g_System.anwendungsVerzeichnis = w->ordner;
    zeit = LiesZaehler();
    win32::SetzeZaehlerQuelle([] { return zeit; });
    w->bildschirm = std::make_unique<NullBildschirm>(BREITE, HOEHE);
    g_Zeit.SetMaxSchritt(SekundenAlsTicks(0.1f));
    w->kern = std::make_unique<Zarvo_Parallel>(1);
    w->stapel = std::make_unique<Zarvo_LinienStapel>();
    Zarvo_LinienStapel::SetzeGlobal(w->stapel.get());
    OPRIX::SetEventPump(&SkriptQuelle::Pumpe);
    return w;
  }();
  return *welt;
}

// A 6 x 3 x 6 level: a rock floor, a wall and stairs, one object of each type, of type 9 and
// of the all-ones type.
Karte Fixture() {
  Karte k;
  k.SetzeGroesse(6, 3, 6);
  for (uint32_t z = 0; z < 6; ++z)
    for (uint32_t x = 0; x < 6; ++x) k.ZelleBei(x, 0, z).typ = Karte::Fels;
  k.ZelleBei(0, 1, 0).typ = Karte::Mauer;
  k.ZelleBei(1, 1, 0).typ = Karte::FelsTreppe1L;
  k.BaueBlockGeometrie();
  const uint32_t typen[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFFFFFFFF};
  for (uint32_t i = 0; i < std::size(typen); ++i) {
    Karte::Objekt o;
    o.typ = typen[i];
    o.x = 0.5f + float(i % 5);
    o.y = 1.0f + 0.25f * float(i % 3);
    o.z = 1.5f + float(i / 5);
    o.args[0][0] = float(i % 4);
    o.args[0][1] = 2;
    o.args[1][0] = 0.25f;
    k.objekte.push_back(o);
  }
  return k;
}

std::vector<uint8_t> Bytes(const Karte& karte) {
  TSpeicher s;
  Spiel::SzenenDatei::Schreibe(s, karte);
  return {s.Daten(), s.Daten() + s.Groesse()};
}

class Lauf {
 public:
  Lauf() : w(W()) {
    w.quelle = &quelle;
    quelle.cursorX = BREITE / 2.0;
    quelle.cursorY = HOEHE / 2.0;
    if (!OPRIX::OpenWindowInput(&w.fenster)) std::abort();
    bruecke = std::make_unique<Spiel::Buttons>();
    OPRIX::gInputSystem->handler = bruecke.get();
    if (!Spiel::SzenenDatei::Speichere(w.ordner / "Daten" / "szene.dat", Fixture())) std::abort();
    w.kern->MachSofort([&] { editor = std::make_unique<Spiel::Editor>(nullptr, nullptr, Spiel::Generator::Erbauer{}); });
    anfang = Bytes(editor->GibSzene().karte);
    Bild();
  }
  ~Lauf() {
    w.kern->MachSofort([&] { editor.reset(); });
    // Let pending surface tasks of this run fire or go with the surface.
    bruecke.reset();
    OPRIX::CloseInput();
    w.stapel->linien.clear();
  }

  void Schritt(EingabeLeser& leser) {
    switch (leser.Byte() % OP_ANZAHL) {
      case TIPPE: {
        const int taste = TASTEN[leser.Byte() % ANZAHL_TASTEN];
        Im([=] { eingabe::Taste(taste, 0, GLFW_PRESS); });
        Bild();
        Im([=] { eingabe::Taste(taste, 0, GLFW_RELEASE); });
        Bild();
        break;
      }
      case TASTE: {
        const int taste = TASTEN[leser.Byte() % ANZAHL_TASTEN];
        const int aktion = leser.Byte() ? GLFW_PRESS : GLFW_RELEASE;
        Im([=] { eingabe::Taste(taste, 0, aktion); });
        Bild();
        break;
      }
      case BEWEGE:
        quelle.cursorX += 4.0 * int8_t(leser.Byte());
        quelle.cursorY += 4.0 * int8_t(leser.Byte());
        Bild();
        break;
      case KNOPF: {
        const int knopf = leser.Byte() % 3;
        const int aktion = leser.Byte() ? GLFW_PRESS : GLFW_RELEASE;
        Im([=] { eingabe::Knopf(knopf, aktion); });
        Bild();
        break;
      }
      case RAD: {
        const double rasten = int8_t(leser.Byte());
        Im([=] { eingabe::Rollen(0, rasten); });
        Bild();
        break;
      }
      case BILDER:
        for (int n = 1 + leser.Byte() % 32; n > 0; --n) Bild();
        break;
      case FELD: Feld(leser.Byte(), leser.Float()); break;
      case SPEICHERN:
        if (Spiel::ObjektArgMenu* d = editor->GibDialog()) d->SpeichernGeklickt();
        break;
      case ABBRUCH:
        if (Spiel::ObjektArgMenu* d = editor->GibDialog()) w.kern->MachSofort([&] { d->AbbruchGeklickt(); });
        break;
      case KOMMA:
        Im([] { eingabe::Einreihen(Komma(false)); });
        Bild();
        Im([] { eingabe::Einreihen(Komma(true)); });
        Bild();
        break;
      case MAUS:
        quelle.cursorX = leser.Byte() / 255.0 * BREITE;
        quelle.cursorY = leser.Byte() / 255.0 * HOEHE;
        Bild();
        break;
    }
  }

  int Bilder() const { return bilder; }

  // Undo to the empty stack gives the opening bytes.
  void PruefeUndo() {
    w.kern->MachSofort([&] {
      while (editor->GibRueckgaengigTiefe() > 0) editor->Rueckgaengig();
    });
    if (Bytes(editor->GibSzene().karte) != anfang) {
      std::fprintf(stderr, "undo to the empty stack does not give the opening bytes\n");
      std::abort();
    }
  }

 private:
  void Im(std::function<void()> ereignis) { quelle.Im(std::move(ereignis)); }
  static win32::RAWINPUT Komma(bool los) {
    win32::RAWINPUT p{};
    p.header = {win32::RIM_TYPEKEYBOARD, sizeof(win32::RAWINPUT), reinterpret_cast<win32::HANDLE>(eingabe::TASTATUR_HANDLE), 0};
    p.data.keyboard.MakeCode = 179;
    p.data.keyboard.VKey = 0x6C;
    p.data.keyboard.Flags = los ? win32::RI_KEY_BREAK : 0;
    return p;
  }
  // The n-th number field of the open dialog, in tree order.
  static void SammleFelder(Gui::VaterBasis& vater, std::vector<Gui::ZahlEingabe*>& felder) {
    for (Gui::Basis* kind : vater.Kinder()) {
      if (auto* feld = dynamic_cast<Gui::ZahlEingabe*>(kind)) felder.push_back(feld);
      else if (auto* v = dynamic_cast<Gui::VaterBasis*>(kind)) SammleFelder(*v, felder);
    }
  }
  void Feld(uint8_t index, float wert) {
    Spiel::ObjektArgMenu* dialog = editor->GibDialog();
    if (!dialog) return;
    std::vector<Gui::ZahlEingabe*> felder;
    SammleFelder(*dialog, felder);
    if (felder.empty()) return;
    Gui::ZahlEingabe* feld = felder[index % felder.size()];
    w.kern->MachSofort([&] { feld->SetzeWert(wert, true); });
  }
  void Bild() {
    ++bilder;
    zeit += BILD_TICKS;
    OPRIX::gInputSystem->Refresh();
    g_Zeit.Aktualisiere();
    w.kern->MachSofort([&] { editor->Aktualisiere(); });
    g_Log.LeereWarteschlange();
    w.stapel->linien.clear();
    Pruefe();
  }
  void Pruefe() const {
    const Karte& k = editor->GibSzene().karte;
    for (const Karte::Schicht& s : k.schichten)
      for (const Karte::Zelle& z : s.zellen)
        if (z.typ > 18) {
          std::fprintf(stderr, "cell type %u\n", z.typ);
          std::abort();
        }
    for (uint64_t i : editor->GibAuswahl())
      if (i >= k.objekte.size()) {
        std::fprintf(stderr, "selected %llu of %zu objects\n", (unsigned long long)i, k.objekte.size());
        std::abort();
      }
  }

  Welt& w;
  SkriptQuelle quelle;
  std::unique_ptr<Spiel::Buttons> bruecke;
  std::unique_ptr<Spiel::Editor> editor;
  std::vector<uint8_t> anfang;
  int bilder = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  Lauf lauf;
  EingabeLeser leser(daten, groesse);
  for (int schritte = 0; !leser.Ende() && schritte < 256 && lauf.Bilder() < MAX_BILDER; ++schritte) lauf.Schritt(leser);
  lauf.PruefeUndo();
  return 0;
}

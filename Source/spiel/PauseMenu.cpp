#include "PauseMenu.h"

#include <algorithm>
#include <vector>

#include "Abstand.h"
#include "Anordnung.h"
#include "Button.h"
#include "Ereignis.h"
#include "Keyboard.h"
#include "Oberflaeche.h"
#include "Text.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace {

constexpr int SCAN_ESC = 1;
constexpr float LOESCHEN_NACH_SEKUNDEN = 0.1f;

// Every menu alive, in order of construction (main thread only).
std::vector<PauseMenu*>& LebendeMenus() {
  static std::vector<PauseMenu*> menus;
  return menus;
}

}  // namespace

PauseMenu::PauseMenu(Zarvo_Timer& spielUhr_) : spielUhr(spielUhr_) {
  LebendeMenus().push_back(this);
  if (!spielUhr.IstPausiert()) spielUhr.Pausiere();

  const Zarvo_BildschirmZustand& schirm = Zarvo_Screen3D::Zustand();
  const float w = float(schirm.breite);
  const float h = float(schirm.hoehe);
  SetGroesse({w / 2, h / 2, 0}, true);
  SetPosition({w / 4, h / 4, 0}, true);
  SetLayout(new Gui::Anordnung{Gui::Anordnung::SPALTE, 0.5f, 0.5f});

  FuegeHinzu(new Gui::Abstand());
  FuegeHinzu(new Gui::Text("Pause", 0));
  auto* weiter = new Gui::Button("Weiter");
  weiter->SetTaste(Gui::Taste::ESCAPE);
  weiter->beiKlick = [this] { WeiterGeklickt(); };
  FuegeHinzu(weiter);
  auto* ende = new Gui::Button("Ende");
  ende->beiKlick = [this] { EndeGeklickt(); };
  FuegeHinzu(ende);
  FuegeHinzu(new Gui::Abstand());
}

PauseMenu::~PauseMenu() {
  std::erase(LebendeMenus(), this);
  if (wahl == WAHL_ENDE) g_System.Beende();
  else if (spielUhr.IstPausiert()) spielUhr.Fortsetzen();
}

bool PauseMenu::IstModal() const { return true; }

void PauseMenu::WeiterGeklickt() { Waehle(WAHL_WEITER); }

void PauseMenu::EndeGeklickt() { Waehle(WAHL_ENDE); }

void PauseMenu::Waehle(uint32_t neueWahl) {
  // The page is hidden by the first click, so only a direct call gets here twice; a second
  // deletion would free the menu twice.
  if (HatVernichtungAusstehend()) return;
  wahl = neueWahl;
  SetSichtbar(false);
  // The surface's delayed deletion: a timer on the frame clock that the menu's own destruction
  // (with the surface, or by SchliesseAlle) takes along.
  if (Gui::Oberflaeche* oberflaeche = GibOberflaeche()) oberflaeche->VernichteKomponenteNachZeit(this, LOESCHEN_NACH_SEKUNDEN);
}

PauseMenu* PauseMenu::OeffneBeiEsc(Zarvo_Timer& spielUhr, const OPRIX::Keyboard* tastatur, Gui::Oberflaeche& oberflaeche) {
  if (spielUhr.IstPausiert() || !tastatur || !tastatur->KeyWentDown(SCAN_ESC)) return nullptr;
  auto* menu = new PauseMenu(spielUhr);
  oberflaeche.FuegeHinzu(menu);
  return menu;
}

void PauseMenu::SchliesseAlle(const Zarvo_Timer& uhr) {
  // From the start again after each deletion: a menu's destruction may take others with it.
  for (;;) {
    const std::vector<PauseMenu*>& menus = LebendeMenus();
    auto stelle = std::find_if(menus.begin(), menus.end(), [&](const PauseMenu* m) { return &m->spielUhr == &uhr; });
    if (stelle == menus.end()) return;
    delete *stelle;
  }
}

}  // namespace Spiel

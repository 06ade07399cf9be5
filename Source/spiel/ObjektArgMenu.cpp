#include "ObjektArgMenu.h"

#include <cmath>
#include <string>

#include "Abstand.h"
#include "Anordnung.h"
#include "Button.h"
#include "Editor.h"
#include "Ereignis.h"
#include "Oberflaeche.h"
#include "Seite.h"
#include "Szene.h"
#include "Text.h"
#include "ZahlEingabe.h"
#include "Zarvo_Screen3D.h"

namespace Spiel {

namespace {
constexpr float LOESCHEN_NACH_SEKUNDEN = 0.1f;
}  // namespace

ObjektArgMenu::ObjektArgMenu(Szene& szene_, uint64_t objektIndex_) : szene(szene_), objektIndex(objektIndex_) {
  const Zarvo_BildschirmZustand& schirm = Zarvo_Screen3D::Zustand();
  const float w = float(schirm.breite), h = float(schirm.hoehe);
  SetGroesse({0.9f * w, 0.5f * h, 0}, true);
  SetPosition({0.05f * w, 0.25f * h, 0}, true);
  SetLayout(new Gui::Anordnung{Gui::Anordnung::SPALTE, 0.5f, 0.5f});

  FuegeHinzu(new Gui::Abstand());
  FuegeHinzu(new Gui::Text("Objekt-Params", 0));
  const Karte::Objekt& objekt = szene.karte.objekte.at(objektIndex);
  const Karte::ObjektTyp& typ = Karte::ObjektTypVon(objekt.typ);
  for (uint64_t k = 0; k < 4; ++k) {
    const Karte::ObjektTyp::Argument& argument = typ.argumente[k];
    if (!argument.name) continue;
    auto* reihe = new Gui::Seite(Gui::Anordnung::ZEILE, {1.0f, 1.0f, 0});
    reihe->FuegeHinzu(new Gui::Text(argument.name, 0));
    for (uint64_t j = 0; j < argument.komponenten && j < 4; ++j) {
      auto* feld = new Gui::ZahlEingabe(objekt.args[k][j], 0);
      feld->beiWert = [this, k, j](float wert) { FeldGeaendert(k, j, wert); };
      reihe->FuegeHinzu(feld);
    }
    FuegeHinzu(reihe);
  }
  auto* speichern = new Gui::Button("Speichern");
  speichern->SetTaste(Gui::Taste::ESCAPE);
  speichern->beiKlick = [this] { SpeichernGeklickt(); };
  FuegeHinzu(speichern);
  auto* abbruch = new Gui::Button("Abbruch");
  abbruch->beiKlick = [this] { AbbruchGeklickt(); };
  FuegeHinzu(abbruch);
  FuegeHinzu(new Gui::Abstand());
}

ObjektArgMenu::~ObjektArgMenu() {
  if (Editor* editor = Editor::Global()) editor->VergissDialog(this);
}

bool ObjektArgMenu::IstModal() const { return true; }

void ObjektArgMenu::FeldGeaendert(uint64_t k, uint64_t j, float wert) {
  Editor* editor = Editor::Global();
  if (!editor || !std::isfinite(wert) || objektIndex >= szene.karte.objekte.size() || k >= 4 || j >= 4) return;
  if (!geaendert) {
    editor->SichereZustand();
    geaendert = 1;
  }
  szene.karte.objekte[objektIndex].args[k][j] = wert;
  szene.BaueAusObjekten();
}

void ObjektArgMenu::SpeichernGeklickt() { Schliesse(); }

void ObjektArgMenu::AbbruchGeklickt() {
  if (HatVernichtungAusstehend()) return;
  Editor* editor = Editor::Global();
  if (geaendert && editor) editor->Rueckgaengig();
  geaendert = 0;
  Schliesse();
}

// Hidden at once, deleted by the surface 0.1 s later; a second click meanwhile does nothing.
void ObjektArgMenu::Schliesse() {
  if (HatVernichtungAusstehend()) return;
  SetSichtbar(false);
  if (Gui::Oberflaeche* oberflaeche = GibOberflaeche()) oberflaeche->VernichteKomponenteNachZeit(this, LOESCHEN_NACH_SEKUNDEN);
}

}  // namespace Spiel

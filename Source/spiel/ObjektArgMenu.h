#pragma once
// The editor's object-parameter dialog: one row per labelled argument of an object's type, with
// one number field per component, then "Speichern" (also Esc) and "Abbruch". Every field change
// is written into the object at once and the scene rebuilt, so the level shows it live; the first
// change of an opening pushes one undo snapshot. "Speichern" keeps the changes, "Abbruch" undoes
// them through that snapshot. Either hides the page at once and deletes it 0.1 s of frame-clock
// time later.
//
// The dialog holds the object's index, not a reference: an undo replaces the object vector. It
// reaches the editor through Editor::Global(); without an editor its callbacks do nothing. The
// editor knows its dialog until the dialog's destructor tells it otherwise, and deletes it (with a
// pending deletion) when the editor ends first. A modal page: while it is on the surface the
// editor's editing input is off. Main thread only.
#include <cstdint>

#include "VaterBasis.h"

namespace Spiel {

class Szene;

class ObjektArgMenu : public Gui::VaterBasis {
 public:
  // Builds the dialog over the middle of the screen for object `objektIndex` of the scene's map.
  ObjektArgMenu(Szene& szene, uint64_t objektIndex);
  ~ObjektArgMenu() override;

  bool IstModal() const override;

  // A number field of argument k, component j changed to `wert`; a value that is not finite, an
  // object that no longer exists or a missing editor change nothing.
  void FeldGeaendert(uint64_t k, uint64_t j, float wert);
  void SpeichernGeklickt();
  void AbbruchGeklickt();

  uint64_t ObjektIndex() const { return objektIndex; }
  uint8_t Geaendert() const { return geaendert; }

 private:
  void Schliesse();

  Szene& szene;
  uint64_t objektIndex;
  uint8_t geaendert = 0;
};

}  // namespace Spiel

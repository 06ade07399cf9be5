#pragma once
// The drawing seam of the toolkit. Widgets do not draw themselves: each widget's Zeichne calls
// the operation of its kind here (double dispatch), and a renderer draws from what the widgets
// let it read (positions, stored sizes, time stamps, texts). The operations are declared in slot
// order; every widget operation falls back to ZeichneHintergrund, so a renderer that overrides
// only that one still sees every widget. Slots 5, 6, 7, 9, 10 and 14 belong to widget kinds the
// toolkit has no class for.
#include "BVektor3.h"

namespace Gui {

class Basis;
class Button;
class EingabeZeile;
class Hinweis;
class Oberflaeche;
class Seite;
class Text;

class Renderer {
 public:
  virtual ~Renderer();
  virtual void BeginneZeichnen() {}                                                                      // 1
  virtual void SetzeClipping(Basis& /*komponente*/, const BVektor3<float>& /*position*/, const BVektor3<float>& /*groesse*/) {}  // 2
  virtual void EntferneClipping(Basis& /*komponente*/) {}                                                // 3
  virtual void BeendeZeichnen() {}                                                                       // 4
  virtual void Slot5(Basis& komponente);
  virtual void Slot6(Basis& komponente);
  virtual void Slot7(Basis& komponente);
  virtual void ZeichneEingabeZeile(EingabeZeile& zeile);  // 8
  virtual void Slot9(Basis& komponente);
  virtual void Slot10(Basis& komponente);
  virtual void ZeichneHinweis(Hinweis& hinweis);  // 11
  virtual void ZeichneSeite(Seite& seite);        // 12, before the page's children
  virtual void ZeichneButton(Button& button);     // 13
  virtual void Slot14(Basis& komponente);
  virtual void ZeichneText(Text& text);                      // 15
  virtual void ZeichneHintergrund(Basis& /*komponente*/) {}  // 16: the surface, spacers, and the fallback
};

// One frame of the surface: begin; the surface's background; for each child of the surface in
// list order, clip to the surface's rectangle, draw the child, unclip; end. Hidden widgets are
// visited too (they fade out in the renderer).
void ZeichneOberflaeche(Oberflaeche& oberflaeche, Renderer& renderer);

}  // namespace Gui

#pragma once
// The widget renderer of the game: every widget as flat translucent rectangles (entry 0 of the
// sprite atlas, opaque white, tinted) and text in a bitmap font, animated from the widgets' time
// stamps, and each top-level page clipped by the drawing context's viewport.
//
// Animation. Nothing is stored per widget: the fade-in after showing (0.5 s), the fade-out after
// hiding (0.5 s), the focus glow (0.2 s), a button's click flash (0.2 s) and a text line's edit
// flash (0.1 s) are all derived each frame from the stamps and the frame clock's time.
//
// Batching. All panels go into the atlas's sprite list and all text into the font's glyph list;
// both are drawn (flushed) only when the clip rectangle changes, at the end of the frame, and
// before a button image is queued, so that the panels lie below the image. An image from another
// atlas is drawn right after it was queued.
//
// Positions are drawn relative to the current clip rectangle's corner (the origin), since the
// viewport moves the target's origin there. Without an atlas no panel is drawn, without a font
// no text; neither is owned.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "BVektor3.h"
#include "Renderer.h"
#include "TAlphaFarbe.h"
#include "Zarvo_Timer.h"

class Zarvo_Font3D;
class Zarvo_SpriteAtlas;

namespace Gui {

class ButtonBild;

class SimpelRenderer : public Renderer {
 public:
  SimpelRenderer(Zarvo_SpriteAtlas* atlas, Zarvo_Font3D* font);

  void BeginneZeichnen() override;
  // Flushes, pushes the rectangle, moves the origin there and sets the viewport to it.
  void SetzeClipping(Basis& komponente, const BVektor3<float>& position, const BVektor3<float>& groesse) override;
  // Flushes and pops the top record (whatever the widget); restores the one below, or the
  // whole target.
  void EntferneClipping(Basis& komponente) override;
  void BeendeZeichnen() override;
  void Slot5(Basis& komponente) override;  // draws nothing
  void ZeichneEingabeZeile(EingabeZeile& zeile) override;
  void ZeichneHinweis(Hinweis& hinweis) override;
  void ZeichneButton(Button& button) override;
  void ZeichneText(Text& text) override;
  // A black veil of the widget's own "hintergrund" opacity, when above 0.
  void ZeichneHintergrund(Basis& komponente) override;

  // The curve `kurve` over t = (now - stempel) / dauer seconds, clamped to 0..1: 0 t, 1 1 - t,
  // 2 t², 3 1 - t², 4 √t, 5 1 - √t, 6 0.5 - 0.5·cos(πt), 7 0.5·(cos(πt) + 1), 8 1 - cos(4πt)·(1 - t),
  // 9 cos(4πt)·(1 - t), 10 1 - |cos(4πt)|·(1 - t), 11 |cos(4πt)|·(1 - t), 12 sin(πt), 13 1 at
  // t = 1 else 0, 14 0 at t = 1 else 1, 15 0 at t = 1 else t, 16 1 at t = 1 else 1 - t; any other 1.
  static float Ueberblendung(TZeit stempel, float dauer, uint32_t kurve);

  const BVektor3<float>& Ursprung() const { return ursprung; }
  size_t ClipTiefe() const { return clipStapel.size(); }

 private:
  struct Clip {
    BVektor3<float> position;
    BVektor3<float> groesse;
    Basis* komponente;
  };

  // Entry 0 at the top-left corner (x, y) minus the origin; nothing when a side is 0 or below.
  void Rechteck(float x, float y, const TAlphaFarbe& farbe, float breite, float hoehe);
  // The text in the box (x, y) minus the origin, with the font's colour, size and alignment.
  void TextImRechteck(float x, float y, float breite, float hoehe, const std::string& text);
  // A button's image and label in its inner box.
  void Element(const BVektor3<float>& position, const BVektor3<float>& groesse, const ButtonBild& bild,
               const std::string& text, const TAlphaFarbe& farbe, float skalierung, bool aktiv);
  // The image centred on the box's left part; returns the room it takes (0 when none is drawn).
  float ZeichneBild(const BVektor3<float>& position, const BVektor3<float>& groesse, const ButtonBild& bild, float alpha,
                    bool aktiv);
  void SetzeSchrift(const TAlphaFarbe& farbe, uint32_t horizontal, uint32_t vertikal, float skalierung);
  // Draws the queued panels and glyphs.
  void Leere();
  void SetzeViewport(const BVektor3<float>& position, const BVektor3<float>& groesse);
  void SetzeGanzesZiel();

  Zarvo_SpriteAtlas* atlas;
  Zarvo_Font3D* font;
  BVektor3<float> ursprung{0, 0, 0};
  std::deque<Clip> clipStapel;
};

}  // namespace Gui

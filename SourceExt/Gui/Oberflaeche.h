#pragma once
// The root of the widget tree: a container that covers the screen, holds the style values read
// from the style file and routes all input.
//
// Routing. A key (VerarbeiteTaste) goes first along the focus chain (the focused widget, then
// each parent) until a widget handles it; then to the widgets registered for its code, newest
// first, of which only the first visible and reachable one is asked; an unhandled arrow press
// finally moves the focus to the nearest focusable widget in its direction. Characters and mouse
// moves go along the focus chain only. The focus follows the mouse; a held mouse button or a
// text line's hover freeze keeps the hovered widget.
//
// Modal containers. A modal container that is the topmost child of its parent blocks all its
// siblings and everything under them: they get no hits, no hotkeys and no focus. Tooltips
// (Hinweis) above it do not lift the block.
//
// Deferred tasks. The layout of the whole tree runs as one task on the frame clock (g_Zeit),
// however many changes asked for it within a frame; tooltips appear after 0.5 s of rest and fade
// for 0.5 s; widgets can be destroyed after a delay. Callbacks that run from any of the routes
// may destroy widgets, the calling one included: every walk re-reads the focused and hovered
// widget after each call and touches no widget an event was handled by.
#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "Ereignis.h"
#include "VaterBasis.h"

namespace Gui {

class Hinweis;

class Oberflaeche : public VaterBasis {
 public:
  static constexpr uint32_t HINWEIS_KEINER = 0;
  static constexpr uint32_t HINWEIS_WARTET = 1;   // the tooltip timer is pending
  static constexpr uint32_t HINWEIS_GEZEIGT = 2;  // the tooltip is shown

  // Loads the style file into the own properties (an empty path loads nothing; load errors
  // propagate) and covers the screen (Zarvo_Screen3D's size), which asks for the first layout.
  explicit Oberflaeche(const std::filesystem::path& stilDatei);
  // The same with a given screen size.
  Oberflaeche(const std::filesystem::path& stilDatei, const BVektor3<float>& bildschirmGroesse);
  // Stops new tasks, destroys the children while the surface is whole, then removes its timers.
  ~Oberflaeche() override;

  // The background only; the caller draws the children (ZeichneOberflaeche).
  void Zeichne(Renderer& renderer) override;

  // A key or button change: state 1 pressed, 4 released. Codes from 270 on are ignored.
  void VerarbeiteTaste(uint64_t code, uint32_t zustand);
  // The mouse position in surface pixels.
  void SetMausPosition(const BVektor3<float>& position);
  // Passes an event along the focus chain until a widget handles it.
  void VerteileEreignis(BasisEreignis& ereignis);
  // Lost to the old focus, then gained to the new one, each along its chain. Null, or a widget
  // that is not focusable, leaves no focus.
  void SetFokus(Basis* komponente);
  // The per-code lists of hotkey widgets; codes from 270 on are ignored.
  void RegistriereTaste(uint64_t code, Basis* komponente);
  void EntferneTaste(uint64_t code, Basis* komponente);
  // The widget under a point (may be the surface itself); null outside or where a modal
  // container blocks.
  Basis* TrefferTest(const BVektor3<float>& punkt);
  // False when a modal container blocks the widget.
  bool IstErreichbar(const Basis& komponente) const;
  // Asks for the deferred layout of the whole tree (one pending task at most).
  void OrdneNeu();
  // Destroys the widget after the delay (seconds of the frame clock). A second request keeps the
  // earlier due time. The widget's own destruction takes the pending timer with it.
  void VernichteKomponenteNachZeit(Basis* komponente, float sekunden);
  // Clears the hover freeze and re-runs SetMausPosition at the stored mouse position.
  void TaueHoverAuf();
  // Moves the focus in the direction of an arrow code (261-264).
  void BewegeFokus(uint64_t code);

  const BVektor3<float>& MausPosition() const { return mausPosition; }
  const BVektor3<float>& MausDelta() const { return mausDelta; }
  Basis* Fokus() const { return fokus; }
  Basis* Hover() const { return hover; }
  bool HoverEingefroren() const { return hoverEingefroren; }
  void SetHoverEingefroren(bool eingefroren) { hoverEingefroren = eingefroren; }
  // The last state of a code, with the bit of value 2 while held; 0 for codes from 270 on.
  uint64_t TastenZustandVon(uint64_t code) const;
  // The widgets registered for a code, oldest first; empty for codes from 270 on.
  const std::vector<Basis*>& TastenListe(uint64_t code) const;
  uint32_t HinweisZustand() const { return hinweisZustand; }
  Basis* HinweisBesitzer() const { return hinweisBesitzer; }
  Hinweis* GezeigterHinweis() const { return hinweis; }
  TZeit LetzteEingabe() const { return letzteEingabe; }
  void SetLetzteEingabe(TZeit zeit) { letzteEingabe = zeit; }
  bool HatLayoutAusstehend() const { return layoutTimer != KEIN_TIMER; }
  float GuiSkalierung() const { return guiSkalierung; }
  // Nothing in the game changes the scale; asks for a layout.
  void SetGuiSkalierung(float skalierung);

 private:
  friend class Basis;  // detaching a widget calls VergissKomponente

  // Forgets a detached widget as focus, hover, hotkey widget and tooltip owner (no focus event);
  // a shown tooltip it owns is destroyed, a pending one cancelled, fading ones lose their owner.
  void VergissKomponente(Basis& komponente);
  void VerteileAb(Basis* start, BasisEreignis& ereignis);
  void PruefeFokus();
  bool IstDoppelKlick(uint64_t code) const;
  bool GibAnTastenListe(TasteEreignis& ereignis);
  bool AendereHover(Basis* treffer);
  void AktualisiereHinweis();
  void ZeigeHinweis();
  void SetzeHinweisZurueck();
  void LoeseHinweiseVon(const Basis& besitzer);
  bool MausTasteGehalten() const;

  BVektor3<float> mausPosition{0, 0, 0};
  BVektor3<float> mausDelta{0, 0, 0};
  Basis* fokus = nullptr;
  Basis* hover = nullptr;
  bool hoverEingefroren = false;
  std::array<uint64_t, Taste::KEINE> tastenZustaende{};
  std::array<std::vector<Basis*>, Taste::KEINE> tastenListen;
  uint32_t hinweisZustand = HINWEIS_KEINER;
  uint64_t hinweisTimer = KEIN_TIMER;
  Basis* hinweisBesitzer = nullptr;
  Hinweis* hinweis = nullptr;
  TZeit letzteEingabe = 0;
  TZeit letzterDruckZeit = 0;
  BVektor3<float> letzterDruckPosition{0, 0, 0};
  uint64_t letzterDruckCode = Taste::KEINE;
  uint64_t layoutTimer = KEIN_TIMER;
  float guiSkalierung = 1.0f;
  Basis* fokusZiel = nullptr;  // the widget SetFokus is about to focus; cleared when it is detached
  bool imAbbau = false;        // set by the destructor: no new layout or tooltip tasks
};

}  // namespace Gui

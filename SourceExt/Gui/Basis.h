#pragma once
// The widget base. Widgets form a retained tree under one surface (Oberflaeche): every widget
// knows its parent container and the surface it is attached to (null while detached). Position
// is relative to the parent; the stored size is what is drawn and hit-tested, while GetGroesse
// is what an auto-sized widget asks the layouts for (its style size). Visibility and focus
// changes are stamped with the frame clock's time, so the renderer can fade them.
//
// The virtual operations are declared in their slot order; containers (VaterBasis) add four.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "BVektor3.h"
#include "TEigenschaften.h"
#include "Zarvo_Timer.h"

namespace Gui {

class BasisEreignis;
class Oberflaeche;
class Renderer;
class VaterBasis;

inline constexpr uint64_t KEIN_TIMER = UINT64_MAX;

class Basis {
 public:
  Basis();
  // Removes the widget from its parent first (which detaches it from the surface); takes a
  // pending delayed destruction with it.
  virtual ~Basis();
  Basis(const Basis&) = delete;
  Basis& operator=(const Basis&) = delete;

  // Calls the renderer operation of the widget's kind.
  virtual void Zeichne(Renderer& renderer) = 0;
  // Visibility with time stamps; a hide and show in one tick leave the other stamp 1000 s back.
  virtual void SetSichtbar(bool sichtbar);
  virtual void SetPosition(const BVektor3<float>& position, bool automatisch);
  // Within 0.001 (squared) of the stored size nothing changes, not even the flag.
  virtual void SetGroesse(const BVektor3<float>& groesse, bool automatisch);
  // The style size "<typ>.groesse.x/y" (default 100 x 40) times the GUI scale while auto-sized,
  // else the stored size.
  virtual BVektor3<float> GetGroesse() const;
  // Prefixes the style keys; "" by default.
  virtual std::string GetTyp() const;
  // Attach (surface not null) or detach. Detaching makes the old surface forget the widget.
  virtual void SetVater(VaterBasis* vater, Oberflaeche* oberflaeche);
  virtual bool IstFokussierbar() const;
  virtual bool IstEingabefeld() const;
  // Records the focus change, marks the event handled, then calls beiFokusWechsel.
  virtual void BeiFokus(BasisEreignis& ereignis);
  virtual void BeiTaste(BasisEreignis& ereignis);
  virtual void BeiUnicode(BasisEreignis& ereignis);
  virtual void BeiMausBewegung(BasisEreignis& ereignis);

  // Visible, and the parent (if any) visible in the tree.
  bool IstSichtbarImBaum() const;
  // The style float at the key: own properties, then the surface's, then the default.
  float StilWert(std::string_view schluessel, float standard) const;
  // The same in the own properties only ("hintergrund", "richt_horiz", ...).
  float EigenerStilWert(std::string_view schluessel, float standard) const;
  // The sum of the positions up the parent chain.
  BVektor3<float> AbsolutePosition() const;
  // The size the layouts work with: GetGroesse while auto-sized, else the stored size.
  BVektor3<float> LayoutGroesse() const;
  // The surface's GUI scale; 1 while detached.
  float Skalierung() const;

  Oberflaeche* GibOberflaeche() const { return oberflaeche; }
  VaterBasis* GibVater() const { return vater; }
  const BVektor3<float>& Position() const { return position; }
  const BVektor3<float>& GespeicherteGroesse() const { return groesse; }
  bool IstAutoPosition() const { return autoPosition; }
  bool IstAutoGroesse() const { return autoGroesse; }
  bool IstSichtbar() const { return sichtbar; }
  TZeit VerstecktSeit() const { return verstecktSeit; }
  TZeit SichtbarSeit() const { return sichtbarSeit; }
  bool IstFokussiert() const { return fokussiert; }
  TZeit FokusErhaltenUm() const { return fokusErhaltenUm; }
  TZeit FokusVerlorenUm() const { return fokusVerlorenUm; }
  bool HatVernichtungAusstehend() const { return vernichtungsTimer != KEIN_TIMER; }

  // x: share of the free width, y: share of the free height in the parent's layout.
  BVektor3<float> dehnung{0, 0, 0};
  std::function<void(bool)> beiFokusWechsel;  // called with the new focus state
  std::string hinweisText;                   // not empty: the surface shows a tooltip on hover
  TEigenschaften eigenschaften;               // own style values, looked up before the surface's
  bool fokusBeimAnhaengen = false;            // take the focus when attached to a surface

 protected:
  // Steps of SetSichtbar shared with the container form; false when nothing changed.
  bool AendereSichtbarkeit(bool neu);

 private:
  friend class Oberflaeche;  // sets its own surface pointer and the delayed destruction

  Oberflaeche* oberflaeche = nullptr;
  VaterBasis* vater = nullptr;
  BVektor3<float> position{0, 0, 0};
  BVektor3<float> groesse{100, 50, 0};
  bool autoPosition = true;
  bool autoGroesse = true;
  bool sichtbar = true;
  TZeit verstecktSeit = 0;
  TZeit sichtbarSeit = 0;
  bool fokussiert = false;
  TZeit fokusErhaltenUm = 0;
  TZeit fokusVerlorenUm = 0;
  uint64_t vernichtungsTimer = KEIN_TIMER;  // pending VernichteKomponenteNachZeit
  TZeit vernichtungFaellig = 0;
};

}  // namespace Gui

#pragma once
// The events the surface routes through the widget tree, and the key codes it routes them by.
//
// Key codes 0-255 are keyboard scan codes as the input bridge passes them; 256-269 are the
// toolkit's own codes below; 270 means no key. A key state is 1 (pressed) or 4 (released); the
// surface keeps the bit of value 2 set in its per-code state while a code is held.
#include <cstdint>

#include "BVektor3.h"

namespace Gui {

class Basis;

namespace Taste {
inline constexpr uint64_t MAUS_1 = 256;  // mouse buttons: while held, the hovered widget stays
inline constexpr uint64_t MAUS_2 = 257;
inline constexpr uint64_t MAUS_3 = 258;
inline constexpr uint64_t HOCH = 261;
inline constexpr uint64_t RUNTER = 262;
inline constexpr uint64_t RECHTS = 263;
inline constexpr uint64_t LINKS = 264;
inline constexpr uint64_t KLICK = 265;         // the primary mouse button as the bridge sends it
inline constexpr uint64_t ESCAPE = 266;
inline constexpr uint64_t RUECKSCHRITT = 267;  // Backspace
inline constexpr uint64_t ENTFERNEN = 268;     // Delete (forward)
inline constexpr uint64_t ZUSATZ = 269;        // held: Backspace and Delete remove all before or after the cursor
inline constexpr uint64_t KEINE = 270;         // no key; also the number of codes
}  // namespace Taste

namespace TastenZustand {
inline constexpr uint32_t GEDRUECKT = 1;
inline constexpr uint32_t GEHALTEN = 2;  // only in the surface's per-code state
inline constexpr uint32_t LOSGELASSEN = 4;
}  // namespace TastenZustand

// The art picks the widget operation an event is delivered through: 0 BeiTaste, 1 BeiUnicode,
// 2 BeiFokus, 3 BeiMausBewegung. A handler sets behandelt to stop the event.
class BasisEreignis {
 public:
  static constexpr uint32_t ART_TASTE = 0;
  static constexpr uint32_t ART_UNICODE = 1;
  static constexpr uint32_t ART_FOKUS = 2;
  static constexpr uint32_t ART_MAUS_BEWEGUNG = 3;

  explicit BasisEreignis(uint32_t art_) : art(art_) {}
  virtual ~BasisEreignis();
  virtual void SetzeBehandelt() { behandelt = true; }

  uint32_t art;
  bool behandelt = false;
};

class TasteEreignis : public BasisEreignis {
 public:
  TasteEreignis(uint64_t code_, uint32_t zustand_, bool doppelKlick_)
      : BasisEreignis(ART_TASTE), code(code_), zustand(zustand_), doppelKlick(doppelKlick_) {}
  bool IstDruck() const { return (zustand & TastenZustand::GEDRUECKT) != 0; }

  uint64_t code;
  uint32_t zustand;
  bool doppelKlick;
};

class UnicodeEreignis : public BasisEreignis {
 public:
  explicit UnicodeEreignis(uint32_t zeichen_) : BasisEreignis(ART_UNICODE), zeichen(zeichen_) {}

  uint32_t zeichen;  // the code point
};

class FokusEreignis : public BasisEreignis {
 public:
  FokusEreignis(Basis* komponente_, bool erhalten_)
      : BasisEreignis(ART_FOKUS), komponente(komponente_), erhalten(erhalten_) {}

  Basis* komponente;
  bool erhalten;  // true gained, false lost
};

class MausBewegungEreignis : public BasisEreignis {
 public:
  MausBewegungEreignis(const BVektor3<float>& position_, const BVektor3<float>& delta_)
      : BasisEreignis(ART_MAUS_BEWEGUNG), position(position_), delta(delta_) {}

  BVektor3<float> position;  // surface coordinates
  BVektor3<float> delta;     // change since the last position
};

}  // namespace Gui

#pragma once
// A one-line text input. The text is UTF-8; length, maximum length and cursor count code points
// (see Utf8.h for how bytes that are not valid UTF-8 are counted). Typing inserts at the cursor
// up to the maximum length (10 unless set); SetText takes any text. Left and right move the
// cursor, Backspace and Delete remove one code point (everything before or after the cursor
// while code 269 is held), code 265 confirms. A mouse press (256) freezes the surface's hover, so
// the line keeps the focus while the mouse moves away.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "AktivSchnittstelle.h"
#include "Basis.h"

namespace Gui {

class EingabeZeile : public Basis, public AktivSchnittstelle {
 public:
  // The first argument has no effect. The cursor starts at the end of the text.
  EingabeZeile(uint64_t unbenutzt, std::string text);

  void Zeichne(Renderer& renderer) override;
  std::string GetTyp() const override;  // "eingabe"
  // Freezes the new surface's hover when the line holds the focus.
  void SetVater(VaterBasis* vater, Oberflaeche* oberflaeche) override;
  bool IstFokussierbar() const override;  // aktiv
  bool IstEingabefeld() const override;   // aktiv
  void BeiTaste(BasisEreignis& ereignis) override;
  void BeiUnicode(BasisEreignis& ereignis) override;

  // Replaces the text (nothing when equal): recounts, keeps the cursor inside, stamps changedAt
  // and calls beiAenderung.
  void SetText(std::string text);
  // Removes `anzahl` code points from `position` on (as far as the text reaches); a cursor
  // behind them moves back by as many, but not before `position`.
  void LoescheZeichen(uint64_t position, uint64_t anzahl);

  const std::string& GibText() const { return text; }
  uint64_t Laenge() const { return laenge; }
  uint64_t Cursor() const { return cursor; }
  TZeit GeaendertUm() const { return geaendertUm; }
  // The bytes of the text before the cursor (what the renderer measures for the cursor bar).
  std::string_view TextVorCursor() const;

  uint64_t maxLaenge = 10;  // binds typing only
  bool filter = false;      // below 128 only letters, digits, space and '_' are typed
  std::function<void(const std::string&)> beiAenderung;
  std::function<void(const std::string&)> beiBestaetigung;

 private:
  bool NimmtZeichen(uint32_t zeichen) const;
  bool ZusatzGehalten() const;
  void Bestaetige(bool druck);

  std::string text;
  uint64_t laenge = 0;
  uint64_t cursor = 0;
  TZeit geaendertUm = 0;
};

}  // namespace Gui

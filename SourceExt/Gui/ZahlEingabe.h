#pragma once
// A number field: a "-" button, a "+" button and a text line, left to right. The buttons step the
// value; typing into the line parses it. The value is kept inside [minimum, maximum], and every
// change calls beiWert once.
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "VaterBasis.h"

namespace Gui {

class Button;
class EingabeZeile;

class ZahlEingabe : public VaterBasis {
 public:
  // The second argument has no effect.
  ZahlEingabe(float wert, float unbenutzt);

  std::string GetTyp() const override;  // "zahl"
  // Sizes the parts from the height: "-" and "+" square, the line the rest.
  void SetGroesse(const BVektor3<float>& groesse, bool automatisch) override;

  // Clamps; when the value changes, stores it, shows it ("%f") when asked and calls beiWert.
  void SetzeWert(float wert, bool textAktualisieren);

  float Wert() const { return wert; }
  EingabeZeile& Zeile() const { return *zeile; }
  Button& Plus() const { return *plus; }
  Button& Minus() const { return *minus; }

  // The value as the field shows it: "%f" in the classic locale.
  static std::string Formatiere(float wert);
  // The longest numeric prefix after blanks, as strtof reads it in the classic locale; none for
  // a text without a number and for a value that is not a finite float (out of range, underflow
  // to a subnormal or zero, inf, nan).
  static std::optional<float> LiesZahl(std::string_view text);

  float minimum = std::numeric_limits<float>::lowest();
  float maximum = std::numeric_limits<float>::max();
  float schritt = 1.0f;
  std::function<void(float)> beiWert;

 private:
  void Parse(const std::string& text);

  float wert;
  EingabeZeile* zeile;
  Button* plus;
  Button* minus;
};

}  // namespace Gui

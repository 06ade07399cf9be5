#include "ZahlEingabe.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "Button.h"
#include "EingabeZeile.h"

namespace Gui {

namespace {

constexpr float TOTZONE = 0.001f;

bool IstLeerzeichen(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool BeginntMitHex(std::string_view text) {
  return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// from_chars without sign: hexadecimal after "0x" (as strtof reads it; "0x" alone is the 0),
// else decimal, "inf" or "nan".
std::optional<float> LiesBetrag(std::string_view text) {
  if (text.empty() || text[0] == '+' || text[0] == '-') return std::nullopt;
  float wert = 0;
  if (BeginntMitHex(text)) {
    const std::string_view ziffern = text.substr(2);
    if (!ziffern.empty() && (ziffern[0] == '+' || ziffern[0] == '-')) return 0.0f;
    const auto [ende, fehler] = std::from_chars(ziffern.data(), ziffern.data() + ziffern.size(), wert, std::chars_format::hex);
    if (fehler == std::errc::invalid_argument) return 0.0f;
    if (fehler != std::errc()) return std::nullopt;
    return wert;
  }
  const auto [ende, fehler] = std::from_chars(text.data(), text.data() + text.size(), wert, std::chars_format::general);
  if (fehler != std::errc()) return std::nullopt;
  return wert;
}

}  // namespace

ZahlEingabe::ZahlEingabe(float wert_, float) : wert(wert_) {
  dehnung = {1, 0, 0};
  zeile = new EingabeZeile(0, Formatiere(wert));
  zeile->beiAenderung = [this](const std::string& text) { Parse(text); };
  plus = new Button("+");
  plus->beiKlick = [this] { SetzeWert(wert + schritt, true); };
  minus = new Button("-");
  minus->beiKlick = [this] { SetzeWert(wert - schritt, true); };
  FuegeHinzu(zeile);
  FuegeHinzu(plus);
  FuegeHinzu(minus);
}

std::string ZahlEingabe::GetTyp() const { return "zahl"; }

void ZahlEingabe::SetGroesse(const BVektor3<float>& neu, bool automatisch) {
  const BVektor3<float> d = neu - GespeicherteGroesse();
  if (d.Punkt(d) < TOTZONE) return;
  VaterBasis::SetGroesse(neu, automatisch);
  const float h = neu.y;
  minus->SetPosition({0, 0, 0}, false);
  minus->SetGroesse({h, h, 0}, false);
  plus->SetPosition({h, 0, 0}, false);
  plus->SetGroesse({h, h, 0}, false);
  zeile->SetPosition({2 * h, 0, 0}, false);
  zeile->SetGroesse({neu.x - 2 * h, h, 0}, false);
}

void ZahlEingabe::SetzeWert(float neu, bool textAktualisieren) {
  neu = std::clamp(neu, minimum, maximum);
  if (neu == wert) return;
  wert = neu;
  if (textAktualisieren) zeile->SetText(Formatiere(wert));
  // Copies: the callback may destroy this field.
  const auto rueckruf = beiWert;
  const float kopie = wert;
  if (rueckruf) rueckruf(kopie);
}

void ZahlEingabe::Parse(const std::string& text) {
  const std::optional<float> gelesen = LiesZahl(text);
  if (!gelesen) return;
  SetzeWert(*gelesen, false);
}

std::string ZahlEingabe::Formatiere(float wert) {
  char puffer[64];
  const auto [ende, fehler] = std::to_chars(puffer, puffer + sizeof puffer, wert, std::chars_format::fixed, 6);
  if (fehler != std::errc()) return {};
  return std::string(puffer, ende);
}

std::optional<float> ZahlEingabe::LiesZahl(std::string_view text) {
  size_t anfang = 0;
  while (anfang < text.size() && IstLeerzeichen(text[anfang])) ++anfang;
  text.remove_prefix(anfang);
  bool negativ = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negativ = text[0] == '-';
    text.remove_prefix(1);
  }
  std::optional<float> betrag = LiesBetrag(text);
  if (!betrag || !std::isfinite(*betrag)) return std::nullopt;
  if (*betrag != 0 && *betrag < std::numeric_limits<float>::min()) return std::nullopt;  // underflow
  return negativ ? -*betrag : *betrag;
}

}  // namespace Gui

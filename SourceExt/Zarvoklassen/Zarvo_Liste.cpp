#include "Zarvo_Liste.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {

// The part of `text` after leading blanks, with its optional sign kept for from_chars.
std::string_view OhneFuehrendeLeerzeichen(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
  return text.substr(i);
}

// Whether a decimal number (digits with an optional point and exponent, no sign) is at least 1 in
// magnitude: the decimal position of its first non-zero digit plus the exponent is not negative.
bool BetragMindestensEins(std::string_view zahl) {
  const size_t exponentStelle = std::min(zahl.find_first_of("eE"), zahl.size());
  const std::string_view mantisse = zahl.substr(0, exponentStelle);
  const size_t punkt = std::min(mantisse.find('.'), mantisse.size());
  const size_t erste = mantisse.find_first_of("123456789");
  if (erste == std::string_view::npos) return false;
  const int64_t stelle = erste < punkt ? int64_t(punkt - erste) - 1 : -int64_t(erste - punkt);
  std::string_view exponentText = zahl.substr(std::min(exponentStelle + 1, zahl.size()));
  if (!exponentText.empty() && exponentText[0] == '+') exponentText.remove_prefix(1);
  int64_t exponent = 0;
  const auto ergebnis = std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  if (ergebnis.ec == std::errc::result_out_of_range) return exponentText[0] != '-';
  return exponent >= -stelle;
}

}  // namespace

float Zarvo_Liste::Zahl(size_t index) const { return index < zahlen.size() ? zahlen[index] : 0.0f; }

void Zarvo_Liste::Fuege(std::string token) {
  zahlen.push_back(LiesGleitzahl(token));
  tokens.push_back(std::move(token));
}

int LiesGanzzahl(std::string_view text) {
  text = OhneFuehrendeLeerzeichen(text);
  bool negativ = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negativ = text[0] == '-';
    text.remove_prefix(1);
  }
  int64_t wert = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (wert <= int64_t(INT_MAX) + 1) wert = wert * 10 + (text[i] - '0');
  }
  if (negativ) wert = -wert;
  if (wert > INT_MAX) return INT_MAX;
  if (wert < INT_MIN) return INT_MIN;
  return int(wert);
}

float LiesGleitzahl(std::string_view text) {
  text = OhneFuehrendeLeerzeichen(text);
  // One sign at most; from_chars takes only '-'.
  const bool plus = !text.empty() && text[0] == '+';
  if (plus) text.remove_prefix(1);
  const bool negativ = !plus && !text.empty() && text[0] == '-';
  // Decimal only: from_chars would also take "inf" and "nan".
  const size_t ziffer = negativ ? 1 : 0;
  if (ziffer >= text.size() || !((text[ziffer] >= '0' && text[ziffer] <= '9') || text[ziffer] == '.')) return 0.0f;
  float wert = 0.0f;
  auto [ende, fehler] = std::from_chars(text.data(), text.data() + text.size(), wert, std::chars_format::general);
  if (fehler == std::errc::result_out_of_range) {
    // Too large gives infinity, too small a zero, each with its sign.
    const bool gross = BetragMindestensEins(std::string_view(text.data() + ziffer, size_t(ende - text.data()) - ziffer));
    const float betrag = gross ? HUGE_VALF : 0.0f;
    return negativ ? -betrag : betrag;
  }
  if (fehler != std::errc()) return 0.0f;
  return wert;
}

Zarvo_Liste ZerlegeListe(std::string_view text) {
  Zarvo_Liste liste;
  size_t s = 0;
  size_t i = 0;
  bool inAnfuehrung = false;
  while (i < text.size()) {
    char zeichen = text[i];
    if (inAnfuehrung) {
      if (zeichen == '"') {
        liste.Fuege(std::string(text.substr(s, i - s)));
        inAnfuehrung = false;
        if (i + 1 < text.size() && text[i + 1] == ',') ++i;
        s = i + 1;
      }
      ++i;
    } else if (zeichen == '"') {
      inAnfuehrung = true;
      s = i + 1;
      ++i;
    } else if (zeichen != ' ' && zeichen != ',') {
      ++i;
    } else if (zeichen == ' ' && i == s) {
      ++s;
      ++i;
    } else {
      liste.Fuege(std::string(text.substr(s, i - s)));
      s = i + 1;
      ++i;
    }
  }
  if (s < text.size()) liste.Fuege(std::string(text.substr(s)));
  return liste;
}

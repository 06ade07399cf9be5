#include "Plattform/eingabe/DrehbuchBefehl.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "Plattform/eingabe/Tastentabelle.h"

namespace eingabe {
namespace {

constexpr size_t ANGEZEIGT = 60;  // characters of a refused line shown in its log line

std::vector<std::string_view> Woerter(std::string_view zeile) {
  std::vector<std::string_view> woerter;
  size_t pos = 0;
  while (pos < zeile.size()) {
    while (pos < zeile.size() && (zeile[pos] == ' ' || zeile[pos] == '\t')) ++pos;
    const size_t anfang = pos;
    while (pos < zeile.size() && zeile[pos] != ' ' && zeile[pos] != '\t') ++pos;
    if (pos > anfang) woerter.push_back(zeile.substr(anfang, pos - anfang));
  }
  return woerter;
}

// A whole word as a number in [min, max]; with `hex` also "0x" followed by hex digits.
bool Zahl(std::string_view wort, long long min, long long max, bool hex, int& wert) {
  int basis = 10;
  if (hex && wort.size() > 2 && wort[0] == '0' && (wort[1] == 'x' || wort[1] == 'X')) {
    wort.remove_prefix(2);
    basis = 16;
    if (wort.front() == '-' || wort.front() == '+') return false;
  }
  long long zahl = 0;
  const auto [ende, fehler] = std::from_chars(wort.data(), wort.data() + wort.size(), zahl, basis);
  if (fehler != std::errc() || ende != wort.data() + wort.size() || zahl < min || zahl > max) return false;
  wert = int(zahl);
  return true;
}

bool Richtung(std::string_view wort, bool& ab) {
  if (wort != "ab" && wort != "auf") return false;
  ab = wort == "ab";
  return true;
}

// The reason a line is refused, or "" when `befehl` was filled.
std::string Deute(const std::vector<std::string_view>& w, DrehbuchBefehl& befehl) {
  using Art = DrehbuchBefehl::Art;
  const std::string_view name = w.front();
  const size_t argumente = w.size() - 1;
  if (name == "taste") {
    int dik = 0;
    if (argumente != 2 || !Zahl(w[1], 1, 255, true, dik) || !Richtung(w[2], befehl.ab))
      return "erwartet: taste <Scancode 1..255> ab|auf";
    const TastenEintrag* eintrag = EintragFuerDik(dik);
    if (!eintrag) return "keine Taste hat diesen Scancode";
    befehl.art = Art::Taste;
    befehl.wert = eintrag->glfw;
    return "";
  }
  if (name == "text") {
    if (argumente != 1 || !Zahl(w[1], 1, 0x10FFFF, true, befehl.wert) || (befehl.wert >= 0xD800 && befehl.wert <= 0xDFFF))
      return "erwartet: text <Codepunkt 1..0x10FFFF, kein Ersatzzeichen>";
    befehl.art = Art::Text;
    return "";
  }
  if (name == "maus") {
    const int g = DrehbuchBefehl::MAUS_GRENZE;
    if (argumente != 2 || !Zahl(w[1], -g, g, false, befehl.x) || !Zahl(w[2], -g, g, false, befehl.y))
      return "erwartet: maus <x> <y> (ganze Pixel)";
    befehl.art = Art::Maus;
    return "";
  }
  if (name == "knopf") {
    if (argumente != 2 || !Zahl(w[1], 0, 4, false, befehl.wert) || !Richtung(w[2], befehl.ab))
      return "erwartet: knopf <0..4> ab|auf";
    befehl.art = Art::Knopf;
    return "";
  }
  if (name == "rad") {
    const int g = DrehbuchBefehl::RAD_GRENZE;
    if (argumente != 1 || !Zahl(w[1], -g, g, false, befehl.wert)) return "erwartet: rad <-273..273>";
    befehl.art = Art::Rad;
    return "";
  }
  if (name == "zustand" || name == "schliessen") {
    if (argumente != 0) return "erwartet: " + std::string(name) + " ohne Argument";
    befehl.art = name == "zustand" ? Art::Zustand : Art::Schliessen;
    return "";
  }
  if (name == "bild") {
    befehl.wert = 1;
    if (argumente > 1 || (argumente == 1 && !Zahl(w[1], 1, DrehbuchBefehl::BILD_GRENZE, false, befehl.wert)))
      return "erwartet: bild [1..1000000]";
    befehl.art = Art::Bild;
    return "";
  }
  return "unbekannter Befehl";
}

}  // namespace

std::string DrehbuchFehler(size_t nummer, std::string_view grund, std::string_view zeile) {
  std::string gezeigt;
  for (size_t i = 0; i < zeile.size() && i < ANGEZEIGT; ++i) {
    const unsigned char c = static_cast<unsigned char>(zeile[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      gezeigt += char(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", c);
      gezeigt += code;
    }
  }
  if (zeile.size() > ANGEZEIGT) gezeigt += "...";
  return "!Drehbuch Zeile " + std::to_string(nummer) + ": " + std::string(grund) + ": \"" + gezeigt + "\"";
}

bool LiesDrehbuchZeile(std::string_view zeile, size_t nummer, DrehbuchBefehl& befehl, std::string& fehler) {
  befehl = DrehbuchBefehl();
  if (!zeile.empty() && zeile.back() == '\r') zeile.remove_suffix(1);
  const std::vector<std::string_view> woerter = Woerter(zeile);
  if (woerter.empty()) return true;
  const std::string grund = Deute(woerter, befehl);
  if (grund.empty()) return true;
  befehl = DrehbuchBefehl();
  fehler = DrehbuchFehler(nummer, grund, zeile);
  return false;
}

void DrehbuchZeilen::Fuettere(std::string_view bytes) {
  if (verwerfen) {
    const size_t ende = bytes.find('\n');
    if (ende == std::string_view::npos) return;
    bytes.remove_prefix(ende + 1);
    verwerfen = false;
  }
  puffer.append(bytes);
}

DrehbuchZeilen::Ergebnis DrehbuchZeilen::Naechste(std::string& zeile, size_t& nummer) {
  const size_t ende = puffer.find('\n');
  const size_t laenge = ende == std::string::npos ? puffer.size() : ende;
  if (laenge > MAX_LAENGE) {
    nummer = ++ausgegeben;
    zeile = puffer.substr(0, MAX_LAENGE);
    if (ende == std::string::npos) {
      puffer.clear();
      verwerfen = true;
    } else {
      puffer.erase(0, ende + 1);
    }
    return Ergebnis::ZuLang;
  }
  if (ende == std::string::npos) return Ergebnis::Keine;
  nummer = ++ausgegeben;
  zeile = puffer.substr(0, ende);
  puffer.erase(0, ende + 1);
  return Ergebnis::Zeile;
}

bool DrehbuchZeilen::Rest(std::string& zeile, size_t& nummer) {
  if (puffer.empty()) return false;
  nummer = ++ausgegeben;
  zeile.swap(puffer);
  puffer.clear();
  return true;
}

}  // namespace eingabe

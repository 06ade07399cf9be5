#include "Kartenbeschreibung.h"

#include <charconv>
#include <cstdint>
#include <map>
#include <vector>

#include "Karte.h"
#include "Objektregeln.h"

namespace {

constexpr uint32_t TYP_STARTPUNKT = 0;

std::string_view OhneKommentarUndRand(std::string_view zeile) {
  const size_t kommentar = zeile.find(';');
  if (kommentar != std::string_view::npos) zeile = zeile.substr(0, kommentar);
  const char* leer = " \t\r\n";
  const size_t anfang = zeile.find_first_not_of(leer);
  if (anfang == std::string_view::npos) return {};
  return zeile.substr(anfang, zeile.find_last_not_of(leer) - anfang + 1);
}

std::vector<std::string_view> Woerter(std::string_view text) {
  std::vector<std::string_view> woerter;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t ende = i;
    while (ende < text.size() && text[ende] != ' ' && text[ende] != '\t') ++ende;
    if (ende > i) woerter.push_back(text.substr(i, ende - i));
    i = ende;
  }
  return woerter;
}

template <typename T>
bool LiesZahl(std::string_view wort, T& wert) {
  const auto [ende, fehler] = std::from_chars(wort.data(), wort.data() + wort.size(), wert);
  return fehler == std::errc() && ende == wort.data() + wort.size();
}

std::optional<uint32_t> BlockTyp(std::string_view wort) {
  uint32_t zahl;
  if (LiesZahl(wort, zahl)) return zahl < Karte::ANZAHL_BLOCKTYPEN ? std::optional(zahl) : std::nullopt;
  for (uint32_t typ = 0; typ < Karte::ANZAHL_BLOCKTYPEN; ++typ) {
    std::string_view name = Karte::BlockTypName(typ);
    if (name.ends_with(',')) name.remove_suffix(1);
    if (name == wort) return typ;
  }
  return std::nullopt;
}

std::optional<uint32_t> ObjektTyp(std::string_view wort) {
  for (uint32_t typ = 0; typ < Karte::ANZAHL_OBJEKTTYPEN; ++typ)
    if (wort == Karte::ObjektTypen[typ].name) return typ;
  return std::nullopt;
}

class Leser {
 public:
  explicit Leser(Karte& karte) : karte(karte) {}

  std::optional<Kartenbeschreibung::Fehler> Baue(std::string_view text);

 private:
  using Fehler = Kartenbeschreibung::Fehler;

  std::optional<std::string> Anweisung(std::string_view zeile);
  std::optional<std::string> Groesse(const std::vector<std::string_view>& w);
  std::optional<std::string> Zeichen(const std::vector<std::string_view>& w);
  std::optional<std::string> Quader(const std::vector<std::string_view>& w);
  std::optional<std::string> Schicht(const std::vector<std::string_view>& w);
  std::optional<std::string> Reihe(std::string_view zeile);
  std::optional<std::string> Objekt(std::string_view zeile);
  std::optional<std::string> PruefeObjekt(const Karte::Objekt& objekt);
  std::optional<std::string> PruefeStart(const Karte::Objekt& start);
  std::optional<std::string> PruefeStartZelle() const;

  Karte& karte;
  bool hatGroesse = false;
  std::map<char, uint32_t> zeichen;
  uint32_t schichtY = 0;
  uint32_t offeneReihen = 0;
  uint32_t reiheZ = 0;
  size_t zeilenNummer = 0;
  bool hatStart = false;
  Karte::Objekt start;
  size_t startZeile = 0;
};

std::optional<Kartenbeschreibung::Fehler> Leser::Baue(std::string_view text) {
  while (!text.empty()) {
    ++zeilenNummer;
    const size_t umbruch = text.find('\n');
    const std::string_view zeile = OhneKommentarUndRand(text.substr(0, umbruch));
    text = umbruch == std::string_view::npos ? std::string_view() : text.substr(umbruch + 1);
    if (zeile.empty()) continue;
    const std::optional<std::string> grund = offeneReihen > 0 ? Reihe(zeile) : Anweisung(zeile);
    if (grund) return Fehler{zeilenNummer, *grund};
  }
  if (offeneReihen > 0) return Fehler{zeilenNummer, "missing rows of layer " + std::to_string(schichtY)};
  if (!hatGroesse) return Fehler{zeilenNummer, "no 'groesse' statement"};
  if (!hatStart) return Fehler{zeilenNummer, "no \"Startpunkt\""};
  // The cell is checked against the finished grid, so later statements cannot bury the start.
  if (const std::optional<std::string> grund = PruefeStartZelle()) return Fehler{startZeile, *grund};
  karte.BaueBlockGeometrie();
  return std::nullopt;
}

std::optional<std::string> Leser::Anweisung(std::string_view zeile) {
  const std::vector<std::string_view> w = Woerter(zeile);
  if (w[0] == "groesse") return Groesse(w);
  if (!hatGroesse) return "'groesse' must come first";
  if (w[0] == "zeichen") return Zeichen(w);
  if (w[0] == "quader") return Quader(w);
  if (w[0] == "schicht") return Schicht(w);
  if (w[0] == "objekt") return Objekt(zeile);
  return "unknown statement '" + std::string(w[0]) + "'";
}

std::optional<std::string> Leser::Groesse(const std::vector<std::string_view>& w) {
  if (hatGroesse) return "'groesse' given twice";
  uint32_t x, y, z;
  if (w.size() != 4 || !LiesZahl(w[1], x) || !LiesZahl(w[2], y) || !LiesZahl(w[3], z)) return "bad number in 'groesse X Y Z'";
  if (x < 1 || x > Karte::MAX_X || y < 1 || y > Karte::MAX_Y || z < 1 || z > Karte::MAX_Z) return "size out of range";
  karte = Karte();
  karte.SetzeGroesse(x, y, z);
  hatGroesse = true;
  return std::nullopt;
}

std::optional<std::string> Leser::Zeichen(const std::vector<std::string_view>& w) {
  if (w.size() != 3 || w[1].size() != 1) return "expected 'zeichen C TYPE'";
  const std::optional<uint32_t> typ = BlockTyp(w[2]);
  if (!typ) return "unknown block type '" + std::string(w[2]) + "'";
  zeichen[w[1][0]] = *typ;
  return std::nullopt;
}

std::optional<std::string> Leser::Quader(const std::vector<std::string_view>& w) {
  if (w.size() != 8) return "expected 'quader x0 y0 z0 x1 y1 z1 TYPE'";
  uint32_t g[6];
  for (int i = 0; i < 6; ++i)
    if (!LiesZahl(w[1 + i], g[i])) return "bad number '" + std::string(w[1 + i]) + "'";
  const std::optional<uint32_t> typ = BlockTyp(w[7]);
  if (!typ) return "unknown block type '" + std::string(w[7]) + "'";
  if (g[0] > g[3] || g[1] > g[4] || g[2] > g[5]) return "box bounds out of order";
  if (!karte.Enthaelt(g[3], g[4], g[5])) return "box outside the grid";
  for (uint32_t y = g[1]; y <= g[4]; ++y)
    for (uint32_t z = g[2]; z <= g[5]; ++z)
      for (uint32_t x = g[0]; x <= g[3]; ++x) karte.ZelleBei(x, y, z).typ = *typ;
  return std::nullopt;
}

std::optional<std::string> Leser::Schicht(const std::vector<std::string_view>& w) {
  uint32_t y;
  if (w.size() != 2 || !LiesZahl(w[1], y)) return "expected 'schicht y'";
  if (y >= karte.Y) return "layer outside the grid";
  schichtY = y;
  offeneReihen = karte.Z;
  reiheZ = 0;
  return std::nullopt;
}

std::optional<std::string> Leser::Reihe(std::string_view zeile) {
  if (zeile.size() != karte.X)
    return "row of " + std::to_string(zeile.size()) + " characters, expected " + std::to_string(karte.X);
  for (uint32_t x = 0; x < karte.X; ++x) {
    const auto typ = zeichen.find(zeile[x]);
    if (typ == zeichen.end()) return std::string("unknown character '") + zeile[x] + "'";
    karte.ZelleBei(x, schichtY, reiheZ).typ = typ->second;
  }
  ++reiheZ;
  --offeneReihen;
  return std::nullopt;
}

std::optional<std::string> Leser::Objekt(std::string_view zeile) {
  std::vector<std::string_view> teile;
  for (size_t anfang = 0;;) {
    const size_t strich = zeile.find('|', anfang);
    teile.push_back(zeile.substr(anfang, strich == std::string_view::npos ? std::string_view::npos : strich - anfang));
    if (strich == std::string_view::npos) break;
    anfang = strich + 1;
  }
  if (teile.size() > 5) return "more than four argument vectors";
  const std::vector<std::string_view> kopf = Woerter(teile[0]);
  if (kopf.size() != 5) return "expected 'objekt NAME x y z'";
  const std::optional<uint32_t> typ = ObjektTyp(kopf[1]);
  if (!typ) return "unknown object type '" + std::string(kopf[1]) + "'";
  Karte::Objekt objekt;
  objekt.typ = *typ;
  float* position[3] = {&objekt.x, &objekt.y, &objekt.z};
  for (int i = 0; i < 3; ++i)
    if (!LiesZahl(kopf[2 + i], *position[i])) return "bad number '" + std::string(kopf[2 + i]) + "'";
  for (size_t k = 1; k < teile.size(); ++k) {
    const std::vector<std::string_view> zahlen = Woerter(teile[k]);
    if (zahlen.size() > 4) return "more than four numbers in argument vector " + std::to_string(k - 1);
    for (size_t i = 0; i < zahlen.size(); ++i)
      if (!LiesZahl(zahlen[i], objekt.args[k - 1][i])) return "bad number '" + std::string(zahlen[i]) + "'";
  }
  if (std::optional<std::string> grund = PruefeObjekt(objekt)) return grund;
  karte.objekte.push_back(objekt);
  return std::nullopt;
}

std::optional<std::string> Leser::PruefeObjekt(const Karte::Objekt& objekt) {
  const bool innen = objekt.x >= 0 && objekt.y >= 0 && objekt.z >= 0 && objekt.x < float(karte.X) &&
                     objekt.y < float(karte.Y) && objekt.z < float(karte.Z);
  if (!innen) return "object outside the grid";
  if (objekt.typ != TYP_STARTPUNKT) return std::nullopt;
  return PruefeStart(objekt);
}

std::optional<std::string> Leser::PruefeStart(const Karte::Objekt& objekt) {
  if (hatStart) return "a second \"Startpunkt\"";
  hatStart = true;
  start = objekt;
  startZeile = zeilenNummer;
  const uint32_t richtung = Spiel::Objektregeln::StartRichtung(start);
  if (richtung > 3) return "start direction " + std::to_string(richtung) + " is not 0..3";
  return std::nullopt;
}

std::optional<std::string> Leser::PruefeStartZelle() const {
  const Spiel::Objektregeln::Zellposition zelle = Spiel::Objektregeln::StartZelle(start);
  if (!karte.Enthaelt(zelle.x, zelle.y, zelle.z) || zelle.y < 1) return "start cell outside the grid or on layer 0";
  const uint32_t typ = karte.ZelleBei(zelle.x, zelle.y, zelle.z).typ;
  const uint32_t unten = karte.ZelleBei(zelle.x, zelle.y - 1, zelle.z).typ;
  if (typ != Karte::Leer) return "start cell is not empty";
  if (unten != Karte::Fels && unten != Karte::Mauer) return "start cell does not stand on a full block";
  return std::nullopt;
}

}  // namespace

std::optional<Kartenbeschreibung::Fehler> Kartenbeschreibung::Baue(std::string_view text, Karte& karte) {
  Leser leser(karte);
  return leser.Baue(text);
}

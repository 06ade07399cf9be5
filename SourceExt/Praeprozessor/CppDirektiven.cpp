// The '#' directives: conditionals, define/undef, include, line, pragma, error and assert.
#include <algorithm>

#include "CppZustand.h"

namespace cpp {
namespace {

bool IstBlank(int c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

std::string OhneRandBlanks(const std::string& s) {
  size_t a = 0, e = s.size();
  while (a < e && IstBlank(static_cast<unsigned char>(s[a]))) ++a;
  while (e > a && IstBlank(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(a, e - a);
}

std::string ErsterName(const std::string& s, size_t& ende) {
  size_t i = 0;
  while (i < s.size() && IstBlank(static_cast<unsigned char>(s[i]))) ++i;
  std::string name;
  if (i < s.size() && IstNamensAnfang(static_cast<unsigned char>(s[i])))
    while (i < s.size() && IstNamensZeichen(static_cast<unsigned char>(s[i]))) name += s[i++];
  ende = i;
  return name;
}

bool NurBlanks(const std::string& s, size_t ab) {
  for (size_t i = ab; i < s.size(); ++i)
    if (!IstBlank(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

}  // namespace

// The rest of the directive line up to its line feed, comments turned into one blank.
std::string Zustand::liesDirektivenZeile() {
  std::string zeile;
  for (int c = lies(); c != ENDE && c != '\n' && !abbruch; c = lies()) {
    if (c == '/' && spaehe() == '*') {
      lies();
      bool inhalt = false;
      ueberspringeKommentar(inhalt);
      zeile += ' ';
      continue;
    }
    if (c == '/' && spaehe() == '/' && zeilenKommentare) {
      while (spaehe() != '\n' && spaehe() != ENDE) lies();
      continue;
    }
    zeile += char(c);
    if (c == '"' || c == '\'') {
      for (int d = spaehe(); d != ENDE && d != '\n'; d = spaehe()) {
        zeile += char(lies());
        if (d == '\\' && spaehe() != '\n' && spaehe() != ENDE)
          zeile += char(lies());
        else if (d == c)
          break;
      }
    }
  }
  return zeile;
}

void Zustand::direktive() {
  const std::string zeile = liesDirektivenZeile();
  size_t ende = 0;
  std::string wort = ErsterName(zeile, ende);
  if (wort.empty() && ende < zeile.size() && zeile[ende] >= '0' && zeile[ende] <= '9') wort = "line";
  const std::string rest = zeile.substr(ende);
  if (wort.empty()) {
    if (!NurBlanks(zeile, 0) && aktiv()) melde(37, OhneRandBlanks(zeile).c_str());
    return;
  }

  if (wort == "if" || wort == "ifdef" || wort == "ifndef") {
    if (int(bedingungen.size()) >= MAX_BEDINGUNGEN) return melde(54, wort.c_str());
    if (!aktiv()) {
      bedingungen.push_back(BED_GENOMMEN);
      return;
    }
    bool wahr = false;
    if (NurBlanks(rest, 0)) {
      melde(4);
    } else if (wort == "if") {
      wahr = werteAus(rest) != 0;
    } else {
      size_t nameEnde = 0;
      const std::string name = ErsterName(rest, nameEnde);
      if (name.empty()) melde(4);
      else if (!NurBlanks(rest, nameEnde)) melde(38);
      wahr = !name.empty() && (makros.count(name) != 0) == (wort == "ifdef");
    }
    bedingungen.push_back(uint8_t(BED_ELTERN_AKTIV | (wahr ? BED_AKTIV | BED_GENOMMEN : 0)));
    return;
  }
  if (wort == "elif" || wort == "else" || wort == "endif") {
    if (bedingungen.empty()) return melde(0, wort.c_str());
    uint8_t& b = bedingungen.back();
    if (wort == "endif") {
      bedingungen.pop_back();
    } else if (b & BED_ELSE) {
      melde(1, wort.c_str());
    } else if (wort == "else") {
      b = uint8_t((b & ~BED_AKTIV) | BED_ELSE);
      if ((b & BED_ELTERN_AKTIV) && !(b & BED_GENOMMEN)) b |= BED_AKTIV | BED_GENOMMEN;
    } else {
      b &= uint8_t(~BED_AKTIV);
      if ((b & BED_ELTERN_AKTIV) && !(b & BED_GENOMMEN) && werteAus(rest) != 0) b |= BED_AKTIV | BED_GENOMMEN;
    }
    if (wort != "elif" && !NurBlanks(rest, 0) && aktiv()) melde(38);
    return;
  }
  if (!aktiv()) return;

  if (wort == "define") return definiere(rest);
  if (wort == "undef") {
    size_t nameEnde = 0;
    const std::string name = ErsterName(rest, nameEnde);
    if (name.empty()) return melde(8);
    makros.erase(name);
    if (!NurBlanks(rest, nameEnde)) melde(38);
    return;
  }
  if (wort == "include") return includeDirektive(rest);
  if (wort == "line") {
    const std::string text = OhneRandBlanks(expandiereText(rest, false));
    size_t i = 0;
    int64_t nummer = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && nummer <= MAX_ZEILE) nummer = nummer * 10 + (text[i++] - '0');
    if (i == 0) return melde(37, zeile.c_str());
    const int datei = aktuelleDatei();
    if (datei < 0) return;
    eingaben[datei].naechsteZeile = int(std::min<int64_t>(nummer, MAX_ZEILE));
    while (i < text.size() && IstBlank(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '"') {
      const size_t schluss = text.find('"', i + 1);
      if (schluss != std::string::npos) eingaben[datei].name = text.substr(i + 1, schluss - i - 1);
    }
    return;
  }
  if (wort == "pragma") {
    size_t i = 0;
    while (i < rest.size() && IstBlank(static_cast<unsigned char>(rest[i]))) ++i;
    return gibZeileAus("#pragma " + rest.substr(i), aktuelleZeile());
  }
  if (wort == "error") {
    melde(2);
    if (!NurBlanks(rest, 0)) melde(38);
    return;
  }
  if (wort == "assert") {
    if (werteAus(rest) == 0) melde(3);
    return;
  }
  melde(37, wort.c_str());
}

void Zustand::includeDirektive(const std::string& zeile) {
  std::string text = OhneRandBlanks(zeile);
  if (!text.empty() && IstNamensAnfang(static_cast<unsigned char>(text[0]))) text = OhneRandBlanks(expandiereText(text, false));
  const char schluss = text.empty() ? 0 : text[0] == '<' ? '>' : text[0] == '"' ? '"' : 0;
  const size_t ende = schluss ? text.find(schluss, 1) : std::string::npos;
  if (ende == std::string::npos || ende == 1) return melde(5);
  if (!NurBlanks(text, ende + 1)) melde(38);
  const std::string name = text.substr(1, ende - 1);

  std::vector<std::string> versuche;
  if (schluss == '"' && nebenDateiZuerst) {
    const int datei = aktuelleDatei();
    const std::string& basis = datei >= 0 ? eingaben[datei].name : eingabeName;
    const size_t strich = basis.rfind('/');
    versuche.push_back(strich == std::string::npos ? name : basis.substr(0, strich + 1) + name);
  }
  for (const std::string& verzeichnis : verzeichnisse)
    versuche.push_back(verzeichnis + (!verzeichnis.empty() && verzeichnis.back() == '/' ? "" : "/") + name);
  for (const std::string& pfad : versuche) {
    if (pfad.size() >= size_t(MAX_DATEINAME)) return melde(55);
    if (oeffneDatei(pfad, false)) return;
  }
  if (fehlendeMelden) melde(48, name.c_str());
}

}  // namespace cpp

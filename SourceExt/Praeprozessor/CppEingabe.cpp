// The input stack: logical lines from files and the main reader (CR before LF dropped,
// backslash-newline joined), macro text and given-back text.
#include <cstring>

#include "CppZustand.h"

namespace cpp {

bool IstNamensAnfang(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$'; }
bool IstNamensZeichen(int c) { return IstNamensAnfang(c) || (c >= '0' && c <= '9'); }

int Zustand::rohZeichen(Rahmen& r) {
  if (r.rohZurueck >= 0) {
    const int c = r.rohZurueck;
    r.rohZurueck = ENDE - 1;
    return c;
  }
  if (r.art == Art::Datei) {
    const int c = r.datei ? getc(r.datei) : EOF;
    return c == EOF ? ENDE : c;
  }
  while (r.rohPos >= r.roh.size()) {
    if (r.rohEnde || !leser) return ENDE;
    char stueck[4096];
    stueck[0] = 0;
    if (!leser(stueck, int(sizeof stueck), daten) || stueck[0] == 0) {
      r.rohEnde = true;
      return ENDE;
    }
    stueck[sizeof stueck - 1] = 0;
    r.roh.assign(stueck);
    r.rohPos = 0;
  }
  return static_cast<unsigned char>(r.roh[r.rohPos++]);
}

bool Zustand::fuelle(Rahmen& r) {
  r.puffer.clear();
  r.pos = 0;
  const int zeile = r.naechsteZeile;
  bool gelesen = false;
  for (;;) {
    int c = rohZeichen(r);
    if (c == ENDE) {
      if (!gelesen) return false;
      r.puffer += '\n';
      r.naechsteZeile = FolgeZeile(r.naechsteZeile);
      return true;
    }
    if (!gelesen) r.zeile = zeile;
    gelesen = true;
    if (c == '\r') {
      const int d = rohZeichen(r);
      if (d == '\n')
        c = '\n';
      else if (d != ENDE)
        r.rohZurueck = d;
    }
    if (c == '\n') {
      r.naechsteZeile = FolgeZeile(r.naechsteZeile);
      if (!r.puffer.empty() && r.puffer.back() == '\\') {
        r.puffer.pop_back();
        continue;
      }
      r.puffer += '\n';
      return true;
    }
    r.puffer += char(c);
  }
}

int Zustand::lies() {
  while (!eingaben.empty() && !abbruch) {
    const int i = int(eingaben.size()) - 1;
    Rahmen& r = eingaben[i];
    if (r.pos < r.puffer.size()) {
      letzteArt = r.art;
      letzterRahmen = i;
      return static_cast<unsigned char>(r.puffer[r.pos++]);
    }
    switch (r.art) {
      case Art::Text:
        return ENDE;
      case Art::Makro:
      case Art::Rueckgabe:
        entferneRahmen();
        break;
      case Art::Hauptleser:
        if (!fuelle(r)) return ENDE;
        break;
      case Art::Datei:
        if (!fuelle(r)) entferneRahmen();
        break;
    }
  }
  return ENDE;
}

void Zustand::gibZurueck(int zeichen) {
  if (zeichen == ENDE) return;
  if (!eingaben.empty()) {
    Rahmen& r = eingaben.back();
    if (r.pos > 0 && static_cast<unsigned char>(r.puffer[r.pos - 1]) == zeichen) {
      --r.pos;
      return;
    }
  }
  gibZurueck(std::string(1, char(zeichen)));
}

void Zustand::gibZurueck(const std::string& text) {
  if (text.empty()) return;
  if (text.size() > MAX_RUECKGABE) {
    melde(66);
    return;
  }
  schiebeText(Art::Rueckgabe, "", text);
}

void Zustand::schiebeText(Art art, const std::string& name, std::string text) {
  Rahmen r;
  r.art = art;
  r.name = name;
  r.puffer = std::move(text);
  eingaben.push_back(std::move(r));
  if (art == Art::Makro) ++makroRahmen;
}

bool Zustand::oeffneDatei(const std::string& name, bool vordatei) {
  FILE* datei = oeffner(name.c_str(), "r");
  if (!datei) return false;
  if (!vordatei && ++includes > MAX_INCLUDES) {
    fclose(datei);
    melde(57);
    return true;
  }
  if (includesMelden) sende("cpp: included \"%s\"\n", name.c_str());
  Rahmen r;
  r.art = Art::Datei;
  r.name = name;
  r.datei = datei;
  eingaben.push_back(std::move(r));
  return true;
}

void Zustand::entferneRahmen() {
  Rahmen& r = eingaben.back();
  if (r.art == Art::Datei) {
    if (r.datei) fclose(r.datei);
    if (includes > 0) --includes;
  }
  if (r.art == Art::Makro) --makroRahmen;
  if (int(eingaben.size()) - 1 <= sperreAb) sperreAb = -1;
  eingaben.pop_back();
}

int Zustand::aktuelleDatei() const {
  for (int i = int(eingaben.size()) - 1; i >= 0; --i)
    if (eingaben[i].art == Art::Datei || eingaben[i].art == Art::Hauptleser) return i;
  return -1;
}

int Zustand::aktuelleZeile() const {
  const int i = aktuelleDatei();
  return i >= 0 ? eingaben[i].zeile : 0;
}

int Zustand::makroTiefe() const { return makroRahmen; }

}  // namespace cpp

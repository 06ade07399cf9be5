#include "Zarvo_Ausnahme.h"

#include "Zarvo_Log.h"
#include "Zarvo_Start.h"

#include <algorithm>
#include <utility>

Zarvo_Ausnahme::Zarvo_Ausnahme(std::string meldung_, std::string funktion_, std::string datei_, int zeile_)
    : meldung(std::move(meldung_)), funktion(std::move(funktion_)), datei(std::move(datei_)), zeile(zeile_) {}

void WirfZarvoAusnahme(std::string meldung, std::string funktion, std::string datei, int zeile) {
  throw Zarvo_Ausnahme(std::move(meldung), std::move(funktion), std::move(datei), zeile);
}

void SchreibePruefZeile(const char* text, const std::string& funktion, const std::string& datei, int zeile) {
  g_Log.Schreibe("!Ausnahme \"%s\" aufgetreten in Funktion %s (%s:%d).", text, funktion.c_str(), datei.c_str(), zeile);
}

std::string QuellPfad(std::string_view datei) {
  size_t anfang = std::string_view::npos;
  for (std::string_view wurzel : {"/SourceExt/", "/Source/"}) {
    size_t stelle = datei.rfind(wurzel);
    if (stelle != std::string_view::npos && (anfang == std::string_view::npos || stelle > anfang)) anfang = stelle + 1;
  }
  if (anfang == std::string_view::npos) {
    size_t schraegstrich = datei.rfind('/');
    anfang = schraegstrich == std::string_view::npos ? 0 : schraegstrich + 1;
  }
  std::string pfad(datei.substr(anfang));
  size_t punkt = pfad.rfind('.');
  if (punkt != std::string::npos && pfad.find('/', punkt) == std::string::npos) pfad.resize(punkt);
  for (char& zeichen : pfad)
    if (zeichen == '/') zeichen = '\\';
  return pfad;
}

namespace {

bool IstBezeichnerZeichen(char zeichen) {
  return (zeichen >= 'a' && zeichen <= 'z') || (zeichen >= 'A' && zeichen <= 'Z') || (zeichen >= '0' && zeichen <= '9') ||
         zeichen == '_';
}

// When the keyword "operator" begins at `stelle`: the end of the operator's name ("operator()",
// "operator<", "operator int"), which is where its parameters begin. Otherwise npos.
size_t OperatorEnde(std::string_view signatur, size_t stelle) {
  constexpr std::string_view WORT = "operator";
  if (signatur.substr(stelle, WORT.size()) != WORT) return std::string_view::npos;
  if (stelle > 0 && IstBezeichnerZeichen(signatur[stelle - 1])) return std::string_view::npos;
  const size_t danach = stelle + WORT.size();
  if (danach < signatur.size() && IstBezeichnerZeichen(signatur[danach])) return std::string_view::npos;
  if (signatur.substr(danach, 2) == "()") return danach + 2;
  return std::min(signatur.find('(', danach), signatur.size());
}

// When clang's "(anonymous namespace)" (or "(anonymous class)" ...) begins at `stelle`: the position
// of its closing parenthesis, for it is part of the name. Otherwise npos.
size_t AnonymEnde(std::string_view signatur, size_t stelle) {
  if (signatur.substr(stelle, 11) != "(anonymous ") return std::string_view::npos;
  return signatur.find(')', stelle);
}

// The name between `anfang` and `ende`, without the '*' or '&' of a return type written before it.
std::string Name(std::string_view signatur, size_t anfang, size_t ende) {
  while (anfang < ende && (signatur[anfang] == '*' || signatur[anfang] == '&')) ++anfang;
  return std::string(signatur.substr(anfang, ende - anfang));
}

}  // namespace

std::string FunktionsName(std::string_view signatur) {
  // The name ends at the first '(' outside template brackets (after an operator's symbol); it
  // starts after the last blank before that, outside template brackets (the return type stands
  // in front).
  int tiefe = 0;
  size_t anfang = 0;
  for (size_t i = 0; i < signatur.size(); ++i) {
    const char zeichen = signatur[i];
    if (tiefe == 0) {
      if (const size_t ende = OperatorEnde(signatur, i); ende != std::string_view::npos) return Name(signatur, anfang, ende);
      if (const size_t ende = AnonymEnde(signatur, i); ende != std::string_view::npos) {
        i = ende;
        continue;
      }
    }
    if (zeichen == '<') ++tiefe;
    else if (zeichen == '>') --tiefe;
    else if (tiefe == 0 && zeichen == ' ') anfang = i + 1;
    else if (tiefe == 0 && zeichen == '(') return Name(signatur, anfang, i);
  }
  return Name(signatur, anfang, signatur.size());
}

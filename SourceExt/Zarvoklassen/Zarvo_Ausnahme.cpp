#include "Zarvo_Ausnahme.h"

#include "Zarvo_Log.h"
#include "Zarvo_Start.h"

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

std::string FunktionsName(std::string_view signatur) {
  // The name ends at the first '(' outside template brackets; it starts after the last blank
  // before that, outside template brackets (the return type stands in front).
  int tiefe = 0;
  size_t anfang = 0;
  for (size_t i = 0; i < signatur.size(); ++i) {
    char zeichen = signatur[i];
    if (zeichen == '<') ++tiefe;
    else if (zeichen == '>') --tiefe;
    else if (tiefe == 0 && zeichen == ' ') anfang = i + 1;
    else if (tiefe == 0 && zeichen == '(') return std::string(signatur.substr(anfang, i - anfang));
  }
  return std::string(signatur.substr(anfang));
}

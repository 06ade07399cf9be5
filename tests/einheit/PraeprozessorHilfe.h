#pragma once
// Runs the preprocessor over a string with string callbacks and an opener over an in-memory
// file table.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cpp.h"

struct CppLauf {
  std::string eingabe;
  size_t pos = 0;
  std::string ausgabe;
  std::string meldungen;
  int ergebnis = -1;

  static char* Lies(char* puffer, int groesse, void* daten) {
    CppLauf& l = *static_cast<CppLauf*>(daten);
    if (l.pos >= l.eingabe.size()) return nullptr;
    const size_t n = std::min(l.eingabe.size() - l.pos, size_t(groesse - 1));
    memcpy(puffer, l.eingabe.data() + l.pos, n);
    puffer[n] = 0;
    l.pos += n;
    return puffer;
  }
  static void Schreibe(int zeichen, void* daten) { static_cast<CppLauf*>(daten)->ausgabe += char(zeichen); }
  static void Melde(void* daten, const char* format, va_list argumente) {
    char text[2048];
    vsnprintf(text, sizeof text, format, argumente);
    static_cast<CppLauf*>(daten)->meldungen += text;
  }
};

// Files the opener finds, per thread.
inline thread_local std::map<std::string, std::string> g_cppDateien;
inline thread_local std::vector<std::string> g_cppVersuche;

inline FILE* OeffneAusTabelle(const char* name, const char* modus) {
  g_cppVersuche.emplace_back(name);
  auto it = g_cppDateien.find(name);
  if (it == g_cppDateien.end()) return nullptr;
  return fmemopen(const_cast<char*>(it->second.data()), it->second.size(), modus);
}

// The engine's settings (no line records, no banner) plus `weitere` tags.
inline CppLauf Praeprozessiere(const std::string& text, std::vector<CppTag> weitere = {}) {
  CppLauf l;
  l.eingabe = text;
  std::vector<CppTag> tags = {{CPPTAG_EINGABE_NAME, uintptr_t("SpoeSpoe")},
                              {CPPTAG_LESER, uintptr_t(&CppLauf::Lies)},
                              {CPPTAG_SCHREIBER, uintptr_t(&CppLauf::Schreibe)},
                              {CPPTAG_BENUTZERDATEN, uintptr_t(&l)},
                              {CPPTAG_ZEILENANGABEN, 0},
                              {CPPTAG_MELDER, uintptr_t(&CppLauf::Melde)},
                              {CPPTAG_KOPFZEILE, 0},
                              {CPPTAG_OEFFNER, uintptr_t(&OeffneAusTabelle)}};
  tags.insert(tags.end(), weitere.begin(), weitere.end());
  tags.push_back({CPPTAG_ENDE, 0});
  l.ergebnis = cppPreProcess(tags.data());
  return l;
}

#pragma once
// The preprocessor run over shader text: the classic '#' directives and macros, plus the name and
// line of the function being defined (__FUNCTION__, __FUNC_LINE__). One call processes one
// translation unit with a fresh state. It reads, writes, reports and opens included files only
// through the callbacks of its tag list, so concurrent runs with their own callbacks do not meet.
#include <cstdarg>
#include <cstdint>
#include <cstdio>

// Reader: fills `puffer` with at most groesse - 1 characters and a NUL; null at the end of input.
using CppLeser = char* (*)(char* puffer, int groesse, void* daten);
// Writer: receives each output character.
using CppSchreiber = void (*)(int zeichen, void* daten);
// Sink: receives message text in pieces.
using CppMelder = void (*)(void* daten, const char* format, va_list argumente);
// Opener: opens an included file (default fopen).
using CppOeffner = FILE* (*)(const char* name, const char* modus);

struct CppTag {
  uint32_t tag;
  uintptr_t wert;
};

enum : uint32_t {
  CPPTAG_ENDE = 0,
  CPPTAG_AUSGABE_FLAGS = 1,
  CPPTAG_DEFINE = 2,
  CPPTAG_FEHLER_IGNORIEREN = 3,
  CPPTAG_INCLUDE_VERZEICHNIS = 4,
  CPPTAG_OHNE_KENNMAKRO = 5,
  CPPTAG_OHNE_SONDERMAKROS = 6,
  CPPTAG_OHNE_ZEILENKOMMENTARE = 7,
  CPPTAG_SIZEOF_GROESSEN = 8,
  CPPTAG_UNDEFINE = 9,
  CPPTAG_MAKROS_AUSGEBEN = 10,
  CPPTAG_EINGABE_NAME = 11,
  CPPTAG_LESER = 12,
  CPPTAG_SCHREIBER = 13,
  CPPTAG_BENUTZERDATEN = 14,
  CPPTAG_ZEILENANGABEN = 15,
  CPPTAG_MELDER = 16,
  CPPTAG_SCHALTER_17 = 17,
  CPPTAG_ZEILENANGABE_MIT_LINE = 18,
  CPPTAG_KOPFZEILE = 19,
  CPPTAG_INCLUDES_MELDEN = 20,
  CPPTAG_KLAMMERBILANZ = 21,
  CPPTAG_SCHALTER_22 = 22,
  CPPTAG_VERSCHACHTELTE_KOMMENTARE = 23,
  CPPTAG_WARNE_VERSCHACHTELTE_KOMMENTARE = 24,
  CPPTAG_FEHLENDE_INCLUDES_MELDEN = 25,
  CPPTAG_AUSGABE_AN = 26,
  CPPTAG_VORDATEI = 27,
  CPPTAG_VORDATEI_MERKEN = 28,
  CPPTAG_SCHALTER_29 = 29,
  CPPTAG_FUNKTIONS_EINSCHUB = 30,
  CPPTAG_EINSCHUB_FUNKTION = 31,
  CPPTAG_FUNKTIONEN_MELDEN = 32,
  CPPTAG_SCHALTER_33 = 33,
  CPPTAG_NEBEN_DATEI_ZUERST = 34,
  CPPTAG_OEFFNER = 35,
};

// Runs the preprocessor as the tag list (ended by CPPTAG_ENDE) configures it. 0 without an
// Error-kind message (or with CPPTAG_FEHLER_IGNORIEREN), 1 after one, and 1 when a fatal condition
// ended the run early; the output written so far stays with the caller.
int cppPreProcess(const CppTag* tags);

#pragma once
// The engine exception: thrown for failures that end the start or the run, caught and logged by
// the program entry. Recoverable states are reported with ZARVO_PRUEFE instead and the caller
// goes on with its fallback.
#include <string>
#include <string_view>

class Zarvo_Ausnahme {
 public:
  Zarvo_Ausnahme(std::string meldung, std::string funktion, std::string datei, int zeile);
  Zarvo_Ausnahme(const Zarvo_Ausnahme&) = default;

  std::string meldung;   // what went wrong
  std::string funktion;  // qualified name of the throwing function
  std::string datei;     // source path from SourceExt or Source on, '\' separators, no extension
  int zeile;
};

[[noreturn]] void WirfZarvoAusnahme(std::string meldung, std::string funktion, std::string datei, int zeile);

// Writes "!Ausnahme "<text>" aufgetreten in Funktion <funktion> (<datei>:<zeile>)." to the log.
void SchreibePruefZeile(const char* text, const std::string& funktion, const std::string& datei, int zeile);

// "…/SourceExt/Zarvoklassen/TSpeicher.cpp" -> "SourceExt\Zarvoklassen\TSpeicher"; a path outside
// SourceExt and Source gives the bare file name without extension.
std::string QuellPfad(std::string_view datei);
// "void TSpeicher::SchreibeFormatText(const char*, ...)" -> "TSpeicher::SchreibeFormatText".
std::string FunktionsName(std::string_view signatur);

#define ZARVO_AUSNAHME(text) WirfZarvoAusnahme((text), FunktionsName(__PRETTY_FUNCTION__), QuellPfad(__FILE__), __LINE__)
#define ZARVO_PRUEFE(text) SchreibePruefZeile((text), FunktionsName(__PRETTY_FUNCTION__), QuellPfad(__FILE__), __LINE__)

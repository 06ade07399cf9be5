#pragma once
// The configuration file "spiel.cfg": <config><var name="…" wert="…"/>…</config>, one element per
// saved variable in name order. Loading assigns every named registered variable (read-only ones
// too); a missing, broken or empty file leaves the defaults with a warning.
#include <filesystem>
#include <string_view>

class TiXmlDocument;

class Zarvo_Konfig {
 public:
  static constexpr int MAX_ELEMENTE = 4096;  // more element openings count as a parse failure

  // Remembers directory/name as the configuration path and loads it.
  static void Lade(const std::filesystem::path& verzeichnis, const char* dateiName);
  // Writes the saved variables to the remembered path.
  static void Speichere();

  // The steps of Lade, for the fuzz target: parse a document from text (false on failure,
  // including more than MAX_ELEMENTE element openings), then assign the variables from it.
  static bool LiesDokument(std::string_view text, TiXmlDocument& dokument);
  static void FuelleAus(const TiXmlDocument& dokument);
};

#pragma once
// The scene file "szene.dat": the outer segment "SZNE" (version 256) around the map segment.
// Undo snapshots are the same bytes in a buffer.
#include <cstdint>
#include <filesystem>

class Karte;
class TSpeicher;

namespace Spiel {

class SzenenDatei {
 public:
  static constexpr uint32_t VERSION = 256;

  enum class Ergebnis { Fehlt, Geladen, Beschaedigt };

  // The file's size in bytes for this map.
  static uint64_t Groesse(const Karte& karte);
  static void Schreibe(TSpeicher& speicher, const Karte& karte);
  // False when the map segment is damaged; the map is then unchanged.
  static bool Lies(TSpeicher& speicher, Karte& karte);

  // Writes a temporary file beside the target and renames it over the target, so a failed save
  // keeps the old file. False (with an error line) when anything fails.
  static bool Speichere(const std::filesystem::path& pfad, const Karte& karte);
  // A file that cannot be opened is missing: the map stays, no message. A file that cannot be
  // read whole or does not parse is damaged: the map stays, one error line.
  static Ergebnis Lade(const std::filesystem::path& pfad, Karte& karte);

 private:
  // The whole file at `pfad`; false when it could not be opened or written whole.
  static bool SchreibeDatei(const std::filesystem::path& pfad, const Karte& karte);
};

}  // namespace Spiel

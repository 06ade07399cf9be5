#pragma once
// A growable byte buffer with one cursor for reading and writing. Every binary file of the engine
// is built in one and written out whole, or read whole into one and parsed from it.
//
// Up to 512 bytes live inside the object; growth then jumps to 10000 bytes on the heap and
// doubles from there. Writes grow the buffer; reads never leave the content: a read that would
// pass the size copies what exists, zero-fills the rest, leaves the cursor at the size and sets a
// sticky read-error flag (cleared by Leere, by a load, or by LoescheLesefehler).
//
// Byte order: SchreibeU32/SchreibeU64, the ...BE readers, LiesMemEndianKorrekt and LiesMarkierung
// are big-endian; the ...Nativ writers and LiesU32/LiesU64 use the machine's order.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>

// A four-character marker as a big-endian u32, first character in the top byte.
constexpr uint32_t VierZeichen(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8 |
         uint32_t(uint8_t(text[3]));
}

class TSpeicher {
 public:
  static constexpr uint64_t INLINE_GROESSE = 512;
  static constexpr uint64_t ERSTE_HEAP_GROESSE = 10000;
  static constexpr uint64_t NULLEN_HINTER_DATEI = 64;

  TSpeicher();
  explicit TSpeicher(uint64_t kapazitaet);
  TSpeicher(const TSpeicher& quelle);
  TSpeicher(TSpeicher&& quelle) noexcept;
  TSpeicher& operator=(const TSpeicher& quelle);
  ~TSpeicher();

  uint8_t* Daten() { return daten; }
  const uint8_t* Daten() const { return daten; }
  uint64_t Kapazitaet() const { return kapazitaet; }
  uint64_t Position() const { return position; }
  uint64_t Groesse() const { return groesse; }
  uint64_t Rest() const { return groesse - position; }  // bytes behind the cursor
  bool IstInline() const { return daten == inlineSpeicher; }

  // Capacity and position.
  void Reserviere(uint64_t n);
  void SichereKapazitaet(uint64_t n);
  void SetGroesse(uint64_t n);
  int64_t SetzePosition(uint64_t p);
  int64_t VerschiebePosition(int64_t d);
  int64_t Zurueckspulen();
  void Leere();

  bool HatLesefehler() const { return lesefehler; }
  void SetzeLesefehler() { lesefehler = true; }
  void LoescheLesefehler() { lesefehler = false; }

  // Writes; each returns the position written at.
  uint64_t SchreibeU8(uint8_t wert);
  uint64_t SchreibeU32(uint32_t wert);
  uint64_t SchreibeU32Nativ(uint32_t wert);
  uint64_t SchreibeU64(uint64_t wert);
  uint64_t SchreibeU64Nativ(uint64_t wert);
  uint64_t SchreibeMem(const void* quelle, uint64_t n);
  uint64_t SchreibeText(const char* text);
  uint64_t SchreibeFormatText(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Reads at the cursor.
  uint8_t LiesU8();
  uint32_t LiesU32();
  uint32_t LiesU32BE();
  float LiesF32BE();
  uint64_t LiesU64();
  uint64_t LiesU64BE();
  void LiesMem(void* ziel, uint64_t n);
  void LiesMemEndianKorrekt(uint32_t* ziel, uint64_t bytes);
  // Reads a big-endian u32; false (and the consistency line) when it is not the expected marker.
  bool LiesMarkierung(uint32_t erwartet);

  // Mode 0 binary, 1 text, 2 the six-characters-per-word text form. False when the file cannot be
  // opened or read whole (mode 2: also for a bad character or a partial group).
  bool LadeAusDatei(const std::filesystem::path& pfad, int modus);
  // Reads an open stream whole from its start, as load modes 0 and 1 do. False when its size
  // cannot be taken or it cannot be read whole.
  bool LadeAusStrom(FILE* strom);
  // Writes the whole content ("wb", or "w" for mode 1); false when it could not be written whole.
  bool SpeichereInDatei(const std::filesystem::path& pfad, int modus) const;

 private:
  void WechsleSpeicher(uint64_t neueKapazitaet);
  uint64_t SchreibeRoh(const void* quelle, uint64_t n);
  void LiesRoh(void* ziel, uint64_t n);
  bool LadeWortText(const std::filesystem::path& pfad);
  void SetzeHeapFrei();

  uint8_t* daten;
  uint64_t kapazitaet = INLINE_GROESSE;
  uint64_t position = 0;
  uint64_t groesse = 0;
  bool lesefehler = false;
  uint8_t inlineSpeicher[INLINE_GROESSE];
};

// Expands the zlib stream from the source's cursor to its end into the destination (from its
// start). `grenze` caps the bytes produced; more fails like damaged data. A caller that knows the
// length passes it as `grenze`: the destination is then sized once (as far as the input can
// expand), else it grows by doubling.
bool ZLib_Entpacken(TSpeicher& quelle, TSpeicher& ziel, uint64_t grenze = std::numeric_limits<uint64_t>::max());
// Compresses the source's whole content into the destination at its cursor. `stufe` is the zlib
// level, -1 (Z_DEFAULT_COMPRESSION) by default.
bool ZLib_Packen(TSpeicher& quelle, TSpeicher& ziel, int stufe = -1);

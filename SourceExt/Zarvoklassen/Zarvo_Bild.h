#pragma once
// An image in main memory: one pixel array in one of the fifteen pixel formats, an optional chain
// of smaller mip levels and, for a cube map, six faces that each carry their own chain.
//
// Ownership: every level owns the next smaller one; the base face (slot 3, "Links") owns the
// other five faces. Each face's top level holds the same six face pointers, and level n of each
// face holds the six level-n pointers (null where a face's chain is shorter). Mip levels and
// non-base faces refuse resizing; they are created and destroyed only by their owner.
//
// All pixel access goes through TBereich, a view of a rectangle of one face or level. The readers
// (PNG, DDS, JPEG) keep no static state, so images may be loaded on worker threads; one image is
// never used by two threads at once.
#include <cstdint>
#include <filesystem>
#include <span>

#include "Zarvo_Pixelformat.h"

class TBereich;
class TSpeicher;

class Zarvo_Bild {
 public:
  static constexpr int SEITEN = 6;
  static constexpr int BASIS_SEITE = 3;  // -X, "Links"
  static constexpr uint64_t STANDARD_MAX_KANTE = 16384;

  Zarvo_Bild() = default;
  Zarvo_Bild(uint64_t breite, uint64_t hoehe, Zarvo_Pixelformat format, uint64_t mipAnzahl);
  Zarvo_Bild(const Zarvo_Bild& quelle);
  Zarvo_Bild(Zarvo_Bild&& quelle) noexcept;
  Zarvo_Bild& operator=(const Zarvo_Bild& quelle);
  Zarvo_Bild& operator=(Zarvo_Bild&& quelle) noexcept;
  ~Zarvo_Bild();

  // Size rules; a width or height of 0 gives 0. For DXT a row is one pixel row of a block row.
  static uint64_t BytesProZeile(Zarvo_Pixelformat format, uint64_t breite);
  static uint64_t BytesProBild(Zarvo_Pixelformat format, uint64_t breite, uint64_t hoehe);
  static uint64_t ElementGroesse(Zarvo_Pixelformat format);
  // Levels of a chain for a requested count: 0 is the full chain, floor(log2(min(w, h))) + 1;
  // more than floor(log2(max(w, h))) + 1 is clamped to that; a width or height of 0 gives 1.
  static uint64_t BegrenzeMipAnzahl(uint64_t breite, uint64_t hoehe, uint64_t anzahl);

  // The readers' largest edge (default 16384); checked before anything is allocated.
  static void SetzeMaxKantenlaenge(uint64_t kante);
  static uint64_t GibMaxKantenlaenge();

  // Building. SetGroesse and SetCubeMapGroesse return false when they refuse (a mip level, or a
  // cube face other than the base) and then change nothing.
  bool SetGroesse(uint64_t breite, uint64_t hoehe, Zarvo_Pixelformat format, uint64_t mipAnzahl);
  bool SetCubeMapGroesse(uint64_t groesse, Zarvo_Pixelformat format, uint64_t mipAnzahl);
  void ErzeugeMipKette(uint64_t anzahl);
  void SetzeCubeMapSeiten(Zarvo_Bild* links, Zarvo_Bild* rechts, Zarvo_Bild* oben, Zarvo_Bild* unten,
                          Zarvo_Bild* vorne, Zarvo_Bild* hinten);
  void Kopiere(const Zarvo_Bild& quelle);
  void BerechneMipMaps();

  // Level n of the chain (0 = the image itself); null when n is not below the mip count on the way.
  Zarvo_Bild* HoleMipStufe(uint64_t n);
  const Zarvo_Bild* HoleMipStufe(uint64_t n) const;
  static Zarvo_Bild* HoleMipStufe(Zarvo_Bild* bild, uint64_t n) { return bild ? bild->HoleMipStufe(n) : nullptr; }

  void LockBereich(TBereich& bereich, uint64_t x, uint64_t y, uint64_t breite, uint64_t hoehe);
  void LockBereich(TBereich& bereich);

  // Loading by the first bytes: PNG, "DDS " or "MJLP", or FF D8 (JPEG). The memory forms read
  // from the cursor to the size; the view forms never read outside the view.
  bool LadeBildAusDatei(const std::filesystem::path& pfad);
  bool LadeBildAusDatei(const TSpeicher& speicher);
  bool LadeBildAusDatei(std::span<const uint8_t> daten);
  bool LadePNG(const TSpeicher& speicher);
  bool LadePNG(std::span<const uint8_t> daten);
  bool LadeDDS(const TSpeicher& speicher);
  bool LadeDDS(std::span<const uint8_t> daten);
  bool LadeJPG(const TSpeicher& speicher);
  bool LadeJPG(std::span<const uint8_t> daten);

  // Writes the image as an 8-bit RGB PNG (alpha dropped; other formats are converted first). The
  // flag byte is not used. KodierePNG appends the file at the buffer's cursor.
  bool KodierePNG(TSpeicher& ziel, uint8_t flags) const;
  bool SpeicherePNG(const std::filesystem::path& pfad, uint8_t flags) const;

  uint8_t* Pixel() { return pixel; }
  const uint8_t* Pixel() const { return pixel; }
  Zarvo_Pixelformat Format() const { return format; }
  uint64_t Breite() const { return breite; }
  uint64_t Hoehe() const { return hoehe; }
  uint64_t Zeilenbytes() const { return zeilenbytes; }
  uint64_t MipAnzahl() const { return mipAnzahl; }
  bool IstMipStufe() const { return istMipStufe; }
  bool IstCubeMap() const { return istCubeMap; }
  Zarvo_Bild* NaechsteStufe() const { return naechste; }
  Zarvo_Bild* Seite(int slot) const { return seiten[slot]; }
  bool IstLeer() const { return pixel == nullptr || breite == 0 || hoehe == 0; }

 private:
  bool IstBasisSeite() const { return istCubeMap && !istMipStufe && seiten[BASIS_SEITE] == this; }
  bool DarfUmbauen(const char* funktion, uint64_t breite, uint64_t hoehe, uint64_t format, uint64_t mipAnzahl) const;
  void GibAllesFrei();
  void BelegePixel(uint64_t neueBreite, uint64_t neueHoehe, Zarvo_Pixelformat neuesFormat);
  Zarvo_Bild* NeueStufe() const;
  void VerknuepfeSeiten();
  void UebernimmVon(Zarvo_Bild& quelle);
  void KopiereInhalt(const Zarvo_Bild& quelle);
  void KopiereStufen(const Zarvo_Bild& quelle);
  bool IstFremdBesessen() const { return istMipStufe || (istCubeMap && seiten[BASIS_SEITE] != this); }

  uint8_t* pixel = nullptr;
  Zarvo_Pixelformat format = PXFMT_A8R8G8B8;
  uint64_t breite = 0;
  uint64_t hoehe = 0;
  uint64_t zeilenbytes = 0;
  uint64_t mipAnzahl = 1;
  bool istMipStufe = false;
  Zarvo_Bild* naechste = nullptr;
  bool istCubeMap = false;
  Zarvo_Bild* seiten[SEITEN] = {};
};

// Standard CRC-32 of PNG and zlib (reflected 0xEDB88320, start 0xFFFFFFFF, final inversion);
// 0 for a length of 0.
uint32_t BerechneCRC32(const void* daten, uint64_t laenge);

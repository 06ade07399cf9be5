// DDS reader: FourCC formats (DXT, half and float, 16-bit unsigned) kept as stored, mask formats
// turned into A8R8G8B8; mip levels and cube faces.
#include <bit>
#include <cstring>

#include "Zarvo_Bild.h"
#include "Zarvo_Start.h"

namespace {

constexpr uint64_t DDS_KOPF = 128;
constexpr int DDS_SEITE_ZU_SLOT[6] = {2, 3, 0, 1, 4, 5};

uint32_t LiesLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr uint32_t FourCC(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
         uint32_t(uint8_t(text[3])) << 24;
}

struct DdsKopf {
  uint32_t groesse, flags, hoehe, breite, mipAnzahl, pfFlags, fourCC, bitAnzahl;
  uint32_t masken[4];  // red, green, blue, alpha
  uint32_t caps, caps2;

  explicit DdsKopf(const uint8_t* d)
      : groesse(LiesLE32(d + 4)), flags(LiesLE32(d + 8)), hoehe(LiesLE32(d + 12)), breite(LiesLE32(d + 16)),
        mipAnzahl(LiesLE32(d + 28)), pfFlags(LiesLE32(d + 80)), fourCC(LiesLE32(d + 84)), bitAnzahl(LiesLE32(d + 88)),
        masken{LiesLE32(d + 92), LiesLE32(d + 96), LiesLE32(d + 100), LiesLE32(d + 104)}, caps(LiesLE32(d + 108)),
        caps2(LiesLE32(d + 112)) {}

  bool HatFourCC() const { return pfFlags & 0x4; }
  bool IstCubeMap() const { return (caps & 0x8) && (caps2 & 0x200) && (caps2 & 0xFC00) == 0xFC00; }
  uint64_t GelieferteMips() const {
    return mipAnzahl != 0 && (flags & 0x20000) && (caps & 0x400000) ? mipAnzahl : 1;
  }
  bool IstSchnellerWeg() const {
    return bitAnzahl == 32 && masken[0] == 0x00FF0000 && masken[1] == 0x0000FF00 && masken[2] == 0x000000FF &&
           masken[3] == 0xFF000000;
  }
};

bool FormatAusFourCC(uint32_t fourCC, Zarvo_Pixelformat& format) {
  switch (fourCC) {
    case 111: format = PXFMT_R16F; return true;
    case 112: format = PXFMT_G16R16F; return true;
    case 113: format = PXFMT_A16B16G16R16F; return true;
    case 114: format = PXFMT_R32F; return true;
    case 115: format = PXFMT_G32R32F; return true;
    case 116: format = PXFMT_A32B32G32R32F; return true;
    case 34: format = PXFMT_G16R16; return true;
    case 36: format = PXFMT_A16B16G16R16; return true;
    case FourCC("DXT1"): format = PXFMT_DXT1; return true;
    case FourCC("DXT3"): format = PXFMT_DXT3; return true;
    case FourCC("DXT5"): format = PXFMT_DXT5; return true;
    default: return false;
  }
}

uint64_t StufenKante(uint64_t kante, uint64_t stufe) { return std::max<uint64_t>(1, stufe < 64 ? kante >> stufe : 0); }

// Bytes one level takes in the file.
uint64_t StufenBytes(const DdsKopf& kopf, Zarvo_Pixelformat format, uint64_t w, uint64_t h) {
  if (kopf.HatFourCC()) return Zarvo_Bild::BytesProBild(format, w, h);
  return w * h * (kopf.bitAnzahl / 8);
}

// Moves the mask's highest bit onto `oben` and keeps the channel's 8 bits there.
uint32_t Kanal(uint64_t wert, uint32_t maske, int oben) {
  if (maske == 0) return 0;
  const int hoechstes = 31 - std::countl_zero(maske);
  uint64_t v = wert & maske;
  v = hoechstes > oben ? v >> (hoechstes - oben) : v << (oben - hoechstes);
  return uint32_t(v) & (0xFFu << (oben - 7));
}

void WandleMasken(const DdsKopf& kopf, const uint8_t* quelle, Zarvo_Bild& ziel) {
  const uint64_t bpp = kopf.bitAnzahl / 8;
  for (uint64_t y = 0; y < ziel.Hoehe(); ++y) {
    uint8_t* zeile = ziel.Pixel() + y * ziel.Zeilenbytes();
    for (uint64_t x = 0; x < ziel.Breite(); ++x, quelle += bpp) {
      uint64_t v = 0;
      for (uint64_t b = 0; b < bpp; ++b) v |= uint64_t(quelle[b]) << (8 * b);
      const uint32_t alpha = kopf.masken[3] ? Kanal(v, kopf.masken[3], 31) : 0xFF000000u;
      const uint32_t farbe = alpha | Kanal(v, kopf.masken[0], 23) | Kanal(v, kopf.masken[1], 15) | Kanal(v, kopf.masken[2], 7);
      std::memcpy(zeile + 4 * x, &farbe, 4);
    }
  }
}

}  // namespace

bool Zarvo_Bild::LadeDDS(std::span<const uint8_t> daten) {
  const uint32_t kennung = daten.size() >= 4 ? LiesLE32(daten.data()) : 0;
  if (kennung != FourCC("DDS ") && kennung != FourCC("MJLP")) {
    g_Log.Schreibe("!Zarvo_Bild::LadeDDS(): Datei ist keine DDS-Datei.");
    return false;
  }
  if (daten.size() < DDS_KOPF) {
    g_Log.Schreibe("!Zarvo_Bild::LadeDDS(): Ungültiger DDS-Header.");
    return false;
  }
  const DdsKopf kopf(daten.data());
  const bool cube = kopf.IstCubeMap();
  const uint64_t maxKante = GibMaxKantenlaenge();
  const bool bitsGueltig = kopf.HatFourCC() || kopf.bitAnzahl == 8 || kopf.bitAnzahl == 16 || kopf.bitAnzahl == 24 ||
                           kopf.bitAnzahl == 32;
  if (kopf.groesse != 124 || (kopf.flags & 0x1007) == 0 || kopf.breite == 0 || kopf.hoehe == 0 ||
      kopf.breite > maxKante || kopf.hoehe > maxKante || !bitsGueltig || (cube && kopf.breite != kopf.hoehe)) {
    g_Log.Schreibe("!Zarvo_Bild::LadeDDS(): Ungültiger DDS-Header.");
    return false;
  }
  Zarvo_Pixelformat neuesFormat = PXFMT_A8R8G8B8;
  if (kopf.HatFourCC() && !FormatAusFourCC(kopf.fourCC, neuesFormat)) {
    g_Log.Schreibe("!Zarvo_Bild::LadeDDS(): Pixelformat %08x wird nicht unterstützt.", kopf.fourCC);
    return false;
  }

  // The file holds every face with all its levels; levels past the clamped chain are 1 x 1.
  const uint64_t geliefert = kopf.GelieferteMips();
  const uint64_t mips = BegrenzeMipAnzahl(kopf.breite, kopf.hoehe, geliefert);
  uint64_t seitenBytes = 0;
  for (uint64_t l = 0; l < mips; ++l)
    seitenBytes += StufenBytes(kopf, neuesFormat, StufenKante(kopf.breite, l), StufenKante(kopf.hoehe, l));
  const uint64_t ueberspringen = (geliefert - mips) * StufenBytes(kopf, neuesFormat, 1, 1);
  const uint64_t seitenAnzahl = cube ? SEITEN : 1;
  const uint64_t benoetigt = seitenAnzahl * seitenBytes + (seitenAnzahl - 1) * ueberspringen;
  if (daten.size() - DDS_KOPF < benoetigt) {
    g_Log.Schreibe("!Zarvo_Bild::LadeDDS(): DDS-Datei ist unvollständig.");
    return false;
  }

  const bool erfolg = cube ? SetCubeMapGroesse(kopf.breite, neuesFormat, mips)
                           : SetGroesse(kopf.breite, kopf.hoehe, neuesFormat, mips);
  if (!erfolg) return false;
  const uint8_t* cursor = daten.data() + DDS_KOPF;
  for (uint64_t seite = 0; seite < seitenAnzahl; ++seite) {
    Zarvo_Bild* bild = cube ? seiten[DDS_SEITE_ZU_SLOT[seite]] : this;
    for (uint64_t l = 0; l < mips; ++l) {
      Zarvo_Bild* stufe = bild->HoleMipStufe(l);
      const uint64_t bytes = StufenBytes(kopf, neuesFormat, stufe->breite, stufe->hoehe);
      if (kopf.HatFourCC() || kopf.IstSchnellerWeg())
        std::memcpy(stufe->pixel, cursor, bytes);
      else
        WandleMasken(kopf, cursor, *stufe);
      cursor += bytes;
    }
    if (seite + 1 < seitenAnzahl) cursor += ueberspringen;
  }
  return true;
}

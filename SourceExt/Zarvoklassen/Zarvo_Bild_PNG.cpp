// PNG reader and writer on zlib: 8-bit RGB or RGBA, not interlaced, in; 8-bit RGB out.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>
#include <system_error>

#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Start.h"

namespace {

constexpr uint8_t PNG_KENNUNG[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint64_t IHDR_ENDE = 8 + 8 + 13;  // signature, length and type, header data
constexpr uint64_t MAX_ENTPACKFAKTOR = 1032;

constexpr std::array<uint32_t, 256> BaueCrcTabelle() {
  std::array<uint32_t, 256> tabelle{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tabelle[n] = c;
  }
  return tabelle;
}

uint32_t LiesBE32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

struct PngKopf {
  uint64_t breite, hoehe;
  uint8_t tiefe, farbtyp, kompression, filter, zeilensprung;
  uint64_t BytesProPixel() const { return farbtyp == 6 ? 4 : 3; }
  bool Unterstuetzt() const {
    return tiefe == 8 && (farbtyp == 2 || farbtyp == 6) && kompression == 0 && filter == 0 && zeilensprung == 0 &&
           breite > 0 && hoehe > 0 && breite <= Zarvo_Bild::GibMaxKantenlaenge() &&
           hoehe <= Zarvo_Bild::GibMaxKantenlaenge();
  }
};

PngKopf LiesKopf(const uint8_t* d) {
  return {LiesBE32(d), LiesBE32(d + 4), d[8], d[9], d[10], d[11], d[12]};
}

// Appends the data of every IDAT chunk behind the header. A chunk running past the end ends the
// walk with the IDAT bytes that are present; CRCs are not checked.
void SammleIdat(std::span<const uint8_t> daten, TSpeicher& idat) {
  uint64_t pos = IHDR_ENDE + 4;
  while (pos <= daten.size() && daten.size() - pos >= 8) {
    const uint64_t laenge = LiesBE32(&daten[pos]);
    const bool istIdat = std::memcmp(&daten[pos + 4], "IDAT", 4) == 0;
    pos += 8;
    const uint64_t vorhanden = std::min<uint64_t>(laenge, daten.size() - pos);
    if (istIdat && vorhanden) idat.SchreibeMem(daten.data() + pos, vorhanden);
    if (vorhanden < laenge) return;
    pos += laenge + 4;
  }
}

uint8_t Paeth(int links, int oben, int obenLinks) {
  const int p = links + oben - obenLinks;
  const int pa = std::abs(p - links), pb = std::abs(p - oben), pc = std::abs(p - obenLinks);
  if (pa <= pb && pa <= pc) return uint8_t(links);
  return uint8_t(pb <= pc ? oben : obenLinks);
}

// Reverses one row's filter in place; `zeile` and `vorige` start one zero pixel before the row.
bool EntfilterZeile(uint8_t filter, uint8_t* zeile, const uint8_t* vorige, uint64_t bytes, uint64_t bpp) {
  for (uint64_t i = bpp; i < bytes + bpp; ++i) {
    const uint8_t a = zeile[i - bpp], b = vorige[i], c = vorige[i - bpp];
    switch (filter) {
      case 0: break;
      case 1: zeile[i] = uint8_t(zeile[i] + a); break;
      case 2: zeile[i] = uint8_t(zeile[i] + b); break;
      case 3: zeile[i] = uint8_t(zeile[i] + ((a + b) >> 1)); break;
      case 4: zeile[i] = uint8_t(zeile[i] + Paeth(a, b, c)); break;
      default: return false;
    }
  }
  return true;
}

void SchreibeChunk(TSpeicher& ziel, const char (&typ)[5], const uint8_t* daten, uint64_t laenge) {
  ziel.SchreibeU32(uint32_t(laenge));
  const uint64_t start = ziel.SchreibeMem(typ, 4);
  if (laenge) ziel.SchreibeMem(daten, laenge);
  ziel.SchreibeU32(BerechneCRC32(ziel.Daten() + start, 4 + laenge));
}

}  // namespace

uint32_t BerechneCRC32(const void* daten, uint64_t laenge) {
  static constexpr std::array<uint32_t, 256> TABELLE = BaueCrcTabelle();
  if (laenge == 0) return 0;
  const uint8_t* p = static_cast<const uint8_t*>(daten);
  uint32_t crc = 0xFFFFFFFFu;
  for (uint64_t i = 0; i < laenge; ++i) crc = TABELLE[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

bool Zarvo_Bild::LadePNG(std::span<const uint8_t> daten) {
  if (daten.size() < 8 || std::memcmp(daten.data(), PNG_KENNUNG, 8) != 0) {
    g_Log.Schreibe("!Zarvo_Bild::LadePNG(): Datei ist kein PNG-Bild.");
    return false;
  }
  if (daten.size() < IHDR_ENDE || LiesBE32(&daten[8]) != 13 || std::memcmp(&daten[12], "IHDR", 4) != 0) {
    g_Log.Schreibe("!Zarvo_Bild::LadePNG(): PNG-Header ist ungültig.");
    return false;
  }
  const PngKopf kopf = LiesKopf(&daten[16]);
  if (!kopf.Unterstuetzt()) {
    g_Log.Schreibe("!Zarvo_Bild::LadePNG(): PNG-Datei enthält nicht unterstützte Merkmale.");
    return false;
  }
  if (!SetGroesse(kopf.breite, kopf.hoehe, PXFMT_A8R8G8B8, 1)) return false;

  TSpeicher idat(daten.size());
  SammleIdat(daten, idat);
  idat.Zurueckspulen();
  const uint64_t bpp = kopf.BytesProPixel();
  const uint64_t zeilenLaenge = kopf.breite * bpp;
  const uint64_t erwartet = (zeilenLaenge + 1) * kopf.hoehe;
  // Room for the whole image, but never more than the data can inflate to (deflate expands at
  // most 1032-fold), so a small file cannot claim much memory. One byte more lets the inflate see
  // a stream that runs past the size.
  TSpeicher roh(std::min(erwartet, MAX_ENTPACKFAKTOR * idat.Groesse()) + 1);
  if (!ZLib_Entpacken(idat, roh, erwartet) || roh.Groesse() != erwartet) {
    g_Log.Schreibe("!Zarvo_Bild::LadePNG():\n  Picture data doesn't fit picture size.");
    return false;
  }

  std::vector<uint8_t> zeilen[2] = {std::vector<uint8_t>(zeilenLaenge + bpp), std::vector<uint8_t>(zeilenLaenge + bpp)};
  for (uint64_t y = 0; y < kopf.hoehe; ++y) {
    const uint8_t* eingabe = roh.Daten() + y * (zeilenLaenge + 1);
    uint8_t* zeile = zeilen[y % 2].data();
    const uint8_t* vorige = zeilen[(y + 1) % 2].data();
    std::memcpy(zeile + bpp, eingabe + 1, zeilenLaenge);
    if (!EntfilterZeile(eingabe[0], zeile, vorige, zeilenLaenge, bpp)) {
      g_Log.Schreibe("!Zarvo_Bild::LadePNG():\n  Unknown filter type %d.\n", int(eingabe[0]));
      return false;
    }
    uint8_t* ziel = pixel + y * zeilenbytes;
    for (uint64_t x = 0; x < kopf.breite; ++x) {
      const uint8_t* p = zeile + bpp + x * bpp;
      const uint32_t farbe = (bpp == 4 ? uint32_t(p[3]) << 24 : 0xFF000000u) | uint32_t(p[0]) << 16 |
                             uint32_t(p[1]) << 8 | p[2];
      std::memcpy(ziel + 4 * x, &farbe, 4);
    }
  }
  return true;
}

bool Zarvo_Bild::KodierePNG(TSpeicher& ziel, uint8_t) const {
  if (IstLeer()) {
    g_Log.Schreibe("!Zarvo_Bild::KodierePNG(): Bild ist leer.");
    return false;
  }
  Zarvo_Bild umgewandelt;
  const Zarvo_Bild* bild = this;
  if (format != PXFMT_A8R8G8B8) {
    umgewandelt.SetGroesse(breite, hoehe, PXFMT_A8R8G8B8, 1);
    TBereich quelle, zielBereich;
    const_cast<Zarvo_Bild*>(this)->LockBereich(quelle);
    umgewandelt.LockBereich(zielBereich);
    TBereich::KopiereKonvertiert(quelle, zielBereich);
    bild = &umgewandelt;
  }

  TSpeicher roh((breite * 3 + 1) * hoehe);
  uint8_t* p = roh.Daten();
  for (uint64_t y = 0; y < hoehe; ++y) {
    *p++ = 0;
    const uint8_t* zeile = bild->pixel + y * bild->zeilenbytes;
    for (uint64_t x = 0; x < breite; ++x, p += 3) {
      p[0] = zeile[4 * x + 2];
      p[1] = zeile[4 * x + 1];
      p[2] = zeile[4 * x];
    }
  }
  roh.SetGroesse((breite * 3 + 1) * hoehe);
  TSpeicher gepackt;
  if (!ZLib_Packen(roh, gepackt, 9)) return false;

  uint8_t kopf[13] = {};
  for (int i = 0; i < 4; ++i) {
    kopf[i] = uint8_t(breite >> (24 - 8 * i));
    kopf[4 + i] = uint8_t(hoehe >> (24 - 8 * i));
  }
  kopf[8] = 8;
  kopf[9] = 2;
  ziel.SchreibeMem(PNG_KENNUNG, 8);
  SchreibeChunk(ziel, "IHDR", kopf, 13);
  SchreibeChunk(ziel, "IDAT", gepackt.Daten(), gepackt.Groesse());
  SchreibeChunk(ziel, "IEND", nullptr, 0);
  return true;
}

bool Zarvo_Bild::SpeicherePNG(const std::filesystem::path& pfad, uint8_t flags) const {
  if (IstLeer()) {
    g_Log.Schreibe("!Zarvo_Bild::SpeicherePNG( \"%s\"): Bild ist leer.", pfad.string().c_str());
    return false;
  }
  TSpeicher datei;
  if (!KodierePNG(datei, flags)) return false;
  std::error_code fehler;
  const bool warDa = std::filesystem::exists(pfad, fehler);
  if (datei.SpeichereInDatei(pfad, 0)) return true;
  g_Log.Schreibe("!Zarvo_Bild::SpeicherePNG( \"%s\"): Datei konnte nicht geschrieben werden.", pfad.string().c_str());
  // Only a file this call made is removed; one that was there and could not be opened is kept.
  if (!warDa && std::filesystem::is_regular_file(pfad, fehler)) std::filesystem::remove(pfad, fehler);
  return false;
}

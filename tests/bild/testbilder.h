#pragma once
// Test images made in memory: PNGs written by libpng (or stb_image_write) and re-chunked with
// zlib, JPEGs from stb_image_write, DDS files from header fields, deterministic photo-like pixels.
// Nothing binary is kept in the repository; tests, seeds and benchmarks build their files here.
#include <cstdint>
#include <string>
#include <vector>

namespace testbilder {

using Bytes = std::vector<uint8_t>;

// Deterministic photo-like pixels (gradients, discs, mild noise), `kanaele` bytes per pixel.
Bytes FotoPixel(uint32_t breite, uint32_t hoehe, int kanaele, uint32_t saat = 1);

// PNG colour types as in the file: 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA.
int Kanaele(int farbtyp);

struct PngOptionen {
  uint32_t breite = 1;
  uint32_t hoehe = 1;
  int farbtyp = 6;
  int tiefe = 8;
  bool zeilensprung = false;
  int filter = -1;  // -1 adaptive (all filters), 0-4 one forced filter type
  int stufe = 6;
};
// Pixels are rows of Kanaele x tiefe / 8 bytes (16-bit samples big-endian).
Bytes SchreibePng(const PngOptionen& optionen, const Bytes& pixel);
Bytes SchreibePngStb(uint32_t breite, uint32_t hoehe, int kanaele, const Bytes& pixel);

struct PngChunk {
  std::string typ;
  Bytes daten;
};
std::vector<PngChunk> ZerlegePng(const Bytes& png);
// Signature and chunks, each with its length and a correct CRC.
Bytes BauePng(const std::vector<PngChunk>& chunks);
Bytes IhdrDaten(uint32_t breite, uint32_t hoehe, int tiefe, int farbtyp, int zeilensprung = 0);
// A PNG from filtered scanlines as given (filter byte per row), one IDAT.
Bytes PngAusScanlines(uint32_t breite, uint32_t hoehe, int farbtyp, const Bytes& scanlines, int stufe = 6);

Bytes Packe(const Bytes& daten, int stufe = 6);
Bytes Entpacke(const Bytes& daten);
// The IDAT stream split into `teile` chunks with a chunk of type `zwischen` between the parts.
Bytes TeileIdat(const Bytes& png, int teile, const std::string& zwischen);
// The inflated scanlines of a PNG (all IDATs joined).
Bytes Scanlines(const Bytes& png);
// The same image with the filter byte of row `zeile` replaced.
Bytes SetzeFilterByte(const Bytes& png, uint32_t zeile, uint8_t filter);

// stb_image_write always writes three components, even for grey input.
Bytes SchreibeJpg(uint32_t breite, uint32_t hoehe, int kanaele, const Bytes& pixel, int qualitaet = 95);
// A one-component baseline JPEG whose 8x8 blocks are uniform (DC only): block (bx, by) takes the
// grey value `grau[by * (breite / 8) + bx]`. Width and height are multiples of 8.
Bytes SchreibeGrauJpg(uint32_t breite, uint32_t hoehe, const Bytes& grau);

struct DdsKopf {
  char kennung[5] = "DDS ";
  uint32_t groesse = 124;
  uint32_t flags = 0x1007;
  uint32_t hoehe = 4;
  uint32_t breite = 4;
  uint32_t mipAnzahl = 0;
  uint32_t pfFlags = 0;
  uint32_t fourCC = 0;
  uint32_t bitAnzahl = 0;
  uint32_t masken[4] = {};
  uint32_t caps = 0x1000;
  uint32_t caps2 = 0;
};
uint32_t FourCC(const char (&text)[5]);
// The 128-byte header followed by `daten`.
Bytes BaueDds(const DdsKopf& kopf, const Bytes& daten);

}  // namespace testbilder

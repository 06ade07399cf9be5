#include "bild/testbilder.h"

#include <png.h>
#include <stb_image_write.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace testbilder {

namespace {

void SchreibeBE32(Bytes& ziel, uint32_t wert) {
  for (int i = 3; i >= 0; --i) ziel.push_back(uint8_t(wert >> (8 * i)));
}

void SchreibeLE32(uint8_t* ziel, uint32_t wert) {
  for (int i = 0; i < 4; ++i) ziel[i] = uint8_t(wert >> (8 * i));
}

uint32_t LiesBE32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void PngSchreiben(png_structp png, png_bytep daten, png_size_t laenge) {
  auto* ziel = static_cast<Bytes*>(png_get_io_ptr(png));
  ziel->insert(ziel->end(), daten, daten + laenge);
}

void StbSchreiben(void* kontext, void* daten, int laenge) {
  auto* ziel = static_cast<Bytes*>(kontext);
  auto* p = static_cast<uint8_t*>(daten);
  ziel->insert(ziel->end(), p, p + laenge);
}

int PngFilterBit(int filter) {
  const int bits[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH};
  return filter < 0 ? PNG_ALL_FILTERS : bits[filter];
}

}  // namespace

Bytes FotoPixel(uint32_t breite, uint32_t hoehe, int kanaele, uint32_t saat) {
  Bytes pixel(size_t(breite) * hoehe * kanaele);
  uint32_t zustand = saat * 2654435761u + 1;
  for (uint32_t y = 0; y < hoehe; ++y) {
    for (uint32_t x = 0; x < breite; ++x) {
      zustand = zustand * 1664525u + 1013904223u;
      const int rauschen = int(zustand >> 28) - 8;
      const double u = double(x) / breite, v = double(y) / hoehe;
      const double scheibe = std::hypot(u - 0.6, v - 0.4) < 0.25 ? 60.0 : 0.0;
      const double kanal[4] = {200 * u + scheibe, 180 * v + 40 * std::sin(u * 9), 120 + 100 * u * v - scheibe,
                               255 - 80 * v};
      for (int k = 0; k < kanaele; ++k) {
        const int wert = int(kanal[k]) + rauschen;
        pixel[(size_t(y) * breite + x) * kanaele + k] = uint8_t(std::clamp(wert, 0, 255));
      }
    }
  }
  return pixel;
}

int Kanaele(int farbtyp) {
  switch (farbtyp) {
    case 0: case 3: return 1;
    case 2: return 3;
    case 4: return 2;
    default: return 4;
  }
}

Bytes SchreibePng(const PngOptionen& o, const Bytes& pixel) {
  Bytes datei;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng konnte nicht schreiben");
  }
  png_set_write_fn(png, &datei, PngSchreiben, nullptr);
  png_set_IHDR(png, info, o.breite, o.hoehe, o.tiefe, o.farbtyp,
               o.zeilensprung ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette(256);
  for (int i = 0; i < 256; ++i) palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
  if (o.farbtyp == 3) png_set_PLTE(png, info, palette.data(), 256);
  png_set_filter(png, 0, PngFilterBit(o.filter));
  png_set_compression_level(png, o.stufe);
  png_write_info(png, info);
  const size_t zeile = size_t(o.breite) * Kanaele(o.farbtyp) * o.tiefe / 8;
  std::vector<png_bytep> zeilen(o.hoehe);
  for (uint32_t y = 0; y < o.hoehe; ++y) zeilen[y] = const_cast<png_bytep>(pixel.data() + y * zeile);
  png_write_image(png, zeilen.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return datei;
}

Bytes SchreibePngStb(uint32_t breite, uint32_t hoehe, int kanaele, const Bytes& pixel) {
  Bytes datei;
  stbi_write_png_to_func(StbSchreiben, &datei, int(breite), int(hoehe), kanaele, pixel.data(), int(breite) * kanaele);
  return datei;
}

std::vector<PngChunk> ZerlegePng(const Bytes& png) {
  std::vector<PngChunk> chunks;
  for (size_t pos = 8; pos + 12 <= png.size();) {
    const uint32_t laenge = LiesBE32(&png[pos]);
    if (pos + 12 + laenge > png.size()) break;
    chunks.push_back({std::string(png.begin() + pos + 4, png.begin() + pos + 8),
                      Bytes(png.begin() + pos + 8, png.begin() + pos + 8 + laenge)});
    pos += 12 + laenge;
  }
  return chunks;
}

Bytes BauePng(const std::vector<PngChunk>& chunks) {
  Bytes datei = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  for (const PngChunk& chunk : chunks) {
    SchreibeBE32(datei, uint32_t(chunk.daten.size()));
    const size_t start = datei.size();
    datei.insert(datei.end(), chunk.typ.begin(), chunk.typ.end());
    datei.insert(datei.end(), chunk.daten.begin(), chunk.daten.end());
    SchreibeBE32(datei, uint32_t(crc32(0, datei.data() + start, uInt(datei.size() - start))));
  }
  return datei;
}

Bytes IhdrDaten(uint32_t breite, uint32_t hoehe, int tiefe, int farbtyp, int zeilensprung) {
  Bytes daten;
  SchreibeBE32(daten, breite);
  SchreibeBE32(daten, hoehe);
  daten.insert(daten.end(), {uint8_t(tiefe), uint8_t(farbtyp), 0, 0, uint8_t(zeilensprung)});
  return daten;
}

Bytes PngAusScanlines(uint32_t breite, uint32_t hoehe, int farbtyp, const Bytes& scanlines, int stufe) {
  return BauePng({{"IHDR", IhdrDaten(breite, hoehe, 8, farbtyp)}, {"IDAT", Packe(scanlines, stufe)}, {"IEND", {}}});
}

Bytes Packe(const Bytes& daten, int stufe) {
  uLongf laenge = compressBound(uLong(daten.size()));
  Bytes ziel(laenge);
  if (compress2(ziel.data(), &laenge, daten.data(), uLong(daten.size()), stufe) != Z_OK)
    throw std::runtime_error("compress2");
  ziel.resize(laenge);
  return ziel;
}

Bytes Entpacke(const Bytes& daten) {
  z_stream strom{};
  inflateInit(&strom);
  Bytes ziel;
  uint8_t puffer[65536];
  strom.next_in = const_cast<Bytef*>(daten.data());
  strom.avail_in = uInt(daten.size());
  int ergebnis = Z_OK;
  while (ergebnis == Z_OK) {
    strom.next_out = puffer;
    strom.avail_out = sizeof puffer;
    ergebnis = inflate(&strom, Z_NO_FLUSH);
    ziel.insert(ziel.end(), puffer, puffer + (sizeof puffer - strom.avail_out));
  }
  inflateEnd(&strom);
  if (ergebnis != Z_STREAM_END) throw std::runtime_error("inflate");
  return ziel;
}

namespace {

Bytes IdatStrom(const std::vector<PngChunk>& chunks) {
  Bytes strom;
  for (const PngChunk& chunk : chunks)
    if (chunk.typ == "IDAT") strom.insert(strom.end(), chunk.daten.begin(), chunk.daten.end());
  return strom;
}

// The chunks before the first IDAT, the given IDAT chunks, then the chunks after the last IDAT.
Bytes ErsetzeIdat(const std::vector<PngChunk>& chunks, const std::vector<PngChunk>& idat) {
  std::vector<PngChunk> neu;
  bool eingesetzt = false;
  for (const PngChunk& chunk : chunks) {
    if (chunk.typ != "IDAT") {
      neu.push_back(chunk);
    } else if (!eingesetzt) {
      neu.insert(neu.end(), idat.begin(), idat.end());
      eingesetzt = true;
    }
  }
  return BauePng(neu);
}

}  // namespace

Bytes TeileIdat(const Bytes& png, int teile, const std::string& zwischen) {
  const std::vector<PngChunk> chunks = ZerlegePng(png);
  const Bytes strom = IdatStrom(chunks);
  std::vector<PngChunk> idat;
  for (int i = 0; i < teile; ++i) {
    const size_t von = strom.size() * i / teile, bis = strom.size() * (i + 1) / teile;
    if (i > 0) idat.push_back({zwischen, {'t', 'e', 's', 't', 0, 'x'}});
    idat.push_back({"IDAT", Bytes(strom.begin() + von, strom.begin() + bis)});
  }
  return ErsetzeIdat(chunks, idat);
}

Bytes Scanlines(const Bytes& png) { return Entpacke(IdatStrom(ZerlegePng(png))); }

Bytes SetzeFilterByte(const Bytes& png, uint32_t zeile, uint8_t filter) {
  const std::vector<PngChunk> chunks = ZerlegePng(png);
  const Bytes& ihdr = chunks.at(0).daten;
  const size_t zeilenBytes = size_t(LiesBE32(ihdr.data())) * Kanaele(ihdr[9]) * ihdr[8] / 8 + 1;
  Bytes roh = Scanlines(png);
  roh.at(zeile * zeilenBytes) = filter;
  return ErsetzeIdat(chunks, {{"IDAT", Packe(roh)}});
}

Bytes SchreibeJpg(uint32_t breite, uint32_t hoehe, int kanaele, const Bytes& pixel, int qualitaet) {
  Bytes datei;
  stbi_write_jpg_to_func(StbSchreiben, &datei, int(breite), int(hoehe), kanaele, pixel.data(), qualitaet);
  return datei;
}

namespace {

struct BitSchreiber {
  Bytes& ziel;
  uint32_t puffer = 0;
  int bits = 0;
  void Schreibe(uint32_t wert, int anzahl) {
    for (int i = anzahl - 1; i >= 0; --i) {
      puffer = puffer << 1 | (wert >> i & 1);
      if (++bits == 8) Leere();
    }
  }
  void Leere() {
    ziel.push_back(uint8_t(puffer));
    if (uint8_t(puffer) == 0xFF) ziel.push_back(0);
    puffer = 0;
    bits = 0;
  }
  void Ende() {
    while (bits != 0) Schreibe(1, 1);
  }
};

void Segment(Bytes& ziel, uint8_t marke, const Bytes& daten) {
  ziel.insert(ziel.end(), {0xFF, marke, uint8_t((daten.size() + 2) >> 8), uint8_t(daten.size() + 2)});
  ziel.insert(ziel.end(), daten.begin(), daten.end());
}

}  // namespace

Bytes SchreibeGrauJpg(uint32_t breite, uint32_t hoehe, const Bytes& grau) {
  // Standard luminance DC table; the AC table holds only end-of-block, code "0".
  const uint8_t dcLaengen[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  uint32_t dcCode[12], dcLaenge[12];
  for (uint32_t code = 0, symbol = 0, laenge = 1; laenge <= 16; ++laenge, code <<= 1)
    for (int i = 0; i < dcLaengen[laenge - 1]; ++i, ++symbol, ++code) dcCode[symbol] = code, dcLaenge[symbol] = laenge;
  Bytes datei = {0xFF, 0xD8};
  Bytes dqt(65, 1);
  dqt[0] = 0;
  Segment(datei, 0xDB, dqt);
  Segment(datei, 0xC0, {8, uint8_t(hoehe >> 8), uint8_t(hoehe), uint8_t(breite >> 8), uint8_t(breite), 1, 1, 0x11, 0});
  Bytes dht = {0x00};
  dht.insert(dht.end(), dcLaengen, dcLaengen + 16);
  for (uint8_t s = 0; s < 12; ++s) dht.push_back(s);
  dht.insert(dht.end(), {0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00});
  Segment(datei, 0xC4, dht);
  Segment(datei, 0xDA, {1, 1, 0x00, 0, 63, 0});
  BitSchreiber bits{datei};
  int vorher = 0;
  for (uint32_t i = 0; i < (breite / 8) * (hoehe / 8); ++i) {
    const int dc = 8 * (int(grau[i]) - 128);
    const int differenz = dc - vorher;
    vorher = dc;
    const int betrag = std::abs(differenz);
    int kategorie = 0;
    while ((1 << kategorie) <= betrag) ++kategorie;
    bits.Schreibe(dcCode[kategorie], int(dcLaenge[kategorie]));
    if (kategorie) bits.Schreibe(uint32_t(differenz >= 0 ? differenz : differenz + (1 << kategorie) - 1), kategorie);
    bits.Schreibe(0, 1);  // end of block
  }
  bits.Ende();
  datei.insert(datei.end(), {0xFF, 0xD9});
  return datei;
}

uint32_t FourCC(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
         uint32_t(uint8_t(text[3])) << 24;
}

Bytes BaueDds(const DdsKopf& k, const Bytes& daten) {
  Bytes datei(128, 0);
  std::memcpy(datei.data(), k.kennung, 4);
  const std::pair<size_t, uint32_t> felder[] = {
      {4, k.groesse},      {8, k.flags},        {12, k.hoehe},       {16, k.breite},    {28, k.mipAnzahl},
      {76, 32},            {80, k.pfFlags},     {84, k.fourCC},      {88, k.bitAnzahl}, {92, k.masken[0]},
      {96, k.masken[1]},   {100, k.masken[2]},  {104, k.masken[3]},  {108, k.caps},     {112, k.caps2}};
  for (const auto& [stelle, wert] : felder) SchreibeLE32(&datei[stelle], wert);
  datei.insert(datei.end(), daten.begin(), daten.end());
  return datei;
}

}  // namespace testbilder

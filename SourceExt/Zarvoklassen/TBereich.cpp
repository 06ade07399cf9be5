#include "TBereich.h"

#include <squish.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "Zarvo_Bild.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Start.h"

namespace {

template <typename T>
T LiesWert(const uint8_t* stelle) {
  T wert;
  std::memcpy(&wert, stelle, sizeof(T));
  return wert;
}

template <typename T>
void SchreibeWert(uint8_t* stelle, T wert) {
  std::memcpy(stelle, &wert, sizeof(T));
}

// Clamps an unsigned-normalised channel to [0, 1]; NaN gives 0.
float Saettige(float c) { return c > 0.0f ? (c < 1.0f ? c : 1.0f) : 0.0f; }

// Rounded and truncated encodings of an unsigned-normalised channel with `maximum` steps.
uint32_t Gerundet(float c, uint32_t maximum) { return uint32_t(Saettige(c) * float(maximum) + 0.5f); }
uint32_t Abgeschnitten(float c, uint32_t maximum) { return uint32_t(Saettige(c) * float(maximum)); }

float Anteil(uint64_t wert, uint32_t maximum) { return float(wert) / float(maximum); }

uint32_t PackeA8R8G8B8(const uint8_t* rgba) {
  return uint32_t(rgba[3]) << 24 | uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 | rgba[2];
}

TAlphaFarbe LiesHalbe(const uint8_t* stelle, int anzahl) {
  float k[4] = {0, 0, 0, 1};
  for (int i = 0; i < anzahl; ++i) k[i] = HalbZuFloat(LiesWert<uint16_t>(stelle + 2 * i));
  return {k[0], k[1], k[2], k[3]};
}

TAlphaFarbe LiesFloats(const uint8_t* stelle, int anzahl) {
  float k[4] = {0, 0, 0, 1};
  for (int i = 0; i < anzahl; ++i) k[i] = LiesWert<float>(stelle + 4 * i);
  return {k[0], k[1], k[2], k[3]};
}

void SchreibeHalbe(uint8_t* stelle, const TAlphaFarbe& farbe, int anzahl) {
  const float k[4] = {farbe.r, farbe.g, farbe.b, farbe.a};
  for (int i = 0; i < anzahl; ++i) SchreibeWert<uint16_t>(stelle + 2 * i, FloatZuHalb(k[i]));
}

void SchreibeFloats(uint8_t* stelle, const TAlphaFarbe& farbe, int anzahl) {
  const float k[4] = {farbe.r, farbe.g, farbe.b, farbe.a};
  for (int i = 0; i < anzahl; ++i) SchreibeWert<float>(stelle + 4 * i, k[i]);
}

TAlphaFarbe LiesNichtDxt(const uint8_t* p, Zarvo_Pixelformat format) {
  switch (format) {
    case PXFMT_A8R8G8B8: {
      const uint32_t v = LiesWert<uint32_t>(p);
      return {Anteil(v >> 16 & 0xFF, 255), Anteil(v >> 8 & 0xFF, 255), Anteil(v & 0xFF, 255), Anteil(v >> 24, 255)};
    }
    case PXFMT_R5G6B5: {
      const uint16_t v = LiesWert<uint16_t>(p);
      return {Anteil(v >> 11, 31), Anteil(v >> 5 & 0x3F, 63), Anteil(v & 0x1F, 31), 1.0f};
    }
    case PXFMT_A2B10G10R10: {
      const uint32_t v = LiesWert<uint32_t>(p);
      return {Anteil(v & 0x3FF, 1023), Anteil(v >> 10 & 0x3FF, 1023), Anteil(v >> 20 & 0x3FF, 1023), Anteil(v >> 30, 3)};
    }
    case PXFMT_R16F: return LiesHalbe(p, 1);
    case PXFMT_G16R16F: return LiesHalbe(p, 2);
    case PXFMT_A16B16G16R16F: return LiesHalbe(p, 4);
    case PXFMT_R32F: return LiesFloats(p, 1);
    case PXFMT_G32R32F: return LiesFloats(p, 2);
    case PXFMT_A32B32G32R32F: return LiesFloats(p, 4);
    case PXFMT_G16R16: {
      const uint32_t v = LiesWert<uint32_t>(p);
      return {Anteil(v & 0xFFFF, 65535), Anteil(v >> 16, 65535), 0.0f, 1.0f};
    }
    case PXFMT_A16B16G16R16: {
      const uint64_t v = LiesWert<uint64_t>(p);
      return {Anteil(v & 0xFFFF, 65535), Anteil(v >> 16 & 0xFFFF, 65535), Anteil(v >> 32 & 0xFFFF, 65535),
              Anteil(v >> 48, 65535)};
    }
    case PXFMT_A8: return {Anteil(p[0], 255), 0.0f, 0.0f, 1.0f};
    default: return {};
  }
}

void SchreibeNichtDxt(uint8_t* p, Zarvo_Pixelformat format, const TAlphaFarbe& c) {
  switch (format) {
    case PXFMT_A8R8G8B8:
      SchreibeWert<uint32_t>(p, Gerundet(c.a, 255) << 24 | Gerundet(c.r, 255) << 16 | Gerundet(c.g, 255) << 8 |
                                    Gerundet(c.b, 255));
      break;
    case PXFMT_R5G6B5:
      SchreibeWert<uint16_t>(p, uint16_t(Gerundet(c.r, 31) << 11 | Gerundet(c.g, 63) << 5 | Gerundet(c.b, 31)));
      break;
    case PXFMT_A2B10G10R10:
      SchreibeWert<uint32_t>(p, Gerundet(c.a, 3) << 30 | Gerundet(c.b, 1023) << 20 | Gerundet(c.g, 1023) << 10 |
                                    Gerundet(c.r, 1023));
      break;
    case PXFMT_R16F: SchreibeHalbe(p, c, 1); break;
    case PXFMT_G16R16F: SchreibeHalbe(p, c, 2); break;
    case PXFMT_A16B16G16R16F: SchreibeHalbe(p, c, 4); break;
    case PXFMT_R32F: SchreibeFloats(p, c, 1); break;
    case PXFMT_G32R32F: SchreibeFloats(p, c, 2); break;
    case PXFMT_A32B32G32R32F: SchreibeFloats(p, c, 4); break;
    case PXFMT_G16R16: SchreibeWert<uint32_t>(p, Abgeschnitten(c.g, 65535) << 16 | Abgeschnitten(c.r, 65535)); break;
    case PXFMT_A16B16G16R16:
      SchreibeWert<uint64_t>(p, uint64_t(Abgeschnitten(c.a, 65535)) << 48 | uint64_t(Abgeschnitten(c.b, 65535)) << 32 |
                                    uint64_t(Abgeschnitten(c.g, 65535)) << 16 | Abgeschnitten(c.r, 65535));
      break;
    case PXFMT_A8: p[0] = uint8_t(Abgeschnitten(c.r, 255)); break;
    default: break;
  }
}

}  // namespace

uint16_t FloatZuHalb(float wert) {
  const uint32_t bits = std::bit_cast<uint32_t>(wert);
  const uint16_t vorzeichen = uint16_t(bits >> 16 & 0x8000);
  const int exponent = int(bits >> 23 & 0xFF);
  if (exponent == 0xFF && (bits & 0x7FFFFF) != 0) return 0x7E00;
  const int halbExponent = exponent - 127 + 15;
  if (exponent == 0 || halbExponent <= 0) return vorzeichen;
  if (halbExponent >= 31) return vorzeichen | 0x7BFF;
  return uint16_t(vorzeichen | halbExponent << 10 | (bits >> 13 & 0x3FF));
}

int SquishFlags(Zarvo_Pixelformat format) {
  return format == PXFMT_DXT1 ? squish::kDxt1 : format == PXFMT_DXT3 ? squish::kDxt3 : squish::kDxt5;
}

void TBereich::LockSubBereich(Zarvo_Bild& bild, TBereich& bereich, uint64_t x, uint64_t y, uint64_t w, uint64_t h) {
  bereich = TBereich();
  if (bild.IstLeer()) return;
  const Zarvo_Pixelformat format = bild.Format();
  const bool dxt = IstDxtFormat(format);
  if (dxt && (x % 4 != 0 || y % 4 != 0)) {
    g_Log.Schreibe(
        "!TBereich::LockSubBereich( %d, %d, %d, %d): Unterbereiche in einem DXT-komprimierten Bereich müssen durch 4 "
        "teilbare Position haben.",
        int(x), int(y), int(w), int(h));
    return;
  }
  if (x >= bild.Breite() || y >= bild.Hoehe()) return;
  w = std::min(w, bild.Breite() - x);
  h = std::min(h, bild.Hoehe() - y);
  if (w == 0 || h == 0) return;
  const uint64_t spalte = dxt ? x / 4 * DxtBlockBytes(format) : x * Zarvo_Bild::ElementGroesse(format);
  bereich = TBereich(bild.Pixel() + y * bild.Zeilenbytes() + spalte, w, h, bild.Zeilenbytes(), format);
}

const uint8_t* TBereich::DxtBlock(uint64_t x, uint64_t y) const {
  return daten + y / 4 * 4 * pitch + x / 4 * DxtBlockBytes(format);
}

TAlphaFarbe TBereich::LiesPixel(uint64_t x, uint64_t y) const {
  if (IstLeer() || x >= breite || y >= hoehe) return {};
  if (!IstDxtFormat(format)) return LiesNichtDxt(Zeile(y) + x * Zarvo_Bild::ElementGroesse(format), format);
  uint8_t rgba[64];
  squish::Decompress(rgba, DxtBlock(x, y), SquishFlags(format));
  const uint8_t* p = rgba + 4 * (y % 4 * 4 + x % 4);
  return {Anteil(p[0], 255), Anteil(p[1], 255), Anteil(p[2], 255), Anteil(p[3], 255)};
}

void TBereich::SetzePixel(uint64_t x, uint64_t y, const TAlphaFarbe& farbe) {
  if (IstLeer() || x >= breite || y >= hoehe || IstDxtFormat(format)) return;
  SchreibeNichtDxt(Zeile(y) + x * Zarvo_Bild::ElementGroesse(format), format, farbe);
}

void TBereich::SchreibeDxtBlock(uint64_t bx, uint64_t by, const uint8_t* rgba) {
  squish::Compress(rgba, const_cast<uint8_t*>(DxtBlock(bx, by)), SquishFlags(format));
}

namespace {

void KopiereZeilen(const TBereich& q, const TBereich& z, uint64_t w, uint64_t h) {
  const uint64_t bytes = Zarvo_Bild::BytesProZeile(q.Format(), w);
  for (uint64_t y = 0; y < h; ++y) std::memcpy(z.Daten() + y * z.Pitch(), q.Daten() + y * q.Pitch(), bytes);
}

void KopiereBloecke(const TBereich& q, const TBereich& z, uint64_t w, uint64_t h) {
  const uint64_t bytes = (w + 3) / 4 * DxtBlockBytes(q.Format());
  for (uint64_t zeile = 0; zeile < (h + 3) / 4; ++zeile)
    std::memcpy(z.Daten() + zeile * 4 * z.Pitch(), q.Daten() + zeile * 4 * q.Pitch(), bytes);
}

// Decodes the w x h pixels of a DXT region into an A8R8G8B8 region, one block per call.
void DekodiereDxt(const TBereich& q, const TBereich& z, uint64_t w, uint64_t h) {
  const uint64_t blockBytes = DxtBlockBytes(q.Format());
  const int flags = SquishFlags(q.Format());
  uint8_t rgba[64];
  for (uint64_t by = 0; by < h; by += 4) {
    for (uint64_t bx = 0; bx < w; bx += 4) {
      squish::Decompress(rgba, q.Daten() + by * q.Pitch() + bx / 4 * blockBytes, flags);
      for (uint64_t j = 0; j < 4 && by + j < h; ++j)
        for (uint64_t i = 0; i < 4 && bx + i < w; ++i)
          SchreibeWert<uint32_t>(z.Daten() + (by + j) * z.Pitch() + (bx + i) * 4, PackeA8R8G8B8(rgba + 4 * (j * 4 + i)));
    }
  }
}

void KopierePixelweise(const TBereich& q, TBereich& z, uint64_t w, uint64_t h) {
  for (uint64_t y = 0; y < h; ++y)
    for (uint64_t x = 0; x < w; ++x) z.SetzePixel(x, y, q.LiesPixel(x, y));
}

}  // namespace

void TBereich::KopiereKonvertiert(const TBereich& quelle, TBereich& ziel) {
  const uint64_t w = std::min(quelle.breite, ziel.breite);
  const uint64_t h = std::min(quelle.hoehe, ziel.hoehe);
  if (quelle.IstLeer() || ziel.IstLeer() || w == 0 || h == 0) return;
  if (quelle.format == ziel.format) {
    if (IstDxtFormat(quelle.format))
      KopiereBloecke(quelle, ziel, w, h);
    else
      KopiereZeilen(quelle, ziel, w, h);
    return;
  }
  if (IstDxtFormat(quelle.format)) {
    if (ziel.format == PXFMT_A8R8G8B8) {
      DekodiereDxt(quelle, ziel, w, h);
      return;
    }
    std::vector<uint32_t> zwischen(w * h);
    TBereich dekodiert(reinterpret_cast<uint8_t*>(zwischen.data()), w, h, w * 4, PXFMT_A8R8G8B8);
    DekodiereDxt(quelle, dekodiert, w, h);
    KopiereKonvertiert(dekodiert, ziel);
    return;
  }
  if (IstDxtFormat(ziel.format)) {
    // The blocks covering w x h; pixels past the rectangle repeat it from its corner.
    uint8_t rgba[64];
    for (uint64_t by = 0; by < h; by += 4) {
      for (uint64_t bx = 0; bx < w; bx += 4) {
        for (uint64_t j = 0; j < 4; ++j) {
          for (uint64_t i = 0; i < 4; ++i) {
            const TAlphaFarbe c = quelle.LiesPixel((bx + i) % w, (by + j) % h);
            uint8_t* p = rgba + 4 * (j * 4 + i);
            p[0] = uint8_t(Abgeschnitten(c.r, 255));
            p[1] = uint8_t(Abgeschnitten(c.g, 255));
            p[2] = uint8_t(Abgeschnitten(c.b, 255));
            p[3] = uint8_t(Abgeschnitten(c.a, 255));
          }
        }
        ziel.SchreibeDxtBlock(bx, by, rgba);
      }
    }
    return;
  }
  KopierePixelweise(quelle, ziel, w, h);
}

void TBereich::Fuelle(uint32_t farbe) {
  if (IstLeer() || format != PXFMT_A8R8G8B8) return;
  for (uint64_t y = 0; y < hoehe; ++y)
    for (uint64_t x = 0; x < breite; ++x) SchreibeWert<uint32_t>(Zeile(y) + 4 * x, farbe);
}

void TBereich::FuelleTransparent() {
  if (IstLeer() || format != PXFMT_A8R8G8B8) return;
  TBereich ecke(daten, std::min<uint64_t>(breite, 16), std::min<uint64_t>(hoehe, 16), pitch, format);
  ecke.Fuelle(0x80FFFFFF);
}

#include "Mosaikbilder.h"

#include <cmath>
#include <cstdlib>

namespace mosaikbau {

namespace {

constexpr uint32_t DURCHSICHTIG = 0;
constexpr double PI = 3.14159265358979323846;

uint32_t Rgb(uint32_t rgb) { return 0xFF000000u | rgb; }

// Pixel centres: (x + 0.5, y + 0.5).
double Abstand(int x, int y, double cx, double cy) { return std::hypot(x + 0.5 - cx, y + 0.5 - cy); }

uint32_t Mische(uint32_t a, uint32_t b, double t) {
  auto kanal = [&](int s) {
    const double va = double((a >> s) & 0xFF), vb = double((b >> s) & 0xFF);
    return uint32_t(std::lround(va + (vb - va) * t)) << s;
  };
  return 0xFF000000u | kanal(16) | kanal(8) | kanal(0);
}

}  // namespace

Bild Sonne() {
  Bild b(64, 64, true, DURCHSICHTIG);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double r = Abstand(x, y, 32, 32);
      const double winkel = std::atan2(y + 0.5 - 32, x + 0.5 - 32);
      // Twelve rays, narrowing outward: angular distance to the nearest ray's axis.
      const double teil = 2 * PI / 12;
      const double aufStrahl = std::fabs(std::remainder(winkel, teil));
      if (r < 14) {
        b.An(x, y) = Rgb(r < 9 ? 0xFFE84A : 0xFFD21F);
      } else if (r >= 17 && r < 31 && aufStrahl < 0.2 * (31 - r) / 14 + 0.03) {
        b.An(x, y) = Rgb(0xFF8A1C);
      }
    }
  return b;
}

Bild Landschaft() {
  Bild b(64, 64, false, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double ferneHuegel = 38 + 5 * std::sin(x * 0.13 + 0.4);
      const double naheHuegel = 47 + 4 * std::sin(x * 0.09 + 2.1);
      uint32_t farbe = Mische(Rgb(0x2F6FD0), Rgb(0xA8D4F5), y / 44.0);
      if (y >= naheHuegel) farbe = Rgb(y > 58 ? 0x4E9A2E : 0x6CC040);
      else if (y >= ferneHuegel) farbe = Rgb(0x2E7D32);
      const bool wolke = Abstand(x, y, 17, 15) < 6 || Abstand(x, y, 25, 11) < 7.5 || Abstand(x, y, 33, 15) < 5.5 ||
                         (y >= 13 && y < 20 && x >= 17 && x < 34);
      if (wolke && y < 20) farbe = Rgb(0xFFFFFF);
      b.An(x, y) = farbe;
    }
  return b;
}

Bild Herz() {
  Bild b(64, 64, true, DURCHSICHTIG);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double u = (x + 0.5 - 32) / 24, v = (30 - (y + 0.5)) / 24 + 0.1;
      const double f = std::pow(u * u + v * v - 1, 3) - u * u * v * v * v;
      if (f > 0) continue;
      b.An(x, y) = Rgb(Abstand(x, y, 22, 20) < 5 ? 0xFF7A8C : f > -0.02 ? 0xA0102A : 0xD81B3C);
    }
  return b;
}

Bild Kreuz() {
  Bild b(64, 64, false, Rgb(0x1E4FB4));
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      if (x < 8 || y < 8 || x >= 56 || y >= 56) {
        b.An(x, y) = Rgb(((x / 4 + y / 4) % 2) ? 0x111111 : 0xF2F2F2);
      } else if (std::abs(x - 32) < 6 || std::abs(y - 32) < 6) {
        b.An(x, y) = Rgb(0xFFFFFF);
      }
    }
  return b;
}

Bild Pfeil() {
  Bild b(96, 48, true, DURCHSICHTIG);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 96; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const bool schaft = px >= 20 && px < 60 && py >= 18 && py < 30;
      const bool spitze = px >= 58 && px < 90 && std::fabs(py - 24) < (90 - px) * 18.0 / 32.0;
      if (schaft || spitze) b.An(x, y) = Rgb(0x2EAA4A);
      if (x < 14 && y < 14) b.An(x, y) = Rgb(0xE02020);
    }
  return b;
}

Bild Gesicht() {
  static const char* const ZEILEN[16] = {
      "................", ".....######.....", "...##yyyyyy##...", "..#yyyyyyyyyy#..",
      ".#yyyyyyyyyyyy#.", ".#yyykkyykkyyy#.", "#yyyykkyykkyyyy#", "#yyyyyyyyyyyyyy#",
      "#yyrryyyyyyrryy#", "#yyyyyyyyyyyyyy#", "#yykyyyyyyyykyy#", ".#yykkyyyykkyy#.",
      ".#yyykkkkkkyyy#.", "..#yyyyyyyyyy#..", "...##yyyyyy##...", ".....######.....",
  };
  Bild b(16, 16, false, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      switch (ZEILEN[y][x]) {
        case '#': b.An(x, y) = Rgb(0x3A2A10); break;
        case 'y': b.An(x, y) = Rgb(0xFFD23F); break;
        case 'k': b.An(x, y) = Rgb(0x101010); break;
        case 'r': b.An(x, y) = Rgb(0xF08A7A); break;
        default: b.An(x, y) = Rgb(0x8FD3FF); break;
      }
    }
  return b;
}

Bild Baum() {
  Bild b(64, 64, true, DURCHSICHTIG);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool krone = Abstand(x, y, 32, 20) < 15 || Abstand(x, y, 21, 31) < 10 || Abstand(x, y, 43, 31) < 10 ||
                         Abstand(x, y, 32, 34) < 10;
      if (krone) {
        b.An(x, y) = Rgb(y > 32 || Abstand(x, y, 38, 14) > 12 ? 0x217A33 : 0x3DBE52);
      } else if (x >= 28 && x < 36 && y >= 38 && y < 61) {
        b.An(x, y) = Rgb(0x7A4A24);
      }
    }
  return b;
}

Bild Nachthimmel() {
  Bild b(128, 64, false, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) b.An(x, y) = Mische(Rgb(0x060C28), Rgb(0x1C2A5A), y / 63.0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x)
      if (Abstand(x, y, 96, 20) < 12 && Abstand(x, y, 102, 15) >= 10.5) b.An(x, y) = Rgb(0xF4F0C8);
  uint32_t zustand = 12345;  // a fixed sequence
  for (int stern = 0; stern < 48; ++stern) {
    zustand = zustand * 1103515245u + 12345u;
    const int x = int((zustand >> 8) % 128);
    zustand = zustand * 1103515245u + 12345u;
    const int y = int((zustand >> 8) % 60);
    if (Abstand(x, y, 96, 20) < 14) continue;
    b.An(x, y) = Rgb(stern % 5 == 0 ? 0xFFF2A0 : 0xFFFFFF);
    if (stern % 7 == 0 && x + 1 < 128) b.An(x + 1, y) = Rgb(0xC8D0FF);
  }
  return b;
}

}  // namespace mosaikbau

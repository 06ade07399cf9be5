// mosaikbau FOLDER: draws the mosaic pictures "mosaik00.png" to "mosaik07.png" into FOLDER.
// Opaque pictures are written as 8-bit RGB by the engine's PNG writer, the others as 8-bit RGBA
// by stb_image_write; never grey, never interlaced, which is what the engine's reader takes.
// Each picture is checked before it is written (alpha 0 or 255, transparent pixels 0, not one
// colour, nothing near the missing picture's 0xFF880088) and read back with the engine's reader
// after: any pixel difference fails the tool.
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "Mosaikbilder.h"
#include "TBereich.h"
#include "Zarvo_Bild.h"

using mosaikbau::Bild;

namespace {

// A fault of the picture's rules, or empty.
std::string PruefeRegeln(const Bild& b) {
  std::set<uint32_t> farben;
  for (uint32_t p : b.argb) {
    const uint32_t a = p >> 24;
    if (a != 0 && a != 255) return "Alpha weder 0 noch 255";
    if (a == 0 && p != 0) return "durchsichtiges Pixel mit Farbe";
    if (a == 0 && !b.alpha) return "durchsichtiges Pixel in einem RGB-Bild";
    const int r = int((p >> 16) & 0xFF), g = int((p >> 8) & 0xFF), bl = int(p & 0xFF);
    if (a == 255 && std::abs(r - 0x88) + g + std::abs(bl - 0x88) < 64) return "Farbe nahe am Platzhalter 0xFF880088";
    farben.insert(p);
  }
  if (farben.size() < 2) return "nur eine Farbe";
  return {};
}

Zarvo_Bild AlsZarvoBild(const Bild& b) {
  Zarvo_Bild bild(uint64_t(b.breite), uint64_t(b.hoehe), PXFMT_A8R8G8B8, 1);
  for (int y = 0; y < b.hoehe; ++y)
    for (int x = 0; x < b.breite; ++x)
      reinterpret_cast<uint32_t*>(bild.Pixel() + uint64_t(y) * bild.Zeilenbytes())[x] = b.An(x, y);
  return bild;
}

bool Schreibe(const Bild& b, const std::filesystem::path& pfad) {
  if (!b.alpha) return AlsZarvoBild(b).SpeicherePNG(pfad, 0);
  std::vector<uint8_t> rgba;
  rgba.reserve(b.argb.size() * 4);
  for (uint32_t p : b.argb) rgba.insert(rgba.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
  return stbi_write_png(pfad.c_str(), b.breite, b.hoehe, 4, rgba.data(), b.breite * 4) != 0;
}

// The file read back by the engine equals the picture, pixel for pixel.
bool StimmtUeberein(const Bild& b, const std::filesystem::path& pfad) {
  Zarvo_Bild gelesen;
  if (!gelesen.LadeBildAusDatei(pfad) || gelesen.Format() != PXFMT_A8R8G8B8 || gelesen.Breite() != uint64_t(b.breite) ||
      gelesen.Hoehe() != uint64_t(b.hoehe))
    return false;
  for (int y = 0; y < b.hoehe; ++y)
    for (int x = 0; x < b.breite; ++x)
      if (reinterpret_cast<const uint32_t*>(gelesen.Pixel() + uint64_t(y) * gelesen.Zeilenbytes())[x] != b.An(x, y)) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Aufruf: mosaikbau ORDNER\n");
    return 2;
  }
  const std::filesystem::path ordner = argv[1];
  std::error_code fehler;
  std::filesystem::create_directories(ordner, fehler);
  const Bild bilder[8] = {mosaikbau::Sonne(),   mosaikbau::Landschaft(), mosaikbau::Herz(), mosaikbau::Kreuz(),
                          mosaikbau::Pfeil(),   mosaikbau::Gesicht(),    mosaikbau::Baum(), mosaikbau::Nachthimmel()};
  for (int i = 0; i < 8; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "mosaik%02d.png", i);
    const std::filesystem::path pfad = ordner / name;
    if (const std::string regel = PruefeRegeln(bilder[i]); !regel.empty()) {
      std::fprintf(stderr, "mosaikbau: %s: %s\n", name, regel.c_str());
      return 1;
    }
    if (!Schreibe(bilder[i], pfad)) {
      std::fprintf(stderr, "mosaikbau: %s konnte nicht geschrieben werden\n", pfad.c_str());
      return 1;
    }
    if (!StimmtUeberein(bilder[i], pfad)) {
      std::fprintf(stderr, "mosaikbau: %s liest sich anders zurück\n", pfad.c_str());
      return 1;
    }
  }
  return 0;
}

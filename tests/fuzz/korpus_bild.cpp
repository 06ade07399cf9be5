// Writes the seed corpora of fuzz_png, fuzz_dds and fuzz_jpg from the test fixtures.
#include <cstdio>
#include <filesystem>
#include <string>

#include "bild/testbilder.h"

using namespace testbilder;

namespace {

void Schreibe(const std::filesystem::path& ordner, const std::string& name, const Bytes& datei) {
  std::filesystem::create_directories(ordner);
  FILE* f = std::fopen((ordner / name).c_str(), "wb");
  if (!f || std::fwrite(datei.data(), 1, datei.size(), f) != datei.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "korpus_bild: %s nicht geschrieben\n", (ordner / name).c_str());
    std::exit(1);
  }
}

DdsKopf Kopf(uint32_t fourCC, uint32_t w, uint32_t h) {
  DdsKopf k;
  k.breite = w;
  k.hoehe = h;
  k.pfFlags = fourCC ? 4 : 0x40;
  k.fourCC = fourCC;
  return k;
}

Bytes Muster(size_t laenge, uint32_t saat) {
  Bytes daten = FotoPixel(uint32_t(laenge), 1, 1, saat);
  return daten;
}

void SchreibePngSeeds(const std::filesystem::path& ordner) {
  for (int farbtyp : {2, 6}) {
    const int kanaele = farbtyp == 6 ? 4 : 3;
    for (int filter = 0; filter <= 4; ++filter)
      Schreibe(ordner, "f" + std::to_string(filter) + "_t" + std::to_string(farbtyp) + ".png",
               SchreibePng({11, 7, farbtyp, 8, false, filter, 9}, FotoPixel(11, 7, kanaele, uint32_t(filter))));
  }
  Schreibe(ordner, "geteilt.png", TeileIdat(SchreibePng({16, 9, 6}, FotoPixel(16, 9, 4, 8)), 3, "tEXt"));
  Schreibe(ordner, "stb.png", SchreibePngStb(5, 5, 4, FotoPixel(5, 5, 4, 2)));
}

void SchreibeDdsSeeds(const std::filesystem::path& ordner) {
  DdsKopf dxt1 = Kopf(FourCC("DXT1"), 8, 4);
  dxt1.mipAnzahl = 4;
  dxt1.flags |= 0x20000;
  dxt1.caps |= 0x400008;
  Schreibe(ordner, "dxt1_mips.dds", BaueDds(dxt1, Muster(16 + 8 + 8 + 8, 1)));
  Schreibe(ordner, "dxt5.dds", BaueDds(Kopf(FourCC("DXT5"), 4, 8), Muster(32, 2)));
  Schreibe(ordner, "float4.dds", BaueDds(Kopf(116, 2, 2), Muster(64, 3)));
  Schreibe(ordner, "half4.dds", BaueDds(Kopf(113, 3, 2), Muster(48, 4)));
  DdsKopf masken = Kopf(0, 3, 2);
  masken.bitAnzahl = 16;
  masken.masken[0] = 0xF800, masken.masken[1] = 0x07E0, masken.masken[2] = 0x001F;
  Schreibe(ordner, "r5g6b5.dds", BaueDds(masken, Muster(12, 5)));
  masken.bitAnzahl = 32;
  masken.masken[0] = 0xFF0000, masken.masken[1] = 0xFF00, masken.masken[2] = 0xFF, masken.masken[3] = 0xFF000000;
  Schreibe(ordner, "argb.dds", BaueDds(masken, Muster(24, 6)));
  DdsKopf cube = Kopf(FourCC("DXT1"), 4, 4);
  cube.caps |= 0x8;
  cube.caps2 = 0x200 | 0xFC00;
  Schreibe(ordner, "cube.dds", BaueDds(cube, Muster(6 * 8, 7)));
}

void SchreibeJpgSeeds(const std::filesystem::path& ordner) {
  Schreibe(ordner, "farbe.jpg", SchreibeJpg(16, 16, 3, FotoPixel(16, 16, 3, 1), 90));
  Schreibe(ordner, "grau.jpg", SchreibeGrauJpg(16, 8, {10, 200}));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Aufruf: korpus_bild <Ordner der Korpora>\n");
    return 2;
  }
  const std::filesystem::path wurzel = argv[1];
  SchreibePngSeeds(wurzel / "fuzz_png");
  SchreibeDdsSeeds(wurzel / "fuzz_dds");
  SchreibeJpgSeeds(wurzel / "fuzz_jpg");
  return 0;
}

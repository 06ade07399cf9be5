// The font generator on the shipped TrueType font at the game's 24 px and the console's 12 px,
// against plain FreeType doing the same rendering work in the same run: library and face from the
// same bytes at the same size, then for each code point of the character set the glyph index, the
// rendered glyph, and its rows copied into one 8-bit shelf buffer. The counter "glyphen" is the
// number of glyphs each side keeps.
#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TSpeicher.h"
#include "Zarvo_FontGenerator.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Start.h"

namespace {

const std::vector<uint8_t>& Schrift() {
  static const std::vector<uint8_t> bytes = [] {
    TSpeicher datei;
    if (!datei.LadeAusDatei(std::filesystem::path(MORVELUNT_DATEN_ZIEL) / "calibrib.ttf", 0)) return std::vector<uint8_t>();
    return std::vector<uint8_t>(datei.Daten(), datei.Daten() + datei.Groesse());
  }();
  return bytes;
}

const std::vector<uint32_t>& Zeichen() {
  static const std::vector<uint32_t> zeichen = [] {
    std::vector<uint32_t> z;
    const std::string satz(Zarvo_FontGenerator::Zeichensatz());
    for (const char* c = satz.c_str(); *c;) z.push_back(DekodiereUtf8(c));
    return z;
  }();
  return zeichen;
}

// False, with the run marked as failed, when the shipped font is missing.
bool SchriftDa(benchmark::State& state) {
  if (!Schrift().empty()) return true;
  state.SkipWithError("calibrib.ttf not found");
  return false;
}

void Generator(benchmark::State& state) {
  if (!SchriftDa(state)) return;
  uint64_t glyphen = 0;
  for (auto _ : state) {
    const auto font = Zarvo_FontGenerator::ErzeugeSchriftartAusSpeicher(Schrift(), "calibrib.ttf", uint64_t(state.range(0)));
    glyphen = 0;
    for (uint64_t i = 0; i < font->Glyphen().SlotAnzahl(); ++i) glyphen += font->HatGlyphe(uint32_t(i));
    benchmark::DoNotOptimize(font.get());
  }
  state.counters["glyphen"] = double(glyphen);
}

// A row-by-row shelf packer over one 8-bit buffer.
struct Regal {
  static constexpr unsigned KANTE = 1024;
  std::vector<uint8_t> pixel = std::vector<uint8_t>(KANTE * KANTE);
  unsigned x = 0, y = 0, hoehe = 0;

  bool Lege(const FT_Bitmap& b) {
    if (x + b.width > KANTE) {
      x = 0;
      y += hoehe;
      hoehe = 0;
    }
    if (y + b.rows > KANTE) return false;
    for (unsigned r = 0; r < b.rows; ++r) std::memcpy(&pixel[(y + r) * KANTE + x], b.buffer + int(r) * b.pitch, b.width);
    x += b.width;
    hoehe = std::max(hoehe, b.rows);
    return true;
  }
};

void FreeTypeBasis(benchmark::State& state) {
  if (!SchriftDa(state)) return;
  uint64_t glyphen = 0;
  for (auto _ : state) {
    FT_Library bibliothek;
    FT_Face schrift;
    if (FT_Init_FreeType(&bibliothek) != 0 ||
        FT_New_Memory_Face(bibliothek, Schrift().data(), FT_Long(Schrift().size()), 0, &schrift) != 0) {
      state.SkipWithError("FreeType set-up failed");
      return;
    }
    FT_Set_Pixel_Sizes(schrift, 0, FT_UInt(state.range(0)));
    Regal regal;
    glyphen = 0;
    for (uint32_t z : Zeichen()) {
      const FT_UInt index = FT_Get_Char_Index(schrift, z);
      if (index == 0 || FT_Load_Glyph(schrift, index, FT_LOAD_RENDER) != 0) continue;
      const FT_Bitmap& b = schrift->glyph->bitmap;
      if (b.width == 0 || b.rows == 0) continue;
      glyphen += regal.Lege(b);
    }
    benchmark::DoNotOptimize(regal.pixel.data());
    FT_Done_Face(schrift);
    FT_Done_FreeType(bibliothek);
  }
  state.counters["glyphen"] = double(glyphen);
}

}  // namespace

BENCHMARK(Generator)->Arg(24)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(FreeTypeBasis)->Arg(24)->Arg(12)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  g_tLogfile.boolWert = false;
  g_Log.Starte(std::filesystem::temp_directory_path(), "schrift_bench.log");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

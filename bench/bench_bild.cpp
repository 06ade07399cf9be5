// Image codecs and conversions against libpng, stb_image and libsquish on the same data.
// "--klein" runs small sizes (the ctest smoke run).
#include <benchmark/benchmark.h>
#include <png.h>
#include <squish.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_Bild.h"
#include "bild/testbilder.h"

using namespace testbilder;

namespace {

struct Eingabe {
  std::string name;
  uint32_t w, h;
  int kanaele;
  Bytes pixel, png;
};

Eingabe MachePng(uint32_t w, uint32_t h, int kanaele) {
  Eingabe e{std::to_string(w) + "x" + std::to_string(h) + (kanaele == 4 ? "_RGBA" : "_RGB"), w, h, kanaele,
            FotoPixel(w, h, kanaele, w + h), {}};
  e.png = SchreibePng({w, h, kanaele == 4 ? 6 : 2, 8, false, -1, 6}, e.pixel);
  return e;
}

void Durchsatz(benchmark::State& state, const Eingabe& e) {
  state.SetBytesProcessed(int64_t(state.iterations()) * e.w * e.h * 4);
}

Zarvo_Bild FotoBild(uint32_t w, uint32_t h) {
  Zarvo_Bild bild;
  const Eingabe e = MachePng(w, h, 4);
  bild.LadeBildAusDatei(std::span<const uint8_t>(e.png));
  return bild;
}

void Megapixel(benchmark::State& state, uint64_t pixel) {
  state.counters["MPix/s"] = benchmark::Counter(double(pixel) / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void RegistrierePng(const Eingabe& e) {
  benchmark::RegisterBenchmark(("PngLesen/Engine/" + e.name).c_str(), [e](benchmark::State& state) {
    for (auto _ : state) {
      Zarvo_Bild bild;
      benchmark::DoNotOptimize(bild.LadeBildAusDatei(std::span<const uint8_t>(e.png)));
    }
    Durchsatz(state, e);
  });
  benchmark::RegisterBenchmark(("PngLesen/libpng/" + e.name).c_str(), [e](benchmark::State& state) {
    Bytes ziel(size_t(e.w) * e.h * 4);
    for (auto _ : state) {
      png_image bild{};
      bild.version = PNG_IMAGE_VERSION;
      png_image_begin_read_from_memory(&bild, e.png.data(), e.png.size());
      bild.format = PNG_FORMAT_BGRA;
      png_image_finish_read(&bild, nullptr, ziel.data(), 0, nullptr);
      benchmark::DoNotOptimize(ziel.data());
    }
    Durchsatz(state, e);
  });
  benchmark::RegisterBenchmark(("PngLesen/stb/" + e.name).c_str(), [e](benchmark::State& state) {
    for (auto _ : state) {
      int w, h, k;
      stbi_uc* p = stbi_load_from_memory(e.png.data(), int(e.png.size()), &w, &h, &k, 0);
      benchmark::DoNotOptimize(p);
      stbi_image_free(p);
    }
    Durchsatz(state, e);
  });
}

void StbSammeln(void* kontext, void* daten, int laenge) {
  static_cast<Bytes*>(kontext)->insert(static_cast<Bytes*>(kontext)->end(), static_cast<uint8_t*>(daten),
                                      static_cast<uint8_t*>(daten) + laenge);
}

void RegistrierePngSchreiben(const Eingabe& e) {
  benchmark::RegisterBenchmark(("PngSchreiben/Engine/" + e.name).c_str(), [e](benchmark::State& state) {
    Zarvo_Bild bild;
    bild.LadeBildAusDatei(std::span<const uint8_t>(e.png));
    uint64_t bytes = 0;
    for (auto _ : state) {
      TSpeicher datei;
      bild.KodierePNG(datei, 0);
      bytes = datei.Groesse();
    }
    state.counters["Bytes"] = double(bytes);
  });
  benchmark::RegisterBenchmark(("PngSchreiben/stb/" + e.name).c_str(), [e](benchmark::State& state) {
    uint64_t bytes = 0;
    for (auto _ : state) {
      Bytes datei;
      stbi_write_png_to_func(StbSammeln, &datei, int(e.w), int(e.h), e.kanaele, e.pixel.data(), int(e.w) * e.kanaele);
      bytes = datei.size();
    }
    state.counters["Bytes"] = double(bytes);
  });
}

void RegistriereDxt(uint32_t kante) {
  for (Zarvo_Pixelformat format : {PXFMT_DXT1, PXFMT_DXT5}) {
    const std::string name = std::string(format == PXFMT_DXT1 ? "DXT1/" : "DXT5/") + std::to_string(kante);
    benchmark::RegisterBenchmark(("DxtPacken/Engine/" + name).c_str(), [kante, format](benchmark::State& state) {
      Zarvo_Bild quelle = FotoBild(kante, kante), ziel(kante, kante, format, 1);
      TBereich q, z;
      quelle.LockBereich(q);
      ziel.LockBereich(z);
      for (auto _ : state) TBereich::KopiereKonvertiert(q, z);
      Megapixel(state, uint64_t(kante) * kante);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("DxtPacken/squish/" + name).c_str(), [kante, format](benchmark::State& state) {
      const Bytes rgba = FotoPixel(kante, kante, 4, kante + kante);
      Bytes bloecke(Zarvo_Bild::BytesProBild(format, kante, kante));
      for (auto _ : state) squish::CompressImage(rgba.data(), int(kante), int(kante), bloecke.data(), SquishFlags(format));
      Megapixel(state, uint64_t(kante) * kante);
    })->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark(("DxtEntpacken/Engine/DXT1/" + std::to_string(kante)).c_str(), [kante](benchmark::State& state) {
    Zarvo_Bild quelle = FotoBild(kante, kante), dxt(kante, kante, PXFMT_DXT1, 1), ziel(kante, kante, PXFMT_A8R8G8B8, 1);
    TBereich q, d, z;
    quelle.LockBereich(q);
    dxt.LockBereich(d);
    ziel.LockBereich(z);
    TBereich::KopiereKonvertiert(q, d);
    for (auto _ : state) TBereich::KopiereKonvertiert(d, z);
    Megapixel(state, uint64_t(kante) * kante);
  });
  benchmark::RegisterBenchmark(("DxtEntpacken/squish/DXT1/" + std::to_string(kante)).c_str(), [kante](benchmark::State& state) {
    Zarvo_Bild quelle = FotoBild(kante, kante), dxt(kante, kante, PXFMT_DXT1, 1);
    TBereich q, d;
    quelle.LockBereich(q);
    dxt.LockBereich(d);
    TBereich::KopiereKonvertiert(q, d);
    Bytes rgba(size_t(kante) * kante * 4);
    for (auto _ : state) squish::DecompressImage(rgba.data(), int(kante), int(kante), dxt.Pixel(), squish::kDxt1);
    Megapixel(state, uint64_t(kante) * kante);
  });
}

void RegistriereMips(uint32_t kante) {
  benchmark::RegisterBenchmark(("MipKette/Engine/" + std::to_string(kante)).c_str(), [kante](benchmark::State& state) {
    Zarvo_Bild bild = FotoBild(kante, kante);
    bild.ErzeugeMipKette(0);
    for (auto _ : state) bild.BerechneMipMaps();
    state.SetBytesProcessed(int64_t(state.iterations()) * kante * kante * 4);
  })->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("MipKette/memcpy/" + std::to_string(kante)).c_str(), [kante](benchmark::State& state) {
    const Bytes quelle(size_t(kante) * kante * 4, 7);
    Bytes ziel(quelle.size());
    for (auto _ : state) {
      std::memcpy(ziel.data(), quelle.data(), quelle.size());
      benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kante * kante * 4);
  })->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  // libsquish's image functions start OpenMP threads; the baseline runs on one core like the engine.
  setenv("OMP_NUM_THREADS", "1", 1);
  bool klein = false;
  std::vector<char*> argumente;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--klein") == 0)
      klein = true;
    else
      argumente.push_back(argv[i]);
  }
  const uint32_t teiler = klein ? 16 : 1;
  const Eingabe eingaben[] = {MachePng(1024 / teiler, 1024 / teiler, 4), MachePng(2048 / teiler, 2048 / teiler, 3)};
  for (const Eingabe& e : eingaben) RegistrierePng(e);
  for (const Eingabe& e : eingaben) RegistrierePngSchreiben(e);
  RegistrierePngSchreiben(MachePng(1920 / teiler, 1080 / teiler, 3));
  RegistriereDxt(512 / teiler);
  RegistriereMips(2048 / teiler);
  int anzahl = int(argumente.size());
  benchmark::Initialize(&anzahl, argumente.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

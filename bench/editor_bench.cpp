// The level editor's two heavy paths, each beside a memcpy baseline on the same bytes:
//  - SichereZustand (every edit click pushes a whole-map snapshot) on the default map (917,568
//    bytes) and on a 256 x 32 x 256 map with 10,000 objects (58.7 MB), against a memcpy of the
//    snapshot's bytes into a freshly allocated buffer (first touch included, as the snapshot pays
//    it) and into a warm one;
//  - one frame with a held box over the whole 64 x 16 x 32 map (917,504 cell-frame lines, about
//    40 MB of line records), against a memcpy of as many 44-byte records into a warm buffer.
// The editor runs on the recording device with scripted input and a fake counter at 1/64 s per
// frame, in a temporary application folder. The snapshot is taken back (untimed) after each one.
#include <benchmark/benchmark.h>

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "Editor.h"
#include "InputSystem.h"
#include "Kamera.h"
#include "NullBildschirm.h"
#include "Oprix.h"
#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/system/Zaehler.h"
#include "SkriptQuelle.h"
#include "SzenenDatei.h"
#include "Zarvo_LinienStapel.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Start.h"

namespace {

constexpr int64_t BILD_TICKS = 15'625'000;
int64_t zeit = 0;

// Everything the editor needs around it, as the harness of the tests sets it up.
struct Umgebung {
  Umgebung() {
    ordner = std::filesystem::temp_directory_path() / ("editor_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(ordner / "Daten");
    g_System.anwendungsVerzeichnis = ordner;
    zeit = LiesZaehler();
    win32::SetzeZaehlerQuelle([] { return zeit; });
    bildschirm = std::make_unique<NullBildschirm>(1280, 720);
    g_Zeit.SetMaxSchritt(SekundenAlsTicks(0.1f));
    kern = std::make_unique<Zarvo_Parallel>(1);
    OPRIX::SetEventPump(&SkriptQuelle::Pumpe);
    quelle.cursorX = 640;
    quelle.cursorY = 360;
    OPRIX::OpenWindowInput(&fenster);
    stapel = std::make_unique<Zarvo_LinienStapel>();
    Zarvo_LinienStapel::SetzeGlobal(stapel.get());
    kern->MachSofort([&] { editor = std::make_unique<Spiel::Editor>(nullptr, nullptr, Spiel::Generator::Erbauer{}); });
    Bilder(4);
  }
  ~Umgebung() {
    kern->MachSofort([&] { editor.reset(); });
    Zarvo_LinienStapel::SetzeGlobal(nullptr);
    stapel.reset();
    OPRIX::CloseInput();
    OPRIX::SetEventPump(nullptr);
    kern.reset();
    bildschirm.reset();
    win32::SetzeZaehlerQuelle(nullptr);
    std::error_code fehler;
    std::filesystem::remove_all(ordner, fehler);
  }

  void Bild() {
    zeit += BILD_TICKS;
    OPRIX::gInputSystem->Refresh();
    g_Zeit.Aktualisiere();
    kern->MachSofort([&] { editor->Aktualisiere(); });
    stapel->linien.clear();
  }
  void Bilder(int n) {
    for (int i = 0; i < n; ++i) Bild();
  }
  void Taste(int taste, int aktion) {
    quelle.Im([=] { eingabe::Taste(taste, 0, aktion); });
  }
  void Knopf(int knopf, int aktion) {
    quelle.Im([=] { eingabe::Knopf(knopf, aktion); });
  }
  // The mouse on a point of the working plane (doubled units), also beyond the screen's edge.
  void Ziele(const BVektor3<float>& punkt) {
    float x = 0, y = 0;
    Spiel::Kamera::ProjiziereAufBildschirm(punkt, editor->GibAnsicht(), {1280, 720}, x, y);
    quelle.cursorX = x;
    quelle.cursorY = y;
    Bild();
  }

  std::filesystem::path ordner;
  std::unique_ptr<NullBildschirm> bildschirm;
  std::unique_ptr<Zarvo_Parallel> kern;
  SkriptQuelle quelle;
  int fenster = 0;
  std::unique_ptr<Zarvo_LinienStapel> stapel;
  std::unique_ptr<Spiel::Editor> editor;
};

Umgebung& U() {
  static Umgebung umgebung;
  return umgebung;
}

// An empty 256 x 32 x 256 grid with 10,000 start points and lights (no patches to rebuild).
void MacheGrosseKarte(Karte& karte) {
  karte.SetzeGroesse(256, 32, 256);
  karte.objekte.resize(10000);
  for (size_t i = 0; i < karte.objekte.size(); ++i) {
    karte.objekte[i].typ = i % 2 ? 7 : 0;
    karte.objekte[i].x = float(i % 256);
    karte.objekte[i].args[1][2] = float(i);
  }
}

void SetzeBytes(benchmark::State& state, uint64_t bytes) {
  state.SetBytesProcessed(int64_t(state.iterations() * bytes));
  state.counters["bytes"] = double(bytes);
}

void Schnappschuss(benchmark::State& state, bool gross) {
  Spiel::Editor& editor = *U().editor;
  Karte& karte = editor.GibSzene().karte;
  const Karte vorher = karte;
  if (gross) MacheGrosseKarte(karte);
  const uint64_t bytes = Spiel::SzenenDatei::Groesse(karte);
  for (auto _ : state) {
    editor.SichereZustand();
    benchmark::DoNotOptimize(editor.GibRueckgaengigStapel().back().Daten());
    state.PauseTiming();
    if (editor.GibRueckgaengigStapel().back().Groesse() != bytes) state.SkipWithError("snapshot size");
    U().kern->MachSofort([&] { editor.Rueckgaengig(); });
    state.ResumeTiming();
  }
  karte = vorher;
  SetzeBytes(state, bytes);
}

void BM_SichereZustand_Standardkarte(benchmark::State& state) { Schnappschuss(state, false); }
void BM_SichereZustand_256x32x256(benchmark::State& state) { Schnappschuss(state, true); }

void Memcpy(benchmark::State& state, uint64_t bytes, bool frisch) {
  std::vector<uint8_t> quelle(bytes, 0x5A);
  std::unique_ptr<uint8_t[]> warm(new uint8_t[bytes]);
  std::memset(warm.get(), 0, bytes);
  for (auto _ : state) {
    if (frisch) {
      std::unique_ptr<uint8_t[]> ziel(new uint8_t[bytes]);
      std::memcpy(ziel.get(), quelle.data(), bytes);
      benchmark::DoNotOptimize(ziel.get());
      benchmark::ClobberMemory();
    } else {
      std::memcpy(warm.get(), quelle.data(), bytes);
      benchmark::DoNotOptimize(warm.get());
      benchmark::ClobberMemory();
    }
  }
  SetzeBytes(state, bytes);
}

uint64_t GrosseBytes() {
  Karte k;
  MacheGrosseKarte(k);
  return Spiel::SzenenDatei::Groesse(k);
}
constexpr uint64_t STANDARD_BYTES = 917'568;

void BM_MemcpyFrisch_Standardkarte(benchmark::State& state) { Memcpy(state, STANDARD_BYTES, true); }
void BM_MemcpyWarm_Standardkarte(benchmark::State& state) { Memcpy(state, STANDARD_BYTES, false); }
void BM_MemcpyFrisch_256x32x256(benchmark::State& state) { Memcpy(state, GrosseBytes(), true); }
void BM_MemcpyWarm_256x32x256(benchmark::State& state) { Memcpy(state, GrosseBytes(), false); }

// The box from cell (0, 0, 0) to (63, 15, 31): a steep, distant view, the press on layer 0,
// then layer 15 and the mouse on the far corner while Shift and the button stay down.
bool HalteGanzeKarte() {
  Umgebung& u = U();
  Spiel::Editor& e = *u.editor;
  u.Knopf(GLFW_MOUSE_BUTTON_MIDDLE, GLFW_PRESS);
  u.Bild();
  u.quelle.cursorY += 200;  // pitch to 1.4
  u.Bild();
  u.Knopf(GLFW_MOUSE_BUTTON_MIDDLE, GLFW_RELEASE);
  u.Taste(GLFW_KEY_PAGE_DOWN, GLFW_PRESS);
  u.Bilder(128);  // distance 64
  u.Taste(GLFW_KEY_PAGE_DOWN, GLFW_RELEASE);
  u.Taste(GLFW_KEY_KP_SUBTRACT, GLFW_PRESS);
  u.Bild();
  u.Taste(GLFW_KEY_KP_SUBTRACT, GLFW_RELEASE);
  u.Bilder(400);
  u.Ziele({1, 0.1f, 1});
  if (e.GibSchicht() != 0 || !e.CursorInKarte() || e.GibCursorZelle() != Spiel::Editor::Zellposition{0, 0, 0}) return false;
  u.Taste(GLFW_KEY_LEFT_SHIFT, GLFW_PRESS);
  u.Knopf(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
  u.Bild();
  for (int i = 0; i < 15; ++i) {
    u.Taste(GLFW_KEY_KP_ADD, GLFW_PRESS);
    u.Bild();
    u.Taste(GLFW_KEY_KP_ADD, GLFW_RELEASE);
    u.Bild();
  }
  u.Bilder(400);
  u.Ziele({127, 30.1f, 63});
  return e.GibSchicht() == 15 && e.GibCursorZelle() == Spiel::Editor::Zellposition{63, 15, 31};
}

constexpr uint64_t GANZE_KARTE_LINIEN = 64 * 16 * 32 * 28;

void BM_Quaderbild_GanzeKarte(benchmark::State& state) {
  static const bool bereit = HalteGanzeKarte();
  if (!bereit) {
    state.SkipWithError("the box over the whole map could not be set up");
    return;
  }
  Umgebung& u = U();
  uint64_t linien = 0;
  for (auto _ : state) {
    state.PauseTiming();
    zeit += BILD_TICKS;
    OPRIX::gInputSystem->Refresh();
    g_Zeit.Aktualisiere();
    u.stapel->linien.clear();
    state.ResumeTiming();
    u.kern->MachSofort([&] { u.editor->Aktualisiere(); });
    linien = u.stapel->linien.size();
  }
  if (linien < GANZE_KARTE_LINIEN) state.SkipWithError("fewer lines than the box's");
  state.counters["linien"] = double(linien);
  SetzeBytes(state, linien * sizeof(Zarvo_Linie));
}

void BM_MemcpyLinien_GanzeKarte(benchmark::State& state) {
  Memcpy(state, GANZE_KARTE_LINIEN * sizeof(Zarvo_Linie), false);
}

}  // namespace

BENCHMARK(BM_SichereZustand_Standardkarte)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyFrisch_Standardkarte)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyWarm_Standardkarte)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SichereZustand_256x32x256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyFrisch_256x32x256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyWarm_256x32x256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Quaderbild_GanzeKarte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyLinien_GanzeKarte)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

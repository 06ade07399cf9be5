// One frame of the game's widget surface as the input bridge draws it (Spiel::Buttons::Zeichne),
// at 1280 x 720 with the shipped style, the game's atlas and font: a page of two rows of three
// 64 x 64 image buttons and a 4 x 4 page of image buttons, both with "hintergrund" 0.3, and the
// pause page. Each of the 22 image buttons costs one extra draw before its image.
//
// The baseline in the same run queues the same numbers of entry-0 rectangles and glyphs straight
// into the atlas and the font and draws them in one batch each. Both run on the recording device
// (CPU only) and on the OpenGL device under the virtual display, where every frame ends with a
// 1-pixel read-back. The sprite and glyph counts of the frame are taken once at the start, on the
// recording device: the instances of its draws, less the font's glyphs counted at its flushes.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "Button.h"
#include "Buttons.h"
#include "NullBildschirm.h"
#include "Oberflaeche.h"
#include "PauseMenu.h"
#include "Plattform/d3d9/d3d9.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Renderer.h"
#include "Ressourcen.h"
#include "Seite.h"
#include "SimpelRenderer.h"
#include "Stil.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

constexpr uint32_t B = 1280, H = 720;
constexpr uint32_t INDEXIERT = 0x40000000;  // D3DSTREAMSOURCE_INDEXEDDATA

struct Zaehlung {
  uint64_t sprites = 0;
  uint64_t glyphen = 0;
};
Zaehlung g_zaehlung;

// The screen on the OpenGL device. Xvfb refuses a connection now and then right after the
// previous client closed: a few tries, 100 ms apart.
bool OeffneFenster() {
  for (int versuch = 0; versuch < 20; ++versuch) {
    if (versuch > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (Zarvo_Screen3D::Init(0, 0, {B, H, 0, 0}, 0)) return true;
    Zarvo_Screen3D::Schliessen();
  }
  return false;
}

// A page of image buttons in rows, with a veil.
void BildSeite(Gui::Oberflaeche& oberflaeche, Zarvo_SpriteAtlas* atlas, int zeilen, int spalten, BVektor3<float> position) {
  auto* seite = new Gui::Seite(1, {0, 0, 0});
  seite->SetPosition(position, false);
  seite->SetGroesse({float(spalten) * 74 + 10, float(zeilen) * 74 + 10, 0}, false);
  Gui::SetzeStil(seite->eigenschaften, "hintergrund", 0.3f);
  for (int z = 0; z < zeilen; ++z) {
    auto* zeile = new Gui::Seite(0, {0, 0, 0});
    for (int s = 0; s < spalten; ++s) zeile->FuegeHinzu(new Gui::Button("", Gui::ButtonBild(atlas, uint64_t(2 + (z * spalten + s) % 6), false)));
    seite->FuegeHinzu(zeile);
  }
  oberflaeche.FuegeHinzu(seite);
}

// The screen on one device, the game's resources, the bridge with the pages, shown long ago.
class Umgebung {
 public:
  explicit Umgebung(bool gl33) {
    if (gl33) {
      d3d9::WaehleGl33Backend();
      g_Vollbild.SetzeBool(false);
      if (!OeffneFenster()) return;
    } else {
      null = std::make_unique<NullBildschirm>(B, H);
      if (!null->Offen()) return;
    }
    g_System.anwendungsVerzeichnis = MORVELUNT_BAUORDNER;
    Spiel::Ressourcen::Lade();
    bruecke = std::make_unique<Spiel::Buttons>();
    Gui::Oberflaeche& o = *bruecke->GibOberflaeche();
    BildSeite(o, Spiel::Ressourcen::Atlas(), 2, 3, {20, 480, 0});
    BildSeite(o, Spiel::Ressourcen::Atlas(), 4, 4, {960, 20, 0});
    o.FuegeHinzu(new Spiel::PauseMenu(spielUhr));
    g_Zeit.Fortschreiten(SekundenAlsTicks(10));
    bereit = true;
  }
  ~Umgebung() {
    Spiel::PauseMenu::SchliesseAlle(spielUhr);
    bruecke.reset();
    Spiel::Ressourcen::Freigeben();
    if (null) null.reset();
    else Zarvo_Screen3D::Schliessen();
  }

  Zarvo_ZeichenKontext* Kontext() const { return Zarvo_Screen3D::GibZeichenKontext(); }
  uint64_t Zeichnungen() const { return Kontext()->zaehler[Zarvo_ZeichenKontext::INSTANZ_ZEICHNEN]; }

  bool bereit = false;
  std::unique_ptr<NullBildschirm> null;
  Zarvo_Timer spielUhr;
  std::unique_ptr<Spiel::Buttons> bruecke;
};

// The renderer of the frame, counting the font's glyphs at each of its flushes.
class GlyphenZaehler : public Gui::SimpelRenderer {
 public:
  using SimpelRenderer::SimpelRenderer;
  void SetzeClipping(Gui::Basis& k, const BVektor3<float>& p, const BVektor3<float>& g) override {
    Nimm();
    SimpelRenderer::SetzeClipping(k, p, g);
  }
  void EntferneClipping(Gui::Basis& k) override {
    Nimm();
    SimpelRenderer::EntferneClipping(k);
  }
  void BeendeZeichnen() override {
    Nimm();
    SimpelRenderer::BeendeZeichnen();
  }
  uint64_t glyphen = 0;

 private:
  void Nimm() { glyphen += Spiel::Ressourcen::Schrift()->Glyphen().Liste().Instanzen().size(); }
};

// The counts of one frame, on the recording device.
bool Zaehle() {
  Umgebung u(false);
  if (!u.bereit) return false;
  d3d9::null::Welt& welt = *d3d9::null::AktuelleWelt();
  uint64_t alle = 0;  // the instances of every instanced draw
  welt.beiZeichnung = [&](d3d9::null::Geraet& geraet) {
    const uint32_t frequenz = geraet.streamFrequenz[0];
    if (frequenz & INDEXIERT) alle += frequenz & ~INDEXIERT;
  };
  GlyphenZaehler zaehler(Spiel::Ressourcen::Atlas(), Spiel::Ressourcen::Schrift());
  Gui::ZeichneOberflaeche(*u.bruecke->GibOberflaeche(), zaehler);
  welt.beiZeichnung = nullptr;
  g_zaehlung = {alle - zaehler.glyphen, zaehler.glyphen};
  return true;
}

void LeseEinPixel() {
  uint8_t pixel[4];
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  benchmark::DoNotOptimize(pixel);
}

void Zaehler(benchmark::State& state, const Umgebung& u, uint64_t zeichnungenVorher) {
  state.counters["sprites"] = double(g_zaehlung.sprites);
  state.counters["glyphen"] = double(g_zaehlung.glyphen);
  state.counters["zeichnungen"] = double(u.Zeichnungen() - zeichnungenVorher) / double(state.iterations());
}

// Frames of `frame` on the device, each ended by a 1-pixel read-back on the OpenGL device (on
// the recording device the calls recorded are dropped instead).
template <class Frame>
void Lauf(benchmark::State& state, bool gl33, Frame frame) {
  Umgebung u(gl33);
  if (!u.bereit) {
    state.SkipWithError("no screen (DISPLAY?)");
    return;
  }
  d3d9::null::Welt* welt = gl33 ? nullptr : d3d9::null::AktuelleWelt();
  const uint64_t vorher = u.Zeichnungen();
  for (auto _ : state) {
    frame(u);
    if (gl33) LeseEinPixel();
    else welt->Leere();
  }
  Zaehler(state, u, vorher);
}

// One frame through the bridge.
void Engine(benchmark::State& state, bool gl33) {
  Lauf(state, gl33, [](Umgebung& u) { u.bruecke->Zeichne(); });
}

// The same numbers of entry-0 rectangles and glyphs, one batch each.
void Basis(benchmark::State& state, bool gl33) {
  const std::string text(g_zaehlung.glyphen, 'x');
  Lauf(state, gl33, [&](Umgebung&) {
    Zarvo_SpriteAtlas* atlas = Spiel::Ressourcen::Atlas();
    Zarvo_Font3D* font = Spiel::Ressourcen::Schrift();
    for (uint64_t i = 0; i < g_zaehlung.sprites; ++i)
      atlas->AddSprite(0, {float(i * 37 % (B - 64)), float(i * 53 % (H - 36)), 0.5f}, {0.2f, 0.2f, 0.4f, 1}, 64, 36, 0);
    font->farbe = {0, 0, 0, 1};
    font->InternZeichne(10, 10, text.c_str());
    atlas->Zeichne();
    font->ZeichneAlles();
  });
}

void EngineCpu(benchmark::State& state) { Engine(state, false); }
void BasisCpu(benchmark::State& state) { Basis(state, false); }
void EngineGl33(benchmark::State& state) { Engine(state, true); }
void BasisGl33(benchmark::State& state) { Basis(state, true); }

}  // namespace

BENCHMARK(EngineCpu)->Unit(benchmark::kMicrosecond);
BENCHMARK(BasisCpu)->Unit(benchmark::kMicrosecond);
BENCHMARK(EngineGl33)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BasisGl33)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!Zaehle()) {
    std::fprintf(stderr, "gui_bench: the recording device did not open\n");
    return 1;
  }
  benchmark::AddCustomContext("sprites/frame", std::to_string(g_zaehlung.sprites));
  benchmark::AddCustomContext("glyphen/frame", std::to_string(g_zaehlung.glyphen));
  const char* threads = std::getenv("LP_NUM_THREADS");
  benchmark::AddCustomContext("LP_NUM_THREADS", threads ? threads : "(unset)");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The world renderer on the shipped level's start view under the virtual display (Xvfb,
// llvmpipe), with the shipped bloom set, at 640 x 360 and 1280 x 720: the whole frame, and each
// step alone (targets, shadow, ambient, main, filters), each closed with glFinish. The counters
// give the context's draws, constant, texture and program sets per frame, the instance count and
// the triangles each pass draws.
//
// The baseline runs in the same program in a hidden window of its own: plain GL 3.3 drawing the
// same vertex and index data (copied from the instances' meshes) with one trivial program (one
// MVP uniform per draw, a constant colour) in the same three passes into targets of the same
// sizes and formats with the same clears, then one full-screen copy. Engine / baseline per pass
// and per frame is the engine's overhead: its layer, its caches and the world shaders' lighting.
// A table of those ratios follows the benchmark output.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FilterSatz.h"
#include "Modell.h"
#include "Plattform/d3d9/d3d9.h"
#include "Ressourcen.h"
#include "StartAnsicht.h"
#include "VerstecktesFenster.h"
#include "WeltRenderer.h"
#include "WeltRendererMathe.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

namespace mathe = Spiel::WeltRendererMathe;

struct Groesse {
  uint32_t b, h;
};
constexpr Groesse GROESSEN[2] = {{640, 360}, {1280, 720}};

enum Schritt { ZIELE, SCHATTEN, UMGEBUNG, HAUPT, FILTER, ANZAHL_SCHRITTE };
const char* const SCHRITT_NAMEN[ANZAHL_SCHRITTE] = {"Ziele", "Schatten", "Umgebung", "Haupt", "Filter"};

// ---- the engine ----

struct Engine {
  Engine() {
    g_System.anwendungsVerzeichnis = MORVELUNT_BAUORDNER;
    d3d9::WaehleGl33Backend();
    g_Vollbild.SetzeBool(false);
    if (!Zarvo_Screen3D::Init(0, 0, {GROESSEN[0].b, GROESSEN[0].h, 0, 0}, 0)) return;
    kontext = Zarvo_Screen3D::GibZeichenKontext();
    Spiel::Ressourcen::Lade();
    level = std::make_unique<startansicht::Level>(4);
    if (!level->Lade(MORVELUNT_BAUORDNER "/Daten/szene.dat") || level->BisRuhe() < 0) return;
    renderer = std::make_unique<Spiel::WeltRenderer>();
    bloom.AddFilter(-3, renderer->verwaltung.GibEffekt("bloom"));
    bereit = bloom.liestErgebnis != 0;
  }
  ~Engine() {
    if (kontext == nullptr) return;
    MachAktuell();
    renderer.reset();
    level.reset();
    Spiel::Ressourcen::Freigeben();
    Zarvo_Screen3D::Schliessen();
  }
  void MachAktuell() const { glfwMakeContextCurrent(static_cast<GLFWwindow*>(Zarvo_Screen3D::Zustand().fenster)); }
  // The screen at that size; after a change the device was reset, so the pages are built again.
  bool Setze(const Groesse& g) {
    MachAktuell();
    if (kontext->bildschirm.breite == g.b && kontext->bildschirm.hoehe == g.h) return true;
    Zarvo_Screen3D::SetzeFenstergroesse({g.b, g.h, 0, 0}, false, false);
    return level->BisRuhe() > 0;
  }
  BMatrix Projektion() const { return mathe::SpielProjektion(kontext->bildschirm.breite, kontext->bildschirm.hoehe); }
  void Bild() {
    renderer->Zeichne(*level->szene, nullptr, level->sicht, bloom);
    glFinish();
  }
  void EinSchritt(Schritt s) {
    Spiel::Szene& szene = *level->szene;
    switch (s) {
      case ZIELE: renderer->ErneuereZiele(); break;
      case SCHATTEN: renderer->ZeichneSchattenPassage(szene, level->sicht); break;
      case UMGEBUNG: renderer->ZeichneHoehenPassage(szene, level->sicht); break;
      case HAUPT: renderer->ZeichneHauptPassage(szene, level->sicht, Projektion(), bloom); break;
      case FILTER:
        renderer->verwaltung.WendeFilterAn(bloom, renderer->hauptTextur,
                                           {nullptr, 0, 0, kontext->bildschirm.breite, kontext->bildschirm.hoehe});
        break;
      default: break;
    }
    glFinish();
  }

  Zarvo_ZeichenKontext* kontext = nullptr;
  std::unique_ptr<startansicht::Level> level;
  std::unique_ptr<Spiel::WeltRenderer> renderer;
  FilterSatz bloom;
  bool bereit = false;
};

std::unique_ptr<Engine> g_engine;
Engine& DieEngine() {
  if (!g_engine) g_engine = std::make_unique<Engine>();
  return *g_engine;
}

// ---- the baseline ----

const char* const VS = R"(#version 330 core
layout(location = 0) in vec3 ePos;
uniform mat4 gMVP;
void main() { gl_Position = gMVP * vec4(ePos, 1.0); }
)";
const char* const PS = R"(#version 330 core
out vec4 farbe;
void main() { farbe = vec4(0.8, 0.8, 0.8, 1.0); }
)";
const char* const VS_KOPIE = R"(#version 330 core
out vec2 aTex;
void main() {
  vec2 p = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID & 2) * 2 - 1));
  aTex = p * 0.5 + 0.5;
  gl_Position = vec4(p, 0.0, 1.0);
}
)";
const char* const PS_KOPIE = R"(#version 330 core
uniform sampler2D sQuelle;
in vec2 aTex;
out vec4 farbe;
void main() { farbe = texture(sQuelle, aTex); }
)";

struct Basis {
  struct Netz {
    GLuint vao = 0;
    GLsizei indizes = 0;
    BMatrix welt;
  };
  struct Ziel {
    GLuint fbo = 0, textur = 0;
    GLsizei b = 0, h = 0;
  };

  Basis() {
    Engine& e = DieEngine();
    if (!e.bereit) return;
    fenster = ErzeugeVerstecktesFenster("weltrenderer basis");
    if (fenster == nullptr) return;
    programm = Programm(VS, PS);
    kopie = Programm(VS_KOPIE, PS_KOPIE);
    mvp = glGetUniformLocation(programm, "gMVP");
    glGenVertexArrays(1, &leer);
    e.level->szene->instanzen.FuerLebende([&](uint64_t, const Spiel::Szene::Instanz& i) {
      if (i.modell == nullptr || !i.modell->HatInhalt()) return;
      netze.push_back(Lade(*i.modell, i));
    });
    e.MachAktuell();
  }
  ~Basis() {
    if (fenster) glfwDestroyWindow(fenster);
  }
  bool Bereit() const { return fenster != nullptr; }

  static GLuint Stufe(GLenum art, const char* quelle) {
    const GLuint s = glCreateShader(art);
    glShaderSource(s, 1, &quelle, nullptr);
    glCompileShader(s);
    return s;
  }
  static GLuint Programm(const char* vs, const char* ps) {
    const GLuint p = glCreateProgram();
    glAttachShader(p, Stufe(GL_VERTEX_SHADER, vs));
    glAttachShader(p, Stufe(GL_FRAGMENT_SHADER, ps));
    glLinkProgram(p);
    return p;
  }
  // The instance's mesh, copied from the engine's kept buffer contents.
  static Netz Lade(const Spiel::Modell& modell, const Spiel::Szene::Instanz& instanz) {
    Netz n;
    glGenVertexArrays(1, &n.vao);
    glBindVertexArray(n.vao);
    GLuint puffer[2];
    glGenBuffers(2, puffer);
    glBindBuffer(GL_ARRAY_BUFFER, puffer[0]);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(modell.vertexBuffer->groesse), modell.vertexBuffer->kopie, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Spiel::WeltVertex), nullptr);
    glEnableVertexAttribArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, puffer[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(modell.indexBuffer->groesse), modell.indexBuffer->kopie, GL_STATIC_DRAW);
    glBindVertexArray(0);
    n.indizes = GLsizei(instanz.dreiecke * 3);
    n.welt = BMatrix::AusZeilen(instanz.matrix);
    return n;
  }
  static Ziel ErzeugeZiel(GLenum intern, GLenum format, GLenum typ, GLsizei b, GLsizei h, GLuint tiefe) {
    Ziel z{0, 0, b, h};
    glGenTextures(1, &z.textur);
    glBindTexture(GL_TEXTURE_2D, z.textur);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(intern), b, h, 0, format, typ, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glGenFramebuffers(1, &z.fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, z.fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, z.textur, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, tiefe);
    return z;
  }
  // Targets of the engine's sizes and formats for a screen of b x h, made on the first use.
  void Setze(const Groesse& g) {
    glfwMakeContextCurrent(fenster);
    if (haupt.b == GLsizei(g.b) && haupt.h == GLsizei(g.h)) return;
    glfwSetWindowSize(fenster, int(g.b), int(g.h));
    const mathe::Groesse t = mathe::TiefenpufferGroesse(g.b, g.h);
    if (tiefe == 0) glGenRenderbuffers(1, &tiefe);
    glBindRenderbuffer(GL_RENDERBUFFER, tiefe);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32, GLsizei(t.breite), GLsizei(t.hoehe));
    for (Ziel* z : {&schatten, &umgebung, &haupt})
      if (z->fbo) {
        glDeleteFramebuffers(1, &z->fbo);
        glDeleteTextures(1, &z->textur);
      }
    schatten = ErzeugeZiel(GL_R32F, GL_RED, GL_FLOAT, 4096, 4096, tiefe);
    umgebung = ErzeugeZiel(GL_RG16, GL_RG, GL_UNSIGNED_SHORT, 512, 512, tiefe);
    haupt = ErzeugeZiel(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, GLsizei(g.b), GLsizei(g.h), tiefe);
    // The engine's matrices of this view: the last frame's light transform and ambient view.
    const Engine& e = DieEngine();
    licht = e.renderer->lichtTransform;
    const mathe::Umgebung u = mathe::BerechneUmgebung(e.level->sicht);
    umgebungsMatrix = u.projektion * u.sicht;
    hauptMatrix = mathe::SpielProjektion(g.b, g.h) * e.level->sicht;
    bildschirm = g;
  }
  void Durchgang(const Ziel& z, const float (&farbe)[4], const BMatrix& ansicht, bool culling) {
    glBindFramebuffer(GL_FRAMEBUFFER, z.fbo);
    glViewport(0, 0, z.b, z.h);
    glClearColor(farbe[0], farbe[1], farbe[2], farbe[3]);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    if (culling) {
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
    } else {
      glDisable(GL_CULL_FACE);
    }
    glUseProgram(programm);
    for (const Netz& n : netze) {
      const BMatrix m = ansicht * n.welt;
      glUniformMatrix4fv(mvp, 1, GL_TRUE, m.m);
      glBindVertexArray(n.vao);
      glDrawElements(GL_TRIANGLES, n.indizes, GL_UNSIGNED_INT, nullptr);
    }
  }
  void Kopie() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, GLsizei(bildschirm.b), GLsizei(bildschirm.h));
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glUseProgram(kopie);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, haupt.textur);
    glBindVertexArray(leer);
    glDrawArrays(GL_TRIANGLES, 0, 3);
  }
  void EinSchritt(Schritt s) {
    static constexpr float SCHATTEN_FARBE[4] = {1, 0, 0, 0}, UMGEBUNG_FARBE[4] = {0, 0, 0, 0}, HAUPT_FARBE[4] = {0.3f, 0.35f, 0.4f, 0};
    switch (s) {
      case SCHATTEN: Durchgang(schatten, SCHATTEN_FARBE, licht, false); break;
      case UMGEBUNG: Durchgang(umgebung, UMGEBUNG_FARBE, umgebungsMatrix, false); break;
      case HAUPT: Durchgang(haupt, HAUPT_FARBE, hauptMatrix, true); break;
      case FILTER: Kopie(); break;
      default: break;
    }
  }
  void Bild() {
    for (Schritt s : {SCHATTEN, UMGEBUNG, HAUPT, FILTER}) EinSchritt(s);
    glFinish();
  }

  GLFWwindow* fenster = nullptr;
  GLuint programm = 0, kopie = 0, leer = 0, tiefe = 0;
  GLint mvp = -1;
  std::vector<Netz> netze;
  Ziel schatten, umgebung, haupt;
  BMatrix licht, umgebungsMatrix, hauptMatrix;
  Groesse bildschirm{0, 0};
};

std::unique_ptr<Basis> g_basis;
Basis& DieBasis() {
  if (!g_basis) g_basis = std::make_unique<Basis>();
  return *g_basis;
}

// ---- the benchmarks ----

void ZaehlerDesBildes(benchmark::State& state, Engine& e) {
  e.kontext->LeereZaehler();
  e.Bild();
  const auto& z = e.kontext->zaehler;
  state.counters["Zeichnungen"] = double(z[Zarvo_ZeichenKontext::INDEX_ZEICHNEN]);
  state.counters["Konstanten"] = double(z[Zarvo_ZeichenKontext::KONSTANTEN_SETS]);
  state.counters["Texturen"] = double(z[Zarvo_ZeichenKontext::TEXTUR_SETS]);
  state.counters["Programme"] = double(z[Zarvo_ZeichenKontext::PROGRAMM_SETS]);
  state.counters["Instanzen"] = double(e.level->Instanzen());
  uint64_t dreiecke = 0;
  e.level->szene->instanzen.FuerLebende([&](uint64_t, const Spiel::Szene::Instanz& i) {
    if (i.modell != nullptr && i.modell->HatInhalt()) dreiecke += i.dreiecke;
  });
  state.counters["DreieckeJePass"] = double(dreiecke);
}

// The engine at that size after one frame, or null (and the run skipped).
Engine* BereiteEngineVor(benchmark::State& state, const Groesse& g) {
  Engine& e = DieEngine();
  if (!e.bereit || !e.Setze(g)) {
    state.SkipWithError("no screen, level or renderer");
    return nullptr;
  }
  e.Bild();  // every step finds what the frame before it left
  return &e;
}

// The baseline at that size after one frame of its own, its context current, or null.
Basis* BereiteBasisVor(benchmark::State& state, const Groesse& g) {
  if (BereiteEngineVor(state, g) == nullptr) return nullptr;
  Basis& b = DieBasis();
  if (!b.Bereit()) {
    state.SkipWithError("no baseline window");
    return nullptr;
  }
  b.Setze(g);
  b.Bild();
  return &b;
}

void EngineBild(benchmark::State& state, const Groesse& g) {
  Engine* e = BereiteEngineVor(state, g);
  if (e == nullptr) return;
  for (auto _ : state) e->Bild();
  ZaehlerDesBildes(state, *e);
}

void EngineSchritt(benchmark::State& state, const Groesse& g, Schritt s) {
  Engine* e = BereiteEngineVor(state, g);
  if (e == nullptr) return;
  for (auto _ : state) e->EinSchritt(s);
}

void BasisBild(benchmark::State& state, const Groesse& g) {
  Basis* b = BereiteBasisVor(state, g);
  if (b == nullptr) return;
  for (auto _ : state) b->Bild();
  state.counters["Zeichnungen"] = double(3 * b->netze.size() + 1);
  DieEngine().MachAktuell();
}

void BasisSchritt(benchmark::State& state, const Groesse& g, Schritt s) {
  Basis* b = BereiteBasisVor(state, g);
  if (b == nullptr) return;
  for (auto _ : state) {
    b->EinSchritt(s);
    glFinish();
  }
  DieEngine().MachAktuell();
}

// Keeps each run's time per iteration, so that the ratios can be printed after the runs. With
// repetitions the mean stands for the case; the spread of the other aggregates is no time.
class MitVerhaeltnissen : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.error_occurred || (r.run_type == Run::RT_Aggregate && r.aggregate_name != "mean")) continue;
      zeiten[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void DruckeVerhaeltnisse() const {
    std::printf("\nengine / baseline (real time per iteration)\n");
    for (const Groesse& g : GROESSEN) {
      const std::string s = std::to_string(g.b);
      Zeile("Bild/" + s, "Engine/Bild/" + s, "Basis/Bild/" + s);
      for (Schritt schritt : {SCHATTEN, UMGEBUNG, HAUPT, FILTER}) {
        const std::string name = std::string(SCHRITT_NAMEN[schritt]) + "/" + s;
        Zeile(name, "Engine/" + name, "Basis/" + name);
      }
    }
  }

 private:
  void Zeile(const std::string& name, const std::string& engine, const std::string& basis) const {
    const auto e = zeiten.find(engine), b = zeiten.find(basis);
    if (e == zeiten.end() || b == zeiten.end() || b->second <= 0) return;
    std::printf("  %-14s %10.3f / %10.3f = %6.2f\n", name.c_str(), e->second, b->second, e->second / b->second);
  }
  std::map<std::string, double> zeiten;
};

}  // namespace

// The first line of a small text file, or "?".
std::string ErsteZeile(const char* pfad) {
  char zeile[256] = "?";
  if (FILE* f = std::fopen(pfad, "r")) {
    if (std::fgets(zeile, sizeof zeile, f) == nullptr) zeile[0] = 0;
    std::fclose(f);
  }
  std::string text = zeile;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

int main(int argc, char** argv) {
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  benchmark::Initialize(&argc, argv);
  const char* threads = std::getenv("LP_NUM_THREADS");
  benchmark::AddCustomContext("LP_NUM_THREADS", threads ? threads : "unset (llvmpipe: one per processor)");
  benchmark::AddCustomContext("loadavg", ErsteZeile("/proc/loadavg"));
  for (const Groesse& g : GROESSEN) {
    const std::string s = std::to_string(g.b);
    benchmark::RegisterBenchmark(("Engine/Bild/" + s).c_str(), EngineBild, g)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark(("Basis/Bild/" + s).c_str(), BasisBild, g)->Unit(benchmark::kMillisecond)->UseRealTime();
    for (int schritt = 0; schritt < ANZAHL_SCHRITTE; ++schritt) {
      const std::string name = std::string(SCHRITT_NAMEN[schritt]) + "/" + s;
      benchmark::RegisterBenchmark(("Engine/" + name).c_str(), EngineSchritt, g, Schritt(schritt))
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
      if (schritt != ZIELE)
        benchmark::RegisterBenchmark(("Basis/" + name).c_str(), BasisSchritt, g, Schritt(schritt))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
  }
  MitVerhaeltnissen reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.DruckeVerhaeltnisse();
  g_basis.reset();
  g_engine.reset();
  benchmark::Shutdown();
  return 0;
}

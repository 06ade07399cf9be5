// Sprites through the engine against a hand-written GLSL 330 instanced draw, both under the
// virtual display (Xvfb, llvmpipe): N sprites of 8 x 8 pixels from a 512 x 512 atlas per
// iteration, queued and drawn in one batch, the frame finished by a 1-pixel read-back. The
// baseline fills the same 60-byte records every iteration into an orphaned buffer and draws them
// with one glDrawElementsInstanced, with the same texture, filter, blending and target size, in
// a hidden window of its own so that the device's state shadow stays true. Counters: sprites per
// second, the submit time per sprite (queueing and drawing without the read-back), and the
// covered pixels of the last frame, which must agree between the two.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Plattform/d3d9/d3d9.h"
#include "TBereich.h"
#include "VerstecktesFenster.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

constexpr uint32_t ZIEL_B = 800, ZIEL_H = 600;
constexpr uint64_t EINTRAEGE = 64;
constexpr TAlphaFarbe FARBE{1, 1, 1, 0.8f};

using Uhr = std::chrono::steady_clock;

// Position, angle and entry of sprite i: spread over the target, every entry in turn.
BVektor3<float> Position(uint64_t i) { return {float(i * 37 % (ZIEL_B - 8)), float(i * 53 % (ZIEL_H - 8)), 0.5f}; }
float Winkel(uint64_t i) { return float(i % 7) * 0.1f; }

// The screen on the OpenGL device with a 512 x 512 atlas of 64 entries of 8 x 8.
struct Engine {
  Engine() {
    d3d9::WaehleGl33Backend();
    g_Vollbild.SetzeBool(false);
    if (!Zarvo_Screen3D::Init(0, 0, {ZIEL_B, ZIEL_H, 0, 0}, 0)) return;
    atlas = std::make_unique<Zarvo_SpriteAtlas>(512, 100000, 0);
    Zarvo_Bild quelle(8, 8, PXFMT_A8R8G8B8, 1);
    TBereich bereich;
    quelle.LockBereich(bereich);
    for (uint64_t i = 0; i < EINTRAEGE; ++i) {
      bereich.Fuelle(0xFF000000u | uint32_t(i * 0x040A10u));
      atlas->KopiereEintrag(i, bereich, 0, 0, 8, 8);
    }
  }
  ~Engine() {
    atlas.reset();
    Zarvo_Screen3D::Schliessen();
  }
  void MachAktuell() const { glfwMakeContextCurrent(static_cast<GLFWwindow*>(Zarvo_Screen3D::Zustand().fenster)); }
  std::unique_ptr<Zarvo_SpriteAtlas> atlas;
};

std::unique_ptr<Engine> g_engine;

Engine& DieEngine() {
  if (!g_engine) g_engine = std::make_unique<Engine>();
  return *g_engine;
}

const char* const VS = R"(#version 330 core
uniform vec2 quellGroesse;
uniform vec2 zielGroesse;
layout(location = 0) in vec2 ecke;
layout(location = 1) in vec3 zielPos;
layout(location = 2) in vec2 groesse;
layout(location = 3) in vec4 grafik;
layout(location = 4) in vec4 farbe;
layout(location = 5) in vec2 param;
out vec4 vFarbe;
out vec2 vTex;
out vec4 vGrenze;
void main() {
  float s = sin(param.x), c = cos(param.x);
  vec2 q = (ecke - param.y) * groesse;
  vec2 p = zielPos.xy + q.x * vec2(c, s) + q.y * vec2(-s, c);
  gl_Position = vec4(p * zielGroesse * vec2(2.0, -2.0) + vec2(-1.0, 1.0), zielPos.z, 1.0);
  vFarbe = farbe;
  vTex = (grafik.xy + ecke * grafik.zw) * quellGroesse;
  vGrenze = (grafik.xyxy + vec4(0.5, 0.5, grafik.zw - 0.5)) * quellGroesse.xyxy;
}
)";
const char* const PS = R"(#version 330 core
uniform sampler2D textur;
in vec4 vFarbe;
in vec2 vTex;
in vec4 vGrenze;
layout(location = 0) out vec4 ergebnis;
void main() {
  vec4 f = texture(textur, clamp(vTex, vGrenze.xy, vGrenze.zw)) * vFarbe;
  ergebnis = vec4(f.rgb * abs(f.a), max(f.a, 0.0));
}
)";

// The baseline: a hidden window with its own context, the atlas image as a texture, the quad,
// an instance buffer, the program and a target of the engine's size.
struct Basis {
  Basis() {
    fenster = ErzeugeVerstecktesFenster("basis");
    if (fenster == nullptr) return;
    BaueProgramm();
    BaueTextur(DieEngine().atlas->Bild());
    BaueGeometrie();
    BaueZiel();
    DieEngine().MachAktuell();
  }
  ~Basis() {
    if (fenster) glfwDestroyWindow(fenster);
  }

  void BaueProgramm() {
    const auto stufe = [](GLenum art, const char* quelle) {
      const GLuint s = glCreateShader(art);
      glShaderSource(s, 1, &quelle, nullptr);
      glCompileShader(s);
      return s;
    };
    programm = glCreateProgram();
    glAttachShader(programm, stufe(GL_VERTEX_SHADER, VS));
    glAttachShader(programm, stufe(GL_FRAGMENT_SHADER, PS));
    glLinkProgram(programm);
    glUseProgram(programm);
    glUniform1i(glGetUniformLocation(programm, "textur"), 0);
    glUniform2f(glGetUniformLocation(programm, "quellGroesse"), 1.0f / 512, 1.0f / 512);
    glUniform2f(glGetUniformLocation(programm, "zielGroesse"), 1.0f / ZIEL_B, 1.0f / ZIEL_H);
  }
  void BaueTextur(const Zarvo_Bild& bild) {
    glGenTextures(1, &textur);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textur);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(bild.Breite()), GLsizei(bild.Hoehe()), 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, bild.Pixel());
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  void BaueGeometrie() {
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    GLuint puffer[3];
    glGenBuffers(3, puffer);
    const float ecken[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    glBindBuffer(GL_ARRAY_BUFFER, puffer[0]);
    glBufferData(GL_ARRAY_BUFFER, sizeof ecken, ecken, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 8, nullptr);
    glEnableVertexAttribArray(0);
    const uint16_t indizes[6] = {0, 1, 2, 1, 3, 2};
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, puffer[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indizes, indizes, GL_STATIC_DRAW);
    instanzen = puffer[2];
    glBindBuffer(GL_ARRAY_BUFFER, instanzen);
    const struct {
      GLint elemente;
      uintptr_t versatz;
    } felder[5] = {{3, 0}, {2, 12}, {4, 20}, {4, 36}, {2, 52}};
    for (GLuint i = 0; i < 5; ++i) {
      glVertexAttribPointer(i + 1, felder[i].elemente, GL_FLOAT, GL_FALSE, 60, reinterpret_cast<void*>(felder[i].versatz));
      glVertexAttribDivisor(i + 1, 1);
      glEnableVertexAttribArray(i + 1);
    }
  }
  void BaueZiel() {
    GLuint farbe = 0;
    glGenRenderbuffers(1, &farbe);
    glBindRenderbuffer(GL_RENDERBUFFER, farbe);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, ZIEL_B, ZIEL_H);
    glGenFramebuffers(1, &ziel);
    glBindFramebuffer(GL_FRAMEBUFFER, ziel);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, farbe);
    glViewport(0, 0, ZIEL_B, ZIEL_H);
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
  }

  GLFWwindow* fenster = nullptr;
  GLuint programm = 0, textur = 0, vao = 0, instanzen = 0, ziel = 0;
};

std::unique_ptr<Basis> g_basis;

void LeseEinPixel() {
  uint8_t pixel[4];
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  benchmark::DoNotOptimize(pixel);
}

// Pixels of 32-bit BGRA or RGBA words that are not black: both sides must cover the same.
double Gedeckt(const uint8_t* pixel, uint64_t anzahl, uint64_t abstand) {
  uint64_t gedeckt = 0;
  for (uint64_t i = 0; i < anzahl; ++i) gedeckt += (pixel[i * abstand] | pixel[i * abstand + 1] | pixel[i * abstand + 2]) != 0;
  return double(gedeckt);
}

void Zaehler(benchmark::State& state, double abgabeSekunden, double gedeckt) {
  const double sprites = double(state.iterations()) * double(state.range(0));
  state.counters["sprites/s"] = benchmark::Counter(sprites, benchmark::Counter::kIsRate);
  state.counters["abgabe_ns/sprite"] = abgabeSekunden * 1e9 / sprites;
  state.counters["gedeckt"] = gedeckt;
}

void EngineSprites(benchmark::State& state) {
  Engine& engine = DieEngine();
  if (!engine.atlas) {
    state.SkipWithError("no screen (DISPLAY?)");
    return;
  }
  const uint64_t n = uint64_t(state.range(0));
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  const float schwarz[4] = {0, 0, 0, 1};
  double abgabe = 0;
  for (auto _ : state) {
    kontext->Leeren(1, schwarz);
    const Uhr::time_point start = Uhr::now();
    for (uint64_t i = 0; i < n; ++i) engine.atlas->AddSprite(i % EINTRAEGE, Position(i), FARBE, 0, 0, Winkel(i));
    engine.atlas->Zeichne();
    abgabe += std::chrono::duration<double>(Uhr::now() - start).count();
    LeseEinPixel();
  }
  Zarvo_Bild bild(ZIEL_B, ZIEL_H, PXFMT_A8R8G8B8, 1);
  kontext->LiesBildschirmInhalt(bild);
  Zaehler(state, abgabe, Gedeckt(bild.Pixel(), uint64_t(ZIEL_B) * ZIEL_H, 4));
}

void GlslInstanziert(benchmark::State& state) {
  Engine& engine = DieEngine();
  if (!engine.atlas) {
    state.SkipWithError("no screen (DISPLAY?)");
    return;
  }
  if (!g_basis) g_basis = std::make_unique<Basis>();
  Basis& basis = *g_basis;
  if (basis.fenster == nullptr) {
    state.SkipWithError("no second window");
    return;
  }
  glfwMakeContextCurrent(basis.fenster);
  const uint64_t n = uint64_t(state.range(0));
  std::vector<Zarvo_SpriteInstanz> daten;
  daten.reserve(n);
  double abgabe = 0;
  for (auto _ : state) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const Uhr::time_point start = Uhr::now();
    daten.clear();
    for (uint64_t i = 0; i < n; ++i) {
      const Zarvo_GfxAtlas::Eintrag& e = *engine.atlas->GibEintrag(i % EINTRAEGE);
      const BVektor3<float> p = Position(i);
      daten.push_back({p.x, p.y, p.z, float(e.w), float(e.h), float(e.x), float(e.y), float(e.w), float(e.h), FARBE.r, FARBE.g,
                       FARBE.b, FARBE.a, Winkel(i), 0});
    }
    const GLsizeiptr bytes = GLsizeiptr(daten.size() * sizeof(Zarvo_SpriteInstanz));
    glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW);  // orphaned
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, daten.data());
    glDrawElementsInstanced(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr, GLsizei(n));
    abgabe += std::chrono::duration<double>(Uhr::now() - start).count();
    LeseEinPixel();
  }
  std::vector<uint8_t> pixel(size_t(ZIEL_B) * ZIEL_H * 4);
  glReadPixels(0, 0, ZIEL_B, ZIEL_H, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
  Zaehler(state, abgabe, Gedeckt(pixel.data(), uint64_t(ZIEL_B) * ZIEL_H, 4));
  engine.MachAktuell();
}

}  // namespace

BENCHMARK(EngineSprites)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(GlslInstanziert)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv) {
  const char* threads = std::getenv("LP_NUM_THREADS");
  benchmark::AddCustomContext("LP_NUM_THREADS", threads ? threads : "(unset)");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_basis.reset();
  g_engine.reset();
  return 0;
}

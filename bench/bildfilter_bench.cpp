// The shipped bloom chain through the engine against the same passes in hand-written GLSL 330,
// both under the virtual display (Xvfb, llvmpipe): per iteration the chain from a 1280 x 720
// RGBA16F image into a 1280 x 720 A8R8G8B8 target and a 1-pixel read-back of the target, for
// bloom alone and for bloom with pause. The baseline runs in a hidden window of its own with
// the same formats, sizes, sampling and read-back. Also the first frame after pause is added to
// the set (its images re-created) against a steady frame.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "FilterVerwaltung.h"
#include "Plattform/d3d9/d3d9.h"
#include "TBereich.h"
#include "VerstecktesFenster.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

constexpr uint32_t B = 1280, H = 720;
using Uhr = std::chrono::steady_clock;

// The source: 0.3 grey, an 8 x 8 square of 4.0 and a few patches, as halves R, G, B, A.
std::vector<uint16_t> QuellPixel() {
  std::vector<uint16_t> pixel(size_t(B) * H * 4);
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < B; ++x) {
      float v = 0.3f;
      if (x >= 896 && x < 904 && y >= 200 && y < 208) v = 4.0f;
      if (x >= 200 && x < 232 && y >= 200 && y < 232) v = 0.5f;
      if (x >= 1000 && x < 1032 && y >= 500 && y < 532) v = 0.9f;
      uint16_t* p = &pixel[(size_t(y) * B + x) * 4];
      p[0] = p[1] = p[2] = FloatZuHalb(v);
      p[3] = FloatZuHalb(1.0f);
    }
  return pixel;
}

// Reads one pixel of the framebuffer drawn last, which waits for the frame.
void LeseEinPixel() {
  GLint zeichnen = 0, lesen = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &zeichnen);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &lesen);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(zeichnen));
  uint8_t pixel[4];
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  benchmark::DoNotOptimize(pixel);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(lesen));
}

// The screen on the OpenGL device, the shipped effects, the source texture and the target.
struct Engine {
  Engine() {
    d3d9::WaehleGl33Backend();
    g_Vollbild.SetzeBool(false);
    if (!Zarvo_Screen3D::Init(0, 0, {B, H, 0, 0}, 0)) return;
    kontext = Zarvo_Screen3D::GibZeichenKontext();
    verwaltung = std::make_unique<FilterVerwaltung>(MORVELUNT_DATEN_ZIEL);
    bloom = verwaltung->GibEffekt("bloom");
    pause = verwaltung->GibEffekt("pause");
    Zarvo_Bild bild(B, H, PXFMT_A16B16G16R16F, 1);
    const std::vector<uint16_t> pixel = QuellPixel();
    for (uint32_t y = 0; y < H; ++y) std::memcpy(bild.Pixel() + y * bild.Zeilenbytes(), &pixel[size_t(y) * B * 4], size_t(B) * 8);
    quelle = kontext->ErzeugeTextur(0, 0, 1, PXFMT_A16B16G16R16F, Zarvo_TexturVorgabe(bild, 0));
    zielTextur = kontext->ErzeugeTextur(B, H, 1, PXFMT_A8R8G8B8 | Zarvo_BasisObjekt::FLAG_FLUECHTIG | Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
    ziel = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(zielTextur, nullptr));
  }
  ~Engine() {
    if (kontext == nullptr) return;
    for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{ziel, zielTextur, quelle}) kontext->GibFrei(o);
    verwaltung.reset();
    Zarvo_Screen3D::Schliessen();
  }
  bool Bereit() const { return bloom && pause; }
  void MachAktuell() const { glfwMakeContextCurrent(static_cast<GLFWwindow*>(Zarvo_Screen3D::Zustand().fenster)); }
  void Frame(FilterSatz& satz) {
    verwaltung->WendeFilterAn(satz, quelle, {ziel, 0, 0, B, H});
    LeseEinPixel();
  }

  Zarvo_ZeichenKontext* kontext = nullptr;
  std::unique_ptr<FilterVerwaltung> verwaltung;
  const FilterEffekt* bloom = nullptr;
  const FilterEffekt* pause = nullptr;
  Zarvo_Textur* quelle = nullptr;
  Zarvo_Textur* zielTextur = nullptr;
  Zarvo_Renderziel* ziel = nullptr;
};

std::unique_ptr<Engine> g_engine;
Engine& DieEngine() {
  if (!g_engine) g_engine = std::make_unique<Engine>();
  return *g_engine;
}

// ---- the baseline: the same passes by hand ----

const char* const VS = R"(#version 330 core
layout(location = 0) in vec4 ePos;
layout(location = 1) in vec2 eTex;
out vec2 aTex;
void main() {
  gl_Position = ePos;
  aTex = eTex;
}
)";
const char* const PS_HELL = R"(#version 330 core
uniform sampler2D sQuelle;
uniform vec4 gQuelleInfo;
in vec2 aTex;
out vec4 farbe;
void main() {
  vec2 t = aTex * gQuelleInfo.xy;
  vec2 d = gQuelleInfo.zw;
  vec4 c = texture(sQuelle, t + vec2(-1.0, -1.0) * d) + texture(sQuelle, t + vec2(1.0, -1.0) * d)
         + texture(sQuelle, t + vec2(-1.0, 1.0) * d) + texture(sQuelle, t + vec2(1.0, 1.0) * d);
  farbe = vec4(max(c.rgb * 0.25 - 1.0, 0.0), 1.0);
}
)";
const char* const PS_WEICH = R"(#version 330 core
uniform sampler2D sHell;
uniform vec4 gHellInfo;
in vec2 aTex;
out vec4 farbe;
const float VERSATZ[5] = float[](-3.1111111, -1.3333333, 0.0, 1.3333333, 3.1111111);
const float GEWICHT[5] = float[](0.03515625, 0.328125, 0.2734375, 0.328125, 0.03515625);
void main() {
  vec2 t = aTex * gHellInfo.xy;
  vec3 summe = vec3(0.0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      summe += GEWICHT[x] * GEWICHT[y] * texture(sHell, t + vec2(VERSATZ[x], VERSATZ[y]) * gHellInfo.zw).rgb;
  farbe = vec4(summe, 1.0);
}
)";
const char* const PS_ZUSAMMEN = R"(#version 330 core
uniform sampler2D sQuelle;
uniform sampler2D sWeich;
uniform vec4 gQuelleInfo;
uniform vec4 gWeichInfo;
uniform vec4 gVignette;
in vec2 aTex;
out vec4 farbe;
vec3 Tonwerte(vec3 c) {
  vec3 oben = 1.0 - 0.16 / max(c - 0.2, vec3(0.4));
  return mix(c, oben, step(vec3(0.6), c));
}
void main() {
  vec3 bild = texture(sQuelle, aTex * gQuelleInfo.xy).rgb;
  vec3 glanz = texture(sWeich, aTex * gWeichInfo.xy).rgb;
  vec3 c = Tonwerte(max(bild + glanz, vec3(0.0)));
  float v = smoothstep(gVignette.a, gVignette.a + 1.0, length(aTex * 2.0 - 1.0));
  farbe = vec4(mix(c, gVignette.rgb, v), 1.0);
}
)";
const char* const PS_GRAU = R"(#version 330 core
uniform sampler2D sQuelle;
uniform vec4 gQuelleInfo;
uniform vec4 gStaerke;
in vec2 aTex;
out vec4 farbe;
void main() {
  vec4 c = texture(sQuelle, aTex * gQuelleInfo.xy);
  float grau = 0.6 * dot(c.rgb, vec3(0.299, 0.587, 0.114));
  farbe = vec4(mix(c.rgb, vec3(grau), clamp(gStaerke.x, 0.0, 1.0)), c.a);
}
)";

struct Basis {
  struct Durchgang {
    GLuint programm = 0, ziel = 0;
    GLsizei w = 0, h = 0;
    std::vector<std::pair<GLuint, GLuint>> eingaben;  // texture, sampler per unit
  };

  Basis() {
    fenster = ErzeugeVerstecktesFenster("basis");
    if (fenster == nullptr) return;
    BaueQuad();
    glGenSamplers(2, sampler);
    for (int i = 0; i < 2; ++i) {
      glSamplerParameteri(sampler[i], GL_TEXTURE_MIN_FILTER, i ? GL_LINEAR : GL_NEAREST);
      glSamplerParameteri(sampler[i], GL_TEXTURE_MAG_FILTER, i ? GL_LINEAR : GL_NEAREST);
      glSamplerParameteri(sampler[i], GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glSamplerParameteri(sampler[i], GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    const std::vector<uint16_t> pixel = QuellPixel();
    quelle = Textur(GL_RGBA16F, B, H, GL_HALF_FLOAT, pixel.data());
    const GLuint hell = Textur(GL_RGBA16F, B / 4, H / 4, GL_HALF_FLOAT, nullptr);
    const GLuint weich = Textur(GL_RGBA16F, B / 4, H / 4, GL_HALF_FLOAT, nullptr);
    const GLuint zwischen = Textur(GL_RGBA8, B, H, GL_UNSIGNED_BYTE, nullptr);
    const GLuint aus = Textur(GL_RGBA8, B, H, GL_UNSIGNED_BYTE, nullptr);
    const GLuint linear = sampler[1], punkt = sampler[0];
    const float quellInfo[4] = {1, 1, 1.0f / B, 1.0f / H}, viertelInfo[4] = {1, 1, 4.0f / B, 4.0f / H};
    hellDurchgang = Baue(PS_HELL, hell, B / 4, H / 4, {{quelle, linear}}, {{"gQuelleInfo", quellInfo}});
    weichDurchgang = Baue(PS_WEICH, weich, B / 4, H / 4, {{hell, linear}}, {{"gHellInfo", viertelInfo}});
    const float vignette[4] = {0, 0, 0, 0.7f}, staerke[4] = {0.5f, 0, 0, 0};
    for (int mitPause = 0; mitPause < 2; ++mitPause)
      zusammen[mitPause] = Baue(PS_ZUSAMMEN, mitPause ? zwischen : aus, B, H, {{quelle, punkt}, {weich, linear}},
                                {{"gQuelleInfo", quellInfo}, {"gWeichInfo", viertelInfo}, {"gVignette", vignette}});
    grau = Baue(PS_GRAU, aus, B, H, {{zwischen, punkt}}, {{"gQuelleInfo", quellInfo}, {"gStaerke", staerke}});
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    DieEngine().MachAktuell();
  }
  ~Basis() {
    if (fenster) glfwDestroyWindow(fenster);
  }

  void BaueQuad() {
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    GLuint puffer[2];
    glGenBuffers(2, puffer);
    const float vertices[4][6] = {{-1, -1, 0.1f, 1, 0, 0}, {1, -1, 0.1f, 1, 1, 0}, {-1, 1, 0.1f, 1, 0, 1}, {1, 1, 0.1f, 1, 1, 1}};
    glBindBuffer(GL_ARRAY_BUFFER, puffer[0]);
    glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 24, nullptr);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<void*>(16));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    const uint16_t indizes[6] = {0, 1, 2, 1, 3, 2};
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, puffer[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indizes, indizes, GL_STATIC_DRAW);
  }
  static GLuint Textur(GLenum intern, GLsizei w, GLsizei h, GLenum typ, const void* daten) {
    GLuint t = 0;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(intern), w, h, 0, GL_RGBA, typ, daten);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    return t;
  }
  static GLuint Stufe(GLenum art, const char* quelle) {
    const GLuint s = glCreateShader(art);
    glShaderSource(s, 1, &quelle, nullptr);
    glCompileShader(s);
    return s;
  }
  Durchgang Baue(const char* ps, GLuint ausgabe, GLsizei w, GLsizei h, std::vector<std::pair<GLuint, GLuint>> eingaben,
                 std::vector<std::pair<const char*, const float*>> konstanten) {
    Durchgang d;
    d.programm = glCreateProgram();
    glAttachShader(d.programm, Stufe(GL_VERTEX_SHADER, VS));
    glAttachShader(d.programm, Stufe(GL_FRAGMENT_SHADER, ps));
    glLinkProgram(d.programm);
    GLint gelinkt = 0;
    glGetProgramiv(d.programm, GL_LINK_STATUS, &gelinkt);
    ok = ok && gelinkt;
    glUseProgram(d.programm);
    const char* samplerNamen[] = {"sQuelle", "sHell", "sWeich"};
    for (const char* name : samplerNamen) {
      const GLint ort = glGetUniformLocation(d.programm, name);
      if (ort < 0) continue;
      glUniform1i(ort, name == std::string("sWeich") ? 1 : 0);
    }
    for (const auto& [name, wert] : konstanten) glUniform4fv(glGetUniformLocation(d.programm, name), 1, wert);
    glGenFramebuffers(1, &d.ziel);
    glBindFramebuffer(GL_FRAMEBUFFER, d.ziel);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, ausgabe, 0);
    ok = ok && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    d.w = w;
    d.h = h;
    d.eingaben = std::move(eingaben);
    return d;
  }
  static void Zeichne(const Durchgang& d) {
    glBindFramebuffer(GL_FRAMEBUFFER, d.ziel);
    glViewport(0, 0, d.w, d.h);
    glUseProgram(d.programm);
    for (size_t i = 0; i < d.eingaben.size(); ++i) {
      glActiveTexture(GLenum(GL_TEXTURE0 + i));
      glBindTexture(GL_TEXTURE_2D, d.eingaben[i].first);
      glBindSampler(GLuint(i), d.eingaben[i].second);
    }
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
  }
  void Frame(bool mitPause) const {
    Zeichne(hellDurchgang);
    Zeichne(weichDurchgang);
    Zeichne(zusammen[mitPause]);
    if (mitPause) Zeichne(grau);
    LeseEinPixel();
  }

  GLFWwindow* fenster = nullptr;
  bool ok = true;
  GLuint vao = 0, quelle = 0, sampler[2] = {};
  Durchgang hellDurchgang, weichDurchgang, zusammen[2], grau;
};

std::unique_ptr<Basis> g_basis;

bool EngineBereit(benchmark::State& state) {
  if (!DieEngine().Bereit()) {
    state.SkipWithError("no screen (DISPLAY?) or no shipped effects");
    return false;
  }
  return true;
}

void EngineBloom(benchmark::State& state) {
  if (!EngineBereit(state)) return;
  Engine& e = DieEngine();
  FilterSatz satz;
  satz.AddFilter(-3, e.bloom);
  if (state.range(0)) {
    satz.AddFilter(0, e.pause);
    satz.SetParameter("staerke", 0.5f, 0, 0, 0);
  }
  e.Frame(satz);  // the images exist before timing
  for (auto _ : state) e.Frame(satz);
}

void GlslBloom(benchmark::State& state) {
  if (!EngineBereit(state)) return;
  if (!g_basis) g_basis = std::make_unique<Basis>();
  if (g_basis->fenster == nullptr || !g_basis->ok) {
    state.SkipWithError("no second window or the baseline did not build");
    return;
  }
  glfwMakeContextCurrent(g_basis->fenster);
  for (auto _ : state) g_basis->Frame(state.range(0) != 0);
  DieEngine().MachAktuell();
}

// The frame right after pause joins the set: the chain recomputed, every image created again.
void EnginePauseErsterFrame(benchmark::State& state) {
  if (!EngineBereit(state)) return;
  Engine& e = DieEngine();
  FilterSatz satz;
  satz.AddFilter(-3, e.bloom);
  e.Frame(satz);
  for (auto _ : state) {
    const Uhr::time_point start = Uhr::now();
    satz.AddFilter(0, e.pause);
    e.Frame(satz);
    state.SetIterationTime(std::chrono::duration<double>(Uhr::now() - start).count());
    satz.EntferneFilter(0);
  }
}

}  // namespace

BENCHMARK(EngineBloom)->ArgName("pause")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(GlslBloom)->ArgName("pause")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EnginePauseErsterFrame)->Unit(benchmark::kMillisecond)->UseManualTime();

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

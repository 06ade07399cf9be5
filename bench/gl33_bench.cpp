// The OpenGL device under the virtual display: draws per second of a small textured triangle
// through the layer against a raw-GL loop doing the same GL work, Present at 1600 x 900 against a
// bare glfwSwapBuffers, and a 24-register constant upload per draw. Needs DISPLAY (Xvfb).
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "Plattform/d3d9/d3d9.h"
#include "Plattform/d3d9/gl33/Gl33.h"
#include "Plattform/d3d9/shadercode.h"

using namespace d3d9;

namespace {

constexpr int BATCH = 100;  // draws between two glFinish

const char* const VS = R"(#version 330 core
layout(std140) uniform VertexRegister { vec4 c[256]; };
in vec4 a_POSITION0;
in vec4 a_TEXCOORD0;
out vec4 v_TEXCOORD0;
void main() { gl_Position = a_POSITION0 + vec4(c[0].xy, 0.0, 0.0); v_TEXCOORD0 = a_TEXCOORD0; }
)";
const char* const PS = R"(#version 330 core
uniform sampler2D s0;
in vec4 v_TEXCOORD0;
layout(location = 0) out vec4 farbe;
void main() { farbe = texture(s0, v_TEXCOORD0.xy); }
)";
const float VERTICES[3][8] = {{-0.1f, 0.1f, 0.5f, 1, 0, 0, 0, 1}, {0.1f, 0.1f, 0.5f, 1, 1, 0, 0, 1}, {-0.1f, -0.1f, 0.5f, 1, 0, 1, 0, 1}};

std::vector<DWORD> Code(ShaderStufe stufe, const char* quelle) {
  ShaderCode c;
  c.stufe = stufe;
  c.quelle = quelle;
  if (stufe == ShaderStufe::Vertex) {
    c.registerBlock = "VertexRegister";
    c.registerBlockBytes = 4096;
    c.eingaben = {{"a_POSITION0", D3DDECLUSAGE_POSITION, 0}, {"a_TEXCOORD0", D3DDECLUSAGE_TEXCOORD, 0}};
  } else {
    c.sampler = {{"s0", 0}};
  }
  return Kodiere(c);
}

// The window, the device with a small textured triangle bound, and the same objects in raw GL.
struct Umgebung {
  Umgebung() {
    if (!glfwInit()) return;
    gl33::SetzeFensterHinweise();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    fenster = glfwCreateWindow(1600, 900, "bench", nullptr, nullptr);
    glfwMakeContextCurrent(fenster);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = 1600;
    p.BackBufferHeight = 900;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = 1;
    p.EnableAutoDepthStencil = 1;
    p.AutoDepthStencilFormat = D3DFMT_D24X8;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, fenster, 82, &p, &geraet))) return;
    geraet->CreateVertexShader(Code(ShaderStufe::Vertex, VS).data(), &vs);
    geraet->CreatePixelShader(Code(ShaderStufe::Pixel, PS).data(), &ps);
    const D3DVERTEXELEMENT9 e[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0}, {0, 16, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 0}, D3DDECL_END()};
    geraet->CreateVertexDeclaration(e, &dekl);
    geraet->CreateVertexBuffer(sizeof VERTICES, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb, nullptr);
    geraet->CreateIndexBuffer(6, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr);
    geraet->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &textur, nullptr);
    void* d = nullptr;
    vb->Lock(0, 0, &d, 0);
    std::memcpy(d, VERTICES, sizeof VERTICES);
    vb->Unlock();
    const uint16_t idx[3] = {0, 1, 2};
    ib->Lock(0, 0, &d, 0);
    std::memcpy(d, idx, sizeof idx);
    ib->Unlock();
    D3DLOCKED_RECT r{};
    textur->LockRect(0, &r, nullptr, 0);
    std::memset(r.pBits, 0x80, size_t(r.Pitch) * 16);
    textur->UnlockRect(0);
    geraet->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    BaueRohGl();
    bereit = vs && ps;
  }
  ~Umgebung() {
    if (!geraet) return;
    geraet->SetTexture(0, nullptr);
    geraet->SetStreamSource(0, nullptr, 0, 0);
    geraet->SetIndices(nullptr);
    geraet->SetVertexDeclaration(nullptr);
    geraet->SetVertexShader(nullptr);
    geraet->SetPixelShader(nullptr);
    for (IUnknown* o : std::initializer_list<IUnknown*>{vs, ps, dekl, vb, ib, textur}) if (o) o->Release();
    geraet->Release();
    d3d->Release();
    glfwDestroyWindow(fenster);
    glfwTerminate();
  }
  void BaueRohGl() {
    const auto stufe = [](GLenum art, const char* q) {
      GLuint s = glCreateShader(art);
      glShaderSource(s, 1, &q, nullptr);
      glCompileShader(s);
      return s;
    };
    programm = glCreateProgram();
    glAttachShader(programm, stufe(GL_VERTEX_SHADER, VS));
    glAttachShader(programm, stufe(GL_FRAGMENT_SHADER, PS));
    glBindAttribLocation(programm, 0, "a_POSITION0");
    glBindAttribLocation(programm, 1, "a_TEXCOORD0");
    glLinkProgram(programm);
    glUniformBlockBinding(programm, glGetUniformBlockIndex(programm, "VertexRegister"), 5);
    glUseProgram(programm);
    glUniform1i(glGetUniformLocation(programm, "s0"), 0);
    glGenVertexArrays(1, &rohVao);
    glBindVertexArray(rohVao);
    GLuint puffer[3];
    glGenBuffers(3, puffer);
    glBindBuffer(GL_ARRAY_BUFFER, puffer[0]);
    glBufferData(GL_ARRAY_BUFFER, sizeof VERTICES, VERTICES, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 32, nullptr);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(16));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    const uint16_t idx[3] = {0, 1, 2};
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, puffer[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof idx, idx, GL_STATIC_DRAW);
    rohUbo = puffer[2];
    glBindBuffer(GL_UNIFORM_BUFFER, rohUbo);
    glBufferData(GL_UNIFORM_BUFFER, 4096, nullptr, GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, 5, rohUbo);
    std::vector<uint32_t> texel(256, 0x80808080u);
    glGenTextures(1, &rohTextur);
    glBindTexture(GL_TEXTURE_2D, rohTextur);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 16, 16, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texel.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenSamplers(1, &rohSampler);
    glSamplerParameteri(rohSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(rohSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glGenFramebuffers(1, &rohFbo);
    GLuint rb[2];
    glGenRenderbuffers(2, rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, 1600, 900);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, 1600, 900);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, rohFbo);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
  }
  // The layer's draw: texture, stream, declaration, shaders bound (redundant after the first), draw.
  void SchichtZeichnen() {
    geraet->SetVertexDeclaration(dekl);
    geraet->SetVertexShader(vs);
    geraet->SetPixelShader(ps);
    geraet->SetStreamSource(0, vb, 0, 32);
    geraet->SetIndices(ib);
    geraet->SetTexture(0, textur);
    geraet->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1);
  }
  // The GL work of one draw done by hand.
  void RohZeichnen() {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, rohFbo);
    glUseProgram(programm);
    glBindVertexArray(rohVao);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, rohTextur);
    glBindSampler(0, rohSampler);
    glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, nullptr);
  }

  bool bereit = false;
  GLFWwindow* fenster = nullptr;
  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* geraet = nullptr;
  IDirect3DVertexShader9* vs = nullptr;
  IDirect3DPixelShader9* ps = nullptr;
  IDirect3DVertexDeclaration9* dekl = nullptr;
  IDirect3DVertexBuffer9* vb = nullptr;
  IDirect3DIndexBuffer9* ib = nullptr;
  IDirect3DTexture9* textur = nullptr;
  GLuint programm = 0, rohVao = 0, rohUbo = 0, rohTextur = 0, rohSampler = 0, rohFbo = 0;
};

Umgebung& U() {
  static Umgebung u;
  return u;
}

bool Pruefe(benchmark::State& state) {
  if (U().bereit) return true;
  state.SkipWithError("no display or no device: run under Xvfb");
  return false;
}

void BM_SchichtDreiecke(benchmark::State& state) {
  if (!Pruefe(state)) return;
  U().geraet->BeginScene();
  for (auto _ : state) {
    for (int i = 0; i < BATCH; ++i) U().SchichtZeichnen();
    glFinish();
  }
  U().geraet->EndScene();
  state.counters["draws_pro_s"] = benchmark::Counter(double(state.iterations() * BATCH), benchmark::Counter::kIsRate);
}

void BM_RohGlDreiecke(benchmark::State& state) {
  if (!Pruefe(state)) return;
  for (auto _ : state) {
    for (int i = 0; i < BATCH; ++i) U().RohZeichnen();
    glFinish();
  }
  state.counters["draws_pro_s"] = benchmark::Counter(double(state.iterations() * BATCH), benchmark::Counter::kIsRate);
}

void BM_SchichtKonstanten24(benchmark::State& state) {
  if (!Pruefe(state)) return;
  float c[24 * 4] = {};
  U().geraet->BeginScene();
  for (auto _ : state) {
    for (int i = 0; i < BATCH; ++i) {
      c[0] = float(i) * 1e-4f;
      U().geraet->SetVertexShaderConstantF(0, c, 24);
      U().SchichtZeichnen();
    }
    glFinish();
  }
  U().geraet->EndScene();
  state.counters["draws_pro_s"] = benchmark::Counter(double(state.iterations() * BATCH), benchmark::Counter::kIsRate);
}

void BM_RohGlKonstanten24(benchmark::State& state) {
  if (!Pruefe(state)) return;
  float c[24 * 4] = {};
  for (auto _ : state) {
    for (int i = 0; i < BATCH; ++i) {
      c[0] = float(i) * 1e-4f;
      glBindBuffer(GL_UNIFORM_BUFFER, U().rohUbo);
      glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof c, c);
      U().RohZeichnen();
    }
    glFinish();
  }
  state.counters["draws_pro_s"] = benchmark::Counter(double(state.iterations() * BATCH), benchmark::Counter::kIsRate);
}

void BM_Present1600x900(benchmark::State& state) {
  if (!Pruefe(state)) return;
  for (auto _ : state) U().geraet->Present(nullptr, nullptr, nullptr, nullptr);
  glFinish();
}

void BM_GlfwSwapBuffers(benchmark::State& state) {
  if (!Pruefe(state)) return;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  for (auto _ : state) glfwSwapBuffers(U().fenster);
  glFinish();
}

BENCHMARK(BM_SchichtDreiecke)->UseRealTime();
BENCHMARK(BM_RohGlDreiecke)->UseRealTime();
BENCHMARK(BM_SchichtKonstanten24)->UseRealTime();
BENCHMARK(BM_RohGlKonstanten24)->UseRealTime();
BENCHMARK(BM_Present1600x900)->UseRealTime();
BENCHMARK(BM_GlfwSwapBuffers)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

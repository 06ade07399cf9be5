// Engine resource writes through the screen's drawing context against raw GL doing the same
// upload in the same run: SchreibeInhalt of the line and particle buffer sizes against
// glBufferData(NULL) + glBufferSubData, InternSchreibeInhalt of 512² and 2048² A8R8G8B8 on both
// write paths against glTexSubImage2D, and LadeModellHoch of 10,000 vertices on the recording
// device against the same buffers filled on it directly and on the OpenGL device against
// glBufferData. Needs DISPLAY (Xvfb); every GL benchmark ends with glFinish.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "Plattform/d3d9/d3d9.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Ressourcen.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_ZeichenKontext.h"

namespace {

enum class Backend { Keins, Null, Gl33 };
Backend g_offen = Backend::Keins;

// The screen, windowed 320 x 240, on the wanted device (reopened when another is open).
Zarvo_ZeichenKontext* Kontext(Backend backend) {
  if (g_offen != backend) {
    Zarvo_Screen3D::Schliessen();
    if (backend == Backend::Null) d3d9::WaehleNullBackend({});
    else d3d9::WaehleGl33Backend();
    g_Vollbild.SetzeBool(false);
    g_offen = Zarvo_Screen3D::Init(0, 0, {320, 240, 0, 0}, 0) ? backend : Backend::Keins;
  }
  return Zarvo_Screen3D::GibZeichenKontext();
}

bool Bereit(benchmark::State& state, Zarvo_ZeichenKontext* kontext) {
  if (kontext) return true;
  state.SkipWithError("no screen (DISPLAY?)");
  return false;
}

void SchreibeInhalt(benchmark::State& state) {
  Zarvo_ZeichenKontext* kontext = Kontext(Backend::Gl33);
  if (!Bereit(state, kontext)) return;
  std::vector<uint8_t> daten(size_t(state.range(0)), 0x5A);
  Zarvo_VertexBuffer* vb = kontext->ErzeugeVertexBuffer(daten.size(), Zarvo_BasisObjekt::FLAG_DYNAMISCH, {});
  for (auto _ : state) {
    vb->SchreibeInhalt({daten.data(), daten.size(), 0});
    glFinish();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
  kontext->GibFrei(vb);
}

void GlBufferSubData(benchmark::State& state) {
  if (!Bereit(state, Kontext(Backend::Gl33))) return;
  std::vector<uint8_t> daten(size_t(state.range(0)), 0x5A);
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
  for (auto _ : state) {
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(daten.size()), nullptr, GL_DYNAMIC_DRAW);
    glBufferSubData(GL_COPY_WRITE_BUFFER, 0, GLsizeiptr(daten.size()), daten.data());
    glFinish();
  }
  glDeleteBuffers(1, &buffer);
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

// range(0) = edge, range(1) = 1 for the dynamic (lock) path, 0 for the static (UpdateSurface) path.
void InternSchreibeInhalt(benchmark::State& state) {
  Zarvo_ZeichenKontext* kontext = Kontext(Backend::Gl33);
  if (!Bereit(state, kontext)) return;
  const uint64_t kante = uint64_t(state.range(0));
  Zarvo_Bild bild(kante, kante, PXFMT_A8R8G8B8, 1);
  const uint32_t flags = PXFMT_A8R8G8B8 | (state.range(1) ? Zarvo_BasisObjekt::FLAG_DYNAMISCH : 0);
  Zarvo_Textur* textur = kontext->ErzeugeTextur(kante, kante, 1, flags, Zarvo_TexturVorgabe(bild, 0));
  TBereich bereich(bild.Pixel(), kante, kante, bild.Zeilenbytes(), PXFMT_A8R8G8B8);
  for (auto _ : state) {
    textur->InternSchreibeInhalt(0, bereich);
    glFinish();
  }
  state.SetBytesProcessed(int64_t(state.iterations() * kante * kante * 4));
  kontext->GibFrei(textur);
}

void GlTexSubImage2D(benchmark::State& state) {
  if (!Bereit(state, Kontext(Backend::Gl33))) return;
  const GLsizei kante = GLsizei(state.range(0));
  std::vector<uint8_t> daten(size_t(kante) * size_t(kante) * 4);
  GLuint textur = 0;
  glGenTextures(1, &textur);
  glBindTexture(GL_TEXTURE_2D, textur);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kante, kante, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (auto _ : state) {
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kante, kante, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, daten.data());
    glFinish();
  }
  glDeleteTextures(1, &textur);
  state.SetBytesProcessed(int64_t(state.iterations()) * kante * kante * 4);
}

constexpr size_t MODELL_VERTICES = 10000;

struct ModellDaten {
  std::vector<Spiel::WeltVertex> vertices;
  std::vector<uint32_t> indizes;
  ModellDaten() {
    for (size_t i = 0; i < MODELL_VERTICES; ++i)
      vertices.push_back({float(i % 100), float(i / 100), float(i % 7), 0.5f, 0.5f, 0xFF808080u});
    for (size_t i = 0; i + 2 < MODELL_VERTICES; ++i) indizes.insert(indizes.end(), {uint32_t(i), uint32_t(i + 1), uint32_t(i + 2)});
  }
  int64_t Bytes() const { return int64_t(vertices.size() * sizeof(Spiel::WeltVertex) + indizes.size() * 4); }
};

void LadeModellHoch(benchmark::State& state, Backend backend) {
  if (!Bereit(state, Kontext(backend))) return;
  static const ModellDaten daten;
  for (auto _ : state) {
    Spiel::Modell modell = Spiel::Ressourcen::LadeModellHoch(daten.vertices, daten.indizes);
    benchmark::DoNotOptimize(modell.vertexBuffer);
    if (backend == Backend::Gl33) glFinish();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * daten.Bytes());
}
void LadeModellHochNull(benchmark::State& state) { LadeModellHoch(state, Backend::Null); }
void LadeModellHochGl33(benchmark::State& state) { LadeModellHoch(state, Backend::Gl33); }

// The same bytes straight to the recording device, without the engine: a vertex and a 32-bit
// index buffer created, locked, filled, unlocked and released.
template <class Buffer, class Erzeuge>
void FuelleNeuenBuffer(Erzeuge erzeuge, const void* daten, size_t bytes) {
  Buffer* buffer = nullptr;
  if (d3d9::FAILED(erzeuge(&buffer))) return;
  void* ziel = nullptr;
  if (d3d9::SUCCEEDED(buffer->Lock(0, 0, &ziel, 0))) {
    std::memcpy(ziel, daten, bytes);
    buffer->Unlock();
  }
  buffer->Release();
}

void NullGeraetModell(benchmark::State& state) {
  Zarvo_ZeichenKontext* kontext = Kontext(Backend::Null);
  if (!Bereit(state, kontext)) return;
  static const ModellDaten daten;
  d3d9::IDirect3DDevice9* geraet = kontext->impl.geraet;
  const d3d9::UINT vertexBytes = d3d9::UINT(daten.vertices.size() * sizeof(Spiel::WeltVertex));
  const d3d9::UINT indexBytes = d3d9::UINT(daten.indizes.size() * 4);
  for (auto _ : state) {
    FuelleNeuenBuffer<d3d9::IDirect3DVertexBuffer9>(
        [&](d3d9::IDirect3DVertexBuffer9** b) { return geraet->CreateVertexBuffer(vertexBytes, d3d9::D3DUSAGE_WRITEONLY, 0, d3d9::D3DPOOL_DEFAULT, b, nullptr); },
        daten.vertices.data(), vertexBytes);
    FuelleNeuenBuffer<d3d9::IDirect3DIndexBuffer9>(
        [&](d3d9::IDirect3DIndexBuffer9** b) {
          return geraet->CreateIndexBuffer(indexBytes, d3d9::D3DUSAGE_WRITEONLY, d3d9::D3DFMT_INDEX32, d3d9::D3DPOOL_DEFAULT, b, nullptr);
        },
        daten.indizes.data(), indexBytes);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * daten.Bytes());
}

// The same bytes as two new static GL buffers.
void GlBufferDataModell(benchmark::State& state) {
  if (!Bereit(state, Kontext(Backend::Gl33))) return;
  static const ModellDaten daten;
  for (auto _ : state) {
    GLuint buffer[2] = {};
    glGenBuffers(2, buffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer[0]);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(daten.vertices.size() * sizeof(Spiel::WeltVertex)), daten.vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer[1]);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(daten.indizes.size() * 4), daten.indizes.data(), GL_STATIC_DRAW);
    glDeleteBuffers(2, buffer);
    glFinish();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * daten.Bytes());
}

}  // namespace

BENCHMARK(SchreibeInhalt)->Arg(0x16000)->Arg(0xC0000);
BENCHMARK(GlBufferSubData)->Arg(0x16000)->Arg(0xC0000);
BENCHMARK(InternSchreibeInhalt)->Args({512, 1})->Args({512, 0})->Args({2048, 1})->Args({2048, 0});
BENCHMARK(GlTexSubImage2D)->Arg(512)->Arg(2048);
BENCHMARK(LadeModellHochNull);
BENCHMARK(NullGeraetModell);
BENCHMARK(LadeModellHochGl33);
BENCHMARK(GlBufferDataModell);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Zarvo_Screen3D::Schliessen();
  return 0;
}

// The drawing context on the recording device: a frame of 1000 draws with every state redundant
// or every state changing, and the draw preparation with 0, 1 and 24 dirty registers. Baseline:
// the same device calls sent straight to the device, without caches. Counter "aufrufe": device
// calls per draw.
#include <benchmark/benchmark.h>

#include <memory>

#include "Plattform/d3d9/null/NullGeraet.h"
#include "Zarvo_AlphaZustand.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_Start.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

namespace {

constexpr int DRAWS = 1000;

struct Aufbau {
  Aufbau() {
    bildschirm.breite = 1600;
    bildschirm.hoehe = 900;
    WaehleNullBackend(NullKonfig{});
    kontext = std::make_unique<Zarvo_ZeichenKontext>(bildschirm);
    welt = null::AktuelleWelt();
    geraet = kontext->impl.geraet;
    for (int i = 0; i < 2; ++i) {
      alpha[i] = kontext->ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(0, 2 + i, 4));
      tiefe[i] = kontext->ErzeugeTiefeZustand({1, uint8_t(i), 2});
      Zarvo_SamplerBeschr b{};
      b.filter = i ? 0x15 : 0;
      sampler[i] = kontext->ErzeugeSampler(b);
      geraet->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &textur[i], nullptr);
      geraet->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb[i], nullptr);
    }
    welt->Leere();
  }
  ~Aufbau() {
    kontext->impl.SetStreamQuelle(0, nullptr, 0, 0);
    kontext->impl.LeereTexturStufen();
    for (int i = 0; i < 2; ++i) {
      textur[i]->Release();
      vb[i]->Release();
    }
    kontext.reset();
    WaehleGl33Backend();
  }
  Zarvo_BildschirmZustand bildschirm;
  std::unique_ptr<Zarvo_ZeichenKontext> kontext;
  null::Welt* welt = nullptr;
  IDirect3DDevice9* geraet = nullptr;
  Zarvo_AlphaZustand* alpha[2];
  Zarvo_TiefeZustand* tiefe[2];
  Zarvo_Sampler* sampler[2];
  IDirect3DTexture9* textur[2];
  IDirect3DVertexBuffer9* vb[2];
};

// A frame through the context; `wechsel` alternates every state between two values.
void Kontext(benchmark::State& state, bool wechsel) {
  Aufbau a;
  int64_t frames = 0;
  size_t aufrufe = 0;
  for (auto _ : state) {
    for (int d = 0; d < DRAWS; ++d) {
      const int i = wechsel ? d & 1 : 0;
      a.kontext->SetAlphaZustand(a.alpha[i]);
      a.kontext->SetTiefeZustand(a.tiefe[i]);
      a.kontext->SetRueckseite(uint32_t(i));
      a.kontext->impl.SetTextur(0xFF00, a.sampler[i], a.textur[i]);
      a.kontext->impl.SetStreamQuelle(0, a.vb[i], 96, 24);
      a.kontext->SetProgrammKonstante(0 | 0xFFF << 12, float(wechsel ? d : 0), 0.0f, 0.0f, 1.0f);
      a.kontext->impl.ZeichneIndexElemente(2, 1, 24);
    }
    a.kontext->EndeZeichnen();
    ++frames;
    aufrufe += a.welt->aufrufe.size();
    a.welt->Leere();
  }
  state.counters["aufrufe"] = double(aufrufe) / double(frames * DRAWS);
  state.counters["ns_pro_draw"] = benchmark::Counter(double(frames * DRAWS), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The same device calls as the context would send without any cache.
void Direkt(benchmark::State& state, bool wechsel) {
  Aufbau a;
  int64_t frames = 0;
  size_t aufrufe = 0;
  for (auto _ : state) {
    for (int d = 0; d < DRAWS; ++d) {
      const int i = wechsel ? d & 1 : 0;
      IDirect3DDevice9* g = a.geraet;
      const Zarvo_AlphaZustand& z = *a.alpha[i];
      g->SetRenderState(D3DRS_ALPHABLENDENABLE, z.alphaBlendAktiv);
      g->SetRenderState(D3DRS_BLENDOP, z.blendOperation);
      g->SetRenderState(D3DRS_SRCBLEND, z.quellBlend);
      g->SetRenderState(D3DRS_DESTBLEND, z.zielBlend);
      g->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, z.getrenntesAlpha);
      g->SetRenderState(D3DRS_COLORWRITEENABLE, z.schreibMaske);
      g->SetRenderState(D3DRS_ZENABLE, a.tiefe[i]->zAktiv);
      g->SetRenderState(D3DRS_ZWRITEENABLE, a.tiefe[i]->zSchreibAktiv);
      g->SetRenderState(D3DRS_ZFUNC, a.tiefe[i]->zFunktion);
      g->SetRenderState(D3DRS_CULLMODE, DWORD(i + 1));
      const Zarvo_Sampler& s = *a.sampler[i];
      g->SetTexture(0, a.textur[i]);
      g->SetSamplerState(0, D3DSAMP_ADDRESSU, s.adresseU);
      g->SetSamplerState(0, D3DSAMP_ADDRESSV, s.adresseV);
      g->SetSamplerState(0, D3DSAMP_MINFILTER, s.minFilter);
      g->SetSamplerState(0, D3DSAMP_MAGFILTER, s.magFilter);
      g->SetSamplerState(0, D3DSAMP_MIPFILTER, s.mipFilter);
      g->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, s.maxMipLevel);
      g->SetStreamSource(0, a.vb[i], 0, 24);
      g->SetStreamSourceFreq(0, 1);
      const float c[4] = {float(wechsel ? d : 0), 0.0f, 0.0f, 1.0f};
      g->SetVertexShaderConstantF(0, c, 1);
      if (d == 0) g->BeginScene();
      g->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    }
    a.geraet->EndScene();
    a.geraet->Present(nullptr, nullptr, nullptr, nullptr);
    ++frames;
    aufrufe += a.welt->aufrufe.size();
    a.welt->Leere();
  }
  state.counters["aufrufe"] = double(aufrufe) / double(frames * DRAWS);
  state.counters["ns_pro_draw"] = benchmark::Counter(double(frames * DRAWS), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_KontextRedundant(benchmark::State& s) { Kontext(s, false); }
void BM_KontextWechselnd(benchmark::State& s) { Kontext(s, true); }
void BM_DirektRedundant(benchmark::State& s) { Direkt(s, false); }
void BM_DirektWechselnd(benchmark::State& s) { Direkt(s, true); }

// Draw preparation with n dirty registers (0, 1, 24), against uploading the 24 registers straight.
void BM_Vorbereitung(benchmark::State& state) {
  Aufbau a;
  const uint32_t n = uint32_t(state.range(0));
  float register_[24 * 4] = {};
  for (auto _ : state) {
    if (n) a.kontext->SetProgrammKonstante(0 | 0xFFF << 12, register_, n);
    a.kontext->impl.InternVorZeichenAufruf(0, 1, 0);
    if (a.welt->aufrufe.size() > 4096) a.welt->Leere();
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_VorbereitungDirekt(benchmark::State& state) {
  Aufbau a;
  float register_[24 * 4] = {};
  for (auto _ : state) {
    a.geraet->SetStreamSourceFreq(0, 1);
    a.geraet->SetVertexShaderConstantF(0, register_, 24);
    if (a.welt->aufrufe.size() > 4096) a.welt->Leere();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_KontextRedundant);
BENCHMARK(BM_DirektRedundant);
BENCHMARK(BM_KontextWechselnd);
BENCHMARK(BM_DirektWechselnd);
BENCHMARK(BM_Vorbereitung)->Arg(0)->Arg(1)->Arg(24);
BENCHMARK(BM_VorbereitungDirekt);

}  // namespace

BENCHMARK_MAIN();

// The drawing context on the recording device: construction, setters and their caches, shader
// constants, texture and sampler binding, draw preparation, clearing and reading the screen,
// the leak report and statistics.
#include <cstring>

#include "NullKontext.h"
#include "Zarvo_AlphaZustand.h"
#include "Plattform/d3d9/shadercode.h"
#include "Zarvo_Bild.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_VertexShader.h"

using namespace d3d9;
using Kontext = Zarvo_ZeichenKontext;

namespace {

std::vector<std::pair<uint64_t, uint64_t>> RenderStates(const null::Welt& welt) {
  std::vector<std::pair<uint64_t, uint64_t>> liste;
  for (const null::Aufruf& a : welt.Aufrufe("SetRenderState")) liste.emplace_back(a.argumente[0], a.argumente[1]);
  return liste;
}

bool BeginntMit(const std::string& text, const std::string& anfang) { return text.rfind(anfang, 0) == 0; }

IDirect3DTexture9* GeraeteTextur(null::Geraet* geraet) {
  IDirect3DTexture9* t = nullptr;
  geraet->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr);
  return t;
}

class ZeichenKontextTest : public NullKontextTest {
 protected:
  void SetUp() override {
    NullKontextTest::SetUp();
    Erzeuge();
    welt->Leere();
    kontext->LeereZaehler();
    NeueZeilen();
  }
};

}  // namespace

TEST_F(NullKontextTest, KonstruktionSetztVorgabeZustaende) {
  Erzeuge();
  const std::vector<null::Aufruf> erzeugung = welt->Aufrufe("CreateDevice");
  ASSERT_EQ(erzeugung.size(), 1u);
  EXPECT_EQ(erzeugung[0].argumente[0], 0u);
  EXPECT_EQ(erzeugung[0].argumente[1], uint64_t(D3DDEVTYPE_HAL));
  EXPECT_EQ(erzeugung[0].argumente[3], 82u);
  const std::vector<std::pair<uint64_t, uint64_t>> erwartet = {
      {D3DRS_ALPHABLENDENABLE, 0}, {D3DRS_COLORWRITEENABLE, 15}, {D3DRS_ZENABLE, 0},
      {D3DRS_ZWRITEENABLE, 0},     {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}, {D3DRS_CULLMODE, D3DCULL_NONE}};
  EXPECT_EQ(RenderStates(*welt), erwartet);
  EXPECT_EQ(kontext->zaehler[Kontext::ALPHA_WECHSEL], 1u);
  EXPECT_EQ(kontext->zaehler[Kontext::TIEFE_WECHSEL], 1u);
  EXPECT_EQ(kontext->zaehler[Kontext::RUECKSEITE_WECHSEL], 1u);
  EXPECT_EQ(kontext->faehigkeiten, (std::array<uint64_t, 5>{8192, 8192, 16, 16, 4}));
  EXPECT_STREQ(kontext->impl.vertexProfil, "vs_3_0");
  EXPECT_STREQ(kontext->impl.pixelProfil, "ps_3_0");
  EXPECT_EQ(geraet->parameter.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(geraet->parameter.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_TRUE(geraet->parameter.Windowed);
}

TEST_F(NullKontextTest, KeinAnisotropieFilterGibtNull) {
  NullKonfig konfig;
  konfig.caps.TextureFilterCaps = 0;
  Erzeuge(konfig);
  EXPECT_EQ(kontext->faehigkeiten[3], 0u);
}

TEST_F(NullKontextTest, TiefenFormatFallback) {
  struct Fall {
    std::vector<D3DFORMAT> angenommen;
    D3DFORMAT erwartet;
    const char* zeile;
  };
  const Fall faelle[] = {
      {{D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D16}, D3DFMT_D32, "Zarvo_Screen3D::Init(...): 32Bit-ZBuffer gewählt"},
      {{D3DFMT_D24X8, D3DFMT_D16}, D3DFMT_D24X8, "Zarvo_Screen3D::Init(...): 24Bit-ZBuffer gewählt"},
      {{D3DFMT_D16}, D3DFMT_D16, "Zarvo_Screen3D::Init(...): 16Bit-ZBuffer gewählt"},
  };
  for (const Fall& f : faelle) {
    NullKonfig konfig;
    konfig.tiefenFormate = f.angenommen;
    Erzeuge(konfig);
    ASSERT_TRUE(kontext->HatGeraet());
    EXPECT_EQ(geraet->tiefenFormat, f.erwartet);
    EXPECT_TRUE(log.Enthaelt(f.zeile)) << f.zeile;
    for (const null::Aufruf& a : welt->Aufrufe("CheckDeviceFormat")) {
      EXPECT_EQ(a.argumente[2], uint64_t(D3DFMT_X8R8G8B8));
      EXPECT_EQ(a.argumente[3], uint64_t(D3DUSAGE_DEPTHSTENCIL));
      EXPECT_EQ(a.argumente[4], uint64_t(D3DRTYPE_SURFACE));
    }
    kontext.reset();
  }
}

TEST_F(NullKontextTest, PerfHudAdapterUndReferenzFlag) {
  NullKonfig konfig;
  konfig.adapter = {"Erster", "NVIDIA PerfHUD", "NVIDIA PerfHUD 2"};
  Erzeuge(konfig);
  auto erzeugung = welt->Aufrufe("CreateDevice");
  EXPECT_EQ(erzeugung[0].argumente[0], 1u);
  EXPECT_EQ(erzeugung[0].argumente[1], uint64_t(D3DDEVTYPE_REF));
  EXPECT_TRUE(log.Enthaelt("NVPerfHUD gefunden, benutze PerfHUD-Adapter 1"));
  kontext.reset();

  bildschirm.flags = Zarvo_BildschirmZustand::FLAG_REFERENZ | Zarvo_BildschirmZustand::FLAG_VSYNC;
  Erzeuge();
  erzeugung = welt->Aufrufe("CreateDevice");
  EXPECT_EQ(erzeugung[0].argumente[0], 0u);
  EXPECT_EQ(erzeugung[0].argumente[1], uint64_t(D3DDEVTYPE_REF));
  EXPECT_EQ(geraet->parameter.PresentationInterval, D3DPRESENT_INTERVAL_ONE);
}

TEST_F(NullKontextTest, OhneGeraetKeinGeraeteAufruf) {
  NullKonfig konfig;
  konfig.fehler = {{"CreateDevice", 1, D3DERR_NOTAVAILABLE}};
  Erzeuge(konfig);
  EXPECT_FALSE(kontext->HatGeraet());
  EXPECT_TRUE(log.Enthaelt("!Zarvo_ZeichenKontextImplDX9::Zarvo_ZeichenKontextImplDX9(): Failed to create Direct3D device."));
  bool pruefZeile = false;
  for (const std::string& z : log.zeilen)
    pruefZeile |= BeginntMit(z, "!Ausnahme \"DirectX device creation failed.\" aufgetreten in Funktion "
                                "Zarvo_ZeichenKontextImplDX9::Zarvo_ZeichenKontextImplDX9 (SourceExt\\Zarvoklassen\\Zarvo_ZeichenKontextImplDX9:");
  EXPECT_TRUE(pruefZeile);
  ASSERT_NE(kontext->vorgabeAlpha, nullptr);  // the default states exist all the same
  ASSERT_NE(kontext->vorgabeTiefe, nullptr);
  const size_t aufrufe = welt->aufrufe.size();
  const float farbe[4] = {1, 0, 0, 1};
  kontext->SetRenderZiel(nullptr);
  kontext->SetRueckseite(2);
  kontext->SetRenderBereich(0, 0, 10, 10);
  kontext->Leeren(3, farbe);
  kontext->SetProgrammKonstante(0, 1.0f, 2.0f, 3.0f, 4.0f);
  kontext->impl.InternVorZeichenAufruf(0, 1, 0);
  kontext->EndeZeichnen();
  EXPECT_FALSE(kontext->ReInit());
  kontext->LogStatistik();
  EXPECT_EQ(welt->aufrufe.size(), aufrufe);
  EXPECT_EQ(kontext->rueckseite, 2u);
  EXPECT_EQ(kontext->viewport, (Kontext::Bereich{0, 0, 10, 10}));
}

TEST_F(ZeichenKontextTest, ViewportWirdBegrenzt) {
  kontext->SetRenderZiel(nullptr);
  EXPECT_EQ(kontext->zaehler[Kontext::RENDERZIEL_WECHSEL], 1u);
  kontext->SetRenderZiel(nullptr);  // only the full viewport again, which is in force
  EXPECT_EQ(kontext->zaehler[Kontext::RENDERZIEL_WECHSEL], 1u);
  EXPECT_EQ(welt->Anzahl("SetViewport"), 0);
  EXPECT_EQ(welt->Anzahl("SetRenderTarget"), 0);

  struct Fall {
    uint64_t x, y, b, h;
    Kontext::Bereich erwartet;
  };
  const Fall faelle[] = {
      {790, 10, 100, 100, {790, 10, 10, 100}},
      {0, 0, Kontext::ALLE, Kontext::ALLE, {0, 0, 800, 600}},
      {10, 20, Kontext::ALLE, Kontext::ALLE, {10, 20, 790, 580}},
      {900, 5, 50, 50, {800, 5, 0, 50}},
  };
  for (const Fall& f : faelle) {
    kontext->SetRenderBereich(f.x, f.y, f.b, f.h);
    EXPECT_EQ(kontext->viewport, f.erwartet) << f.x << "," << f.y;
    const null::Aufruf letzter = welt->Aufrufe("SetViewport").back();
    EXPECT_EQ(letzter.argumente[0], f.erwartet.x);
    EXPECT_EQ(letzter.argumente[2], f.erwartet.breite);
    float minZ, maxZ;
    std::memcpy(&minZ, &letzter.argumente[4], 4);
    std::memcpy(&maxZ, &letzter.argumente[5], 4);
    EXPECT_EQ(minZ, 0.0f);
    EXPECT_EQ(maxZ, 1.0f);
  }
  EXPECT_EQ(kontext->zaehler[Kontext::VIEWPORT_WECHSEL], 4u);
  kontext->SetRenderBereich(900, 5, 50, 50);  // same as in force
  EXPECT_EQ(welt->Anzahl("SetViewport"), 4);
  // The empty viewport is refused by the device: a consistency line from the implementation.
  EXPECT_EQ(welt->Aufrufe("SetViewport").back().ergebnis, D3DERR_INVALIDCALL);
  bool zeile = false;
  for (const std::string& z : log.zeilen)
    zeile |= BeginntMit(z, "!Ausnahme \"Failed to set viewport.\" aufgetreten in Funktion Zarvo_ZeichenKontextImplDX9::SetViewport "
                           "(SourceExt\\Zarvoklassen\\Zarvo_ZeichenKontextImplDX9:");
  EXPECT_TRUE(zeile);
}

TEST_F(ZeichenKontextTest, ZustaendeNurBeiAenderung) {
  Zarvo_AlphaZustand* blend = kontext->ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(0, 2, 4));
  kontext->SetAlphaZustand(blend);
  kontext->SetAlphaZustand(blend);
  EXPECT_EQ(kontext->zaehler[Kontext::ALPHA_WECHSEL], 1u);
  const std::vector<std::pair<uint64_t, uint64_t>> blendStates = {
      {D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_BLENDOP, D3DBLENDOP_ADD}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
      {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_SEPARATEALPHABLENDENABLE, 0}};  // mask 15 already in force
  EXPECT_EQ(RenderStates(*welt), blendStates);

  // A direct call of the implementation leaves the outer cache unset, so the next outer set sends.
  welt->Leere();
  kontext->impl.SetAlphaZustand(*kontext->vorgabeAlpha);
  EXPECT_EQ(RenderStates(*welt), (std::vector<std::pair<uint64_t, uint64_t>>{{D3DRS_ALPHABLENDENABLE, 0}}));
  kontext->SetAlphaZustand(blend);
  EXPECT_EQ(kontext->zaehler[Kontext::ALPHA_WECHSEL], 2u);
  EXPECT_EQ(RenderStates(*welt).back(), (std::pair<uint64_t, uint64_t>{D3DRS_ALPHABLENDENABLE, 1}));

  welt->Leere();
  Zarvo_TiefeZustand* tiefe = kontext->ErzeugeTiefeZustand({1, 1, 2});
  kontext->SetTiefeZustand(tiefe);
  kontext->SetTiefeZustand(tiefe);
  EXPECT_EQ(RenderStates(*welt), (std::vector<std::pair<uint64_t, uint64_t>>{{D3DRS_ZENABLE, 1}, {D3DRS_ZWRITEENABLE, 1}}));
  EXPECT_EQ(kontext->zaehler[Kontext::TIEFE_WECHSEL], 1u);

  welt->Leere();
  kontext->SetRueckseite(1);
  kontext->SetRueckseite(1);
  kontext->SetRueckseite(2);
  kontext->SetFuellModus(true);
  kontext->SetFuellModus(true);
  kontext->SetFuellModus(false);
  EXPECT_EQ(RenderStates(*welt), (std::vector<std::pair<uint64_t, uint64_t>>{{D3DRS_CULLMODE, D3DCULL_CW},
                                                                              {D3DRS_CULLMODE, D3DCULL_CCW},
                                                                              {D3DRS_FILLMODE, D3DFILL_WIREFRAME},
                                                                              {D3DRS_FILLMODE, D3DFILL_WIREFRAME},
                                                                              {D3DRS_FILLMODE, D3DFILL_SOLID}}));
  EXPECT_EQ(kontext->zaehler[Kontext::RUECKSEITE_WECHSEL], 2u);
  kontext->GibFrei(blend);
  kontext->GibFrei(tiefe);
}

TEST_F(ZeichenKontextTest, KonstantenHandles) {
  constexpr uint32_t FEHLT = 0xFFF;
  const auto Handle = [](uint32_t v, uint32_t p) { return v | p << 12; };
  kontext->SetProgrammKonstante(Handle(5, FEHLT), 1.0f, 2.0f, 3.0f, 4.0f);
  kontext->SetProgrammKonstante(Handle(FEHLT, 10), 5.0f, 6.0f, 7.0f, 8.0f);
  kontext->SetProgrammKonstante(Handle(255, FEHLT), 9.0f, 9.0f, 9.0f, 9.0f);
  EXPECT_EQ(NeueZeilen().size(), 0u);
  kontext->impl.InternVorZeichenAufruf(0, 1, 0);
  EXPECT_EQ(welt->Aufrufe("SetVertexShaderConstantF")[0].argumente[0], 5u);
  EXPECT_EQ(welt->Aufrufe("SetVertexShaderConstantF")[0].argumente[2], 251u);  // 5..255 in one call
  EXPECT_EQ(welt->Aufrufe("SetPixelShaderConstantF")[0].argumente[0], 10u);
  EXPECT_EQ(welt->Aufrufe("SetPixelShaderConstantF")[0].argumente[2], 1u);
  EXPECT_EQ(geraet->vertexRegister[5 * 4 + 3], 4.0f);
  EXPECT_EQ(geraet->pixelRegister[10 * 4], 5.0f);
  EXPECT_EQ(geraet->pixelRegister[5 * 4 + 3], 0.0f);
  EXPECT_EQ(geraet->vertexRegister[10 * 4], 0.0f);

  // Nothing changed: the next draw uploads nothing.
  welt->Leere();
  kontext->impl.InternVorZeichenAufruf(0, 1, 0);
  EXPECT_EQ(welt->Anzahl("SetVertexShaderConstantF") + welt->Anzahl("SetPixelShaderConstantF"), 0);
  EXPECT_EQ(kontext->zaehler[Kontext::KONSTANTEN_SETS], 3u);
}

TEST_F(ZeichenKontextTest, KonstantenUeberDasEndeWerdenAbgeschnitten) {
  constexpr uint32_t FEHLT = 0xFFF;
  const std::string zeile = "!Ausnahme \"Ungültiger Konstantenindex\" aufgetreten in Funktion Zarvo_ZeichenKontextImplDX9::SetProgrammKonstante";
  kontext->SetProgrammKonstante(256 | FEHLT << 12, 1.0f, 1.0f, 1.0f, 1.0f);
  std::vector<std::string> zeilen = NeueZeilen();
  ASSERT_EQ(zeilen.size(), 1u);
  EXPECT_TRUE(BeginntMit(zeilen[0], zeile));

  float licht[24 * 4];
  for (int i = 0; i < 24 * 4; ++i) licht[i] = float(i + 1);
  kontext->SetProgrammKonstante(240 | FEHLT << 12, licht, 24);
  kontext->SetProgrammKonstante(FEHLT | 220 << 12, licht, 8);
  EXPECT_EQ(NeueZeilen().size(), 2u);
  // The vertex overflow left the pixel shadow alone; the pixel copy stayed inside its block.
  for (uint32_t r = 0; r < 220; ++r)
    for (int k = 0; k < 4; ++k) ASSERT_EQ(kontext->impl.konstanten[256 + r][k], 0.0f) << r;
  EXPECT_EQ(kontext->impl.konstanten[256 + 223][3], 16.0f);
  EXPECT_EQ(kontext->impl.konstanten[255][3], 64.0f);
  kontext->impl.InternVorZeichenAufruf(0, 1, 0);
  const null::Aufruf v = welt->Aufrufe("SetVertexShaderConstantF").back();
  EXPECT_EQ(v.argumente[0], 240u);
  EXPECT_EQ(v.argumente[2], 16u);
  EXPECT_EQ(v.ergebnis, D3D_OK);
  const null::Aufruf p = welt->Aufrufe("SetPixelShaderConstantF").back();
  EXPECT_EQ(p.argumente[0], 220u);
  EXPECT_EQ(p.argumente[2], 4u);
  EXPECT_EQ(p.ergebnis, D3D_OK);
}

TEST_F(ZeichenKontextTest, KonstantenFormen) {
  const float m[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};  // row-major
  kontext->SetProgrammKonstante(0 | 0xFFF << 12, m);
  kontext->SetProgrammKonstante(4 | 0xFFF << 12, 1.0f, 2.0f, 3.0f);
  kontext->SetProgrammKonstante(5 | 0xFFF << 12, 1.0f, 2.0f);
  kontext->SetProgrammKonstante(6 | 0 << 12, 7.0f, 7.0f, 7.0f, 7.0f);  // both stages
  kontext->impl.InternVorZeichenAufruf(0, 1, 0);
  const float erwartet[] = {1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16, 1, 2, 3, 0, 1, 2, 0, 1, 7, 7, 7, 7};
  for (size_t i = 0; i < std::size(erwartet); ++i) EXPECT_EQ(geraet->vertexRegister[i], erwartet[i]) << i;
  EXPECT_EQ(geraet->pixelRegister[0], 7.0f);
  EXPECT_EQ(kontext->zaehler[Kontext::KONSTANTEN_SETS], 4u);
}

TEST_F(ZeichenKontextTest, SamplerHandlesUndZustaende) {
  IDirect3DTexture9* t = GeraeteTextur(geraet);
  Zarvo_SamplerBeschr b{};
  b.adresse = 0;
  Zarvo_Sampler* s = kontext->ErzeugeSampler(b);
  kontext->impl.SetTextur(0xFF03, s, t);  // pixel 3 only
  kontext->impl.SetTextur(0x01FF, s, t);  // vertex 1 only
  kontext->impl.SetTextur(65535, s, t);   // nothing
  const std::vector<null::Aufruf> texturen = welt->Aufrufe("SetTexture");
  ASSERT_EQ(texturen.size(), 2u);
  EXPECT_EQ(texturen[0].argumente[0], 3u);
  EXPECT_EQ(texturen[1].argumente[0], 258u);
  // Address U, V; three filters; max mip level: no border colour, no anisotropy.
  EXPECT_EQ(welt->Anzahl("SetSamplerState"), 2 * 6);
  for (const null::Aufruf& a : welt->Aufrufe("SetSamplerState")) {
    EXPECT_NE(a.argumente[1], uint64_t(D3DSAMP_BORDERCOLOR));
    EXPECT_NE(a.argumente[1], uint64_t(D3DSAMP_MAXANISOTROPY));
  }

  // Same keys from another object: nothing; a border: address and colour; anisotropic: filters and anisotropy.
  welt->Leere();
  Zarvo_Sampler* gleich = kontext->ErzeugeSampler(b);
  kontext->impl.SetTextur(0xFF03, gleich, t);
  EXPECT_EQ(welt->aufrufe.size(), 0u);
  b.adresse = 2 | 2 << 2;
  b.randFarbe[0] = 1.0f;
  Zarvo_Sampler* rand = kontext->ErzeugeSampler(b);
  kontext->impl.SetTextur(0xFF03, rand, t);
  const std::vector<null::Aufruf> randAufrufe = welt->Aufrufe("SetSamplerState");
  ASSERT_EQ(randAufrufe.size(), 3u);
  EXPECT_EQ(randAufrufe[2].argumente[1], uint64_t(D3DSAMP_BORDERCOLOR));
  EXPECT_EQ(randAufrufe[2].argumente[2], 0x00FF0000u);
  welt->Leere();
  b.filter = Zarvo_Sampler::FILTER_ANISOTROP;
  b.maxAnisotropie = 8;
  Zarvo_Sampler* aniso = kontext->ErzeugeSampler(b);
  kontext->impl.SetTextur(0xFF03, aniso, t);
  const std::vector<null::Aufruf> anisoAufrufe = welt->Aufrufe("SetSamplerState");
  ASSERT_EQ(anisoAufrufe.size(), 4u);
  EXPECT_EQ(anisoAufrufe[3].argumente[1], uint64_t(D3DSAMP_MAXANISOTROPY));
  EXPECT_EQ(geraet->samplerStates[3][D3DSAMP_MINFILTER], uint32_t(D3DTEXF_ANISOTROPIC));
  // Without a texture only the binding changes.
  welt->Leere();
  kontext->impl.SetTextur(0xFF03, s, static_cast<d3d9::IDirect3DBaseTexture9*>(nullptr));
  EXPECT_EQ(welt->Anzahl("SetTexture"), 1);
  EXPECT_EQ(welt->Anzahl("SetSamplerState"), 0);
  kontext->impl.SetTextur(0xFF10, s, t);  // no pixel stage 16: nothing
  EXPECT_EQ(welt->Anzahl("SetTexture"), 1);
  t->Release();
}

TEST_F(ZeichenKontextTest, TexturStufenLeeren) {
  IDirect3DTexture9* t = GeraeteTextur(geraet);
  kontext->impl.SetTextur(0xFF00, nullptr, t);
  kontext->impl.SetTextur(0xFF02, nullptr, t);
  kontext->impl.SetTextur(0xFF07, nullptr, t);
  t->Release();
  welt->Leere();
  kontext->impl.LeereTexturStufen();
  const std::vector<null::Aufruf> aufrufe = welt->Aufrufe("SetTexture");
  ASSERT_EQ(aufrufe.size(), 2u);
  EXPECT_EQ(aufrufe[0].argumente, (std::vector<uint64_t>{0, 0}));
  EXPECT_EQ(aufrufe[1].argumente, (std::vector<uint64_t>{2, 0}));
  EXPECT_EQ(geraet->texturen[7]->Wurzel()->art, "texture 4x4");  // stage 7 keeps it
  kontext->impl.LeereTexturStufen();
  EXPECT_EQ(welt->Anzahl("SetTexture"), 2);
}

TEST_F(ZeichenKontextTest, ZeichenVorbereitung) {
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(geraet->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
  // No stream-0 buffer: no draw, no scene.
  kontext->impl.ZeichneIndexElemente(2, 1, 24);
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 0);
  EXPECT_EQ(welt->Anzahl("BeginScene"), 0);
  ASSERT_TRUE(kontext->impl.SetStreamQuelle(0, vb, 96, 24));
  kontext->impl.ZeichneIndexElemente(2, 1, 0);  // stride 0: no draw
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 0);
  const std::vector<std::string> zeilen = NeueZeilen();
  ASSERT_EQ(zeilen.size(), 2u);
  for (const std::string& z : zeilen) EXPECT_TRUE(BeginntMit(z, "!Ausnahme \"Zeichnen gescheitert\""));

  kontext->SetProgrammKonstante(3 | 0xFFF << 12, 1.0f, 1.0f, 1.0f, 1.0f);
  kontext->SetProgrammKonstante(7 | 0xFFF << 12, 2.0f, 2.0f, 2.0f, 2.0f);
  kontext->impl.ZeichneIndexInstanzen(2, 5, 2, 0b10, 24);
  const std::vector<null::Aufruf> frequenzen = welt->Aufrufe("SetStreamSourceFreq");
  ASSERT_EQ(frequenzen.size(), 2u);
  EXPECT_EQ(frequenzen[0].argumente, (std::vector<uint64_t>{0, D3DSTREAMSOURCE_INDEXEDDATA | 5}));
  EXPECT_EQ(frequenzen[1].argumente, (std::vector<uint64_t>{1, D3DSTREAMSOURCE_INSTANCEDATA | 1}));
  const std::vector<null::Aufruf> konstanten = welt->Aufrufe("SetVertexShaderConstantF");
  ASSERT_EQ(konstanten.size(), 1u);
  EXPECT_EQ(konstanten[0].argumente[0], 3u);
  EXPECT_EQ(konstanten[0].argumente[2], 5u);  // registers 3..7
  const null::Aufruf zeichnen = welt->Aufrufe("DrawIndexedPrimitive").back();
  EXPECT_EQ(zeichnen.argumente, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2}));
  EXPECT_EQ(zeichnen.ergebnis, D3D_OK);

  // The same instancing again sends no frequency; a plain draw sets 1 where needed.
  kontext->impl.ZeichneIndexInstanzen(2, 5, 2, 0b10, 24);
  EXPECT_EQ(welt->Anzahl("SetStreamSourceFreq"), 2);
  kontext->impl.ZeichneIndexElemente(2, 2, 24);
  EXPECT_EQ(welt->Anzahl("SetStreamSourceFreq"), 4);
  EXPECT_EQ(geraet->streamFrequenz[0], 1u);
  EXPECT_EQ(geraet->streamFrequenz[1], 1u);
  EXPECT_EQ(welt->Anzahl("BeginScene"), 1);
  EXPECT_EQ(kontext->zaehler[Kontext::INSTANZ_ZEICHNEN], 2u);
  EXPECT_EQ(kontext->zaehler[Kontext::INDEX_ZEICHNEN], 3u);

  kontext->EndeZeichnen();
  EXPECT_EQ(welt->Anzahl("EndScene"), 1);
  EXPECT_EQ(welt->Anzahl("Present"), 1);
  EXPECT_EQ(kontext->zaehler[Kontext::INDEX_ZEICHNEN], 0u);
  kontext->impl.ZeichneIndexElemente(2, 1, 24);
  EXPECT_EQ(welt->Anzahl("BeginScene"), 2);
  kontext->EndeZeichnen();
  kontext->impl.SetStreamQuelle(0, nullptr, 0, 0);
  vb->Release();
}

TEST_F(ZeichenKontextTest, DeklarationsFehlerUebergehtDieShader) {
  Zarvo_VertexEingabe* eingabe = kontext->ErzeugeVertexEingabe();
  eingabe->AddKanal(0, 2, 0, false);
  eingabe->Beenden();
  Zarvo_VertexShader* vs = kontext->ErzeugeVertexShader();
  Zarvo_PixelShader* ps = kontext->ErzeugePixelShader();
  Zarvo_Programm* programm = kontext->ErzeugeProgramm(eingabe, vs, ps);
  // Device shaders of its own, so that binding them would be a device call.
  ShaderCode code;
  code.quelle = "void main() {}";
  code.stufe = ShaderStufe::Vertex;
  ASSERT_EQ(geraet->CreateVertexShader(Kodiere(code).data(), &programm->geraeteVertexShader), D3D_OK);
  code.stufe = ShaderStufe::Pixel;
  ASSERT_EQ(geraet->CreatePixelShader(Kodiere(code).data(), &programm->geraetePixelShader), D3D_OK);
  welt->Leere();
  NeueZeilen();
  welt->Scheitere("SetVertexDeclaration", 1, D3DERR_INVALIDCALL);
  kontext->SetProgramm(programm);
  EXPECT_EQ(welt->Anzahl("SetVertexDeclaration"), 1);
  EXPECT_EQ(welt->Anzahl("SetVertexShader"), 0);
  EXPECT_EQ(welt->Anzahl("SetPixelShader"), 0);
  const std::vector<std::string> zeilen = NeueZeilen();
  ASSERT_EQ(zeilen.size(), 1u);  // one line for the one failure
  EXPECT_TRUE(BeginntMit(zeilen[0], "!Ausnahme \"Failed to set vertex input declaration.\""));
  programm->geraeteVertexShader->Release();
  programm->geraetePixelShader->Release();
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{programm, vs, ps, eingabe}) kontext->GibFrei(o);
}

TEST_F(ZeichenKontextTest, BindungenNurBeiAenderung) {
  std::vector<D3DVERTEXELEMENT9> elemente = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
  IDirect3DVertexDeclaration9* dekl = nullptr;
  ASSERT_EQ(geraet->CreateVertexDeclaration(elemente.data(), &dekl), D3D_OK);
  EXPECT_TRUE(kontext->impl.SetDeklaration(dekl));
  EXPECT_TRUE(kontext->impl.SetDeklaration(dekl));
  EXPECT_EQ(welt->Anzahl("SetVertexDeclaration"), 1);
  welt->Scheitere("SetVertexShader", 1, D3DERR_INVALIDCALL);
  IDirect3DVertexShader9* vs = reinterpret_cast<IDirect3DVertexShader9*>(dekl);  // refused before use
  EXPECT_FALSE(kontext->impl.SetVertexShader(vs));
  EXPECT_TRUE(BeginntMit(NeueZeilen().back(), "!Ausnahme \"Failed to set vertex shader.\""));
  kontext->impl.SetDeklaration(nullptr);
  dekl->Release();
}

TEST_F(ZeichenKontextTest, LeerenUndBildschirmLesen) {
  struct Fall {
    float farbe[4];
    uint32_t erwartet;
  };
  const Fall faelle[] = {{{0.2f, 0.4f, 0.6f, 1.0f}, 0xFF336699}, {{1.5f, 0.0f, -0.5f, 1.0f}, 0xFF7F0081}, {{0.0f, 1.0f, 0.0f, 0.0f}, 0xFF00FF00}};
  for (const Fall& f : faelle) {
    kontext->Leeren(1, f.farbe);
    EXPECT_EQ(welt->Aufrufe("Clear").back().argumente[2], uint64_t(D3DCLEAR_TARGET));
    Zarvo_Bild bild(800, 600, PXFMT_A8R8G8B8, 1);
    kontext->LiesBildschirmInhalt(bild);
    uint32_t links, rechts;
    std::memcpy(&links, bild.Pixel(), 4);
    std::memcpy(&rechts, bild.Pixel() + 599 * bild.Zeilenbytes() + 799 * 4, 4);
    EXPECT_EQ(links, f.erwartet);
    EXPECT_EQ(rechts, f.erwartet);
  }
  kontext->Leeren(2, faelle[0].farbe);
  const null::Aufruf tiefe = welt->Aufrufe("Clear").back();
  EXPECT_EQ(tiefe.argumente[2], uint64_t(D3DCLEAR_ZBUFFER));
  float z;
  std::memcpy(&z, &tiefe.argumente[4], 4);
  EXPECT_EQ(z, 1.0f);
  EXPECT_EQ(tiefe.argumente[5], 0u);
}

TEST_F(ZeichenKontextTest, LeckBerichtUndZweiterAufruf) {
  Zarvo_Sampler* s = kontext->ErzeugeSampler(Zarvo_SamplerBeschr{});
  auto* t = kontext->Registriere<TestTextur>(*kontext);
  t->Benutzen();
  Zarvo_AlphaZustand* a = kontext->ErzeugeAlphaZustand(Zarvo_AlphaZustand::Vorgabe());
  kontext->GibFrei(a);
  const uint64_t idS = s->allocId, idT = t->allocId;
  NeueZeilen();
  kontext->MeldeUnfreigegebene();
  const std::vector<std::string> erwartet = {
      "class Zarvo_Sampler mit AllocID " + std::to_string(idS) + " nicht freigegeben.",
      "class TestTextur mit AllocID " + std::to_string(idT) + " nicht freigegeben."};
  EXPECT_EQ(NeueZeilen(), erwartet);
  EXPECT_EQ(kontext->vorgabeAlpha, nullptr);
  EXPECT_FALSE(kontext->HatGeraet());
  EXPECT_TRUE(welt->lebendBeimEnde.empty());  // the texture went with its resource
  EXPECT_EQ(welt->geraet, nullptr);
  kontext->MeldeUnfreigegebene();
  EXPECT_TRUE(NeueZeilen().empty());
}

TEST_F(ZeichenKontextTest, GeraeteMeldungenImDebugLog) {
  const uint32_t kaputt[4] = {0, 0, 0, 0};
  IDirect3DPixelShader9* ps = nullptr;
  EXPECT_EQ(kontext->impl.geraet->CreatePixelShader(kaputt, &ps), D3DERR_INVALIDCALL);
  EXPECT_EQ(NeueZeilen(), std::vector<std::string>{"pixel shader: bad magic"});
}

TEST_F(ZeichenKontextTest, Statistik) {
  kontext->ErzeugeSampler(Zarvo_SamplerBeschr{});
  kontext->ErzeugeSampler(Zarvo_SamplerBeschr{});
  kontext->ErzeugeTiefeZustand({1, 1, 2});
  kontext->LogStatistik();
  const std::vector<std::string> erwartet = {
      "Insgesamt 5 Resourcen mit einer Gesamtgröße von schätzungsweise 0 kb.",
      "",
      "0 Shader-Programme von",
      "0 VertexEingaben, 0 VertexShader, 0 PixelShader",
      "0 Renderziele, 2 Sampler-Konfigs, 1 Alpha-Konfigs, 2 Alpha-Zustände",
      "",
      "0 VertexBuffer (0 kb)",
      "  davon 0 im VideoRAM (0 kb)",
      "  davon 0 dynamisch (0 kb)",
      "  davon 0 offline (0 kb)",
      "",
      "0 IndexBuffer (0 kb)",
      "  davon 0 im VideoRAM (0 kb)",
      "  davon 0 dynamisch (0 kb)",
      "  davon 0 offline (0 kb)",
      "",
      "0 Texturen (0 kb)",
      "  davon 0 im VideoRAM (0 kb)",
      "  davon 0 dynamisch (0 kb)",
      "  davon 0 Renderziele (0 kb)",
      "  davon 0 offline (0 kb)",
      "",
      "0 CubeMaps (0 kb)",
      "  davon 0 im VideoRAM (0 kb)",
      "  davon 0 dynamisch (0 kb)",
      "  davon 0 Renderziele (0 kb)",
      "  davon 0 offline (0 kb)",
  };
  EXPECT_EQ(NeueZeilen(), erwartet);
}

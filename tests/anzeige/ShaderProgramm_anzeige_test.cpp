// Dialect shaders through the engine's path on the OpenGL device: shaders translated and compiled
// by Zarvo_VertexShader / Zarvo_PixelShader, bound as a Zarvo_Programm, constants set by handle;
// Direct3D 9's pixel centres, render-target orientation and depth range; every shipped pair links.
#include <cstring>
#include <memory>

#include "Gl33Fenster.h"
#include "MitgelieferteShader.h"
#include "Plattform/d3d9/shadercode.h"
#include "RegisterKonstanten.h"
#include "Zarvo_Bild.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_Textur.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_VertexShader.h"
#include "Zarvo_ZeichenKontext.h"
#include "AnzeigeOeffnen.h"

using namespace anzeige;

namespace {

// Every vertex shader here reads position and colour (or texture coordinates) and writes them on.
std::string VertexShader(const char* deklarationen, const char* rumpf) {
  return std::string(deklarationen) + "$rein float4 pos;\n$rein float4 farbe;\n$raus float4 opos;\n$raus float4 ofarbe;\n$main() {\n" +
         rumpf + "}\n";
}

const std::string VS_FARBE = VertexShader("", "opos = pos; ofarbe = farbe;");
const char* const PS_FARBE = R"(
$rein float4 farbe;
$raus float4 erg;
$main() { erg = farbe; }
)";

// Constants of every shape steer position and colour.
const std::string VS_KONSTANTEN =
    VertexShader(REGISTER_KONSTANTEN, "opos = mul(M, pos); ofarbe = float4(a.x, b.y, s.r, l[2].w) * farbe;");
const char* const PS_TINT = R"(
float4 tint;
$rein float4 farbe;
$raus float4 erg;
$main() { erg = farbe * tint; }
)";
// A second program that reads the same registers under the same names.
const std::string VS_NUR_MATRIX = VertexShader("float4x4 M;\n", "opos = mul(M, pos); ofarbe = farbe;");

// Red where the interpolated clip-space y is above 0, else blue.
const std::string VS_CLIP_Y = VertexShader("", "opos = pos; ofarbe = pos.yyyy;");
const char* const PS_OBERE_HAELFTE = R"(
$rein float4 y;
$raus float4 erg;
$main() { erg = y.x > 0 ? float4(1, 0, 0, 1) : float4(0, 0, 1, 1); }
)";

const char* const PS_TEXTUR = R"(
DEF_SAMPLER_2D(textur);
$rein float4 uv;
$raus float4 erg;
$main() { erg = SAMPLE_2D(textur, uv.xy); }
)";

constexpr uint32_t SCHWARZ = 0xFF000000u, WEISS = 0xFFFFFFFFu, ROT = 0xFFFF0000u, BLAU = 0xFF0000FFu;

class ProgrammAnzeige : public ::testing::Test {
 protected:
  static constexpr uint32_t B = 64, H = 48;

  void SetUp() override {
    ASSERT_TRUE(anzeige::GlfwInit()) << "no display: the display tests need DISPLAY (Xvfb)";
    gl33::SetzeFensterHinweise();
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    fenster = glfwCreateWindow(int(B), int(H), "programm", nullptr, nullptr);
    ASSERT_NE(fenster, nullptr);
    glfwMakeContextCurrent(fenster);
    WaehleGl33Backend();
    bildschirm.breite = B;
    bildschirm.hoehe = H;
    bildschirm.fenster = fenster;
    kontext = std::make_unique<Zarvo_ZeichenKontext>(bildschirm);
    ASSERT_TRUE(kontext->HatGeraet());
    SetzeDiagnoseSenke([this](const std::string& text) { meldungen.push_back(text); });
    eingabe = kontext->ErzeugeVertexEingabe();
    eingabe->AddKanal(0, 3, 0, false);   // FLOAT4 position
    eingabe->AddKanal(0, 3, 16, false);  // FLOAT4 colour or texture coordinates
    eingabe->Beenden();
    uint16_t indizes[64];
    for (uint16_t i = 0; i < 64; ++i) indizes[i] = i;
    ib = kontext->ErzeugeIndexBuffer(0, 1, {indizes, sizeof indizes, 0});
    kontext->SetRueckseite(0);
  }

  void TearDown() override {
    if (kontext) {
      kontext->SetVertexBuffer(0, nullptr, 0, 0);
      kontext->SetIndexBuffer(nullptr);
      kontext->MeldeUnfreigegebene();
      kontext.reset();
    }
    if (fenster) glfwDestroyWindow(fenster);
    SetzeDiagnoseSenke(nullptr);
    glfwTerminate();
    for (const std::string& m : meldungen) EXPECT_EQ(m.rfind("GL error", 0), std::string::npos) << m;
  }

  template <class Shader>
  Shader* Uebersetze(Shader* shader, const std::string& quelle) {
    const bool ok = shader->UebersetzeAusString(quelle.c_str(), {}, false);
    EXPECT_TRUE(ok) << (shader->GibMeldungen() ? shader->GibMeldungen() : "");
    return ok ? shader : nullptr;
  }
  Zarvo_Programm* Baue(const std::string& vsQuelle, const std::string& psQuelle) {
    Zarvo_VertexShader* vs = Uebersetze(kontext->ErzeugeVertexShader(), vsQuelle);
    Zarvo_PixelShader* ps = Uebersetze(kontext->ErzeugePixelShader(), psQuelle);
    return vs && ps ? kontext->ErzeugeProgramm(eingabe, vs, ps) : nullptr;
  }

  // Triangles from the bytes of stream 0 with the program.
  void Zeichne(Zarvo_Programm* programm, const void* daten, size_t bytes, uint32_t stride, uint32_t dreiecke) {
    Zarvo_VertexBuffer* vb = kontext->ErzeugeVertexBuffer(bytes, Zarvo_BasisObjekt::FLAG_DYNAMISCH, {const_cast<void*>(daten), bytes, 0});
    kontext->SetProgramm(programm);
    kontext->SetVertexBuffer(0, vb, 0, stride);
    kontext->SetIndexBuffer(ib);
    kontext->ZeichneIndexElemente(0, dreiecke);
    kontext->SetVertexBuffer(0, nullptr, 0, 0);
    kontext->GibFrei(vb);
  }
  void Zeichne(Zarvo_Programm* programm, const std::vector<Vertex>& vertices) {
    Zeichne(programm, vertices.data(), vertices.size() * sizeof(Vertex), sizeof(Vertex), uint32_t(vertices.size() / 3));
  }

  // Bit 0 the colour, bit 1 the depth (to 1).
  void Leere(float r, float g, float b, uint32_t flags = 3) {
    const float farbe[4] = {r, g, b, 1};
    kontext->Leeren(flags, farbe);
  }

  // The back buffer, top row first, 0xAARRGGBB.
  std::vector<uint32_t> Bildschirm() {
    kontext->EndeZeichnen();
    Zarvo_Bild bild(B, H, PXFMT_A8R8G8B8, 1);
    kontext->LiesBildschirmInhalt(bild);
    std::vector<uint32_t> pixel(size_t(B) * H);
    for (uint32_t y = 0; y < H; ++y) std::memcpy(&pixel[size_t(y) * B], bild.Pixel() + y * bild.Zeilenbytes(), 4 * B);
    return pixel;
  }

  // Six vertices of a rectangle in clip space at depth z and w = 1, in one colour.
  static std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, float z, uint32_t farbe) {
    const auto k = [&](int c) { return float(farbe >> c & 0xFF) / 255.0f; };
    const float r = k(16), g = k(8), b = k(0), a = k(24);
    return {{x0, y0, z, 1, r, g, b, a}, {x1, y0, z, 1, r, g, b, a}, {x0, y1, z, 1, r, g, b, a},
            {x1, y0, z, 1, r, g, b, a}, {x1, y1, z, 1, r, g, b, a}, {x0, y1, z, 1, r, g, b, a}};
  }

  // Direct3D 9's pixel rectangle (-0.5, -0.5) .. (B - 0.5, H - 0.5) in clip space: every pixel
  // centre lies inside, none on an edge.
  static std::vector<Vertex> Ganzflaeche(float z, uint32_t farbe) { return Quad(-1 - 1.0f / B, 1 + 1.0f / H, 1 - 1.0f / B, -1 + 1.0f / H, z, farbe); }

  GLFWwindow* fenster = nullptr;
  Zarvo_BildschirmZustand bildschirm;
  std::unique_ptr<Zarvo_ZeichenKontext> kontext;
  Zarvo_VertexEingabe* eingabe = nullptr;
  Zarvo_IndexBuffer* ib = nullptr;
  std::vector<std::string> meldungen;
};

TEST_F(ProgrammAnzeige, KonstantenUeberHandlesUndProgrammwechsel) {
  Zarvo_Programm* erstes = Baue(VS_KONSTANTEN, PS_TINT);
  Zarvo_Programm* zweites = Baue(VS_NUR_MATRIX, PS_TINT);
  ASSERT_TRUE(erstes && zweites);
  // M (row-major in memory) moves x by 0.5; the matrix form sends its columns as registers.
  const float m[16] = {1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  kontext->SetProgrammKonstante(erstes->GibKonstante("M"), m);
  kontext->SetProgrammKonstante(erstes->GibKonstante("a"), 1.0f, 0.0f);
  kontext->SetProgrammKonstante(erstes->GibKonstante("b"), 0.0f, 0.5f);
  kontext->SetProgrammKonstante(erstes->GibKonstante("s.r"), 0.25f, 0, 0, 0);
  kontext->SetProgrammKonstante(erstes->GibKonstante("l[2]"), 0, 0, 0, 1.0f);
  kontext->SetProgrammKonstante(erstes->GibKonstante("tint"), 1, 1, 1, 1);
  Leere(0, 0, 0);
  Zeichne(erstes, Quad(-0.5f, 0.5f, 0.5f, -0.1f, 0.5f, WEISS));
  // The second program reads M and tint as set before the switch.
  Zeichne(zweites, Quad(-0.5f, -0.3f, 0.5f, -0.9f, 0.5f, 0xFF00FF00u));
  const std::vector<uint32_t> bild = Bildschirm();
  const uint32_t farbe = bild[16 * B + 48];
  EXPECT_EQ(Kanal(farbe, 24), 255);
  EXPECT_EQ(Kanal(farbe, 16), 255);
  EXPECT_NEAR(Kanal(farbe, 8), 128, 1);
  EXPECT_NEAR(Kanal(farbe, 0), 64, 1);
  EXPECT_EQ(bild[16 * B + 16], SCHWARZ);  // where the quad was before the move
  EXPECT_EQ(bild[4 * B + 48], SCHWARZ);   // above it
  EXPECT_EQ(bild[40 * B + 48], 0xFF00FF00u);
  EXPECT_EQ(bild[40 * B + 16], SCHWARZ);
}

TEST_F(ProgrammAnzeige, HalbpixelQuadZeigtJedesTexelUngemischt) {
  // A B x H checker over Direct3D's pixel rectangle with linear filtering: each pixel centre meets a
  // texel centre, so no texel blends with its neighbours (it would, half and half, with GL's centres).
  Zarvo_Bild schach(B, H, PXFMT_A8R8G8B8, 1);
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < B; ++x) {
      const uint32_t texel = (x + y) % 2 ? WEISS : SCHWARZ;
      std::memcpy(schach.Pixel() + y * schach.Zeilenbytes() + 4 * x, &texel, 4);
    }
  Zarvo_Textur* textur = kontext->ErzeugeTextur(0, 0, 1, PXFMT_A8R8G8B8, Zarvo_TexturVorgabe(schach, 0));
  Zarvo_SamplerBeschr linear{};
  linear.filter = 0x5;    // linear minification and magnification
  linear.adresse = 0x15;  // clamp
  Zarvo_Sampler* sampler = kontext->ErzeugeSampler(linear);
  Zarvo_Programm* programm = Baue(VS_FARBE, PS_TEXTUR);
  ASSERT_NE(programm, nullptr);
  // The second attribute carries (u, v): (0, 0) at the top left, (1, 1) at the bottom right.
  std::vector<Vertex> quad = Ganzflaeche(0.5f, 0);
  for (Vertex& v : quad) v.r = v.x > 0, v.g = v.y < 0;
  Leere(1, 0, 0);
  kontext->SetTextur(programm->GibSampler("textur"), sampler, textur);
  Zeichne(programm, quad);
  const std::vector<uint32_t> bild = Bildschirm();
  int falsch = 0;
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < B; ++x) falsch += bild[y * B + x] != ((x + y) % 2 ? WEISS : SCHWARZ);
  EXPECT_EQ(falsch, 0) << "first pixels " << std::hex << bild[0] << " " << bild[1] << " " << bild[B];
  kontext->SetTextur(programm->GibSampler("textur"), nullptr, nullptr);
}

TEST_F(ProgrammAnzeige, ImRenderzielLiegtPositivesYOben) {
  Zarvo_Textur* farbe = kontext->ErzeugeTextur(B, H, 1, PXFMT_A8R8G8B8 | Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
  Zarvo_Renderziel* ziel = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, nullptr));
  Zarvo_Programm* programm = Baue(VS_CLIP_Y, PS_OBERE_HAELFTE);
  ASSERT_NE(programm, nullptr);
  kontext->SetRenderZiel(ziel);
  Leere(0, 0, 0, 1);
  Zeichne(programm, Ganzflaeche(0.5f, WEISS));
  kontext->SetRenderZiel(nullptr);
  kontext->EndeZeichnen();
  IDirect3DDevice9* geraet = kontext->impl.geraet;
  IDirect3DSurface9* flaeche = nullptr;
  IDirect3DSurface9* lesen = nullptr;
  ASSERT_EQ(farbe->textur->GetSurfaceLevel(0, &flaeche), D3D_OK);
  ASSERT_EQ(geraet->CreateOffscreenPlainSurface(B, H, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &lesen, nullptr), D3D_OK);
  ASSERT_EQ(geraet->GetRenderTargetData(flaeche, lesen), D3D_OK);
  D3DLOCKED_RECT gesperrt{};
  ASSERT_EQ(lesen->LockRect(&gesperrt, nullptr, D3DLOCK_READONLY), D3D_OK);
  int falsch = 0;
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < B; ++x) {
      uint32_t p;
      std::memcpy(&p, static_cast<const uint8_t*>(gesperrt.pBits) + y * UINT(gesperrt.Pitch) + 4 * x, 4);
      falsch += p != (y < H / 2 ? ROT : BLAU);
    }
  lesen->UnlockRect();
  EXPECT_EQ(falsch, 0);
  lesen->Release();
  flaeche->Release();
}

TEST_F(ProgrammAnzeige, TiefeNullWirdGezeichnetUndKleinerGleichGewinnt) {
  Zarvo_TiefeZustand* kleinerGleich = kontext->ErzeugeTiefeZustand({1, 1, 2});
  Zarvo_Programm* programm = Baue(VS_FARBE, PS_FARBE);
  ASSERT_NE(programm, nullptr);
  struct Fall {
    float zErst;
    uint32_t farbeErst;
    float zDann;
    uint32_t farbeDann;
    uint32_t erwartet;
  };
  const Fall faelle[] = {
      {0.25f, ROT, 0.75f, BLAU, ROT},  // near first
      {0.75f, BLAU, 0.25f, ROT, ROT},  // near last
      {0.5f, ROT, 0.5f, BLAU, BLAU},   // equal depth passes
      {0.0f, ROT, 0.0f, BLAU, BLAU},   // z/w = 0 lies inside the depth range
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(testing::Message() << f.zErst << " then " << f.zDann);
    kontext->SetTiefeZustand(kleinerGleich);
    Leere(0, 0, 0);
    Zeichne(programm, Ganzflaeche(f.zErst, f.farbeErst));
    Zeichne(programm, Ganzflaeche(f.zDann, f.farbeDann));
    const std::vector<uint32_t> bild = Bildschirm();
    EXPECT_EQ(bild[H / 2 * B + B / 2], f.erwartet);
    EXPECT_EQ(bild[0], f.erwartet);
  }
  kontext->SetTiefeZustand(nullptr);
}

// A vertex input that feeds every input of the vertex shader (POSITION0, then TEXCOORD0..n) as
// FLOAT4 from stream 0.
Zarvo_VertexEingabe* EingabeFuer(Zarvo_ZeichenKontext& kontext, const Zarvo_VertexShader& vs) {
  d3d9::ShaderCode code;
  std::string fehler;
  EXPECT_EQ(d3d9::Dekodiere(vs.code->GetBufferPointer(), vs.code->GetBufferSize(), d3d9::ShaderStufe::Vertex, code, fehler), D3D_OK)
      << fehler;
  uint32_t texkoordinaten = 0;
  for (const d3d9::ShaderCode::Eingabe& e : code.eingaben)
    if (e.usage == D3DDECLUSAGE_TEXCOORD) texkoordinaten = std::max(texkoordinaten, e.index + 1);
  Zarvo_VertexEingabe* eingabe = kontext.ErzeugeVertexEingabe();
  for (uint32_t i = 0; i <= texkoordinaten; ++i) eingabe->AddKanal(0, 3, 16 * i, false);
  eingabe->Beenden();
  return eingabe;
}

TEST_F(ProgrammAnzeige, JedesMitgelieferteShaderpaarLinkt) {
  const std::vector<MitgeliefertesShaderPaar> paare = MitgelieferteShader(MORVELUNT_DATEN_QUELLE);
  if (paare.empty()) GTEST_SKIP() << "the build ships no shader pair yet";
  for (const MitgeliefertesShaderPaar& paar : paare) {
    SCOPED_TRACE(paar.name);
    Zarvo_VertexShader* vs = Uebersetze(kontext->ErzeugeVertexShader(), paar.vertex);
    Zarvo_PixelShader* ps = Uebersetze(kontext->ErzeugePixelShader(), paar.pixel);
    ASSERT_TRUE(vs && ps);
    Zarvo_VertexEingabe* passend = EingabeFuer(*kontext, *vs);
    Zarvo_Programm* programm = kontext->ErzeugeProgramm(passend, vs, ps);
    const size_t vorher = meldungen.size();
    const uint32_t stride = passend->stride[0];
    const std::vector<uint8_t> nullen(3 * size_t(stride));
    Zeichne(programm, nullen.data(), nullen.size(), stride, 1);
    for (size_t i = vorher; i < meldungen.size(); ++i) EXPECT_EQ(meldungen[i].rfind("shader link failed", 0), std::string::npos) << meldungen[i];
  }
}

}  // namespace

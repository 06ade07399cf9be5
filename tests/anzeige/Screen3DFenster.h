#pragma once
// The screen on the real GLFW window system with the OpenGL device under a virtual display, and
// drawing through its drawing context with hand-written GLSL pairs: a FLOAT4 position and a
// FLOAT4 colour (or texture coordinates) in an engine vertex buffer, six 16-bit indices. Pixels
// are read back with LiesBildschirmInhalt. GL errors reach the debug log, which fails the test.
#include <chrono>
#include <cstring>
#include <thread>

#include "AnzeigeSperre.h"
#include "Gl33Fenster.h"
#include "einheit/LogMitschnitt.h"
#include "Zarvo_Bild.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Konsolenbefehl.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_ZeichenKontext.h"
#include "BildschirmOeffnen.h"

namespace anzeige {

constexpr uint32_t PIXEL_STUFE_0 = 0xFF00;            // sampler handle: pixel stage 0, no vertex stage
constexpr uint32_t NUR_VERTEX_REGISTER = 4095 << 12;  // constant handle: vertex register only
constexpr uint32_t NUR_PIXEL_REGISTER = 4095;         // constant handle: pixel register only

class Screen3DFenster : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Debug(true);
    WaehleGl33Backend();
    Zarvo_Screen3D::aenderungsHoerer = [this] { ++aenderungen; };
  }
  void TearDown() override {
    Zarvo_Screen3D::Schliessen();
    Zarvo_Screen3D::aenderungsHoerer = nullptr;
    g_Vollbild.SetzeBool(true);
    g_DisplayBreite.SetzeInt(0);
    g_DisplayHoehe.SetzeInt(0);
    for (const std::string& z : log.zeilen) EXPECT_EQ(z.find("GL error"), std::string::npos) << z;
  }

  GLFWwindow* Fenster() { return static_cast<GLFWwindow*>(Zarvo_Screen3D::Zustand().fenster); }
  Zarvo_ZeichenKontext& Kontext() { return *Zarvo_Screen3D::GibZeichenKontext(); }

  void Befehl(const char* zeile) { Zarvo_Konsolenbefehl::Ausfuehren(zeile); }

  // Pumps events until the window's content has this size (the X server applies it late), then a
  // few more rounds so that late size events arrive. Time-bounded for loaded machines.
  void PumpeBis(uint32_t breite, uint32_t hoehe) {
    const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int w = 0, h = 0;
    do {
      Zarvo_Screen3D::VerarbeiteEreignisse();
      glfwGetWindowSize(Fenster(), &w, &h);
      if (uint32_t(w) == breite && uint32_t(h) == hoehe) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < ende);
    for (int i = 0; i < 5; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      Zarvo_Screen3D::VerarbeiteEreignisse();
    }
  }

  AnzeigeSperre sperre;  // visible and full-screen windows take the focus
  LogMitschnitt log;
  int aenderungen = 0;
};

class Screen3DZeichnen : public Screen3DFenster {
 protected:
  // A window of B x H with the shaders, the vertex input, the indices and a clamping point sampler.
  void SetUp() override {
    Screen3DFenster::SetUp();
    g_Vollbild.SetzeBool(false);
    ASSERT_TRUE(anzeige::OeffneBildschirm(B, H));
    geraet = Kontext().impl.geraet;
    ASSERT_EQ(geraet->CreateVertexShader(Shader(ShaderStufe::Vertex, VS_FARBE, {{"a_POSITION0", D3DDECLUSAGE_POSITION, 0}, {"a_TEXCOORD0", D3DDECLUSAGE_TEXCOORD, 0}}).data(), &vsFarbe), D3D_OK);
    ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, PS_FARBE).data(), &psFarbe), D3D_OK);
    ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, PS_TEXTUR, {}, "", {{"s0", 0}}).data(), &psTextur), D3D_OK);
    eingabe = Kontext().ErzeugeVertexEingabe();
    eingabe->AddKanal(0, 3, 0, false);   // FLOAT4 position
    eingabe->AddKanal(0, 3, 16, false);  // FLOAT4 colour or texture coordinates
    eingabe->Beenden();
    ASSERT_NE(eingabe->deklaration, nullptr);
    const uint16_t indizes[6] = {0, 1, 2, 3, 4, 5};
    ib = Kontext().ErzeugeIndexBuffer(0, 1, {const_cast<uint16_t*>(indizes), sizeof indizes, 0});
    Zarvo_SamplerBeschr punkt{};
    punkt.adresse = 0x15;  // clamp U, V, W
    sampler = Kontext().ErzeugeSampler(punkt);
    Kontext().SetRueckseite(0);
  }
  void TearDown() override {
    if (geraet) {
      Kontext().impl.SetVertexShader(nullptr);
      Kontext().impl.SetPixelShader(nullptr);
      Kontext().impl.SetDeklaration(nullptr);
      Kontext().SetTextur(PIXEL_STUFE_0, nullptr, nullptr);
      for (IUnknown* o : std::initializer_list<IUnknown*>{vsFarbe, psFarbe, psTextur})
        if (o) o->Release();
    }
    Screen3DFenster::TearDown();
  }

  // Six vertices (two triangles) in a dynamic engine vertex buffer, drawn with the shader pair.
  void Zeichne(const std::vector<Vertex>& vertices, IDirect3DPixelShader9* ps) {
    Zarvo_VertexBuffer* vb = Kontext().ErzeugeVertexBuffer(vertices.size() * sizeof(Vertex), Zarvo_BasisObjekt::FLAG_DYNAMISCH,
                                                           {const_cast<Vertex*>(vertices.data()), vertices.size() * sizeof(Vertex), 0});
    Kontext().SetVertexBuffer(0, vb, 0, sizeof(Vertex));
    Kontext().SetIndexBuffer(ib);
    ASSERT_TRUE(Kontext().impl.SetDeklaration(eingabe->deklaration));
    ASSERT_TRUE(Kontext().impl.SetVertexShader(vsFarbe));
    ASSERT_TRUE(Kontext().impl.SetPixelShader(ps));
    Kontext().impl.ZeichneIndexElemente(uint32_t(vertices.size() / 3), 1, sizeof(Vertex));
    Kontext().SetVertexBuffer(0, nullptr, 0, 0);
    Kontext().GibFrei(vb);
  }
  static std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, float r, float g, float b, float a = 1) {
    return {{x0, y0, 0.5f, 1, r, g, b, a}, {x1, y0, 0.5f, 1, r, g, b, a}, {x0, y1, 0.5f, 1, r, g, b, a},
            {x1, y0, 0.5f, 1, r, g, b, a}, {x1, y1, 0.5f, 1, r, g, b, a}, {x0, y1, 0.5f, 1, r, g, b, a}};
  }
  // A full-viewport quad whose colour channels carry (u, v).
  static std::vector<Vertex> TexturQuad() {
    return {{-1, 1, 0.5f, 1, 0, 0, 0, 1}, {1, 1, 0.5f, 1, 1, 0, 0, 1}, {-1, -1, 0.5f, 1, 0, 1, 0, 1},
            {1, 1, 0.5f, 1, 1, 0, 0, 1},  {1, -1, 0.5f, 1, 1, 1, 0, 1}, {-1, -1, 0.5f, 1, 0, 1, 0, 1}};
  }

  // Ends the frame and reads the back buffer.
  Zarvo_Bild Bildschirm() {
    Kontext().EndeZeichnen();
    Zarvo_Bild bild(Zarvo_Screen3D::Zustand().breite, Zarvo_Screen3D::Zustand().hoehe, PXFMT_A8R8G8B8, 1);
    Kontext().LiesBildschirmInhalt(bild);
    return bild;
  }
  static uint32_t Pixel(const Zarvo_Bild& bild, uint64_t x, uint64_t y) {
    uint32_t p;
    std::memcpy(&p, bild.Pixel() + y * bild.Zeilenbytes() + 4 * x, 4);
    return p;
  }

  uint32_t B = 320, H = 240;  // the window's size; a fixture may choose another before SetUp
  IDirect3DDevice9* geraet = nullptr;
  IDirect3DVertexShader9* vsFarbe = nullptr;
  IDirect3DPixelShader9* psFarbe = nullptr;
  IDirect3DPixelShader9* psTextur = nullptr;
  Zarvo_VertexEingabe* eingabe = nullptr;
  Zarvo_IndexBuffer* ib = nullptr;
  Zarvo_Sampler* sampler = nullptr;
};

}  // namespace anzeige

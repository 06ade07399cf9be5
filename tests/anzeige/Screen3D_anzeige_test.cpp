// The screen on the real GLFW window system with the OpenGL device under a virtual display:
// window and full screen, "reinitvideo" and "videoram" end to end, and textures, a render
// target, buffers with a vertex input and a mesh drawn through the drawing context and read back
// by pixels. GL errors reach the debug log, which fails the test.
#include "Screen3DFenster.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZBuffer.h"
#include "Ressourcen.h"
#include "BildschirmOeffnen.h"

using namespace anzeige;

namespace {

// A mesh vertex projected from its bounds (c0 = centre, c1 = 1 / half extent) onto the viewport,
// coloured by its word (UBYTE4N: B, G, R, A).
const char* const VS_MODELL = R"(#version 330 core
layout(std140) uniform VertexRegister { vec4 c[256]; };
in vec4 a_POSITION0;
in vec4 a_TEXCOORD1;
out vec4 v_TEXCOORD0;
void main() {
  gl_Position = vec4((a_POSITION0.xy - c[0].xy) * c[1].xy, 0.5, 1.0);
  v_TEXCOORD0 = a_TEXCOORD1.zyxw;
}
)";

class Screen3DAnzeige : public Screen3DFenster {
 protected:
  void PruefeGroessen(uint32_t breite, uint32_t hoehe) {
    int w = 0, h = 0;
    glfwGetWindowSize(Fenster(), &w, &h);
    EXPECT_EQ(uint32_t(w), breite);
    EXPECT_EQ(uint32_t(h), hoehe);
    IDirect3DSurface9* rp = nullptr;
    ASSERT_EQ(Kontext().impl.geraet->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &rp), D3D_OK);
    D3DSURFACE_DESC desc{};
    rp->GetDesc(&desc);
    rp->Release();
    EXPECT_EQ(desc.Width, breite);
    EXPECT_EQ(desc.Height, hoehe);
    EXPECT_EQ(Zarvo_Screen3D::Zustand().breite, breite);
    EXPECT_EQ(Zarvo_Screen3D::Zustand().hoehe, hoehe);
  }
};

TEST_F(Screen3DAnzeige, VollbildOhneGroesseNimmtDenModusDesMonitors) {
  ASSERT_TRUE(anzeige::OeffneBildschirm(0, 0, Zarvo_Screen3D::FLAG_VOLLBILD));
  EXPECT_TRUE(Zarvo_Screen3D::Zustand().vollbild);
  EXPECT_NE(glfwGetWindowMonitor(Fenster()), nullptr);
  EXPECT_TRUE(g_Vollbild.boolWert);
  PruefeGroessen(1280, 720);
}

TEST_F(Screen3DAnzeige, ReinitvideoWechseltFensterUndVollbild) {
  g_Vollbild.SetzeBool(false);
  ASSERT_TRUE(anzeige::OeffneBildschirm(800, 600));
  EXPECT_EQ(glfwGetCurrentContext(), Fenster());
  EXPECT_EQ(glfwGetWindowMonitor(Fenster()), nullptr);
  PruefeGroessen(800, 600);

  struct Schritt {
    bool vollbild;
    int breite, hoehe;
    uint32_t erwartetB, erwartetH;
  } schritte[] = {
      {false, 1024, 768, 1024, 768},
      {true, 1024, 768, 1280, 720},  // the only mode of the virtual display
      {false, 800, 600, 800, 600},
  };
  int erwarteteAenderungen = 0;
  for (const Schritt& s : schritte) {
    SCOPED_TRACE(std::to_string(s.breite) + (s.vollbild ? " full screen" : " window"));
    g_Vollbild.SetzeBool(s.vollbild);
    g_DisplayBreite.SetzeInt(s.breite);
    g_DisplayHoehe.SetzeInt(s.hoehe);
    Befehl("reinitvideo");
    PumpeBis(s.erwartetB, s.erwartetH);
    // One change each: the late size events of our own change start no second one.
    EXPECT_EQ(aenderungen, ++erwarteteAenderungen);
    EXPECT_EQ(glfwGetWindowMonitor(Fenster()) != nullptr, s.vollbild);
    EXPECT_EQ(Zarvo_Screen3D::Zustand().vollbild, s.vollbild);
    PruefeGroessen(s.erwartetB, s.erwartetH);
  }

  // A resize from outside (as a user drags the frame) is one display change with a new back buffer.
  glfwSetWindowSize(Fenster(), 640, 480);
  PumpeBis(640, 480);
  EXPECT_EQ(aenderungen, erwarteteAenderungen + 1);
  PruefeGroessen(640, 480);
  EXPECT_EQ(g_DisplayBreite.intWert, 640);

  log.zeilen.clear();
  Befehl("videoram");
  EXPECT_TRUE(log.Enthaelt("0 Texturen (0 kb)"));
}

TEST_F(Screen3DZeichnen, TexturAusBildSamplesRichtigHerum) {
  // 2 x 2: red, green / blue, white, top row first.
  Zarvo_Bild bild(2, 2, PXFMT_A8R8G8B8, 1);
  const uint32_t texel[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  for (int y = 0; y < 2; ++y) std::memcpy(bild.Pixel() + y * bild.Zeilenbytes(), &texel[2 * y], 8);
  Zarvo_Textur* textur = Kontext().ErzeugeTextur(0, 0, 1, PXFMT_A8R8G8B8, Zarvo_TexturVorgabe(bild, 0));
  const float schwarz[4] = {0, 0, 0, 1};
  Kontext().SetRenderZiel(nullptr);
  Kontext().Leeren(3, schwarz);
  Kontext().SetTextur(PIXEL_STUFE_0, sampler, textur);
  Zeichne(TexturQuad(), psTextur);
  const Zarvo_Bild schirm = Bildschirm();
  EXPECT_EQ(Pixel(schirm, 10, 10), texel[0]);
  EXPECT_EQ(Pixel(schirm, B - 10, 10), texel[1]);
  EXPECT_EQ(Pixel(schirm, 10, H - 10), texel[2]);
  EXPECT_EQ(Pixel(schirm, B - 10, H - 10), texel[3]);
}

TEST_F(Screen3DZeichnen, RenderzielMitGroesseremZBufferSamplesWieEinUpload) {
  Zarvo_Textur* farbe = Kontext().ErzeugeTextur(64, 64, 1, PXFMT_A8R8G8B8 | Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
  Zarvo_ZBuffer* tiefe = Kontext().ErzeugeZBuffer(128, 128);
  Zarvo_Renderziel* ziel = Kontext().ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, tiefe));
  const float blau[4] = {0, 0, 1, 1}, schwarz[4] = {0, 0, 0, 1};
  Kontext().SetRenderZiel(ziel);
  Kontext().Leeren(3, blau);
  Zeichne(Quad(-1, 1, 1, 0, 1, 1, 0), psFarbe);  // the upper half yellow
  Kontext().SetRenderZiel(nullptr);
  Kontext().Leeren(3, schwarz);
  Kontext().SetTextur(PIXEL_STUFE_0, sampler, farbe);
  Zeichne(TexturQuad(), psTextur);
  const Zarvo_Bild schirm = Bildschirm();
  EXPECT_EQ(Pixel(schirm, 5, 5), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(schirm, B - 5, H / 2 - 5), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(schirm, 5, H / 2 + 5), 0xFF0000FFu);
  EXPECT_EQ(Pixel(schirm, B - 5, H - 5), 0xFF0000FFu);
  Kontext().GibFrei(ziel);
}

TEST_F(Screen3DZeichnen, ModellFuelltDenRenderBereichAusSeinenGrenzen) {
  // A rectangle of four corners and a centre point, in arbitrary local units, coloured green.
  const uint32_t gruen = 0xFF00FF00;
  const Spiel::WeltVertex v[5] = {{-3, 2, 1, 0, 0, gruen}, {5, 2, 1, 0, 0, gruen}, {5, 10, 1, 0, 0, gruen}, {-3, 10, 1, 0, 0, gruen},
                                  {1, 6, 1, 0, 0, gruen}};
  const uint32_t indizes[12] = {0, 1, 4, 1, 2, 4, 2, 3, 4, 3, 0, 4};
  Spiel::Modell modell = Spiel::Ressourcen::LadeModellHoch(v, indizes);
  ASSERT_TRUE(modell.HatInhalt());
  Zarvo_VertexEingabe* welt = Kontext().ErzeugeVertexEingabe();
  welt->AddKanal(0, 2, 0, false);   // FLOAT3 position
  welt->AddKanal(0, 1, 12, false);  // FLOAT2 texture coordinates
  welt->AddKanal(0, 5, 20, false);  // UBYTE4N word
  welt->Beenden();
  IDirect3DVertexShader9* vs = nullptr;
  ASSERT_EQ(geraet->CreateVertexShader(Shader(ShaderStufe::Vertex, VS_MODELL,
                                              {{"a_POSITION0", D3DDECLUSAGE_POSITION, 0}, {"a_TEXCOORD1", D3DDECLUSAGE_TEXCOORD, 1}},
                                              "VertexRegister")
                                           .data(),
                                       &vs),
            D3D_OK);
  const float schwarz[4] = {0, 0, 0, 1};
  Kontext().SetRenderZiel(nullptr);
  Kontext().Leeren(3, schwarz);
  const uint64_t x0 = 40, y0 = 30, bb = 200, hh = 150;
  Kontext().SetRenderBereich(x0, y0, bb, hh);
  Kontext().SetProgrammKonstante(NUR_VERTEX_REGISTER | 0, modell.mitte[0], modell.mitte[1], modell.mitte[2], 0);
  Kontext().SetProgrammKonstante(NUR_VERTEX_REGISTER | 1, 1 / modell.halbeAusdehnung[0], 1 / modell.halbeAusdehnung[1], 1, 0);
  Kontext().SetVertexBuffer(0, modell.vertexBuffer, 0, sizeof(Spiel::WeltVertex));
  Kontext().SetIndexBuffer(modell.indexBuffer);
  ASSERT_TRUE(Kontext().impl.SetDeklaration(welt->deklaration));
  ASSERT_TRUE(Kontext().impl.SetVertexShader(vs));
  ASSERT_TRUE(Kontext().impl.SetPixelShader(psFarbe));
  Kontext().impl.ZeichneIndexElemente(4, 1, sizeof(Spiel::WeltVertex));
  const Zarvo_Bild schirm = Bildschirm();
  // The covered box is the viewport, to a pixel.
  uint64_t links = B, rechts = 0, oben = H, unten = 0;
  for (uint64_t y = 0; y < H; ++y)
    for (uint64_t x = 0; x < B; ++x) {
      if (Pixel(schirm, x, y) != gruen) continue;
      links = std::min(links, x), rechts = std::max(rechts, x), oben = std::min(oben, y), unten = std::max(unten, y);
    }
  EXPECT_NEAR(double(links), double(x0), 1);
  EXPECT_NEAR(double(rechts), double(x0 + bb - 1), 1);
  EXPECT_NEAR(double(oben), double(y0), 1);
  EXPECT_NEAR(double(unten), double(y0 + hh - 1), 1);
  EXPECT_EQ(Pixel(schirm, x0 + bb / 2, y0 + hh / 2), gruen);
  Kontext().SetVertexBuffer(0, nullptr, 0, 0);
  Kontext().SetIndexBuffer(nullptr);
  Kontext().impl.SetVertexShader(vsFarbe);
  vs->Release();
}

}  // namespace

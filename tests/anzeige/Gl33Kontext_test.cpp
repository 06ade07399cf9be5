// End to end: the drawing context on the OpenGL device at 320 x 240 draws a triangle with
// hand-written shaders, presents, and reads the screen into an image.
#include <cstring>

#include "Gl33Fenster.h"
#include "Zarvo_Bild.h"
#include "Zarvo_ZeichenKontext.h"
#include "AnzeigeOeffnen.h"

using namespace anzeige;

TEST(Gl33Kontext, LeerenDreieckBildschirmLesen) {
  ASSERT_TRUE(anzeige::GlfwInit()) << "no display: the display tests need DISPLAY (Xvfb)";
  gl33::SetzeFensterHinweise();
  glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  GLFWwindow* fenster = glfwCreateWindow(320, 240, "kontext", nullptr, nullptr);
  ASSERT_NE(fenster, nullptr);
  glfwMakeContextCurrent(fenster);
  std::vector<std::string> meldungen;
  WaehleGl33Backend();
  Zarvo_BildschirmZustand bildschirm;
  bildschirm.breite = 320;
  bildschirm.hoehe = 240;
  bildschirm.fenster = fenster;
  {
    Zarvo_ZeichenKontext kontext(bildschirm);
    ASSERT_TRUE(kontext.HatGeraet());
    SetzeDiagnoseSenke([&](const std::string& text) { meldungen.push_back(text); });  // instead of the debug log
    EXPECT_STREQ(kontext.impl.vertexProfil, "vs_3_0");
    IDirect3DDevice9* geraet = kontext.impl.geraet;
    IDirect3DVertexShader9* vs = nullptr;
    IDirect3DPixelShader9* ps = nullptr;
    ASSERT_EQ(geraet->CreateVertexShader(Shader(ShaderStufe::Vertex, VS_FARBE,
                                                {{"a_POSITION0", D3DDECLUSAGE_POSITION, 0}, {"a_TEXCOORD0", D3DDECLUSAGE_TEXCOORD, 0}})
                                             .data(),
                                         &vs),
              D3D_OK);
    ASSERT_EQ(geraet->CreatePixelShader(Shader(ShaderStufe::Pixel, PS_FARBE).data(), &ps), D3D_OK);
    const D3DVERTEXELEMENT9 elemente[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 16, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* dekl = nullptr;
    ASSERT_EQ(geraet->CreateVertexDeclaration(elemente, &dekl), D3D_OK);
    // The left half of the screen, top to bottom, in yellow.
    const Vertex dreieck[3] = {{-1, 1, 0.5f, 1, 1, 1, 0, 1}, {0, 1, 0.5f, 1, 1, 1, 0, 1}, {-1, -1, 0.5f, 1, 1, 1, 0, 1}};
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(geraet->CreateVertexBuffer(sizeof dreieck, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    ASSERT_EQ(geraet->CreateIndexBuffer(6, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
    void* daten = nullptr;
    vb->Lock(0, 0, &daten, 0);
    std::memcpy(daten, dreieck, sizeof dreieck);
    vb->Unlock();
    const uint16_t indizes[3] = {0, 1, 2};
    ib->Lock(0, 0, &daten, 0);
    std::memcpy(daten, indizes, sizeof indizes);
    ib->Unlock();

    const float blau[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    kontext.SetRenderZiel(nullptr);
    kontext.Leeren(3, blau);
    ASSERT_TRUE(kontext.impl.SetDeklaration(dekl));
    ASSERT_TRUE(kontext.impl.SetVertexShader(vs));
    ASSERT_TRUE(kontext.impl.SetPixelShader(ps));
    ASSERT_TRUE(kontext.impl.SetStreamQuelle(0, vb, sizeof dreieck, sizeof(Vertex)));
    ASSERT_TRUE(kontext.impl.SetIndizes(ib));
    kontext.impl.ZeichneIndexElemente(1, 1, sizeof(Vertex));
    EXPECT_EQ(kontext.impl.inSzene, true);
    kontext.EndeZeichnen();
    EXPECT_FALSE(kontext.impl.geraetVerloren);

    Zarvo_Bild bild(320, 240, PXFMT_A8R8G8B8, 1);
    kontext.LiesBildschirmInhalt(bild);
    const auto pixel = [&](int x, int y) {
      uint32_t p;
      std::memcpy(&p, bild.Pixel() + size_t(y) * bild.Zeilenbytes() + 4 * size_t(x), 4);
      return p;
    };
    EXPECT_EQ(pixel(2, 2), 0xFFFFFF00u);        // triangle, alpha 255
    EXPECT_EQ(pixel(1, 230), 0xFFFFFF00u);
    EXPECT_EQ(pixel(300, 5), 0xFF0000FFu);      // cleared blue; the X byte reads 255
    EXPECT_EQ(pixel(150, 230), 0xFF0000FFu);    // right of the diagonal

    kontext.impl.SetStreamQuelle(0, nullptr, 0, 0);
    kontext.impl.SetIndizes(nullptr);
    kontext.impl.SetDeklaration(nullptr);
    kontext.impl.SetVertexShader(nullptr);
    kontext.impl.SetPixelShader(nullptr);
    for (IUnknown* o : std::initializer_list<IUnknown*>{vs, ps, dekl, vb, ib}) o->Release();
    kontext.MeldeUnfreigegebene();
  }
  glfwDestroyWindow(fenster);
  SetzeDiagnoseSenke(nullptr);
  glfwTerminate();
  for (const std::string& m : meldungen) EXPECT_EQ(m.rfind("GL error", 0), std::string::npos) << m;
}

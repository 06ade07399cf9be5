// The line batch drawn by the OpenGL device under a virtual display, read back by pixels: width
// and caps, the alpha across a line, depth testing without depth writes, and a line that crosses
// the camera plane.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "AnzeigeSperre.h"
#include "Plattform/d3d9/d3d9.h"
#include "einheit/LogMitschnitt.h"
#include "Zarvo_Bild.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_LinienStapel.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_VertexShader.h"
#include "Zarvo_ZeichenKontext.h"
#include "BildschirmOeffnen.h"

namespace {

constexpr uint32_t B = 96, H = 64;
constexpr float EINHEIT[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
// World units are pixels (x right, y down, pixel centres on whole numbers): the view moves the
// screen centre to the origin, the projection scales it to clip space. Applied in the other order
// the lines would land far off.
constexpr float SICHT[16] = {1, 0, 0, -float(B) / 2, 0, 1, 0, -float(H) / 2, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr float PROJEKTION[16] = {2.0f / B, 0, 0, 0, 0, -2.0f / H, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr TAlphaFarbe WEISS{1, 1, 1, 1};

// A coloured quad in clip space, for what lies in front of or behind the lines.
const char* const VS_FLAECHE = R"($rein float4 vpos;
$rein float4 vfarbe;
$raus float4 fpos;
$raus float4 ffarbe;
$main() { fpos = vpos; ffarbe = vfarbe; }
)";
const char* const PS_FLAECHE = R"($rein float4 ffarbe;
$raus float4 farbe;
$main() { farbe = ffarbe; }
)";

class LinienStapelAnzeige : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Debug(true);
    d3d9::WaehleGl33Backend();
    ASSERT_TRUE(anzeige::OeffneBildschirm(B, H));
    kontext = Zarvo_Screen3D::GibZeichenKontext();
    stapel = std::make_unique<Zarvo_LinienStapel>();
    Zarvo_LinienStapel::SetzeGlobal(stapel.get());
    Leere();
  }
  void TearDown() override {
    if (flaechenProgramm) {
      for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{flaechenProgramm, flaechenEingabe, flaechenVs, flaechenPs,
                                                                             flaechenIndizes, schreibendeTiefe})
        kontext->GibFrei(o);
    }
    Zarvo_LinienStapel::SetzeGlobal(nullptr);
    stapel.reset();
    Zarvo_Screen3D::Schliessen();
    g_Vollbild.SetzeBool(true);
    for (const std::string& z : log.zeilen) {
      EXPECT_EQ(z.find("GL error"), std::string::npos) << z;
      EXPECT_NE(z.rfind('!', 0), 0u) << z;
    }
  }

  void Leere() {
    const float schwarz[4] = {0, 0, 0, 1};
    kontext->SetRenderZiel(nullptr);
    kontext->Leeren(3, schwarz);
  }
  void Linie(float x0, float y0, float x1, float y1, float dicke, float z = 0.5f) {
    Zarvo_LinienStapel::AddLinie({x0, y0, z}, {x1, y1, z}, WEISS, dicke);
  }
  Zarvo_Bild Bildschirm() {
    kontext->EndeZeichnen();
    Zarvo_Bild bild(B, H, PXFMT_A8R8G8B8, 1);
    kontext->LiesBildschirmInhalt(bild);
    return bild;
  }
  static uint32_t Pixel(const Zarvo_Bild& bild, int x, int y) {
    uint32_t p;
    std::memcpy(&p, bild.Pixel() + uint64_t(y) * bild.Zeilenbytes() + 4 * uint64_t(x), 4);
    return p;
  }
  // Coverage of a white line over black: the red channel as 0..1.
  static float Alpha(const Zarvo_Bild& bild, int x, int y) { return float(Pixel(bild, x, y) >> 16 & 0xFF) / 255.0f; }

  // A quad from (x0, y0) to (x1, y1) in clip space at depth z, written to the depth buffer.
  void Flaeche(float x0, float y0, float x1, float y1, float z, uint32_t farbe) {
    if (!flaechenProgramm) BaueFlaechenProgramm();
    const float r = float(farbe >> 16 & 0xFF) / 255, g = float(farbe >> 8 & 0xFF) / 255, b = float(farbe & 0xFF) / 255;
    const float v[6][8] = {{x0, y0, z, 1, r, g, b, 1}, {x1, y0, z, 1, r, g, b, 1}, {x0, y1, z, 1, r, g, b, 1},
                           {x1, y0, z, 1, r, g, b, 1}, {x1, y1, z, 1, r, g, b, 1}, {x0, y1, z, 1, r, g, b, 1}};
    Zarvo_VertexBuffer* vb = kontext->ErzeugeVertexBuffer(sizeof v, 0, {const_cast<float(*)[8]>(v), sizeof v, 0});
    kontext->SetProgramm(flaechenProgramm);
    kontext->SetTiefeZustand(schreibendeTiefe);
    kontext->SetAlphaZustand(nullptr);
    kontext->SetVertexBuffer(0, vb, 0, 0);
    kontext->SetIndexBuffer(flaechenIndizes);
    kontext->ZeichneIndexElemente(0, 2);
    kontext->SetVertexBuffer(0, nullptr, 0, 0);
    kontext->GibFrei(vb);
  }
  void BaueFlaechenProgramm() {
    flaechenVs = kontext->ErzeugeVertexShader();
    flaechenPs = kontext->ErzeugePixelShader();
    ASSERT_TRUE(flaechenVs->UebersetzeAusString(VS_FLAECHE, {}, false));
    ASSERT_TRUE(flaechenPs->UebersetzeAusString(PS_FLAECHE, {}, false));
    flaechenEingabe = kontext->ErzeugeVertexEingabe();
    flaechenEingabe->AddKanal(0, 3, 0, false);   // FLOAT4 position
    flaechenEingabe->AddKanal(0, 3, 16, false);  // FLOAT4 colour
    flaechenEingabe->Beenden();
    flaechenProgramm = kontext->ErzeugeProgramm(flaechenEingabe, flaechenVs, flaechenPs);
    const uint16_t indizes[6] = {0, 1, 2, 3, 4, 5};
    flaechenIndizes = kontext->ErzeugeIndexBuffer(0, 1, {const_cast<uint16_t*>(indizes), sizeof indizes, 0});
    schreibendeTiefe = kontext->ErzeugeTiefeZustand({1, 1, 2});
  }

  AnzeigeSperre sperre;  // the window takes the display's focus
  LogMitschnitt log;
  Zarvo_ZeichenKontext* kontext = nullptr;
  std::unique_ptr<Zarvo_LinienStapel> stapel;
  Zarvo_Programm* flaechenProgramm = nullptr;
  Zarvo_VertexEingabe* flaechenEingabe = nullptr;
  Zarvo_VertexShader* flaechenVs = nullptr;
  Zarvo_PixelShader* flaechenPs = nullptr;
  Zarvo_IndexBuffer* flaechenIndizes = nullptr;
  Zarvo_TiefeZustand* schreibendeTiefe = nullptr;
};

// Thickness 4 between the centres of pixels 20 and 60 of row 30: full colour up to 2 px from the
// segment (past its ends too), nothing from 3 px on; both caps alike.
TEST_F(LinienStapelAnzeige, DickeUndKappen) {
  Linie(20, 30, 60, 30, 4);
  Zarvo_LinienStapel::Zeichne(SICHT, PROJEKTION);
  const Zarvo_Bild bild = Bildschirm();
  for (int x = 0; x < int(B); ++x) {
    const float erwartet = (x >= 18 && x <= 62) ? 1.0f : 0.0f;
    EXPECT_EQ(Alpha(bild, x, 30), erwartet) << "centre row, x " << x;
  }
  for (int y = 0; y < int(H); ++y) {
    const float erwartet = (y >= 28 && y <= 32) ? 1.0f : 0.0f;
    EXPECT_EQ(Alpha(bild, 40, y), erwartet) << "middle column, y " << y;
  }
  for (int dx = 0; dx <= 4; ++dx)
    for (int dy = -4; dy <= 4; ++dy)
      EXPECT_EQ(Pixel(bild, 20 - dx, 30 + dy), Pixel(bild, 60 + dx, 30 + dy)) << "cap pixel " << dx << ", " << dy;
}

// A line whose ends project to one point shows as a round dot of its width.
TEST_F(LinienStapelAnzeige, PunktLinieIstEinRunderPunkt) {
  Linie(48, 32, 48, 32, 4);
  Zarvo_LinienStapel::Zeichne(SICHT, PROJEKTION);
  const Zarvo_Bild bild = Bildschirm();
  struct Fall {
    int dx, dy;
    float alpha;  // saturate(3 - distance)
  } faelle[] = {{0, 0, 1}, {2, 0, 1}, {-2, 0, 1}, {0, 2, 1}, {0, -2, 1}, {3, 0, 0}, {-3, 0, 0}, {0, 3, 0}, {0, -3, 0},
                {2, 2, 3 - 2.8284271f}, {-2, -2, 3 - 2.8284271f}};
  for (const Fall& f : faelle) EXPECT_NEAR(Alpha(bild, 48 + f.dx, 32 + f.dy), f.alpha, 0.01f) << f.dx << ", " << f.dy;
}

// Down the middle column the alphas add up to thickness + 1, on a pixel centre and between two.
TEST_F(LinienStapelAnzeige, AlphaSummeQuerZurLinie) {
  struct Fall {
    float dicke, y;
  } faelle[] = {{0, 6}, {1, 16}, {4, 26}, {0, 36.5f}, {1, 46.5f}, {4, 56.5f}};
  for (const Fall& f : faelle) Linie(10, f.y, 85, f.y, f.dicke);
  Zarvo_LinienStapel::Zeichne(SICHT, PROJEKTION);
  const Zarvo_Bild bild = Bildschirm();
  for (const Fall& f : faelle) {
    float summe = 0;
    const int mitte = int(f.y);
    for (int y = mitte - 4; y <= mitte + 5; ++y) summe += Alpha(bild, 48, y);
    EXPECT_NEAR(summe, f.dicke + 1, 0.05f) << "thickness " << f.dicke << " at y " << f.y;
  }
  // Thickness 0 between two centres: two pixels at half alpha.
  EXPECT_NEAR(Alpha(bild, 48, 36), 0.5f, 0.01f);
  EXPECT_NEAR(Alpha(bild, 48, 37), 0.5f, 0.01f);
}

// A quad in front hides the left half of the line; the line writes no depth, so a quad behind it
// drawn afterwards covers it everywhere else.
TEST_F(LinienStapelAnzeige, TiefeTestOhneTiefeSchreiben) {
  const uint32_t rot = 0xFFFF0000, blau = 0xFF0000FF;
  Flaeche(-1, 1, 0, -1, 0.25f, rot);  // left half, in front of the line's depth 0.5
  Linie(10, 32, 85, 32, 2);
  Zarvo_LinienStapel::Zeichne(SICHT, PROJEKTION);
  const Zarvo_Bild mitLinie = Bildschirm();
  EXPECT_EQ(Pixel(mitLinie, 30, 32), rot);
  EXPECT_EQ(Pixel(mitLinie, 70, 32), 0xFFFFFFFFu);

  Leere();
  Flaeche(-1, 1, 0, -1, 0.25f, rot);
  Linie(10, 32, 85, 32, 2);
  Zarvo_LinienStapel::Zeichne(SICHT, PROJEKTION);
  Flaeche(-1, 1, 1, -1, 0.75f, blau);  // behind the line, in front of the cleared depth
  const Zarvo_Bild danach = Bildschirm();
  EXPECT_EQ(Pixel(danach, 30, 32), rot);
  EXPECT_EQ(Pixel(danach, 70, 32), blau);
  EXPECT_EQ(Pixel(danach, 70, 10), blau);
}

// With the game's projection (near 0.1, far 100, w = view depth), a line from in front of the
// camera to behind it shows only from its front end towards the side it really goes; a line
// wholly behind shows nothing.
TEST_F(LinienStapelAnzeige, LinieDurchDieKameraebene) {
  const float f = 1.0734261f;
  const float projektion[16] = {f, 0, 0, 0, 0, f * B / H, 0, 0, 0, 0, 1.001001f, -0.1001001f, 0, 0, 1, 0};
  // The front end (0.5, 0, 2) lands at x = (1 + f / 4) * B / 2, about pixel 61, on row 32.
  struct Fall {
    BVektor3<float> von, bis;
    int hellAb;  // first lit pixel of row 32 from the left; B: none
  } faelle[] = {
      {{0.5f, 0, 2}, {0.5f, 0, -2}, 61},
      {{0.5f, 0, -2}, {0.5f, 0, 2}, 61},
      {{0.5f, 0, -1}, {-0.5f, 0, -3}, int(B)},
  };
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(std::to_string(fall.von.z) + " to " + std::to_string(fall.bis.z));
    Leere();
    Zarvo_LinienStapel::AddLinie(fall.von, fall.bis, WEISS, 2);
    Zarvo_LinienStapel::Zeichne(EINHEIT, projektion);
    const Zarvo_Bild bild = Bildschirm();
    for (int x = 0; x < int(B); ++x) {
      if (x >= fall.hellAb - 2 && x <= fall.hellAb + 2) continue;  // the rounded front cap
      EXPECT_EQ(Alpha(bild, x, 32), x > fall.hellAb ? 1.0f : 0.0f) << "x " << x;
    }
    for (int y : {0, 16, 28, 36, 48, int(H) - 1})
      for (int x = 0; x < int(B); ++x) EXPECT_EQ(Alpha(bild, x, y), 0.0f) << x << ", " << y;
  }
}

}  // namespace

// The console overlay on the OpenGL device at 1280 x 720 with the shipped "calibrib.fnt": the
// panel and the input bar are their colours over the background, each log line shows in its
// level's colour, the cursor bar stands behind the typed text, and a hidden console draws
// nothing. The frame is saved as konsole_anzeige.png in the temporary folder.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "SchirmBild.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_KonsoleStandardAnzeige.h"

namespace {

const std::filesystem::path FNT = std::filesystem::path(MORVELUNT_DATEN_ZIEL) / "calibrib.fnt";
constexpr float HINTERGRUND = 0.4f;

// The sprite's premultiplied colour (texel 0x80FFFFFF times the sprite colour) over the background.
int Mischung(float kanal, float alpha) {
  const float a = 0.5f * alpha;
  return int(std::lround((kanal * a + HINTERGRUND * (1 - a)) * 255));
}

class KonsoleAnzeige : public anzeige::SchirmBild {
 protected:
  KonsoleAnzeige() : SchirmBild(1280, 720) {}
  void SetUp() override {
    SchirmBild::SetUp();
    konsole = std::make_unique<Zarvo_KonsoleStandardAnzeige>(FNT);
  }
  void TearDown() override {
    for (const std::string& z : konsole->Zeilen()) EXPECT_EQ(z.find("GL error"), std::string::npos) << z;
    konsole.reset();
    SchirmBild::TearDown();
  }
  Zarvo_Bild Zeichne(const std::string& name) {
    Leere(HINTERGRUND, HINTERGRUND, HINTERGRUND);
    konsole->Zeichne();
    return Bildschirm(name);
  }

  std::unique_ptr<Zarvo_KonsoleStandardAnzeige> konsole;
};

TEST_F(KonsoleAnzeige, PanelZeilenUndCursor) {
  g_Log.Schreibe("!Fehler: rot");
  g_Log.Schreibe("?Warnung: gelb");
  g_Log.Schreibe(">Echo: gruen");
  g_Log.Schreibe("Notiz: weiss");
  konsole->SetEingabeAktiv(true);
  for (char c : std::string("help")) konsole->HandleText(nullptr, uint32_t(c));
  const Zarvo_Bild schirm = Zeichne("konsole_anzeige");

  struct Flaeche {
    int64_t x, y;
    float r, g, b;
  } flaechen[] = {{1200, 100, 0.2f, 0.3f, 0.5f}, {1200, 409, 0.5f, 0.5f, 0.5f}};
  for (const Flaeche& f : flaechen) {
    const uint32_t p = Pixel(schirm, f.x, f.y);
    EXPECT_NEAR(Kanal(p, 16), Mischung(f.r, 0.5f), 2) << f.y;
    EXPECT_NEAR(Kanal(p, 8), Mischung(f.g, 0.5f), 2) << f.y;
    EXPECT_NEAR(Kanal(p, 0), Mischung(f.b, 0.5f), 2) << f.y;
  }
  EXPECT_EQ(Pixel(schirm, 1200, 500), uint32_t(std::lround(HINTERGRUND * 255)) * 0x010101u);

  // The newest line at the bottom, one font size per line upwards.
  struct Band {
    const char* name;
    bool (*passt)(int r, int g, int b);
  } baender[] = {
      {"weiss", [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; }},
      {"gruen", [](int r, int g, int b) { return g > r + 100 && g > b + 100; }},
      {"gelb", [](int r, int g, int b) { return r > b + 100 && g > b + 100; }},
      {"rot", [](int r, int g, int b) { return r > g + 100 && r > b + 100; }},
  };
  for (int k = 0; k < 4; ++k) {
    int treffer = 0;
    for (int64_t y = 400 - 12 * (k + 1); y < 400 - 12 * k; ++y)
      for (int64_t x = 0; x < 400; ++x) {
        const uint32_t p = Pixel(schirm, x, y);
        treffer += baender[k].passt(Kanal(p, 16), Kanal(p, 8), Kanal(p, 0));
      }
    EXPECT_GT(treffer, 30) << baender[k].name;
  }

  // The cursor: yellow through entry 0's half alpha, over the input bar.
  const Zarvo_Font3D& schrift = konsole->Schrift();
  const float cursorX = schrift.GibTextBreite(">") + schrift.GibTextBreite("help") + 5;
  const int64_t innen = int64_t(std::floor(cursorX)) + 1;  // wholly inside the 2-pixel bar
  const float balken = 0.5f * 0.25f + HINTERGRUND * 0.75f;
  const int gelb = int(std::lround((0.5f + balken * 0.5f) * 255)), blau = int(std::lround(balken * 0.5f * 255));
  for (int64_t y : {401, 409, 417}) {
    const uint32_t p = Pixel(schirm, innen, y);
    EXPECT_NEAR(Kanal(p, 16), gelb, 2) << y;
    EXPECT_NEAR(Kanal(p, 8), gelb, 2) << y;
    EXPECT_NEAR(Kanal(p, 0), blau, 2) << y;
  }
  for (int64_t x : {innen - 3, innen + 3}) EXPECT_NEAR(Kanal(Pixel(schirm, x, 417), 0), Mischung(0.5f, 0.5f), 2) << x;
  // The input line is green.
  int gruen = 0;
  for (int64_t y = 400; y < 418; ++y)
    for (int64_t x = 0; x < int64_t(cursorX); ++x) {
      const uint32_t p = Pixel(schirm, x, y);
      gruen += Kanal(p, 8) > Kanal(p, 16) + 100;
    }
  EXPECT_GT(gruen, 30);
}

TEST_F(KonsoleAnzeige, VersteckteKonsoleZeichnetNichts) {
  g_Log.Schreibe("!Fehler");
  konsole->SetSichtbar(true);
  konsole->SetSichtbar(false);
  const Zarvo_Bild schirm = Zeichne("konsole_versteckt");
  const uint32_t leer = uint32_t(std::lround(HINTERGRUND * 255)) * 0x010101u;
  int anders = 0;
  for (int64_t y = 0; y < int64_t(H); ++y)
    for (int64_t x = 0; x < int64_t(B); ++x) anders += Pixel(schirm, x, y) != leer;
  EXPECT_EQ(anders, 0);
}

}  // namespace

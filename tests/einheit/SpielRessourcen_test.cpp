// The game's graphics resources on the recording device: what Lade builds from the shipped files
// (atlas entries, font, stone), the stone's geometry and images, release back to the registry,
// and loads that fail on a missing or wrong file, which keep what was there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "EigenerOrdner.h"
#include "LogMitschnitt.h"
#include "NullBildschirm.h"
#include "Ressourcen.h"
#include "TBereich.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "bild/testbilder.h"

namespace {

using Spiel::Ressourcen;
const std::filesystem::path BAUORDNER = MORVELUNT_BAUORDNER;

uint32_t Pixel(const Zarvo_Bild& bild, uint64_t x, uint64_t y) {
  uint32_t p;
  std::memcpy(&p, bild.Pixel() + y * bild.Zeilenbytes() + 4 * x, 4);
  return p;
}

// Every resource test runs on the recording screen with the application folder set.
class SpielRessourcen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bildschirm.Offen());
    vorher = g_System.anwendungsVerzeichnis;
    g_System.anwendungsVerzeichnis = BAUORDNER;
  }
  void TearDown() override {
    Ressourcen::Freigeben();
    g_System.anwendungsVerzeichnis = vorher;
  }
  void ErwarteLeer() {
    EXPECT_EQ(Ressourcen::Atlas(), nullptr);
    EXPECT_EQ(Ressourcen::Schrift(), nullptr);
    EXPECT_EQ(Ressourcen::GibModell("Stein"), nullptr);
  }

  LogMitschnitt log;
  NullBildschirm bildschirm;
  std::filesystem::path vorher;
};

TEST_F(SpielRessourcen, LadeBautAtlasSchriftUndStein) {
  ErwarteLeer();
  Ressourcen::Lade();
  const Zarvo_SpriteAtlas* atlas = Ressourcen::Atlas();
  ASSERT_NE(atlas, nullptr);
  struct Eintrag {
    uint64_t index, w, h;
  } eintraege[] = {{0, 16, 16}, {1, 15, 15}};
  for (const Eintrag& e : eintraege) {
    ASSERT_TRUE(atlas->IstLebendig(e.index)) << e.index;
    EXPECT_EQ(atlas->GibEintrag(e.index)->w, e.w);
    EXPECT_EQ(atlas->GibEintrag(e.index)->h, e.h);
  }
  for (uint64_t i = 2; i <= 52; ++i) {
    const bool lebendig = i <= 14 || i >= 50;
    ASSERT_EQ(atlas->IstLebendig(i), lebendig) << i;
    if (!lebendig) continue;
    EXPECT_EQ(atlas->GibEintrag(i)->w, 64u) << i;
    EXPECT_EQ(atlas->GibEintrag(i)->h, 64u) << i;
  }
  const Zarvo_GfxAtlas::Eintrag* flecken = atlas->GibEintrag(0);
  for (uint64_t y = 0; y < 16; ++y)
    for (uint64_t x = 0; x < 16; ++x) ASSERT_EQ(Pixel(atlas->Bild(), flecken->x + x, flecken->y + y), 0xFFFFFFFFu);
  Zarvo_Bild gui;
  ASSERT_TRUE(gui.LadeBildAusDatei(BAUORDNER / "Daten" / "GuiGrafik.png"));
  const Zarvo_GfxAtlas::Eintrag* q = atlas->GibEintrag(2);
  for (uint64_t y = 0; y < 64; ++y)
    for (uint64_t x = 0; x < 64; ++x) ASSERT_EQ(Pixel(atlas->Bild(), q->x + x, q->y + y), Pixel(gui, x, y));

  Zarvo_Textur* textur = const_cast<Zarvo_SpriteAtlas*>(atlas)->GibTextur();
  ASSERT_NE(textur, nullptr);
  EXPECT_EQ(textur->breite, 1024u);
  EXPECT_EQ(textur->hoehe, 1024u);
  EXPECT_EQ(textur->format, PXFMT_A8R8G8B8);

  const Zarvo_Font3D* schrift = Ressourcen::Schrift();
  ASSERT_NE(schrift, nullptr);
  EXPECT_EQ(schrift->NativeHoehe(), 24.0f);
  uint64_t glyphen = 0;
  for (uint32_t z = 0; z < schrift->Glyphen().SlotAnzahl(); ++z) glyphen += schrift->HatGlyphe(z);
  EXPECT_EQ(glyphen, 230u);

  const Spiel::ModellEintrag* stein = Ressourcen::GibModell("Stein");
  ASSERT_NE(stein, nullptr);
  ASSERT_TRUE(stein->modell.HatInhalt());
  EXPECT_EQ(stein->modell.vertexBuffer->groesse, 294u * sizeof(Spiel::WeltVertex));
  EXPECT_EQ(stein->modell.indexBuffer->groesse, 1296u * 4);
  for (const Zarvo_TexturBasis* t : {stein->farbe, stein->normale}) {
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->breite, 64u);
    EXPECT_EQ(t->hoehe, 64u);
    EXPECT_EQ(t->mipAnzahl, 7u);
  }
  EXPECT_EQ(Ressourcen::GibModell("stein"), nullptr);
  EXPECT_EQ(Ressourcen::GibModell(""), nullptr);
}

TEST_F(SpielRessourcen, Stein) {
  static const int WERTE[] = {0, 1024, 32767};
  static int aufrufe = 0;
  aufrufe = 0;
  const Spiel::SteinDaten stein = Ressourcen::BaueStein([] { return WERTE[aufrufe++ % 3]; });
  ASSERT_EQ(stein.vertices.size(), 294u);
  ASSERT_EQ(stein.indizes.size(), 1296u);
  EXPECT_EQ(aufrufe, 64 * 64);

  for (const Spiel::WeltVertex& v : stein.vertices) {
    EXPECT_GE(v.x, -0.2f);
    EXPECT_LE(v.x, 0.22f);
    EXPECT_GE(v.z, -0.2f);
    EXPECT_LE(v.z, 0.22f);
    EXPECT_GE(v.y, -0.1f);
    EXPECT_LE(v.y, 0.17f);
    EXPECT_GE(v.u, 0.0f);
    EXPECT_LE(v.u, 0.984375f);
    EXPECT_GE(v.v, 0.0f);
    EXPECT_LE(v.v, 1.0f);
    EXPECT_EQ(v.wort, 0u);
  }
  // Face 4 (the bottom): its 49 vertices from 196 on.
  for (size_t k = 196; k < 245; ++k) {
    EXPECT_GE(stein.vertices[k].u, 0.328125f);
    EXPECT_LE(stein.vertices[k].u, 0.65625f);
    EXPECT_GE(stein.vertices[k].v, 0.5f);
    EXPECT_LE(stein.vertices[k].v, 1.0f);
  }
  // The corner at (-0.2, -0.15, -0.2): vertex 0 of face 0, vertex 6 of face 3, vertex 0 of face 4.
  for (size_t k : {size_t(3 * 49 + 6), size_t(4 * 49)}) {
    EXPECT_EQ(stein.vertices[k].x, stein.vertices[0].x) << k;
    EXPECT_EQ(stein.vertices[k].y, stein.vertices[0].y) << k;
    EXPECT_EQ(stein.vertices[k].z, stein.vertices[0].z) << k;
  }
  // Every triangle of the box is wound along its face's outward normal.
  const Spiel::Gitter kasten = Ressourcen::SteinKasten();
  ASSERT_EQ(kasten.indizes, stein.indizes);
  ASSERT_EQ(kasten.vertices.size(), stein.vertices.size());
  const float normalen[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {0, -1, 0}, {0, 1, 0}};
  for (size_t t = 0; t < 432; ++t) {
    const Spiel::WeltVertex &a = kasten.vertices[kasten.indizes[3 * t]], &b = kasten.vertices[kasten.indizes[3 * t + 1]],
                            &c = kasten.vertices[kasten.indizes[3 * t + 2]];
    const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
    const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    const float* soll = normalen[t / 72];
    const float laenge = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    EXPECT_NEAR((n[0] * soll[0] + n[1] * soll[1] + n[2] * soll[2]) / laenge, 1.0f, 1e-5f) << "triangle " << t;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(kasten.indizes[3 * t + i] / 49, t / 72) << "triangle " << t;
  }
  // The box's corners lie on the half extents; its texture coordinates are the stone's.
  EXPECT_EQ(kasten.vertices[0].x, -0.2f);
  EXPECT_EQ(kasten.vertices[0].y, -0.15f);
  EXPECT_EQ(kasten.vertices[0].z, -0.2f);
  for (size_t k = 0; k < kasten.vertices.size(); ++k) {
    EXPECT_EQ(kasten.vertices[k].u, stein.vertices[k].u);
    EXPECT_EQ(kasten.vertices[k].v, stein.vertices[k].v);
  }

  // Colour: one value per pixel, rows outer.
  const uint32_t FARBEN[] = {0x40777777, 0x40787878, 0x40979797};
  ASSERT_EQ(stein.farbe.Breite(), 64u);
  EXPECT_EQ(stein.farbe.MipAnzahl(), 7u);
  for (uint64_t y = 0; y < 64; ++y)
    for (uint64_t x = 0; x < 64; ++x) ASSERT_EQ(Pixel(stein.farbe, x, y), FARBEN[(y * 64 + x) % 3]) << x << ", " << y;

  // Normals: opaque everywhere but the last column, which no footprint reaches.
  ASSERT_EQ(stein.normale.Breite(), 64u);
  EXPECT_EQ(stein.normale.MipAnzahl(), 7u);
  for (uint64_t y = 0; y < 64; ++y)
    for (uint64_t x = 0; x < 64; ++x) {
      const uint32_t p = Pixel(stein.normale, x, y);
      if (x == 63) ASSERT_EQ(p, 0u) << y;
      else ASSERT_EQ(p >> 24, 0xFFu) << x << ", " << y;
    }
  // The bottom's texels (face 4: u 1/3..2/3, v 1/2..1) point down: green below 127.
  EXPECT_LT(Pixel(stein.normale, 32, 48) >> 8 & 0xFF, 40u);
  // The top's (face 5) point up.
  EXPECT_GT(Pixel(stein.normale, 53, 48) >> 8 & 0xFF, 214u);
}

TEST_F(SpielRessourcen, FreigebenUndNeuLaden) {
  const int vorLade = bildschirm.Belegt();
  Ressourcen::Lade();
  const int nachLade = bildschirm.Belegt();
  EXPECT_GT(nachLade, vorLade);
  Ressourcen::Lade();
  EXPECT_EQ(bildschirm.Belegt(), nachLade);
  Ressourcen::Freigeben();
  EXPECT_EQ(bildschirm.Belegt(), vorLade);
  ErwarteLeer();
  Ressourcen::Freigeben();
  EXPECT_EQ(bildschirm.Belegt(), vorLade);
}

// A folder "Daten" with the shipped files, one of them missing or replaced.
class SpielRessourcenFehler : public SpielRessourcen {
 protected:
  void Bereite(const std::string& datei, const testbilder::Bytes* inhalt) {
    std::filesystem::remove_all(ordner / "Daten");
    std::filesystem::create_directories(ordner / "Daten");
    for (const char* name : {"grafik.png", "GuiGrafik.png", "calibrib.ttf"})
      std::filesystem::copy_file(BAUORDNER / "Daten" / name, ordner / "Daten" / name);
    std::filesystem::remove(ordner / "Daten" / datei);
    if (inhalt) SchreibeDatei(ordner / "Daten" / datei, std::string(inhalt->begin(), inhalt->end()));
    g_System.anwendungsVerzeichnis = ordner.Pfad();
  }
  static testbilder::Bytes Rgb(uint32_t breite, uint32_t hoehe) {
    return testbilder::SchreibePng({breite, hoehe, 2, 8}, testbilder::Bytes(size_t(breite) * hoehe * 3, 0xFF));
  }

  EigenerOrdner ordner;
};

TEST_F(SpielRessourcenFehler, LadeScheitertUndBehaeltDasAlte) {
  const testbilder::Bytes schmal = Rgb(31, 16), niedrig = Rgb(320, 255);
  const testbilder::Bytes palette = testbilder::SchreibePng({32, 16, 3, 8}, testbilder::Bytes(32 * 16, 7));
  struct Fall {
    const char* datei;
    const testbilder::Bytes* inhalt;  // null: missing
    const char* meldung;              // "%s" the path
  } faelle[] = {
      {"grafik.png", nullptr, "Failed to load image \"%s\""},
      {"grafik.png", &schmal, "Image \"%s\" is smaller than 32x16"},
      {"grafik.png", &palette, "Failed to load image \"%s\""},
      {"GuiGrafik.png", &niedrig, "Image \"%s\" is smaller than 320x256"},
      {"calibrib.ttf", nullptr, "Failed to load TTF \"%s\""},
  };
  for (bool vorherGeladen : {false, true}) {
    for (const Fall& f : faelle) {
      SCOPED_TRACE(std::string(f.datei) + (vorherGeladen ? " nach einem Lade" : ""));
      Ressourcen::Freigeben();
      if (vorherGeladen) {
        g_System.anwendungsVerzeichnis = BAUORDNER;
        Ressourcen::Lade();
      }
      Zarvo_SpriteAtlas* atlas = Ressourcen::Atlas();
      Zarvo_Font3D* schrift = Ressourcen::Schrift();
      const Spiel::ModellEintrag* stein = Ressourcen::GibModell("Stein");
      Bereite(f.datei, f.inhalt);
      const int belegt = bildschirm.Belegt();
      const std::string pfad = (ordner / "Daten" / f.datei).string();
      try {
        Ressourcen::Lade();
        ADD_FAILURE() << "no exception";
      } catch (const Zarvo_Ausnahme& a) {
        std::string erwartet = f.meldung;
        erwartet.replace(erwartet.find("%s"), 2, pfad);
        EXPECT_EQ(a.meldung, erwartet);
      }
      EXPECT_EQ(bildschirm.Belegt(), belegt);
      EXPECT_EQ(Ressourcen::Atlas(), atlas);
      EXPECT_EQ(Ressourcen::Schrift(), schrift);
      EXPECT_EQ(Ressourcen::GibModell("Stein"), stein);
      if (!vorherGeladen) ErwarteLeer();
    }
  }
}

}  // namespace

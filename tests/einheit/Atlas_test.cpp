// Atlases: growth, re-placement with pixels, compaction, and the stored atlas block.
#include <gtest/gtest.h>

#include <cmath>

#include "AtlasSchreiber.h"
#include "LogMitschnitt.h"
#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_GfxAtlas.h"

namespace {

uint32_t Pixel(const Zarvo_Bild& bild, uint64_t x, uint64_t y) {
  const uint8_t* p = bild.Pixel() + y * bild.Zeilenbytes() + x * 4;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A source image whose every pixel is distinct for entry i.
Zarvo_Bild Muster(uint64_t w, uint64_t h, uint32_t i) {
  Zarvo_Bild bild(w, h, PXFMT_A8R8G8B8, 1);
  for (uint64_t y = 0; y < h; ++y)
    for (uint64_t x = 0; x < w; ++x) {
      uint8_t* p = bild.Pixel() + y * bild.Zeilenbytes() + x * 4;
      p[0] = uint8_t(x);
      p[1] = uint8_t(y);
      p[2] = uint8_t(i);
      p[3] = 0xFF;
    }
  return bild;
}

void FuegeEin(Zarvo_GfxAtlas& atlas, uint32_t i, uint64_t w, uint64_t h) {
  Zarvo_Bild quelle = Muster(w, h, i);
  TBereich bereich;
  quelle.LockBereich(bereich);
  atlas.KopiereEintrag(i, bereich, 0, 0, w, h);
}

void PruefeMuster(const Zarvo_GfxAtlas& atlas, uint32_t i) {
  const Zarvo_GfxAtlas::Eintrag* e = atlas.GibEintrag(i);
  ASSERT_NE(e, nullptr) << i;
  for (uint64_t y = 0; y < e->h; ++y)
    for (uint64_t x = 0; x < e->w; ++x)
      ASSERT_EQ(Pixel(atlas.Bild(), e->x + x, e->y + y), 0xFF000000u | i << 16 | uint32_t(y & 0xFF) << 8 | uint32_t(x & 0xFF))
          << "entry " << i;
}

TEST(Atlas, WaechstVonNullAuf512) {
  Zarvo_GfxAtlas atlas(0, 0);
  FuegeEin(atlas, 3, 100, 10);
  EXPECT_EQ(atlas.Bild().Breite(), 512u);
  EXPECT_EQ(atlas.Bild().Hoehe(), 512u);
  FuegeEin(atlas, 4, 10, 10);
  EXPECT_EQ(atlas.GibEintrag(4)->x, 100u);
  EXPECT_EQ(atlas.GibEintrag(4)->u, 0.1953125f);
  EXPECT_EQ(atlas.GibEintragHoehe(3), 10u);
  EXPECT_EQ(atlas.GibEintragHoehe(5), 0u);
  EXPECT_EQ(atlas.GibEintragHoehe(1u << 20), 0u);
  EXPECT_EQ(atlas.SlotAnzahl(), 64u);
  FuegeEin(atlas, 64, 1, 1);
  EXPECT_EQ(atlas.SlotAnzahl(), 128u);
  PruefeMuster(atlas, 3);
}

TEST(Atlas, WachsenEndetBeiDerGroesstenKante) {
  // A request wider than any image may be: without a bound the atlas would grow for ever.
  LogMitschnitt log;
  const uint64_t vorher = Zarvo_Bild::GibMaxKantenlaenge();
  Zarvo_Bild::SetzeMaxKantenlaenge(1024);
  Zarvo_GfxAtlas atlas(0, 0);
  FuegeEin(atlas, 3, 100, 10);
  EXPECT_FALSE(atlas.PlatziereEintrag(4, 2000, 10));
  EXPECT_EQ(atlas.GibEintrag(4), nullptr);
  EXPECT_EQ(atlas.Bild().Breite(), 1024u);
  EXPECT_EQ(log.Anzahl("Atlas kann nicht über 1024 Pixel Kantenlänge wachsen."), 1u);
  PruefeMuster(atlas, 3);
  EXPECT_FALSE(atlas.SetzeGroesse(4096));
  EXPECT_EQ(atlas.Bild().Breite(), 1024u);
  PruefeMuster(atlas, 3);
  Zarvo_Bild::SetzeMaxKantenlaenge(vorher);
}

TEST(Atlas, Volles512WirdZu1024UndBehaeltPixel) {
  Zarvo_GfxAtlas atlas(512, 0);
  for (uint32_t i = 0; i < 4; ++i) FuegeEin(atlas, i, 256, 256);
  EXPECT_EQ(atlas.Bild().Breite(), 512u);
  FuegeEin(atlas, 4, 16, 16);
  EXPECT_EQ(atlas.Bild().Breite(), 1024u);
  EXPECT_EQ(atlas.Bild().Hoehe(), 1024u);
  for (uint32_t i = 0; i < 5; ++i) {
    PruefeMuster(atlas, i);
    EXPECT_EQ(atlas.GibEintrag(i)->du, 256.0f / 1024.0f * (i < 4 ? 1 : 16.0f / 256.0f));
  }
  EXPECT_EQ(atlas.Platz().Belegt().size(), 5u);
}

TEST(Atlas, NichtQuadratischWirdQuadratischDann512) {
  Zarvo_GfxAtlas atlas(300, 200, 0);
  FuegeEin(atlas, 0, 300, 200);
  FuegeEin(atlas, 1, 300, 100);
  EXPECT_EQ(atlas.Bild().Breite(), 300u);
  EXPECT_EQ(atlas.Bild().Hoehe(), 300u);
  FuegeEin(atlas, 2, 1, 1);
  EXPECT_EQ(atlas.Bild().Breite(), 512u);
  for (uint32_t i = 0; i < 3; ++i) PruefeMuster(atlas, i);
}

// In index order 9 finds no room in 3 x 3 any more; the pass restarts at 4 x 4.
TEST(Atlas, AufraeumenWaechstStattSichSelbstZuUeberschreiben) {
  Zarvo_GfxAtlas atlas(3, 3, 0);
  FuegeEin(atlas, 9, 2, 3);
  FuegeEin(atlas, 8, 1, 2);
  FuegeEin(atlas, 7, 1, 1);
  ASSERT_EQ(atlas.Bild().Breite(), 3u);
  atlas.Aufraeumen();
  EXPECT_EQ(atlas.Bild().Breite(), 4u);
  EXPECT_EQ(atlas.Bild().Hoehe(), 4u);
  for (uint32_t i : {7u, 8u, 9u}) PruefeMuster(atlas, i);
  EXPECT_EQ(atlas.Platz().Belegt().size(), 3u);
}

// The line comes first; the compaction still runs (in index order entry 1 moves to the front).
TEST(Atlas, AufraeumenNurImVideoRamMeldet) {
  LogMitschnitt log;
  Zarvo_GfxAtlas atlas(8, 8, Zarvo_GfxAtlas::FLAG_NUR_VIDEORAM);
  FuegeEin(atlas, 9, 4, 4);
  FuegeEin(atlas, 1, 4, 4);
  ASSERT_EQ(atlas.GibEintrag(1)->x, 4u);
  atlas.Aufraeumen();
  EXPECT_EQ(log.Anzahl("!Ausnahme \"Kein Zugriff auf Bildinhalt, weil nur im VideoRAM\" aufgetreten in Funktion "
                       "Zarvo_GfxAtlas::Aufraeumen (SourceExt\\Zarvoklassen\\Zarvo_GfxAtlas:314)."),
            1u);
  EXPECT_EQ(atlas.GibEintrag(1)->x, 0u);
  EXPECT_EQ(atlas.GibEintrag(9)->x, 4u);
  PruefeMuster(atlas, 1);
  PruefeMuster(atlas, 9);
}

// A 2 x 2 atlas with entry 1 = {0, 0, 2, 1} and its pixels.
AtlasBeschreibung KleinerAtlas(uint32_t version) {
  AtlasBeschreibung b;
  b.version = version;
  b.flags = 1;
  b.slotAnzahl = 3;
  b.eintraege = {std::nullopt, Zarvo_GfxAtlas::Eintrag{0, 0, 2, 1, 0, 0, 1, 0.5f}, std::nullopt};
  b.platz = {false, 258, 2, 2, {{0, 0, 2, 1}}, {{0, 1, 2, 1}}};
  b.breite = 2;
  b.hoehe = 2;
  b.pixel = {0x11223344, 0x55667788, 0x99AABBCC, 0xDDEEFF00};
  return b;
}

TSpeicher Block(const AtlasBeschreibung& b) {
  TSpeicher s;
  SchreibeAtlasBlock(s, b);
  s.Zurueckspulen();
  return s;
}

TEST(AtlasBlock, Versionen) {
  for (uint32_t version : {257u, 258u, 259u, 260u, 261u, 262u, 300u}) {
    SCOPED_TRACE(version);
    AtlasBeschreibung b = KleinerAtlas(version);
    TSpeicher s = Block(b);
    s.SetzePosition(s.Groesse());
    s.SchreibeU8(0);  // trailing byte: the cursor must stop before it
    s.Zurueckspulen();
    LogMitschnitt log;
    Zarvo_GfxAtlas atlas(0, 2);
    ASSERT_TRUE(atlas.LadeAusSpeicher(s)) << (log.zeilen.empty() ? "" : log.zeilen.back());
    EXPECT_EQ(s.Rest(), 1u);
    EXPECT_EQ(atlas.Flags(), version >= 258 ? 1u : 2u);
    EXPECT_EQ(atlas.SlotAnzahl(), 64u);
    ASSERT_NE(atlas.GibEintrag(1), nullptr);
    EXPECT_EQ(atlas.GibEintrag(1)->dv, 0.5f);
    EXPECT_FALSE(atlas.IstLebendig(0));
    EXPECT_EQ(atlas.Bild().Breite(), 2u);
    EXPECT_EQ(atlas.Bild().Hoehe(), 2u);
    EXPECT_EQ(Pixel(atlas.Bild(), 1, 0), 0x55667788u);
    EXPECT_EQ(Pixel(atlas.Bild(), 0, 1), 0x99AABBCCu);
    EXPECT_EQ(atlas.Platz().Breite(), 2u);
  }
}

TEST(AtlasBlock, HoeheNullGibtLeeresBild) {
  AtlasBeschreibung b = KleinerAtlas(262);
  b.slotAnzahl = 0;
  b.eintraege.clear();
  b.platz = {};
  b.breite = 5;
  b.hoehe = 0;
  b.pixel.clear();
  TSpeicher s = Block(b);
  Zarvo_GfxAtlas atlas(4, 4, 0);
  ASSERT_TRUE(atlas.LadeAusSpeicher(s));
  EXPECT_TRUE(atlas.Bild().IstLeer());
  EXPECT_EQ(s.Rest(), 0u);
}

// Whatever area the packer block states (or none, before version 258), the image's W x H wins; the
// lists are taken as stored, and an older block's missing placed list comes from the live entries.
TEST(AtlasBlock, PlatzblockFormen) {
  struct Form {
    bool alt;
    uint32_t version;
  } formen[] = {{false, 257}, {false, 258}, {false, 259}, {true, 0}};
  for (const Form& f : formen) {
    SCOPED_TRACE(f.version);
    AtlasBeschreibung b = KleinerAtlas(262);
    b.platz = {f.alt, f.version, 99, 99, f.alt ? std::vector<TRechteck>{} : b.platz.belegt, b.platz.frei};
    TSpeicher s = Block(b);
    LogMitschnitt log;
    Zarvo_GfxAtlas atlas(7, 5, 0);
    ASSERT_TRUE(atlas.LadeAusSpeicher(s));
    EXPECT_EQ(atlas.Platz().Breite(), 2u);
    EXPECT_EQ(atlas.Platz().Hoehe(), 2u);
    EXPECT_EQ(atlas.Platz().Belegt(), (std::vector<TRechteck>{{0, 0, 2, 1}}));
    EXPECT_EQ(atlas.Platz().Frei(), (std::vector<TRechteck>{{0, 1, 2, 1}}));
    EXPECT_EQ(log.EnthaeltTeil("ungueltige Version"), f.version == 259);
    ASSERT_TRUE(atlas.PlatziereEintrag(5, 2, 1));  // the free row, without growing
    EXPECT_EQ(atlas.GibEintrag(5)->y, 1u);
    EXPECT_EQ(atlas.Bild().Breite(), 2u);
  }
}

// An image without pixels (W x 0) grows like an empty atlas, to 512, not to W x W: a block of a few
// hundred bytes must not make compaction allocate up to a gigabyte.
TEST(AtlasBlock, BildOhnePixelWaechstWieEinLeeresAtlas) {
  AtlasBeschreibung b = KleinerAtlas(262);
  b.eintraege[1] = Zarvo_GfxAtlas::Eintrag{0, 0, 58, 0, 0, 0, 0, 0};
  b.platz = {true, 0, 0, 0, {}, {}};
  b.breite = 15872;
  b.hoehe = 0;
  b.pixel.clear();
  TSpeicher s = Block(b);
  Zarvo_GfxAtlas atlas(0, 0);
  ASSERT_TRUE(atlas.LadeAusSpeicher(s));
  atlas.Aufraeumen();
  EXPECT_EQ(atlas.Bild().Breite(), 512u);
  EXPECT_EQ(atlas.Bild().Hoehe(), 512u);
  ASSERT_NE(atlas.GibEintrag(1), nullptr);
  EXPECT_EQ(atlas.GibEintrag(1)->w, 58u);
  EXPECT_EQ(Zarvo_GfxAtlas::NaechsteKante(0, 600), 512u);
  EXPECT_EQ(Zarvo_GfxAtlas::NaechsteKante(300, 200), 300u);
}

// An older packer block has no placed list: live entries are taken as placed, so a new entry
// overlaps none of them.
TEST(AtlasBlock, AlterPlatzblockSchuetztGeladeneEintraege) {
  AtlasBeschreibung b = KleinerAtlas(262);
  b.platz = {true, 0, 0, 0, {}, {{0, 0, 2, 2}}};
  TSpeicher s = Block(b);
  Zarvo_GfxAtlas atlas(0, 0);
  ASSERT_TRUE(atlas.LadeAusSpeicher(s));
  atlas.PlatziereEintrag(5, 2, 1);
  const Zarvo_GfxAtlas::Eintrag* neu = atlas.GibEintrag(5);
  const Zarvo_GfxAtlas::Eintrag* alt = atlas.GibEintrag(1);
  EXPECT_FALSE(Ueberlappen({neu->x, neu->y, neu->w, neu->h}, {alt->x, alt->y, alt->w, alt->h}));
}

struct Schaden {
  const char* name;
  void (*veraendere)(AtlasBeschreibung&);
};

TEST(AtlasBlock, BeschaedigteBloeckeAendernNichts) {
  const Schaden schaeden[] = {
      {"N über die Daten", [](AtlasBeschreibung& b) { b.slotAnzahl = 1u << 30; }},
      {"Eintrag außerhalb", [](AtlasBeschreibung& b) { b.eintraege[1]->x = 1; }},
      {"Eintrag überläuft", [](AtlasBeschreibung& b) { b.eintraege[1]->x = 0xFFFFFFFF; }},
      {"Platzrechteck außerhalb", [](AtlasBeschreibung& b) { b.platz.frei[0].h = 2; }},
      {"W x H überläuft", [](AtlasBeschreibung& b) { b.breite = b.hoehe = 0xFFFFFFFF; }},
      {"Platzanzahl zu groß", [](AtlasBeschreibung& b) { b.platz.alteForm = true; b.platz.frei.resize(1); }},
  };
  for (const Schaden& schaden : schaeden) {
    SCOPED_TRACE(schaden.name);
    AtlasBeschreibung b = KleinerAtlas(262);
    schaden.veraendere(b);
    TSpeicher s = Block(b);
    if (std::string(schaden.name) == "Platzanzahl zu groß") s.Daten()[s.Groesse() - 16 - 12 - 16 - 1] = 0xFF;
    LogMitschnitt log;
    Zarvo_GfxAtlas atlas(0, 0);
    FuegeEin(atlas, 1, 3, 3);
    EXPECT_FALSE(atlas.LadeAusSpeicher(s));
    EXPECT_EQ(log.Anzahl("!Zarvo_GfxAtlas::LadeAusSpeicher(): Atlasblock beschädigt: "), 1u);
    EXPECT_EQ(atlas.Bild().Breite(), 512u);
    PruefeMuster(atlas, 1);
  }
}

// Every cut of a sound block is refused with one line; a cut inside the magic counts as damage,
// a wrong magic is refused without a line.
TEST(AtlasBlock, JederSchnittWirdAbgelehnt) {
  for (uint32_t version : {257u, 262u}) {
    const TSpeicher voll = Block(KleinerAtlas(version));
    for (uint64_t laenge = 0; laenge < voll.Groesse(); ++laenge) {
      SCOPED_TRACE(laenge);
      TSpeicher s;
      s.SchreibeMem(voll.Daten(), laenge);
      s.Zurueckspulen();
      LogMitschnitt log;
      Zarvo_GfxAtlas atlas(4, 4, 0);
      EXPECT_FALSE(atlas.LadeAusSpeicher(s));
      EXPECT_EQ(log.Anzahl("Atlasblock beschädigt"), 1u);
      EXPECT_EQ(atlas.Bild().Breite(), 4u);
      EXPECT_EQ(s.Position(), 0u);
    }
  }
  TSpeicher s = Block(KleinerAtlas(262));
  s.Daten()[5] ^= 1;
  LogMitschnitt log;
  Zarvo_GfxAtlas atlas(4, 4, 0);
  EXPECT_FALSE(atlas.LadeAusSpeicher(s));
  EXPECT_TRUE(log.zeilen.empty() || !log.EnthaeltTeil("Atlasblock"));
  EXPECT_EQ(atlas.Bild().Breite(), 4u);
}

TEST(AtlasBlock, RundlaufUeberDenSchreiber) {
  Zarvo_GfxAtlas atlas(0, 0);
  FuegeEin(atlas, 65, 3, 4);
  FuegeEin(atlas, 70, 5, 2);
  TSpeicher s = Block(BeschreibeAtlas(atlas));
  Zarvo_GfxAtlas geladen(0, 0);
  ASSERT_TRUE(geladen.LadeAusSpeicher(s));
  PruefeMuster(geladen, 65);
  PruefeMuster(geladen, 70);
  EXPECT_EQ(geladen.Platz().Belegt(), atlas.Platz().Belegt());
  EXPECT_EQ(geladen.Platz().Frei(), atlas.Platz().Frei());
}

}  // namespace

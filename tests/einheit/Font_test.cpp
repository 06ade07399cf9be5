// Bitmap fonts without a device: measuring, the queued glyph positions per alignment and
// rotation, the line table of ZeichneBlock, cut UTF-8, the format buffer's limits, glyphs of
// another height, and the font file: reading, refusals and round trips through the writer.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "EigenerOrdner.h"
#include "FontSchreiber.h"
#include "FontVorlagen.h"
#include "LogMitschnitt.h"
#include "TSpeicher.h"
#include "TestFont.h"
#include "Zarvo_Font3D.h"

namespace {

using Zeile = Zarvo_Font3D::Zeile;

const std::vector<Zarvo_SpriteInstanz>& Glyphen(const Zarvo_Font3D& font) { return font.Glyphen().Liste().Instanzen(); }

TEST(Font, TextBreite) {
  auto font = testfont::Baue();
  Zarvo_Font3D breit;  // one glyph of advance 10 at native height 10
  Zarvo_Bild bild(4, 10, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  bild.LockBereich(bereich);
  breit.AddBuchstabe('W', bereich, 0, 0, 4, 10, 0, 0, 10);
  breit.SetGroesse(20);
  struct Fall {
    const char* name;
    Zarvo_Font3D* font;
    float groesse;
    const char* text;
    float breite;
  } faelle[] = {
      {"leer", font.get(), 10, "", 0},
      {"null", font.get(), 10, nullptr, 0},
      {"Glyphe bei Groesse 10", font.get(), 10, "a", 6},
      {"ohne Glyphe bei Groesse 10", font.get(), 10, " ", 3},
      {"drei ohne Glyphe bei Groesse 20", font.get(), 20, "#  ", 18},
      {"Mehrbyte-Zeichen", font.get(), 10, "\xC3\xA4\xE2\x82\xAC", 12},
      {"Vorschub 10, nativ 10, Groesse 20", &breit, 20, "W", 22},
  };
  for (const Fall& f : faelle) {
    f.font->SetGroesse(f.groesse);
    EXPECT_FLOAT_EQ(f.font->GibTextBreite(f.text), f.breite) << f.name;
  }
}

// Queued positions of "Ab c" at (100, 50), size 10: each glyph at the pen position plus its
// offsets (1, 2), 4 pixels higher; advances 6, 6, 3.
TEST(Font, ZeichnePositionenJeAusrichtung) {
  auto font = testfont::Baue();
  font->SetGroesse(10);
  font->farbe = {1, 0.5f, 0.25f, 1};
  struct Fall {
    const char* name;
    uint32_t horizontal, vertikal;
    float winkel;
    float ersteX, ersteY;    // "A"
    float schrittX, schrittY;  // from "A" to "b"
  } faelle[] = {
      {"links oben", 0, 0, 0, 101, 48, 6, 0},
      {"zentriert: halbe Breite (21) nach links", 1, 0, 0, 101 - 10.5f, 48, 6, 0},
      {"rechts", 2, 0, 0, 101 - 21, 48, 6, 0},
      {"unten: um die Groesse hoeher", 0, 8, 0, 101, 38, 6, 0},
      {"vertikal mittig", 0, 4, 0, 101, 43, 6, 0},
      {"unbekannte Codes bewegen nicht", 3, 2, 0, 101, 48, 6, 0},
      // A quarter turn: the pen runs down the screen, the offsets turn with it.
      {"gedreht", 0, 0, std::numbers::pi_v<float> / 2, 100 - 2, 46 + 1, 0, 6},
      {"gedreht und rechts", 2, 0, std::numbers::pi_v<float> / 2, 100 - 2, 46 + 1 - 21, 0, 6},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    font->SetAusrichtung(f.horizontal, f.vertikal);
    font->winkel = f.winkel;
    font->Zeichne(100, 50, "Ab c");
    const std::vector<Zarvo_SpriteInstanz> g = Glyphen(*font);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_NEAR(g[0].x, f.ersteX, 1e-4);
    EXPECT_NEAR(g[0].y, f.ersteY, 1e-4);
    EXPECT_NEAR(g[1].x - g[0].x, f.schrittX, 1e-4);
    EXPECT_NEAR(g[1].y - g[0].y, f.schrittY, 1e-4);
    EXPECT_NEAR(g[2].x - g[1].x, 9 * f.schrittX / 6, 1e-4);  // "b", then the space
    EXPECT_EQ(g[0].breite, 4);
    EXPECT_EQ(g[0].hoehe, 10);
    EXPECT_EQ(g[0].winkel, f.winkel);
    EXPECT_EQ(g[0].z, 0.5f);
    EXPECT_EQ(g[0].r, 1);
    EXPECT_EQ(g[0].g, 0.5f);
    const Zarvo_GfxAtlas::Eintrag* a = font->Glyphen().GibEintrag('A');
    EXPECT_EQ(g[0].quellX, float(a->x));
    font->ZeichneAlles();  // no device: only empties the queue
  }
  // At size 20 the glyphs and offsets double.
  font->SetzeStilZurueck();
  font->SetGroesse(20);
  font->Zeichne(0, 0, "A");
  EXPECT_EQ(Glyphen(*font)[0].breite, 8);
  EXPECT_EQ(Glyphen(*font)[0].hoehe, 20);
  EXPECT_FLOAT_EQ(Glyphen(*font)[0].x, 2);
  EXPECT_FLOAT_EQ(Glyphen(*font)[0].y, -8 + 4);
}

// Lines at size 10: a glyph 6, a space or dot 3 (so "..." is 9), line height 10.
TEST(Font, Zeilentabelle) {
  auto font = testfont::Baue();
  font->SetGroesse(10);
  struct Fall {
    const char* name;
    const char* text;
    float breite, hoehe;
    std::vector<Zeile> zeilen;
  } faelle[] = {
      {"Umbruch am Leerzeichen", "ab cd", 16, 100, {{0, 2, 12}, {3, 5, 12}}},
      {"Zeilenvorschub, auch am Ende", "ab\ncd\n", 100, 100, {{0, 2, 12}, {3, 5, 12}}},
      {"leere Zeile zwischen zwei Vorschueben", "a\n\nb", 100, 100, {{0, 1, 6}, {2, 2, 0}, {3, 4, 6}}},
      {"Bruch ohne Gelegenheit", "abcdef", 20, 100, {{0, 3, 18}, {3, 6, 18}}},
      {"genaues Passen bleibt auf der Zeile", "abcd", 18, 100, {{0, 3, 18}, {3, 4, 6}}},
      {"... auf der letzten Zeile", "ab cd ef", 16, 25, {{0, 2, 12}, {3, 4, 15, true}}},
      {"... ueber dem Leerzeichen", "ab c de", 16, 25, {{0, 2, 12}, {3, 4, 15, true}}},
      {"... ueber dem Zeilenvorschub", "ab\ncd", 100, 5, {{0, 2, 21, true}}},
      {"niedriger als eine Zeile: eine Zeile", "ab cd", 100, 3, {{0, 5, 27}}},
      {"Breite 0: leere Zeilen, ... zuletzt", "ab", 0, 30, {{0, 0, 0}, {0, 0, 0}, {0, 1, 15, true}}},
      {"breites Zeichen allein", "abc", 4, 100, {{0, 1, 6}, {1, 2, 6}, {2, 3, 6}}},
      {"Mehrbyte-Zeichen zaehlen als eines", "\xC3\xA4\xC3\xA4\xC3\xA4", 13, 100, {{0, 4, 12}, {4, 6, 6}}},
      {"leerer Text", "", 100, 100, {{0, 0, 0}}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    const std::vector<Zeile> zeilen = font->BrecheUm(f.text, f.breite, f.hoehe);
    ASSERT_EQ(zeilen.size(), f.zeilen.size());
    for (size_t i = 0; i < zeilen.size(); ++i) {
      EXPECT_EQ(zeilen[i].anfang, f.zeilen[i].anfang) << i;
      EXPECT_EQ(zeilen[i].ende, f.zeilen[i].ende) << i;
      EXPECT_FLOAT_EQ(zeilen[i].breite, f.zeilen[i].breite) << i;
      EXPECT_EQ(zeilen[i].ausgelassen, f.zeilen[i].ausgelassen) << i;
    }
  }
}

// ZeichneBlock places the lines of the table: 11 pixels apart (line height 10 + 1), moved by the
// free height for middle and bottom, each line aligned in the box; "..." drawn at the cut.
TEST(Font, BlockPositionen) {
  auto font = testfont::Baue();
  font->SetGroesse(10);
  struct Fall {
    const char* name;
    uint32_t horizontal, vertikal;
    const char* text;
    float breite, hoehe;
    std::vector<std::pair<float, float>> zeilenStart;  // pen position of each line's first glyph
    size_t glyphen;
  } faelle[] = {
      {"oben links", 0, 0, "ab\ncd", 50, 40, {{10, 20}, {10, 31}}, 4},
      {"unten: 40 - 2 * 10 - 1 tiefer", 0, 8, "ab\ncd", 50, 40, {{10, 39}, {10, 50}}, 4},
      {"mittig", 0, 4, "ab\ncd", 50, 40, {{10, 29.5f}, {10, 40.5f}}, 4},
      {"zentriert", 1, 0, "ab\ncde", 50, 40, {{10 + 19, 20}, {10 + 16, 31}}, 5},
      {"rechts", 2, 0, "ab\ncde", 50, 40, {{10 + 38, 20}, {10 + 32, 31}}, 5},
      {"rechts mit ...", 2, 0, "ab cd ef", 16, 25, {{10 + 4, 20}, {10 + 1, 31}}, 3},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    font->SetAusrichtung(f.horizontal, f.vertikal);
    font->ZeichneBlock(10, 20, f.breite, f.hoehe, "%s", f.text);
    const std::vector<Zarvo_SpriteInstanz> g = Glyphen(*font);
    ASSERT_EQ(g.size(), f.glyphen);
    size_t glyph = 0;
    for (const auto& [x, y] : f.zeilenStart) {
      EXPECT_FLOAT_EQ(g[glyph].x, x + 1);
      EXPECT_FLOAT_EQ(g[glyph].y, y - 4 + 2);
      glyph += 2;
    }
    font->ZeichneAlles();
  }
  // The cut line reads "c..." in the buffer.
  EXPECT_STREQ(font->FormatPuffer() + 3, "c...");
}

// Cut UTF-8 sequences at the very end of heap blocks of their exact size: the cut sequence is
// one U+FFFD, and nothing behind the terminator is read (AddressSanitizer watches the blocks).
TEST(Font, AbgeschnittenesUtf8) {
  auto font = testfont::Baue();
  font->SetGroesse(10);
  struct Fall {
    std::string bytes;
    float breite;
    size_t glyphen;
  } faelle[] = {{"\xC3", 3, 0}, {"a\xE2\x82", 9, 1}, {"\xF0\x9F\x98", 3, 0}};
  for (int mitErsatzzeichen = 0; mitErsatzzeichen < 2; ++mitErsatzzeichen) {
    if (mitErsatzzeichen) testfont::FuegeGlyphHinzu(*font, 0xFFFD);
    for (const Fall& f : faelle) {
      SCOPED_TRACE(testing::PrintToString(f.bytes) + (mitErsatzzeichen ? " with U+FFFD" : ""));
      auto block = std::make_unique<char[]>(f.bytes.size() + 1);
      std::memcpy(block.get(), f.bytes.c_str(), f.bytes.size() + 1);
      EXPECT_FLOAT_EQ(font->GibTextBreite(block.get()), f.breite + (mitErsatzzeichen ? 3.0f : 0.0f));
      font->Zeichne(0, 0, block.get());
      EXPECT_EQ(Glyphen(*font).size(), f.glyphen + size_t(mitErsatzzeichen));
      font->ZeichneAlles();
      EXPECT_EQ(font->BrecheUm(block.get(), 100, 100).size(), 1u);
    }
  }
}

TEST(Font, FormatPufferGrenzen) {
  auto font = testfont::Baue();
  font->SetGroesse(10);
  const std::string lang(10005, 'a');
  font->ZeichneFormat(0, 0, "%s", lang.c_str());
  EXPECT_EQ(std::strlen(font->FormatPuffer()), 9999u);
  EXPECT_EQ(Glyphen(*font).size(), 9999u);
  font->ZeichneAlles();

  // One line (height below a line) that holds 9997 or 9998 glyphs next to "..." (9): the dots
  // and their terminator land at 9997 or 9998 to 10001, inside the buffer at the object's end.
  for (uint64_t schnitt : {9997u, 9998u}) {
    SCOPED_TRACE(schnitt);
    const float breite = float(schnitt) * 6 + 3 + 9;
    font->ZeichneBlock(0, 0, breite, 5, "%s", lang.c_str());
    EXPECT_EQ(std::string(font->FormatPuffer() + schnitt), "...");
    EXPECT_EQ(Glyphen(*font).size(), schnitt);
    font->ZeichneAlles();
  }
}

TEST(Font, GlypheAndererHoeheAbgelehnt) {
  LogMitschnitt log;
  auto font = testfont::Baue();
  Zarvo_Bild bild(4, 12, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  bild.LockBereich(bereich);
  font->AddBuchstabe(0xF6, bereich, 0, 0, 4, 12, 0, 0, 5);
  g_Log.LeereWarteschlange();
  EXPECT_TRUE(log.Enthaelt(
      "!Zarvo_Font3D::AddBuchstabe( '\xC3\xB6', ..., 0, 0, 4, 12): Neuer Buchstabe hat abweichende Höhe (12 anstatt 10)."));
  EXPECT_FALSE(font->Glyphen().IstLebendig(0xF6));
  EXPECT_EQ(font->NativeHoehe(), 10);
}

// ---- the font file ----

class FontDateiTest : public ::testing::Test {
 protected:
  static TSpeicher Datei(const FontBeschreibung& b) {
    TSpeicher s;
    SchreibeFontDatei(s, b);
    s.Zurueckspulen();
    return s;
  }
  bool Lade(Zarvo_Font3D& font, const FontBeschreibung& b) {
    TSpeicher s = Datei(b);
    const bool ok = font.LadeAusSpeicher(s, "probe.fnt");
    g_Log.LeereWarteschlange();
    return ok;
  }
  // Everything a load may change.
  struct Stand {
    float hoehe, groesse;
    std::vector<Zarvo_Font3D::Metrik> metriken;
    AtlasBeschreibung atlas;
  };
  static Stand StandVon(const Zarvo_Font3D& font) {
    return {font.NativeHoehe(), font.Groesse(), font.Metriken(), BeschreibeAtlas(font.Glyphen())};
  }
  static void ErwarteGleich(const Stand& a, const Stand& b) {
    EXPECT_EQ(a.hoehe, b.hoehe);
    EXPECT_EQ(a.groesse, b.groesse);
    EXPECT_EQ(a.metriken, b.metriken);
    EXPECT_EQ(a.atlas.eintraege.size(), b.atlas.eintraege.size());
    EXPECT_EQ(a.atlas.pixel, b.atlas.pixel);
  }

  LogMitschnitt log;
};

// The smallest font, byte for byte as assembled here by hand, and read back.
TEST_F(FontDateiTest, EinGlyphFontByteFuerByte) {
  std::vector<uint8_t> erwartet;
  auto u32 = [&](uint32_t w) {
    for (int s = 24; s >= 0; s -= 8) erwartet.push_back(uint8_t(w >> s));
  };
  auto text = [&](const char* t) {
    for (int i = 0; i < 4; ++i) erwartet.push_back(uint8_t(t[i]));
  };
  text("FNTH");
  u32(258);
  u32(0x40000000);  // 2.0
  text("BLKG");
  text("FX3D");
  u32(262);
  u32(0);  // flags
  u32(0);
  u32(128);
  for (int i = 0; i < 128; ++i) {
    erwartet.push_back(i == 65);
    if (i == 65)
      for (uint32_t w : {0u, 0u, 2u, 2u, 0u, 0u, 0x3F800000u, 0x3F800000u}) u32(w);
  }
  text("PLTZ");
  u32(0x80000102);
  u32(0);
  u32(44);
  for (uint32_t w : {2u, 2u, 1u, 0u, 0u, 2u, 2u, 0u}) u32(w);
  text("Pltz");
  u32(0);
  u32(2);
  u32(2);
  for (int i = 0; i < 4; ++i) u32(0xFFFFFFFF);
  u32(128);
  for (int i = 0; i < 128; ++i)
    for (uint32_t w : {0u, 0u, i == 65 ? 3u : 0u}) u32(w);
  ASSERT_EQ(erwartet.size(), 1816u);

  TSpeicher s = Datei(fontvorlagen::EinGlyphFont());
  ASSERT_EQ(s.Groesse(), 1816u);
  EXPECT_EQ(std::memcmp(s.Daten(), erwartet.data(), 1816), 0);

  // Written to a file and read back by Laden.
  EigenerOrdner ordner;
  const std::filesystem::path pfad = ordner.Pfad() / "a.fnt";
  ASSERT_TRUE(s.SpeichereInDatei(pfad, 0));
  Zarvo_Font3D font;
  ASSERT_TRUE(font.Laden(pfad));
  EXPECT_EQ(font.NativeHoehe(), 2);
  font.SetGroesse(2);
  EXPECT_FLOAT_EQ(font.GibTextBreite("A"), 3.2f);
}

TEST_F(FontDateiTest, LadenFaelle) {
  const FontBeschreibung basis = fontvorlagen::KleinerFont();
  struct Fall {
    const char* name;
    void (*aendere)(FontBeschreibung&);
    bool ergebnis;
    const char* zeile;  // expected line, or null for none
  } faelle[] = {
      {"falsche Kennung laedt trotzdem", [](FontBeschreibung& b) { b.kennung = 0x464E5449; }, true,
       "!Zarvo_Font3D::Laden( \"probe.fnt\"): Header ist ungültig."},
      {"Hoehe 0", [](FontBeschreibung& b) { b.hoehe = 0; }, false, "!Zarvo_Font3D::Laden( \"probe.fnt\"): Datei beschädigt: Höhe ungültig"},
      {"Hoehe NaN", [](FontBeschreibung& b) { b.hoehe = std::numeric_limits<float>::quiet_NaN(); }, false,
       "!Zarvo_Font3D::Laden( \"probe.fnt\"): Datei beschädigt: Höhe ungültig"},
      {"Hoehe unendlich", [](FontBeschreibung& b) { b.hoehe = std::numeric_limits<float>::infinity(); }, false,
       "!Zarvo_Font3D::Laden( \"probe.fnt\"): Datei beschädigt: Höhe ungültig"},
      {"Metriken kuerzer als G", [](FontBeschreibung& b) { b.metriken.resize(63); }, false,
       "!Zarvo_Font3D::Laden( \"probe.fnt\"): Datei beschädigt: Metriken abgeschnitten"},
      {"G ohne Daten", [](FontBeschreibung& b) { b.glyphAnzahl = 0xFFFFFFFF; }, false,
       "!Zarvo_Font3D::Laden( \"probe.fnt\"): Datei beschädigt: Metriken abgeschnitten"},
      {"Atlasblock beschaedigt", [](FontBeschreibung& b) { b.atlas.pixel.resize(10); b.metriken.clear(); b.glyphAnzahl = 0; }, false,
       "!Zarvo_Font3D::Laden( \"probe.fnt\"): Datei beschädigt: Atlasblock beschädigt"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    auto font = testfont::Baue();
    const Stand vorher = StandVon(*font);
    FontBeschreibung b = basis;
    f.aendere(b);
    log.zeilen.clear();
    EXPECT_EQ(Lade(*font, b), f.ergebnis);
    if (f.zeile) {
      EXPECT_TRUE(log.Enthaelt(f.zeile)) << (log.zeilen.empty() ? "" : log.zeilen.back());
    }
    if (!f.ergebnis) ErwarteGleich(StandVon(*font), vorher);
  }
}

TEST_F(FontDateiTest, AbgelehnterAtlasLaesstDenFont) {
  auto font = testfont::Baue();
  const Stand vorher = StandVon(*font);
  TSpeicher s = Datei(fontvorlagen::KleinerFont());
  s.Daten()[12] = 'X';  // "BLKG" -> "XLKG"
  EXPECT_FALSE(font->LadeAusSpeicher(s, "probe.fnt"));
  g_Log.LeereWarteschlange();
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Font3D::Laden( \"probe.fnt\"): Atlas ist ungültig."));
  ErwarteGleich(StandVon(*font), vorher);

  // A file cut at each of its first fields, and one that cannot be read.
  TSpeicher ganz = Datei(fontvorlagen::KleinerFont());
  for (uint64_t laenge : {0u, 11u, 19u, 100u}) {
    TSpeicher teil;
    teil.SchreibeMem(ganz.Daten(), laenge);
    teil.Zurueckspulen();
    EXPECT_FALSE(font->LadeAusSpeicher(teil, "probe.fnt")) << laenge;
  }
  log.zeilen.clear();
  EXPECT_FALSE(font->Laden("/gibt/es/nicht.fnt"));
  g_Log.LeereWarteschlange();
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Font3D::Laden( \"/gibt/es/nicht.fnt\"): Datei konnte nicht gelesen werden."));
  ErwarteGleich(StandVon(*font), vorher);
}

// Entries beyond the glyph count still get records: zero from version 257, the entry width as
// advance in version 256. Entry 300 lies beyond the 256 records of the older layouts, entries
// 40 to 63 beyond a count of 40.
TEST_F(FontDateiTest, EintraegeHinterDerGlyphanzahl) {
  FontBeschreibung basis = fontvorlagen::KleinerFont();
  Zarvo_GfxAtlas atlas(16, 16, 0);
  Zarvo_Bild quelle(2, 3, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  quelle.LockBereich(bereich);
  for (uint64_t i : {33u, 50u, 300u}) atlas.KopiereEintrag(i, bereich, 0, 0, 2, 3);
  basis.atlas = BeschreibeAtlas(atlas);
  struct Fall {
    uint32_t version, glyphen;
    uint64_t groesse;
    Zarvo_Font3D::Metrik m50, m300;
  } faelle[] = {
      {258, 40, 512, {0, 0, 0}, {0, 0, 0}},
      {257, 256, 512, basis.metriken[50], {0, 0, 0}},
      {256, 256, 512, {0, 0, 2}, {0, 0, 2}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.version);
    FontBeschreibung b = basis;
    b.version = f.version;
    b.glyphAnzahl = f.glyphen;
    b.metriken.resize(f.glyphen);
    Zarvo_Font3D font;
    ASSERT_TRUE(Lade(font, b));
    ASSERT_EQ(font.Metriken().size(), f.groesse);
    EXPECT_EQ(font.Metriken()[50], f.m50);
    EXPECT_EQ(font.Metriken()[300], f.m300);
    if (f.version >= 257) {
      EXPECT_EQ(font.Metriken()[33], basis.metriken[33]);
    }
  }
}

// A font made with AddBuchstabe, written and read back over every font and atlas layout, keeps
// entries, pixels and metrics (version 256: advance = entry width, offsets 0).
TEST_F(FontDateiTest, RundreiseUeberAlleFassungen) {
  auto original = testfont::Baue();
  const FontBeschreibung beschrieben = BeschreibeFont(*original);
  for (uint32_t fontVersion : {256u, 257u, 258u})
    for (uint32_t atlasVersion : {257u, 258u, 259u, 260u, 261u, 262u}) {
      SCOPED_TRACE(std::to_string(fontVersion) + " / " + std::to_string(atlasVersion));
      FontBeschreibung b = beschrieben;
      b.version = fontVersion;
      b.atlas.version = atlasVersion;
      if (fontVersion == 257) b.metriken.resize(Zarvo_Font3D::ALTE_GLYPHANZAHL);  // the layout holds 256 records
      Zarvo_Font3D font;
      ASSERT_TRUE(Lade(font, b));
      EXPECT_EQ(font.NativeHoehe(), 10);
      const Zarvo_GfxAtlas& a = font.Glyphen();
      const Zarvo_GfxAtlas& o = original->Glyphen();
      ASSERT_EQ(a.SlotAnzahl(), o.SlotAnzahl());
      int verschieden = 0;
      for (uint64_t i = 0; i < o.SlotAnzahl(); ++i) {
        const auto* ea = a.GibEintrag(i);
        const auto* eo = o.GibEintrag(i);
        if ((ea == nullptr) != (eo == nullptr) || (ea && std::memcmp(ea, eo, sizeof *ea) != 0)) ++verschieden;
      }
      EXPECT_EQ(verschieden, 0);
      ASSERT_EQ(a.Bild().Breite(), o.Bild().Breite());
      EXPECT_EQ(std::memcmp(a.Bild().Pixel(), o.Bild().Pixel(), o.Bild().Breite() * o.Bild().Hoehe() * 4), 0);
      ASSERT_EQ(font.Metriken().size(), original->Metriken().size());
      for (uint64_t i = 0; i < o.SlotAnzahl(); ++i) {
        Zarvo_Font3D::Metrik erwartet = original->Metriken()[i];
        if (fontVersion == 256) erwartet = {0, 0, o.GibEintrag(i) ? int32_t(o.GibEintrag(i)->w) : 0};
        if (fontVersion == 257 && i >= Zarvo_Font3D::ALTE_GLYPHANZAHL) erwartet = {};
        if (!(font.Metriken()[i] == erwartet)) ++verschieden;
      }
      EXPECT_EQ(verschieden, 0);
      font.SetGroesse(10);
      EXPECT_FLOAT_EQ(font.GibTextBreite("Ab"), fontVersion == 256 ? 10 : 12);
    }
}

}  // namespace

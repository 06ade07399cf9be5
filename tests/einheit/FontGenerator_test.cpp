// The font generator: its character set, the shipped TrueType font at 12 and 24 px against
// FreeType itself as the oracle, the tiny test font's edge cases, the metric rule, the refusals
// with their lines and exceptions, and the shipped files.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "EigenerOrdner.h"
#include "KleineSchrift.h"
#include "LogMitschnitt.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_FontGenerator.h"
#include "Zarvo_Hilfsfunktionen.h"

namespace {

const std::filesystem::path DATEN = MORVELUNT_DATEN_ZIEL;
const std::filesystem::path DEBIAN_TTF = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const std::filesystem::path DEBIAN_LIZENZ = "/usr/share/doc/fonts-dejavu-core/copyright";

using Metrik = Zarvo_Font3D::Metrik;

std::vector<uint32_t> Zeichen(std::string_view text) {
  std::vector<uint32_t> zeichen;
  const std::string kopie(text);
  for (const char* c = kopie.c_str(); *c;) zeichen.push_back(DekodiereUtf8(c));
  return zeichen;
}

uint32_t AtlasPixel(const Zarvo_Font3D& font, uint32_t zeichen, uint64_t x, uint64_t y) {
  const Zarvo_GfxAtlas::Eintrag* e = font.Glyphen().GibEintrag(zeichen);
  uint32_t p;
  std::memcpy(&p, font.Glyphen().Bild().Pixel() + (e->y + y) * font.Glyphen().Bild().Zeilenbytes() + 4 * (e->x + x), 4);
  return p;
}

// The process's peak resident memory.
long SpitzenSpeicherKiB() {
  rusage nutzung{};
  getrusage(RUSAGE_SELF, &nutzung);
  return nutzung.ru_maxrss;
}

uint64_t LebendeGlyphen(const Zarvo_Font3D& font) {
  uint64_t n = 0;
  for (uint64_t i = 0; i < font.Glyphen().SlotAnzahl(); ++i) n += font.HatGlyphe(uint32_t(i));
  return n;
}

// FreeType on the same bytes, the way a reader of its documentation would call it.
class FreeTypeOrakel {
 public:
  FreeTypeOrakel(const std::vector<uint8_t>& bytes, uint64_t groesse) : daten(bytes) {
    EXPECT_EQ(FT_Init_FreeType(&bibliothek), 0);
    EXPECT_EQ(FT_New_Memory_Face(bibliothek, daten.data(), FT_Long(daten.size()), 0, &schrift), 0);
    EXPECT_EQ(FT_Set_Pixel_Sizes(schrift, 0, FT_UInt(groesse)), 0);
  }
  ~FreeTypeOrakel() {
    FT_Done_Face(schrift);
    FT_Done_FreeType(bibliothek);
  }
  // The rendered glyph of a code point, null when the face has none for it.
  FT_GlyphSlot Glyphe(uint32_t zeichen) {
    const FT_UInt index = FT_Get_Char_Index(schrift, zeichen);
    if (index == 0 || FT_Load_Glyph(schrift, index, FT_LOAD_RENDER) != 0) return nullptr;
    return schrift->glyph;
  }
  FT_Library bibliothek = nullptr;
  FT_Face schrift = nullptr;

 private:
  std::vector<uint8_t> daten;
};

std::vector<uint8_t> LiesBytes(const std::filesystem::path& pfad) {
  const std::string text = LiesDatei(pfad);
  return {text.begin(), text.end()};
}

TEST(FontGenerator, ZeichensatzInGruppenAufsteigend) {
  const std::string_view satz = Zarvo_FontGenerator::Zeichensatz();
  EXPECT_EQ(satz.size(), 2528u);
  const std::vector<uint32_t> zeichen = Zeichen(satz);
  ASSERT_EQ(zeichen.size(), 949u);
  EXPECT_EQ(zeichen[0], uint32_t('\''));
  for (size_t i = 2; i < zeichen.size(); ++i) EXPECT_LT(zeichen[i - 1], zeichen[i]) << i;
  struct Gruppe {
    uint32_t von, bis;
    size_t anzahl;
  } gruppen[] = {{0x21, 0x7E, 89}, {0x80, 0xFF, 44}, {0x100, 0x17F, 31}, {0x400, 0x4FF, 66}, {0xAC00, 0xD7A3, 719}};
  size_t summe = 0;
  for (const Gruppe& g : gruppen) {
    size_t n = 0;
    for (uint32_t z : zeichen) n += z >= g.von && z <= g.bis;
    EXPECT_EQ(n, g.anzahl) << std::hex << g.von;
    summe += n;
  }
  EXPECT_EQ(summe, zeichen.size());
  for (uint32_t fehlt : {'=', '`', '{', '|', '}', ' '})
    EXPECT_EQ(std::count(zeichen.begin(), zeichen.end(), fehlt), 0) << char(fehlt);
}

// Every code point of the set against FreeType: present exactly when it renders a non-empty
// bitmap, with that bitmap as alpha of white and the metrics of the rule.
void PruefeGegenFreeType(const std::vector<uint8_t>& ttf, uint64_t groesse, const Zarvo_Font3D& font) {
  FreeTypeOrakel orakel(ttf, groesse);
  const int64_t g = int64_t(groesse);
  for (uint32_t z : Zeichen(Zarvo_FontGenerator::Zeichensatz())) {
    const FT_GlyphSlot glyphe = orakel.Glyphe(z);
    const bool sichtbar = glyphe && glyphe->bitmap.width > 0 && glyphe->bitmap.rows > 0;
    ASSERT_EQ(font.HatGlyphe(z), sichtbar) << "U+" << std::hex << z;
    if (!sichtbar) continue;
    const FT_Bitmap& b = glyphe->bitmap;
    const Zarvo_GfxAtlas::Eintrag* e = font.Glyphen().GibEintrag(z);
    ASSERT_EQ(e->w, b.width) << std::hex << z;
    ASSERT_EQ(e->h, b.rows) << std::hex << z;
    for (unsigned r = 0; r < b.rows; ++r)
      for (unsigned c = 0; c < b.width; ++c)
        ASSERT_EQ(AtlasPixel(font, z, c, r), uint32_t(b.buffer[r * b.pitch + c]) << 24 | 0xFFFFFFu) << std::hex << z;
    const FT_Glyph_Metrics& m = glyphe->metrics;
    const Metrik erwartet{int32_t(m.horiBearingX / 64), int32_t(std::max<int64_t>(0, g - m.horiBearingY / 64)),
                          int32_t(m.horiAdvance >> 6)};
    ASSERT_EQ(font.Metriken()[z], erwartet) << std::hex << z;
  }
}

TEST(FontGenerator, MitgelieferteSchriftWieFreeType) {
  const std::vector<uint8_t> ttf = LiesBytes(DATEN / "calibrib.ttf");
  for (uint64_t groesse : {12u, 24u}) {
    SCOPED_TRACE(groesse);
    const auto font = Zarvo_FontGenerator::ErzeugeSchriftart(DATEN / "calibrib.ttf", groesse);
    EXPECT_EQ(font->NativeHoehe(), float(groesse));
    EXPECT_EQ(font->Groesse(), float(groesse));
    EXPECT_EQ(font->Skalierung(), 1.0f);
    EXPECT_EQ(LebendeGlyphen(*font), 230u);
    EXPECT_EQ(font->Metriken().size(), 2048u);  // the highest glyph is U+0451
    EXPECT_FALSE(font->HatGlyphe(' '));
    for (uint32_t z = 0xAC00; z <= 0xD7A3; ++z) ASSERT_FALSE(font->HatGlyphe(z)) << std::hex << z;
    PruefeGegenFreeType(ttf, groesse, *font);
  }
}

TEST(FontGenerator, FesteWerteAufDebian12) {
  const auto klein = Zarvo_FontGenerator::ErzeugeSchriftart(DATEN / "calibrib.ttf", 12);
  const auto gross = Zarvo_FontGenerator::ErzeugeSchriftart(DATEN / "calibrib.ttf", 24);
  EXPECT_EQ(klein->Glyphen().GibEintrag('A')->w, 10u);
  EXPECT_EQ(klein->Glyphen().GibEintragHoehe('A'), 9u);
  EXPECT_EQ(klein->Metriken()['A'], (Metrik{0, 3, 9}));
  EXPECT_EQ(gross->Glyphen().GibEintrag('A')->w, 19u);
  EXPECT_EQ(gross->Glyphen().GibEintragHoehe('A'), 18u);
  EXPECT_EQ(gross->Metriken()['A'], (Metrik{0, 6, 19}));
  for (uint32_t z : {uint32_t('j'), 0xFDu, 0x444u}) EXPECT_EQ(klein->Glyphen().GibEintragHoehe(z), 13u) << std::hex << z;
}

TEST(FontGenerator, KleineSchrift) {
  const std::vector<uint8_t> ttf = kleineschrift::Baue();
  const auto font = Zarvo_FontGenerator::ErzeugeSchriftartAusSpeicher(ttf, "klein.ttf", 12);
  ASSERT_TRUE(font->HatGlyphe('A'));
  // 'B' is taller than the size: all 18 rows stay, its top is clamped to the line top.
  ASSERT_TRUE(font->HatGlyphe('B'));
  EXPECT_EQ(font->Glyphen().GibEintragHoehe('B'), 18u);
  EXPECT_EQ(font->Metriken()['B'].yVersatz, 0);
  EXPECT_EQ(LebendeGlyphen(*font), 2u);
  // 'C' maps to glyph 0, which FreeType renders as a box: still no glyph.
  FreeTypeOrakel orakel(ttf, 12);
  ASSERT_EQ(FT_Get_Char_Index(orakel.schrift, 'C'), 0u);
  ASSERT_EQ(FT_Load_Glyph(orakel.schrift, 0, FT_LOAD_RENDER), 0);
  EXPECT_GT(orakel.schrift->glyph->bitmap.width * orakel.schrift->glyph->bitmap.rows, 0u);
  EXPECT_FALSE(font->HatGlyphe('C'));
  PruefeGegenFreeType(ttf, 12, *font);

  const auto ohneTabelle = Zarvo_FontGenerator::ErzeugeSchriftartAusSpeicher(kleineschrift::Baue(false), "ohne.ttf", 12);
  EXPECT_EQ(LebendeGlyphen(*ohneTabelle), 0u);
  EXPECT_EQ(ohneTabelle->NativeHoehe(), 12.0f);
}

TEST(FontGenerator, GroessenAmRand) {
  for (uint64_t groesse : {1u, 256u}) {
    const auto font = Zarvo_FontGenerator::ErzeugeSchriftartAusSpeicher(kleineschrift::Baue(), "klein.ttf", groesse);
    EXPECT_EQ(font->NativeHoehe(), float(groesse));
    EXPECT_TRUE(font->HatGlyphe('A')) << groesse;
  }
}

// A glyph whose bitmap would take 8390 x 8390 bytes (67 MB) at 256 px: FreeType's request for it
// is refused, so the generation neither holds that memory nor keeps the glyph.
TEST(FontGenerator, RiesigeGlypheWirdNichtBelegt) {
  kleineschrift::Glyphe glyphen[kleineschrift::ANZAHL] = {kleineschrift::GLYPHEN[0], {-16383, -16383, 16383, 16383, 600},
                                                          kleineschrift::GLYPHEN[2]};
  const std::vector<uint8_t> ttf = kleineschrift::Baue(true, glyphen);
  const long vorher = SpitzenSpeicherKiB();
  const auto font = Zarvo_FontGenerator::ErzeugeSchriftartAusSpeicher(ttf, "riesig.ttf", 256);
  EXPECT_LT(SpitzenSpeicherKiB() - vorher, 48 * 1024);  // the scratch image takes 16 MiB
  EXPECT_FALSE(font->HatGlyphe('A'));
  EXPECT_TRUE(font->HatGlyphe('B'));
}

TEST(FontGenerator, MetrikRegel) {
  struct Fall {
    const char* name;
    int64_t x, y, vorschub;
    uint64_t groesse;
    Metrik erwartet;
  } faelle[] = {
      {"ganze Pixel", 64, 9 * 64, 10 * 64, 12, {1, 3, 10}},
      {"Bruchteile abgeschnitten", 127, 9 * 64 + 63, 10 * 64 + 63, 12, {1, 3, 10}},
      {"negativer Versatz zur Null hin", -65, 12 * 64, 640, 12, {-1, 0, 10}},
      {"kleiner negativer Versatz wird 0", -63, 0, 640, 12, {0, 12, 10}},
      {"Unterlaenge: unter der Grundlinie", 0, -130, 640, 12, {0, 14, 10}},
      {"hoeher als die Zeile: 0", 0, 15 * 64, 640, 12, {0, 0, 10}},
      {"negativer Vorschub nach minus unendlich", 0, 0, -1, 12, {0, 12, -1}},
      {"negativer Vorschub mit Bruchteil", 0, 0, -65, 12, {0, 12, -2}},
      {"geklemmt", int64_t(1) << 50, -(int64_t(1) << 50), -(int64_t(1) << 50), 12,
       {INT32_MAX, INT32_MAX, INT32_MIN}},
  };
  for (const Fall& f : faelle)
    EXPECT_EQ(Zarvo_FontGenerator::BerechneMetrik(f.x, f.y, f.vorschub, f.groesse), f.erwartet) << f.name;
}

TEST(FontGenerator, Fehler) {
  EigenerOrdner ordner;
  const std::vector<uint8_t> klein = kleineschrift::Baue();
  SchreibeDatei(ordner / "klein.ttf", std::string(klein.begin(), klein.end()));
  SchreibeDatei(ordner / "nullen.ttf", std::string(100, '\0'));
  SchreibeDatei(ordner / "leer.ttf", "");
  SchreibeDatei(ordner / "bitmap.bdf", kleineschrift::Bdf());
  struct Fall {
    const char* datei;
    uint64_t groesse;
    const char* zeile;  // the log line, "%s" the path; null: none
    const char* meldung;
  } faelle[] = {
      {"fehlt.ttf", 12, "!Kann Schriftart \"%s\" nicht öffnen.", "Failed to load TTF \"%s\""},
      {"nullen.ttf", 12, "!Schriftart \"%s\" nicht lesbar mit Fehlercode 85.", "Failed to load TTF \"%s\""},
      {"leer.ttf", 12, "!Schriftart \"%s\" nicht lesbar mit Fehlercode 85.", "Failed to load TTF \"%s\""},
      {"bitmap.bdf", 12, "?Schriftart \"%s\" ist nicht frei skalierbar.", "TTF \"%s\" is not scalable"},
      {"klein.ttf", 0, nullptr, "Failed to render TTF \"%s\""},
      {"klein.ttf", 257, nullptr, "Failed to render TTF \"%s\""},
      {"fehlt.ttf", 0, nullptr, "Failed to render TTF \"%s\""},  // the size is checked first
  };
  auto mitPfad = [](const char* muster, const std::string& pfad) {
    std::string text = muster;
    text.replace(text.find("%s"), 2, pfad);
    return text;
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(std::string(f.datei) + " " + std::to_string(f.groesse));
    LogMitschnitt log;
    const std::string pfad = (ordner / f.datei).string();
    try {
      Zarvo_FontGenerator::ErzeugeSchriftart(pfad, f.groesse);
      ADD_FAILURE() << "no exception";
    } catch (const Zarvo_Ausnahme& a) {
      EXPECT_EQ(a.meldung, mitPfad(f.meldung, pfad));
      EXPECT_EQ(a.funktion, "Zarvo_FontGenerator::ErzeugeSchriftart");
      EXPECT_EQ(a.datei, "SourceExt\\Zarvoklassen\\Zarvo_FontGenerator");
    }
    if (f.zeile)
      EXPECT_EQ(log.zeilen, std::vector<std::string>{mitPfad(f.zeile, pfad)});
    else
      EXPECT_TRUE(log.zeilen.empty()) << log.zeilen.front();
  }
}

TEST(FontGenerator, MitgelieferteDateien) {
  EXPECT_EQ(LiesDatei(DATEN / "calibrib.ttf"), LiesDatei(DEBIAN_TTF));
  EXPECT_FALSE(LiesDatei(DATEN / "calibrib.ttf").empty());
  EXPECT_EQ(LiesDatei(DATEN / "calibrib-lizenz.txt"), LiesDatei(DEBIAN_LIZENZ));
  EXPECT_FALSE(LiesDatei(DATEN / "calibrib-lizenz.txt").empty());

  Zarvo_Font3D geladen;
  ASSERT_TRUE(geladen.Laden(DATEN / "calibrib.fnt"));
  const auto frisch = Zarvo_FontGenerator::ErzeugeSchriftart(DATEN / "calibrib.ttf", 12);
  EXPECT_EQ(geladen.NativeHoehe(), 12.0f);
  EXPECT_EQ(geladen.Metriken(), frisch->Metriken());
  EXPECT_EQ(LebendeGlyphen(geladen), 230u);
  for (uint32_t z = 0; z < frisch->Glyphen().SlotAnzahl(); ++z) {
    ASSERT_EQ(geladen.HatGlyphe(z), frisch->HatGlyphe(z)) << std::hex << z;
    if (!frisch->HatGlyphe(z)) continue;
    const Zarvo_GfxAtlas::Eintrag *a = geladen.Glyphen().GibEintrag(z), *b = frisch->Glyphen().GibEintrag(z);
    ASSERT_EQ(a->w, b->w);
    ASSERT_EQ(a->h, b->h);
    for (uint64_t y = 0; y < a->h; ++y)
      for (uint64_t x = 0; x < a->w; ++x) ASSERT_EQ(AtlasPixel(geladen, z, x, y), AtlasPixel(*frisch, z, x, y)) << std::hex << z;
  }
}

}  // namespace

// The widgets: text line and its UTF-8 model, number field, buttons and their images,
// tooltips, and the drawing seam.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Abstand.h"
#include "Button.h"
#include "EingabeZeile.h"
#include "GuiAufzeichner.h"
#include "GuiHilfen.h"
#include "Hinweis.h"
#include "Seite.h"
#include "Text.h"
#include "Utf8.h"
#include "ZahlEingabe.h"
#include "Zarvo_SpriteAtlas.h"

using namespace guihilfen;
using Gui::TastenZustand::GEDRUECKT;
using Gui::TastenZustand::LOSGELASSEN;

namespace {

// ---- Text line ----------------------------------------------------------------------------------

struct Eingabe {
  bool taste;         // a key press, else a character
  uint64_t wert;      // key code or code point
};
Eingabe Zeichen(uint32_t c) { return {false, c}; }
Eingabe Taste(uint64_t code) { return {true, code}; }

// Sends one input to a detached line; returns whether it was handled.
bool Sende(Gui::EingabeZeile& zeile, const Eingabe& e) {
  if (e.taste) {
    Gui::TasteEreignis ereignis(e.wert, GEDRUECKT, false);
    zeile.BeiTaste(ereignis);
    return ereignis.behandelt;
  }
  Gui::UnicodeEreignis ereignis(uint32_t(e.wert));
  zeile.BeiUnicode(ereignis);
  return ereignis.behandelt;
}

// Puts the cursor at a code point by presses of 264 from the end.
void SetzeCursor(Gui::EingabeZeile& zeile, uint64_t cursor) {
  while (zeile.Cursor() > cursor) Sende(zeile, Taste(Gui::Taste::LINKS));
}

struct ZeilenFall {
  const char* name;
  const char* text;
  uint64_t cursor;
  bool filter;
  Eingabe eingabe;
  const char* ergebnis;
  uint64_t neuerCursor;
  uint64_t laenge;
  bool behandelt;
  int aenderungen;
};

const ZeilenFall ZEILEN_FAELLE[] = {
    {"e_akut_in_abc_bei_1", "abc", 1, false, Zeichen(233), "a\xC3\xA9" "bc", 2, 4, true, 1},
    {"am_Ende_angehaengt", "abc", 3, false, Zeichen('d'), "abcd", 4, 4, true, 1},
    {"zehn_Codepunkte_voll", "0123456789", 10, false, Zeichen('x'), "0123456789", 10, 10, false, 0},
    {"zehn_Codepunkte_mehrbytig_voll", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 0,
     false, Zeichen('x'), "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 0, 10, false, 0},
    {"Steuerzeichen_abgewiesen", "ab", 2, false, Zeichen(31), "ab", 2, 2, false, 0},
    {"Leerzeichen_angenommen", "ab", 2, false, Zeichen(32), "ab ", 3, 3, true, 1},
    {"Filter_weist_Minus_ab", "ab", 2, true, Zeichen('-'), "ab", 2, 2, false, 0},
    {"Filter_weist_Punkt_ab", "ab", 2, true, Zeichen('.'), "ab", 2, 2, false, 0},
    {"Filter_nimmt_Ziffer", "ab", 2, true, Zeichen('7'), "ab7", 3, 3, true, 1},
    {"Filter_nimmt_Unterstrich", "ab", 2, true, Zeichen('_'), "ab_", 3, 3, true, 1},
    {"Filter_nimmt_Leerzeichen", "ab", 2, true, Zeichen(' '), "ab ", 3, 3, true, 1},
    {"Filter_nimmt_ueber_127", "ab", 2, true, Zeichen(0xE9), "ab\xC3\xA9", 3, 3, true, 1},
    {"Surrogat_abgewiesen", "ab", 2, false, Zeichen(0xD800), "ab", 2, 2, false, 0},
    {"letztes_Surrogat_abgewiesen", "ab", 2, false, Zeichen(0xDFFF), "ab", 2, 2, false, 0},
    {"ueber_10FFFF_abgewiesen", "ab", 2, false, Zeichen(0x110000), "ab", 2, 2, false, 0},
    {"10FFFF_angenommen", "ab", 0, false, Zeichen(0x10FFFF), "\xF4\x8F\xBF\xBF" "ab", 1, 3, true, 1},
    // a, e acute (2 bytes), euro (3), emoji (4)
    {"Einfuegen_hinter_Zweibyter", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 2, false, Zeichen('x'),
     "a\xC3\xA9x\xE2\x82\xAC\xF0\x9F\x98\x80", 3, 5, true, 1},
    {"Rueckschritt_hinter_Dreibyter", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 3, false, Taste(267),
     "a\xC3\xA9\xF0\x9F\x98\x80", 2, 3, true, 1},
    {"Entfernen_vor_Zweibyter", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 1, false, Taste(268),
     "a\xE2\x82\xAC\xF0\x9F\x98\x80", 1, 3, true, 1},
    {"Entfernen_vor_Vierbyter", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 3, false, Taste(268),
     "a\xC3\xA9\xE2\x82\xAC", 3, 3, true, 1},
    {"Rechts_ueber_Vierbyter", "a\xF0\x9F\x98\x80", 1, false, Taste(263), "a\xF0\x9F\x98\x80", 2, 2, true, 0},
    {"Links_bei_0_unbehandelt", "ab", 0, false, Taste(264), "ab", 0, 2, false, 0},
    {"Rechts_am_Ende_unbehandelt", "ab", 2, false, Taste(263), "ab", 2, 2, false, 0},
    {"Rueckschritt_bei_0_unbehandelt", "ab", 0, false, Taste(267), "ab", 0, 2, false, 0},
    {"Entfernen_am_Ende_unbehandelt", "ab", 2, false, Taste(268), "ab", 2, 2, false, 0},
    {"andere_Taste_unbehandelt", "ab", 1, false, Taste(30), "ab", 1, 2, false, 0},
};

class Zeile : public GuiTest, public ::testing::WithParamInterface<ZeilenFall> {};

TEST_P(Zeile, Eingabe) {
  const ZeilenFall& fall = GetParam();
  Gui::EingabeZeile zeile(0, fall.text);
  zeile.filter = fall.filter;
  SetzeCursor(zeile, fall.cursor);
  ASSERT_EQ(zeile.Cursor(), fall.cursor);
  int aenderungen = 0;
  std::string gemeldet;
  zeile.beiAenderung = [&](const std::string& t) {
    ++aenderungen;
    gemeldet = t;
  };
  const TZeit vorher = zeile.GeaendertUm();
  Schritt(0.1f);
  EXPECT_EQ(Sende(zeile, fall.eingabe), fall.behandelt);
  EXPECT_EQ(zeile.GibText(), fall.ergebnis);
  EXPECT_EQ(zeile.Cursor(), fall.neuerCursor);
  EXPECT_EQ(zeile.Laenge(), fall.laenge);
  EXPECT_EQ(aenderungen, fall.aenderungen);
  if (aenderungen) {
    EXPECT_EQ(gemeldet, fall.ergebnis);
    EXPECT_EQ(zeile.GeaendertUm(), g_Zeit.zeit);
  } else {
    EXPECT_EQ(zeile.GeaendertUm(), vorher);
  }
}

INSTANTIATE_TEST_SUITE_P(Faelle, Zeile, ::testing::ValuesIn(ZEILEN_FAELLE),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Zeile, SetTextUndLoescheZeichen) {
  Gui::EingabeZeile zeile(0, "abcdef");
  EXPECT_EQ(zeile.Cursor(), 6u);
  EXPECT_EQ(zeile.maxLaenge, 10u);
  int aenderungen = 0;
  zeile.beiAenderung = [&](const std::string&) { ++aenderungen; };
  zeile.SetText("abcdef");
  EXPECT_EQ(aenderungen, 0) << "an equal text changes nothing";
  zeile.SetText("abcdefghijklmno");
  EXPECT_EQ(zeile.Laenge(), 15u) << "SetText takes any length";
  EXPECT_EQ(zeile.Cursor(), 6u);
  zeile.SetText("ab");
  EXPECT_EQ(zeile.Cursor(), 2u) << "kept inside the text";

  struct Fall {
    uint64_t cursor, position, anzahl;
    const char* text;
    uint64_t neuerCursor;
  } faelle[] = {
      {5, 1, 1, "acdef", 4},    // the cursor behind moves back by the count
      {5, 1, 10, "a", 1},       // but not before the position
      {3, 1, 1, "acdef", 2},
      {1, 1, 2, "adef", 1},     // a cursor at the position stays
      {0, 2, 2, "abef", 0},
      {6, 1, UINT64_MAX, "a", 1},  // a huge count reaches the end
      {6, 6, 3, "abcdef", 6},      // nothing behind the end
      {6, 9, 1, "abcdef", 6},
  };
  for (const Fall& f : faelle) {
    zeile.SetText("abcdef");
    while (zeile.Cursor() < 6) Sende(zeile, Taste(Gui::Taste::RECHTS));
    SetzeCursor(zeile, f.cursor);
    zeile.LoescheZeichen(f.position, f.anzahl);
    EXPECT_EQ(zeile.GibText(), f.text) << f.cursor << " " << f.position << " " << f.anzahl;
    EXPECT_EQ(zeile.Cursor(), f.neuerCursor) << f.cursor << " " << f.position << " " << f.anzahl;
  }
}

// Bytes that are not valid UTF-8: a sequence cut by the end or by a byte that is no
// continuation counts as one code point, and every walk stays inside the text.
TEST_F(Zeile, KaputteSequenzenZaehlenUndVersetzenInnerhalbDesTextes) {
  struct Fall {
    const char* text;
    uint64_t laenge;
    std::vector<size_t> versaetze;  // of code points 0..laenge
  } faelle[] = {
      {"ab\xE2\x82", 3, {0, 1, 2, 4}},
      {"\x80x\xBF", 3, {0, 1, 2, 3}},
      {"\xF0\x9F", 1, {0, 2}},
      {"\xC3\xA9\xE2", 2, {0, 2, 3}},
      {"\xE2" "a", 2, {0, 1, 2}},
      {"\xF0\x9F\x98\x80\x80", 2, {0, 4, 5}},
      {"\xFF\xFE", 2, {0, 1, 2}},
  };
  for (const Fall& f : faelle) {
    const std::string text = f.text;
    EXPECT_EQ(Gui::ZaehleCodepunkte(text), f.laenge) << testing::PrintToString(text);
    for (uint64_t i = 0; i < f.versaetze.size(); ++i) EXPECT_EQ(Gui::CodepunktVersatz(text, i), f.versaetze[i]) << i;
    EXPECT_EQ(Gui::CodepunktVersatz(text, 99), text.size());
  }
}

// SetText with a cut sequence or a lone continuation byte, then every edit at every cursor
// position: length and cursor always match the text (clean under ASan).
TEST_F(Zeile, JedeBearbeitungAnJederStelleBleibtImText) {
  auto o = NeueOberflaeche(400, 300);
  const char* texte[] = {"ab\xE2\x82", "\x80x\xBF", "\xF0\x9F", "\xC3\xA9\xE2", "\xE2", "\xC3", "a\xF0\x9F\x98", "\xBF\xBF\xBF"};
  const Eingabe eingaben[] = {Taste(267), Taste(268), Taste(263), Taste(264), Zeichen('x'), Zeichen(0x20AC), Zeichen(0x1F600)};
  for (const char* anfang : texte) {
    for (bool zusatz : {false, true}) {
      const uint64_t laenge = Gui::ZaehleCodepunkte(anfang);
      for (uint64_t cursor = 0; cursor <= laenge; ++cursor) {
        for (const Eingabe& e : eingaben) {
          auto* zeile = new Gui::EingabeZeile(0, "");
          o->FuegeHinzu(zeile);
          zeile->SetText(anfang);
          SetzeCursor(*zeile, cursor);
          o->VerarbeiteTaste(Gui::Taste::ZUSATZ, zusatz ? GEDRUECKT : LOSGELASSEN);
          const uint64_t laengeVorher = zeile->Laenge();
          const bool behandelt = Sende(*zeile, e);
          SCOPED_TRACE(testing::PrintToString(std::string(anfang)) + " cursor " + std::to_string(cursor) + " input " +
                       std::to_string(e.wert));
          EXPECT_EQ(zeile->Laenge(), Gui::ZaehleCodepunkte(zeile->GibText()));
          EXPECT_LE(zeile->Cursor(), zeile->Laenge());
          if (!e.taste && behandelt) {
            EXPECT_EQ(zeile->Laenge(), laengeVorher + 1) << "a typed character is one code point";
          }
          zeile->LoescheZeichen(cursor, 1);
          EXPECT_EQ(zeile->Laenge(), Gui::ZaehleCodepunkte(zeile->GibText()));
          EXPECT_LE(zeile->Cursor(), zeile->Laenge());
          delete zeile;
        }
      }
    }
  }
  // The cut sequence's code point is deleted whole.
  Gui::EingabeZeile zeile(0, "ab\xE2\x82");
  Sende(zeile, Taste(Gui::Taste::RUECKSCHRITT));
  EXPECT_EQ(zeile.GibText(), "ab");
  EXPECT_EQ(zeile.TextVorCursor(), "ab");
  EinTick();
}

TEST(KodiereUtf8, Grenzen) {
  struct Fall {
    uint32_t zeichen;
    std::string bytes;
  } faelle[] = {
      {0, ""},
      {127, "\x7F"},
      {128, "\xC2\x80"},
      {2047, "\xDF\xBF"},
      {2048, "\xE0\xA0\x80"},
      {65535, "\xEF\xBF\xBF"},
      {65536, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const Fall& f : faelle) EXPECT_EQ(Gui::KodiereUtf8(f.zeichen), f.bytes) << f.zeichen;
}

// ---- Number field -------------------------------------------------------------------------------

using Zahl = GuiTest;

TEST_F(Zahl, PlusMinusUndGrenzen) {
  auto o = NeueOberflaeche(400, 300);
  auto* zahl = new Gui::ZahlEingabe(3.5f, 99);
  o->FuegeHinzu(zahl);
  EXPECT_EQ(zahl->Zeile().GibText(), "3.500000");
  EXPECT_EQ(zahl->dehnung, (BVektor3<float>{1, 0, 0}));
  ASSERT_EQ(zahl->Kinder().size(), 3u);
  EXPECT_EQ(zahl->Kinder()[0], &zahl->Zeile());
  EXPECT_EQ(zahl->Plus().beschriftung, "+");
  EXPECT_EQ(zahl->Minus().beschriftung, "-");
  std::vector<float> werte;
  zahl->beiWert = [&](float v) { werte.push_back(v); };
  int aenderungen = 0;
  auto parse = zahl->Zeile().beiAenderung;
  zahl->Zeile().beiAenderung = [&](const std::string& t) {
    ++aenderungen;
    parse(t);
  };

  o->SetFokus(&zahl->Plus());
  o->VerarbeiteTaste(Gui::Taste::KLICK, GEDRUECKT);
  EXPECT_EQ(zahl->Wert(), 4.5f);
  EXPECT_EQ(zahl->Zeile().GibText(), "4.500000");
  EXPECT_EQ(werte, (std::vector<float>{4.5f})) << "exactly one onValue";
  EXPECT_EQ(aenderungen, 1);

  zahl->minimum = 0;
  zahl->maximum = 5;
  zahl->schritt = 2;
  o->VerarbeiteTaste(Gui::Taste::KLICK, GEDRUECKT);
  EXPECT_EQ(zahl->Wert(), 5.0f) << "clamped";
  o->VerarbeiteTaste(Gui::Taste::KLICK, GEDRUECKT);
  EXPECT_EQ(werte, (std::vector<float>{4.5f, 5.0f})) << "no change, no onValue";
  o->SetFokus(&zahl->Minus());
  for (int i = 0; i < 4; ++i) o->VerarbeiteTaste(Gui::Taste::KLICK, GEDRUECKT);
  EXPECT_EQ(zahl->Wert(), 0.0f);
  EXPECT_EQ(zahl->Zeile().GibText(), "0.000000");
  zahl->SetzeWert(1.25f, false);
  EXPECT_EQ(zahl->Zeile().GibText(), "0.000000") << "no text update asked for";
  EXPECT_EQ(zahl->Wert(), 1.25f);

  // "%f" of a large value has eleven characters: typing is refused until it is shortened.
  zahl->maximum = std::numeric_limits<float>::max();
  zahl->SetzeWert(1000, true);
  EXPECT_EQ(zahl->Zeile().GibText(), "1000.000000");
  Gui::UnicodeEreignis e('1');
  zahl->Zeile().BeiUnicode(e);
  EXPECT_FALSE(e.behandelt);
  EinTick();
}

struct ParseFall {
  const char* text;
  float wert;   // from 1.0
  int meldungen;
};

const ParseFall PARSE_FAELLE[] = {
    {"", 1, 0},        {"-", 1, 0},          {"abc", 1, 0},      {" 2.5", 2.5f, 1},     {"\t\n-3", -3, 1},
    {"3.5abc", 3.5f, 1}, {"1e39", 1, 0},     {"-1e39", 1, 0},    {"1e-50", 1, 0},       {"1e-40", 1, 0},
    {"inf", 1, 0},     {"-infinity", 1, 0},  {"nan", 1, 0},      {"-7", -7, 1},         {"+4", 4, 1},
    {"+-4", 1, 0},     {"0x8", 8, 1},      {"0x", 0, 1},       {"1", 1, 0},           {".5", 0.5f, 1},
    {"1e", 1, 0},      {"20", 10, 1},        {"-20", -10, 1},
};

void PrintTo(const ParseFall& f, std::ostream* os) { *os << testing::PrintToString(std::string(f.text)); }

class ZahlParse : public GuiTest, public ::testing::WithParamInterface<ParseFall> {};

TEST_P(ZahlParse, WertUndMeldungen) {
  const ParseFall& fall = GetParam();
  Gui::ZahlEingabe zahl(1, 0);
  zahl.minimum = -10;
  zahl.maximum = 10;
  int meldungen = 0;
  zahl.beiWert = [&](float) { ++meldungen; };
  zahl.Zeile().SetText(fall.text);
  EXPECT_EQ(zahl.Wert(), fall.wert);
  EXPECT_EQ(meldungen, fall.meldungen);
  EXPECT_EQ(zahl.Zeile().GibText(), fall.text) << "the text is not rewritten";
}

INSTANTIATE_TEST_SUITE_P(Faelle, ZahlParse, ::testing::ValuesIn(PARSE_FAELLE));

// Typing "-" into the field, as into the object dialog, is no number yet and ends nothing.
TEST_F(Zahl, MinusTippenWirftNicht) {
  auto o = NeueOberflaeche(400, 300);
  auto* zahl = new Gui::ZahlEingabe(2, 0);
  o->FuegeHinzu(zahl);
  o->SetFokus(&zahl->Zeile());
  o->VerarbeiteTaste(Gui::Taste::ZUSATZ, GEDRUECKT);
  o->VerarbeiteTaste(Gui::Taste::RUECKSCHRITT, GEDRUECKT);
  EXPECT_EQ(zahl->Zeile().GibText(), "");
  for (uint32_t c : {uint32_t('-'), uint32_t('7')}) {
    Gui::UnicodeEreignis e(c);
    o->VerteileEreignis(e);
  }
  EXPECT_EQ(zahl->Zeile().GibText(), "-7");
  EXPECT_EQ(zahl->Wert(), -7.0f);
  EinTick();
}

// ---- Buttons ------------------------------------------------------------------------------------

class ZaehlAtlas : public Zarvo_SpriteAtlas {
 public:
  explicit ZaehlAtlas(int& zerstoert_) : Zarvo_SpriteAtlas(64, 4, 0), zerstoert(zerstoert_) {}
  ~ZaehlAtlas() override { ++zerstoert; }

 private:
  int& zerstoert;
};

using ButtonTest = GuiTest;

TEST_F(ButtonTest, SpriteGroesseUndBildEigentum) {
  Zarvo_SpriteAtlas atlas(64, 4, 0);
  ASSERT_TRUE(atlas.PlatziereEintrag(3, 24, 16));
  Gui::Button mitBild("", Gui::ButtonBild(&atlas, 3, false));
  EXPECT_EQ(mitBild.GespeicherteGroesse(), (BVektor3<float>{24, 16, 0}));
  EXPECT_FALSE(mitBild.IstAutoGroesse());
  Gui::Button fehlt("", Gui::ButtonBild(&atlas, 5, false));
  EXPECT_EQ(fehlt.GespeicherteGroesse(), (BVektor3<float>{0, 0, 0})) << "an entry the atlas does not hold";
  Gui::Button beschriftet("Text", Gui::ButtonBild(&atlas, 3, false));
  EXPECT_EQ(beschriftet.GespeicherteGroesse(), (BVektor3<float>{100, 50, 0}));
  EXPECT_TRUE(beschriftet.IstAutoGroesse());
  EXPECT_EQ(mitBild.GibTaste(), Gui::Taste::KEINE);
  EXPECT_TRUE(mitBild.IstAktiv());

  // An unowned record is copied; an owned one is handed over and the source emptied.
  Gui::ButtonBild fremd(&atlas, 3, false);
  Gui::Button kopiert("k", std::move(fremd));
  EXPECT_EQ(fremd.Atlas(), &atlas);
  EXPECT_EQ(fremd.Index(), 3u);
  EXPECT_EQ(kopiert.Bild().Atlas(), &atlas);
  int zerstoert = 0;
  Gui::ButtonBild eigen(new ZaehlAtlas(zerstoert), 0, true);
  Zarvo_SpriteAtlas* eigenerAtlas = eigen.Atlas();
  auto* besitzer = new Gui::Button("b", std::move(eigen));
  EXPECT_EQ(eigen.Atlas(), nullptr);
  EXPECT_EQ(eigen.Index(), Gui::ButtonBild::KEIN_INDEX);
  EXPECT_FALSE(eigen.Besitzt());
  EXPECT_EQ(besitzer->Bild().Atlas(), eigenerAtlas);
  EXPECT_TRUE(besitzer->Bild().Besitzt());
  EXPECT_EQ(zerstoert, 0);
  delete besitzer;
  EXPECT_EQ(zerstoert, 1) << "an owned atlas is destroyed with the button";
}

TEST_F(ButtonTest, KlickStempeltUndInaktivNimmtKeinenFokus) {
  auto o = NeueOberflaeche(400, 300);
  auto* b = new Gui::Button("b");
  o->FuegeHinzu(b);
  int klicks = 0;
  b->beiKlick = [&] { ++klicks; };
  o->SetFokus(b);
  Schritt(1);
  o->VerarbeiteTaste(Gui::Taste::MAUS_1, GEDRUECKT);
  EXPECT_EQ(b->GedruecktUm(), g_Zeit.zeit);
  o->VerarbeiteTaste(Gui::Taste::MAUS_1, LOSGELASSEN);
  EXPECT_EQ(klicks, 1) << "on the press only";
  b->SetAktiv(false);
  EXPECT_FALSE(b->IstFokussierbar());
  o->VerarbeiteTaste(Gui::Taste::KLICK, GEDRUECKT);
  EXPECT_EQ(o->Fokus(), nullptr) << "dropped before the key";
  EXPECT_EQ(klicks, 1);
  EinTick();
}

// ---- Tooltips -----------------------------------------------------------------------------------

struct PlatzFall {
  const char* name;
  BVektor3<float> flaeche;
  BVektor3<float> position, groesse;  // the owner's
  size_t textLaenge;
  BVektor3<float> erwartet;
  BVektor3<float> erwarteteGroesse;
};

const PlatzFall PLATZ_FAELLE[] = {
    {"linke_obere_Haelfte_rechts_darunter", {800, 600, 0}, {100, 100, 0}, {100, 40, 0}, 0, {210, 144, 0}, {150, 70, 0}},
    {"rechte_untere_Haelfte_links_darueber", {800, 600, 0}, {600, 400, 0}, {100, 40, 0}, 0, {440, 326, 0}, {150, 70, 0}},
    {"rechts_an_den_Rand_geklemmt", {800, 600, 0}, {0, 0, 0}, {780, 20, 0}, 0, {650, 22, 0}, {150, 70, 0}},
    {"links_an_den_Rand_geklemmt", {800, 600, 0}, {20, 500, 0}, {780, 20, 0}, 0, {0, 428, 0}, {150, 70, 0}},
    {"groesser_als_die_Flaeche", {100, 50, 0}, {0, 0, 0}, {10, 10, 0}, 0, {-50, -20, 0}, {150, 70, 0}},
    {"Groesse_nach_Textlaenge", {800, 600, 0}, {100, 100, 0}, {100, 40, 0}, 100, {210, 144, 0}, {450, 210, 0}},
};

class HinweisPlatz : public GuiTest, public ::testing::WithParamInterface<PlatzFall> {};

TEST_P(HinweisPlatz, NebenDemBesitzerInDerFlaeche) {
  const PlatzFall& fall = GetParam();
  auto o = NeueOberflaeche(fall.flaeche.x, fall.flaeche.y);
  auto* seite = new Gui::VaterBasis();
  seite->SetPosition({fall.position.x / 2, fall.position.y / 2, 0}, false);
  o->FuegeHinzu(seite);
  auto* besitzer = new Gui::Text("b", 0);
  besitzer->SetPosition(fall.position * 0.5f, false);  // with the page: the absolute position
  besitzer->SetGroesse(fall.groesse, false);
  seite->FuegeHinzu(besitzer);
  Gui::Hinweis h(std::string(fall.textLaenge, 'x'), besitzer);
  EXPECT_EQ(h.GespeicherteGroesse(), fall.erwarteteGroesse);
  EXPECT_NEAR(h.Position().x, fall.erwartet.x, 1e-3);
  EXPECT_NEAR(h.Position().y, fall.erwartet.y, 1e-3);
  EXPECT_FALSE(h.IstAutoPosition());
  EinTick();
}

INSTANTIATE_TEST_SUITE_P(Faelle, HinweisPlatz, ::testing::ValuesIn(PLATZ_FAELLE),
                         [](const auto& info) { return std::string(info.param.name); });

// A renderer that reads the tooltip's owner as the real one does for the tail.
class SchweifLeser : public Gui::Renderer {
 public:
  void ZeichneHinweis(Gui::Hinweis& h) override {
    ++hinweise;
    if (h.Besitzer()) summe += h.Besitzer()->AbsolutePosition().x + h.Besitzer()->GespeicherteGroesse().x;
  }
  int hinweise = 0;
  float summe = 0;
};

struct HinweisSzene {
  std::unique_ptr<Gui::Oberflaeche> o = NeueOberflaeche(800, 600);
  Gui::VaterBasis* seite = NeueSeite(*o, {0, 0, 0}, {800, 600, 0});
  Gui::Button* besitzer = new Gui::Button("b");
  HinweisSzene() {
    besitzer->SetGroesse({100, 40, 0}, false);
    besitzer->hinweisText = "Tipp";
    seite->FuegeHinzu(besitzer);
    EinTick();
  }
  ~HinweisSzene() { EinTick(); }
  Gui::Hinweis* Sichtbarer() const {
    for (Gui::Basis* k : o->Kinder())
      if (auto* h = dynamic_cast<Gui::Hinweis*>(k)) return h;
    return nullptr;
  }
};

using Tooltip = GuiTest;

TEST_F(Tooltip, ErscheintNachRuheUndVerblasstNachDemVerlassen) {
  HinweisSzene s;
  s.o->SetMausPosition({10, 10, 0});
  Schritt(0.49f);
  EXPECT_EQ(s.Sichtbarer(), nullptr) << "none at 0.49 s";
  s.o->SetMausPosition({12, 10, 0});  // a move inside restarts the wait
  Schritt(0.49f);
  EXPECT_EQ(s.Sichtbarer(), nullptr);
  Schritt(0.02f);
  Gui::Hinweis* h = s.Sichtbarer();
  ASSERT_NE(h, nullptr) << "shown once 0.5 s have passed";
  EXPECT_EQ(s.o->HinweisZustand(), Gui::Oberflaeche::HINWEIS_GEZEIGT);
  EXPECT_EQ(s.o->GezeigterHinweis(), h);
  EXPECT_EQ(h->text, "Tipp");
  EXPECT_EQ(h->Besitzer(), s.besitzer);
  s.o->SetMausPosition({14, 10, 0});
  EXPECT_EQ(s.o->GezeigterHinweis(), h) << "stays while its owner is hovered";

  s.o->SetMausPosition({500, 500, 0});
  EXPECT_FALSE(h->IstSichtbar()) << "fading";
  EXPECT_EQ(s.o->HinweisZustand(), Gui::Oberflaeche::HINWEIS_KEINER);
  EXPECT_EQ(s.Sichtbarer(), h);
  Schritt(0.49f);
  EXPECT_EQ(s.Sichtbarer(), h);
  Schritt(0.02f);
  EXPECT_EQ(s.Sichtbarer(), nullptr) << "destroyed 0.5 s after the mouse left";
}

// The owner detached while its tooltip is pending, shown or fading: the surface forgets it and
// a fading tooltip loses its owner, so drawing its tail reads no freed widget.
TEST_F(Tooltip, BesitzerAbgehaengtWartendGezeigtVerblassend) {
  for (int phase = 0; phase < 3; ++phase) {
    SCOPED_TRACE(phase == 0 ? "pending" : phase == 1 ? "shown" : "fading");
    HinweisSzene s;
    s.o->SetMausPosition({10, 10, 0});
    if (phase >= 1) Schritt(0.51f);
    if (phase == 2) s.o->SetMausPosition({500, 500, 0});
    Gui::Hinweis* verblassend = phase == 2 ? s.Sichtbarer() : nullptr;
    delete s.besitzer;
    EXPECT_EQ(s.o->HinweisZustand(), Gui::Oberflaeche::HINWEIS_KEINER);
    EXPECT_EQ(s.o->HinweisBesitzer(), nullptr);
    EXPECT_EQ(s.Sichtbarer(), verblassend) << "a shown one goes at once, a fading one fades on";
    if (verblassend) {
      EXPECT_EQ(verblassend->Besitzer(), nullptr);
    }
    SchweifLeser leser;
    Gui::ZeichneOberflaeche(*s.o, leser);
    EXPECT_EQ(leser.hinweise, phase == 2 ? 1 : 0);
    Schritt(0.6f);
    EXPECT_EQ(s.Sichtbarer(), nullptr);
  }
}

// ---- The drawing seam ---------------------------------------------------------------------------

using Zeichnen = GuiTest;

TEST_F(Zeichnen, SpurUeberJedeArtGeclipptJeSeite) {
  auto o = NeueOberflaeche(640, 360);
  auto* seite = new Gui::Seite(1, {});
  o->FuegeHinzu(seite);
  seite->FuegeHinzu(new Gui::Text("Pause", 0));
  auto* weiter = new Gui::Button("Weiter");
  seite->FuegeHinzu(weiter);
  seite->FuegeHinzu(new Gui::EingabeZeile(0, "abc"));
  seite->FuegeHinzu(new Gui::ZahlEingabe(1, 0));
  seite->FuegeHinzu(new Gui::Abstand());
  o->FuegeHinzu(new Gui::Hinweis("tip", weiter));
  auto* versteckt = new Gui::VaterBasis();
  o->FuegeHinzu(versteckt);
  versteckt->FuegeHinzu(new Gui::Button("Ende"));
  versteckt->SetSichtbar(false);
  EinTick();

  GuiAufzeichner aufzeichner;
  Gui::ZeichneOberflaeche(*o, aufzeichner);
  EXPECT_EQ(aufzeichner.Spur(),
            "1, 16 Oberflaeche, 2 Seite, 12 Seite, 15 Pause, 13 Weiter, 8 abc, 8 1.000000, 13 +, 13 -, 16 Abstand, "
            "3 Seite, 2 tip, 11 tip, 3 tip, 2 Vater, 13 Ende, 3 Vater, 4");
  for (const GuiAufzeichner::Aufruf& a : aufzeichner.aufrufe) {
    const bool innen = a.slot != 1 && a.slot != 4 && !(a.slot == 16 && a.komponente == o.get());
    EXPECT_EQ(a.geclippt, innen) << a.slot;
    if (innen) {
      EXPECT_EQ(a.clipPosition, (BVektor3<float>{0, 0, 0}));
      EXPECT_EQ(a.clipGroesse, (BVektor3<float>{640, 360, 0}));
    }
  }
}

// Every widget operation falls back to the background: a renderer with only slot 16 sees all.
class NurHintergrund : public Gui::Renderer {
 public:
  void ZeichneHintergrund(Gui::Basis& k) override { namen.push_back(GuiAufzeichner::Name(k)); }
  std::vector<std::string> namen;
};

TEST_F(Zeichnen, NurSlot16BekommtJedeArt) {
  auto o = NeueOberflaeche(640, 360);
  auto* seite = new Gui::Seite(0, {});
  o->FuegeHinzu(seite);
  seite->FuegeHinzu(new Gui::Text("Pause", 0));
  seite->FuegeHinzu(new Gui::Button("Weiter"));
  seite->FuegeHinzu(new Gui::EingabeZeile(0, "abc"));
  seite->FuegeHinzu(new Gui::Abstand());
  o->FuegeHinzu(new Gui::Hinweis("tip", nullptr));
  EinTick();
  NurHintergrund r;
  Gui::ZeichneOberflaeche(*o, r);
  EXPECT_EQ(r.namen, (std::vector<std::string>{"Oberflaeche", "Seite", "Pause", "Weiter", "abc", "Abstand", "tip"}));
  Gui::Text t("t", 0);
  r.namen.clear();
  r.Slot5(t);
  r.Slot6(t);
  r.Slot7(t);
  r.Slot9(t);
  r.Slot10(t);
  r.Slot14(t);
  EXPECT_EQ(r.namen, std::vector<std::string>(6, "t"));
}

}  // namespace

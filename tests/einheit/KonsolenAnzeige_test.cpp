// The console overlay on the recording device: typing with completion, editing over multi-byte
// characters, the history, Enter, the scroll-back and its limits (also on short and empty
// scroll-backs), the queued panel, lines, input line and cursor with their colours, visibility,
// and a long random run. Logic cases use the test font written as a font file; colour cases the
// shipped "calibrib.fnt".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "EigenerOrdner.h"
#include "FontSchreiber.h"
#include "KleineSchrift.h"
#include "LogHilfen.h"
#include "NullBildschirm.h"
#include "TSpeicher.h"
#include "TestFont.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Konsolenbefehl.h"
#include "Zarvo_KonsoleStandardAnzeige.h"
#include "Zarvo_SpriteListe.h"
#include "Zarvo_Start.h"
#include "Zarvo_Variable.h"

namespace {

using Konsole = Zarvo_KonsoleStandardAnzeige;
const std::filesystem::path DATEN = MORVELUNT_DATEN_ZIEL;

std::vector<std::string> g_aufgerufen;  // arguments of the recording command
Zarvo_Konsolenbefehl g_aufnahme("zzaufnahme", [](std::string& argumente) { g_aufgerufen.push_back(argumente); });

// A key press, or text typed code point by code point.
struct Taste {
  int code;
  bool gedrueckt = true;
};
using Eingabe = std::variant<Taste, std::string>;

constexpr TAlphaFarbe GRUEN{0, 1, 0, 1};
TAlphaFarbe FarbeVon(const Zarvo_SpriteInstanz& s) { return {s.r, s.g, s.b, s.a}; }

std::vector<uint32_t> CodePunkte(const std::string& text) {
  std::vector<uint32_t> punkte;
  for (const char* c = text.c_str(); *c;) punkte.push_back(DekodiereUtf8(c));
  return punkte;
}

// Whether the text is whole UTF-8 sequences and `pos` lies on a boundary.
bool GueltigMitGrenze(const std::string& text, uint64_t pos) {
  bool grenze = pos == text.size();
  for (size_t i = 0; i < text.size();) {
    const uint8_t b = uint8_t(text[i]);
    const size_t laenge = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
    if (laenge == 0 || i + laenge > text.size()) return false;
    for (size_t k = 1; k < laenge; ++k)
      if ((uint8_t(text[i + k]) & 0xC0) != 0x80) return false;
    grenze = grenze || pos == i;
    i += laenge;
  }
  return grenze;
}

class KonsolenAnzeige : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bildschirm.Offen());
    for (const auto& [name, variable] : *Zarvo_Variable::Register()) gesichert.emplace_back(variable, variable->text);
    g_aufgerufen.clear();
  }
  void TearDown() override {
    konsole.reset();
    for (const auto& [variable, text] : gesichert) variable->SetzeText(text);
    g_System.beenden = false;
  }

  // The console on the test font, written as a font file (the constructor's real path).
  void MitTestFont() {
    TSpeicher datei;
    SchreibeFontDatei(datei, BeschreibeFont(*testfont::Baue()));
    ASSERT_TRUE(datei.SpeichereInDatei(ordner / "test.fnt", 0));
    konsole = std::make_unique<Konsole>(ordner / "test.fnt");
    ASSERT_TRUE(konsole->Schrift().HatGlyphe('a'));
  }
  void MitMitgelieferterSchrift() {
    konsole = std::make_unique<Konsole>(DATEN / "calibrib.fnt");
    ASSERT_EQ(konsole->Schrift().NativeHoehe(), 12.0f);
  }

  bool Gib(const Eingabe& e) {
    if (const Taste* t = std::get_if<Taste>(&e)) return konsole->HandleButton(nullptr, t->code, t->gedrueckt);
    bool genommen = false;
    for (uint32_t z : CodePunkte(std::get<std::string>(e))) genommen = konsole->HandleText(nullptr, z);
    return genommen;
  }
  bool Gib(std::initializer_list<Eingabe> folge) {
    bool genommen = false;
    for (const Eingabe& e : folge) genommen = Gib(e);
    return genommen;
  }
  void Zeilen(int anzahl, const std::string& text = "zeile") {
    for (int i = 0; i < anzahl; ++i) konsole->NeueZeile(text + std::to_string(i) + "\n");
  }

  const std::vector<Zarvo_SpriteInstanz>& Glyphen() { return konsole->Schrift().Glyphen().Liste().Instanzen(); }

  testhilfe::GestarteterLog log;  // its display is replaced by the console
  NullBildschirm bildschirm;
  EigenerOrdner ordner;
  std::unique_ptr<Konsole> konsole;
  std::vector<std::pair<Zarvo_Variable*, std::string>> gesichert;
};

constexpr Taste TAB{Konsole::TASTE_TAB}, LINKS{Konsole::TASTE_LINKS}, RECHTS{Konsole::TASTE_RECHTS},
    RUECK{Konsole::TASTE_RUECKSCHRITT}, ENTF{Konsole::TASTE_ENTFERNEN}, HOCH{Konsole::TASTE_HOCH},
    RUNTER{Konsole::TASTE_RUNTER}, ENTER{Konsole::TASTE_ENTER}, BILD_HOCH{Konsole::TASTE_BILD_HOCH},
    BILD_RUNTER{Konsole::TASTE_BILD_RUNTER};

TEST_F(KonsolenAnzeige, TippenUndVervollstaendigen) {
  MitTestFont();
  struct Fall {
    const char* name;
    std::vector<Eingabe> folge;
    std::string zeile;
    uint64_t cursor;
    bool genommen;
  } faelle[] = {
      {"Befehl vervollstaendigt", {"he"}, "help", 2, true},
      {"Tab nimmt die Vervollstaendigung an", {"he", TAB}, "help ", 5, true},
      {"Variable nach einem Leerzeichen", {"set d"}, "set debugShader", 5, true},
      {"weiteres Zeichen, neue Vervollstaendigung", {"set di"}, "set displaydepth", 6, true},
      {"Zeichen im Wort ersetzt dessen Rest", {"he", LINKS, "x"}, "hx", 2, true},
      {"Leerzeichen im Wort behaelt den Rest", {"he", LINKS, " "}, "h elp", 2, true},
      {"Tab auf leerer Zeile", {TAB}, "set ", 4, true},
      {"Tab springt hinter das naechste Leerzeichen", {"set d", LINKS, LINKS, LINKS, LINKS, TAB}, "set debugShader", 4, true},
      {"Zeichen ohne Glyphe abgelehnt", {"ab", "#"}, "ab", 2, false},
      {"Leerzeichen ohne Glyphe genommen", {"ab", " "}, "ab ", 3, true},
      {"Rueckschritt loescht beide Bytes von ä", {"\xC3\xA4", RUECK}, "", 0, true},
      {"links ueber €", {"a\xE2\x82\xAC" "b", LINKS, LINKS}, "a\xE2\x82\xAC" "b", 1, true},
      {"rechts ueber €", {"a\xE2\x82\xAC" "b", LINKS, LINKS, RECHTS}, "a\xE2\x82\xAC" "b", 4, true},
      {"Entfernen loescht € ganz", {"a\xE2\x82\xAC" "b", LINKS, LINKS, ENTF}, "ab", 1, true},
      {"Entfernen am Ende nichts", {"ab", ENTF}, "ab", 2, true},
      {"Rueckschritt am Anfang nichts", {"ab", LINKS, LINKS, RUECK}, "ab", 0, true},
      {"Loslassen nicht genommen", {"ab", Taste{Konsole::TASTE_TAB, false}}, "ab", 2, false},
      {"andere Taste nicht genommen", {"ab", Taste{30}}, "ab", 2, false},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    konsole = nullptr;
    MitTestFont();
    bool genommen = false;
    for (const Eingabe& e : f.folge) genommen = Gib(e);
    EXPECT_EQ(konsole->Eingabe(), f.zeile);
    EXPECT_EQ(konsole->Cursor(), f.cursor);
    EXPECT_EQ(genommen, f.genommen);
  }
  // Code 0 and a glyph-less code point each on their own.
  EXPECT_FALSE(konsole->HandleText(nullptr, 0));
  EXPECT_FALSE(konsole->HandleText(nullptr, '#'));
  EXPECT_FALSE(konsole->HandleText(nullptr, 0x1F600));
}

TEST_F(KonsolenAnzeige, TabSchreibtKleinesSetDasAlsBefehlLaeuft) {
  MitTestFont();
  Gib({TAB, "displaywidth", ENTER});
  const std::deque<std::string>& zeilen = konsole->Zeilen();
  ASSERT_GE(zeilen.size(), 2u);
  EXPECT_EQ(testhilfe::NachrichtVon(zeilen[zeilen.size() - 2]), ">set displaywidth");
  EXPECT_EQ(testhilfe::NachrichtVon(zeilen.back()), "displaywidth = " + g_DisplayBreite.text);
}

TEST_F(KonsolenAnzeige, Verlauf) {
  MitTestFont();
  EXPECT_TRUE(Gib({"x", HOCH}));
  EXPECT_EQ(konsole->Eingabe(), "x");
  Gib({Taste{Konsole::TASTE_RUECKSCHRITT}, "a", ENTER, "b", ENTER, "x"});
  ASSERT_EQ(konsole->Verlauf(), (std::vector<std::string>{"a", "b"}));
  std::vector<std::string> gesehen;
  for (Taste t : {HOCH, HOCH, HOCH, RUNTER, RUNTER, RUNTER}) {
    EXPECT_TRUE(Gib(t));
    gesehen.push_back(konsole->Eingabe());
    EXPECT_EQ(konsole->Cursor(), konsole->Eingabe().size());
  }
  EXPECT_EQ(gesehen, (std::vector<std::string>{"b", "a", "a", "b", "x", "x"}));
}

TEST_F(KonsolenAnzeige, EnterLoggtFuehrtAusUndSetztZurueck) {
  MitTestFont();
  Zeilen(30);
  Gib({BILD_HOCH, BILD_HOCH, "zzaufnahme 42"});
  ASSERT_EQ(konsole->Eingabe(), "zzaufnahme 42");
  EXPECT_EQ(konsole->ScrollPosition(), 27);
  EXPECT_TRUE(Gib(Taste{Konsole::TASTE_ZIFFERN_ENTER}));
  EXPECT_EQ(g_aufgerufen, std::vector<std::string>{"42"});
  ASSERT_EQ(konsole->Zeilen().size(), 31u);
  EXPECT_EQ(testhilfe::NachrichtVon(konsole->Zeilen().back()), ">zzaufnahme 42");
  EXPECT_EQ(konsole->Eingabe(), "");
  EXPECT_EQ(konsole->Cursor(), 0u);
  EXPECT_EQ(konsole->ScrollPosition(), 30);
  EXPECT_EQ(konsole->VerlaufPosition(), 1u);

  // An empty line only resets: nothing logged, nothing run.
  Gib({BILD_HOCH, BILD_HOCH, HOCH, RUECK, RUECK, RUECK});
  ASSERT_EQ(konsole->VerlaufPosition(), 0u);
  ASSERT_EQ(konsole->Eingabe(), "zzaufnahme");
  for (int i = 0; i < 11; ++i) Gib(RUECK);
  ASSERT_EQ(konsole->Eingabe(), "");
  EXPECT_TRUE(Gib(ENTER));
  EXPECT_EQ(konsole->Zeilen().size(), 31u);
  EXPECT_EQ(g_aufgerufen.size(), 1u);
  EXPECT_EQ(konsole->ScrollPosition(), 30);
  EXPECT_EQ(konsole->VerlaufPosition(), 1u);
  EXPECT_EQ(konsole->Verlauf().size(), 1u);
}

TEST_F(KonsolenAnzeige, ZeilenOhneZeilenumbruchBisFuenfhundert) {
  MitTestFont();
  konsole->NeueZeile("eins\n");
  konsole->NeueZeile("zwei");
  EXPECT_EQ(konsole->Zeilen(), (std::deque<std::string>{"eins", "zwei"}));
  struct Fall {
    int hochVorher;   // page ups at 500 lines (scroll 499)
    int64_t danach;   // scroll after the 501st line
  } faelle[] = {{49, 350}, {399, 0}, {0, 400}};
  for (const Fall& f : faelle) {
    konsole = nullptr;
    MitTestFont();
    Zeilen(500);
    ASSERT_EQ(konsole->ScrollPosition(), 499);
    for (int i = 0; i < f.hochVorher; ++i) Gib(BILD_HOCH);
    konsole->NeueZeile("neu\n");
    EXPECT_EQ(konsole->Zeilen().size(), 401u);
    EXPECT_EQ(konsole->Zeilen().front(), "zeile100");
    EXPECT_EQ(konsole->Zeilen().back(), "neu");
    EXPECT_EQ(konsole->ScrollPosition(), f.danach) << f.hochVorher;
  }
}

TEST_F(KonsolenAnzeige, BlaetternMitGrenzenUndFolgen) {
  MitTestFont();
  Zeilen(20);
  EXPECT_EQ(konsole->ScrollPosition(), 19);
  Gib(BILD_HOCH);
  Zeilen(3);
  EXPECT_EQ(konsole->ScrollPosition(), 18);  // not at the bottom: the view stays
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(Gib(BILD_HOCH));
  EXPECT_EQ(konsole->ScrollPosition(), 10);
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(Gib(BILD_RUNTER));
  EXPECT_EQ(konsole->ScrollPosition(), 22);
  Zeilen(2);
  EXPECT_EQ(konsole->ScrollPosition(), 24);  // at the bottom: the view follows
}

// Lines drawn, from the bottom: for n lines "zeileK", the glyph count of the visible ones.
TEST_F(KonsolenAnzeige, KurzeUndLeereZeilenlisteBleibtImBereich) {
  for (int anzahl : {0, 1, 5}) {
    SCOPED_TRACE(anzahl);
    konsole = nullptr;
    MitTestFont();
    Zeilen(anzahl);
    konsole->SetSichtbar(true);
    for (Taste t : {BILD_RUNTER, BILD_RUNTER, ENTER, BILD_RUNTER}) {
      Gib(t);
      EXPECT_GE(konsole->ScrollPosition(), anzahl == 0 ? -1 : 0);
      EXPECT_LE(konsole->ScrollPosition(), std::max(anzahl - 1, 0));
      konsole->BereiteZeichnenVor();
      uint64_t zeilenGlyphen = 0;
      for (const Zarvo_SpriteInstanz& g : Glyphen()) zeilenGlyphen += g.y < 399;
      EXPECT_EQ(zeilenGlyphen, uint64_t(anzahl) * 6);  // "zeile" and one digit each
      konsole->Zeichne();
    }
    if (anzahl == 0) {
      EXPECT_EQ(konsole->ScrollPosition(), -1);
      konsole->NeueZeile("erste\n");
      EXPECT_EQ(konsole->ScrollPosition(), 0);  // the newest line is in view again
    }
  }
}

TEST_F(KonsolenAnzeige, ZeilenFarbeNachStufeDerNachricht) {
  MitMitgelieferterSchrift();
  const Zarvo_Font3D& schrift = konsole->Schrift();
  struct Fall {
    const char* nachricht;
    TAlphaFarbe farbe;
    char ohne;  // not drawn
  } faelle[] = {
      {"!Fehler A", {1, 0, 0, 1}, '!'},
      {"?Warnung B", {1, 1, 0, 1}, '?'},
      {">Echo C!?", {0, 1, 0, 1}, 0},
      {"Notiz D!?", {1, 1, 1, 1}, 0},
  };
  konsole->SetSichtbar(true);
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.nachricht);
    g_Log.Schreibe("%s", f.nachricht);
    const std::string zeile = konsole->Zeilen().back();
    ASSERT_EQ(testhilfe::NachrichtVon(zeile), f.nachricht);
    std::string gezeichnet = zeile;
    if (f.ohne) gezeichnet.erase(gezeichnet.find(f.ohne), 1);
    uint64_t erwartet = 0;
    for (uint32_t z : CodePunkte(gezeichnet)) erwartet += schrift.HatGlyphe(z);
    konsole->BereiteZeichnenVor();
    uint64_t gefunden = 0;
    const float unten = 400 - 12 - 4;  // the bottom line's top, before the glyph offsets
    for (const Zarvo_SpriteInstanz& g : Glyphen()) {
      if (g.y < unten || g.y >= 399) continue;  // other lines, the input line
      ++gefunden;
      EXPECT_EQ(FarbeVon(g), f.farbe);
    }
    EXPECT_EQ(gefunden, erwartet);
    konsole->Zeichne();
  }
}

TEST_F(KonsolenAnzeige, EingabezeileCursorUndPanel) {
  MitMitgelieferterSchrift();
  const Zarvo_Font3D& schrift = konsole->Schrift();
  konsole->SetEingabeAktiv(true);
  Gib({"ab", LINKS});
  konsole->BereiteZeichnenVor();
  std::vector<Zarvo_SpriteInstanz> eingabe;
  for (const Zarvo_SpriteInstanz& g : Glyphen())
    if (g.y >= 399) eingabe.push_back(g);
  ASSERT_EQ(eingabe.size(), 3u);  // ">ab"
  for (const Zarvo_SpriteInstanz& g : eingabe) EXPECT_EQ(FarbeVon(g), GRUEN);
  EXPECT_FLOAT_EQ(eingabe[0].x, 5 + float(schrift.Metriken()['>'].xVersatz));
  EXPECT_FLOAT_EQ(eingabe[0].y, 403 - 4 + float(schrift.Metriken()['>'].yVersatz));

  const std::vector<Zarvo_SpriteInstanz>& hintergrund = konsole->Hintergrund().Instanzen();
  ASSERT_EQ(hintergrund.size(), 3u);
  const float breite = 320;  // the recording screen's width
  struct Erwartet {
    float x, y, w, h;
    TAlphaFarbe farbe;
  } erwartet[] = {
      {0, 0, breite, 400, {0.2f, 0.3f, 0.5f, 0.5f}},
      {0, 400, breite, 18, {0.5f, 0.5f, 0.5f, 0.5f}},
      {schrift.GibTextBreite(">") + schrift.GibTextBreite("a") + 5, 400, 2, 18, {1, 1, 0, 1}},
  };
  for (size_t i = 0; i < 3; ++i) {
    const Zarvo_SpriteInstanz& s = hintergrund[i];
    EXPECT_FLOAT_EQ(s.x, erwartet[i].x) << i;
    EXPECT_FLOAT_EQ(s.y, erwartet[i].y) << i;
    EXPECT_FLOAT_EQ(s.breite, erwartet[i].w) << i;
    EXPECT_FLOAT_EQ(s.hoehe, erwartet[i].h) << i;
    EXPECT_EQ(FarbeVon(s), erwartet[i].farbe) << i;
    EXPECT_EQ(s.quellBreite, 16.0f) << i;  // entry 0: the whole background image
  }
  konsole->Zeichne();
  EXPECT_TRUE(konsole->Hintergrund().IstLeer());
  EXPECT_TRUE(Glyphen().empty());
}

TEST_F(KonsolenAnzeige, SichtbarkeitUndEingabe) {
  MitTestFont();
  enum Op { SICHTBAR_AN, SICHTBAR_AUS, EINGABE_AN, EINGABE_AUS };
  struct Schritt {
    Op op;
    bool sichtbar, aktiv;
  } schritte[] = {
      {SICHTBAR_AN, true, false},  {SICHTBAR_AUS, false, false}, {EINGABE_AN, true, true},
      {SICHTBAR_AN, true, true},   {SICHTBAR_AUS, false, false}, {EINGABE_AN, true, true},
      {EINGABE_AUS, false, false}, {EINGABE_AUS, false, false},  {SICHTBAR_AN, true, false},
      {EINGABE_AUS, false, false},
  };
  EXPECT_FALSE(konsole->IstSichtbar());
  EXPECT_FALSE(konsole->IstEingabeAktiv());
  for (const Schritt& s : schritte) {
    if (s.op == SICHTBAR_AN || s.op == SICHTBAR_AUS) konsole->SetSichtbar(s.op == SICHTBAR_AN);
    else konsole->SetEingabeAktiv(s.op == EINGABE_AN);
    EXPECT_EQ(konsole->IstSichtbar(), s.sichtbar) << int(&s - schritte);
    EXPECT_EQ(konsole->IstEingabeAktiv(), s.aktiv) << int(&s - schritte);
    EXPECT_EQ(konsole->GibZustand(), s.aktiv);
  }
  // Hidden: nothing queued.
  Zeilen(3);
  konsole->BereiteZeichnenVor();
  EXPECT_TRUE(konsole->Hintergrund().IstLeer());
  EXPECT_TRUE(Glyphen().empty());
}

// A ".fnt" path is read; a file that fails leaves the font empty, and its line arrives in the
// console's own scroll-back while the console is being built. Any other path is generated from
// TrueType at 12 px, and a failure there is thrown.
TEST_F(KonsolenAnzeige, SchriftWahl) {
  const std::filesystem::path fehlt = ordner / "fehlt.fnt";
  konsole = std::make_unique<Konsole>(fehlt);
  ASSERT_FALSE(konsole->Zeilen().empty());
  EXPECT_EQ(testhilfe::NachrichtVon(konsole->Zeilen().back()),
            "!Zarvo_Font3D::Laden( \"" + fehlt.string() + "\"): Datei konnte nicht gelesen werden.");
  EXPECT_EQ(konsole->Schrift().Glyphen().SlotAnzahl(), 0u);
  EXPECT_FALSE(konsole->HandleText(nullptr, 'a'));
  EXPECT_TRUE(konsole->HandleText(nullptr, ' '));
  konsole->SetSichtbar(true);
  konsole->BereiteZeichnenVor();
  EXPECT_EQ(konsole->Hintergrund().Instanzen().size(), 3u);  // the panel without text
  EXPECT_TRUE(Glyphen().empty());
  konsole->Zeichne();

  const std::vector<uint8_t> klein = kleineschrift::Baue();
  SchreibeDatei(ordner / "klein.ttf", std::string(klein.begin(), klein.end()));
  SchreibeDatei(ordner / "klein.FNT", std::string(klein.begin(), klein.end()));  // the extension is exact
  for (const char* name : {"klein.ttf", "klein.FNT"}) {
    konsole = std::make_unique<Konsole>(ordner / name);
    EXPECT_EQ(konsole->Schrift().NativeHoehe(), 12.0f) << name;
    EXPECT_TRUE(konsole->Schrift().HatGlyphe('A')) << name;
  }
  konsole = nullptr;
  EXPECT_THROW(Konsole(ordner / "fehlt.ttf"), Zarvo_Ausnahme);
}

TEST_F(KonsolenAnzeige, NachrichtAnfangHinterDemPraefix) {
  struct Fall {
    const char* zeile;
    uint64_t anfang;
  } faelle[] = {
      {"0001:000042 (t1a2b): !x", 21},
      {"12345:000042 (tABCD): x", 22},
      {"0001:00042 (t1a2b): !x", 0},
      {"0001:000042 (t1a2): !x", 0},
      {"!x", 0},
      {"", 0},
      {"0001:000042 (t1a2b):", 0},
  };
  for (const Fall& f : faelle) EXPECT_EQ(Konsole::NachrichtAnfang(f.zeile), f.anfang) << f.zeile;
}

TEST_F(KonsolenAnzeige, ZufallslaufBleibtGueltig) {
  MitTestFont();
  konsole->SetSichtbar(true);
  std::mt19937 zufall(20240611);
  const Taste tasten[] = {TAB, LINKS, RECHTS, RUECK, ENTF, HOCH, RUNTER, ENTER, BILD_HOCH, BILD_RUNTER, Taste{30},
                          Taste{Konsole::TASTE_ZIFFERN_ENTER}, Taste{Konsole::TASTE_LINKS, false}};
  // Letters no console command begins with, so that Enter runs nothing but "set".
  const std::vector<uint32_t> zeichen = {'a', 'b', 'd', 'e', 'i', 'x', 'y', '1', ' ', ' ', 0xE4, 0x20AC, '#', 0,
                                         0x1F600, 0xFFFF};
  const std::string zeilen[] = {"!fehler \xC3\xA4", "?warnung", ">echo", "0001:000002 (t1234): ?x", "", "\xE2\x82\xAC"};
  for (int schritt = 0; schritt < 10000; ++schritt) {
    const uint32_t art = zufall() % 10;
    if (art < 4) {
      Gib(tasten[zufall() % std::size(tasten)]);
    } else if (art < 9) {
      konsole->HandleText(nullptr, zeichen[zufall() % zeichen.size()]);
    } else {
      konsole->NeueZeile(zeilen[zufall() % std::size(zeilen)] + "\n");
    }
    ASSERT_TRUE(GueltigMitGrenze(konsole->Eingabe(), konsole->Cursor()))
        << schritt << ": \"" << konsole->Eingabe() << "\" at " << konsole->Cursor();
    const int64_t anzahl = int64_t(konsole->Zeilen().size());
    ASSERT_GE(konsole->ScrollPosition(), anzahl == 0 ? -1 : 0) << schritt;
    ASSERT_LE(konsole->ScrollPosition(), std::max<int64_t>(anzahl - 1, 0)) << schritt;
    konsole->Zeichne();
    ASSERT_TRUE(konsole->Hintergrund().IstLeer());
  }
}

}  // namespace

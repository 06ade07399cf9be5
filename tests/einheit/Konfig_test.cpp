#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "LogHilfen.h"
#include "Zarvo_Konfig.h"
#include "Zarvo_Start.h"
#include "Zarvo_Variable.h"

namespace {

using testhilfe::LiesDatei;
using testhilfe::SchreibeDatei;

const char* const KEINE_DATEI = "?Keine Konfig-Datei gefunden, benutze Standardwerte.";
const char* const FEHLERHAFT = "?Konfig-Datei fehlerhaft, benutze Standardwerte.";

std::map<std::string, std::string> AlleTexte() {
  std::map<std::string, std::string> texte;
  for (const auto& [name, variable] : *Zarvo_Variable::Register()) texte[name] = variable->text;
  return texte;
}

// The global log started with a recording display; every variable's text is restored at the end.
class Konfig : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [name, variable] : *Zarvo_Variable::Register()) gesichert.emplace_back(variable, variable->text);
    log.anzeige.Leere();
  }
  void TearDown() override {
    for (const auto& [variable, text] : gesichert) variable->SetzeText(text);
    g_KonfigPfad.clear();
  }

  std::filesystem::path Datei() const { return log.ordner.Pfad() / "spiel.cfg"; }
  // Writes `inhalt` as spiel.cfg and loads it; returns the messages of the load.
  std::vector<std::string> LadeText(std::string_view inhalt) {
    SchreibeDatei(Datei(), inhalt);
    log.anzeige.Leere();
    Zarvo_Konfig::Lade(log.ordner.Pfad(), "spiel.cfg");
    return log.anzeige.Nachrichten();
  }

  testhilfe::GestarteterLog log;
  std::vector<std::pair<Zarvo_Variable*, std::string>> gesichert;
};

TEST_F(Konfig, SpeichertDieGespeichertenVariablenNachNamen) {
  Zarvo_Variable ungespeichert("aa_fluechtig", Zarvo_Variable::TEXT, "weg", 0, nullptr);
  Zarvo_Konfig::Lade(log.ordner.Pfad(), "spiel.cfg");
  EXPECT_EQ(g_KonfigPfad, Datei());
  Zarvo_Konfig::Speichere();

  EXPECT_EQ(LiesDatei(Datei()),
            "<?xml version=\"1.0\" ?>\n"
            "<config>\n"
            "    <var name=\"debugShader\" wert=\"nein\" />\n"
            "    <var name=\"displaydepth\" wert=\"32\" />\n"
            "    <var name=\"displayheight\" wert=\"0\" />\n"
            "    <var name=\"displaywidth\" wert=\"0\" />\n"
            "    <var name=\"fullscreen\" wert=\"ja\" />\n"
            "    <var name=\"sprache\" wert=\"-1\" />\n"
            "    <var name=\"t_debug\" wert=\"ja\" />\n"
            "    <var name=\"t_logfile\" wert=\"ja\" />\n"
            "    <var name=\"vsync\" wert=\"ja\" />\n"
            "</config>\n");

  // The same read back by the XML library: declaration, one root, only "var" with two attributes.
  TiXmlDocument dokument;
  ASSERT_TRUE(dokument.LoadFile(Datei().c_str()));
  const TiXmlDeclaration* deklaration = dokument.FirstChild()->ToDeclaration();
  ASSERT_NE(deklaration, nullptr);
  EXPECT_STREQ(deklaration->Version(), "1.0");
  EXPECT_STREQ(deklaration->Encoding(), "");
  EXPECT_STREQ(deklaration->Standalone(), "");
  const TiXmlElement* wurzel = dokument.RootElement();
  ASSERT_NE(wurzel, nullptr);
  EXPECT_EQ(wurzel->ValueStr(), "config");
  EXPECT_EQ(wurzel->NextSibling(), nullptr);
  std::vector<std::string> namen;
  for (const TiXmlNode* kind = wurzel->FirstChild(); kind; kind = kind->NextSibling()) {
    const TiXmlElement* var = kind->ToElement();
    ASSERT_NE(var, nullptr);
    EXPECT_EQ(var->ValueStr(), "var");
    EXPECT_EQ(var->FirstChild(), nullptr);
    const TiXmlAttribute* erstes = var->FirstAttribute();
    ASSERT_NE(erstes, nullptr);
    EXPECT_EQ(erstes->NameTStr(), "name");
    ASSERT_NE(erstes->Next(), nullptr);
    EXPECT_EQ(erstes->Next()->NameTStr(), "wert");
    EXPECT_EQ(erstes->Next()->Next(), nullptr);
    namen.push_back(erstes->ValueStr());
  }
  EXPECT_EQ(namen, (std::vector<std::string>{"debugShader", "displaydepth", "displayheight", "displaywidth",
                                             "fullscreen", "sprache", "t_debug", "t_logfile", "vsync"}));
}

TEST_F(Konfig, RundreiseMitSonderzeichen) {
  Zarvo_Variable text("zz_text", Zarvo_Variable::TEXT, "", Zarvo_Variable::GESPEICHERT, nullptr);
  Zarvo_Variable farbe("zz_farbe", Zarvo_Variable::FARBE, "", Zarvo_Variable::GESPEICHERT, nullptr);
  const std::string sonderbar = "a\"<&>'b äöüß 漢字  zwei Leerzeichen ";
  Zarvo_Konfig::Lade(log.ordner.Pfad(), "spiel.cfg");
  text.SetzeText(sonderbar);
  farbe.SetzeText("0.1 0.25 1e-3");
  g_DisplayBreite.SetzeInt(1920);
  g_Vollbild.SetzeBool(false);
  g_Sprache.SetzeInt(3);
  const auto gespeichert = AlleTexte();
  Zarvo_Konfig::Speichere();

  text.SetzeText("anders");
  farbe.SetzeText("");
  g_DisplayBreite.SetzeInt(0);
  g_Vollbild.SetzeBool(true);
  g_Sprache.SetzeInt(-1);
  log.anzeige.Leere();
  Zarvo_Konfig::Lade(log.ordner.Pfad(), "spiel.cfg");
  EXPECT_TRUE(log.anzeige.zeilen.empty());
  EXPECT_EQ(AlleTexte(), gespeichert);
  EXPECT_EQ(text.text, sonderbar);
  EXPECT_EQ(farbe.farbe.r, 0.1f);
  EXPECT_EQ(farbe.farbe.b, 1e-3f);
  EXPECT_FALSE(g_Vollbild.boolWert);
  EXPECT_EQ(g_DisplayBreite.intWert, 1920);
}

TEST_F(Konfig, SchlechteDateienBehaltenDieStandardwerte) {
  std::string verschachtelt = "<config><var name=\"displaywidth\" wert=\"640\"/>";
  for (int i = 0; i < 50'000; ++i) verschachtelt += "<a>";
  for (int i = 0; i < 50'000; ++i) verschachtelt += "</a>";
  verschachtelt += "</config>";
  struct Fall {
    const char* name;
    std::string inhalt;
    const char* meldung;  // null: loads silently
  };
  const Fall faelle[] = {
      {"leer", "", KEINE_DATEI},
      {"nur Leerzeichen", "  \n ", KEINE_DATEI},
      {"kein XML", "displaywidth = 640\n", KEINE_DATEI},
      {"abgebrochen", "<config><var name=\"displaywidth\" wert=\"640\"", KEINE_DATEI},
      {"ohne Endmarke", "<config><var name=\"displaywidth\" wert=\"640\"/>", KEINE_DATEI},
      {"Binaerdaten", std::string("\0\xff\xfe<\x01", 5), KEINE_DATEI},
      {"50000 verschachtelte Elemente", verschachtelt, KEINE_DATEI},
      // UTF-8 lead bytes up to the end of the text (found by fuzzing).
      {"UTF-8-Anfangsbytes am Ende",
       "<?xml version=\"1.0\" ?>\n<config>\n  \xe0 <var name=\"debug#=\"\xe4\xe4\xe4\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe4\xe4\xe4\xe4\n",
       KEINE_DATEI},
      {"nur Deklaration", "<?xml version=\"1.0\" ?>", FEHLERHAFT},
      {"kein var", "<config><wert name=\"displaywidth\" wert=\"640\"/></config>", FEHLERHAFT},
      {"var nicht direkt unter der Wurzel", "<config><g><var name=\"displaywidth\" wert=\"640\"/></g></config>",
       FEHLERHAFT},
      {"leere Wurzel", "<config/>", FEHLERHAFT},
      {"unbekannte Namen", "<config><var name=\"gibtsnicht\" wert=\"1\"/><var name=\"DisplayWidth\" wert=\"1\"/></config>",
       nullptr},
      {"fehlende Attribute",
       "<config><var name=\"displaywidth\"/><var wert=\"640\"/><var nam=\"displaywidth\" wert=\"640\"/></config>",
       nullptr},
  };
  const auto standard = AlleTexte();
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    const auto meldungen = LadeText(f.inhalt);
    if (f.meldung) EXPECT_EQ(meldungen, std::vector<std::string>{f.meldung});
    else EXPECT_TRUE(meldungen.empty());
    EXPECT_EQ(AlleTexte(), standard);
  }

  // Missing, and a folder in its place.
  std::filesystem::remove(Datei());
  for (int versuch = 0; versuch < 2; ++versuch) {
    log.anzeige.Leere();
    Zarvo_Konfig::Lade(log.ordner.Pfad(), "spiel.cfg");
    EXPECT_EQ(log.anzeige.Nachrichten(), std::vector<std::string>{KEINE_DATEI});
    EXPECT_EQ(AlleTexte(), standard);
    std::filesystem::create_directory(Datei());
  }
  Zarvo_Konfig::Speichere();
  EXPECT_TRUE(std::filesystem::is_directory(Datei()));
}

TEST_F(Konfig, LaedtInDokumentreihenfolge_AuchSchreibgeschuetzte) {
  const auto meldungen = LadeText(
      "<?xml version=\"1.0\" ?>\n<einstellungen>\n"
      "  <!-- comment -->\n"
      "  <var name=\"t_konfig\" wert=\"andere.cfg\"/>\n"
      "  <var name=\"t_logfile\" wert=\"nein\"/>\n"
      "  <var name=\"displaywidth\" wert=\"640\"/>\n"
      "  <anderes name=\"displayheight\" wert=\"480\"/>\n"
      "  <var name=\"displaywidth\" wert=\"800\"><kind/></var>\n"
      "  <var name=\"fullscreen\" wert=\"nein\" extra=\"1\"/>\n"
      "</einstellungen>\n");
  EXPECT_TRUE(meldungen.empty());
  EXPECT_EQ(g_tKonfig.text, "andere.cfg");
  EXPECT_FALSE(g_tLogfile.boolWert);
  EXPECT_EQ(g_DisplayBreite.intWert, 800);
  EXPECT_EQ(g_DisplayHoehe.intWert, 0);
  EXPECT_FALSE(g_Vollbild.boolWert);
}

TEST_F(Konfig, UnschreibbarerPfadLaesstNichtsZurueck) {
  Zarvo_Konfig::Lade(log.ordner.Pfad() / "fehlt", "spiel.cfg");
  Zarvo_Konfig::Speichere();
  EXPECT_FALSE(std::filesystem::exists(log.ordner.Pfad() / "fehlt"));
}

}  // namespace

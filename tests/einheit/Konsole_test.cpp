#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogHilfen.h"
#include "Zarvo_Konsolenbefehl.h"
#include "Zarvo_Start.h"
#include "Zarvo_Variable.h"

namespace {

using Nachrichten = std::vector<std::string>;

// The global log started with a recording display; every variable's text is restored at the end.
class Konsole : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [name, variable] : *Zarvo_Variable::Register()) gesichert.emplace_back(variable, variable->text);
    log.anzeige.Leere();
  }
  void TearDown() override {
    for (const auto& [variable, text] : gesichert) variable->SetzeText(text);
    g_System.beenden = false;
  }

  // The messages that running `zeile` writes.
  Nachrichten Fuehre(const std::string& zeile) {
    log.anzeige.Leere();
    Zarvo_Konsolenbefehl::Ausfuehren(zeile);
    return log.anzeige.Nachrichten();
  }

  testhilfe::GestarteterLog log;
  std::vector<std::pair<Zarvo_Variable*, std::string>> gesichert;
};

TEST_F(Konsole, SetOhneArgumentListetAlleVariablenNachNamen) {
  const Nachrichten erwartet = {
      "Definierte Variablen sind:",
      "b - d** - debugShader: nein",
      "i - d*f - displaydepth: 32",
      "i - d*f - displayheight: 0",
      "i - d*f - displaywidth: 0",
      "b - d*f - fullscreen: ja",
      "i - d** - sprache: -1",
      "b - dn* - t_debug: ja",
      "s - *n* - t_konfig: programm.cfg",
      "b - dn* - t_logfile: ja",
      "b - d*f - vsync: ja",
  };
  EXPECT_EQ(Fuehre("set"), erwartet);
  EXPECT_EQ(Fuehre("set "), erwartet);
  EXPECT_EQ(Fuehre("set  ,"), (Nachrichten{"!Variable  ist nicht definiert."}));
}

TEST_F(Konsole, SetListetTypUndFlagsJederVariablen) {
  auto rueckruf = [](Zarvo_Variable&, uint32_t, const std::string&) { return true; };
  Zarvo_Variable vektor("zz_v", Zarvo_Variable::VEKTOR, "1 2", Zarvo_Variable::NUR_LESEN, rueckruf);
  Zarvo_Variable farbe("zz_f", Zarvo_Variable::FARBE, "1, 0.5", Zarvo_Variable::GESPEICHERT, nullptr);
  Zarvo_Variable gleit("zz_g", Zarvo_Variable::FLOAT, "0.5", 0, nullptr);
  Zarvo_Variable fremd("zz_x", Zarvo_Variable::TEXT, "x", 0, nullptr);
  fremd.typ = 9;
  const Nachrichten alle = Fuehre("set");
  const Nachrichten ende(alle.end() - 4, alle.end());
  EXPECT_EQ(ende, (Nachrichten{"F - d** - zz_f: 1, 0.5, 0, 1", "f - *** - zz_g: 0.500000", "V - *nf - zz_v: 1, 2, 0",
                               "? - *** - zz_x: x"}));
}

TEST_F(Konsole, SetZeigtUndWeistZu) {
  EXPECT_EQ(Fuehre("set displaywidth"), (Nachrichten{"displaywidth = 0"}));
  EXPECT_EQ(Fuehre("set gibtsnicht"), (Nachrichten{"!Variable gibtsnicht ist nicht definiert."}));
  EXPECT_EQ(Fuehre("set gibtsnicht 1"), (Nachrichten{"!Variable gibtsnicht ist nicht definiert."}));
  EXPECT_EQ(Fuehre("set Displaywidth"), (Nachrichten{"!Variable Displaywidth ist nicht definiert."}));

  EXPECT_EQ(Fuehre("set fullscreen nein"), (Nachrichten{"Variable \"fullscreen\" auf Wert \"nein\" gesetzt."}));
  EXPECT_FALSE(g_Vollbild.boolWert);
  EXPECT_EQ(g_Vollbild.text, "nein");
  EXPECT_EQ(Fuehre("set fullscreen 2"), (Nachrichten{"Variable \"fullscreen\" auf Wert \"ja\" gesetzt."}));
  EXPECT_TRUE(g_Vollbild.boolWert);
  EXPECT_EQ(g_Vollbild.text, "ja");

  EXPECT_EQ(Fuehre("set displaywidth 1280"), (Nachrichten{"Variable \"displaywidth\" auf Wert \"1280\" gesetzt."}));
  EXPECT_EQ(g_DisplayBreite.intWert, 1280);
  EXPECT_EQ(Fuehre("set displaywidth"), (Nachrichten{"displaywidth = 1280"}));
}

TEST_F(Konsole, SetVerbindetDieRestlichenTokens) {
  Zarvo_Variable text("zz_text", Zarvo_Variable::TEXT, "", 0, nullptr);
  Zarvo_Variable farbe("zz_farbe", Zarvo_Variable::FARBE, "", 0, nullptr);
  EXPECT_EQ(Fuehre("set zz_text a  b,\"c d\""), (Nachrichten{"Variable \"zz_text\" auf Wert \"a, b, c d\" gesetzt."}));
  EXPECT_EQ(text.text, "a, b, c d");
  EXPECT_EQ(Fuehre("set zz_farbe 1 0.5"), (Nachrichten{"Variable \"zz_farbe\" auf Wert \"1, 0.5, 0, 1\" gesetzt."}));
  EXPECT_EQ(farbe.farbe.g, 0.5f);
}

TEST_F(Konsole, SetNachEinemVetoNenntDenAltenText) {
  auto veto = [](Zarvo_Variable&, uint32_t phase, const std::string&) { return phase != 0; };
  Zarvo_Variable v("zz_veto", Zarvo_Variable::INT, "7", 0, veto);
  EXPECT_EQ(Fuehre("set zz_veto 8"), (Nachrichten{"Variable \"zz_veto\" auf Wert \"7\" gesetzt."}));
  EXPECT_EQ(v.intWert, 7);
}

TEST_F(Konsole, SchreibgeschuetztNurImDebugModus) {
  g_tDebug.SetzeBool(false);
  EXPECT_EQ(Fuehre("set t_logfile nein"),
            (Nachrichten{"!Zuweisung unmöglich: Variable \"t_logfile\" ist schreibgeschützt."}));
  EXPECT_TRUE(g_tLogfile.boolWert);
  EXPECT_EQ(Fuehre("set t_logfile"), (Nachrichten{"t_logfile = ja"}));  // showing is allowed

  g_tDebug.SetzeBool(true);
  EXPECT_EQ(Fuehre("set t_logfile nein"),
            (Nachrichten{"?Debug-Modus: schreibgeschützte Variable \"t_logfile\" geändert.",
                         "Variable \"t_logfile\" auf Wert \"nein\" gesetzt."}));
  EXPECT_FALSE(g_tLogfile.boolWert);
}

TEST_F(Konsole, HelpUndUnbekannteBefehle) {
  const Nachrichten hilfe = {"Definierte Konsolenbefehle sind:", " - help", " - quit", " - reinitvideo", " - set", " - videoram"};
  EXPECT_EQ(Fuehre("help"), hilfe);
  EXPECT_EQ(Fuehre("help "), hilfe);
  EXPECT_EQ(Fuehre("help egal was"), hilfe);
  EXPECT_EQ(Fuehre(" help"), (Nachrichten{"!Unbekannter Befehl \"\""}));
  EXPECT_EQ(Fuehre(""), (Nachrichten{"!Unbekannter Befehl \"\""}));
  EXPECT_EQ(Fuehre("Help"), (Nachrichten{"!Unbekannter Befehl \"Help\""}));
  EXPECT_EQ(Fuehre("help\t"), (Nachrichten{"!Unbekannter Befehl \"help\t\""}));
}

std::vector<std::string> g_Argumente;
void MerkeArgumente(std::string& argumente) { g_Argumente.push_back(argumente); }
void MerkeAnders(std::string& argumente) { g_Argumente.push_back("anders:" + argumente); }

TEST_F(Konsole, ArgumenteHinterDemErstenLeerzeichen) {
  g_Argumente.clear();
  Zarvo_Konsolenbefehl befehl("zz_befehl", MerkeArgumente);
  for (const char* zeile : {"zz_befehl", "zz_befehl ", "zz_befehl  a b ", "zz_befehl \"x y\""}) Fuehre(zeile);
  EXPECT_EQ(g_Argumente, (std::vector<std::string>{"", "", " a b ", "\"x y\""}));

  {
    Zarvo_Konsolenbefehl ersatz("zz_befehl", MerkeAnders);  // replaces the entry
    Fuehre("zz_befehl 1");
  }
  EXPECT_EQ(g_Argumente.back(), "anders:1");
  EXPECT_EQ(Fuehre("zz_befehl 2"), (Nachrichten{"!Unbekannter Befehl \"zz_befehl\""}));
}

TEST_F(Konsole, QuitSetztDasBeendenFlag) {
  ASSERT_FALSE(g_System.beenden);
  EXPECT_TRUE(Fuehre("quit").empty());
  EXPECT_TRUE(g_System.beenden);
}

TEST_F(Konsole, BefehleVervollstaendigen) {
  struct Fall {
    const char* praefix;
    const char* erwartet;
  };
  const Fall faelle[] = {{"", "help"}, {"h", "help"}, {"q", "quit"}, {"set", "set"},
                         {"sets", ""}, {"zz", ""},    {"H", ""}};
  for (const Fall& f : faelle) EXPECT_EQ(Zarvo_Konsolenbefehl::Vervollstaendige(f.praefix), f.erwartet) << f.praefix;
}

}  // namespace

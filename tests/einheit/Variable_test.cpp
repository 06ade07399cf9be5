#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "Zarvo_Liste.h"
#include "Zarvo_Variable.h"

namespace {

struct Werte {
  int32_t ganz;
  float gleit;
  bool wahr;
  float vektor[3];
  float farbe[4];
};

void PruefeWerte(const Zarvo_Variable& v, const Werte& w) {
  EXPECT_EQ(v.intWert, w.ganz);
  EXPECT_EQ(v.floatWert, w.gleit);
  EXPECT_EQ(v.boolWert, w.wahr);
  EXPECT_EQ(v.vektor.x, w.vektor[0]);
  EXPECT_EQ(v.vektor.y, w.vektor[1]);
  EXPECT_EQ(v.vektor.z, w.vektor[2]);
  EXPECT_EQ(v.farbe.r, w.farbe[0]);
  EXPECT_EQ(v.farbe.g, w.farbe[1]);
  EXPECT_EQ(v.farbe.b, w.farbe[2]);
  EXPECT_EQ(v.farbe.a, w.farbe[3]);
}

constexpr Zarvo_Variable::Typ TYPEN[] = {Zarvo_Variable::TEXT,  Zarvo_Variable::BOOL,   Zarvo_Variable::INT,
                                         Zarvo_Variable::FLOAT, Zarvo_Variable::VEKTOR, Zarvo_Variable::FARBE};

// SetzeText fills every typed field from the one text; the text itself follows the type.
TEST(Variable, SetzeTextAufJedenTyp) {
  struct Fall {
    const char* eingabe;
    Werte werte;
    const char* texte[6];  // by type: string, bool, int, float, vector, colour
  };
  const Fall faelle[] = {
      {"on", {0, 0, true, {0, 0, 0}, {0, 0, 0, 1}}, {"on", "ja", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"}},
      {"ja", {0, 0, true, {0, 0, 0}, {0, 0, 0, 1}}, {"ja", "ja", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"}},
      {"an", {0, 0, true, {0, 0, 0}, {0, 0, 0, 1}}, {"an", "ja", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"}},
      {"true", {0, 0, true, {0, 0, 0}, {0, 0, 0, 1}}, {"true", "ja", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"}},
      {"On", {0, 0, false, {0, 0, 0}, {0, 0, 0, 1}}, {"On", "nein", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"}},
      {"nein", {0, 0, false, {0, 0, 0}, {0, 0, 0, 1}}, {"nein", "nein", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"}},
      {"2", {2, 2, true, {2, 0, 0}, {2, 0, 0, 1}}, {"2", "ja", "2", "2.000000", "2, 0, 0", "2, 0, 0, 1"}},
      {"-3", {-3, -3, false, {-3, 0, 0}, {-3, 0, 0, 1}}, {"-3", "nein", "-3", "-3.000000", "-3, 0, 0", "-3, 0, 0, 1"}},
      {"abc", {0, 0, false, {0, 0, 0}, {0, 0, 0, 1}}, {"abc", "nein", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"}},
      {" 7x", {7, 7, true, {7, 0, 0}, {7, 0, 0, 1}}, {" 7x", "ja", "7", "7.000000", "7, 0, 0", "7, 0, 0, 1"}},
      {"0.5", {0, 0.5f, false, {0.5f, 0, 0}, {0.5f, 0, 0, 1}},
       {"0.5", "nein", "0", "0.500000", "0.5, 0, 0", "0.5, 0, 0, 1"}},
      {"0.1", {0, 0.1f, false, {0.1f, 0, 0}, {0.1f, 0, 0, 1}},
       {"0.1", "nein", "0", "0.100000", "0.1, 0, 0", "0.1, 0, 0, 1"}},
      {"1, 0.5", {1, 1, true, {1, 0.5f, 0}, {1, 0.5f, 0, 1}},
       {"1, 0.5", "ja", "1", "1.000000", "1, 0.5, 0", "1, 0.5, 0, 1"}},
      {"1 2 3 4 5", {1, 1, true, {1, 2, 3}, {1, 2, 3, 4}},
       {"1 2 3 4 5", "ja", "1", "1.000000", "1, 2, 3", "1, 2, 3, 4"}},
      {"1,,3,0", {1, 1, true, {1, 0, 3}, {1, 0, 3, 0}}, {"1,,3,0", "ja", "1", "1.000000", "1, 0, 3", "1, 0, 3, 0"}},
      {"", {0, 0, false, {0, 0, 0}, {0, 0, 0, 1}}, {"", "nein", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"}},
  };
  for (const Fall& f : faelle) {
    for (size_t t = 0; t < 6; ++t) {
      SCOPED_TRACE(std::string("Eingabe \"") + f.eingabe + "\", Typ " + std::to_string(t));
      Zarvo_Variable v("test_text", TYPEN[t], "1 1 1 1", 0, nullptr);
      v.SetzeText(f.eingabe);
      PruefeWerte(v, f.werte);
      EXPECT_EQ(v.text, f.texte[t]);
      EXPECT_EQ(v.typ, uint32_t(TYPEN[t]));
    }
  }
}

TEST(Variable, SetzeIntLaesstVektorUndFarbe) {
  const char* texte[6] = {"-4", "nein", "-4", "-4.000000", "9, 8, 7", "9, 8, 7, 6"};
  for (size_t t = 0; t < 6; ++t) {
    SCOPED_TRACE(t);
    Zarvo_Variable v("test_int", TYPEN[t], "9 8 7 6", 0, nullptr);
    v.SetzeInt(-4);
    PruefeWerte(v, {-4, -4, false, {9, 8, 7}, {9, 8, 7, 6}});
    EXPECT_EQ(v.text, texte[t]);
    v.SetzeInt(1);
    EXPECT_TRUE(v.boolWert);
  }
}

TEST(Variable, SetzeBoolFuelltAlles) {
  const char* texteWahr[6] = {"1", "ja", "1", "1.000000", "1, 0, 0", "1, 1, 1, 1"};
  const char* texteFalsch[6] = {"0", "nein", "0", "0.000000", "0, 0, 0", "0, 0, 0, 1"};
  for (size_t t = 0; t < 6; ++t) {
    SCOPED_TRACE(t);
    Zarvo_Variable v("test_bool", TYPEN[t], "9 8 7 6", 0, nullptr);
    v.SetzeBool(true);
    PruefeWerte(v, {1, 1, true, {1, 0, 0}, {1, 1, 1, 1}});
    EXPECT_EQ(v.text, texteWahr[t]);
    v.SetzeBool(false);
    PruefeWerte(v, {0, 0, false, {0, 0, 0}, {0, 0, 0, 1}});
    EXPECT_EQ(v.text, texteFalsch[t]);
  }
}

TEST(Variable, Konstruktorformen) {
  int aufrufe = 0;
  static int* zaehler = nullptr;
  zaehler = &aufrufe;
  auto rueckruf = [](Zarvo_Variable&, uint32_t, const std::string&) {
    ++*zaehler;
    return true;
  };
  Zarvo_Variable ganz("test_ganz", 42, rueckruf);
  Zarvo_Variable wahr("test_wahr", true, Zarvo_Variable::NUR_LESEN, rueckruf);
  Zarvo_Variable text("test_text", Zarvo_Variable::TEXT, "programm.cfg", Zarvo_Variable::NUR_LESEN, rueckruf);
  EXPECT_EQ(aufrufe, 0);  // no callback for the defaults

  EXPECT_EQ(ganz.typ, uint32_t(Zarvo_Variable::INT));
  EXPECT_EQ(ganz.flags, uint32_t(Zarvo_Variable::GESPEICHERT));
  EXPECT_EQ(ganz.text, "42");
  EXPECT_EQ(ganz.floatWert, 42.0f);
  EXPECT_EQ(wahr.typ, uint32_t(Zarvo_Variable::BOOL));
  EXPECT_EQ(wahr.flags, uint32_t(Zarvo_Variable::NUR_LESEN));
  EXPECT_EQ(wahr.text, "ja");
  EXPECT_EQ(text.text, "programm.cfg");
  EXPECT_EQ(text.rueckruf, +rueckruf);

  EXPECT_EQ(Zarvo_Variable::Finde("test_ganz"), &ganz);
  EXPECT_EQ(Zarvo_Variable::Finde("test_wahr"), &wahr);
  EXPECT_EQ(Zarvo_Variable::Finde("Test_ganz"), nullptr);  // case-sensitive
}

struct Aufruf {
  uint32_t phase;
  std::string vorschlag;
  std::string textWaehrenddessen;
};
std::vector<Aufruf> g_Aufrufe;
bool g_Erlauben = true;

bool ProtokollRueckruf(Zarvo_Variable& v, uint32_t phase, const std::string& vorschlag) {
  g_Aufrufe.push_back({phase, vorschlag, v.text});
  return g_Erlauben;
}

TEST(Variable, RueckrufVorUndNachDerAenderung) {
  g_Aufrufe.clear();
  g_Erlauben = true;
  Zarvo_Variable v("test_farbe", Zarvo_Variable::FARBE, "0 0 0 0", 0, ProtokollRueckruf);
  v.SetzeText("1, 0.5");
  v.SetzeInt(3);
  v.SetzeBool(false);
  ASSERT_EQ(g_Aufrufe.size(), 6u);
  const Aufruf erwartet[] = {{0, "1, 0.5", "0, 0, 0, 0"}, {1, "1, 0.5", "1, 0.5, 0, 1"}, {0, "3", "1, 0.5, 0, 1"},
                             {1, "3", "1, 0.5, 0, 1"},   {0, "0", "1, 0.5, 0, 1"},      {1, "0", "0, 0, 0, 1"}};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(g_Aufrufe[i].phase, erwartet[i].phase) << i;
    EXPECT_EQ(g_Aufrufe[i].vorschlag, erwartet[i].vorschlag) << i;
    EXPECT_EQ(g_Aufrufe[i].textWaehrenddessen, erwartet[i].textWaehrenddessen) << i;
  }
}

TEST(Variable, SetzeTextMitDemEigenenText) {
  g_Aufrufe.clear();
  g_Erlauben = true;
  Zarvo_Variable v("test_selbst", Zarvo_Variable::TEXT, "1 2", 0, ProtokollRueckruf);
  v.typ = Zarvo_Variable::VEKTOR;
  v.SetzeText(v.text);
  EXPECT_EQ(v.text, "1, 2, 0");
  ASSERT_EQ(g_Aufrufe.size(), 2u);
  EXPECT_EQ(g_Aufrufe[1].vorschlag, "1 2");
}

TEST(Variable, VetoAendertNichts) {
  g_Aufrufe.clear();
  g_Erlauben = false;
  Zarvo_Variable v("test_veto", Zarvo_Variable::VEKTOR, "1 2 3 4", 0, ProtokollRueckruf);
  v.SetzeText("9 9 9 9");
  v.SetzeInt(9);
  v.SetzeBool(false);
  g_Erlauben = true;
  PruefeWerte(v, {1, 1, true, {1, 2, 3}, {1, 2, 3, 4}});
  EXPECT_EQ(v.text, "1, 2, 3");
  ASSERT_EQ(g_Aufrufe.size(), 3u);  // phase 0 only
  for (const Aufruf& a : g_Aufrufe) EXPECT_EQ(a.phase, 0u);
}

TEST(Variable, RegisterUndDestruktor) {
  const auto* vorher = Zarvo_Variable::Register();
  const size_t anzahl = vorher ? vorher->size() : 0;
  {
    Zarvo_Variable erste("test_doppelt", 1, nullptr);
    {
      Zarvo_Variable zweite("test_doppelt", 2, nullptr);
      EXPECT_EQ(Zarvo_Variable::Finde("test_doppelt"), &zweite);  // the later one replaces the entry
    }
    EXPECT_EQ(Zarvo_Variable::Finde("test_doppelt"), nullptr);
    erste.Registriere();
    EXPECT_EQ(Zarvo_Variable::Finde("test_doppelt"), &erste);
  }
  EXPECT_EQ(Zarvo_Variable::Finde("test_doppelt"), nullptr);
  ASSERT_NE(Zarvo_Variable::Register(), nullptr);
  EXPECT_EQ(Zarvo_Variable::Register()->size(), anzahl);
}

TEST(Variable, Vervollstaendige) {
  Zarvo_Variable a("zz_test_b", 1, nullptr);
  Zarvo_Variable b("zz_test_a", 1, nullptr);
  struct Fall {
    const char* praefix;
    const char* erwartet;
  };
  const Fall faelle[] = {{"dis", "displaydepth"}, {"t_", "t_debug"},      {"", "debugShader"},
                         {"zz", "zz_test_a"},     {"zz_test_b", "zz_test_b"}, {"zzz", ""},
                         {"displaywidthx", ""},  {"T_", ""}};
  for (const Fall& f : faelle) EXPECT_EQ(Zarvo_Variable::Vervollstaendige(f.praefix), f.erwartet) << f.praefix;
}

// ---- ZerlegeListe ------------------------------------------------------------------------

TEST(ZerlegeListe, Tabelle) {
  struct Fall {
    const char* name;
    const char* text;
    std::vector<std::string> tokens;
  };
  const Fall faelle[] = {
      {"Anfuehrung, zwei Kommas", "a \"b c\",,d", {"a", "b c", "", "d"}},
      {"Leerzeichen vor dem Komma", "1 ,2", {"1", "", "2"}},
      {"Text vor der Anfuehrung faellt weg", "x\"y z\"", {"y z"}},
      {"offene Anfuehrung nimmt den Rest", "a \"b, c d", {"a", "b, c d"}},
      {"leer", "", {}},
      {"nur Leerzeichen", "   ", {}},
      {"Komma am Ende", "a,", {"a"}},
      {"Komma am Anfang", ",a", {"", "a"}},
      {"Leerzeichen vor Tokens verschwinden", "  a   b", {"a", "b"}},
      {"leere Anfuehrung", "\"\" x", {"", "x"}},
      {"Komma nach Anfuehrung wird uebersprungen", "\"a\",b", {"a", "b"}},
      {"zwei Kommas nach Anfuehrung", "\"a\",,b", {"a", "", "b"}},
      {"Anfuehrung am Ende", "a \"", {"a"}},
      {"Tabulator gehoert zum Token", "a\tb c", {"a\tb", "c"}},
      {"Komma und Leerzeichen", "1, 0.5", {"1", "0.5"}},
  };
  for (const Fall& f : faelle) {
    const Zarvo_Liste liste = ZerlegeListe(f.text);
    EXPECT_EQ(liste.tokens, f.tokens) << f.name;
    EXPECT_EQ(liste.zahlen.size(), liste.tokens.size()) << f.name;
  }
}

TEST(ZerlegeListe, ZahlenDerTokens) {
  const Zarvo_Liste liste = ZerlegeListe("1.5 -2 abc \" 3\" ,4e2 .25");
  ASSERT_EQ(liste.tokens.size(), 7u);
  const float erwartet[] = {1.5f, -2.0f, 0.0f, 3.0f, 0.0f, 400.0f, 0.25f};
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(liste.Zahl(i), erwartet[i]) << i;
  EXPECT_EQ(liste.Zahl(7), 0.0f);
  EXPECT_EQ(liste.Zahl(size_t(-1)), 0.0f);
}

TEST(Zahlen, LiesGanzzahl) {
  struct Fall {
    const char* text;
    int erwartet;
  };
  const Fall faelle[] = {
      {"42", 42},           {"  -12abc", -12},       {"+5", 5},          {"", 0},
      {"-", 0},             {"abc", 0},              {"1.9", 1},         {"0x10", 0},
      {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN}, {"-99999999999999999999", INT_MIN}, {"- 3", 0}, {"+-5", 0},
  };
  for (const Fall& f : faelle) EXPECT_EQ(LiesGanzzahl(f.text), f.erwartet) << f.text;
}

TEST(Zahlen, LiesGleitzahl) {
  struct Fall {
    const char* text;
    float erwartet;
  };
  const Fall faelle[] = {
      {"0.5", 0.5f},  {" 2.5x", 2.5f}, {"+1.5", 1.5f}, {"-.5", -0.5f}, {"1e3", 1000.0f}, {"abc", 0.0f},
      {"", 0.0f},     {"inf", 0.0f},   {"nan", 0.0f},  {"-inf", 0.0f}, {".", 0.0f},     {"1,5", 1.0f},
      {"+-5", 0.0f},  {"1e-50", 0.0f}, {"-1e-50", -0.0f}, {"1e39", HUGE_VALF}, {"-1e39", -HUGE_VALF},
      {"1e-40", 1e-40f}, {"0.0001e-45", 0.0f}, {"12345e-60", 0.0f}, {"0.000001e45", HUGE_VALF},
      {"1e99999999999999999999", HUGE_VALF}, {"1e-99999999999999999999", 0.0f}, {"1e+39", HUGE_VALF},
      {"0.00000000000000000000000000000000000000000000000000001", 0.0f},
      {"1000000000000000000000000000000000000000000000000000000", HUGE_VALF},
  };
  for (const Fall& f : faelle) {
    const float wert = LiesGleitzahl(f.text);
    EXPECT_EQ(wert, f.erwartet) << f.text;
    EXPECT_EQ(std::signbit(wert), std::signbit(f.erwartet)) << f.text;
  }
}

}  // namespace

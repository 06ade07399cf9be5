#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "PraeprozessorHilfe.h"

namespace {

struct Fall {
  const char* name;
  const char* eingabe;
  const char* ausgabe;
  const char* meldungen;  // exact text of all messages
  int ergebnis;
};

#define MELDUNG(zeile, art, text) "cpp: \"SpoeSpoe\", line " #zeile ": " art ": " text "\n"

const Fall FAELLE[] = {
    {"DivisionDurchNullWarntUndIstFalsch", "#if 7 / 0\na\n#else\nb\n#endif\n", "b\n",
     MELDUNG(1, "Warning", "divide by zero in #if, zero result assumed"), 0},
    {"OderUeberspringtOhneWarnung", "#if 1 || (1/0)\na\n#endif\n", "a\n", "", 0},
    {"UnvollstaendigIstFehlerUndWahr", "#if 1 +\na\n#endif\n", "a\n", MELDUNG(1, "Error", "Illegal #if line"), 1},
    {"IfdefImFalschenTeilSchaltetNichtUm", "#if 0\n#ifdef X\n#else\nx\n#endif\n#else\ny\n#endif\n", "y\n", "", 0},
    {"FehlendesIncludeWarnt", "#include <x.h>\n", "", MELDUNG(1, "Warning", "Cannot open include file \"x.h\""), 0},
    {"FunctionInUndAusserhalb", "float4 f( float2 t) {\n  return __FUNCTION__;\n}\n__FUNCTION__\n",
     "float4 f( float2 t) {\n  return \"f\";\n}\n\"<unknown function>\"\n", "", 0},
    {"FuncLineAusserhalbNull", "__FUNC_LINE__\nvoid g()\n{\n__FUNC_LINE__ __LINE__\n}\n", "0\nvoid g()\n{\n3 4\n}\n", "", 0},
    {"FunktionsmakroOhneKlammerUnveraendert", "#define F(a) a\nF;\n#define G 1\nG\n", "F;\n1\n",
     MELDUNG(2, "Warning", "Macro \"F\" needs arguments"), 0},
    {"RueckgabeLaesstDirektiveDirektive", "#define F(a) a\nx F\n#define G 2\nG\n", "x F\n2\n",
     MELDUNG(3, "Warning", "Macro \"F\" needs arguments"), 0},
    // Macros.
    {"ArgumenteUeberZeilen", "#define A(x, y) x+y\nA(1,\n 2) z\n", "1+2 z\n", "", 0},
    {"VerschachtelteAufrufeUndKlammerKommas", "#define A(x, y) [x|y]\nA(A(1,2), (3,4))\n", "[[1|2]|(3,4)]\n", "", 0},
    {"ZeichenketteUndVerkettung", "#define S(a) #a\n#define P(a, b) a ## b\nS(x \"y\") P(ab, 12)\n", "\"x \\\"y\\\"\" ab12\n", "", 0},
    {"SeltsamesZeichenNachVerkettung", "#define P(a) a ## +\n", "", MELDUNG(1, "Error", "Strange character '+' after ##"), 1},
    {"FalscheArgumentzahl", "#define A(x, y) x y\nA(1)\n", "1 \n", MELDUNG(2, "Warning", "Wrong number of macro arguments for \"A\""), 0},
    {"UmdefinitionAnders", "#define A 1\n#define A 2\nA\n", "2\n", MELDUNG(2, "Error", "Redefining defined variable \"A\""), 1},
    {"UmdefinitionGleich", "#define A  1 +  2\n#define A 1 + 2\nA\n", "1 + 2\n", "", 0},
    {"Undef", "#define A 1\n#undef A\nA\n#undef 3\n", "A\n", MELDUNG(4, "Error", "Illegal #undef argument"), 1},
    {"MehrzeiligeDefinition", "#define A 1 \\\n + 2\nA\n", "1 + 2\n", "", 0},
    {"DollarIstNamenszeichen", "#define rein X\n$rein $main\n", "$rein $main\n", "", 0},
    // #if.
    {"Rangfolge", "#if 2+3*4 == 14 && (8 >> 1 << 1) == 8 && 1 < 2 == 1 && (5 & 3 ^ 1 | 8) == 8 && (0 ? 1 : 2) == 2 && !0 && ~0 == -1 && -(3) == -3\nok\n#endif\n", "ok\n", "", 0},
    {"Konstanten", "#if 010 == 8 && 0x1F == 31 && '\\n' == 10 && (1 << 33) == 2\nok\n#endif\n", "ok\n", "", 0},
    {"MehrbyteKonstante", "#if 'ab' == 0x6162\nok\n#endif\n", "ok\n", MELDUNG(1, "Warning", "multi-byte constant 'a' isn't portable"), 0},
    {"OktalMitAcht", "#if 08\nok\n#endif\n", "ok\n", MELDUNG(1, "Warning", "Illegal digit in octal number"), 0},
    {"DefinedUndUnbekannt", "#define X\n#if defined X && defined(X) && !defined(Y) && UNBEKANNT == 0\nok\n#endif\n", "ok\n", "", 0},
    {"GleichheitszeichenFehler", "#if 1 = 1\nok\n#endif\n", "ok\n", MELDUNG(1, "Error", "= not allowed in #if"), 1},
    {"ZeichenketteFehler", "#if \"s\"\nok\n#endif\n", "ok\n", MELDUNG(1, "Error", "Can't use a string in an #if"), 1},
    {"KlammerFehltIstFehlerUndWahr", "#if (0\nok\n#endif\n", "ok\n", MELDUNG(1, "Error", "unbalanced paren's, op is \"(\""), 1},
    {"IntMinDurchMinusEins", "#if (-2147483647-1) / -1 == (-2147483647-1) && (-2147483647-1) % -1 == 0\nok\n#endif\n", "ok\n", "", 0},
    // Directives and messages.
    {"ErrorDirektive", "a\nb\n#error x\n", "a\nb\n",
     MELDUNG(3, "Error", "#error directive encountered") MELDUNG(3, "Warning", "Unexpected text in #control line ignored"), 1},
    {"LineAendertNummerUndName", "#line 40 \"b\"\n__LINE__ __FILE__\n#error\n",
     "40 \"b\"\n", "cpp: \"b\", line 41: Error: #error directive encountered\n", 1},
    {"LineNummerBleibtAmEndeStehen", "#line 2147483646\n__LINE__\n__LINE__\n#line 99999999999\n__LINE__\n#error\n",
     "2147483646\n2147483646\n2147483646\n", "cpp: \"SpoeSpoe\", line 2147483646: Error: #error directive encountered\n", 1},
    {"PragmaGehtDurch", "#pragma pack_matrix( row_major)\n", "#pragma pack_matrix( row_major)\n", "", 0},
    {"UnbekannteDirektive", "#foo\n", "", MELDUNG(1, "Warning", "Illegal # command \"foo\""), 0},
    {"ElseOhneIf", "#else\n", "", MELDUNG(1, "Error", "#else must be in an #if"), 1},
    {"OffenesIfAmEnde", "#if 1\n", "", MELDUNG(1, "Error", "Inside #ifdef block at end of input, depth = 1"), 1},
    // Text.
    {"KommentarWirdBlank", "a/**/b\n  x /* c */\n/* nur */\n\n", "a b\n  x  \n\n", "", 0},
    {"KommentarUeberZeilen", "a /* 1\n2 */ b\n", "a   b\n", "", 0},
    {"KommentarBisEnde", "a /* offen\n", "a  \n", MELDUNG(1, "Error", "EOF in comment"), 1},
    {"OffeneZeichenkette", "a \"b\nc\n", "a \"b\nc\n", MELDUNG(1, "Error", "Unterminated string"), 1},
    {"CrLfWieLf", "#define A 1\r\nA\r\n  b\r\n", "1\n  b\n", "", 0},
};

class Praeprozessor : public testing::TestWithParam<Fall> {};

TEST_P(Praeprozessor, AusgabeMeldungenErgebnis) {
  const Fall& f = GetParam();
  const CppLauf l = Praeprozessiere(f.eingabe);
  EXPECT_EQ(l.ausgabe, f.ausgabe);
  EXPECT_EQ(l.meldungen, f.meldungen);
  EXPECT_EQ(l.ergebnis, f.ergebnis);
}

INSTANTIATE_TEST_SUITE_P(Faelle, Praeprozessor, testing::ValuesIn(FAELLE),
                         [](const testing::TestParamInfo<Fall>& i) { return std::string(i.param.name); });

TEST(PraeprozessorGrenzen, ZweiunddreissigIfSindFatal) {
  std::string text;
  for (int i = 0; i < 32; ++i) text += "#if 1\n";
  const CppLauf l = Praeprozessiere(text + "danach\n");
  EXPECT_EQ(l.meldungen, MELDUNG(32, "Fatal", "Too many nested #if statements"));
  EXPECT_EQ(l.ausgabe, "");
  EXPECT_EQ(l.ergebnis, 1);
  // A fatal condition fails the run even when errors are ignored.
  EXPECT_EQ(Praeprozessiere(text, {{CPPTAG_FEHLER_IGNORIEREN, 1}}).ergebnis, 1);
}

// "a0,a1,...": n names (or numbers) separated by commas.
std::string Liste(int n, const char* praefix) {
  std::string text;
  for (int i = 0; i < n; ++i) text += (i ? "," : "") + std::string(praefix) + std::to_string(i);
  return text;
}

TEST(PraeprozessorGrenzen, EinunddreissigParameterUndArgumente) {
  const CppLauf passt = Praeprozessiere("#define A(" + Liste(31, "a") + ") a30\nA(" + Liste(31, "") + ")\n");
  EXPECT_EQ(passt.ausgabe, "30\n");
  EXPECT_EQ(passt.meldungen, "");
  const CppLauf parameter = Praeprozessiere("#define A(" + Liste(32, "a") + ") a0\nA\n");
  EXPECT_EQ(parameter.meldungen, MELDUNG(1, "Fatal", "Too many arguments for macro"));
  EXPECT_EQ(parameter.ergebnis, 1);
  const CppLauf argumente = Praeprozessiere("#define B(x) x\nB(" + Liste(32, "") + ")\nweiter\n");
  EXPECT_EQ(argumente.meldungen, MELDUNG(2, "Fatal", "Too many arguments in macro expansion"));
  EXPECT_EQ(argumente.ergebnis, 1);
}

TEST(PraeprozessorGrenzen, AusdrucksstapelBegrenzt) {
  const auto klammern = [](int n) { return "#if " + std::string(size_t(n), '(') + "1" + std::string(size_t(n), ')') + "\nok\n#endif\n"; };
  EXPECT_EQ(Praeprozessiere(klammern(60)).meldungen, "");
  const CppLauf tief = Praeprozessiere(klammern(65));
  EXPECT_EQ(tief.meldungen, MELDUNG(1, "Error", "expression stack overflow at op \"(\""));
  EXPECT_EQ(tief.ausgabe, "ok\n");
  EXPECT_EQ(tief.ergebnis, 1);
}

TEST(PraeprozessorGrenzen, FehlerIgnorierenGibtNull) {
  EXPECT_EQ(Praeprozessiere("#error\n", {{CPPTAG_FEHLER_IGNORIEREN, 1}}).ergebnis, 0);
}

TEST(PraeprozessorGrenzen, RekursionEinmalGemeldetUndLaufGehtWeiter) {
  const CppLauf l = Praeprozessiere("#define X X\nX\nweiter\n");
  EXPECT_EQ(l.ausgabe, "X\nweiter\n");
  size_t anzahl = 0;
  for (size_t p = l.meldungen.find("Recursive"); p != std::string::npos; p = l.meldungen.find("Recursive", p + 1)) ++anzahl;
  EXPECT_EQ(anzahl, 1u);
  EXPECT_EQ(l.meldungen.rfind(MELDUNG(2, "Error", "Recursive macro definition of \"X\"(Defined by \"X\")"), 0), 0u);
  EXPECT_EQ(l.ergebnis, 1);
}

TEST(PraeprozessorGrenzen, ExplodierendeMakrosEndenSchnell) {
  std::string kette = "#define A0 x\n";
  for (int i = 1; i <= 26; ++i)
    kette += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
  const CppLauf a = Praeprozessiere("#define X X X\nX\n");
  const CppLauf b = Praeprozessiere(kette + "A26\n");
  EXPECT_NE(a.meldungen.find("Recursive macro definition"), std::string::npos);
  EXPECT_NE(b.meldungen.find("Fatal: Macro work area overflow"), std::string::npos);
  EXPECT_EQ(b.ergebnis, 1);
}

TEST(PraeprozessorGrenzen, ZeilenkommentarAbschaltbar) {
  EXPECT_EQ(Praeprozessiere("a // b\n").ausgabe, "a \n");
  EXPECT_EQ(Praeprozessiere("a // b\n", {{CPPTAG_OHNE_ZEILENKOMMENTARE, 1}}).ausgabe, "a // b\n");
}

TEST(PraeprozessorInclude, SuchreihenfolgeUndKette) {
  g_cppDateien = {{"dir/a", "1\n#include \"b\"\n"}, {"inc/b", "#error in b\n"}, {"dir/c", "c\n"}};
  g_cppVersuche.clear();
  const CppLauf l = Praeprozessiere("#include \"dir/a\"\n", {{CPPTAG_INCLUDE_VERZEICHNIS, uintptr_t("inc/")}});
  EXPECT_EQ(l.ausgabe, "1\n");
  EXPECT_EQ(g_cppVersuche, (std::vector<std::string>{"dir/a", "dir/b", "inc/b"}));
  EXPECT_EQ(l.meldungen,
            "cpp: \"inc/b\", line 1: Error: #error directive encountered\n"
            " from file dir/a, line 2,\n"
            " from file SpoeSpoe, line 1.\n"
            "cpp: \"inc/b\", line 1: Warning: Unexpected text in #control line ignored\n"
            " from file dir/a, line 2,\n"
            " from file SpoeSpoe, line 1.\n");
  g_cppVersuche.clear();
  const CppLauf w = Praeprozessiere("#include \"dir/a\"\n", {{CPPTAG_INCLUDE_VERZEICHNIS, uintptr_t("inc")}});
  EXPECT_EQ(g_cppVersuche, (std::vector<std::string>{"dir/a", "dir/b", "inc/b"}));
  (void)w;
}

TEST(PraeprozessorInclude, KetteInMeldungen) {
  g_cppDateien = {{"a", "x\n#include \"b\"\n"}, {"b", "#include <fehlt>\n"}};
  const CppLauf l = Praeprozessiere("\n#include \"a\"\n");
  EXPECT_EQ(l.meldungen,
            "cpp: \"b\", line 1: Warning: Cannot open include file \"fehlt\"\n"
            " from file a, line 2,\n"
            " from file SpoeSpoe, line 2.\n");
}

TEST(PraeprozessorInclude, WinkelNurInVerzeichnissen) {
  g_cppDateien = {{"x.h", "nah\n"}, {"v/x.h", "fern\n"}};
  EXPECT_EQ(Praeprozessiere("#include <x.h>\n", {{CPPTAG_INCLUDE_VERZEICHNIS, uintptr_t("v")}}).ausgabe, "fern\n");
  EXPECT_EQ(Praeprozessiere("#include \"x.h\"\n", {{CPPTAG_INCLUDE_VERZEICHNIS, uintptr_t("v")}}).ausgabe, "nah\n");
}

TEST(PraeprozessorInclude, SelbstEinbindungEndet) {
  g_cppDateien = {{"s", "s\n#include \"s\"\n"}};
  const CppLauf l = Praeprozessiere("#include \"s\"\n");
  EXPECT_NE(l.meldungen.find("Fatal: Too many include files"), std::string::npos);
  EXPECT_EQ(l.ergebnis, 1);
  std::string erwartet;
  for (int i = 0; i < 32; ++i) erwartet += "s\n";
  EXPECT_EQ(l.ausgabe, erwartet);
}

TEST(PraeprozessorInclude, SiebzehntesVerzeichnisIgnoriert) {
  std::vector<CppTag> tags(17, CppTag{CPPTAG_INCLUDE_VERZEICHNIS, uintptr_t("d")});
  const CppLauf l = Praeprozessiere("a\n", tags);
  EXPECT_NE(l.meldungen.find("Too many include directories"), std::string::npos);
  EXPECT_EQ(l.ausgabe, "a\n");
  EXPECT_EQ(l.ergebnis, 0);
}

TEST(PraeprozessorZeilenangaben, KurzeLueckenLeerLangeAlsAngabe) {
  const char* text = "a\n#if 0\n1\n#endif\nb\n#if 0\n1\n2\n3\n4\n#endif\nc\n";
  EXPECT_EQ(Praeprozessiere(text, {{CPPTAG_ZEILENANGABEN, 1}}).ausgabe,
            "#line 1 \"SpoeSpoe\"\na\n\n\n\nb\n#line 12\nc\n");
  EXPECT_EQ(Praeprozessiere(text, {{CPPTAG_ZEILENANGABEN, 1}, {CPPTAG_ZEILENANGABE_MIT_LINE, 0}}).ausgabe,
            "# 1 \"SpoeSpoe\"\na\n\n\n\nb\n# 12\nc\n");
}

TEST(PraeprozessorZeilenangaben, GrosseLineNummerOhneUeberlauf) {
  EXPECT_EQ(Praeprozessiere("#line 2147483647\na\nb\n", {{CPPTAG_ZEILENANGABEN, 1}}).ausgabe,
            "#line 2147483646 \"SpoeSpoe\"\na\n#line 2147483646\nb\n");
}

TEST(PraeprozessorMeldungen, WarnungenJeVerschachtelungFluteNichtDieSenke) {
  // Every level of this expansion warns with a chain one longer: about 500,000 lines unbounded.
  const CppLauf l = Praeprozessiere("#define A(x) A A(x)\nA(1)\nz\n");
  const size_t zeilen = size_t(std::count(l.meldungen.begin(), l.meldungen.end(), '\n'));
  EXPECT_LE(zeilen, 10001u);
  EXPECT_GT(zeilen, 9000u);
  const std::string hinweis = "cpp: too many messages, the rest are not shown\n";
  ASSERT_GE(l.meldungen.size(), hinweis.size());
  EXPECT_EQ(l.meldungen.substr(l.meldungen.size() - hinweis.size()), hinweis);
  EXPECT_EQ(l.ergebnis, 1);  // the recursion error still counts
  EXPECT_EQ(l.ausgabe.substr(l.ausgabe.size() - 2), "z\n");
}

TEST(PraeprozessorFaeden, ZweiLaeufeParallelWieNacheinander) {
  const std::string text = "#define A(x) x*x\nfloat f() {\n A(__LINE__) __FUNCTION__\n}\n#if A(3) == 9\nneun\n#endif\n";
  const std::string erwartet = Praeprozessiere(text).ausgabe;
  std::string a, b;
  std::thread t1([&] { for (int i = 0; i < 50; ++i) a = Praeprozessiere(text).ausgabe; });
  std::thread t2([&] { for (int i = 0; i < 50; ++i) b = Praeprozessiere(text).ausgabe; });
  t1.join();
  t2.join();
  EXPECT_EQ(a, erwartet);
  EXPECT_EQ(b, erwartet);
  EXPECT_EQ(erwartet, "float f() {\n 3*3 \"f\"\n}\nneun\n");
}

}  // namespace

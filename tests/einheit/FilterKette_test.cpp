// Computing chains: for sets of fixture effects, each step's input and output images, the images
// (kind, name, divider, format), the reads-result flag and the lines the inconsistencies write.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "BildFilterTest.h"

namespace {

using namespace bildfiltertest;
using filtervorlagen::ERGEBNIS;
using filtervorlagen::Effekt;
using filtervorlagen::Kopie;

std::string Ausgabe(const std::string& name, int teiler = 1) {
  return "<ausgabe name=\"" + name + "\" teiler=\"" + std::to_string(teiler) + "\"/>";
}
// A filter with two inputs, both through sQuelle's constant names of their own.
std::string Zwei(const std::string& name, const std::string& a, const std::string& b, const std::string& ausgabe = "") {
  return filtervorlagen::Filter("name=\"" + name + "\"", "<eingabe name=\"" + a + "\" sampler=\"sQuelle\" konstante=\"gQuelleInfo\"/>" +
                                                            "<eingabe name=\"" + b + "\" sampler=\"sZwei\" konstante=\"gZwei\"/>" + ausgabe);
}

struct KettenFall {
  const char* name;
  std::vector<std::pair<int32_t, std::string>> effekte;  // sequence id, fixture effect
  std::vector<std::string> schritte;
  std::vector<std::string> bilder;
  int liestErgebnis;
  std::vector<std::string> zeilen;
};

class FilterKetteTest : public BildFilterTest {
 protected:
  void SetUp() override {
    BildFilterTest::SetUp();
    const std::pair<const char*, std::string> effekte[] = {
        {"kopie", Effekt(ERGEBNIS + Kopie("k", "ergebnis"))},
        {"kopie2", Effekt(ERGEBNIS + Kopie("k2", "ergebnis"))},
        {"kopie3", Effekt(ERGEBNIS + Kopie("k3", "ergebnis"))},
        // A last effect whose second pass reads "ergebnis" after the first wrote the target.
        {"zweimal", Effekt(ERGEBNIS + Kopie("a", "ergebnis") + Kopie("b", "ergebnis"))},
        // Writes "ergebnis" without reading it (an overlay): the image of the pass before.
        {"ueberlagerung", Effekt("<eingabe name=\"tiefe\"/>" + Kopie("u", "tiefe"))},
        {"hell_weich", Effekt(ERGEBNIS + Kopie("h", "ergebnis", Ausgabe("hell", 4)) + Kopie("w", "hell", Ausgabe("weich", 4)) +
                              Zwei("z", "ergebnis", "weich"))},
        {"unbekannt", Effekt(ERGEBNIS + Zwei("f", "ergebnis", "gibts_nicht"))},
        {"konflikt", Effekt(ERGEBNIS + Kopie("a", "ergebnis", Ausgabe("x", 2)) + Kopie("b", "ergebnis", Ausgabe("x", 4)) +
                            Kopie("c", "x"))},
        {"textur_als_ausgabe", Effekt("<textur name=\"t\"/><textur name=\"ergebnis\"/>" + ERGEBNIS + Kopie("a", "t", Ausgabe("t")) +
                                      Kopie("b", "t"))},
        {"hdr", Effekt(ERGEBNIS + Zwei("f", "ergebnis", "hdr_ref"))},
        {"tiefe_zuerst", Effekt("<eingabe name=\"tiefe\"/>" + ERGEBNIS + Kopie("f", "ergebnis"))},
    };
    for (const auto& [name, text] : effekte) ASSERT_NE(Lade(name, text), nullptr) << name;
  }
};

TEST_F(FilterKetteTest, JederFallOrdnetBilderZu) {
  const KettenFall faelle[] = {
      {"one effect reads and writes ergebnis: raw image in, final target out",
       {{0, "kopie"}}, {"kopie/k [0] > -1"}, {"1 ergebnis 1 0", "3 hdr_ref 1 0"}, 1, {}},
      {"two effects: the first writes an intermediate, the second reads it",
       {{5, "kopie2"}, {-1, "kopie"}}, {"kopie/k [0] > 2", "kopie2/k2 [2] > -1"},
       {"1 ergebnis 1 0", "3 hdr_ref 1 0", "0 ergebnis 1 0"}, 1, {}},
      {"three effects alternate the two intermediates",
       {{0, "kopie"}, {1, "kopie2"}, {2, "kopie3"}}, {"kopie/k [0] > 2", "kopie2/k2 [2] > 3", "kopie3/k3 [3] > -1"},
       {"1 ergebnis 1 0", "3 hdr_ref 1 0", "0 ergebnis 1 0", "0 ergebnis 1 0"}, 1, {}},
      {"a second pass of the last effect reads the raw image again",
       {{0, "kopie"}, {1, "zweimal"}}, {"kopie/k [0] > 2", "zweimal/a [2] > -1", "zweimal/b [0] > -1"},
       {"1 ergebnis 1 0", "3 hdr_ref 1 0", "0 ergebnis 1 0"}, 1, {}},
      {"a writer that does not read ergebnis draws over the image of the pass before",
       {{0, "kopie"}, {1, "ueberlagerung"}, {2, "kopie2"}}, {"kopie/k [0] > 3", "ueberlagerung/u [1] > 3", "kopie2/k2 [3] > -1"},
       {"1 ergebnis 1 0", "1 tiefe 1 0", "3 hdr_ref 1 0", "0 ergebnis 1 0"}, 1, {}},
      {"an overlay alone writes the final target and reads no ergebnis",
       {{0, "ueberlagerung"}}, {"ueberlagerung/u [0] > -1"}, {"1 tiefe 1 0", "3 hdr_ref 1 0"}, 0, {}},
      {"named outputs are intermediates of their divider",
       {{0, "hell_weich"}}, {"hell_weich/h [0] > 2", "hell_weich/w [2] > 3", "hell_weich/z [0,3] > -1"},
       {"1 ergebnis 1 0", "3 hdr_ref 1 0", "0 hell 4 0", "0 weich 4 0"}, 1, {}},
      {"an unknown input reads image 0",
       {{0, "unbekannt"}}, {"unbekannt/f [0,0] > -1"}, {"1 ergebnis 1 0", "3 hdr_ref 1 0"}, 1,
       {"!FilterVerwaltung::BerechneFilterkette(): Das 1. Eingabebild \"gibts_nicht\" des Filters \"f\" im Effekt \"unbekannt\" "
        "konnte nicht zugeordnet werden. Rohbild der Engine wird verwendet."}},
      {"conflicting outputs keep the first image",
       {{0, "konflikt"}}, {"konflikt/a [0] > 2", "konflikt/b [0] > 2", "konflikt/c [2] > -1"},
       {"1 ergebnis 1 0", "3 hdr_ref 1 0", "0 x 2 0"}, 1,
       {"!FilterEffekt \"konflikt\", Filter \"b\" definiert Ausgabebild mit konfliktbehafteten Parametern."}},
      {"a texture that is also an output stays a texture",
       {{0, "textur_als_ausgabe"}}, {"textur_als_ausgabe/a [2] > 2", "textur_als_ausgabe/b [2] > -1"},
       {"1 ergebnis 1 0", "3 hdr_ref 1 0", "2 t 1 0"}, 0,
       {"!Filtereffekt \"textur_als_ausgabe\" definiert Eingabetextur \"ergebnis\", die vorher schon Renderziel war.",
        "!Filtereffekt \"textur_als_ausgabe\" definiert Eingabetextur \"ergebnis\", die vorher schon Renderziel war.",
        "!FilterEffekt \"textur_als_ausgabe\", Filter \"a\" definiert Ausgabebild mit konfliktbehafteten Parametern."}},
      {"hdr_ref as an input is the reference image",
       {{0, "hdr"}}, {"hdr/f [0,1] > -1"}, {"1 ergebnis 1 0", "3 hdr_ref 1 0"}, 1, {}},
      {"a first engine input other than ergebnis is image 0, the raw image",
       {{0, "tiefe_zuerst"}}, {"tiefe_zuerst/f [0] > -1"}, {"1 tiefe 1 0", "1 ergebnis 1 0", "3 hdr_ref 1 0"}, 1, {}},
      {"no effect: no step", {}, {}, {"3 hdr_ref 1 0"}, 0, {}},
  };
  for (const KettenFall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    FilterSatz satz;
    for (const auto& [id, name] : fall.effekte) satz.effekte[id] = verwaltung->GibEffekt(name);
    FilterVerwaltung::BerechneFilterkette(satz);
    EXPECT_EQ(BeschreibeSchritte(satz), fall.schritte);
    EXPECT_EQ(BeschreibeBilder(satz), fall.bilder);
    EXPECT_EQ(satz.liestErgebnis, fall.liestErgebnis);
    EXPECT_TRUE(ZeilenPassen(NeueZeilen(), fall.zeilen));
  }
}

// The post set as the main loop builds it: bloom at -3, pause at 0.
TEST_F(FilterKetteTest, MitgelieferteNachbearbeitung) {
  FilterVerwaltung daten(MORVELUNT_DATEN_ZIEL);
  FilterSatz satz;
  satz.AddFilter(-3, daten.GibEffekt("bloom"));
  EXPECT_EQ(BeschreibeSchritte(satz), (std::vector<std::string>{"bloom/hell [0] > 2", "bloom/weich [2] > 3", "bloom/zusammen [0,3] > -1"}));
  EXPECT_EQ(BeschreibeBilder(satz), (std::vector<std::string>{"1 ergebnis 1 0", "3 hdr_ref 1 0", "0 hell 4 5", "0 weich 4 5"}));
  EXPECT_EQ(satz.liestErgebnis, 1);
  satz.AddFilter(0, daten.GibEffekt("pause"));
  EXPECT_EQ(BeschreibeSchritte(satz), (std::vector<std::string>{"bloom/hell [0] > 2", "bloom/weich [2] > 3",
                                                                  "bloom/zusammen [0,3] > 4", "pause/grau [4] > -1"}));
  EXPECT_EQ(BeschreibeBilder(satz),
            (std::vector<std::string>{"1 ergebnis 1 0", "3 hdr_ref 1 0", "0 hell 4 5", "0 weich 4 5", "0 ergebnis 1 0"}));
  ASSERT_EQ(satz.parameter.size(), 2u);
  EXPECT_EQ(satz.parameter[0].name, "Vignette");
  EXPECT_EQ(satz.parameter[1].name, "staerke");
  EXPECT_EQ(satz.schritte[2].parameter, std::vector<int>{0});
  EXPECT_EQ(satz.schritte[3].parameter, std::vector<int>{1});
  // The shipped widget style lies in the same folder; the scan passes it by with a debug line.
  const std::string stil = (std::filesystem::path(MORVELUNT_DATEN_ZIEL) / "GuiKonfig.xml").string();
  EXPECT_EQ(NeueZeilen(), std::vector<std::string>{"FilterVerwaltung::InternLadeEffekt(): \"" + stil + "\" ist kein Filtereffekt (Wurzel <gui>)."});
}

}  // namespace

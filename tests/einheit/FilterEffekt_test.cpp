// Effect files: every message of the effect and filter elements with the effect each case
// yields, the folder scan (order, foreign XML, broken files, directories, a missing folder),
// and the shipped data folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "BildFilterTest.h"
#include "MitgelieferteShader.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"

namespace {

using namespace bildfiltertest;
using FilterEffektTest = BildFilterTest;

TEST_F(FilterEffektTest, JederFallSchreibtSeineZeilenUndLiefertSeinenEffekt) {
  log.Debug(true);
  for (const filtervorlagen::EffektFall& fall : filtervorlagen::EffektFaelle()) {
    SCOPED_TRACE(fall.name);
    log.zeilen.clear();
    const FilterEffekt* effekt = verwaltung->LadeEffektAusText("e", fall.text);
    EXPECT_TRUE(ZeilenPassen(NeueZeilen(), fall.zeilen));
    EXPECT_EQ(effekt ? BeschreibeEffekt(*effekt) : "", fall.effekt);
    if (effekt) {
      EXPECT_EQ(effekt->name, "e");
    }
  }
}

TEST_F(FilterEffektTest, GeladeneFilterHabenProgrammUndHandles) {
  const FilterEffekt* effekt =
      Lade("e", filtervorlagen::Effekt(filtervorlagen::Kopie("f", "ergebnis", "<alphablending quelle=\"alpha\" ziel=\"invalpha\"/>")));
  ASSERT_NE(effekt, nullptr);
  ASSERT_EQ(effekt->filter.size(), 1u);
  const BildFilter::Filter& f = *effekt->filter[0];
  ASSERT_NE(f.shader.programm, nullptr);
  EXPECT_EQ(f.shader.programm->eingabe, verwaltung->eingabe);
  EXPECT_EQ(f.eingaben[0].samplerHandle & 0xFF, 0u) << "sQuelle on pixel stage 0";
  EXPECT_EQ(f.eingaben[0].konstantenHandle & 0xFFF, 0xFFFu) << "gQuelleInfo only in the pixel shader";
  EXPECT_NE(f.posOffsetHandle & 0xFFF, 0xFFFu) << "gPosOffset in the vertex shader";
  EXPECT_EQ(f.alphaZustand->beschreibung.ziele[0].farbOperation, 0u);
}

// Filter and effect keep the exact words of the file: a condensed text has no line breaks left,
// CDATA keeps the preprocessor lines.
TEST_F(FilterEffektTest, CdataBehaeltZeilenKlartextWirdVerdichtet) {
  const FilterEffekt* mitCdata = Lade("e", filtervorlagen::Effekt(filtervorlagen::Kopie("f", "ergebnis")));
  ASSERT_TRUE(mitCdata && mitCdata->filter.size() == 1);
  EXPECT_NE(mitCdata->filter[0]->vertexShaderText.find("\n#if GRAFIK_DIRECTX == 9\n"), std::string::npos);

  TiXmlDocument dokument;
  dokument.Parse(("<vertexShader>" + filtervorlagen::KOPIE_VS + "</vertexShader>").c_str());
  const std::string verdichtet = XmlElementText(*dokument.RootElement());
  EXPECT_EQ(verdichtet.find('\n'), std::string::npos);
  EXPECT_NE(verdichtet.find("float4 gPosOffset; $rein float4 ePos;"), std::string::npos) << verdichtet;
}

TEST_F(FilterEffektTest, FehlgeschlagenesKompilierenLaesstNichtsZurueck) {
  const int vorher = bildschirm.Belegt();
  for (const std::string& text :
       {filtervorlagen::Effekt(filtervorlagen::Filter("name=\"f\"", "", "$main() { kaputt }")),
        filtervorlagen::Effekt(filtervorlagen::Filter("name=\"f\"", "<alphablending quelle=\"alpha\"/>", filtervorlagen::KOPIE_VS,
                                                      "$raus float4 farbe;\n$main() { farbe = x; }"))}) {
    const FilterEffekt* effekt = Lade("e", text);
    ASSERT_NE(effekt, nullptr);
    EXPECT_TRUE(effekt->filter.empty());
  }
  EXPECT_EQ(bildschirm.Belegt(), vorher) << "shaders, program and blend state of the failed filters released";
  EXPECT_EQ(log.Anzahl("!Ausnahme"), 0u);
}

TEST_F(FilterEffektTest, OrdnerLaedtEffekteNachDateinamen) {
  EigenerOrdner daten;
  const std::string effekt = filtervorlagen::Effekt(filtervorlagen::ERGEBNIS + filtervorlagen::Kopie("f", "ergebnis"));
  SchreibeDatei(daten / "b_zweiter.xml", effekt);
  SchreibeDatei(daten / "a_erster.xml", effekt);
  SchreibeDatei(daten / "gui.xml", "<gui><eingabe typ=\"float\">3</eingabe><knopf/></gui>");
  SchreibeDatei(daten / "kaputt.xml", "<filtereffekt>\n\n<filter>\n</filtereffekt>\n");
  SchreibeDatei(daten / "c_kein_xml.txt", effekt);
  SchreibeDatei(daten / "d_gross.XML", effekt);
  std::filesystem::create_directory(daten / "x.xml");
  log.Debug(true);
  log.zeilen.clear();
  FilterVerwaltung v(daten.Pfad());

  std::vector<std::string> namen;
  for (const auto& e : v.effekte) namen.push_back(e->name);
  EXPECT_EQ(namen, (std::vector<std::string>{"a_erster", "b_zweiter"}));
  EXPECT_NE(v.GibEffekt("b_zweiter"), nullptr);
  EXPECT_EQ(v.GibEffekt("gui"), nullptr);
  EXPECT_EQ(v.GibEffekt("B_zweiter"), nullptr);
  EXPECT_EQ(v.ordner, daten.Pfad());
  std::vector<std::string> fehler;
  for (const std::string& z : log.zeilen)
    if (z[0] == '!' || z[0] == '?') fehler.push_back(z);
  EXPECT_TRUE(ZeilenPassen(fehler, {"!Zeile 4: *"}));
  EXPECT_TRUE(log.Enthaelt("FilterVerwaltung::InternLadeEffekt(): \"" + (daten / "gui.xml").string() +
                           "\" ist kein Filtereffekt (Wurzel <gui>)."));
}

TEST_F(FilterEffektTest, UnlesbareDateiUndFehlenderOrdner) {
  log.zeilen.clear();
  verwaltung->InternLadeEffekt(ordner / "fehlt.xml");
  EXPECT_TRUE(ZeilenPassen(NeueZeilen(), {"!FilterVerwaltung::InternLadeEffekt(): Datei \"" + (ordner / "fehlt.xml").string() +
                                              "\" ist nicht lesbar."}));

  const int vorher = bildschirm.Belegt();
  try {
    FilterVerwaltung v(ordner / "gibt_es_nicht");
    ADD_FAILURE() << "no exception";
  } catch (const Zarvo_Ausnahme& a) {
    EXPECT_FALSE(a.meldung.empty());
    EXPECT_EQ(a.funktion, "FilterVerwaltung::FilterVerwaltung");
    EXPECT_EQ(a.datei, "SourceExt\\Zarvoklassen\\bildfilter\\FilterVerwaltung");
  }
  EXPECT_EQ(bildschirm.Belegt(), vorher) << "nothing made before the scan failed";
}

TEST_F(FilterEffektTest, FilterAusnahmeNenntQuelle) {
  TiXmlDocument dokument;
  dokument.Parse("<filter/>");
  try {
    BildFilter::Filter f("f", *dokument.RootElement(), verwaltung->eingabe);
    ADD_FAILURE() << "no exception";
  } catch (const Zarvo_Ausnahme& a) {
    EXPECT_EQ(a.meldung, "Laden des Filters gescheitert");
    EXPECT_EQ(a.funktion, "BildFilter::Filter::Filter");
    EXPECT_EQ(a.datei, "SourceExt\\Zarvoklassen\\bildfilter\\Filter");
  }
}

// The build's data folder holds exactly the four shipped effects, which load without a warning.
TEST_F(FilterEffektTest, MitgelieferteEffekteLadenOhneMeldung) {
  log.zeilen.clear();
  FilterVerwaltung v(MORVELUNT_DATEN_ZIEL);
  std::vector<std::string> namen;
  for (const auto& e : v.effekte) namen.push_back(e->name);
  EXPECT_EQ(namen, (std::vector<std::string>{"ambient", "bloom", "pause", "shadow_postfx"}));
  for (const std::string& z : log.zeilen) EXPECT_TRUE(z[0] != '!' && z[0] != '?') << z;

  EXPECT_EQ(BeschreibeEffekt(*v.GibEffekt("bloom")),
            "E[ergebnis] B(Leuchten um helle Bildteile, Tonwertkurve und Vignette.)"
            " F hell(ergebnis:sQuelle:gQuelleInfo:21:21)>hell/4/5"
            " F weich(hell:sHell:gHellInfo:21:21)>weich/4/5"
            " F zusammen(ergebnis:sQuelle:gQuelleInfo:21:0,weich:sWeich:gWeichInfo:21:21)>ergebnis/1/0"
            " P Vignette=gVignette(0,0,0,0.7)");
  EXPECT_EQ(BeschreibeEffekt(*v.GibEffekt("pause")),
            "E[ergebnis] B(Graut das Bild während der Pause aus.) F grau(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"
            " P staerke=gStaerke(0,0,0,0)");
  for (const char* leer : {"shadow_postfx", "ambient"}) {
    SCOPED_TRACE(leer);
    const FilterEffekt* e = v.GibEffekt(leer);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->filter.empty() && e->eingaben.empty() && e->parameter.empty());
    EXPECT_FALSE(e->beschreibung.empty());
    // The renderer's sets hold it; their chains have no step and draw nothing.
    FilterSatz satz;
    satz.AddFilter(0, e);
    EXPECT_TRUE(satz.schritte.empty());
    EXPECT_EQ(satz.liestErgebnis, 0);
    Zarvo_Textur* karte = Textur(256, 256, PXFMT_G16R16);
    welt->Leere();
    v.WendeFilterAn(satz, karte, {nullptr, 0, 0, 256, 256});
    EXPECT_TRUE(welt->aufrufe.empty());
    kontext->GibFrei(karte);
  }

  // Every shipped filter is listed for the shader tests as "<effect>/<filter>".
  std::vector<std::string> paare;
  for (const MitgeliefertesShaderPaar& p : MitgelieferteShader(MORVELUNT_DATEN_QUELLE))
    if (p.name.find('/') != std::string::npos) paare.push_back(p.name);
  EXPECT_EQ(paare, (std::vector<std::string>{"bloom/hell", "bloom/weich", "bloom/zusammen", "pause/grau"}));
}

}  // namespace

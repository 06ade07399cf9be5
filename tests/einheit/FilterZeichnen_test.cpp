// Drawing chains on the recording device, read from the device state at each draw: the shipped
// post set at 1280 x 720, reuse and re-creation of the intermediate images, the set operations,
// the three mended faults (null effect, inputs without texture, outputs without render target),
// feedback and the registry after shutdown.
#include <gtest/gtest.h>

#include <array>

#include "BildFilterTest.h"

namespace {

using namespace bildfiltertest;
using namespace d3d9;
using filtervorlagen::ERGEBNIS;
using filtervorlagen::Effekt;
using filtervorlagen::Kopie;

using Vier = std::array<float, 4>;

// A constant as the draw saw it: the pixel register when the pixel shader has it, else the vertex one.
Vier Konstante(const Zeichnung& z, const BildFilter::Filter& f, const std::string& name) {
  const uint32_t handle = f.shader.programm->GibKonstante(name);
  const uint32_t pixel = handle >> 12 & 0xFFF, vertex = handle & 0xFFF;
  const float* r = pixel != 0xFFF ? &z.pixelRegister[pixel * 4] : vertex != 0xFFF ? &z.vertexRegister[vertex * 4] : nullptr;
  if (r == nullptr) {
    ADD_FAILURE() << name << " is in neither shader";
    return {};
  }
  return {r[0], r[1], r[2], r[3]};
}
uint32_t Stufe(const BildFilter::Filter& f, const std::string& sampler) { return f.shader.programm->GibSampler(sampler) & 0xFF; }

void ErwarteVier(const Vier& ist, const Vier& soll, const std::string& was) {
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(ist[size_t(i)], soll[size_t(i)]) << was << "[" << i << "]";
}

struct Eingabe {
  const char* sampler;
  Objekt* textur;
  DWORD filter;    // D3DTEXF_*
  DWORD adresse;   // D3DTADDRESS_*
  const char* konstante;
  Vier info;
};
struct Erwartet {
  const BildFilter::Filter* filter;
  UINT breite, hoehe;  // of the target; 0 x 0: the back buffer
  D3DFORMAT format;
  D3DVIEWPORT9 viewport;
  std::vector<Eingabe> eingaben;
  std::vector<std::pair<const char*, Vier>> parameter;
};

void Pruefe(const Zeichnung& z, const Erwartet& e) {
  SCOPED_TRACE(e.filter->name);
  ASSERT_NE(z.ziel, nullptr);
  if (e.breite == 0) {
    EXPECT_EQ(z.ziel->art, "back buffer");
  } else {
    EXPECT_EQ(z.ziel->breite, e.breite);
    EXPECT_EQ(z.ziel->hoehe, e.hoehe);
    EXPECT_EQ(z.ziel->format, e.format);
  }
  EXPECT_EQ(std::vector<DWORD>({z.viewport.X, z.viewport.Y, z.viewport.Width, z.viewport.Height}),
            std::vector<DWORD>({e.viewport.X, e.viewport.Y, e.viewport.Width, e.viewport.Height}));
  for (const Eingabe& in : e.eingaben) {
    SCOPED_TRACE(in.sampler);
    const uint32_t stufe = Stufe(*e.filter, in.sampler);
    ASSERT_LT(stufe, 16u);
    EXPECT_EQ(z.texturen[stufe], in.textur);
    if (in.textur != nullptr) {
      EXPECT_EQ(z.sampler[stufe].at(D3DSAMP_MINFILTER), in.filter);
      EXPECT_EQ(z.sampler[stufe].at(D3DSAMP_MAGFILTER), in.filter);
      EXPECT_EQ(z.sampler[stufe].at(D3DSAMP_ADDRESSU), in.adresse);
      EXPECT_EQ(z.sampler[stufe].at(D3DSAMP_ADDRESSV), in.adresse);
    }
    ErwarteVier(Konstante(z, *e.filter, in.konstante), in.info, in.konstante);
  }
  for (const auto& [name, wert] : e.parameter) ErwarteVier(Konstante(z, *e.filter, name), wert, name);
  ErwarteVier(Konstante(z, *e.filter, "gPosOffset"), {-0.5f / float(e.viewport.Width), 0.5f / float(e.viewport.Height), 0, 0},
              "gPosOffset");
  EXPECT_EQ(z.renderStates.at(D3DRS_ALPHABLENDENABLE), e.filter->alphaZustand ? 1u : 0u);
  EXPECT_EQ(z.renderStates.at(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
  EXPECT_EQ(z.renderStates.at(D3DRS_ZENABLE), 0u);
  EXPECT_EQ(z.renderStates.at(D3DRS_ZWRITEENABLE), 0u);
}

class FilterZeichnenTest : public BildFilterTest {
 protected:
  void SetUp() override {
    BildFilterTest::SetUp();
    daten = std::make_unique<FilterVerwaltung>(MORVELUNT_DATEN_ZIEL);
    bloom = daten->GibEffekt("bloom");
    pause = daten->GibEffekt("pause");
    ASSERT_TRUE(bloom && pause);
    quelle = Textur(1280, 720, PXFMT_A16B16G16R16F);
    log.zeilen.clear();
  }
  void TearDown() override {
    kontext->GibFrei(quelle);
    daten.reset();
    BildFilterTest::TearDown();
  }
  // One frame: the chain from the HDR image into the back buffer, the draws recorded afresh.
  void Frame(FilterSatz& satz, const FilterVerwaltung::Ziel& ziel = {nullptr, 0, 0, 1280, 720}) {
    zeichnungen.clear();
    welt->Leere();
    verwaltung->WendeFilterAn(satz, quelle, ziel);
  }
  Objekt* Bild(const FilterSatz& satz, const std::string& name, int nummer = 0) const {
    for (const FilterSatz::Bild& b : satz.bilder)
      if (b.name == name && nummer-- == 0) return Geraetetextur(b.textur);
    return nullptr;
  }
  std::vector<std::string> Zwischenbilder(const FilterSatz& satz) const {
    std::vector<std::string> bilder;
    for (const FilterSatz::Bild& b : satz.bilder)
      if (b.art == FilterSatz::ZWISCHENBILD && b.textur)
        bilder.push_back(b.name + " " + std::to_string(b.textur->breite) + "x" + std::to_string(b.textur->hoehe));
    return bilder;
  }

  std::unique_ptr<FilterVerwaltung> daten;
  const FilterEffekt* bloom = nullptr;
  const FilterEffekt* pause = nullptr;
  Zarvo_Textur* quelle = nullptr;
};

constexpr D3DVIEWPORT9 VOLL{0, 0, 1280, 720, 0, 1};
constexpr D3DVIEWPORT9 VIERTEL{0, 0, 320, 180, 0, 1};
constexpr Vier QUELLE_INFO{1, 1, 1.0f / 1280, 1.0f / 720};
constexpr Vier VIERTEL_INFO{1, 1, 1.0f / 320, 1.0f / 180};

TEST_F(FilterZeichnenTest, BloomAllein) {
  FilterSatz satz;
  satz.AddFilter(-3, bloom);
  Frame(satz);
  ASSERT_EQ(zeichnungen.size(), 3u);
  const auto& f = bloom->filter;
  Objekt* q = Geraetetextur(quelle);
  Pruefe(zeichnungen[0], {f[0].get(), 320, 180, D3DFMT_A16B16G16R16F, VIERTEL,
                          {{"sQuelle", q, D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, "gQuelleInfo", QUELLE_INFO}}, {}});
  Pruefe(zeichnungen[1], {f[1].get(), 320, 180, D3DFMT_A16B16G16R16F, VIERTEL,
                          {{"sHell", Bild(satz, "hell"), D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, "gHellInfo", VIERTEL_INFO}}, {}});
  Pruefe(zeichnungen[2], {f[2].get(), 0, 0, D3DFMT_UNKNOWN, VOLL,
                          {{"sQuelle", q, D3DTEXF_POINT, D3DTADDRESS_CLAMP, "gQuelleInfo", QUELLE_INFO},
                           {"sWeich", Bild(satz, "weich"), D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, "gWeichInfo", VIERTEL_INFO}},
                          {{"gVignette", {0, 0, 0, 0.7f}}}});
  for (const null::Aufruf& a : welt->Aufrufe("DrawIndexedPrimitive")) {
    EXPECT_EQ(a.argumente[3], 4u) << "vertices";
    EXPECT_EQ(a.argumente[5], 2u) << "triangles";
  }
  EXPECT_TRUE(NeueZeilen().empty());
}

TEST_F(FilterZeichnenTest, BloomMitPause) {
  FilterSatz satz;
  satz.AddFilter(-3, bloom);
  satz.AddFilter(0, pause);
  satz.SetParameter("staerke", 0.5f, 0, 0, 0);
  satz.SetParameter("Vignette", 0.1f, 0.2f, 0.3f, 5);
  Frame(satz);
  ASSERT_EQ(zeichnungen.size(), 4u);
  Objekt* zwischen = Bild(satz, "ergebnis", 1);
  ASSERT_NE(zwischen, nullptr);
  Pruefe(zeichnungen[2], {bloom->filter[2].get(), 1280, 720, D3DFMT_A8R8G8B8, VOLL,
                          {{"sQuelle", Geraetetextur(quelle), D3DTEXF_POINT, D3DTADDRESS_CLAMP, "gQuelleInfo", QUELLE_INFO},
                           {"sWeich", Bild(satz, "weich"), D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, "gWeichInfo", VIERTEL_INFO}},
                          {{"gVignette", {0.1f, 0.2f, 0.3f, 5}}}});
  Pruefe(zeichnungen[3], {pause->filter[0].get(), 0, 0, D3DFMT_UNKNOWN, VOLL,
                          {{"sQuelle", zwischen, D3DTEXF_POINT, D3DTADDRESS_CLAMP, "gQuelleInfo", QUELLE_INFO}},
                          {{"gStaerke", {0.5f, 0, 0, 0}}}});
  EXPECT_TRUE(NeueZeilen().empty());
}

// The final passes draw into the viewport inside the target; the images take its size.
TEST_F(FilterZeichnenTest, AnsichtImZiel) {
  FilterSatz satz;
  satz.AddFilter(-3, bloom);
  Frame(satz, {nullptr, 100, 50, 640, 360});
  ASSERT_EQ(zeichnungen.size(), 3u);
  EXPECT_EQ(Zwischenbilder(satz), (std::vector<std::string>{"hell 160x90", "weich 160x90"}));
  Pruefe(zeichnungen[2], {bloom->filter[2].get(), 0, 0, D3DFMT_UNKNOWN, {100, 50, 640, 360, 0, 1},
                          {{"sQuelle", Geraetetextur(quelle), D3DTEXF_POINT, D3DTADDRESS_CLAMP, "gQuelleInfo", {0.5f, 0.5f, 1.0f / 1280, 1.0f / 720}},
                           {"sWeich", Bild(satz, "weich"), D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, "gWeichInfo", {1, 1, 1.0f / 160, 1.0f / 90}}},
                          {}});
}

TEST_F(FilterZeichnenTest, BilderBleibenBisZurNaechstenGroesseOderKette) {
  FilterSatz satz;
  satz.AddFilter(-3, bloom);
  satz.AddFilter(0, pause);
  Frame(satz);
  EXPECT_EQ(Erzeugt(), 3) << "hell, weich and one ergebnis intermediate";
  EXPECT_EQ(Zwischenbilder(satz), (std::vector<std::string>{"hell 320x180", "weich 320x180", "ergebnis 1280x720"}));

  Frame(satz);
  EXPECT_EQ(Erzeugt(), 0) << "a second frame creates no texture";
  EXPECT_EQ(zeichnungen.size(), 4u);

  const int vorher = bildschirm.Belegt();
  Frame(satz, {nullptr, 0, 0, 640, 360});
  EXPECT_EQ(Erzeugt(), 3) << "a new size re-creates the three intermediates";
  EXPECT_EQ(Zwischenbilder(satz), (std::vector<std::string>{"hell 160x90", "weich 160x90", "ergebnis 640x360"}));
  EXPECT_EQ(bildschirm.Belegt(), vorher) << "the old ones released";

  satz.EntferneFilter(0);
  EXPECT_TRUE(Zwischenbilder(satz).empty()) << "recomputing releases the images";
  EXPECT_EQ(bildschirm.Belegt(), vorher - 6);
  Frame(satz);
  EXPECT_EQ(Erzeugt(), 2);
  EXPECT_EQ(Zwischenbilder(satz), (std::vector<std::string>{"hell 320x180", "weich 320x180"}));
  EXPECT_TRUE(NeueZeilen().empty());
}

// Sizes and size constants of divided images: max(1, W / divider), and the used part of the
// texture is exactly all of it.
TEST_F(FilterZeichnenTest, TeilerZweiUndViertausend) {
  const FilterEffekt* e = Lade("teiler", Effekt(ERGEBNIS + Kopie("a", "ergebnis", "<ausgabe name=\"halb\" teiler=\"2\"/>") +
                                                Kopie("b", "halb", "<ausgabe name=\"winzig\" teiler=\"4096\"/>") +
                                                Kopie("c", "winzig")));
  ASSERT_NE(e, nullptr);
  FilterSatz satz;
  satz.AddFilter(0, e);
  Frame(satz);
  EXPECT_EQ(Zwischenbilder(satz), (std::vector<std::string>{"halb 640x360", "winzig 1x1"}));
  ASSERT_EQ(zeichnungen.size(), 3u);
  Pruefe(zeichnungen[0], {e->filter[0].get(), 640, 360, D3DFMT_A8R8G8B8, {0, 0, 640, 360, 0, 1},
                          {{"sQuelle", Geraetetextur(quelle), D3DTEXF_POINT, D3DTADDRESS_CLAMP, "gQuelleInfo", QUELLE_INFO}}, {}});
  Pruefe(zeichnungen[1], {e->filter[1].get(), 1, 1, D3DFMT_A8R8G8B8, {0, 0, 1, 1, 0, 1},
                          {{"sQuelle", Bild(satz, "halb"), D3DTEXF_POINT, D3DTADDRESS_CLAMP, "gQuelleInfo", {1, 1, 1.0f / 640, 1.0f / 360}}},
                          {}});
  Pruefe(zeichnungen[2], {e->filter[2].get(), 0, 0, D3DFMT_UNKNOWN, VOLL,
                          {{"sQuelle", Bild(satz, "winzig"), D3DTEXF_POINT, D3DTADDRESS_CLAMP, "gQuelleInfo", {1, 1, 1, 1}}}, {}});
}

TEST_F(FilterZeichnenTest, ZielOhneFlaecheZeichnetNichts) {
  FilterSatz satz;
  satz.AddFilter(-3, bloom);
  for (const FilterVerwaltung::Ziel ziel : {FilterVerwaltung::Ziel{nullptr, 0, 0, 0, 720}, FilterVerwaltung::Ziel{nullptr, 0, 0, 1280, 0}}) {
    Frame(satz, ziel);
    EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 0);
    EXPECT_EQ(Erzeugt(), 0);
  }
  // A viewport outside the back buffer is empty: the final pass is not drawn.
  Frame(satz, {nullptr, 1280, 0, 64, 64});
  EXPECT_EQ(zeichnungen.size(), 2u);
  for (const Zeichnung& z : zeichnungen) EXPECT_NE(z.ziel->art, "back buffer");
}

TEST_F(FilterZeichnenTest, SatzOperationen) {
  FilterSatz satz;
  satz.AddFilter(0, pause);
  satz.AddFilter(-3, bloom);
  EXPECT_TRUE(NeueZeilen().empty());

  satz.AddFilter(0, bloom);
  EXPECT_TRUE(ZeilenPassen(NeueZeilen(),
                           {"?FilterSatz::AddFilter( \"bloom\", 0): Bislang unter SequenzID 0 aktiver Filter \"pause\" wird ersetzt."}));
  EXPECT_EQ(satz.effekte.size(), 2u);
  EXPECT_EQ(satz.effekte.at(0), bloom);
  satz.AddFilter(0, pause);
  NeueZeilen();

  // Values survive until the chain is recomputed; removing an unused id recomputes nothing.
  satz.SetParameter("staerke", 1, 0, 0, 0);
  Frame(satz);
  const std::vector<std::string> bilder = Zwischenbilder(satz);
  satz.EntferneFilter(7);
  EXPECT_TRUE(ZeilenPassen(NeueZeilen(), {"!FilterSatz::EntferneFilter( 7): Kein Filter mit dieser SequenzID aktiv."}));
  EXPECT_EQ(satz.parameter[1].wert[0], 1.0f);
  EXPECT_EQ(Zwischenbilder(satz), bilder);

  satz.SetParameter("Staerke", 2, 0, 0, 0);
  EXPECT_TRUE(ZeilenPassen(NeueZeilen(), {"!FilterSatz::SetParameter( \"Staerke\", ...): Kein Param diesen Namens bekannt."}));

  // AddFilter recomputes: every parameter is back at its default.
  satz.SetParameter("Vignette", 1, 1, 1, 1);
  satz.AddFilter(9, daten->GibEffekt("ambient"));
  ASSERT_EQ(satz.parameter.size(), 2u);
  EXPECT_EQ(std::vector<float>(satz.parameter[0].wert, satz.parameter[0].wert + 4), (std::vector<float>{0, 0, 0, 0.7f}));
  EXPECT_EQ(std::vector<float>(satz.parameter[1].wert, satz.parameter[1].wert + 4), (std::vector<float>{0, 0, 0, 0}));
  EXPECT_TRUE(Zwischenbilder(satz).empty());
  EXPECT_TRUE(NeueZeilen().empty());
}

// A parameter without a constant is known to the set; drawing goes on without it.
TEST_F(FilterZeichnenTest, ParameterOhneKonstante) {
  const FilterEffekt* e = Lade("ohne_konstante", Effekt(ERGEBNIS + Kopie("k", "ergebnis") + "<param name=\"p\"><standard r=\"1\"/></param>"));
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->parameter.size(), 1u);
  EXPECT_TRUE(e->parameter[0].konstante.empty());
  FilterSatz satz;
  satz.AddFilter(0, e);
  satz.SetParameter("p", 2, 3, 4, 5);
  EXPECT_EQ(std::vector<float>(satz.parameter[0].wert, satz.parameter[0].wert + 4), (std::vector<float>{2, 3, 4, 5}));
  Frame(satz);
  EXPECT_EQ(zeichnungen.size(), 1u);
  EXPECT_TRUE(NeueZeilen().empty());
}

// A null effect changes nothing: the main loop adds the lookup result for "pause" every frame
// while it is missing, which crashed the chain computation before.
TEST_F(FilterZeichnenTest, LeererEffektAendertNichts) {
  FilterSatz satz;
  satz.AddFilter(-3, bloom);
  satz.SetParameter("Vignette", 0, 0, 0, 5);
  Frame(satz);
  const std::vector<std::string> bilder = Zwischenbilder(satz);
  for (int frame = 0; frame < 2; ++frame) {
    satz.AddFilter(0, daten->GibEffekt("fehlt"));
    EXPECT_TRUE(ZeilenPassen(NeueZeilen(), {"!FilterSatz::AddFilter( 0): Kein Filtereffekt angegeben."}));
    Frame(satz);
    EXPECT_EQ(Erzeugt(), 0);
  }
  EXPECT_EQ(satz.effekte.size(), 1u);
  EXPECT_EQ(satz.schritte.size(), 3u);
  EXPECT_EQ(satz.parameter[0].wert[3], 5.0f);
  EXPECT_EQ(Zwischenbilder(satz), bilder);
}

// Inputs without a texture (an effect texture, "hdr_ref", an engine result the caller
// did not give) bind none and get (1, 1, 0, 0); before, the size constant divided by the width
// of a null texture.
TEST_F(FilterZeichnenTest, EingabenOhneTextur) {
  const FilterEffekt* e =
      Lade("ohne", Effekt("<textur name=\"rauschen\" standard=\"rauschen.png\"/>" + ERGEBNIS + "<eingabe name=\"tiefe\"/>" +
                          Kopie("a", "ergebnis", "<ausgabe name=\"x\"/>") + Kopie("b", "rauschen", "<ausgabe name=\"y\"/>") +
                          Kopie("c", "hdr_ref", "<ausgabe name=\"z\"/>") + Kopie("d", "tiefe")));
  ASSERT_NE(e, nullptr);
  FilterSatz satz;
  satz.AddFilter(0, e);
  Frame(satz);
  ASSERT_EQ(zeichnungen.size(), 4u);
  const uint32_t stufe = Stufe(*e->filter[0], "sQuelle");
  EXPECT_EQ(zeichnungen[0].texturen[stufe], Geraetetextur(quelle));
  for (size_t i = 1; i < 4; ++i) {
    SCOPED_TRACE(e->filter[i]->name);
    EXPECT_EQ(zeichnungen[i].texturen[stufe], nullptr) << "no texture of the pass before";
    ErwarteVier(Konstante(zeichnungen[i], *e->filter[i], "gQuelleInfo"), {1, 1, 0, 0}, "gQuelleInfo");
  }
  EXPECT_TRUE(NeueZeilen().empty());
}

// Outputs named like an engine input, a texture or "hdr_ref" have no render target;
// before, binding it selected the back buffer and the pass wiped the screen mid-chain.
TEST_F(FilterZeichnenTest, AusgabeOhneRenderzielWirdNichtGezeichnet) {
  const FilterEffekt* e = Lade("konflikt", Effekt("<textur name=\"t\"/>" + ERGEBNIS + "<eingabe name=\"tiefe\"/>" +
                                                  Kopie("a", "ergebnis", "<ausgabe name=\"tiefe\"/>") +
                                                  Kopie("b", "ergebnis", "<ausgabe name=\"hdr_ref\"/>") +
                                                  Kopie("c", "ergebnis", "<ausgabe name=\"t\"/>") + Kopie("d", "ergebnis")));
  ASSERT_NE(e, nullptr);
  FilterSatz satz;
  satz.AddFilter(0, e);
  EXPECT_TRUE(ZeilenPassen(NeueZeilen(), {"!FilterEffekt \"konflikt\", Filter \"a\" definiert Ausgabebild mit konfliktbehafteten Parametern.",
                                          "!FilterEffekt \"konflikt\", Filter \"c\" definiert Ausgabebild mit konfliktbehafteten Parametern."}));
  Frame(satz);
  ASSERT_EQ(zeichnungen.size(), 1u) << "only the final pass";
  EXPECT_EQ(zeichnungen[0].ziel->art, "back buffer");
  EXPECT_EQ(Erzeugt(), 0);
}

// Reading a colour buffer of the pass's own target: the ambient set reads its height map as
// "ergebnis" and draws into the target on that map; a pass may read the image it writes.
TEST_F(FilterZeichnenTest, RueckkopplungBindetKeineTextur) {
  const FilterEffekt* kopie = Lade("kopie", Effekt(ERGEBNIS + Kopie("k", "ergebnis")));
  const FilterEffekt* selbst = Lade("selbst", Effekt(ERGEBNIS + Kopie("a", "ergebnis", "<ausgabe name=\"x\"/>") +
                                                     Kopie("b", "x", "<ausgabe name=\"x\"/>") + Kopie("c", "x")));
  ASSERT_TRUE(kopie && selbst);
  const std::string meldung = "!FilterVerwaltung::ZeichneFilter(): Filter \"%s\" im Effekt \"%s\" liest das Bild, in das er zeichnet; "
                              "die Eingabe bleibt ohne Textur.";
  const auto zeile = [&](const char* filter, const char* effekt) {
    std::string z = meldung;
    z.replace(z.find("%s"), 2, filter);
    z.replace(z.find("%s"), 2, effekt);
    return z;
  };

  Zarvo_Textur* hoehe = Textur(256, 256, PXFMT_G16R16);
  Zarvo_Renderziel* hoehenZiel = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(hoehe, nullptr));
  FilterSatz umgebung;
  umgebung.AddFilter(0, kopie);
  for (int frame = 0; frame < 2; ++frame) {
    zeichnungen.clear();
    verwaltung->WendeFilterAn(umgebung, hoehe, {hoehenZiel, 0, 0, 256, 256});
    ASSERT_EQ(zeichnungen.size(), 1u);
    EXPECT_EQ(zeichnungen[0].texturen[Stufe(*kopie->filter[0], "sQuelle")], nullptr);
    EXPECT_TRUE(ZeilenPassen(NeueZeilen(), frame == 0 ? std::vector<std::string>{zeile("k", "kopie")} : std::vector<std::string>{}));
  }
  umgebung.AddFilter(0, kopie);  // a new chain reports it again
  NeueZeilen();
  verwaltung->WendeFilterAn(umgebung, hoehe, {hoehenZiel, 0, 0, 256, 256});
  EXPECT_TRUE(ZeilenPassen(NeueZeilen(), {zeile("k", "kopie")}));

  FilterSatz satz;
  satz.AddFilter(0, selbst);
  Frame(satz);
  ASSERT_EQ(zeichnungen.size(), 3u);
  const uint32_t stufe = Stufe(*selbst->filter[0], "sQuelle");
  EXPECT_EQ(zeichnungen[0].texturen[stufe], Geraetetextur(quelle));
  EXPECT_EQ(zeichnungen[1].texturen[stufe], nullptr);
  EXPECT_EQ(zeichnungen[2].texturen[stufe], Bild(satz, "x"));
  EXPECT_TRUE(ZeilenPassen(NeueZeilen(), {zeile("b", "selbst")}));
  kontext->GibFrei(hoehenZiel);
  kontext->GibFrei(hoehe);
}

TEST_F(FilterZeichnenTest, SatzUndVerwaltungGebenAllesFrei) {
  {
    FilterSatz satz;
    satz.AddFilter(-3, bloom);
    satz.AddFilter(0, pause);
    Frame(satz);
    EXPECT_GT(bildschirm.Belegt(), belegtAmAnfang);
  }
  kontext->GibFrei(quelle);
  quelle = nullptr;
  daten.reset();
  verwaltung.reset();
  EXPECT_EQ(bildschirm.Belegt(), belegtAmAnfang);
}

}  // namespace

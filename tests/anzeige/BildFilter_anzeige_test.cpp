// Image filter chains on the OpenGL device under a virtual display, read back by pixels: copies
// that reproduce an image exactly and the same way up (directly, through an intermediate, into a
// viewport inside the back buffer, halved), what each output format keeps, the shipped bloom with
// its tone curve and vignette, and the pause grey over it. The bloom frame is written as a PNG
// beside the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "AnzeigeSperre.h"
#include "einheit/EigenerOrdner.h"
#include "einheit/FilterVorlagen.h"
#include "einheit/LogMitschnitt.h"
#include "FilterVerwaltung.h"
#include "Plattform/d3d9/d3d9.h"
#include "TBereich.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZeichenKontext.h"
#include "BildschirmOeffnen.h"

namespace {

using filtervorlagen::ERGEBNIS;
using filtervorlagen::Effekt;
using filtervorlagen::Filter;

constexpr uint32_t B = 1280, H = 720;

struct Farbe {
  int r, g, b;
};
int Byte(double wert) { return int(std::lround(std::clamp(wert, 0.0, 1.0) * 255.0)); }
float Halb(float wert) { return HalbZuFloat(FloatZuHalb(wert)); }

// A copy pass reading "ergebnis" with the given filter keyword, with the vertex shader `vs`.
std::string KopieEffekt(const char* filter, const std::string& vs = filtervorlagen::KOPIE_VS) {
  return Effekt(ERGEBNIS + Filter("name=\"k\"",
                                  std::string("<eingabe name=\"ergebnis\" sampler=\"sQuelle\" konstante=\"gQuelleInfo\" filter=\"") +
                                      filter + "\"/>",
                                  vs));
}
// The shipped vertex shader with the half-pixel line replaced.
std::string VertexShaderMit(const std::string& zeile) {
  std::string vs = filtervorlagen::KOPIE_VS;
  const std::string alt = "  aPos.xy += 2.0 * gPosOffset.xy * ePos.w;\n";
  vs.replace(vs.find(alt), alt.size(), zeile);
  return vs;
}

class BildFilterAnzeige : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Debug(true);
    d3d9::WaehleGl33Backend();
    g_Vollbild.SetzeBool(false);
    ASSERT_TRUE(anzeige::OeffneBildschirm(B, H)) << "no display: the display tests need DISPLAY (Xvfb)";
    kontext = Zarvo_Screen3D::GibZeichenKontext();
    daten = std::make_unique<FilterVerwaltung>(MORVELUNT_DATEN_ZIEL);
    eigene = std::make_unique<FilterVerwaltung>(ordner.Pfad());
  }
  void TearDown() override {
    if (kontext != nullptr)
      for (Zarvo_Textur* t : texturen) kontext->GibFrei(t);
    eigene.reset();
    daten.reset();
    Zarvo_Screen3D::Schliessen();
    g_Vollbild.SetzeBool(true);
    for (const std::string& z : log.zeilen) {
      EXPECT_EQ(z.find("GL error"), std::string::npos) << z;
      EXPECT_TRUE(z.empty() || (z[0] != '!' && z[0] != '?')) << z;
    }
  }

  const FilterEffekt* Lade(const std::string& name, const std::string& text) {
    const FilterEffekt* e = eigene->LadeEffektAusText(name, text);
    EXPECT_NE(e, nullptr) << name;
    EXPECT_TRUE(e == nullptr || !e->filter.empty()) << name;
    return e;
  }
  // A texture of the engine from a w x h image whose pixels `pixel` fills (format of the image).
  Zarvo_Textur* Textur(Zarvo_Bild& bild) {
    Zarvo_Textur* t = kontext->ErzeugeTextur(0, 0, 1, bild.Format(), Zarvo_TexturVorgabe(bild, 0));
    texturen.push_back(t);
    return t;
  }
  static void SetzeA8R8G8B8(Zarvo_Bild& bild, uint64_t x, uint64_t y, uint32_t argb) {
    std::memcpy(bild.Pixel() + y * bild.Zeilenbytes() + 4 * x, &argb, 4);
  }
  static void SetzeHalb(Zarvo_Bild& bild, uint64_t x, uint64_t y, float r, float g, float b) {
    const uint16_t werte[4] = {FloatZuHalb(r), FloatZuHalb(g), FloatZuHalb(b), FloatZuHalb(1.0f)};
    std::memcpy(bild.Pixel() + y * bild.Zeilenbytes() + 8 * x, werte, 8);
  }
  void Leere(float r, float g, float b) {
    const float farbe[4] = {r, g, b, 1};
    kontext->SetRenderZiel(nullptr);
    kontext->Leeren(1, farbe);
  }
  // Ends the frame and reads the back buffer; with a name also written as bildfilter_<name>.png
  // to the temporary folder.
  Zarvo_Bild Bildschirm(const std::string& name = "") {
    kontext->EndeZeichnen();
    Zarvo_Bild bild(B, H, PXFMT_A8R8G8B8, 1);
    kontext->LiesBildschirmInhalt(bild);
    if (!name.empty()) bild.SpeicherePNG(std::filesystem::temp_directory_path() / ("bildfilter_" + name + ".png"), 0);
    return bild;
  }
  static uint32_t Pixel(const Zarvo_Bild& bild, uint64_t x, uint64_t y) {
    uint32_t p;
    std::memcpy(&p, bild.Pixel() + y * bild.Zeilenbytes() + 4 * x, 4);
    return p & 0xFFFFFF;
  }
  static Farbe FarbeBei(const Zarvo_Bild& bild, uint64_t x, uint64_t y) {
    const uint32_t p = Pixel(bild, x, y);
    return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
  }
  // Pixels of the viewport (x0, y0, w, h) that differ from `erwartet`, the first few reported.
  int Abweichungen(const Zarvo_Bild& schirm, uint64_t x0, uint64_t y0, uint64_t w, uint64_t h,
                   const std::function<uint32_t(uint64_t, uint64_t)>& erwartet, bool melden) {
    int falsch = 0;
    for (uint64_t y = 0; y < h; ++y)
      for (uint64_t x = 0; x < w; ++x)
        if (Pixel(schirm, x0 + x, y0 + y) != (erwartet(x, y) & 0xFFFFFF) && ++falsch <= 3 && melden)
          ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << Pixel(schirm, x0 + x, y0 + y) << " instead of "
                        << (erwartet(x, y) & 0xFFFFFF);
    return falsch;
  }

  AnzeigeSperre sperre;
  LogMitschnitt log;
  EigenerOrdner ordner;
  Zarvo_ZeichenKontext* kontext = nullptr;
  std::unique_ptr<FilterVerwaltung> daten;
  std::unique_ptr<FilterVerwaltung> eigene;
  std::vector<Zarvo_Textur*> texturen;
};

// ---- pixel centres and orientation ----

constexpr uint64_t KX = 100, KY = 60, KB = 64, KH = 48;  // the viewport inside the back buffer
constexpr uint32_t RAND = 0xFF008000u;                      // clear colour around it

// A 1-pixel checker with its top-left pixel red.
uint32_t Schach(uint64_t x, uint64_t y) {
  if (x == 0 && y == 0) return 0xFFFF0000u;
  return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u;
}
// Random grey levels in steps of 4, so that every 2 x 2 mean is a whole byte.
uint32_t Rauschen(uint64_t x, uint64_t y) {
  const uint32_t v = uint32_t((x * 73 + y * 151 + (x * y) % 17) * 4 % 256);
  return 0xFF000000u | v << 16 | (252 - v) << 8 | (v / 2 & ~3u);
}
uint32_t Mittel2x2(uint64_t x, uint64_t y) {
  uint32_t ergebnis = 0xFF000000u;
  for (int schiebung : {16, 8, 0}) {
    uint32_t summe = 0;
    for (uint64_t dy = 0; dy < 2; ++dy)
      for (uint64_t dx = 0; dx < 2; ++dx) summe += Rauschen(2 * x + dx, 2 * y + dy) >> schiebung & 0xFF;
    ergebnis |= (summe / 4) << schiebung;
  }
  return ergebnis;
}

class Pixelmitten : public BildFilterAnzeige {
 protected:
  void SetUp() override {
    BildFilterAnzeige::SetUp();
    if (HasFatalFailure()) return;
    using Muster = uint32_t (*)(uint64_t, uint64_t);
    for (auto [name, muster] : {std::pair<Zarvo_Textur**, Muster>{&schach, Schach}, {&rauschen, Rauschen}}) {
      Zarvo_Bild bild(KB, KH, PXFMT_A8R8G8B8, 1);
      for (uint64_t y = 0; y < KH; ++y)
        for (uint64_t x = 0; x < KB; ++x) SetzeA8R8G8B8(bild, x, y, muster(x, y));
      *name = Textur(bild);
    }
  }
  // The chain of `effekte` (ids 0, 1, ...) from `quelle` into the viewport; the mismatches
  // against `erwartet` inside it, after checking the ring around it stayed.
  int Zeichne(const std::vector<const FilterEffekt*>& effekte, Zarvo_Textur* quelle,
              const std::function<uint32_t(uint64_t, uint64_t)>& erwartet, bool melden = true) {
    FilterSatz satz;
    std::string name;
    for (size_t i = 0; i < effekte.size(); ++i) {
      satz.AddFilter(int32_t(i), effekte[i]);
      name += (i ? "+" : "") + effekte[i]->name;
    }
    Leere(0, 128.0f / 255, 0);
    eigene->WendeFilterAn(satz, quelle, {nullptr, KX, KY, KB, KH});
    const Zarvo_Bild schirm = Bildschirm(name);
    const auto rand = [](uint64_t, uint64_t) { return RAND; };
    EXPECT_EQ(Abweichungen(schirm, KX - 2, KY - 2, KB + 4, 2, rand, true), 0) << "above";
    EXPECT_EQ(Abweichungen(schirm, KX - 2, KY + KH, KB + 4, 2, rand, true), 0) << "below";
    EXPECT_EQ(Abweichungen(schirm, KX - 2, KY, 2, KH, rand, true), 0) << "left";
    EXPECT_EQ(Abweichungen(schirm, KX + KB, KY, 2, KH, rand, true), 0) << "right";
    return Abweichungen(schirm, KX, KY, KB, KH, erwartet, melden);
  }

  Zarvo_Textur* schach = nullptr;
  Zarvo_Textur* rauschen = nullptr;
};

TEST_F(Pixelmitten, KopieGibtDasBildGenauUndGleichHerumWieder) {
  const FilterEffekt* punkt = Lade("punkt", KopieEffekt("punkt"));
  const FilterEffekt* linear = Lade("linear", KopieEffekt("linear"));
  const FilterEffekt* linear2 = Lade("linear2", KopieEffekt("linear"));
  struct Fall {
    const char* name;
    std::vector<const FilterEffekt*> effekte;
  } faelle[] = {{"point", {punkt}}, {"linear", {linear}}, {"through an intermediate", {linear, linear2}},
                {"point through an intermediate", {punkt, linear}}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(Zeichne(f.effekte, schach, Schach), 0);
  }
}

TEST_F(Pixelmitten, LinearBeiTeilerZweiMitteltJeZweiMalZwei) {
  const FilterEffekt* halb =
      Lade("halb", Effekt(ERGEBNIS +
                          Filter("name=\"verkleinern\"",
                                 "<eingabe name=\"ergebnis\" sampler=\"sQuelle\" konstante=\"gQuelleInfo\" filter=\"linear\"/>"
                                 "<ausgabe name=\"halb\" teiler=\"2\" pxfmt=\"a32b32g32r32\"/>") +
                          filtervorlagen::Kopie("zeigen", "halb")));
  EXPECT_EQ(Zeichne({halb}, rauschen, [](uint64_t x, uint64_t y) { return Mittel2x2(x / 2, y / 2); }), 0);
}

// The offset added once (a quarter pixel) or not at all blends neighbouring texels.
TEST_F(Pixelmitten, OhneHalbenPixelVersatzScheitertLinear) {
  for (const char* zeile : {"  aPos.xy += gPosOffset.xy * ePos.w;\n", ""}) {
    SCOPED_TRACE(zeile);
    const std::string vs = VertexShaderMit(zeile);
    const FilterEffekt* linear = Lade(std::string("linear_") + (*zeile ? "einmal" : "ohne"), KopieEffekt("linear", vs));
    EXPECT_GT(Zeichne({linear}, schach, Schach, false), int(KB * KH / 2));
    const FilterEffekt* halb = Lade(
        std::string("halb_") + (*zeile ? "einmal" : "ohne"),
        Effekt(ERGEBNIS + Filter("name=\"verkleinern\"",
                                 "<eingabe name=\"ergebnis\" sampler=\"sQuelle\" konstante=\"gQuelleInfo\" filter=\"linear\"/>"
                                 "<ausgabe name=\"halb\" teiler=\"2\" pxfmt=\"a32b32g32r32\"/>",
                                 vs) +
               filtervorlagen::Kopie("zeigen", "halb")));
    EXPECT_GT(Zeichne({halb}, rauschen, [](uint64_t x, uint64_t y) { return Mittel2x2(x / 2, y / 2); }, false), int(KB * KH / 4));
  }
}

// ---- output formats ----

const char* const PS_SCHREIBE = R"(float4 gQuelleInfo;
$rein float2 aTex;
$raus float4 farbe;
$main() { farbe = float4(0.25, 0.5, 0.75, 0.5); }
)";
// Left half the image's rgb, right half its alpha as grey.
const char* const PS_ZEIGE = R"(DEF_SAMPLER_2D(sQuelle);
float4 gQuelleInfo;
$rein float2 aTex;
$raus float4 farbe;
$main() {
  float4 c = SAMPLE_2D(sQuelle, TEXKOORD_RT(aTex) * gQuelleInfo.xy);
  farbe = aTex.x < 0.5 ? float4(c.rgb, 1.0) : float4(c.aaa, 1.0);
}
)";

// The byte a stored channel shows: the value rounded to `bits` (0: kept as is), either way at a tie.
std::vector<int> Bytes(double wert, int bits) {
  if (bits == 0) return {Byte(wert)};
  const double stufen = double((1 << bits) - 1), x = wert * stufen;
  return {Byte(std::floor(x) / stufen), Byte(std::ceil(x) / stufen)};
}

TEST_F(BildFilterAnzeige, JedesAusgabeformat) {
  // Bits per channel r, g, b, a; 0 a float channel kept as is, -1 a channel the format lacks
  // (reads 1), -2 a colour channel of the alpha format (reads 0).
  struct Fall {
    const char* pxfmt;
    int bits[4];
  } faelle[] = {
      {"a8r8g8b8", {8, 8, 8, 8}},   {"r5g6b5", {5, 6, 5, -1}},      {"r10g10b10a2", {10, 10, 10, 2}},
      {"r16", {0, -1, -1, -1}},     {"g16r16", {0, 0, -1, -1}},     {"a16b16g16r16", {0, 0, 0, 0}},
      {"r32", {0, -1, -1, -1}},     {"g32b32", {0, 0, -1, -1}},     {"a32b32g32r32", {0, 0, 0, 0}},
      {"g16r16_fix", {16, 16, -1, -1}}, {"a16b16g16r16_fix", {16, 16, 16, 16}}, {"r8", {-2, -2, -2, 8}},
  };
  const double geschrieben[4] = {0.25, 0.5, 0.75, 0.5};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.pxfmt);
    const FilterEffekt* e = Lade(std::string("format_") + f.pxfmt,
                                 Effekt(ERGEBNIS + Filter("name=\"schreiben\"", std::string("<ausgabe name=\"bild\" pxfmt=\"") + f.pxfmt + "\"/>",
                                                          filtervorlagen::KOPIE_VS, PS_SCHREIBE) +
                                        Filter("name=\"zeigen\"", "<eingabe name=\"bild\" sampler=\"sQuelle\" konstante=\"gQuelleInfo\"/>",
                                               filtervorlagen::KOPIE_VS, PS_ZEIGE)));
    ASSERT_TRUE(e && e->filter.size() == 2);
    FilterSatz satz;
    satz.AddFilter(0, e);
    Leere(0, 0, 0);
    eigene->WendeFilterAn(satz, nullptr, {nullptr, 0, 0, 64, 32});
    const Zarvo_Bild schirm = Bildschirm(std::string("format_") + f.pxfmt);
    const Farbe rgb = FarbeBei(schirm, 16, 16), alpha = FarbeBei(schirm, 48, 16);
    const int ist[4] = {rgb.r, rgb.g, rgb.b, alpha.r};
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE("rgba"[k]);
      const int bits = f.bits[k];
      const std::vector<int> erlaubt = bits == -1 ? std::vector<int>{255} : bits == -2 ? std::vector<int>{0} : Bytes(geschrieben[k], bits);
      const bool passt = std::any_of(erlaubt.begin(), erlaubt.end(), [&](int soll) { return std::abs(ist[k] - soll) <= 1; });
      EXPECT_TRUE(passt) << ist[k] << " instead of " << erlaubt.front() << (erlaubt.size() > 1 ? " or " + std::to_string(erlaubt.back()) : "");
    }
    EXPECT_EQ(alpha.r, alpha.g);
    EXPECT_EQ(alpha.r, alpha.b);
  }
}

// ---- bloom and pause ----

constexpr uint64_t QX = 896, QY = 200;   // the 8 x 8 square of 4.0
constexpr float GRAU = 0.3f;
struct Flecken {
  uint64_t x, y;
  float r, g, b;
} const FLECKEN[] = {{200, 200, 0.5f, 0.5f, 0.5f}, {1000, 500, 0.9f, 0.9f, 0.9f}, {200, 500, 0.6f, 0.3f, 0.1f}};
constexpr uint64_t FLECK = 32;

double Tonwert(double c) { return c <= 0.6 ? c : 1.0 - 0.16 / (c - 0.2); }
double Glatt(double a, double b, double x) {
  const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}
// What the vignette leaves of a colour at pixel (x, y) with radius a (colour black).
double Vignette(uint64_t x, uint64_t y, double a) {
  const double dx = (double(x) + 0.5) / B * 2 - 1, dy = (double(y) + 0.5) / H * 2 - 1;
  return 1.0 - Glatt(a, a + 1, std::sqrt(dx * dx + dy * dy));
}

class BloomAnzeige : public BildFilterAnzeige {
 protected:
  void SetUp() override {
    BildFilterAnzeige::SetUp();
    if (HasFatalFailure()) return;
    Zarvo_Bild bild(B, H, PXFMT_A16B16G16R16F, 1);
    for (uint64_t y = 0; y < H; ++y)
      for (uint64_t x = 0; x < B; ++x) SetzeHalb(bild, x, y, GRAU, GRAU, GRAU);
    for (uint64_t y = 0; y < 8; ++y)
      for (uint64_t x = 0; x < 8; ++x) SetzeHalb(bild, QX + x, QY + y, 4, 4, 4);
    for (const Flecken& f : FLECKEN)
      for (uint64_t y = 0; y < FLECK; ++y)
        for (uint64_t x = 0; x < FLECK; ++x) SetzeHalb(bild, f.x + x, f.y + y, f.r, f.g, f.b);
    quelle = Textur(bild);
    bloom = daten->GibEffekt("bloom");
    pause = daten->GibEffekt("pause");
    ASSERT_TRUE(bloom && pause);
  }
  Zarvo_Bild Frame(FilterSatz& satz, const std::string& name = "") {
    Leere(1, 0, 1);
    daten->WendeFilterAn(satz, quelle, {nullptr, 0, 0, B, H});
    return Bildschirm(name);
  }
  static void ErwarteGrau(const Zarvo_Bild& schirm, uint64_t x, uint64_t y, double wert, int toleranz, const char* was) {
    const Farbe f = FarbeBei(schirm, x, y);
    for (int kanal : {f.r, f.g, f.b}) EXPECT_NEAR(kanal, Byte(wert), toleranz) << was << " at (" << x << ", " << y << ")";
  }

  Zarvo_Textur* quelle = nullptr;
  const FilterEffekt* bloom = nullptr;
  const FilterEffekt* pause = nullptr;
};

TEST_F(BloomAnzeige, LeuchtenUndTonwerteOhneVignette) {
  FilterSatz satz;
  satz.AddFilter(-3, bloom);
  satz.SetParameter("Vignette", 0, 0, 0, 5);
  const Zarvo_Bild schirm = Frame(satz, "bloom");
  ErwarteGrau(schirm, 40, 40, Halb(GRAU), 1, "grey");
  ErwarteGrau(schirm, 640, 360, Halb(GRAU), 1, "grey");
  ErwarteGrau(schirm, 216, 216, Halb(0.5f), 1, "0.5 patch");
  ErwarteGrau(schirm, 1016, 516, Tonwert(Halb(0.9f)), 1, "0.9 patch, tone-mapped");
  ErwarteGrau(schirm, QX + 4, QY + 4, 1.0 - 0.16 / (4.0 - 0.2 + 2.5), 40, "the square, near white");
  // Glow around the square, gone beyond its reach (16 pixels of blur and the bright pass's block).
  for (const auto& [x, y] : {std::pair{QX - 6, QY + 4}, {QX + 13, QY + 4}, {QX + 4, QY - 6}, {QX + 4, QY + 13}}) {
    const Farbe f = FarbeBei(schirm, x, y);
    EXPECT_GT(f.r, Byte(Halb(GRAU)) + 20) << "glow at (" << x << ", " << y << ")";
    EXPECT_EQ(f.r, f.g);
    EXPECT_EQ(f.r, f.b);
  }
  for (const auto& [x, y] : {std::pair{QX - 28, QY + 4}, {QX + 36, QY + 4}, {QX + 4, QY + 36}, {QX - 28, QY - 28}})
    ErwarteGrau(schirm, x, y, Halb(GRAU), 1, "beyond the glow");
}

TEST_F(BloomAnzeige, VignetteDunkeltDieRaenderAb) {
  FilterSatz satz;
  satz.AddFilter(-3, bloom);  // the default (0, 0, 0, 0.7)
  const Zarvo_Bild schirm = Frame(satz);
  schirm.SpeicherePNG(std::filesystem::path(MORVELUNT_TEST_AUSGABE) / "bildfilter_bloom_vignette.png", 0);
  for (const auto& [x, y] : {std::pair<uint64_t, uint64_t>{640, 360}, {0, 360}, {B - 1, 360}, {640, 0}, {640, H - 1}, {0, 0},
                             {B - 1, 0}, {0, H - 1}, {B - 1, H - 1}, {320, 180}, {1100, 620}})
    ErwarteGrau(schirm, x, y, Halb(GRAU) * Vignette(x, y, 0.7), 2, "vignette");
  EXPECT_LT(FarbeBei(schirm, 0, 0).r, FarbeBei(schirm, 0, 360).r);
  EXPECT_LT(FarbeBei(schirm, 0, 360).r, FarbeBei(schirm, 640, 360).r);
}

TEST_F(BloomAnzeige, PauseGrautDasBloomBildAus) {
  FilterSatz nurBloom;
  nurBloom.AddFilter(-3, bloom);
  nurBloom.SetParameter("Vignette", 0, 0, 0, 5);
  const Zarvo_Bild vorlage = Frame(nurBloom);

  FilterSatz satz;
  satz.AddFilter(-3, bloom);
  satz.AddFilter(0, pause);
  const uint64_t punkte[][2] = {{40, 40}, {216, 216}, {1016, 516}, {216, 516}, {QX - 6, QY + 4}, {QX + 4, QY + 4}};
  for (float staerke : {0.0f, 0.5f, 1.0f}) {
    SCOPED_TRACE(staerke);
    satz.SetParameter("Vignette", 0, 0, 0, 5);
    satz.SetParameter("staerke", staerke, 0, 0, 0);
    const Zarvo_Bild schirm = Frame(satz, "pause_" + std::to_string(int(staerke * 10)));
    for (const auto& p : punkte) {
      const Farbe c = FarbeBei(vorlage, p[0], p[1]), ist = FarbeBei(schirm, p[0], p[1]);
      const double grau = 0.6 * (0.299 * c.r + 0.587 * c.g + 0.114 * c.b);
      const double soll[3] = {c.r + (grau - c.r) * staerke, c.g + (grau - c.g) * staerke, c.b + (grau - c.b) * staerke};
      const int toleranz = staerke == 0 ? 1 : 2;
      EXPECT_NEAR(ist.r, soll[0], toleranz) << "(" << p[0] << ", " << p[1] << ")";
      EXPECT_NEAR(ist.g, soll[1], toleranz) << "(" << p[0] << ", " << p[1] << ")";
      EXPECT_NEAR(ist.b, soll[2], toleranz) << "(" << p[0] << ", " << p[1] << ")";
    }
  }
}

}  // namespace

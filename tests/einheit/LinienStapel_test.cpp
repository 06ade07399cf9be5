// The line batch on the recording device through the screen's context: chunked instanced draws,
// the instance writes, the line mesh, the shared set, states and constants.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "LogMitschnitt.h"
#include "NullBildschirm.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Zarvo_LinienStapel.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

namespace {

constexpr float EINHEIT[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class LinienStapelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(bildschirm.Offen()); }
  void TearDown() override {
    Zarvo_LinienStapel::SetzeGlobal(nullptr);
    for (const std::string& zeile : log.zeilen) EXPECT_NE(zeile.rfind('!', 0), 0u) << zeile;
  }

  int Belegt() const { return bildschirm.Belegt(); }
  template <class T>
  int Anzahl() const {
    int n = 0;
    kontext->registerListe.FuerAlle([&](Zarvo_BasisObjekt* o) { n += dynamic_cast<T*>(o) != nullptr; });
    return n;
  }
  Zarvo_Programm* LinienProgramm() const {
    Zarvo_Programm* programm = nullptr;
    kontext->registerListe.FuerAlle([&](Zarvo_BasisObjekt* o) {
      if (auto* p = dynamic_cast<Zarvo_Programm*>(o)) programm = p;
    });
    return programm;
  }
  static void FuegeLinienHinzu(int anzahl) {
    for (int i = 0; i < anzahl; ++i)
      Zarvo_LinienStapel::AddLinie({float(i), 1, 2}, {3, float(i), 4}, {0.5f, 0.25f, 1, 0.75f}, float(i % 7));
  }
  static Zarvo_Linie Erwartet(int i) { return {{float(i), 1, 2}, {3, float(i), 4}, {0.5f, 0.25f, 1, 0.75f}, float(i % 7)}; }

  // Instance counts of the draws: stream 0's frequency in force at each DrawIndexedPrimitive.
  std::vector<UINT> InstanzenJeZeichnen() const {
    std::vector<UINT> instanzen;
    UINT frequenz = 1;
    for (const null::Aufruf& a : welt->aufrufe) {
      if (a.methode == "SetStreamSourceFreq" && a.argumente[0] == 0) frequenz = UINT(a.argumente[1]);
      if (a.methode == "DrawIndexedPrimitive") instanzen.push_back(frequenz & ~D3DSTREAMSOURCE_INDEXEDDATA);
    }
    return instanzen;
  }
  const float* VertexRegister(uint32_t handle) const { return &welt->geraet->vertexRegister[(handle & 0xFFF) * 4]; }

  LogMitschnitt log;
  NullBildschirm bildschirm;
  Zarvo_ZeichenKontext* kontext = bildschirm.Kontext();
  null::Welt* welt = null::AktuelleWelt();
};

TEST_F(LinienStapelTest, OhneLinienOderOhneGlobalenStapelGeschiehtNichts) {
  Zarvo_LinienStapel stapel;
  welt->Leere();
  kontext->LeereZaehler();

  Zarvo_LinienStapel::SetzeGlobal(&stapel);
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);  // empty list
  EXPECT_TRUE(welt->aufrufe.empty());

  Zarvo_LinienStapel::SetzeGlobal(nullptr);  // withdrawn: nothing is collected or drawn
  FuegeLinienHinzu(3);
  EXPECT_TRUE(stapel.linien.empty());
  stapel.linien.push_back(Erwartet(0));
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
  EXPECT_TRUE(welt->aufrufe.empty());
  EXPECT_EQ(stapel.linien.size(), 1u);
  for (uint64_t z : kontext->zaehler) EXPECT_EQ(z, 0u);
}

TEST_F(LinienStapelTest, ZeichnetJe1024LinienEinenInstanzAufruf) {
  Zarvo_LinienStapel stapel;
  Zarvo_LinienStapel::SetzeGlobal(&stapel);
  FuegeLinienHinzu(2500);
  ASSERT_EQ(stapel.linien.size(), 2500u);
  welt->Leere();
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);

  EXPECT_TRUE(stapel.linien.empty());
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::INSTANZ_ZEICHNEN], 3u);
  EXPECT_EQ(InstanzenJeZeichnen(), (std::vector<UINT>{1024, 1024, 452}));
  for (const null::Aufruf& a : welt->Aufrufe("DrawIndexedPrimitive")) {
    EXPECT_EQ(a.argumente[3], 12u) << "vertices";
    EXPECT_EQ(a.argumente[5], 12u) << "triangles";
  }
  EXPECT_EQ(welt->geraet->streamFrequenz[1], D3DSTREAMSOURCE_INSTANCEDATA | 1);
  EXPECT_EQ(welt->geraet->streamStride[1], 44u);

  // Three whole-buffer writes with discard. The last wrote lines 2048..2499 (19,888 bytes) over
  // the second's 1024..2047 (45,056 bytes), whose end still shows; nothing was written past it.
  auto* puffer = static_cast<null::VertexPuffer*>(stapel.instanzBuffer->buffer);
  EXPECT_EQ(puffer->sperren, 3);
  EXPECT_EQ(puffer->letzteSperrFlags, D3DLOCK_DISCARD);
  ASSERT_EQ(puffer->bytes.size(), Zarvo_LinienStapel::INSTANZ_BUFFER_BYTES);
  const auto linie = [&](size_t platz) {
    Zarvo_Linie l;
    std::memcpy(&l, puffer->bytes.data() + platz * sizeof l, sizeof l);
    return l;
  };
  const auto gleich = [](const Zarvo_Linie& a, const Zarvo_Linie& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  EXPECT_TRUE(gleich(linie(0), Erwartet(2048)));
  EXPECT_TRUE(gleich(linie(451), Erwartet(2499)));
  EXPECT_TRUE(gleich(linie(452), Erwartet(1024 + 452)));
  EXPECT_TRUE(gleich(linie(1023), Erwartet(2047)));
  EXPECT_TRUE(gleich(linie(1024), Zarvo_Linie{}));
  EXPECT_TRUE(gleich(linie(2047), Zarvo_Linie{}));

  // The next frame starts with an empty list.
  welt->Leere();
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 0);
}

// The mesh laid out for a line of length 10 and half width 1: the cap reaches one unit past each
// end. Its triangles cover the whole shape, 12 x 2, once, and none is degenerate.
TEST_F(LinienStapelTest, NetzDecktLinieUndBeideKappenAb) {
  Zarvo_LinienStapel stapel;
  Zarvo_LinienStapel::SetzeGlobal(&stapel);
  FuegeLinienHinzu(1);
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
  auto* vb = dynamic_cast<null::VertexPuffer*>(welt->geraet->streams[0]);
  auto* ib = dynamic_cast<null::IndexPuffer*>(welt->geraet->indizes);
  ASSERT_TRUE(vb && ib);
  ASSERT_EQ(vb->bytes.size(), 144u);
  ASSERT_EQ(ib->bytes.size(), 72u);
  float v[12][3];
  uint16_t indizes[36];
  std::memcpy(v, vb->bytes.data(), sizeof v);
  std::memcpy(indizes, ib->bytes.data(), sizeof indizes);
  const float erwartet[12][3] = {{0, -1, -1}, {0, 0, -1}, {1, 0, -1}, {1, 1, -1}, {0, -1, 0}, {0, 0, 0},
                                 {1, 0, 0},   {1, 1, 0},  {0, -1, 1}, {0, 0, 1},  {1, 0, 1}, {1, 1, 1}};
  for (int i = 0; i < 12; ++i)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(v[i][k], erwartet[i][k]) << "vertex " << i;

  double flaeche = 0;
  for (int d = 0; d < 12; ++d) {
    float p[3][2];
    for (int e = 0; e < 3; ++e) {
      const float* q = v[indizes[3 * d + e]];
      p[e][0] = q[0] * 10 + q[1];  // along the line
      p[e][1] = q[2];              // across it
    }
    const double a = 0.5 * std::abs((p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[2][0] - p[0][0]) * (p[1][1] - p[0][1]));
    EXPECT_GT(a, 0.0) << "triangle " << d;
    flaeche += a;
  }
  EXPECT_DOUBLE_EQ(flaeche, 12.0 * 2.0);
}

TEST_F(LinienStapelTest, ZweiStapelTeilenEinenSatz) {
  const int vorher = Belegt();
  auto erster = std::make_unique<Zarvo_LinienStapel>();
  const int mitEinem = Belegt();
  EXPECT_EQ(Anzahl<Zarvo_Programm>(), 1);
  auto zweiter = std::make_unique<Zarvo_LinienStapel>();
  EXPECT_EQ(Belegt(), mitEinem + 1) << "only the second's instance buffer";
  EXPECT_EQ(Anzahl<Zarvo_Programm>(), 1);
  erster.reset();
  EXPECT_EQ(Belegt(), mitEinem);
  EXPECT_EQ(Anzahl<Zarvo_Programm>(), 1);
  zweiter.reset();
  EXPECT_EQ(Belegt(), vorher);

  // A new batch after the last one builds the set again.
  Zarvo_LinienStapel dritter;
  EXPECT_EQ(Belegt(), mitEinem);
  Zarvo_LinienStapel::SetzeGlobal(&dritter);
  FuegeLinienHinzu(1);
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 1);
}

TEST_F(LinienStapelTest, DestruktorZiehtDenGlobalenStapelZurueck) {
  {
    Zarvo_LinienStapel stapel;
    Zarvo_LinienStapel::SetzeGlobal(&stapel);
  }
  EXPECT_EQ(Zarvo_LinienStapel::GibGlobal(), nullptr);
  FuegeLinienHinzu(1);  // must not reach the destroyed batch
}

TEST_F(LinienStapelTest, ZustaendeNurBeiWechsel) {
  Zarvo_LinienStapel stapel;
  Zarvo_LinienStapel::SetzeGlobal(&stapel);
  kontext->SetRueckseite(2);
  FuegeLinienHinzu(1);
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
  const std::map<DWORD, DWORD>& rs = welt->geraet->renderStates;
  EXPECT_EQ(rs.at(D3DRS_ZENABLE), 1u);
  EXPECT_EQ(rs.at(D3DRS_ZWRITEENABLE), 0u);
  EXPECT_EQ(rs.at(D3DRS_ZFUNC), DWORD(D3DCMP_LESSEQUAL));
  EXPECT_EQ(rs.at(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(rs.at(D3DRS_BLENDOP), DWORD(D3DBLENDOP_ADD));
  EXPECT_EQ(rs.at(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
  EXPECT_EQ(rs.at(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(rs.at(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));

  // The second frame finds every state in force.
  kontext->LeereZaehler();
  FuegeLinienHinzu(1);
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
  using Z = Zarvo_ZeichenKontext;
  for (Z::Zaehler z : {Z::ALPHA_WECHSEL, Z::TIEFE_WECHSEL, Z::RUECKSEITE_WECHSEL, Z::PROGRAMM_SETS, Z::INDEXBUFFER_SETS,
                       Z::VERTEXBUFFER_SETS})
    EXPECT_EQ(kontext->zaehler[z], 0u) << z;
  EXPECT_EQ(kontext->zaehler[Z::INSTANZ_ZEICHNEN], 1u);

  // After another blend state the line blending comes back.
  kontext->SetAlphaZustand(nullptr);
  kontext->LeereZaehler();
  FuegeLinienHinzu(1);
  Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
  EXPECT_EQ(kontext->zaehler[Z::ALPHA_WECHSEL], 1u);
  EXPECT_EQ(rs.at(D3DRS_ALPHABLENDENABLE), 1u);
}

TEST_F(LinienStapelTest, MatrixIstProjektionMalSicht) {
  Zarvo_LinienStapel stapel;
  Zarvo_LinienStapel::SetzeGlobal(&stapel);
  const float sicht[16] = {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 0, 0, 0, 1};          // translation (5, 6, 7)
  const float projektion[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, -1, 0, 0, 1, 0};  // scale, w = z
  FuegeLinienHinzu(1);
  Zarvo_LinienStapel::Zeichne(sicht, projektion);
  // P * V by rows: (2 0 0 10), (0 3 0 18), (0 0 4 27), (0 0 1 7); register i holds column i.
  const float spalten[4][4] = {{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 1}, {10, 18, 27, 7}};
  const uint32_t handle = LinienProgramm()->GibKonstante("gMatrix");
  ASSERT_NE(handle & 0xFFF, 0xFFFu);
  const float* reg = VertexRegister(handle);
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(reg[4 * i + k], spalten[i][k]) << "register " << i << " component " << k;
}

TEST_F(LinienStapelTest, BildGroesseFolgtDemZiel) {
  Zarvo_LinienStapel stapel;
  Zarvo_LinienStapel::SetzeGlobal(&stapel);
  Zarvo_Textur* farbe = kontext->ErzeugeTextur(256, 128, 1, PXFMT_A8R8G8B8 | Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
  Zarvo_Renderziel* ziel = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(farbe, nullptr));
  struct Fall {
    Zarvo_Renderziel* ziel;
    float erwartet[4];
  } faelle[] = {{nullptr, {2.0f / 320, 2.0f / 240, 0, 1}}, {ziel, {2.0f / 256, 2.0f / 128, 0, 1}}};
  const uint32_t handle = LinienProgramm()->GibKonstante("gBildGroesse");
  ASSERT_NE(handle & 0xFFF, 0xFFFu);
  for (const Fall& f : faelle) {
    kontext->SetRenderZiel(f.ziel);
    FuegeLinienHinzu(1);
    Zarvo_LinienStapel::Zeichne(EINHEIT, EINHEIT);
    for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(VertexRegister(handle)[k], f.erwartet[k]) << (f.ziel ? "target" : "back buffer");
  }
  kontext->SetRenderZiel(nullptr);
  kontext->GibFrei(ziel);
  kontext->GibFrei(farbe);
}

}  // namespace

// Video memory, device loss and reset on the recording device: eviction, creation on use,
// ReInit, the end of a frame on a lost device and the bounded reset loop.
#include "NullKontext.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_VertexBuffer.h"

using namespace d3d9;
using Kontext = Zarvo_ZeichenKontext;

namespace {

constexpr uint64_t TEXTUR_BYTES = 64 * 64 * 4;

class VerlustTest : public NullKontextTest {
 protected:
  void SetUp() override {
    NullKontextTest::SetUp();
    Erzeuge();
    welt->Leere();
    NeueZeilen();
  }
  TestTextur* Textur(double benutztVorSekunden) {
    auto* t = kontext->Registriere<TestTextur>(*kontext);
    const TZeit jetzt = g_Zeit.zeit;
    g_Zeit.zeit = jetzt - TZeit(Sekunden(benutztVorSekunden));
    t->Benutzen();
    g_Zeit.zeit = jetzt;
    return t;
  }
  size_t Zaehle(const std::vector<std::string>& zeilen, const std::string& anfang) {
    size_t n = 0;
    for (const std::string& z : zeilen) n += z.rfind(anfang, 0) == 0;
    return n;
  }
};

}  // namespace

TEST_F(VerlustTest, AuslagernNachAlter) {
  TestTextur* alt = Textur(10);
  TestTextur* mittel = Textur(5);
  TestTextur* jung = Textur(0.5);
  NeueZeilen();
  EXPECT_EQ(kontext->impl.SchaffeVideoRAMPlatz(), 1u);
  EXPECT_EQ(NeueZeilen(), std::vector<std::string>{"VideoRAM voll, Platz geschaffen: 1 Resourcen rausgeworfen, Grenzalter 9.000000"});
  EXPECT_EQ(alt->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(mittel->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(jung->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
}

TEST_F(VerlustTest, AlleJungNichtsAusgelagertErzeugungGibtAuf) {
  Textur(0);
  Textur(0);
  geraet->SetVideoMemoryBudget(2 * TEXTUR_BYTES);
  NeueZeilen();
  TestTextur* neu = kontext->Registriere<TestTextur>(*kontext);
  neu->Benutzen();
  const std::vector<std::string> erwartet = {
      "?VideoRAM knapp. Versuche, Platz zu schaffen.",
      "?Zarvo_Screen3D::SchaffeVideoRAMPlatz(): Rausgeworfene Resourcen sind sehr jung! Hinweis auf VideoRAM-Mangel.",
      "VideoRAM voll, Platz geschaffen: 0 Resourcen rausgeworfen, Grenzalter 0.000000",
      "!TestTextur::Benutzen(): Failed to create texture"};
  EXPECT_EQ(NeueZeilen(), erwartet);
  EXPECT_EQ(neu->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(welt->Anzahl("CreateTexture"), 3);
}

TEST_F(VerlustTest, KnappheitLagertDasAeltesteAus) {
  TestTextur* alt = Textur(10);
  TestTextur* jung = Textur(5);
  geraet->SetVideoMemoryBudget(2 * TEXTUR_BYTES);
  NeueZeilen();
  TestTextur* neu = kontext->Registriere<TestTextur>(*kontext);
  neu->Benutzen();
  const std::vector<std::string> zeilen = NeueZeilen();
  EXPECT_EQ(Zaehle(zeilen, "?VideoRAM knapp."), 1u);
  EXPECT_EQ(Zaehle(zeilen, "VideoRAM voll, Platz geschaffen: 1 Resourcen"), 1u);
  EXPECT_EQ(neu->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(alt->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(jung->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
}

TEST_F(VerlustTest, GebundenesAeltestesGibtNichtsFreiZweiterDurchgang) {
  TestTextur* alt = Textur(10);
  TestTextur* jung = Textur(5);
  kontext->impl.SetTextur(0xFF00, nullptr, alt->textur);  // the device keeps its bytes
  geraet->SetVideoMemoryBudget(2 * TEXTUR_BYTES);
  NeueZeilen();
  TestTextur* neu = kontext->Registriere<TestTextur>(*kontext);
  neu->Benutzen();
  const std::vector<std::string> zeilen = NeueZeilen();
  EXPECT_EQ(Zaehle(zeilen, "VideoRAM voll, Platz geschaffen: 1 Resourcen"), 2u);
  EXPECT_EQ(neu->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(jung->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  kontext->impl.LeereTexturStufen();
}

TEST_F(VerlustTest, BudgetUnterEinerResourceEndet) {
  geraet->SetVideoMemoryBudget(1000);
  TestTextur* neu = kontext->Registriere<TestTextur>(*kontext);
  neu->Benutzen();
  EXPECT_EQ(neu->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(welt->Anzahl("CreateTexture"), 1);  // no retry after a pass that evicted nothing
  EXPECT_TRUE(log.Enthaelt("!TestTextur::Benutzen(): Failed to create texture"));
}

TEST_F(VerlustTest, ReInitReihenfolgeUndWiederherstellung) {
  std::vector<std::string> ereignisse;
  auto* textur = kontext->Registriere<TestTextur>(*kontext, &ereignisse);
  auto* tiefe = kontext->Registriere<TestTiefe>(*kontext, &ereignisse);
  textur->Benutzen();
  tiefe->Benutzen();
  kontext->SetRenderBereich(5, 5, 10, 10);
  kontext->LeereZaehler();
  welt->Leere();
  // The resources note how many resets the device has seen when they are called.
  ereignisse.clear();
  const auto merkeReset = [&] { ereignisse.push_back("Resets " + std::to_string(welt->Anzahl("Reset"))); };
  merkeReset();
  ASSERT_TRUE(kontext->ReInit());
  merkeReset();
  EXPECT_EQ(ereignisse, (std::vector<std::string>{"Resets 0", "Vor", "Vor", "Nach", "Nach", "Resets 1"}));
  EXPECT_EQ(tiefe->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(textur->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  textur->Benutzen();
  EXPECT_EQ(textur->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(geraet->renderZiele[0]->art, "back buffer");
  EXPECT_EQ(geraet->tiefe->art, "depth surface of the back buffer");
  EXPECT_EQ(geraet->viewport.Width, 800u);
  EXPECT_EQ(kontext->viewport, (Kontext::Bereich{0, 0, 800, 600}));
  EXPECT_EQ(kontext->zaehler[Kontext::RENDERZIEL_WECHSEL], 1u);
  EXPECT_EQ(kontext->renderZielId, Kontext::ALLE);
  EXPECT_TRUE(log.Enthaelt("ReInit Darstellung: Device zurücksetzen"));
  EXPECT_EQ(wartezeiten, std::vector<uint32_t>{100});
}

TEST_F(VerlustTest, EndeZeichnenBeiVerlust) {
  struct Fall {
    const char* name;
    HRESULT present;
    bool minimiert;
    HRESULT stufe;
    bool stufeAbgefragt;
    std::vector<uint32_t> wartezeiten;
    bool flagDanach;
    int resets;
  };
  const Fall faelle[] = {
      {"alles gut", D3D_OK, false, D3D_OK, false, {}, false, 0},
      {"verloren und minimiert", D3DERR_DEVICELOST, true, D3D_OK, false, {}, true, 0},
      {"noch verloren", D3DERR_DEVICELOST, false, D3DERR_DEVICELOST, true, {50}, true, 0},
      {"wartet auf Reset", D3DERR_DEVICELOST, false, D3DERR_DEVICENOTRESET, true, {50, 100}, false, 1},
      {"von selbst zurueck", D3DERR_DEVICELOST, false, D3D_OK, true, {}, false, 0},
  };
  for (const Fall& f : faelle) {
    welt->Leere();
    wartezeiten.clear();
    kontext->impl.geraetVerloren = false;
    if (f.present != D3D_OK) welt->Scheitere("Present", 1, f.present);
    if (f.stufe != D3D_OK) welt->Scheitere("TestCooperativeLevel", 1, f.stufe);
    g_System.zustand = f.minimiert ? 2 : 0;
    kontext->zaehler[Kontext::TEXTUR_SETS] = 7;
    kontext->EndeZeichnen();
    EXPECT_EQ(welt->Anzahl("TestCooperativeLevel"), f.stufeAbgefragt ? 1 : 0) << f.name;
    EXPECT_EQ(wartezeiten, f.wartezeiten) << f.name;
    EXPECT_EQ(kontext->impl.geraetVerloren, f.flagDanach) << f.name;
    EXPECT_EQ(welt->Anzahl("Reset"), f.resets) << f.name;
    EXPECT_EQ(kontext->zaehler[Kontext::TEXTUR_SETS], 0u) << f.name;
    welt->konfig.fehler.clear();
  }
  g_System.zustand = 0;
}

TEST_F(VerlustTest, SimulierterVerlustBisZumReset) {
  geraet->SimulateDeviceLost(2);
  kontext->EndeZeichnen();
  kontext->EndeZeichnen();
  EXPECT_TRUE(kontext->impl.geraetVerloren);
  EXPECT_EQ(welt->Anzahl("Reset"), 0);
  kontext->EndeZeichnen();  // now NOTRESET: ReInit
  EXPECT_FALSE(kontext->impl.geraetVerloren);
  EXPECT_EQ(welt->Aufrufe("Reset").back().ergebnis, D3D_OK);
  EXPECT_EQ(wartezeiten, (std::vector<uint32_t>{50, 50, 50, 100}));
  welt->Leere();
  kontext->EndeZeichnen();
  EXPECT_EQ(welt->Aufrufe("Present").back().ergebnis, D3D_OK);
  EXPECT_EQ(geraet->protokollVerstoesse, 0);
}

TEST_F(VerlustTest, ResetSchleife) {
  welt->Scheitere("Reset", 2, D3DERR_DEVICELOST);
  EXPECT_TRUE(kontext->ReInit());
  EXPECT_EQ(wartezeiten, (std::vector<uint32_t>{100, 100, 100}));

  wartezeiten.clear();
  welt->Scheitere("Reset", 1, D3DERR_INVALIDCALL);
  EXPECT_FALSE(kontext->ReInit());
  EXPECT_EQ(wartezeiten.size(), 1u);
  EXPECT_EQ(NeueZeilen().back().rfind("!Ausnahme \"D3D9-Reset gescheitert\"", 0), 0u);
  EXPECT_EQ(geraet->protokollVerstoesse, 0);  // nothing fetched from a device that allows only Reset

  wartezeiten.clear();
  geraet->SimulateDeviceLost(1000);
  EXPECT_FALSE(kontext->ReInit());
  EXPECT_EQ(wartezeiten.size(), size_t(Zarvo_ZeichenKontextImplDX9::MAX_RESET_VERSUCHE));
  EXPECT_EQ(NeueZeilen().back().rfind("!Ausnahme \"D3D9-Reset gescheitert\"", 0), 0u);
  EXPECT_EQ(geraet->protokollVerstoesse, 0);
}

// A bound buffer evicted and made again keeps its AllocID: its next binding must reach the
// device, or the device goes on drawing from the dropped buffer's old contents.
TEST_F(VerlustTest, AusgelagerterGebundenerBufferWirdNeuGebunden) {
  float daten[8] = {};
  uint32_t indizes[3] = {0, 1, 2};
  Zarvo_VertexBuffer* vb = kontext->ErzeugeVertexBuffer(sizeof daten, 0, {daten, sizeof daten, 0});
  Zarvo_IndexBuffer* ib = kontext->ErzeugeIndexBuffer(0, Zarvo_IndexBuffer::INDEX32, {indizes, sizeof indizes, 0});
  kontext->SetVertexBuffer(0, vb, 0, 8);
  kontext->SetIndexBuffer(ib);
  vb->Auslagern();
  ib->Auslagern();
  kontext->SetVertexBuffer(0, vb, 0, 8);
  kontext->SetIndexBuffer(ib);
  EXPECT_EQ(geraet->streams[0], dynamic_cast<Objekt*>(vb->buffer));
  EXPECT_EQ(geraet->indizes, dynamic_cast<Objekt*>(ib->buffer));
  // Unchanged and resident: no second device call.
  welt->Leere();
  kontext->SetVertexBuffer(0, vb, 0, 8);
  kontext->SetIndexBuffer(ib);
  EXPECT_EQ(welt->Anzahl("SetStreamSource"), 0);
  EXPECT_EQ(welt->Anzahl("SetIndices"), 0);
  kontext->SetVertexBuffer(0, nullptr, 0, 0);
  kontext->SetIndexBuffer(nullptr);
  kontext->GibFrei(vb);
  kontext->GibFrei(ib);
}

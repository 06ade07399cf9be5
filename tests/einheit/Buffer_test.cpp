// Vertex and index buffers, vertex inputs and the context's stream, index and statistics paths on
// the recording device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "GrafikHilfen.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexEingabe.h"

using namespace d3d9;

namespace {

constexpr uint32_t DYN = Zarvo_BasisObjekt::FLAG_DYNAMISCH;
constexpr uint32_t FLUECHTIG = Zarvo_BasisObjekt::FLAG_FLUECHTIG;

void* Block(size_t groesse, uint8_t start) {
  auto* p = static_cast<uint8_t*>(std::malloc(groesse));
  for (size_t i = 0; i < groesse; ++i) p[i] = uint8_t(start + i);
  return p;
}

template <class T>
null::VertexPuffer& Geraetebuffer(T& b) { return *dynamic_cast<null::VertexPuffer*>(b.buffer); }

class BufferTest : public NullKontextTest {};

TEST_F(BufferTest, KopieUndBesitz) {
  void* block = Block(96, 0);
  Zarvo_VertexBuffer* eigen = kontext->ErzeugeVertexBuffer(96, 0, {block, 96, 1});
  EXPECT_EQ(eigen->kopie, block);
  EXPECT_EQ(Geraetebuffer(*eigen).bytes[95], 95);
  EXPECT_EQ(Welt().Aufrufe("CreateVertexBuffer")[0].argumente[1], uint64_t(D3DUSAGE_WRITEONLY));

  std::vector<uint8_t> fremd(96, 0x5A);
  Zarvo_VertexBuffer* kopiert = kontext->ErzeugeVertexBuffer(96, 0, {fremd.data(), 96, 0});
  EXPECT_NE(kopiert->kopie, fremd.data());
  EXPECT_EQ(kopiert->kopie[50], 0x5A);

  Zarvo_VertexBuffer* leer = kontext->ErzeugeVertexBuffer(1024, DYN, {});
  ASSERT_NE(leer->kopie, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(leer->kopie, leer->kopie + 1024), std::vector<uint8_t>(1024, 0));

  // Volatile: no copy; a handed-over block is freed all the same (LSan checks it).
  Zarvo_VertexBuffer* weg = kontext->ErzeugeVertexBuffer(64, FLUECHTIG, {Block(64, 1), 64, 1});
  EXPECT_EQ(weg->kopie, nullptr);
  EXPECT_EQ(Geraetebuffer(*weg).bytes[0], 1);
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{eigen, kopiert, leer, weg}) kontext->GibFrei(o);
}

TEST_F(BufferTest, ZuVieleDatenWerdenAbgeschnitten) {
  std::vector<uint8_t> daten(200, 0x33);
  Zarvo_VertexBuffer* b = kontext->ErzeugeVertexBuffer(96, DYN, {daten.data(), 200, 0});
  EXPECT_TRUE(log.EnthaeltTeil("\"Ungültige Buffergröße\""));
  EXPECT_EQ(Geraetebuffer(*b).bytes.size(), 96u);
  EXPECT_EQ(Geraetebuffer(*b).bytes[95], 0x33);

  // Replacing: only dynamic buffers, never past the end.
  log.zeilen.clear();
  std::vector<uint8_t> neu(300, 0x44);
  b->SchreibeInhalt({neu.data(), 300, 0});
  EXPECT_TRUE(log.EnthaeltTeil("\"Neuer Inhalt zu groß für Buffer\""));
  EXPECT_EQ(Geraetebuffer(*b).bytes[95], 0x44);
  EXPECT_EQ(b->kopie[95], 0x44);
  EXPECT_EQ(Geraetebuffer(*b).letzteSperrFlags, D3DLOCK_DISCARD);

  std::vector<uint8_t> voll(32, 1);
  Zarvo_VertexBuffer* fest = kontext->ErzeugeVertexBuffer(32, 0, {voll.data(), 32, 0});
  log.zeilen.clear();
  fest->SchreibeInhalt({voll.data(), 32, 0});
  EXPECT_TRUE(log.EnthaeltTeil("\"Nachträgliches Ändern des Inhalts nur bei dynamischer Ressource möglich\""));

  // Static with data that does not fill it.
  log.zeilen.clear();
  Zarvo_VertexBuffer* luecke = kontext->ErzeugeVertexBuffer(64, 0, {voll.data(), 32, 0});
  EXPECT_TRUE(log.EnthaeltTeil("Vorgabedaten müssen daher den Buffer vollständig ausfüllen."));
  EXPECT_EQ(luecke->kopie[40], 0);
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{b, fest, luecke}) kontext->GibFrei(o);
}

TEST_F(BufferTest, GescheiterteErzeugungFuelltSpaeter) {
  Welt().Scheitere("CreateVertexBuffer", 1, D3DERR_INVALIDCALL);
  std::vector<uint8_t> daten(48);
  std::iota(daten.begin(), daten.end(), 0);
  Zarvo_VertexBuffer* b = kontext->ErzeugeVertexBuffer(48, 0, {daten.data(), 48, 0});
  EXPECT_TRUE(log.Enthaelt("!Zarvo_VertexBuffer::Zarvo_VertexBuffer( 48): Failed to create vertex buffer"));
  EXPECT_EQ(b->buffer, nullptr);
  EXPECT_EQ(b->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_FALSE(log.EnthaeltTeil("Schreiben der Initialdaten gescheitert"));
  b->Benutzen();
  ASSERT_NE(b->buffer, nullptr);
  EXPECT_EQ(Geraetebuffer(*b).bytes, daten);

  // Out of video memory: an eviction and a silent retry.
  Zarvo_VertexBuffer* alt = kontext->ErzeugeVertexBuffer(16, DYN, {});
  g_Zeit.zeit = SekundenAlsTicks(3);
  log.zeilen.clear();
  Welt().Scheitere("CreateIndexBuffer", 1, D3DERR_OUTOFVIDEOMEMORY);
  Zarvo_IndexBuffer* ib = kontext->ErzeugeIndexBuffer(0, 1, {daten.data(), 48, 0});
  EXPECT_EQ(ib->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_FALSE(log.EnthaeltTeil("VideoRAM knapp"));
  EXPECT_EQ(alt->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{b, alt, ib}) kontext->GibFrei(o);
  g_Zeit.zeit = 0;
}

TEST_F(BufferTest, IndexFormate) {
  struct Fall {
    uint32_t format;
    D3DFORMAT geraet;
    bool zeile;
  } faelle[] = {{0, D3DFMT_INDEX16, true}, {1, D3DFMT_INDEX16, false}, {2, D3DFMT_INDEX32, false}, {7, D3DFMT_INDEX16, true}};
  std::vector<uint8_t> daten(24, 9);
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.format);
    Welt().Leere();
    log.zeilen.clear();
    Zarvo_IndexBuffer* ib = kontext->ErzeugeIndexBuffer(0, f.format, {daten.data(), 24, 0});
    EXPECT_EQ(log.EnthaeltTeil("\"Ungültiges Indexformat\""), f.zeile);
    EXPECT_EQ(Welt().Aufrufe("CreateIndexBuffer")[0].argumente[2], uint64_t(f.geraet));
    EXPECT_EQ(ib->indexFormat, f.geraet == D3DFMT_INDEX32 ? 2u : 1u);
    kontext->GibFrei(ib);
  }
}

TEST_F(BufferTest, StromUndIndexCachesVergleichenAllocIds) {
  std::vector<uint8_t> daten(96);
  Zarvo_VertexBuffer* vb = kontext->ErzeugeVertexBuffer(96, 0, {daten.data(), 96, 0});
  Zarvo_IndexBuffer* ib = kontext->ErzeugeIndexBuffer(0, 2, {daten.data(), 96, 0});
  kontext->LeereZaehler();
  kontext->SetVertexBuffer(0, vb, 0, 24);
  kontext->SetVertexBuffer(0, vb, 0, 24);
  kontext->SetVertexBuffer(0, vb, 0, 12);
  kontext->SetIndexBuffer(ib);
  kontext->SetIndexBuffer(ib);
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::VERTEXBUFFER_SETS], 2u);
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::INDEXBUFFER_SETS], 1u);
  EXPECT_EQ(Geraet().streams[0], dynamic_cast<null::Objekt*>(vb->buffer));
  EXPECT_EQ(Geraet().streamStride[0], 12u);
  EXPECT_EQ(Geraet().indizes, dynamic_cast<null::Objekt*>(ib->buffer));
  EXPECT_EQ(kontext->impl.stream0Groesse, 96u);

  // An evicted buffer comes back when it is bound again after a cache reset.
  vb->Auslagern();
  kontext->SetzeZustandsCachesZurueck();
  kontext->SetVertexBuffer(0, vb, 0, 12);
  EXPECT_EQ(vb->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  kontext->SetVertexBuffer(0, nullptr, 0, 0);
  kontext->SetIndexBuffer(nullptr);
  kontext->GibFrei(vb);
  kontext->GibFrei(ib);
}

TEST_F(BufferTest, Statistik) {
  std::vector<uint8_t> daten(4096);
  Zarvo_VertexBuffer* vb = kontext->ErzeugeVertexBuffer(4096, DYN, {daten.data(), 4096, 0});
  Zarvo_Textur* t = kontext->ErzeugeTextur(64, 64, 1, DYN, {});
  Zarvo_Textur* rz = kontext->ErzeugeTextur(32, 32, 1, Zarvo_BasisObjekt::FLAG_RENDERZIEL, {});
  rz->Auslagern();
  log.zeilen.clear();
  kontext->LogStatistik();
  // 4 kb + 16 kb + 4 kb; five resources with the default states.
  EXPECT_TRUE(log.Enthaelt("Insgesamt 5 Resourcen mit einer Gesamtgröße von schätzungsweise 24 kb."));
  EXPECT_TRUE(log.Enthaelt("1 VertexBuffer (4 kb)"));
  EXPECT_TRUE(log.Enthaelt("0 IndexBuffer (0 kb)"));
  EXPECT_TRUE(log.Enthaelt("2 Texturen (20 kb)"));
  EXPECT_TRUE(log.Enthaelt("  davon 1 Renderziele (4 kb)"));
  EXPECT_TRUE(log.Enthaelt("  davon 1 offline (4 kb)"));
  EXPECT_TRUE(log.Enthaelt("0 CubeMaps (0 kb)"));
  EXPECT_TRUE(log.Enthaelt("0 Renderziele, 0 Sampler-Konfigs, 1 Alpha-Konfigs, 1 Alpha-Zustände"));
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{vb, t, rz}) kontext->GibFrei(o);
}

class EingabeTest : public NullKontextTest {};

TEST_F(EingabeTest, BeispielDerVierMal4Matrix) {
  Zarvo_VertexEingabe* e = kontext->ErzeugeVertexEingabe();
  EXPECT_EQ(e->zustand, Zarvo_BasisObjekt::ZUSTAND_NEU);
  e->AddKanal(0, 3, 0, false);
  e->AddKanal(1, 12, 0, true);
  e->Beenden();
  EXPECT_EQ(e->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(e->streamAnzahl, 2u);
  EXPECT_EQ(e->stride[0], 16);
  EXPECT_EQ(e->stride[1], 64);
  EXPECT_EQ(e->instanzMaske, 2u);
  ASSERT_EQ(e->elementAnzahl, 5u);
  EXPECT_EQ(e->elemente[0].Usage, D3DDECLUSAGE_POSITION);
  for (int i = 0; i < 4; ++i) {
    const D3DVERTEXELEMENT9& el = e->elemente[1 + i];
    EXPECT_EQ(el.Stream, 1);
    EXPECT_EQ(el.Offset, 16 * i);
    EXPECT_EQ(el.Usage, D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(el.UsageIndex, i);
  }
  EXPECT_EQ(e->elemente[5].Stream, 0xFF);
  const auto* dekl = dynamic_cast<null::Deklaration*>(e->deklaration);
  ASSERT_NE(dekl, nullptr);
  EXPECT_EQ(dekl->elemente.size(), 5u);
  kontext->GibFrei(e);
}

TEST_F(EingabeTest, AlleTypen) {
  const struct {
    D3DDECLTYPE typ;
    uint32_t anzahl, schritt, groesse;
  } erwartet[13] = {{D3DDECLTYPE_FLOAT1, 1, 4, 4},  {D3DDECLTYPE_FLOAT2, 1, 8, 8},   {D3DDECLTYPE_FLOAT3, 1, 12, 12},
                    {D3DDECLTYPE_FLOAT4, 1, 16, 16}, {D3DDECLTYPE_UBYTE4, 1, 4, 4},   {D3DDECLTYPE_UBYTE4N, 1, 4, 4},
                    {D3DDECLTYPE_SHORT2N, 1, 4, 4},  {D3DDECLTYPE_SHORT4N, 1, 8, 8},  {D3DDECLTYPE_SHORT2, 1, 4, 4},
                    {D3DDECLTYPE_SHORT4, 1, 8, 8},   {D3DDECLTYPE_FLOAT3, 3, 12, 36}, {D3DDECLTYPE_FLOAT4, 3, 16, 48},
                    {D3DDECLTYPE_FLOAT4, 4, 16, 64}};
  for (uint32_t typ = 0; typ < 13; ++typ) {
    SCOPED_TRACE(typ);
    Zarvo_VertexEingabe* e = kontext->ErzeugeVertexEingabe();
    e->AddKanal(0, 0, 0, false);
    e->AddKanal(2, typ, 8, false);
    e->Beenden();
    EXPECT_EQ(e->stride[2], 8 + erwartet[typ].groesse);
    ASSERT_EQ(e->elementAnzahl, 1 + erwartet[typ].anzahl);
    for (uint32_t i = 0; i < erwartet[typ].anzahl; ++i) {
      EXPECT_EQ(e->elemente[1 + i].Type, erwartet[typ].typ);
      EXPECT_EQ(e->elemente[1 + i].Offset, 8 + i * erwartet[typ].schritt);
      EXPECT_EQ(e->elemente[1 + i].UsageIndex, i);
    }
    EXPECT_NE(e->deklaration, nullptr);
    kontext->GibFrei(e);
  }
}

TEST_F(EingabeTest, MatrixAlsErsterKanalUndGemischteStroeme) {
  Zarvo_VertexEingabe* e = kontext->ErzeugeVertexEingabe();
  e->AddKanal(0, 12, 0, false);
  e->AddKanal(0, 1, 64, false);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(e->elemente[i].Usage, D3DDECLUSAGE_POSITION);
    EXPECT_EQ(e->elemente[i].UsageIndex, i);
  }
  EXPECT_EQ(e->elemente[4].Usage, D3DDECLUSAGE_TEXCOORD);
  EXPECT_EQ(e->elemente[4].UsageIndex, 3);
  e->AddKanal(0, 0, 72, true);
  EXPECT_TRUE(log.EnthaeltTeil("\"BufferIndex darf nicht gleichzeitig Vertex- und Instanzdaten liefern.\""));
  kontext->GibFrei(e);
}

TEST_F(EingabeTest, UeberlaufFuegtNichtsAn) {
  // Five 4x4 matrices would need 20 elements: the fifth is refused.
  Zarvo_VertexEingabe* e = kontext->ErzeugeVertexEingabe();
  for (int i = 0; i < 5; ++i) e->AddKanal(0, 12, 64 * i, false);
  EXPECT_EQ(e->elementAnzahl, 16u);
  EXPECT_EQ(e->kanalAnzahl, 4u);
  EXPECT_EQ(Pruefzeilen(), 1u);
  // A 17th channel and a stream above 3.
  Zarvo_VertexEingabe* f = kontext->ErzeugeVertexEingabe();
  for (int i = 0; i < 17; ++i) f->AddKanal(0, 0, 4 * i, false);
  EXPECT_EQ(f->kanalAnzahl, 16u);
  f->Beenden();
  EXPECT_NE(f->deklaration, nullptr);
  log.zeilen.clear();
  Zarvo_VertexEingabe* g = kontext->ErzeugeVertexEingabe();
  g->AddKanal(4, 0, 0, false);
  g->AddKanal(0, 13, 0, false);
  EXPECT_EQ(g->kanalAnzahl, 0u);
  EXPECT_EQ(g->streamAnzahl, 0u);
  EXPECT_EQ(Pruefzeilen(), 2u);
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{e, f, g}) kontext->GibFrei(o);
}

// Random channel sequences: the tables never overflow and the device accepts every declaration.
TEST_F(EingabeTest, ZufaelligeKanalfolgen) {
  std::mt19937 zufall(99);
  for (int runde = 0; runde < 300; ++runde) {
    Zarvo_VertexEingabe* e = kontext->ErzeugeVertexEingabe();
    const int kanaele = int(zufall() % 22);
    for (int i = 0; i < kanaele; ++i) e->AddKanal(zufall() % 6, zufall() % 15, zufall() % 200, zufall() % 2);
    e->Beenden();
    EXPECT_LE(e->elementAnzahl, 16u);
    EXPECT_LE(e->streamAnzahl, 4u);
    EXPECT_NE(e->deklaration, nullptr);
    kontext->GibFrei(e);
  }
}

}  // namespace

// The atlas texture on the recording device: how it is created from the image, when it is rebuilt
// (dirty, evicted, reset), and what happens while video memory runs short.
#include <gtest/gtest.h>

#include <cstring>

#include "AtlasSchreiber.h"
#include "NullBildschirmTest.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_Textur.h"
#include "Zarvo_TexturAtlas.h"

using namespace d3d9;

namespace {

constexpr char KNAPP[] = "?VideoRAM knapp. Versuche, Platz zu schaffen.";

class TexturAtlasTest : public NullBildschirmTest {
 protected:
  void SetUp() override {
    g_Zeit.zeit = SekundenAlsTicks(100);
    NullBildschirmTest::SetUp();
    log.zeilen.clear();
  }
  null::Welt& Welt() { return *null::AktuelleWelt(); }
  int Erzeugungen() { return Welt().Anzahl("CreateTexture"); }
};

// A w x h entry of one colour.
void FuegeEin(Zarvo_GfxAtlas& atlas, uint64_t i, uint64_t w, uint64_t h, uint32_t farbe) {
  Zarvo_Bild quelle(w, h, PXFMT_A8R8G8B8, 1);
  auto* p = reinterpret_cast<uint32_t*>(quelle.Pixel());
  for (uint64_t k = 0; k < w * h; ++k) p[k] = farbe;
  TBereich bereich;
  quelle.LockBereich(bereich);
  atlas.KopiereEintrag(i, bereich, 0, 0, w, h);
}

null::Textur& Geraetetextur(const Zarvo_Textur& t) { return *dynamic_cast<null::Textur*>(t.textur); }

// Level 0 of the device texture holds exactly the atlas image.
void PruefeEbeneNull(Zarvo_TexturAtlas& atlas, Zarvo_Textur* t) {
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  const Zarvo_Bild& bild = atlas.Bild();
  const null::Oberflaeche& ebene = *Geraetetextur(*t).Ebene(0);
  ASSERT_EQ(ebene.bytes.size(), bild.Breite() * bild.Hoehe() * 4);
  EXPECT_EQ(0, std::memcmp(ebene.bytes.data(), bild.Pixel(), ebene.bytes.size()));
}

uint32_t Pixel(const Zarvo_Bild& bild, uint64_t x, uint64_t y) {
  return reinterpret_cast<const uint32_t*>(bild.Pixel() + y * bild.Zeilenbytes())[x];
}

TEST_F(TexturAtlasTest, LeeresBildGibtKeineTextur) {
  Zarvo_TexturAtlas atlas(0, 0);
  EXPECT_TRUE(atlas.IstGeaendert());
  EXPECT_EQ(atlas.GibTextur(), nullptr);
  EXPECT_FALSE(atlas.IstGeaendert());
  EXPECT_EQ(atlas.GibTextur(), nullptr);
  EXPECT_EQ(Erzeugungen(), 0);
}

// Default pool, A8R8G8B8, the full chain made by the device (no caller levels), a render target
// when the atlas lives in video memory only; level 0 goes through a system-memory surface.
TEST_F(TexturAtlasTest, TexturAusDemBild) {
  for (uint64_t flags : {uint64_t(0), Zarvo_GfxAtlas::FLAG_NUR_VIDEORAM}) {
    SCOPED_TRACE(flags);
    Welt().Leere();
    Zarvo_TexturAtlas atlas(0, flags);
    FuegeEin(atlas, 0, 8, 8, 0xFF336699);
    FuegeEin(atlas, 1, 30, 5, 0x80FF0000);
    Zarvo_Textur* t = atlas.GibTextur();
    ASSERT_EQ(Erzeugungen(), 1);
    const std::vector<uint64_t> a = Welt().Aufrufe("CreateTexture")[0].argumente;
    const DWORD usage = D3DUSAGE_AUTOGENMIPMAP | (flags ? D3DUSAGE_RENDERTARGET : 0);
    EXPECT_EQ(a, (std::vector<uint64_t>{512, 512, 0, usage, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT}));
    EXPECT_EQ(t->flags & 0xFFFF, Zarvo_BasisObjekt::FLAG_FLUECHTIG | (flags ? Zarvo_BasisObjekt::FLAG_RENDERZIEL : 0u));
    ASSERT_EQ(Welt().Anzahl("CreateOffscreenPlainSurface"), 1);
    EXPECT_EQ(Welt().Aufrufe("CreateOffscreenPlainSurface")[0].argumente[3], uint64_t(D3DPOOL_SYSTEMMEM));
    EXPECT_EQ(Welt().Anzahl("UpdateSurface"), 1);
    EXPECT_EQ(Geraetetextur(*t).Ebene(0)->sperren, 0);
    EXPECT_EQ(Geraetetextur(*t).mipErzeugungen, 1);
    EXPECT_EQ(t->kopien[0][0], nullptr);  // the atlas image is the only copy
    PruefeEbeneNull(atlas, t);

    // The CPU keeps the full filtered chain; none of it goes to the device.
    const Zarvo_Bild& bild = atlas.Bild();
    EXPECT_EQ(bild.MipAnzahl(), 10u);
    // The 8 x 8 entry, box-filtered with each quarter truncated: 0xFF336699 becomes 0xFC306498 and
    // stays so further down.
    EXPECT_EQ(Pixel(*bild.HoleMipStufe(1), 1, 1), 0xFC306498u);
    EXPECT_EQ(Pixel(*bild.HoleMipStufe(3), 0, 0), 0xFC306498u);
  }
}

// Rebuilt when an entry was added, the atlas grew or a block was loaded; not while it stays clean
// or a load is refused.
TEST_F(TexturAtlasTest, NurEinGeaenderterAtlasWirdNeuGebaut) {
  Zarvo_TexturAtlas atlas(0, 0);
  FuegeEin(atlas, 0, 16, 16, 0xFF00FF00);
  const uint64_t erste = atlas.GibTextur()->allocId;
  const int registriert = Belegt();
  EXPECT_FALSE(atlas.IstGeaendert());
  EXPECT_EQ(atlas.GibTextur()->allocId, erste);
  EXPECT_EQ(Erzeugungen(), 1);

  FuegeEin(atlas, 1, 4, 4, 0xFFFF0000);
  EXPECT_TRUE(atlas.IstGeaendert());
  Zarvo_Textur* neu = atlas.GibTextur();
  EXPECT_NE(neu->allocId, erste);
  EXPECT_EQ(Erzeugungen(), 2);
  EXPECT_EQ(Belegt(), registriert);  // the old texture went back to the registry
  PruefeEbeneNull(atlas, neu);

  TSpeicher falsch;
  falsch.SchreibeU32(0x12345678);
  falsch.SchreibeU32(0x12345678);
  falsch.Zurueckspulen();
  EXPECT_FALSE(atlas.LadeAusSpeicher(falsch));
  TSpeicher beschaedigt;
  AtlasBeschreibung kaputt = BeschreibeAtlas(atlas);
  kaputt.breite = 1;  // the entries lie outside a 1 x 1 image
  SchreibeAtlasBlock(beschaedigt, kaputt);
  beschaedigt.Zurueckspulen();
  EXPECT_FALSE(atlas.LadeAusSpeicher(beschaedigt));
  EXPECT_FALSE(atlas.IstGeaendert());
  EXPECT_EQ(atlas.GibTextur()->allocId, neu->allocId);

  Zarvo_GfxAtlas anderer(0, 0);
  FuegeEin(anderer, 7, 64, 64, 0xFF0000FF);
  TSpeicher block;
  SchreibeAtlasBlock(block, BeschreibeAtlas(anderer));
  block.Zurueckspulen();
  ASSERT_TRUE(atlas.LadeAusSpeicher(block));
  EXPECT_TRUE(atlas.IstGeaendert());
  Zarvo_Textur* geladen = atlas.GibTextur();
  EXPECT_EQ(Erzeugungen(), 3);
  PruefeEbeneNull(atlas, geladen);
  EXPECT_EQ(Pixel(atlas.Bild(), 0, 0), 0xFF0000FFu);

  ASSERT_TRUE(atlas.SetzeGroesse(1024));
  EXPECT_TRUE(atlas.IstGeaendert());
  EXPECT_EQ(atlas.GibTextur()->breite, 1024u);
  EXPECT_EQ(Erzeugungen(), 4);

  // Compaction rebuilds at once.
  atlas.Aufraeumen();
  EXPECT_FALSE(atlas.IstGeaendert());
  EXPECT_EQ(Erzeugungen(), 5);
  PruefeEbeneNull(atlas, atlas.GibTextur());
  EXPECT_EQ(Erzeugungen(), 5);
}

// A texture whose device object was dropped (eviction, device reset) is made again from the
// image at the next GibTextur; a plain Benutzen would bring it back empty, being volatile.
TEST_F(TexturAtlasTest, VerloreneTexturWirdAusDemBildNeuGebaut) {
  Zarvo_TexturAtlas atlas(0, 0);
  FuegeEin(atlas, 0, 16, 16, 0xFF123456);
  Zarvo_Textur* t = atlas.GibTextur();
  t->Auslagern();
  ASSERT_EQ(t->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  Zarvo_Textur* neu = atlas.GibTextur();
  EXPECT_EQ(Erzeugungen(), 2);
  PruefeEbeneNull(atlas, neu);

  ASSERT_TRUE(kontext->ReInit());
  ASSERT_EQ(neu->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  PruefeEbeneNull(atlas, atlas.GibTextur());
  EXPECT_EQ(Erzeugungen(), 3);
}

TEST_F(TexturAtlasTest, KnapperVideoRamVerdraengtAeltere) {
  Zarvo_Bild fremdBild(64, 64, PXFMT_A8R8G8B8, 1);
  g_Zeit.zeit = SekundenAlsTicks(10);
  Zarvo_Textur* alt = kontext->ErzeugeTextur(64, 64, 1, 0, Zarvo_TexturVorgabe(fremdBild, 0));
  g_Zeit.zeit = SekundenAlsTicks(20);
  Zarvo_TexturAtlas atlas(0, 0);
  FuegeEin(atlas, 0, 16, 16, 0xFF654321);
  Welt().Scheitere("CreateTexture", 1, D3DERR_OUTOFVIDEOMEMORY);
  Zarvo_Textur* t = atlas.GibTextur();
  EXPECT_EQ(log.Anzahl(KNAPP), 1u);
  EXPECT_EQ(alt->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  PruefeEbeneNull(atlas, t);
  kontext->GibFrei(alt);
}

// Nothing to evict: the texture waits in state 2 and every GibTextur tries again from the image.
TEST_F(TexturAtlasTest, OhneVerdraengbaresWirdSpaeterNeuVersucht) {
  Welt().geraet->SetVideoMemoryBudget(512 * 512 * 4);  // below 512² with its chain
  Zarvo_TexturAtlas atlas(0, 0);
  FuegeEin(atlas, 0, 16, 16, 0xFFABCDEF);
  Zarvo_Textur* t = atlas.GibTextur();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(t->textur, nullptr);
  EXPECT_EQ(log.Anzahl(KNAPP), 1u);
  EXPECT_EQ(log.Anzahl("!Zarvo_Textur::Benutzen(): Erzeugung der Textur gescheitert. Rückgabewert: -2005532292"), 1u);
  EXPECT_EQ(atlas.GibTextur()->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(Erzeugungen(), 2);
  EXPECT_EQ(log.Anzahl(KNAPP), 2u);

  Welt().geraet->SetVideoMemoryBudget(0);
  PruefeEbeneNull(atlas, atlas.GibTextur());
  EXPECT_EQ(Erzeugungen(), 3);
}

// The moved-to atlas owns the texture; the source neither frees nor rebuilds it.
TEST_F(TexturAtlasTest, VerschiebenUebernimmtDieTextur) {
  const int leer = Belegt();
  auto quelle = std::make_unique<Zarvo_TexturAtlas>(0, 0);
  FuegeEin(*quelle, 0, 8, 8, 0xFF111111);
  const uint64_t id = quelle->GibTextur()->allocId;
  Zarvo_TexturAtlas ziel(std::move(*quelle));
  EXPECT_EQ(quelle->GibTextur(), nullptr);
  quelle.reset();
  EXPECT_EQ(Belegt(), leer + 1);
  EXPECT_EQ(ziel.GibTextur()->allocId, id);
  EXPECT_EQ(Erzeugungen(), 1);
  PruefeEbeneNull(ziel, ziel.GibTextur());
}

TEST_F(TexturAtlasTest, ZerstoerenGibtDieTexturFrei) {
  const int leer = Belegt();
  {
    Zarvo_TexturAtlas atlas(0, 0);
    FuegeEin(atlas, 0, 8, 8, 0xFF222222);
    ASSERT_NE(atlas.GibTextur(), nullptr);
    EXPECT_EQ(Belegt(), leer + 1);
  }
  EXPECT_EQ(Belegt(), leer);
}

}  // namespace

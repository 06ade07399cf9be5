// Sprite lists, batches, sprite atlases and a font's glyph batch on the recording device: the instance rules, what a
// draw binds and uploads, chunking, the shared set's lifetime and the cases that draw nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FensterAttrappe.h"
#include "LogMitschnitt.h"
#include "Plattform/d3d9/null/NullGeraet.h"
#include "Plattform/d3d9/null/NullObjekte.h"
#include "TBereich.h"
#include "TestFont.h"
#include "Zarvo_AlphaZustand.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_SpriteStapel.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_VertexShader.h"
#include "Zarvo_ZeichenKontext.h"

using namespace d3d9;

namespace {

constexpr TAlphaFarbe WEISS{1, 1, 1, 1};

// An atlas entry of w x h pixels of one colour.
void FuegeEin(Zarvo_TexturAtlas& atlas, uint64_t index, uint64_t w, uint64_t h, uint32_t farbe = 0xFFFFFFFF) {
  Zarvo_Bild quelle(w, h, PXFMT_A8R8G8B8, 1);
  TBereich bereich;
  quelle.LockBereich(bereich);
  bereich.Fuelle(farbe);
  atlas.KopiereEintrag(index, bereich, 0, 0, w, h);
}

// n instances of a 4 x 4 entry 1 in a row.
Zarvo_SpriteListe Reihe(Zarvo_TexturAtlas& atlas, int n) {
  FuegeEin(atlas, 1, 4, 4);
  Zarvo_SpriteListe liste(&atlas, uint64_t(n));
  for (int i = 0; i < n; ++i) liste.AddSprite(1, {float(i), 0, 0}, WEISS, 0, 0, 0);
  return liste;
}

TEST(SpriteListe, InstanzRegeln) {
  Zarvo_TexturAtlas atlas(64, 0);
  FuegeEin(atlas, 3, 16, 16);
  FuegeEin(atlas, 4, 8, 4);
  const Zarvo_GfxAtlas::Eintrag e4 = *atlas.GibEintrag(4);
  struct Fall {
    const char* name;
    uint64_t eintrag;
    float breite, hoehe;
    bool zentriert;
    float erwartetB, erwartetH, quelle[4], drehpunkt;
  } faelle[] = {
      {"Groesse 0 nimmt die Quelle", 3, 0, 0, false, 16, 16, {0, 0, 16, 16}, 0},
      {"negative Breite bleibt (gespiegelt)", 3, -16, 0, false, -16, 16, {0, 0, 16, 16}, 0},
      {"nur die Hoehe aus der Quelle", 4, 20, 0, false, 20, 4, {float(e4.x), float(e4.y), 8, 4}, 0},
      {"unbekannter Eintrag", 9, 0, 0, false, 0, 0, {0, 0, 0, 0}, 0},
      {"weit hinter der Tabelle", 1u << 20, 5, 0, false, 5, 0, {0, 0, 0, 0}, 0},
      {"zentriert", 3, 0, 0, true, 16, 16, {0, 0, 16, 16}, 0.5f},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    Zarvo_SpriteListe liste(&atlas, 1);
    liste.zentriert = f.zentriert;
    liste.AddSprite(f.eintrag, {7, 8, 0.25f}, {0.1f, 0.2f, 0.3f, 0.4f}, f.breite, f.hoehe, 1.5f);
    ASSERT_EQ(liste.Instanzen().size(), 1u);
    const Zarvo_SpriteInstanz& i = liste.Instanzen()[0];
    const float erwartet[15] = {7,           8,           0.25f,       f.erwartetB, f.erwartetH, f.quelle[0], f.quelle[1], f.quelle[2],
                                f.quelle[3], 0.1f,        0.2f,        0.3f,        0.4f,        1.5f,        f.drehpunkt};
    float gelesen[15];
    std::memcpy(gelesen, &i, sizeof gelesen);
    for (int k = 0; k < 15; ++k) EXPECT_EQ(gelesen[k], erwartet[k]) << "field " << k;
  }
}

class SpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Debug(true);
    WaehleNullBackend({});
    Zarvo_Screen3D::SetzeFenstersystem(&fenster);
    ASSERT_TRUE(Zarvo_Screen3D::Init(0, 0, {320, 240, 0, 0}, 2));
    kontext = Zarvo_Screen3D::GibZeichenKontext();
    welt = null::AktuelleWelt();
  }
  void TearDown() override {
    Zarvo_Screen3D::Schliessen();
    Zarvo_Screen3D::SetzeFenstersystem(nullptr);
    WaehleGl33Backend();
    EXPECT_EQ(log.Anzahl("nicht freigegeben"), 0u);
  }
  int Belegt() const {
    int n = 0;
    kontext->registerListe.FuerAlle([&](Zarvo_BasisObjekt*) { ++n; });
    return n;
  }
  // The four floats of vertex register r.
  std::vector<float> VertexRegister(uint32_t r) {
    const auto& reg = welt->geraet->vertexRegister;
    return {reg[r * 4], reg[r * 4 + 1], reg[r * 4 + 2], reg[r * 4 + 3]};
  }

  LogMitschnitt log;
  FensterAttrappe fenster;
  Zarvo_ZeichenKontext* kontext = nullptr;
  null::Welt* welt = nullptr;
};

TEST_F(SpriteTest, HundertSpritesAufKapazitaetFuenfzigEinZeichenaufruf) {
  Zarvo_TexturAtlas atlas(64, 0);
  FuegeEin(atlas, 1, 16, 16);
  Zarvo_SpriteListe liste(&atlas, 100);
  for (int i = 0; i < 100; ++i) liste.AddSprite(1, {float(i), float(2 * i), 0.5f}, WEISS, 0, 0, 0.01f * float(i));
  Zarvo_SpriteStapel stapel(50);
  EXPECT_EQ(stapel.GibKapazitaet(), 50u);
  welt->Leere();
  stapel.Zeichne(liste);

  EXPECT_EQ(stapel.GibKapazitaet(), 100u);
  const Zarvo_VertexBuffer* vb = stapel.InstanzBuffer();
  ASSERT_NE(vb, nullptr);
  EXPECT_EQ(vb->groesse, 6000u);
  EXPECT_EQ(vb->flags, 0x300u);
  const auto* puffer = dynamic_cast<const null::VertexPuffer*>(vb->buffer);
  ASSERT_NE(puffer, nullptr);
  ASSERT_EQ(puffer->bytes.size(), 6000u);
  EXPECT_EQ(std::memcmp(puffer->bytes.data(), liste.Instanzen().data(), 6000), 0);
  EXPECT_EQ(puffer->letzteSperrFlags & D3DLOCK_DISCARD, DWORD(D3DLOCK_DISCARD));

  const auto zeichnen = welt->Aufrufe("DrawIndexedPrimitive");
  ASSERT_EQ(zeichnen.size(), 1u);
  EXPECT_EQ(zeichnen[0].argumente[3], 4u);  // the quad's four corners
  EXPECT_EQ(zeichnen[0].argumente[5], 2u);  // two triangles
  EXPECT_EQ(welt->geraet->streamFrequenz[0], UINT(D3DSTREAMSOURCE_INDEXEDDATA | 100));
  EXPECT_EQ(welt->geraet->streamFrequenz[1], UINT(D3DSTREAMSOURCE_INSTANCEDATA | 1));
  EXPECT_EQ(welt->geraet->streamStride[0], 8u);
  EXPECT_EQ(welt->geraet->streamStride[1], 60u);
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::INSTANZ_ZEICHNEN], 1u);
  EXPECT_EQ(welt->geraet->renderStates[D3DRS_CULLMODE], DWORD(D3DCULL_NONE));
  EXPECT_EQ(welt->geraet->renderStates[D3DRS_ZENABLE], 0u);
}

// The chunk loop: a batch smaller than the list (bare array form) draws the list in pieces.
TEST_F(SpriteTest, NackteInstanzenInStueckenDerKapazitaet) {
  Zarvo_TexturAtlas atlas(64, 0);
  const Zarvo_SpriteListe liste = Reihe(atlas, 7);
  Zarvo_SpriteStapel stapel(3);
  ASSERT_TRUE(stapel.StarteZeichnen(atlas.GibTextur(), false));
  welt->Leere();
  stapel.ZeichneInstanzen(liste.Instanzen().data(), 7);
  std::vector<uint64_t> instanzen;
  for (const null::Aufruf& a : welt->Aufrufe("SetStreamSourceFreq"))
    if (a.argumente[0] == 0) instanzen.push_back(a.argumente[1] & 0xFFFF);
  EXPECT_EQ(instanzen, (std::vector<uint64_t>{3, 1}));  // 3, 3 (cached), 1
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 3);
  // The last chunk holds instance 6 at the buffer's start.
  const auto* puffer = dynamic_cast<const null::VertexPuffer*>(stapel.InstanzBuffer()->buffer);
  EXPECT_EQ(std::memcmp(puffer->bytes.data(), &liste.Instanzen()[6], 60), 0);
}

TEST_F(SpriteTest, NichtsZuZeichnen) {
  // An empty list binds nothing.
  Zarvo_SpriteAtlas atlas(64, 4, 0);
  FuegeEin(atlas, 1, 4, 4);
  welt->Leere();
  atlas.Zeichne();
  EXPECT_TRUE(welt->aufrufe.empty());

  // An atlas without image has no texture: nothing is bound or drawn, the list is emptied.
  Zarvo_SpriteAtlas leer(0, 4, 0);
  leer.AddSprite(1, {0, 0, 0}, WEISS, 8, 8, 0);
  welt->Leere();
  leer.Zeichne();
  EXPECT_TRUE(leer.Liste().IstLeer());
  for (const char* m : {"DrawIndexedPrimitive", "SetTexture", "SetVertexShader", "SetStreamSource"}) EXPECT_EQ(welt->Anzahl(m), 0) << m;
}

// A batch without buffer (capacity 0) given a bare array sizes its buffer first, binds it and
// draws once, instead of looping over empty chunks.
TEST_F(SpriteTest, NacktesFeldAufKapazitaetNull) {
  Zarvo_TexturAtlas atlas(64, 0);
  const Zarvo_SpriteListe liste = Reihe(atlas, 5);
  Zarvo_SpriteStapel stapel(0);
  EXPECT_EQ(stapel.GibKapazitaet(), 0u);
  ASSERT_TRUE(stapel.StarteZeichnen(atlas.GibTextur(), false));
  welt->Leere();
  stapel.ZeichneInstanzen(liste.Instanzen().data(), 5);
  EXPECT_EQ(stapel.GibKapazitaet(), 5u);
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 1);
  ASSERT_EQ(welt->Anzahl("SetStreamSource"), 1);
  EXPECT_EQ(welt->Aufrufe("SetStreamSource")[0].argumente[0], 1u);
  EXPECT_EQ(welt->geraet->streams[1], dynamic_cast<Objekt*>(stapel.InstanzBuffer()->buffer));
}

TEST_F(SpriteTest, ZustaendeKonstantenUndProgramme) {
  Zarvo_SpriteAtlas atlas(128, 4, 0);
  FuegeEin(atlas, 1, 16, 16);
  atlas.AddSprite(1, {0, 0, 0}, WEISS, 0, 0, 0);
  atlas.Zeichne();
  const Zarvo_Programm* einfach = kontext->aktuellesProgramm;
  ASSERT_NE(einfach, nullptr);
  // Both sprite programs compiled through the dialect and the compiler without a message.
  for (const std::string& z : log.zeilen) EXPECT_NE(z.rfind('!', 0), 0u) << z;
  EXPECT_EQ(einfach->vertexShader->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(einfach->pixelShader->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  const uint32_t quelle = einfach->GibKonstante("gQuellGroesse") & 0xFFF;
  const uint32_t ziel = einfach->GibKonstante("gZielGroesse") & 0xFFF;
  ASSERT_LT(quelle, Zarvo_Programm::KEIN_REGISTER);
  ASSERT_LT(ziel, Zarvo_Programm::KEIN_REGISTER);
  EXPECT_EQ(VertexRegister(quelle), (std::vector<float>{1.0f / 128, 1.0f / 128, 0, 1}));
  EXPECT_EQ(VertexRegister(ziel), (std::vector<float>{1.0f / 320, 1.0f / 240, 0, 1}));
  EXPECT_NE(einfach->GibSampler("Textur") & 0xFF, Zarvo_Programm::KEIN_SAMPLER);
  EXPECT_EQ(welt->geraet->samplerStates[0][D3DSAMP_MINFILTER], DWORD(D3DTEXF_ANISOTROPIC));
  EXPECT_EQ(welt->geraet->samplerStates[0][D3DSAMP_ADDRESSU], DWORD(D3DTADDRESS_CLAMP));
  // Premultiplied blending: one, 1 - source alpha.
  EXPECT_EQ(welt->geraet->renderStates[D3DRS_SRCBLEND], DWORD(D3DBLEND_ONE));
  EXPECT_EQ(welt->geraet->renderStates[D3DRS_DESTBLEND], DWORD(D3DBLEND_INVSRCALPHA));

  // The same draw again changes no blend state.
  kontext->LeereZaehler();
  atlas.AddSprite(1, {0, 0, 0}, WEISS, 0, 0, 0);
  atlas.Zeichne();
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::ALPHA_WECHSEL], 0u);
  EXPECT_EQ(kontext->zaehler[Zarvo_ZeichenKontext::PROGRAMM_SETS], 0u);

  // The batch's own blend state wins.
  Zarvo_AlphaZustand* eigener = kontext->ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(0, 2, 4));
  atlas.Stapel().alphaZustand = eigener;
  atlas.AddSprite(1, {0, 0, 0}, WEISS, 0, 0, 0);
  atlas.Zeichne();
  EXPECT_EQ(kontext->alphaId, eigener->allocId);
  EXPECT_EQ(welt->geraet->renderStates[D3DRS_SRCBLEND], DWORD(D3DBLEND_SRCALPHA));
  atlas.Stapel().alphaZustand = nullptr;

  // Atlas flags bit 0: the normal-map program, with its own handles.
  Zarvo_SpriteAtlas normal(32, 4, Zarvo_GfxAtlas::FLAG_NORMALKARTE);
  FuegeEin(normal, 1, 8, 8);
  normal.AddSprite(1, {0, 0, 0}, WEISS, 0, 0, 0);
  normal.Zeichne();
  const Zarvo_Programm* normalProgramm = kontext->aktuellesProgramm;
  ASSERT_NE(normalProgramm, einfach);
  const uint32_t normalQuelle = normalProgramm->GibKonstante("gQuellGroesse") & 0xFFF;
  EXPECT_EQ(VertexRegister(normalQuelle), (std::vector<float>{1.0f / 32, 1.0f / 32, 0, 1}));
  kontext->GibFrei(eigener);
}

// `kopieren` selects the copy program for lists of plain and of normal-map atlases; a list
// pointed at another atlas takes its entries from there.
TEST_F(SpriteTest, KopierProgrammUndListeAufAnderemAtlas) {
  Zarvo_TexturAtlas ein(64, 0), zwei(32, Zarvo_GfxAtlas::FLAG_NORMALKARTE);
  FuegeEin(ein, 1, 16, 16);
  FuegeEin(zwei, 1, 8, 8);
  Zarvo_SpriteListe liste(&ein, 4);
  Zarvo_SpriteStapel stapel(4);
  liste.AddSprite(1, {0, 0, 0}, WEISS, 0, 0, 0);
  stapel.Zeichne(liste);
  const Zarvo_Programm* einfach = kontext->aktuellesProgramm;
  liste.Leeren();
  liste.SetzeAtlas(&zwei);
  EXPECT_EQ(liste.Atlas(), &zwei);
  liste.AddSprite(1, {0, 0, 0}, WEISS, 0, 0, 0);
  EXPECT_EQ(liste.Instanzen()[0].quellBreite, 8.0f);
  stapel.Zeichne(liste);
  const Zarvo_Programm* normal = kontext->aktuellesProgramm;
  stapel.kopieren = true;
  stapel.Zeichne(liste);
  const Zarvo_Programm* kopie = kontext->aktuellesProgramm;
  liste.SetzeAtlas(&ein);
  stapel.Zeichne(liste);
  EXPECT_EQ(kontext->aktuellesProgramm, kopie);
  EXPECT_NE(kopie, einfach);
  EXPECT_NE(kopie, normal);
  EXPECT_EQ(kopie->vertexShader, einfach->vertexShader) << "the plain vertex shader";
  EXPECT_LT(kopie->GibKonstante("gQuellGroesse") & 0xFFF, uint32_t(Zarvo_Programm::KEIN_REGISTER));
  for (const std::string& z : log.zeilen) EXPECT_NE(z.rfind('!', 0), 0u) << z;
}

// The shared set is made by the first batch and released by the last; each batch only adds and
// removes its own buffer.
TEST_F(SpriteTest, GemeinsameResourcenEinmalUndBisZumLetzten) {
  const int vorher = Belegt();
  int mitEinem = 0;
  {
    auto erster = std::make_unique<Zarvo_SpriteStapel>(4);
    mitEinem = Belegt();
    EXPECT_EQ(welt->Anzahl("CreateVertexDeclaration"), 1);
    EXPECT_EQ(welt->Anzahl("CreateVertexShader"), 2);
    EXPECT_EQ(welt->Anzahl("CreatePixelShader"), 3);  // plain, normal map, copy (on the plain vertex shader)
    Zarvo_SpriteStapel zweiter(4);
    EXPECT_EQ(Belegt(), mitEinem + 1);
    EXPECT_EQ(welt->Anzahl("CreateVertexShader"), 2);
    erster.reset();
    EXPECT_EQ(Belegt(), mitEinem);  // the set stays for the second
  }
  EXPECT_EQ(Belegt(), vorher);
  // A new first batch makes a new set.
  Zarvo_SpriteStapel dritter(0);
  EXPECT_EQ(Belegt(), mitEinem - 1);
  EXPECT_EQ(welt->Anzahl("CreateVertexShader"), 4);
}

TEST_F(SpriteTest, SpriteAtlasVerschiebenLaesstDieWarteschlangeZurueck) {
  Zarvo_SpriteAtlas quelle(64, 8, 0);
  FuegeEin(quelle, 2, 4, 4);
  quelle.AddSprite(2, {0, 0, 0}, WEISS, 0, 0, 0);
  quelle.AddSprite(2, {1, 0, 0}, WEISS, 0, 0, 0);
  Zarvo_SpriteAtlas ziel(std::move(quelle));
  EXPECT_TRUE(ziel.Liste().IstLeer());
  EXPECT_EQ(ziel.Liste().Atlas(), &ziel);
  EXPECT_EQ(ziel.Stapel().GibKapazitaet(), 8u);
  ASSERT_NE(ziel.GibEintrag(2), nullptr);
  ziel.AddSprite(2, {0, 0, 0}, WEISS, 0, 0, 0);
  welt->Leere();
  ziel.Zeichne();
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 1);
}

}  // namespace

namespace {

// A font draws all queued glyphs as one batch and empties its queue.
TEST_F(SpriteTest, FontZeichnetAllesInEinemStapel) {
  auto font = testfont::Baue();
  font->Zeichne(0, 0, "Ab c");
  font->Zeichne(0, 20, "xyz");
  welt->Leere();
  font->ZeichneAlles();
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 1);
  EXPECT_EQ(welt->geraet->streamFrequenz[0], UINT(D3DSTREAMSOURCE_INDEXEDDATA | 6));
  EXPECT_TRUE(font->Glyphen().Liste().IstLeer());
  welt->Leere();
  font->ZeichneAlles();
  EXPECT_EQ(welt->Anzahl("DrawIndexedPrimitive"), 0);
}

}  // namespace

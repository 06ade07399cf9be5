// Textures, cube textures, depth buffers and render targets on the recording device: the
// construction rules, the kept copies, restoring after eviction and reset, the write paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "GrafikHilfen.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Start.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Textur.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_WuerfelTextur.h"
#include "Zarvo_ZBuffer.h"

using namespace d3d9;

namespace {

constexpr uint32_t DYN = Zarvo_BasisObjekt::FLAG_DYNAMISCH;
constexpr uint32_t FLUECHTIG = Zarvo_BasisObjekt::FLAG_FLUECHTIG;
constexpr uint32_t RZ = Zarvo_BasisObjekt::FLAG_RENDERZIEL;
constexpr uint32_t MIPS = Zarvo_BasisObjekt::FLAG_MIPMAPS;

// An A8R8G8B8 image whose pixel i holds i + salt.
Zarvo_Bild Muster(uint64_t w, uint64_t h, uint64_t mips, uint32_t salt = 0) {
  Zarvo_Bild bild(w, h, PXFMT_A8R8G8B8, mips);
  for (uint64_t l = 0; l < bild.MipAnzahl(); ++l) {
    Zarvo_Bild* s = bild.HoleMipStufe(l);
    auto* p = reinterpret_cast<uint32_t*>(s->Pixel());
    for (uint64_t i = 0; i < s->Breite() * s->Hoehe(); ++i) p[i] = uint32_t(i + salt + l * 1000);
  }
  return bild;
}

null::Textur& Geraetetextur(const Zarvo_Textur& t) { return *dynamic_cast<null::Textur*>(t.textur); }

struct Aufbau {
  const char* name;
  uint64_t breite, hoehe, mips;
  uint32_t flags;
  bool mitDaten;
  uint64_t erwarteteMips;
  uint32_t erwarteteFlags;  // of the flags as passed: bits that must be set
  const char* zeile;        // a line that must appear, or null
  int erzeugungen;          // CreateTexture calls
};

class TexturTest : public NullKontextTest {};

TEST_F(TexturTest, AufbauRegeln) {
  const Aufbau faelle[] = {
      {"zu viele Stufen", 256, 64, 20, DYN, false, 9, DYN, "Zuviele MipMap-Stufen angegeben.", 1},
      {"volle Kette", 256, 64, 0, DYN, false, 9, DYN, nullptr, 1},
      {"1x1", 1, 1, 0, DYN, false, 1, DYN, nullptr, 1},
      {"DXT5 ohne eigene Stufen", 64, 64, 1, PXFMT_DXT5 | DYN, false, 1, MIPS, "Keine automatischen MipMaps", 1},
      {"Renderziel immer fluechtig", 64, 64, 1, RZ, false, 1, RZ | FLUECHTIG, "Renderziel-Texturen sind immer flüchtig.", 1},
      {"ohne Inhalt wird dynamisch", 64, 64, 1, 0, false, 1, DYN, "Textur ohne Initialinhalt muss dynamisch sein", 1},
      {"Breite 0", 0, 64, 1, DYN, false, 1, DYN, "Ungültige Texturgröße.", 0},
      {"ueber der Grenze", 16384, 16, 1, DYN, false, 1, DYN, "Ungültige Texturgröße.", 0},
      {"Format 15", 16, 16, 1, 15 | DYN, false, 1, DYN, "Ungültiges Texturformat", 1},
  };
  for (const Aufbau& f : faelle) {
    SCOPED_TRACE(f.name);
    log.zeilen.clear();
    Welt().Leere();
    Zarvo_Bild bild = Muster(f.breite ? f.breite : 1, f.hoehe ? f.hoehe : 1, 1);
    const Zarvo_TexturVorgabe vorgabe = f.mitDaten ? Zarvo_TexturVorgabe(bild, 0) : Zarvo_TexturVorgabe();
    Zarvo_Textur* t = kontext->ErzeugeTextur(f.breite, f.hoehe, f.mips, f.flags, vorgabe);
    EXPECT_EQ(t->mipAnzahl, f.erwarteteMips);
    EXPECT_EQ(t->flags & f.erwarteteFlags, f.erwarteteFlags);
    EXPECT_LT(uint32_t(t->format), PXFMT_ANZAHL);
    if (f.zeile) {
      EXPECT_TRUE(log.EnthaeltTeil(f.zeile));
    }
    EXPECT_EQ(Welt().Anzahl("CreateTexture"), f.erzeugungen);
    kontext->GibFrei(t);
  }
}

TEST_F(TexturTest, GeraeteArgumenteNachStufenArt) {
  Zarvo_Bild bild = Muster(64, 32, 0);
  struct Fall {
    uint32_t flags;
    uint64_t mips;
    UINT levels;
    DWORD usage;
  } faelle[] = {{0, 0, 0, D3DUSAGE_AUTOGENMIPMAP}, {0, 1, 1, 0}, {MIPS, 0, 7, 0}, {DYN | MIPS, 3, 3, D3DUSAGE_DYNAMIC}};
  for (const Fall& f : faelle) {
    Welt().Leere();
    Zarvo_Textur* t = kontext->ErzeugeTextur(64, 32, f.mips, f.flags, Zarvo_TexturVorgabe(bild, 0));
    ASSERT_EQ(Welt().Anzahl("CreateTexture"), 1);
    const std::vector<uint64_t> a = Welt().Aufrufe("CreateTexture")[0].argumente;
    EXPECT_EQ(a[2], f.levels);
    EXPECT_EQ(a[3], f.usage);
    EXPECT_EQ(a[5], uint64_t(D3DPOOL_DEFAULT));
    // Automatic levels are made on the device once after the upload.
    EXPECT_EQ(Geraetetextur(*t).mipErzeugungen, (f.usage & D3DUSAGE_AUTOGENMIPMAP) ? 1 : 0);
    kontext->GibFrei(t);
  }
}

TEST_F(TexturTest, FehlendeStufeWirdGemeldetUndNullKopieBehalten) {
  Zarvo_Bild bild = Muster(16, 16, 0);
  Zarvo_TexturVorgabe vorgabe(bild, 0);
  vorgabe.stufen[2] = TBereich();
  Zarvo_Textur* t = kontext->ErzeugeTextur(16, 16, 0, MIPS, vorgabe);
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Textur::ZarvoTextur( 16, 16, ...): Vorgabegrafik für Mip-Stufe 2 ist ungültig"));
  EXPECT_EQ(log.Anzahl("Ungültige Vorgabedaten"), 1u);
  // The valid levels arrive; level 2 stays as the device made it, its copy is zero.
  null::Textur& g = Geraetetextur(*t);
  EXPECT_EQ(0, std::memcmp(g.Ebene(1)->bytes.data(), bild.HoleMipStufe(1)->Pixel(), 8 * 8 * 4));
  const TBereich kopie2 = t->KopieAlsBereich(2);
  ASSERT_FALSE(kopie2.IstLeer());
  EXPECT_EQ(std::vector<uint8_t>(kopie2.Daten(), kopie2.Daten() + 4 * 4 * 4), std::vector<uint8_t>(64, 0));
  kontext->GibFrei(t);
}

TEST_F(TexturTest, BehalteneKopien) {
  // Ownership with the row size as pitch: the very buffer is kept.
  auto* block = static_cast<uint8_t*>(std::malloc(8 * 8 * 4));
  for (int i = 0; i < 256; ++i) block[i] = uint8_t(i);
  Zarvo_TexturVorgabe eigen;
  eigen.stufen[0] = TBereich(block, 8, 8, 32, PXFMT_A8R8G8B8);
  eigen.besitz = 1;
  Zarvo_Textur* uebernommen = kontext->ErzeugeTextur(0, 0, 1, 0, eigen);
  EXPECT_EQ(uebernommen->kopien[0][0], block);
  EXPECT_EQ(uebernommen->breite, 8u);

  // A padded pitch is copied row by row, and the handed-over buffer is freed (LSan checks it).
  auto* gepolstert = static_cast<uint8_t*>(std::calloc(8, 40));
  for (int y = 0; y < 8; ++y) std::memset(gepolstert + y * 40, y + 1, 32);
  Zarvo_TexturVorgabe polster;
  polster.stufen[0] = TBereich(gepolstert, 8, 8, 40, PXFMT_A8R8G8B8);
  polster.besitz = 1;
  Zarvo_Textur* kopiert = kontext->ErzeugeTextur(8, 8, 1, 0, polster);
  ASSERT_NE(kopiert->kopien[0][0], nullptr);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(kopiert->kopien[0][0][y * 32 + 31], y + 1) << y;

  // Ownership 0: a copy of its own, the caller's image untouched.
  Zarvo_Bild bild = Muster(8, 8, 1);
  Zarvo_Textur* fremd = kontext->ErzeugeTextur(8, 8, 1, 0, Zarvo_TexturVorgabe(bild, 0));
  EXPECT_NE(fremd->kopien[0][0], bild.Pixel());
  EXPECT_EQ(0, std::memcmp(fremd->kopien[0][0], bild.Pixel(), 256));

  // A 6x6 DXT1 level is kept as 2x2 blocks: 32 bytes, all zero without data.
  Zarvo_Textur* dxt = kontext->ErzeugeTextur(6, 6, 1, PXFMT_DXT1 | DYN, {});
  const TBereich b = dxt->KopieAlsBereich(0);
  EXPECT_EQ(b.Pitch() * 8, 32u);

  // A volatile texture keeps nothing.
  Zarvo_Textur* weg = kontext->ErzeugeTextur(8, 8, 1, FLUECHTIG, Zarvo_TexturVorgabe(bild, 0));
  EXPECT_EQ(weg->kopien[0][0], nullptr);
  for (Zarvo_BasisObjekt* o : {static_cast<Zarvo_BasisObjekt*>(uebernommen), static_cast<Zarvo_BasisObjekt*>(kopiert),
                               static_cast<Zarvo_BasisObjekt*>(fremd), static_cast<Zarvo_BasisObjekt*>(dxt),
                               static_cast<Zarvo_BasisObjekt*>(weg)})
    kontext->GibFrei(o);
}

TEST_F(TexturTest, Schreibwege) {
  Zarvo_Bild bild = Muster(8, 8, 1, 7);
  // Dynamic, whole level: one lock with discard.
  Zarvo_Textur* dyn = kontext->ErzeugeTextur(8, 8, 1, DYN, {});
  dyn->InternSchreibeInhalt(0, [&] { TBereich b; bild.LockBereich(b); return b; }());
  null::Oberflaeche& ebene = *Geraetetextur(*dyn).Ebene(0);
  EXPECT_EQ(ebene.letzteSperrFlags, D3DLOCK_DISCARD);
  EXPECT_TRUE(ebene.letzteSperreGanz);
  EXPECT_EQ(0, std::memcmp(ebene.bytes.data(), bild.Pixel(), 256));
  // Dynamic, partial: the rectangle without flags; the other texels stay.
  Zarvo_Bild klein = Muster(3, 5, 1, 900);
  TBereich kb;
  klein.LockBereich(kb);
  dyn->InternSchreibeInhalt(0, kb);
  EXPECT_EQ(ebene.letzteSperrFlags, 0u);
  EXPECT_FALSE(ebene.letzteSperreGanz);
  EXPECT_EQ(ebene.letztesRechteck.right, 3);
  EXPECT_EQ(ebene.letztesRechteck.bottom, 5);
  const auto* texel = reinterpret_cast<const uint32_t*>(ebene.bytes.data());
  EXPECT_EQ(texel[0], 900u);
  EXPECT_EQ(texel[4 * 8 + 2], 900u + 4 * 3 + 2);
  EXPECT_EQ(texel[3], 7u + 3);   // beside the rectangle
  EXPECT_EQ(texel[5 * 8], 7u + 40);  // below it

  // Static: a system-memory surface and UpdateSurface onto the level, no lock of the level.
  Welt().Leere();
  Zarvo_Textur* fest = kontext->ErzeugeTextur(8, 8, 1, 0, Zarvo_TexturVorgabe(bild, 0));
  EXPECT_EQ(Welt().Anzahl("CreateOffscreenPlainSurface"), 1);
  EXPECT_EQ(Welt().Aufrufe("CreateOffscreenPlainSurface")[0].argumente[3], uint64_t(D3DPOOL_SYSTEMMEM));
  EXPECT_EQ(Welt().Anzahl("UpdateSurface"), 1);
  EXPECT_EQ(Geraetetextur(*fest).Ebene(0)->sperren, 0);
  EXPECT_EQ(0, std::memcmp(Geraetetextur(*fest).Ebene(0)->bytes.data(), bild.Pixel(), 256));

  // An 8x8 DXT1 level arrives byte for byte.
  std::vector<uint8_t> bloecke(32);
  for (size_t i = 0; i < bloecke.size(); ++i) bloecke[i] = uint8_t(i * 7 + 1);
  Zarvo_TexturVorgabe dxtVorgabe;
  dxtVorgabe.stufen[0] = TBereich(bloecke.data(), 8, 8, 4, PXFMT_DXT1);
  Zarvo_Textur* dxt = kontext->ErzeugeTextur(8, 8, 1, PXFMT_DXT1 | MIPS, dxtVorgabe);
  EXPECT_EQ(Geraetetextur(*dxt).Ebene(0)->bytes, bloecke);
  for (Zarvo_Textur* t : {dyn, fest, dxt}) kontext->GibFrei(t);
}

TEST_F(TexturTest, RueckkehrNachAuslagerungUndReset) {
  Zarvo_Bild bild = Muster(64, 64, 1, 3);
  Zarvo_Textur* automatisch = kontext->ErzeugeTextur(64, 64, 0, 0, Zarvo_TexturVorgabe(bild, 0));
  Zarvo_Textur* ziel = kontext->ErzeugeTextur(64, 64, 1, RZ, {});
  Zarvo_ZBuffer* tiefe = kontext->ErzeugeZBuffer(128, 128);
  Zarvo_Renderziel* rz = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(ziel, tiefe));
  EXPECT_EQ(rz->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);

  ASSERT_TRUE(kontext->ReInit());
  EXPECT_EQ(Welt().letzteResetVerweigerung, "");
  // Depth buffer, target and its texture at once; the other texture at its next use.
  EXPECT_EQ(tiefe->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(rz->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(ziel->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(automatisch->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  Welt().Leere();
  automatisch->Benutzen();
  ASSERT_EQ(automatisch->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(0, std::memcmp(Geraetetextur(*automatisch).Ebene(0)->bytes.data(), bild.Pixel(), 64 * 64 * 4));
  EXPECT_EQ(Geraetetextur(*automatisch).mipErzeugungen, 1);
  // The render-target texture got no upload.
  EXPECT_EQ(Geraetetextur(*ziel).Ebene(0)->sperren, 0);
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{rz, tiefe, ziel, automatisch}) kontext->GibFrei(o);
}

TEST_F(TexturTest, ResetNenntDieKlasseDieNichtFreigibt) {
  Zarvo_Textur* t = kontext->ErzeugeTextur(16, 16, 1, DYN, {});
  IDirect3DTexture9* fremd = t->textur;
  fremd->AddRef();  // a reference the texture does not know of
  EXPECT_FALSE(kontext->ReInit());
  EXPECT_NE(Welt().letzteResetVerweigerung.find("texture 16x16"), std::string::npos) << Welt().letzteResetVerweigerung;
  fremd->Release();
  EXPECT_TRUE(kontext->ReInit());
  kontext->GibFrei(t);
}

TEST_F(TexturTest, BudgetVerdraengtDieAeltesteUndNutzungHoltSieZurueck) {
  Geraet().SetVideoMemoryBudget(2 * 64 * 64 * 4);
  Zarvo_Bild bild = Muster(64, 64, 1);
  g_Zeit.zeit = SekundenAlsTicks(10);
  Zarvo_Textur* a = kontext->ErzeugeTextur(64, 64, 1, 0, Zarvo_TexturVorgabe(bild, 0));
  g_Zeit.zeit = SekundenAlsTicks(20);
  Zarvo_Textur* b = kontext->ErzeugeTextur(64, 64, 1, 0, Zarvo_TexturVorgabe(bild, 0));
  g_Zeit.zeit = SekundenAlsTicks(30);
  Zarvo_Textur* c = kontext->ErzeugeTextur(64, 64, 1, 0, Zarvo_TexturVorgabe(bild, 0));
  EXPECT_EQ(log.Anzahl("?VideoRAM knapp. Versuche, Platz zu schaffen."), 1u);
  EXPECT_EQ(a->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(b->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(c->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  g_Zeit.zeit = SekundenAlsTicks(40);
  a->Benutzen();  // evicts b, the oldest now
  EXPECT_EQ(a->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_EQ(b->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(0, std::memcmp(Geraetetextur(*a).Ebene(0)->bytes.data(), bild.Pixel(), 64 * 64 * 4));
  for (Zarvo_Textur* t : {a, b, c}) kontext->GibFrei(t);
  g_Zeit.zeit = 0;
}

TEST_F(TexturTest, WuerfelTexturAusBildUndRenderzielAufSeiteNull) {
  Zarvo_Bild wuerfel;
  ASSERT_TRUE(wuerfel.SetCubeMapGroesse(8, PXFMT_A8R8G8B8, 1));
  for (int s = 0; s < 6; ++s) std::memset(wuerfel.Seite(s)->Pixel(), 0x10 + s, 8 * 8 * 4);
  auto* w = dynamic_cast<Zarvo_WuerfelTextur*>(Zarvo_ErzeugeTexturAusBild(*kontext, wuerfel));
  ASSERT_NE(w, nullptr);
  auto& g = *dynamic_cast<null::WuerfelTextur*>(w->textur);
  // Engine face 0 (+Y) lands on the device's POSITIVE_Y, face 2 (+X) on POSITIVE_X.
  EXPECT_EQ(g.Ebene(D3DCUBEMAP_FACE_POSITIVE_Y, 0)->bytes[0], 0x10);
  EXPECT_EQ(g.Ebene(D3DCUBEMAP_FACE_POSITIVE_X, 0)->bytes[0], 0x12);
  EXPECT_EQ(g.Ebene(D3DCUBEMAP_FACE_NEGATIVE_Z, 0)->bytes[0], 0x15);

  Zarvo_WuerfelTextur* ziel = kontext->ErzeugeWuerfelTextur(32, 1, RZ, {});
  Zarvo_Renderziel* rz = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(ziel, nullptr));
  auto& gz = *dynamic_cast<null::WuerfelTextur*>(ziel->textur);
  EXPECT_EQ(rz->farbFlaechen[0], gz.Ebene(D3DCUBEMAP_FACE_POSITIVE_Y, 0));
  kontext->SetRenderZiel(rz);
  EXPECT_EQ(Geraet().renderZiele[0], gz.Ebene(D3DCUBEMAP_FACE_POSITIVE_Y, 0));
  EXPECT_EQ(kontext->zielBreite, 32u);
  kontext->SetRenderZiel(nullptr);
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{rz, ziel, w}) kontext->GibFrei(o);
}

TEST_F(TexturTest, TiefenpufferUndRenderzielFehler) {
  // Out of video memory once, then success: one shortage line.
  Welt().Scheitere("CreateDepthStencilSurface", 1, D3DERR_OUTOFVIDEOMEMORY);
  Zarvo_Textur* alt = kontext->ErzeugeTextur(16, 16, 1, DYN, {});
  g_Zeit.zeit = SekundenAlsTicks(5);
  Zarvo_ZBuffer* z = kontext->ErzeugeZBuffer(256, 256);
  EXPECT_EQ(log.Anzahl("?VideoRAM knapp. Versuche, Platz zu schaffen."), 1u);
  EXPECT_EQ(z->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  // Another failure: the line, state 2, and the next use tries again.
  Welt().Scheitere("CreateDepthStencilSurface", 1, D3DERR_INVALIDCALL);
  Zarvo_ZBuffer* z2 = kontext->ErzeugeZBuffer(64, 64);
  EXPECT_TRUE(log.Enthaelt("!Zarvo_ZBuffer::Benutzen( 64, 64): Failed to create zbuffer of these properties."));
  EXPECT_EQ(z2->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  z2->Benutzen();
  EXPECT_EQ(z2->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);

  // A depth buffer smaller than the colour buffer.
  Zarvo_Textur* gross = kontext->ErzeugeTextur(512, 512, 1, RZ, {});
  log.zeilen.clear();
  Zarvo_RenderzielBeschr zuKlein(gross, z);
  EXPECT_TRUE(log.EnthaeltTeil("\"ZBuffer zu klein für Renderziel\""));

  // A target over a texture whose creation failed waits in state 2 and recovers at its next use.
  // (the texture's creation and the target's first try of it fail)
  Welt().Scheitere("CreateTexture", 2, D3DERR_INVALIDCALL);
  Zarvo_Textur* fehlt = kontext->ErzeugeTextur(32, 32, 1, RZ, {});
  Zarvo_Renderziel* rz = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(fehlt, nullptr));
  EXPECT_EQ(rz->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
  EXPECT_EQ(rz->farbFlaechen[0], nullptr);
  rz->Benutzen();
  EXPECT_EQ(rz->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  EXPECT_NE(rz->farbFlaechen[0], nullptr);

  // More colour buffers than slots: a line, and only four are used.
  Zarvo_RenderzielBeschr viele(fehlt, nullptr);
  viele.anzahl = 8;
  for (int i = 0; i < 8; ++i) viele.farbBuffer[i] = fehlt;
  log.zeilen.clear();
  Zarvo_Renderziel* rz8 = kontext->ErzeugeRenderziel(viele);
  EXPECT_EQ(Pruefzeilen(), 1u);
  EXPECT_EQ(rz8->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
  for (Zarvo_BasisObjekt* o : std::initializer_list<Zarvo_BasisObjekt*>{rz8, rz, fehlt, gross, z2, z, alt}) kontext->GibFrei(o);
  g_Zeit.zeit = 0;
}

// Main memory running out on the device is no shortage of video memory: nothing is evicted, the
// creation gives up at once with its class's line, and the next use after memory returns creates
// the object with its contents.
TEST_F(TexturTest, HauptspeicherMangelLagertNichtsAus) {
  std::vector<uint8_t> daten(64 * 64 * 4, 0x5C);
  Zarvo_Bild bild = Muster(64, 64, 1, 11);
  struct Fall {
    const char* name;
    const char* methode;
    const char* zeile;
    std::function<Zarvo_BasisObjekt*()> erzeuge;
  };
  const std::vector<Fall> faelle = {
      {"Textur", "CreateTexture", "!Zarvo_Textur::Benutzen(): Erzeugung der Textur gescheitert. Rückgabewert: -2147024882",
       [&] { return kontext->ErzeugeTextur(64, 64, 1, 0, Zarvo_TexturVorgabe(bild, 0)); }},
      {"WuerfelTextur", "CreateCubeTexture", "!Zarvo_WuerfelTextur::Benutzen(): Erzeugung der CubeMap gescheitert.",
       [&] { return kontext->ErzeugeWuerfelTextur(64, 1, DYN, {}); }},
      {"ZBuffer", "CreateDepthStencilSurface", "!Zarvo_ZBuffer::Benutzen( 64, 64): Failed to create zbuffer of these properties.",
       [&] { return kontext->ErzeugeZBuffer(64, 64); }},
      {"VertexBuffer", "CreateVertexBuffer", "!Zarvo_VertexBuffer::Zarvo_VertexBuffer( 16384): Failed to create vertex buffer",
       [&] { return kontext->ErzeugeVertexBuffer(0, 0, {daten.data(), daten.size(), 0}); }},
      {"IndexBuffer", "CreateIndexBuffer", "!Zarvo_IndexBuffer::Zarvo_IndexBuffer( 16384): Failed to create index buffer",
       [&] { return kontext->ErzeugeIndexBuffer(0, 1, {daten.data(), daten.size(), 0}); }},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    g_Zeit.zeit = SekundenAlsTicks(1);
    Zarvo_Textur* alt = kontext->ErzeugeTextur(16, 16, 1, DYN, {});  // evictable: 10 s old below
    g_Zeit.zeit = SekundenAlsTicks(11);
    Geraet().SetHostMemoryLimit(8192);
    Welt().Leere();
    log.zeilen.clear();
    Zarvo_BasisObjekt* neu = f.erzeuge();
    EXPECT_EQ(neu->zustand, Zarvo_BasisObjekt::ZUSTAND_FEHLT);
    ASSERT_EQ(Welt().Anzahl(f.methode), 1);  // no retry
    EXPECT_EQ(Welt().Aufrufe(f.methode)[0].ergebnis, E_OUTOFMEMORY);
    EXPECT_EQ(alt->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
    EXPECT_FALSE(log.EnthaeltTeil("VideoRAM"));
    EXPECT_TRUE(log.Enthaelt(f.zeile));
    EXPECT_FALSE(log.EnthaeltTeil("Texturzugriff gescheitert"));  // no write into a missing texture
    Geraet().SetHostMemoryLimit(0);
    neu->Benutzen();
    EXPECT_EQ(neu->zustand, Zarvo_BasisObjekt::ZUSTAND_BEREIT);
    kontext->GibFrei(neu);
    kontext->GibFrei(alt);
  }
  // The contents kept meanwhile arrive with the late creation.
  Geraet().SetHostMemoryLimit(8192);
  Zarvo_Textur* t = kontext->ErzeugeTextur(64, 64, 1, 0, Zarvo_TexturVorgabe(bild, 0));
  Zarvo_VertexBuffer* vb = kontext->ErzeugeVertexBuffer(0, 0, {daten.data(), daten.size(), 0});
  Geraet().SetHostMemoryLimit(0);
  t->Benutzen();
  vb->Benutzen();
  ASSERT_NE(t->textur, nullptr);
  EXPECT_EQ(0, std::memcmp(Geraetetextur(*t).Ebene(0)->bytes.data(), bild.Pixel(), 64 * 64 * 4));
  ASSERT_NE(vb->buffer, nullptr);
  EXPECT_EQ(dynamic_cast<null::VertexPuffer*>(vb->buffer)->bytes, daten);
  kontext->GibFrei(t);
  kontext->GibFrei(vb);
  g_Zeit.zeit = 0;
}

// Random sizes, level counts, flags and broken entries: no crash, no leak, sizes in bounds.
TEST_F(TexturTest, ZufaelligeAufbauten) {
  std::mt19937 zufall(1234);
  log.Debug(false);
  for (int runde = 0; runde < 300; ++runde) {
    const uint64_t w = zufall() % 70, h = zufall() % 70, mips = zufall() % 12;
    const uint32_t format = zufall() % 17;
    const uint32_t flags = format | (zufall() % 2 ? DYN : 0) | (zufall() % 4 == 0 ? FLUECHTIG : 0) |
                           (zufall() % 5 == 0 ? RZ : 0) | (zufall() % 2 ? MIPS : 0);
    const uint32_t bildFormat = format < PXFMT_ANZAHL ? format : 0;
    Zarvo_Bild bild(std::max<uint64_t>(w, 1), std::max<uint64_t>(h, 1), Zarvo_Pixelformat(bildFormat), 0);
    Zarvo_TexturVorgabe vorgabe(bild, 0);
    if (zufall() % 3 == 0) vorgabe.stufen[zufall() % 16] = TBereich(bild.Pixel(), 3, 3, 0, PXFMT_A8);
    if (zufall() % 4 == 0) vorgabe = {};
    if (zufall() % 2) {
      Zarvo_Textur* t = kontext->ErzeugeTextur(w, h, mips, flags, vorgabe);
      EXPECT_LE(t->mipAnzahl, 16u);
      t->Benutzen();
      kontext->GibFrei(t);
    } else {
      Zarvo_WuerfelTexturVorgabe wv;
      for (int s = 0; s < 6; ++s)
        for (int l = 0; l < 16; ++l) wv.seiten[s][l] = vorgabe.stufen[l];
      Zarvo_WuerfelTextur* t = kontext->ErzeugeWuerfelTextur(w, mips, flags, wv);
      EXPECT_LT(uint32_t(t->format), PXFMT_ANZAHL);
      kontext->GibFrei(t);
    }
  }
}

}  // namespace

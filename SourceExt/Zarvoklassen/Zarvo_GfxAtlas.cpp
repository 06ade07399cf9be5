#include "Zarvo_GfxAtlas.h"

#include <bit>
#include <cstring>

#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"

namespace {

constexpr uint64_t ERSTE_KANTE = 512;
constexpr uint64_t EINTRAG_BYTES = 32;
constexpr int ZEILE_NUR_VIDEORAM = 314;

uint64_t AufRaster(uint64_t n, uint64_t raster) { return (n + raster - 1) / raster * raster; }

// The parsed content of an atlas block, committed only when all of it is sound.
struct AtlasBlock {
  uint64_t flags = 0;
  std::vector<Zarvo_GfxAtlas::Eintrag> eintraege;
  std::vector<uint64_t> lebend;
  TPlatz platz;
  uint64_t breite = 0;
  uint64_t hoehe = 0;
  Zarvo_Bild bild;
};

bool Hat(const TSpeicher& s, uint64_t n) { return s.Rest() >= n; }

float AlsFloat(uint32_t bits) { return std::bit_cast<float>(bits); }

const char* LiesEintraege(TSpeicher& s, AtlasBlock& block) {
  if (!Hat(s, 8)) return "Eintragsanzahl abgeschnitten";
  s.LiesU32BE();
  const uint64_t anzahl = s.LiesU32BE();
  if (anzahl > s.Rest()) return "Eintragsanzahl übersteigt die Daten";
  const uint64_t slots = AufRaster(anzahl, Zarvo_GfxAtlas::SLOT_RASTER);
  block.eintraege.assign(slots, {});
  block.lebend.assign(slots / 64, 0);
  for (uint64_t i = 0; i < anzahl; ++i) {
    if (!Hat(s, 1)) return "Eintrag abgeschnitten";
    if (s.LiesU8() == 0) continue;
    if (!Hat(s, EINTRAG_BYTES)) return "Eintrag abgeschnitten";
    Zarvo_GfxAtlas::Eintrag& e = block.eintraege[i];
    e.x = s.LiesU32BE();
    e.y = s.LiesU32BE();
    e.w = s.LiesU32BE();
    e.h = s.LiesU32BE();
    e.u = AlsFloat(s.LiesU32BE());
    e.v = AlsFloat(s.LiesU32BE());
    e.du = AlsFloat(s.LiesU32BE());
    e.dv = AlsFloat(s.LiesU32BE());
    block.lebend[i / 64] |= uint64_t(1) << (i % 64);
  }
  return nullptr;
}

bool Innerhalb(const TRechteck& r, uint64_t breite, uint64_t hoehe) {
  return r.x <= breite && r.w <= breite - r.x && r.y <= hoehe && r.h <= hoehe - r.y;
}

const char* PruefeRechtecke(const AtlasBlock& block) {
  for (uint64_t i = 0; i < block.eintraege.size(); ++i) {
    if (!(block.lebend[i / 64] >> (i % 64) & 1)) continue;
    const Zarvo_GfxAtlas::Eintrag& e = block.eintraege[i];
    if (!Innerhalb({e.x, e.y, e.w, e.h}, block.breite, block.hoehe)) return "Eintrag außerhalb des Bildes";
  }
  for (const std::vector<TRechteck>* liste : {&block.platz.Belegt(), &block.platz.Frei()})
    for (const TRechteck& r : *liste)
      if (!Innerhalb(r, block.breite, block.hoehe)) return "Rechteck der Platzverwaltung außerhalb des Bildes";
  return nullptr;
}

const char* LiesBild(TSpeicher& s, uint32_t version, AtlasBlock& block) {
  if (!Hat(s, 8)) return "Bildbreite abgeschnitten";
  s.LiesU32BE();
  block.breite = s.LiesU32BE();
  block.hoehe = block.breite;
  if (version >= 259) {
    if (!Hat(s, 4)) return "Bildhöhe abgeschnitten";
    block.hoehe = s.LiesU32BE();
  }
  if (block.hoehe != 0 && block.breite > s.Rest() / 4 / block.hoehe) return "Bildpunkte abgeschnitten";
  block.bild.SetGroesse(block.breite, block.hoehe, PXFMT_A8R8G8B8, 1);
  if (block.hoehe != 0 && block.breite != 0)
    s.LiesMemEndianKorrekt(reinterpret_cast<uint32_t*>(block.bild.Pixel()), block.breite * block.hoehe * 4);
  return nullptr;
}

const char* LiesKopfRest(TSpeicher& s, uint32_t& version, AtlasBlock& block) {
  if (!Hat(s, 4)) return "Version abgeschnitten";
  version = s.LiesU32BE();
  const uint64_t reserviert = version < 261 ? 13 : version == 261 ? 5 : 0;
  if (!Hat(s, reserviert)) return "Kopf abgeschnitten";
  s.VerschiebePosition(int64_t(reserviert));
  if (version >= 258) {
    if (!Hat(s, 4)) return "Flags abgeschnitten";
    block.flags = s.LiesU32BE();
  }
  return nullptr;
}

const char* LiesBlock(TSpeicher& s, AtlasBlock& block) {
  uint32_t version = 0;
  const char* grund = LiesKopfRest(s, version, block);
  if (!grund) grund = LiesEintraege(s, block);
  if (!grund) block.platz.Lade(s, &grund);
  if (!grund) grund = LiesBild(s, version, block);
  if (!grund) grund = PruefeRechtecke(block);
  return grund;
}

}  // namespace

Zarvo_GfxAtlas::Zarvo_GfxAtlas(uint64_t kante, uint64_t flags_) : flags(flags_) {
  if (kante != 0) SetzeGroesse(kante);
}

Zarvo_GfxAtlas::Zarvo_GfxAtlas(uint64_t breite, uint64_t hoehe, uint64_t flags_)
    : flags(flags_), bild(breite, hoehe, PXFMT_A8R8G8B8, 1), platz(breite, hoehe) {}

uint64_t Zarvo_GfxAtlas::NaechsteKante(uint64_t breite, uint64_t hoehe) {
  if (breite == 0 || hoehe == 0) return ERSTE_KANTE;  // no pixels: as an empty atlas
  if (breite == hoehe) return std::bit_floor(hoehe) << 1;
  return std::max(breite, hoehe);
}

bool Zarvo_GfxAtlas::IstLebendig(uint64_t i) const {
  return i < eintraege.size() && (lebend[i / 64] >> (i % 64) & 1);
}

const Zarvo_GfxAtlas::Eintrag* Zarvo_GfxAtlas::GibEintrag(uint64_t i) const {
  return IstLebendig(i) ? &eintraege[i] : nullptr;
}

uint32_t Zarvo_GfxAtlas::GibEintragHoehe(uint64_t i) const { return IstLebendig(i) ? eintraege[i].h : 0; }

void Zarvo_GfxAtlas::SetzeEintrag(uint64_t i, const Eintrag& e) {
  if (i >= eintraege.size()) {
    const uint64_t slots = std::max<uint64_t>(SLOT_RASTER, std::bit_floor(i) << 1);
    eintraege.resize(slots);
    lebend.resize(slots / 64, 0);
  }
  eintraege[i] = e;
  lebend[i / 64] |= uint64_t(1) << (i % 64);
}

Zarvo_GfxAtlas::Eintrag Zarvo_GfxAtlas::BaueEintrag(uint64_t x, uint64_t y, uint64_t w, uint64_t h) const {
  const float kehrBreite = 1.0f / float(bild.Breite());
  const float kehrHoehe = 1.0f / float(bild.Hoehe());
  return {uint32_t(x),           uint32_t(y),           uint32_t(w),           uint32_t(h),
          float(x) * kehrBreite, float(y) * kehrHoehe, float(w) * kehrBreite, float(h) * kehrHoehe};
}

bool Zarvo_GfxAtlas::PlatziereEintrag(uint64_t i, uint64_t w, uint64_t h) {
  uint64_t x = 0;
  uint64_t y = 0;
  while (!platz.HolePlatz(w, h, x, y))
    if (!SetzeGroesse(NaechsteKante(bild.Breite(), bild.Hoehe()))) return false;
  SetzeEintrag(i, BaueEintrag(x, y, w, h));
  return true;
}

void Zarvo_GfxAtlas::KopiereEintrag(uint64_t i, const TBereich& quelle, uint64_t sx, uint64_t sy, uint64_t w,
                                    uint64_t h) {
  if (!PlatziereEintrag(i, w, h)) return;
  const Eintrag& e = eintraege[i];
  TBereich von(quelle.IstLeer() || sx >= quelle.Breite() || sy >= quelle.Hoehe()
                   ? nullptr
                   : quelle.Daten() + sy * quelle.Pitch() + sx * Zarvo_Bild::ElementGroesse(quelle.Format()),
               std::min(w, quelle.Breite() - std::min(sx, quelle.Breite())),
               std::min(h, quelle.Hoehe() - std::min(sy, quelle.Hoehe())), quelle.Pitch(), quelle.Format());
  TBereich nach;
  TBereich::LockSubBereich(bild, nach, e.x, e.y, e.w, e.h);
  TBereich::KopiereKonvertiert(von, nach);
}

std::vector<Zarvo_GfxAtlas::Neuplatzierung> Zarvo_GfxAtlas::LebendeEintraege() const {
  std::vector<Neuplatzierung> liste;
  for (uint64_t i = 0; i < eintraege.size(); ++i)
    if (IstLebendig(i)) liste.push_back({i, eintraege[i]});
  return liste;
}

// One pass over the snapshot; false as soon as an entry finds no room. The rectangles are placed
// first, so that a size too small for them never allocates (and clears) its image.
bool Zarvo_GfxAtlas::VersucheNeuplatzierung(const Zarvo_Bild& quelle, const std::vector<Neuplatzierung>& liste,
                                            uint64_t breite, uint64_t hoehe) {
  platz.SetGroesse(breite, hoehe, eintraege.size());
  platz.Leeren();
  std::vector<std::pair<uint64_t, uint64_t>> orte(liste.size());
  for (size_t i = 0; i < liste.size(); ++i)
    if (!platz.HolePlatz(liste[i].alt.w, liste[i].alt.h, orte[i].first, orte[i].second)) return false;
  bild = Zarvo_Bild(breite, hoehe, PXFMT_A8R8G8B8, 1);
  Zarvo_Bild& alt = const_cast<Zarvo_Bild&>(quelle);
  for (size_t i = 0; i < liste.size(); ++i) {
    const Neuplatzierung& n = liste[i];
    const auto [x, y] = orte[i];
    SetzeEintrag(n.index, BaueEintrag(x, y, n.alt.w, n.alt.h));
    TBereich von;
    TBereich nach;
    TBereich::LockSubBereich(alt, von, n.alt.x, n.alt.y, n.alt.w, n.alt.h);
    TBereich::LockSubBereich(bild, nach, x, y, n.alt.w, n.alt.h);
    TBereich::KopiereKonvertiert(von, nach);
  }
  return true;
}

bool Zarvo_GfxAtlas::MeldeKantenGrenze(uint64_t groessteKante) {
  g_Log.Schreibe("!Zarvo_GfxAtlas: Atlas kann nicht über %llu Pixel Kantenlänge wachsen.",
                 static_cast<unsigned long long>(groessteKante));
  return false;
}

bool Zarvo_GfxAtlas::PlatziereAlleNeu(uint64_t breite, uint64_t hoehe) {
  const uint64_t groessteKante = Zarvo_Bild::GibMaxKantenlaenge();
  if (std::max(breite, hoehe) > groessteKante) return MeldeKantenGrenze(groessteKante);
  Zarvo_Bild alt = std::move(bild);
  TPlatz altPlatz = platz;
  const std::vector<Neuplatzierung> liste = LebendeEintraege();
  while (!VersucheNeuplatzierung(alt, liste, breite, hoehe)) {
    breite = hoehe = NaechsteKante(breite, hoehe);
    if (breite > groessteKante) {
      bild = std::move(alt);
      platz = std::move(altPlatz);
      for (const Neuplatzierung& n : liste) SetzeEintrag(n.index, n.alt);
      return MeldeKantenGrenze(groessteKante);
    }
  }
  BildGeaendert();
  return true;
}

bool Zarvo_GfxAtlas::SetzeGroesse(uint64_t kante) {
  if (kante == bild.Breite() && kante == bild.Hoehe()) return true;
  if (kante == 0) {
    bild = Zarvo_Bild();
    platz.SetGroesse(0, 0, 0);
    platz.Leeren();
    BildGeaendert();
    return true;
  }
  return PlatziereAlleNeu(kante, kante);
}

void Zarvo_GfxAtlas::Aufraeumen() {
  if (flags & FLAG_NUR_VIDEORAM)
    SchreibePruefZeile("Kein Zugriff auf Bildinhalt, weil nur im VideoRAM", "Zarvo_GfxAtlas::Aufraeumen",
                       QuellPfad(__FILE__), ZEILE_NUR_VIDEORAM);
  PlatziereAlleNeu(bild.Breite(), bild.Hoehe());
}

bool Zarvo_GfxAtlas::LadeAusSpeicher(TSpeicher& speicher) {
  const uint64_t start = speicher.Position();
  if (speicher.Rest() >= 8 && (speicher.LiesU32BE() != KENNUNG_BLOCK || speicher.LiesU32BE() != KENNUNG_ATLAS)) {
    speicher.SetzePosition(start);
    return false;
  }
  AtlasBlock block;
  block.flags = flags;
  const char* grund = speicher.Position() == start ? "Kennung abgeschnitten" : LiesBlock(speicher, block);
  if (grund) {
    g_Log.Schreibe("!Zarvo_GfxAtlas::LadeAusSpeicher(): Atlasblock beschädigt: %s", grund);
    speicher.SetzePosition(start);
    return false;
  }
  flags = block.flags;
  eintraege = std::move(block.eintraege);
  lebend = std::move(block.lebend);
  platz = std::move(block.platz);
  platz.SetGroesse(block.breite, block.hoehe, 0);
  bild = std::move(block.bild);
  if (platz.Belegt().empty())
    for (const Neuplatzierung& n : LebendeEintraege()) platz.FuegeBelegtHinzu({n.alt.x, n.alt.y, n.alt.w, n.alt.h});
  BildGeaendert();
  return true;
}

#include "TPlatz.h"

#include <algorithm>

#include "TSegmentLeser.h"
#include "TSpeicher.h"
#include "Zarvo_Ausnahme.h"

namespace {

constexpr uint64_t RECHTECK_BYTES = 16;
constexpr uint64_t SEGMENT_KOPF = 16;  // id, version, u64 length
constexpr uint64_t END_MARKE = 4;
constexpr int ZEILE_UNBEKANNT_FREI = 94;

// Reads `anzahl` records of four u32; the caller has checked that they fit.
void LiesRechtecke(TSpeicher& speicher, uint64_t anzahl, std::vector<TRechteck>& ziel) {
  ziel.reserve(ziel.size() + anzahl);
  for (uint64_t i = 0; i < anzahl; ++i) {
    TRechteck r;
    r.x = speicher.LiesU32BE();
    r.y = speicher.LiesU32BE();
    r.w = speicher.LiesU32BE();
    r.h = speicher.LiesU32BE();
    ziel.push_back(r);
  }
}

// A count and its records, all before `grenze`.
bool LiesListe(TSpeicher& speicher, uint64_t grenze, std::vector<TRechteck>& ziel) {
  if (speicher.Position() + 4 > grenze) return false;
  const uint64_t anzahl = speicher.LiesU32BE();
  if (anzahl > (grenze - speicher.Position()) / RECHTECK_BYTES) return false;
  LiesRechtecke(speicher, anzahl, ziel);
  return true;
}

// The segment's recorded end when its head and length fit the data, else 0.
uint64_t PruefeSegmentKopf(const TSpeicher& speicher) {
  if (speicher.Rest() < SEGMENT_KOPF) return 0;
  const uint8_t* p = speicher.Daten() + speicher.Position();
  uint32_t version = uint32_t(p[4]) << 24 | uint32_t(p[5]) << 16 | uint32_t(p[6]) << 8 | p[7];
  if (!(version & 0x80000000u)) return 0;
  uint64_t laenge = 0;
  for (int i = 8; i < 16; ++i) laenge = laenge << 8 | p[i];
  const uint64_t verfuegbar = speicher.Rest() - 8;
  if (laenge < SEGMENT_KOPF - 8 + END_MARKE || laenge > verfuegbar) return 0;
  return speicher.Position() + 8 + laenge;
}

}  // namespace

void TPlatz::SetGroesse(uint64_t breite_, uint64_t hoehe_, uint64_t erwarteteAnzahl) {
  if (breite_ != breite || hoehe_ != hoehe) indexAktuell = false;
  breite = breite_;
  hoehe = hoehe_;
  if (erwarteteAnzahl > belegt.capacity()) {
    belegt.reserve(erwarteteAnzahl);
    frei.reserve(erwarteteAnzahl);
  }
}

void TPlatz::Leeren() {
  belegt.clear();
  frei.clear();
  indexAktuell = false;
}

void TPlatz::FuegeBelegtHinzu(const TRechteck& r) {
  belegt.push_back(r);
  if (indexAktuell) belegtIndex.Fuege(r);
}

TRechteckRaster& TPlatz::BelegtIndex() {
  if (!indexAktuell) {
    belegtIndex.RichteEin(breite, hoehe);
    for (const TRechteck& r : belegt) belegtIndex.Fuege(r);
    indexAktuell = true;
  }
  return belegtIndex;
}

bool TPlatz::LiegtInFlaeche(const TRechteck& kandidat) const {
  return kandidat.x <= breite && kandidat.w <= breite - kandidat.x && kandidat.y <= hoehe &&
         kandidat.h <= hoehe - kandidat.y;
}

// The first free rectangle in list order whose corner takes the request without overlapping a
// placed one, among those of the lowest y. A free rectangle not below the best so far cannot win
// and is passed without a test; once the best lies at y 0 nothing later can win.
bool TPlatz::HolePlatz(uint64_t w, uint64_t h, uint64_t& x, uint64_t& y) {
  if (frei.empty() && belegt.empty()) frei.push_back({0, 0, breite, hoehe});
  const TRechteckRaster& index = BelegtIndex();
  uint64_t bestes = hoehe;
  for (const TRechteck& f : frei) {
    if (f.y >= bestes) continue;
    const TRechteck kandidat{f.x, f.y, w, h};
    if (!LiegtInFlaeche(kandidat) || index.Ueberlappt(kandidat)) continue;
    bestes = f.y;
    x = f.x;
    y = f.y;
    if (bestes == 0) break;
  }
  if (bestes >= hoehe) return false;
  const TRechteck r{x, y, w, h};
  // A rectangle of zero width or height takes no room. Splitting around it would cut free
  // rectangles into pieces that merge back into one the rectangle still "overlaps" (a zero-width
  // line inside it), and the walk would never end.
  if (w != 0 && h != 0) TeileFreieListe(r);
  belegt.push_back(r);
  belegtIndex.Fuege(r);
  return true;
}

void TPlatz::TeileFreieListe(const TRechteck& r) {
  size_t i = 0;
  while (i < frei.size()) {
    const TRechteck f = frei[i];
    if (!Ueberlappen(f, r)) {
      ++i;
      continue;
    }
    frei.erase(frei.begin() + ptrdiff_t(i));
    const uint64_t oben = std::max(f.y, r.y);
    const uint64_t unten = std::min(f.y + f.h, r.y + r.h);
    if (f.y < r.y) FuegeFreiHinzu({f.x, f.y, f.w, r.y - f.y});
    if (f.x < r.x) FuegeFreiHinzu({f.x, oben, r.x - f.x, unten - oben});
    if (f.x + f.w > r.x + r.w) FuegeFreiHinzu({r.x + r.w, oben, (f.x + f.w) - (r.x + r.w), unten - oben});
    if (f.y + f.h > r.y + r.h) FuegeFreiHinzu({f.x, r.y + r.h, f.w, (f.y + f.h) - (r.y + r.h)});
  }
}

void TPlatz::FuegeFreiHinzu(const TRechteck& p) {
  for (TRechteck& g : frei) {
    if (g.x == p.x && g.w == p.w && g.y == p.y + p.h) {
      g.y -= p.h;
      g.h += p.h;
      return;
    }
    if (g.x == p.x && g.w == p.w && g.y + g.h == p.y) {
      g.h += p.h;
      return;
    }
    if (g.y == p.y && g.h == p.h && g.x == p.x + p.w) {
      g.x -= p.w;
      g.w += p.w;
      return;
    }
    if (g.y == p.y && g.h == p.h && g.x + g.w == p.x) {
      g.w += p.w;
      return;
    }
  }
  frei.push_back(p);
}

void TPlatz::GibPlatzFrei(uint64_t x, uint64_t y) {
  for (size_t i = 0; i < belegt.size(); ++i) {
    if (belegt[i].x != x || belegt[i].y != y) continue;
    FuegeFreiHinzu(belegt[i]);
    if (indexAktuell) belegtIndex.Entferne(belegt[i]);
    belegt.erase(belegt.begin() + ptrdiff_t(i));
    return;
  }
  SchreibePruefZeile("Segment nicht in Platzverwaltung gefunden", "TPlatz::GibPlatzFrei", QuellPfad(__FILE__),
                     ZEILE_UNBEKANNT_FREI);
}

bool TPlatz::Lade(TSpeicher& speicher, const char** grund) {
  const char* fehler = nullptr;
  if (!grund) grund = &fehler;
  if (speicher.Rest() < 4) {
    *grund = "Platzverwaltung abgeschnitten";
    return false;
  }
  TPlatz neu(breite, hoehe);
  const uint32_t erstes = speicher.LiesU32BE();
  speicher.VerschiebePosition(-4);
  if (erstes == KENNUNG) {
    const uint64_t ende = PruefeSegmentKopf(speicher);
    if (ende == 0) {
      *grund = "Segment PLTZ abgeschnitten";
      return false;
    }
    const uint64_t start = speicher.Position();
    TSegmentLeser leser(speicher, KENNUNG, HOECHSTE_VERSION);
    const uint64_t grenze = ende - END_MARKE;
    bool ok = true;
    if (leser.Version() >= 258) {
      ok = speicher.Position() + 8 <= grenze;
      if (ok) {
        neu.breite = speicher.LiesU32BE();
        neu.hoehe = speicher.LiesU32BE();
      }
    }
    ok = ok && LiesListe(speicher, grenze, neu.belegt) && LiesListe(speicher, grenze, neu.frei);
    if (!ok) {
      leser.Beende();
      *grund = "Rechtecke der Platzverwaltung abgeschnitten";
      speicher.SetzePosition(start);
      return false;
    }
    leser.Beende();
  } else {
    const uint64_t start = speicher.Position();
    if (speicher.Rest() < 8) {
      *grund = "Platzverwaltung abgeschnitten";
      return false;
    }
    speicher.LiesU32BE();
    if (!LiesListe(speicher, speicher.Groesse(), neu.frei)) {
      speicher.SetzePosition(start);
      *grund = "Rechtecke der Platzverwaltung abgeschnitten";
      return false;
    }
  }
  *this = std::move(neu);
  return true;
}

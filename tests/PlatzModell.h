#pragma once
// The rectangle packer as first written, kept as the model the indexed TPlatz must match: every
// candidate tested against every placed rectangle, every free-list change by a walk over the list.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "TRechteck.h"

struct PlatzModell {
  uint64_t breite = 0;
  uint64_t hoehe = 0;
  std::vector<TRechteck> belegt;
  std::vector<TRechteck> frei;

  bool PasstOhneUeberlappung(const TRechteck& kandidat) const {
    if (kandidat.x > breite || kandidat.w > breite - kandidat.x) return false;
    if (kandidat.y > hoehe || kandidat.h > hoehe - kandidat.y) return false;
    for (const TRechteck& b : belegt)
      if (Ueberlappen(kandidat, b)) return false;
    return true;
  }

  bool HolePlatz(uint64_t w, uint64_t h, uint64_t& x, uint64_t& y) {
    if (frei.empty() && belegt.empty()) frei.push_back({0, 0, breite, hoehe});
    uint64_t bestes = hoehe;
    for (const TRechteck& f : frei) {
      const TRechteck kandidat{f.x, f.y, w, h};
      if (f.y < bestes && PasstOhneUeberlappung(kandidat)) {
        bestes = f.y;
        x = f.x;
        y = f.y;
      }
    }
    if (bestes >= hoehe) return false;
    const TRechteck r{x, y, w, h};
    TeileFreieListe(r);
    belegt.push_back(r);
    return true;
  }

  void TeileFreieListe(const TRechteck& r) {
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

  void FuegeFreiHinzu(const TRechteck& p) {
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

  // False when no placed rectangle starts at (x, y).
  bool GibPlatzFrei(uint64_t x, uint64_t y) {
    for (size_t i = 0; i < belegt.size(); ++i) {
      if (belegt[i].x != x || belegt[i].y != y) continue;
      FuegeFreiHinzu(belegt[i]);
      belegt.erase(belegt.begin() + ptrdiff_t(i));
      return true;
    }
    return false;
  }
};

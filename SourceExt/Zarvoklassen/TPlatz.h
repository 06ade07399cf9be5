#pragma once
// Hands out axis-aligned rectangles of a fixed area and takes them back. Two lists: the placed
// rectangles in the order they were handed out, and the free rectangles. Placing cuts every free
// rectangle it touches into up to four disjoint pieces, so free rectangles never overlap each
// other nor a placed one. The lowest free y wins; among equal y the first free rectangle.
//
// The overlap test of a candidate against the placed rectangles goes through an index over them
// (TRechteckRaster), built when first needed and kept in step with the placed list.
#include <cstdint>
#include <vector>

#include "TRechteck.h"
#include "TRechteckRaster.h"

class TSpeicher;

class TPlatz {
 public:
  static constexpr uint32_t KENNUNG = 0x504C545A;  // "PLTZ"
  static constexpr uint32_t HOECHSTE_VERSION = 258;

  TPlatz() = default;
  TPlatz(uint64_t breite, uint64_t hoehe) : breite(breite), hoehe(hoehe) {}

  // Sets the area; reserves both lists when the expected count exceeds the placed capacity.
  // The lists are not emptied.
  void SetGroesse(uint64_t breite, uint64_t hoehe, uint64_t erwarteteAnzahl);
  void Leeren();
  // False when no w x h rectangle fits (x and y are then undefined).
  bool HolePlatz(uint64_t w, uint64_t h, uint64_t& x, uint64_t& y);
  // Returns the placed rectangle starting at (x, y) to the free list.
  void GibPlatzFrei(uint64_t x, uint64_t y);
  // Replaces both lists (from version 258 also the area) with a stored block: a "PLTZ" segment or
  // the older layout of free rectangles only. A block whose records do not fit the data is
  // refused: false, nothing changes, `grund` names the fault.
  bool Lade(TSpeicher& speicher, const char** grund = nullptr);

  // Appends a placed rectangle as it is, without touching the free list.
  void FuegeBelegtHinzu(const TRechteck& r);

  uint64_t Breite() const { return breite; }
  uint64_t Hoehe() const { return hoehe; }
  const std::vector<TRechteck>& Belegt() const { return belegt; }
  const std::vector<TRechteck>& Frei() const { return frei; }

 private:
  bool LiegtInFlaeche(const TRechteck& kandidat) const;
  // The index over `belegt` for the current area, rebuilt when it is out of date.
  TRechteckRaster& BelegtIndex();
  void TeileFreieListe(const TRechteck& r);
  void FuegeFreiHinzu(const TRechteck& p);

  uint64_t breite = 0;
  uint64_t hoehe = 0;
  std::vector<TRechteck> belegt;
  std::vector<TRechteck> frei;
  TRechteckRaster belegtIndex;
  bool indexAktuell = false;
};

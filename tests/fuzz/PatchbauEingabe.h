#pragma once
// The input of fuzz_patchbau, shared with its seed program: a kind byte (face, gate, lever,
// button, tree), a level byte (1 or 2 by its low bit), then the payload's words as raw
// little-endian 32-bit patterns (floats as their bits; the tree's seed as two words). A face is
// followed by a count byte (at most 6 neighbours) and per neighbour a kind byte (plate, lever,
// button, mosaic), its box (centre, half extents) and its payload. Missing bytes read as 0.
#include <cstdint>
#include <cstring>
#include <vector>

#include "EingabeLeser.h"

namespace patchbaueingabe {

enum Art : uint8_t { FLAECHE, GITTER, HEBEL, KNOPF, BAUM, ARTEN };
enum Nachbar : uint8_t { PLATTE, NACHBAR_HEBEL, NACHBAR_KNOPF, MOSAIK, NACHBARN_ARTEN };
constexpr uint32_t MAX_NACHBARN = 6;

// Payload words per kind.
constexpr uint32_t WORTE[ARTEN] = {13, 9, 12, 7, 9};
constexpr uint32_t NACHBAR_WORTE[NACHBARN_ARTEN] = {3, 12, 7, 15};

using Leser = EingabeLeser;

class Schreiber {
 public:
  Schreiber& Byte(uint8_t b) {
    bytes.push_back(b);
    return *this;
  }
  Schreiber& Wort(uint32_t w) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(w >> (8 * i)));
    return *this;
  }
  Schreiber& Float(float f) {
    uint32_t w;
    std::memcpy(&w, &f, 4);
    return Wort(w);
  }
  Schreiber& Floats(std::initializer_list<float> fs) {
    for (float f : fs) Float(f);
    return *this;
  }
  std::vector<uint8_t> bytes;
};

}  // namespace patchbaueingabe

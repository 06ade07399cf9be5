#pragma once
// The input format of fuzz_szene_objekte, shared with its seed program. Missing bytes read as 0.
//  - the map: X, Y, Z (one byte each, 1 + b % 8), then X·Y·Z cell types (b % 24, so that types
//    above 18 occur), y outermost, then z, then x; the face values come from BaueBlockGeometrie;
//  - the objects: a count (b % 65), then per object a type byte (b % 10) and 19 raw f32 bit
//    patterns, little endian: x, y, z and the 16 argument components;
//  - a script of operations, each an opcode byte (b % OP_ANZAHL) and its operands.
#include <cstdint>
#include <cstring>
#include <vector>

namespace szenenskript {

constexpr uint32_t MAX_KANTE = 8, MAX_OBJEKTE = 64, ZELLTYPEN = 24, OBJEKTTYPEN = 10;
constexpr float BILD_SEKUNDEN = 0.1f;  // a frame byte of 255
inline const float GESCHWINDIGKEITEN[4] = {0.5f, 1.0f, 2.0f, 4.0f};

enum Op : uint8_t {
  AN,        // a trigger: selector (its high bit: the trigger of that index modulo their count), else x, y, z
  AUS,       // the same, released
  SCHALTER,  // button index, a signed byte
  HEBEL,     // lever index, target (bit 0), speed (an index into GESCHWINDIGKEITEN), as player control plans it
  GITTER,    // x, y, z, target, speed: a gate animation under owner 1
  WURF,      // definition, position (three bytes: b / 256 of each edge), velocity (three raw f32), moving (bit 0)
  NEUBAU,    // bit 0: the block patches first; then the rebuild from objects
  BILD,      // ticks: b / 255 of 0.1 s
  NIMM,      // item slot (b % 80), bit 7 of the next byte: release its trigger first, as player control does
  ZELLE,     // x, y, z, type: the cell changes, its faces and the neighbours' are recomputed and requested
  ABBRUCH,   // a plate, lever or switch owner: kind (b % 3), index or cell byte
  OP_ANZAHL
};

class Schreiber {
 public:
  std::vector<uint8_t> bytes;

  Schreiber& Karte(uint8_t x, uint8_t y, uint8_t z, const std::vector<uint8_t>& typen) {
    Haenge({uint8_t(x - 1), uint8_t(y - 1), uint8_t(z - 1)});
    const size_t ende = bytes.size() + size_t(x) * y * z;
    bytes.insert(bytes.end(), typen.begin(), typen.end());
    bytes.resize(ende, 0);
    return *this;
  }
  Schreiber& Objekte(uint8_t anzahl) { return Haenge({anzahl}); }
  Schreiber& Objekt(uint8_t typ, const float (&werte)[19]) {
    Haenge({typ});
    for (float w : werte) F32(w);
    return *this;
  }
  Schreiber& An(uint8_t wahl, uint8_t x = 0, uint8_t y = 0, uint8_t z = 0) { return Haenge({AN, wahl, x, y, z}); }
  Schreiber& Aus(uint8_t wahl, uint8_t x = 0, uint8_t y = 0, uint8_t z = 0) { return Haenge({AUS, wahl, x, y, z}); }
  Schreiber& Schalter(int8_t knopf) { return Haenge({SCHALTER, uint8_t(knopf)}); }
  Schreiber& Hebel(uint8_t index, uint8_t ziel, uint8_t tempo) { return Haenge({HEBEL, index, ziel, tempo}); }
  Schreiber& Gitter(uint8_t x, uint8_t y, uint8_t z, uint8_t ziel, uint8_t tempo) { return Haenge({GITTER, x, y, z, ziel, tempo}); }
  Schreiber& Wurf(uint8_t def, uint8_t x, uint8_t y, uint8_t z, float vx, float vy, float vz, bool bewegt) {
    Haenge({WURF, def, x, y, z});
    F32(vx);
    F32(vy);
    F32(vz);
    return Haenge({uint8_t(bewegt ? 1 : 0)});
  }
  Schreiber& Neubau(bool mitFlaechen) { return Haenge({NEUBAU, uint8_t(mitFlaechen ? 1 : 0)}); }
  Schreiber& Bild(uint8_t ticks) { return Haenge({BILD, ticks}); }
  Schreiber& Bilder(int n, uint8_t ticks = 40) {
    for (int i = 0; i < n; ++i) Bild(ticks);
    return *this;
  }
  Schreiber& Nimm(uint8_t slot, bool loslassen) { return Haenge({NIMM, slot, uint8_t(loslassen ? 0x80 : 0)}); }
  Schreiber& Zelle(uint8_t x, uint8_t y, uint8_t z, uint8_t typ) { return Haenge({ZELLE, x, y, z, typ}); }
  Schreiber& Abbruch(uint8_t art, uint8_t wert) { return Haenge({ABBRUCH, art, wert}); }

 private:
  Schreiber& Haenge(std::initializer_list<uint8_t> b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
  }
  void F32(float w) {
    uint32_t u;
    std::memcpy(&u, &w, 4);
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(u >> (8 * i)));
  }
};

}  // namespace szenenskript

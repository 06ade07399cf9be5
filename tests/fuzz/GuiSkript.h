#pragma once
// The input format of fuzz_gui, shared with its seed program: a header of style choices, then a
// script of operations on a fixed widget tree, each an opcode byte and its operands. Missing
// bytes read as 0.
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace guiskript {

// Header: one byte each for these style values (an index into STIL_WERTE), then one for the GUI
// scale (the same table).
inline const char* const STIL_SCHLUESSEL[] = {"button.groesse.x", "button.groesse.y", "text.groesse.y",
                                              "eingabe.groesse.x", "elmAbstand.x", "elmAbstand.y"};
constexpr size_t STIL_ANZAHL = sizeof(STIL_SCHLUESSEL) / sizeof(STIL_SCHLUESSEL[0]);
inline const float STIL_WERTE[] = {100, 40, 8, 0, -20, 0.5f, 1e30f, -1e30f, std::numeric_limits<float>::max(),
                                   std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                                   std::numeric_limits<float>::quiet_NaN(), 220, 44, 1e-30f, 1};
constexpr size_t STIL_WERT_ANZAHL = sizeof(STIL_WERTE) / sizeof(STIL_WERTE[0]);

enum Op : uint8_t {
  TASTE,      // code (2 bytes, little endian, modulo 301), state (1 byte)
  ZEICHEN,    // selector: an index into ZEICHEN_TABELLE, else 4 raw bytes follow
  MAUS,       // x, y (1 byte each: x * 4, y * 3; 255 is NaN)
  SCHRITT,    // an index into the steps below
  TEXT,       // target (0 the text line, 1 the number field's line), length (modulo 16), bytes
  SEITE_NEU,  // the modal page destroyed (if it lives) and built again
  FOKUS,      // an index into the named widgets below (others: none)
  BILD,       // one frame drawn
  OP_ANZAHL
};

inline const uint32_t ZEICHEN_TABELLE[] = {0, 31, 127, 0xD800, 0xDFFF, 0x110000, 0xFFFFFFFF, 'a', '5', '-', '.', ' ',
                                           0xE9, 0x20AC, 0x1F600};
constexpr size_t ZEICHEN_ANZAHL = sizeof(ZEICHEN_TABELLE) / sizeof(ZEICHEN_TABELLE[0]);

// 0, one tick, 0.1 s, 0.5 s, 2 s.
constexpr size_t SCHRITT_ANZAHL = 5;

// FOKUS targets.
enum Ziel : uint8_t { ZEILE, ZAHL_ZEILE, OK, WEG, Q, W, E, HINWEIS_TRAEGER, ZIEL_ANZAHL };

// The hotkeys of the tree: OK 266 (Escape), Q 16, W 17, E 18.
constexpr uint64_t TASTE_Q = 16, TASTE_W = 17, TASTE_E = 18;

class Schreiber {
 public:
  explicit Schreiber(std::vector<uint8_t> stil = std::vector<uint8_t>(STIL_ANZAHL + 1, 0)) : bytes(std::move(stil)) {}
  Schreiber& Taste(uint64_t code, uint8_t zustand) { return Nimm({TASTE, uint8_t(code), uint8_t(code >> 8), zustand}); }
  Schreiber& Druck(uint64_t code) { return Taste(code, 1).Taste(code, 4); }
  Schreiber& Zeichen(uint8_t auswahl) { return Nimm({ZEICHEN, auswahl}); }
  Schreiber& Text(const std::string& text, uint8_t ziel = ZEILE) {
    Nimm({TEXT, ziel, uint8_t(text.size())});
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  Schreiber& Maus(uint8_t x, uint8_t y) { return Nimm({MAUS, x, y}); }
  Schreiber& Schritt(uint8_t index) { return Nimm({SCHRITT, index}); }
  Schreiber& SeiteNeu() { return Nimm({SEITE_NEU}); }
  Schreiber& Fokus(uint8_t ziel) { return Nimm({FOKUS, ziel}); }
  Schreiber& Bild() { return Nimm({BILD}); }

  std::vector<uint8_t> bytes;

 private:
  Schreiber& Nimm(std::initializer_list<uint8_t> neu) {
    bytes.insert(bytes.end(), neu);
    return *this;
  }
};

}  // namespace guiskript

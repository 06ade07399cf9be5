#pragma once
// The level's persistent content: a box of block cells in horizontal layers (y up, layer 0 the
// floor) and the list of placed objects. Every cell holds its block type and six face values
// (-X, +X, +Z, -Z, -Y, +Y): the own type where that face is drawn, else 0. The face values are
// derived from the neighbours by BerechneFlaechen, but stored and saved with the cell.
//
// Saved as the map segment "KRTE" (version 257): X, Y, Z and the cells little-endian, then
// "VCTR", the object count and the object records big-endian.
#include <bit>
#include <cstdint>
#include <vector>

class TSpeicher;

class Karte {
 public:
  enum BlockTyp : uint32_t {
    Leer = 0,
    Fels = 1,
    Mauer = 2,
    FelsTreppe1L = 3,
    FelsTreppe1R = 4,
    FelsTreppe1V = 5,
    FelsTreppe1H = 6,
    FelsTreppe2L = 7,
    FelsTreppe2R = 8,
    FelsTreppe2V = 9,
    FelsTreppe2H = 10,
    MauerTreppe1L = 11,
    MauerTreppe1R = 12,
    MauerTreppe1V = 13,
    MauerTreppe1H = 14,
    MauerTreppe2L = 15,
    MauerTreppe2R = 16,
    MauerTreppe2V = 17,
    MauerTreppe2H = 18,
  };
  static constexpr uint32_t ANZAHL_BLOCKTYPEN = 19;

  // Face order of a cell; also the game's direction index.
  enum Flaeche : uint32_t { MinusX = 0, PlusX = 1, PlusZ = 2, MinusZ = 3, MinusY = 4, PlusY = 5 };

  struct Zelle {
    uint32_t typ = 0;
    uint32_t flaechen[6] = {};
    bool operator==(const Zelle&) const = default;
  };
  static_assert(sizeof(Zelle) == 28);

  struct Schicht {
    uint64_t X = 0, Z = 0;
    std::vector<Zelle> zellen;  // cell (x, z) is zellen[z * X + x]
    bool operator==(const Schicht&) const = default;
  };

  struct Objekt {
    uint32_t typ = 0;  // row of ObjektTypen
    float x = 0, y = 0, z = 0;
    float args[4][4] = {};

    // The 92-byte record; SchreibeArgumente its part from "ARAY" on.
    void Schreibe(TSpeicher& speicher) const;
    void SchreibeArgumente(TSpeicher& speicher) const;
    // From "ARAY" on; 0 < n < 4 vectors keep the others. False (and the read-error flag) when the
    // count needs more bytes than are left; then nothing is read.
    bool LiesArgumente(TSpeicher& speicher);
  };

  struct ObjektTyp {
    struct Argument {
      const char* name;
      uint64_t komponenten;
    };
    const char* name;
    float schritt;
    float versatz[3];
    Argument argumente[4];
  };
  static constexpr uint32_t ANZAHL_OBJEKTTYPEN = 9;
  static const ObjektTyp ObjektTypen[ANZAHL_OBJEKTTYPEN];
  // The row of an object type; a type above 8 (read from a file unchecked) gets the fixed row
  // {"Unbekannt", step 0, offset 0, no arguments}, which leaves its position unsnapped.
  static const ObjektTyp& ObjektTypVon(uint32_t typ);

  // Dimension limits of a readable map (the patch key packs x and z in 10 bits, y in 9).
  static constexpr uint32_t MAX_X = 1024, MAX_Y = 512, MAX_Z = 1024;
  static constexpr uint32_t VERSION = 257;

  std::vector<Schicht> schichten;
  uint32_t X = 0, Y = 0, Z = 0;
  std::vector<Objekt> objekte;

  // Name of a type ("Unbekannt" above 18); the stair names keep their trailing comma.
  static const char* BlockTypName(uint32_t typ);
  // Shape of a type: 0 empty, 1 full block, 2..9 the stairs; above 18 empty.
  static uint32_t Form(uint32_t typ);
  static bool FlaecheSichtbar(uint32_t eigenerTyp, uint32_t flaeche, uint32_t nachbarTyp);

  // Replaces the grid by X x Y x Z empty cells; the objects stay.
  void SetzeGroesse(uint32_t x, uint32_t y, uint32_t z);
  bool Enthaelt(int64_t x, int64_t y, int64_t z) const;
  Zelle& ZelleBei(uint32_t x, uint32_t y, uint32_t z);
  const Zelle& ZelleBei(uint32_t x, uint32_t y, uint32_t z) const;

  void BerechneFlaechen(uint32_t x, uint32_t y, uint32_t z);
  void BaueBlockGeometrie();
  // The map of a new scene: 64 x 16 x 32, a rock floor and up to 60 rock blocks on it.
  void BaueStandardKarte();

  void Schreibe(TSpeicher& speicher) const;
  // The map segment as Schreibe writes it, in pieces for a writer that sends the cells on by
  // itself: the length its head states (from the length field to the end marker), the head with
  // the dimensions, the cells of every layer (ZellenBytes of them) and the objects with the end
  // marker.
  uint64_t SegmentLaenge() const;
  uint64_t ZellenBytes() const;
  void SchreibeKopf(TSpeicher& speicher) const;
  template <class Nimm>
  void GibZellenBytes(Nimm&& nimm) const;
  void SchreibeObjekteUndEnde(TSpeicher& speicher) const;
  // False, with one error line, when the data are damaged; the map is then unchanged.
  bool Lies(TSpeicher& speicher);
  bool LiesObjekte(TSpeicher& speicher);

 private:
  static bool LiesObjektListe(TSpeicher& speicher, std::vector<Objekt>& liste);
  static std::vector<uint8_t> ZellenAlsLE(const std::vector<Zelle>& zellen);
  void UebernimmZellen(const uint8_t* quelle, uint32_t x, uint32_t y, uint32_t z);
};

// Hands the cells of each layer in file order to nimm(const uint8_t* bytes, uint64_t anzahl):
// on a little-endian machine straight from the layer's storage, else as a converted copy.
template <class Nimm>
void Karte::GibZellenBytes(Nimm&& nimm) const {
  for (const Schicht& schicht : schichten) {
    if constexpr (std::endian::native == std::endian::little) {
      nimm(reinterpret_cast<const uint8_t*>(schicht.zellen.data()), uint64_t(schicht.zellen.size()) * sizeof(Zelle));
    } else {
      const std::vector<uint8_t> bytes = ZellenAlsLE(schicht.zellen);
      nimm(bytes.data(), uint64_t(bytes.size()));
    }
  }
}

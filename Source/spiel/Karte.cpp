#include "Karte.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>

#include "Plattform/system/Zufall.h"
#include "TSegmentLeser.h"
#include "TSegmentSchreiber.h"
#include "TSpeicher.h"
#include "Zarvo_Start.h"

namespace {

constexpr uint32_t KENNUNG_KRTE = VierZeichen("KRTE");
constexpr uint32_t KENNUNG_VCTR = VierZeichen("VCTR");
constexpr uint32_t KENNUNG_ARAY = VierZeichen("ARAY");
constexpr uint64_t ZELLEN_BYTES = sizeof(Karte::Zelle);
constexpr uint64_t KLEINSTER_DATENSATZ = 28;  // type, position, "ARAY", count
constexpr uint64_t VEKTOR_BYTES = 16;
constexpr uint64_t OBJEKT_BYTES = 92;  // type, position, "ARAY", count, four vectors

const char* const BLOCK_NAMEN[Karte::ANZAHL_BLOCKTYPEN] = {
    "Leer",           "Fels",           "Mauer",          "FelsTreppe1L,",  "FelsTreppe1R,",
    "FelsTreppe1V,",  "FelsTreppe1H,",  "FelsTreppe2L,",  "FelsTreppe2R,",  "FelsTreppe2V,",
    "FelsTreppe2H,",  "MauerTreppe1L,", "MauerTreppe1R,", "MauerTreppe1V,", "MauerTreppe1H,",
    "MauerTreppe2L,", "MauerTreppe2R,", "MauerTreppe2V,", "MauerTreppe2H,",
};

// Row: own shape, column: neighbour shape; bit f: face f is drawn against that neighbour.
constexpr uint8_t SICHTBARKEIT[10][10] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x3f, 0x00, 0x3f, 0x3f, 0x3f, 0x3f, 0x1d, 0x1e, 0x17, 0x1b},
    {0x3d, 0x20, 0x31, 0x3c, 0x39, 0x39, 0x30, 0x30, 0x30, 0x30},
    {0x3e, 0x20, 0x30, 0x32, 0x36, 0x3a, 0x30, 0x30, 0x30, 0x30},
    {0x37, 0x20, 0x35, 0x36, 0x34, 0x33, 0x30, 0x30, 0x30, 0x30},
    {0x3b, 0x20, 0x39, 0x3a, 0x33, 0x38, 0x30, 0x30, 0x30, 0x30},
    {0x3f, 0x20, 0x3d, 0x3f, 0x3f, 0x3f, 0x31, 0x3c, 0x35, 0x39},
    {0x3f, 0x20, 0x3f, 0x3d, 0x3f, 0x3f, 0x3c, 0x32, 0x36, 0x3a},
    {0x3f, 0x20, 0x3f, 0x3f, 0x37, 0x3f, 0x35, 0x36, 0x34, 0x33},
    {0x3f, 0x20, 0x3f, 0x3f, 0x3f, 0x3b, 0x39, 0x3a, 0x33, 0x38},
};

void SchreibeF32(TSpeicher& speicher, float wert) { speicher.SchreibeU32(std::bit_cast<uint32_t>(wert)); }

// Dimensions and cells are little-endian in the file, whatever the machine.
void SchreibeU32LE(TSpeicher& speicher, uint32_t wert) {
  const uint8_t bytes[4] = {uint8_t(wert), uint8_t(wert >> 8), uint8_t(wert >> 16), uint8_t(wert >> 24)};
  speicher.SchreibeMem(bytes, 4);
}

uint32_t LiesU32LE(TSpeicher& speicher) {
  uint8_t b[4];
  speicher.LiesMem(b, 4);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void SchreibeLE32(uint8_t* ziel, uint32_t wert) {
  for (int i = 0; i < 4; ++i) ziel[i] = uint8_t(wert >> (8 * i));
}

Karte::Zelle LiesZelleLE(const uint8_t* quelle) {
  Karte::Zelle zelle;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&zelle, quelle, ZELLEN_BYTES);
  } else {
    uint32_t* worte = &zelle.typ;
    for (int i = 0; i < 7; ++i, quelle += 4)
      worte[i] = uint32_t(quelle[0]) | uint32_t(quelle[1]) << 8 | uint32_t(quelle[2]) << 16 | uint32_t(quelle[3]) << 24;
  }
  return zelle;
}

void KopiereZellenLE(std::vector<Karte::Zelle>& zellen, const uint8_t* quelle) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(zellen.data(), quelle, zellen.size() * ZELLEN_BYTES);
  } else {
    for (Karte::Zelle& zelle : zellen) {
      zelle = LiesZelleLE(quelle);
      quelle += ZELLEN_BYTES;
    }
  }
}

// Walks stored cells as Zelle values, so that a layer's vector is built from the bytes in one
// pass (without zero-filling it first).
class ZellenLeser {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = Karte::Zelle;
  using difference_type = std::ptrdiff_t;
  using pointer = const Karte::Zelle*;
  using reference = Karte::Zelle;

  explicit ZellenLeser(const uint8_t* ort) : ort(ort) {}
  Karte::Zelle operator*() const { return LiesZelleLE(ort); }
  ZellenLeser& operator++() {
    ort += ZELLEN_BYTES;
    return *this;
  }
  ZellenLeser operator++(int) {
    ZellenLeser vorher = *this;
    ++*this;
    return vorher;
  }
  bool operator==(const ZellenLeser&) const = default;

 private:
  const uint8_t* ort;
};

void MeldeBeschaedigt() { g_Log.Schreibe("!Karte::Lies(): Szenendaten beschädigt, Karte unverändert."); }

bool GroesseGueltig(uint32_t x, uint32_t y, uint32_t z) {
  return x >= 1 && x <= Karte::MAX_X && y >= 1 && y <= Karte::MAX_Y && z >= 1 && z <= Karte::MAX_Z;
}

}  // namespace

const Karte::ObjektTyp Karte::ObjektTypen[ANZAHL_OBJEKTTYPEN] = {
    {"Startpunkt", 1.0f, {0.5f, 0.1f, 0.5f}, {{"Richtung", 1}, {nullptr, 0}, {nullptr, 0}, {nullptr, 0}}},
    {"Druckplatte", 1.0f, {0.5f, 0.0f, 0.5f}, {{nullptr, 0}, {nullptr, 0}, {nullptr, 0}, {nullptr, 0}}},
    {"Hebel", 0.25f, {0, 0, 0}, {{"Richtung X-+Z+-Y-+", 2}, {nullptr, 0}, {nullptr, 0}, {nullptr, 0}}},
    {"Gitter", 1.0f, {0.5f, 0.5f, 0.5f}, {{"Richtung X-+Z+-Y-+", 2}, {nullptr, 0}, {nullptr, 0}, {nullptr, 0}}},
    {"Knopf", 0.125f, {0, 0, 0}, {{"Richtung X-+Z+-Y-+", 1}, {"Groesse", 1}, {nullptr, 0}, {nullptr, 0}}},
    {"Baum", 1.0f, {0.5f, 0.1f, 0.5f}, {{"Startneigung", 2}, {"Seed", 1}, {"Laubmenge dran/drunter", 2}, {nullptr, 0}}},
    {"Mosaik", 0.125f, {0, 0, 0},
     {{"Richtung X-+Z+-Y-+", 2}, {"Größe in Blöcken", 2}, {"Bild-Index", 1}, {nullptr, 0}}},
    {"Licht", 0.25f, {0.125f, 0.125f, 0.125f},
     {{"FarbeRGB", 3}, {"Reichweite L-XYZ", 4}, {"Anim Hell-XYZ", 4}, {nullptr, 0}}},
    {"SzeneGegenstand", 0.5f, {0.25f, 0.25f, 0.25f}, {{"Def-Index", 1}, {nullptr, 0}, {nullptr, 0}, {nullptr, 0}}},
};

const Karte::ObjektTyp& Karte::ObjektTypVon(uint32_t typ) {
  static constexpr ObjektTyp UNBEKANNT{"Unbekannt", 0.0f, {0, 0, 0}, {{nullptr, 0}, {nullptr, 0}, {nullptr, 0}, {nullptr, 0}}};
  return typ < ANZAHL_OBJEKTTYPEN ? ObjektTypen[typ] : UNBEKANNT;
}

const char* Karte::BlockTypName(uint32_t typ) { return typ < ANZAHL_BLOCKTYPEN ? BLOCK_NAMEN[typ] : "Unbekannt"; }

uint32_t Karte::Form(uint32_t typ) {
  if (typ == 0 || typ > MauerTreppe2H) return 0;
  if (typ <= Mauer) return 1;
  return typ <= FelsTreppe2H ? typ - 1 : typ - 9;
}

bool Karte::FlaecheSichtbar(uint32_t eigenerTyp, uint32_t flaeche, uint32_t nachbarTyp) {
  if (flaeche > 5) return false;
  return (SICHTBARKEIT[Form(eigenerTyp)][Form(nachbarTyp)] >> flaeche) & 1;
}

void Karte::SetzeGroesse(uint32_t x, uint32_t y, uint32_t z) {
  schichten.assign(y, Schicht{x, z, std::vector<Zelle>(uint64_t(x) * z)});
  X = x;
  Y = y;
  Z = z;
}

bool Karte::Enthaelt(int64_t x, int64_t y, int64_t z) const {
  return x >= 0 && y >= 0 && z >= 0 && x < int64_t(X) && y < int64_t(Y) && z < int64_t(Z);
}

Karte::Zelle& Karte::ZelleBei(uint32_t x, uint32_t y, uint32_t z) { return schichten[y].zellen[uint64_t(z) * X + x]; }

const Karte::Zelle& Karte::ZelleBei(uint32_t x, uint32_t y, uint32_t z) const {
  return schichten[y].zellen[uint64_t(z) * X + x];
}

void Karte::BerechneFlaechen(uint32_t x, uint32_t y, uint32_t z) {
  Zelle& zelle = ZelleBei(x, y, z);
  if (zelle.typ == 0) {
    std::fill(std::begin(zelle.flaechen), std::end(zelle.flaechen), 0u);
    return;
  }
  struct Nachbar {
    Flaeche flaeche;
    bool vorhanden;
    uint32_t nx, ny, nz;
  };
  // In the order -X, +X, -Y, +Y, -Z, +Z; a face on the border keeps its value.
  const Nachbar nachbarn[6] = {
      {MinusX, x > 0, x - 1, y, z},     {PlusX, x + 1 < X, x + 1, y, z}, {MinusY, y > 0, x, y - 1, z},
      {PlusY, y + 1 < Y, x, y + 1, z},  {MinusZ, z > 0, x, y, z - 1},    {PlusZ, z + 1 < Z, x, y, z + 1},
  };
  for (const Nachbar& n : nachbarn) {
    if (!n.vorhanden) continue;
    const uint32_t nachbarTyp = ZelleBei(n.nx, n.ny, n.nz).typ;
    zelle.flaechen[n.flaeche] = FlaecheSichtbar(zelle.typ, n.flaeche, nachbarTyp) ? zelle.typ : 0;
  }
}

void Karte::BaueBlockGeometrie() {
  for (uint32_t y = 0; y < Y; ++y)
    for (uint32_t z = 0; z < Z; ++z)
      for (uint32_t x = 0; x < X; ++x) BerechneFlaechen(x, y, z);
}

void Karte::BaueStandardKarte() {
  SetzeGroesse(64, 16, 32);
  objekte.clear();
  for (Zelle& zelle : schichten[0].zellen) zelle.typ = Fels;
  constexpr float EINS_DURCH_MAX = 3.0518509e-05f;
  for (int i = 0; i < 60; ++i) {
    const int64_t x = int64_t(std::trunc(float(win32::rand()) * EINS_DURCH_MAX * float(X - 1)));
    const int64_t z = int64_t(std::trunc(float(win32::rand()) * EINS_DURCH_MAX * float(Z - 1)));
    ZelleBei(uint32_t(x), 1, uint32_t(z)).typ = Fels;
  }
  BaueBlockGeometrie();
}

void Karte::Objekt::Schreibe(TSpeicher& speicher) const {
  speicher.SchreibeU32(typ);
  SchreibeF32(speicher, x);
  SchreibeF32(speicher, y);
  SchreibeF32(speicher, z);
  SchreibeArgumente(speicher);
}

void Karte::Objekt::SchreibeArgumente(TSpeicher& speicher) const {
  speicher.SchreibeU32(KENNUNG_ARAY);
  speicher.SchreibeU64(4);
  for (const auto& vektor : args)
    for (float wert : vektor) SchreibeF32(speicher, wert);
}

bool Karte::Objekt::LiesArgumente(TSpeicher& speicher) {
  speicher.LiesMarkierung(KENNUNG_ARAY);
  const uint64_t anzahl = speicher.LiesU64BE();
  if (speicher.HatLesefehler() || anzahl > speicher.Rest() / VEKTOR_BYTES) {
    speicher.SetzeLesefehler();
    return false;
  }
  const uint64_t gelesen = std::min<uint64_t>(anzahl, 4);
  for (uint64_t k = 0; k < gelesen; ++k)
    for (float& wert : args[k]) wert = speicher.LiesF32BE();
  speicher.VerschiebePosition(int64_t((anzahl - gelesen) * VEKTOR_BYTES));
  return true;
}

std::vector<uint8_t> Karte::ZellenAlsLE(const std::vector<Zelle>& zellen) {
  std::vector<uint8_t> bytes(zellen.size() * ZELLEN_BYTES);
  uint8_t* ziel = bytes.data();
  for (const Zelle& zelle : zellen) {
    SchreibeLE32(ziel, zelle.typ);
    for (int i = 0; i < 6; ++i) SchreibeLE32(ziel + 4 + 4 * i, zelle.flaechen[i]);
    ziel += ZELLEN_BYTES;
  }
  return bytes;
}

uint64_t Karte::ZellenBytes() const {
  uint64_t summe = 0;
  for (const Schicht& schicht : schichten) summe += uint64_t(schicht.zellen.size()) * ZELLEN_BYTES;
  return summe;
}

uint64_t Karte::SegmentLaenge() const {
  return TSegmentSchreiber::LaengeFuer(12 + ZellenBytes() + 12 + OBJEKT_BYTES * uint64_t(objekte.size()));
}

void Karte::SchreibeKopf(TSpeicher& speicher) const {
  TSegmentSchreiber::SchreibeKopf(speicher, KENNUNG_KRTE, VERSION, SegmentLaenge());
  SchreibeU32LE(speicher, X);
  SchreibeU32LE(speicher, Y);
  SchreibeU32LE(speicher, Z);
}

void Karte::SchreibeObjekteUndEnde(TSpeicher& speicher) const {
  speicher.SchreibeU32(KENNUNG_VCTR);
  speicher.SchreibeU64(objekte.size());
  for (const Objekt& objekt : objekte) objekt.Schreibe(speicher);
  TSegmentSchreiber::SchreibeEnde(speicher, KENNUNG_KRTE);
}

void Karte::Schreibe(TSpeicher& speicher) const {
  SchreibeKopf(speicher);
  GibZellenBytes([&speicher](const uint8_t* bytes, uint64_t anzahl) { speicher.SchreibeMem(bytes, anzahl); });
  SchreibeObjekteUndEnde(speicher);
}

// Reads "VCTR", the count and the records into `liste`, which starts as the current objects, so
// that records with fewer than four vectors keep the others. False on damage.
bool Karte::LiesObjektListe(TSpeicher& speicher, std::vector<Objekt>& liste) {
  speicher.LiesMarkierung(KENNUNG_VCTR);
  const uint64_t anzahl = speicher.LiesU64BE();
  if (speicher.HatLesefehler() || anzahl > speicher.Rest() / KLEINSTER_DATENSATZ) return false;
  liste.resize(anzahl);
  for (Objekt& objekt : liste) {
    if (speicher.Rest() < KLEINSTER_DATENSATZ) return false;
    objekt.typ = speicher.LiesU32BE();
    objekt.x = speicher.LiesF32BE();
    objekt.y = speicher.LiesF32BE();
    objekt.z = speicher.LiesF32BE();
    if (!objekt.LiesArgumente(speicher)) return false;
  }
  return !speicher.HatLesefehler();
}

bool Karte::LiesObjekte(TSpeicher& speicher) {
  std::vector<Objekt> liste = objekte;
  if (!LiesObjektListe(speicher, liste)) {
    MeldeBeschaedigt();
    return false;
  }
  objekte = std::move(liste);
  return true;
}

// Same dimensions: the cells are copied over the layers in place. New ones: each new layer is
// built straight from its bytes.
void Karte::UebernimmZellen(const uint8_t* quelle, uint32_t x, uint32_t y, uint32_t z) {
  const uint64_t schichtBytes = uint64_t(x) * z * ZELLEN_BYTES;
  if (x == X && y == Y && z == Z) {
    for (Schicht& schicht : schichten) {
      KopiereZellenLE(schicht.zellen, quelle);
      quelle += schichtBytes;
    }
    return;
  }
  std::vector<Schicht> neu;
  neu.reserve(y);
  for (uint32_t i = 0; i < y; ++i, quelle += schichtBytes)
    neu.push_back(Schicht{x, z, std::vector<Zelle>(ZellenLeser(quelle), ZellenLeser(quelle + schichtBytes))});
  schichten = std::move(neu);
  X = x;
  Y = y;
  Z = z;
}

// Everything is checked before the map changes: the dimensions, the room for the cells, and the
// object records, which are read into a copy. Only then are cells and objects taken over.
bool Karte::Lies(TSpeicher& speicher) {
  TSegmentLeser segment(speicher, KENNUNG_KRTE, VERSION);
  const bool kopfPasst = speicher.Rest() >= 12;
  const uint32_t x = LiesU32LE(speicher), y = LiesU32LE(speicher), z = LiesU32LE(speicher);
  if (!kopfPasst || speicher.HatLesefehler() || !GroesseGueltig(x, y, z)) {
    MeldeBeschaedigt();
    return false;
  }
  const uint64_t zellenBytes = uint64_t(x) * y * z * ZELLEN_BYTES;
  if (speicher.Rest() < zellenBytes || speicher.Rest() - zellenBytes < 12) {
    MeldeBeschaedigt();
    return false;
  }
  const uint64_t zellenAnfang = speicher.Position();
  speicher.VerschiebePosition(int64_t(zellenBytes));
  std::vector<Objekt> liste = objekte;
  if (!LiesObjektListe(speicher, liste)) {
    MeldeBeschaedigt();
    return false;
  }
  // The end marker is checked before the takeover: one cut off (a segment without length) is damage.
  segment.Beende();
  if (speicher.HatLesefehler()) {
    MeldeBeschaedigt();
    return false;
  }
  UebernimmZellen(speicher.Daten() + zellenAnfang, x, y, z);
  objekte = std::move(liste);
  return true;
}

// Writes the seed corpus of fuzz_szene_objekte: the shipped level's objects (on the corner of its
// map that fits the format) with scripts for its plates, the combination lock and the lever, and
// the fixtures of the scene's unit tests: a stone before its plate, throws to a wall and past the
// border, a fall through a hole, a landing in a low ramp, extreme file floats, lights, cell edits.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "KorpusDatei.h"
#include "Karte.h"
#include "Kartenbeschreibung.h"
#include "SzenenSkript.h"
#include "TDateiSystem.h"

using namespace szenenskript;

namespace {

constexpr uint8_t TRIGGER = 0x80;
const float NAN_F = std::numeric_limits<float>::quiet_NaN(), INF = std::numeric_limits<float>::infinity();

using korpus::Schreibe;

struct ZellTyp {
  uint8_t x, y, z, typ;
};

// A floor of rock under an 8 x 4 x 8 box, with other types in some cells.
Schreiber Boden(std::initializer_list<ZellTyp> zellen = {}) {
  std::vector<uint8_t> typen(8 * 4 * 8, 0);
  for (int i = 0; i < 64; ++i) typen[i] = Karte::Fels;
  for (const ZellTyp& z : zellen) typen[(z.y * 8 + z.z) * 8 + z.x] = z.typ;
  Schreiber s;
  s.Karte(8, 4, 8, typen);
  return s;
}

void Objekt(Schreiber& s, uint8_t typ, float x, float y, float z, std::initializer_list<float> args = {}) {
  float werte[19] = {x, y, z};
  int i = 3;
  for (float a : args) werte[i++] = a;
  s.Objekt(typ, werte);
}

// The shipped level's corner cells and all its objects.
Schreiber Level(const Karte& karte) {
  std::vector<uint8_t> typen;
  const uint32_t X = std::min<uint32_t>(karte.X, MAX_KANTE), Y = std::min<uint32_t>(karte.Y, MAX_KANTE),
                 Z = std::min<uint32_t>(karte.Z, MAX_KANTE);
  for (uint32_t y = 0; y < Y; ++y)
    for (uint32_t z = 0; z < Z; ++z)
      for (uint32_t x = 0; x < X; ++x) typen.push_back(uint8_t(karte.ZelleBei(x, y, z).typ));
  Schreiber s;
  s.Karte(uint8_t(X), uint8_t(Y), uint8_t(Z), typen);
  s.Objekte(uint8_t(std::min<size_t>(karte.objekte.size(), MAX_OBJEKTE)));
  for (size_t i = 0; i < karte.objekte.size() && i < MAX_OBJEKTE; ++i) {
    const Karte::Objekt& o = karte.objekte[i];
    float werte[19] = {o.x, o.y, o.z};
    for (int k = 0; k < 16; ++k) werte[3 + k] = o.args[k / 4][k % 4];
    s.Objekt(uint8_t(o.typ), werte);
  }
  return s;
}

}  // namespace

// Arguments: the corpus folder and the shipped level's description.
int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::string text;
  Karte karte;
  if (!TDateiSystem::LiesInhalt(argv[2], text) || Kartenbeschreibung::Baue(text, karte)) {
    std::fprintf(stderr, "korpus_szene_objekte: %s nicht gebaut\n", argv[2]);
    return 1;
  }
  const std::filesystem::path ordner = std::filesystem::path(argv[1]) / "fuzz_szene_objekte";
  std::filesystem::create_directories(ordner);
  bool gut = true;

  // The plates: press each, a second press and the releases, during and after the opening.
  Schreiber platten = Level(karte);
  for (uint8_t k = 0; k < 3; ++k) platten.An(TRIGGER | k).Bilder(8).An(TRIGGER | k).Aus(TRIGGER | k).Bilder(30).Aus(TRIGGER | k);
  platten.Bilder(60, 255).An(TRIGGER | 1).Bilder(20).Abbruch(0, 4 | 1 << 3).Bilder(20);
  gut &= Schreibe(ordner, "level_platten", platten);

  // The lock with a 6 during the opening, the lever and its gates as player control plans them,
  // switch indices beyond the buttons, a rebuild in between.
  Schreiber schloss = Level(karte);
  for (int8_t b : {3, 4, 5, 7, 8}) schloss.Schalter(b).Bild(10);
  schloss.Bilder(10).Schalter(6).Bilder(40).Hebel(0, 1, 2).Gitter(3, 1, 15, 1, 1).Gitter(4, 1, 19, 1, 1).Bilder(30);
  schloss.Schalter(0).Schalter(-1).Schalter(12).Schalter(127).Neubau(true).Bilder(40).Hebel(0, 0, 2).Bilder(30, 0);
  gut &= Schreibe(ordner, "level_schloss", schloss);

  // A map stone before its plate, with the gate it opens; then taken, and the map rebuilt.
  Schreiber stein = Boden();
  stein.Objekte(3);
  Objekt(stein, 3, 4.5f, 1.5f, 19.5f, {2, 5});
  Objekt(stein, 8, 4.25f, 1.0f, 20.25f);
  Objekt(stein, 1, 4.5f, 1.0f, 20.5f);
  stein.Bilder(60).Nimm(0, true).Bilder(60, 255).Neubau(false).Bilder(10);
  gut &= Schreibe(ordner, "stein_vor_platte", stein);

  // Throws at 2 blocks per second toward a wall and past both borders.
  Schreiber wurf = Boden({{7, 1, 3, Karte::Mauer}, {7, 2, 3, Karte::Mauer}});
  wurf.Objekte(0);
  wurf.Wurf(0, 176, 112, 112, 2, 0, 0, true).Wurf(0, 40, 112, 40, -2, 0, 0, true).Wurf(0, 40, 112, 40, 0, 0, -2, true);
  wurf.Bilder(80).Nimm(1, false).Nimm(0, true);
  gut &= Schreibe(ordner, "wurf", wurf);

  // A fall through a hole and a landing in a low ramp on a plate.
  Schreiber fall = Boden({{3, 0, 3, Karte::Leer}, {5, 1, 5, Karte::FelsTreppe1V}});
  fall.Objekte(1);
  Objekt(fall, 1, 5.5f, 1.0f, 5.5f);
  fall.Wurf(0, 104, 66, 104, 0, -0.1f, 0, true).Wurf(0, 168, 210, 168, 0, 0, 0, true).Bilder(90);
  gut &= Schreibe(ordner, "fall_und_rampe", fall);

  // Every object type with NaN, the infinities, 1e30 and -1 everywhere; items with such velocities.
  Schreiber extrem = Boden();
  const float werte[] = {NAN_F, INF, -INF, 1e30f, -1};
  extrem.Objekte(45);
  for (float w : werte)
    for (uint8_t typ = 0; typ < 9; ++typ) {
      float alle[19];
      for (float& a : alle) a = w;
      if (typ % 2) alle[0] = alle[1] = alle[2] = 2.5f;
      extrem.Objekt(typ, alle);
    }
  extrem.Bilder(3).Wurf(0, 100, 100, 100, NAN_F, 0, 0, true).Wurf(0, 100, 100, 100, 0, INF, 0, true);
  extrem.Wurf(200, 10, 10, 10, -INF, 1e30f, -1, true).Bild(0).Bilder(20).Neubau(true).Bilder(5);
  gut &= Schreibe(ordner, "extreme_zahlen", extrem);

  // Lights with and without amplitudes, zero-tick frames; then cells edited into stairs and back.
  Schreiber licht = Boden();
  licht.Objekte(3);
  Objekt(licht, 7, 2.375f, 2.875f, 3.375f, {1, 0.5f, 0.25f, 0, 3, 1, 1, 1, 0, 0, 0, 0});
  Objekt(licht, 7, 4.375f, 2.875f, 3.375f, {1, 0.5f, 0.25f, 0, 3, 1, 1, 1, 1, 0, 0, 0});
  Objekt(licht, 7, 6.375f, 2.875f, 3.375f, {1, 0.5f, 0.25f, 0, 3, 1, 1, 1, 0, 1, 2, 0});
  licht.Bild(0).Bilder(10).Zelle(3, 1, 3, Karte::FelsTreppe2L).Zelle(3, 0, 3, 0).Zelle(3, 1, 3, 21).Bilder(2);
  gut &= Schreibe(ordner, "licht_und_zellen", licht);

  if (!gut) std::fprintf(stderr, "korpus_szene_objekte: Saat nicht geschrieben\n");
  return gut ? 0 : 1;
}

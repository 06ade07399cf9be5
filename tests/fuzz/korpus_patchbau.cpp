// Writes the seed corpus of fuzz_patchbau: payloads as the shipped level's objects give them,
// the all-zero arguments of objects new in the editor, and the sizes, frames and picture indices
// the builders refuse or clamp.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "PatchbauEingabe.h"

using namespace patchbaueingabe;

namespace {

const float NAN_F = std::numeric_limits<float>::quiet_NaN();
const float INF_F = std::numeric_limits<float>::infinity();

std::filesystem::path g_ordner;

void Schreibe(const std::string& name, const Schreiber& s) {
  const std::filesystem::path pfad = g_ordner / (name + ".bin");
  FILE* f = std::fopen(pfad.c_str(), "wb");
  if (!f || std::fwrite(s.bytes.data(), 1, s.bytes.size(), f) != s.bytes.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "korpus_patchbau: %s nicht geschrieben\n", pfad.c_str());
    std::exit(1);
  }
}

struct V {
  float x, y, z;
};
V Kreuz(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

Schreiber& Vek(Schreiber& s, V v) { return s.Floats({v.x, v.y, v.z}); }

// A face: origin, edges, material; then the count byte follows.
Schreiber Flaeche(uint8_t stufe, V p, V a, V b, V c, uint32_t material, uint8_t nachbarn) {
  Schreiber s;
  s.Byte(FLAECHE).Byte(stufe);
  Vek(Vek(Vek(Vek(s, p), a), b), c).Wort(material);
  s.Byte(nachbarn);
  return s;
}
void Platte(Schreiber& s, V p) { Vek(Vek(Vek(s.Byte(PLATTE), p), {0.6f, 0.2f, 0.6f}), p); }
void Hebel(Schreiber& s, V p, V d0, V e1) { Vek(Vek(Vek(Vek(Vek(Vek(s.Byte(NACHBAR_HEBEL), p), {0.4f, 0.4f, 0.4f}), p), d0), e1), Kreuz(d0, e1)); }
void Knopf(Schreiber& s, V p, V d, float r) { Vek(Vek(Vek(Vek(s.Byte(NACHBAR_KNOPF), p), {2 * r, 2 * r, 2 * r}), p), d).Float(r); }
void Mosaik(Schreiber& s, V p, V d0, V d1, float breite, float hoehe, uint32_t bild) {
  const V e = Kreuz(d0, d1);
  Vek(Vek(Vek(Vek(Vek(Vek(s.Byte(MOSAIK), p), {breite, hoehe, breite}), p), d0), d1), e).Floats({breite, hoehe}).Wort(bild);
}

// The +Y face of the full block (3, 1, 5) and the −X face of (1, 1, 1), doubled.
Schreiber Oben(uint8_t stufe, uint8_t nachbarn) { return Flaeche(stufe, {8, 4, 10}, {-2, 0, 0}, {0, 0, 2}, {-2, 0, 0}, 0, nachbarn); }
Schreiber Wand(uint8_t stufe, uint8_t nachbarn) { return Flaeche(stufe, {2, 2, 2}, {0, 0, 2}, {0, 2, 0}, {0, 0, 2}, 1, nachbarn); }

Schreiber Gitter(V p, V a, V b) {
  Schreiber s;
  s.Byte(GITTER).Byte(1);
  Vek(Vek(Vek(s, p), a), b);
  return s;
}
Schreiber EinHebel(V p, V d0, V e1) {
  Schreiber s;
  s.Byte(HEBEL).Byte(0);
  Vek(Vek(Vek(Vek(s, p), d0), e1), Kreuz(d0, e1));
  return s;
}
Schreiber EinKnopf(V p, V d, float r) {
  Schreiber s;
  s.Byte(KNOPF).Byte(1);
  Vek(Vek(s, p), d).Float(r);
  return s;
}
Schreiber Baum(V p, uint64_t seed) {
  Schreiber s;
  s.Byte(BAUM).Byte(0);
  Vek(s, p).Floats({0, 0, 0, 0}).Wort(uint32_t(seed)).Wort(uint32_t(seed >> 32));
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  g_ordner = std::filesystem::path(argv[1]) / "fuzz_patchbau";
  std::filesystem::create_directories(g_ordner);
  const V X{-1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1};

  // As the shipped level's objects give them.
  Schreiber oben = Oben(0, 4);
  Platte(oben, {7, 4, 11});
  Hebel(oben, {6.5f, 4, 10.5f}, Y, {1, 0, 0});
  Knopf(oben, {7.5f, 4, 11.5f}, Y, 0.3f);
  Mosaik(oben, {7, 4, 11}, Y, Z, 1.6f, 1.6f, 0);
  Schreibe("flaeche_oben", oben);
  Schreiber wand = Wand(1, 3);
  Mosaik(wand, {2, 3, 3}, X, Y, 1.6f, 1.6f, 1);
  Hebel(wand, {2, 2.5f, 2.5f}, X, Y);
  Knopf(wand, {2, 3.5f, 3.5f}, X, 0.2f);
  Schreibe("flaeche_wand", wand);
  Schreiber dreieck = Flaeche(1, {8, 2, 10}, {-2, 0, 0}, {0, 0, 0}, {-2, 1, 0}, 0, 1);  // −Z of a half stair
  Platte(dreieck, {6.6f, 2.28f, 10});
  Schreibe("flaeche_dreieck", dreieck);
  Schreibe("gitter", Gitter({7, 3, 11}, Z, Y));
  Schreibe("hebel", EinHebel({2, 3, 3}, X, Y));
  Schreibe("knopf", EinKnopf({2, 3.5f, 3.5f}, X, 0.3f));
  Schreibe("baum", Baum({10, 2, 10}, 7));

  // New objects: every argument 0, so both directions are −X and sizes are 0.
  Schreibe("gitter_neu", Gitter({1, 1, 1}, X, X));
  Schreibe("hebel_neu", EinHebel({1, 1, 1}, X, X));
  Schreibe("knopf_neu", EinKnopf({1, 1, 1}, X, 0));
  Schreibe("baum_neu", Baum({1, 1, 1}, 0));
  Schreiber neu = Wand(0, 2);
  Mosaik(neu, {2, 3, 3}, X, X, 0, 0, 0);
  Knopf(neu, {2, 3, 3}, X, 0);
  Schreibe("flaeche_neue_objekte", neu);

  // Refused and clamped values.
  int n = 0;
  for (float r : {NAN_F, INF_F, -1.0f, 1e30f, 2048.0f}) Schreibe("knopf_groesse_" + std::to_string(n++), EinKnopf({0, 0, 0}, Z, r));
  n = 0;
  for (float g : {NAN_F, INF_F, -1.0f, 4097.0f, 2048.0f}) {
    Schreiber s = Wand(n % 2, 1);
    Mosaik(s, {2, 3, 3}, X, Y, g, 1, 2);
    Schreibe("mosaik_groesse_" + std::to_string(n++), s);
  }
  for (uint32_t bild : {8u, 0xFFFFFFFFu}) {
    Schreiber s = Wand(0, 1);
    Mosaik(s, {2, 3, 3}, X, Y, 2, 2, bild);
    Schreibe("mosaik_bild_" + std::to_string(bild), s);
  }
  Schreibe("gitter_nan", Gitter({NAN_F, 0, 0}, Z, Y));
  Schreibe("baum_seed_hoch", Baum({0, 0, 0}, uint64_t(1) << 63));
  return 0;
}

#pragma once
// The tree generator: trees grow from a seed as branch segments drawn from one seeded 64-bit
// Mersenne Twister, each segment becomes a closed six-sided tube, and the whole tree is one patch
// record with 32 x 32 images (kind 5). The same seed always grows the same tree; the detail level
// and the payload's four floats change nothing.
//
// Parameters form a tree of levels: a branch system is a value block (30 floats, V) and branch
// parameters (39 floats, A, and the child levels, each again a value block and branch parameters).
// Every tree uses the default parameters: the trunk with one child level (the branches), which has
// two (the twigs), and a second, all-zero system that draws its count and grows nothing.
//
// Numbers. Everything is single precision (the float overloads of sin, cos, fmod, sqrt, fabs),
// with one π, 3.1415927f, and 2π = 6.2831855f. A uniform value U is float(draw) · 5.421011e-20f
// (it may be 1.0); a range (c, r) is one draw giving (2U − 1)·r + c. The draws come in exactly
// the order BaueAst lists them, so the draw count pins a tree.
#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "BVektor3.h"
#include "Generator.h"
#include "Modell.h"

namespace Spiel {

namespace Baum {

using V3 = BVektor3<float>;

constexpr float PI = 3.1415927f;
constexpr float ZWEI_PI = 6.2831855f;

// The tree's engine with a draw counter.
class Zufall {
 public:
  explicit Zufall(uint64_t saat) : engine(saat) {}
  uint64_t Ziehe() {
    ++zuege;
    return engine();
  }
  float U() { return float(Ziehe()) * 5.421011e-20f; }
  // (2U − 1)·r + c.
  float Bereich(float c, float r) { return (2.0f * U() - 1.0f) * r + c; }
  uint64_t Zuege() const { return zuege; }

 private:
  std::mt19937_64 engine;
  uint64_t zuege = 0;
};

using Werteblock = std::array<float, 30>;
struct Ebene;
// A[0..38] and the child levels (copies are deep).
struct AstParameter {
  std::array<float, 39> werte{};
  std::vector<Ebene> kinder;
};
// One branch level: its value block and its branch parameters.
struct Ebene {
  Werteblock werte{};
  AstParameter ast;
};

// The default tree (the constructor): basis 1, streuung 0, the trunk system and the empty one.
struct Parameter {
  Parameter();
  float basis = 1.0f;
  float streuung = 0.0f;
  Ebene systeme[2];
};

// One branch piece.
struct Segment {
  // richtung is a unit vector; e1 = normalize(richtung × h) with h = (richtung.z, 0, −richtung.x),
  // or (0, 0, 1) when |richtung.y| > 0.999; e2 = normalize(e1 × richtung); grenze the largest of
  // r0, r0 + r1·laenge, r2 + r3·laenge, (r2 + r3·laenge)/(r4 + r5·laenge), r2/r4 and r2.
  Segment(const V3& start, const V3& richtung, float laenge, const std::array<float, 6>& radius);
  V3 start, richtung, e1, e2;
  std::array<float, 6> radius;  // the tube radius at t is max(r0 + r1·t, 0.01)
  float laenge;
  float grenze;
};

// (x, y, z, w) from a range record (c0, r0, c1, r1, c2, r2, w): three draws in this order.
std::array<float, 4> ZufallsVektor(const float* bereich, Zufall& zufall);
// a + b·t + c·t² + d·U: one draw.
float ZufallsWert(const std::array<float, 4>& polynom, Zufall& zufall, float t);

// The recursive branch builder from `start` along unit `d` with value block V, parameters A,
// scale k and the azimuths L already taken at this level; appends its segments and returns the
// azimuths it chose.
std::vector<float> BaueAst(std::vector<Segment>& segmente, const V3& start, const V3& d, const Werteblock& V,
                           const AstParameter& A, float k, std::span<const float> genommen, Zufall& zufall);
// Seeds the engine, draws the size factor and runs both systems from `start` upward; returns the
// number of draws.
uint64_t ErzeugeAeste(std::vector<Segment>& segmente, const V3& start, uint64_t seed, const Parameter& parameter);
// The tubes: 42 vertices and 180 indices per segment, at twice the grown size.
void Vernetze(std::span<const Segment> segmente, std::vector<WeltVertex>& vertices, std::vector<uint32_t>& indices);

}  // namespace Baum

namespace BaumErzeuger {

// The kind-5 builder: logs "Starte Baum %08x in Detailstufe %d", grows the payload's seed and
// hands in the tubes with the colour 0x20666666 and the normal 0xFF80FF80 at 32 x 32, placed at
// the payload's position. A level outside 1..4 or a position that is not finite builds nothing.
Generator::FertigerPatch Erzeuge(Generator& generator, uint32_t key, uint32_t stufe, uint32_t generation,
                                 const Generator::BaumPatch& payload);

}  // namespace BaumErzeuger

}  // namespace Spiel

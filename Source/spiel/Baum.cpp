#include "Baum.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "PatchErbauerIntern.h"
#include "Zarvo_Start.h"

namespace Spiel {

namespace Baum {

namespace {

using Polynom = std::array<float, 4>;

// ---- the default parameters ----

Werteblock StammWerte() {
  return {0, 0,                                            // first spacing (not read for the trunk)
          0, 0, 0, 0, 0, 0, 0,                             // spacing terms
          1, 0, 0, 0, 0, 0, 0,                             // count
          0, 0.2f, -0.1f, 0.1f, -0.1f, 0.1f, 1.5f,         // elevation
          0, 0.1f, 0, 0.1f, 0, 0.1f, 1.5f};                // azimuth
}
Werteblock AstWerte() {
  return {0.4f, 0.1f,
          0.3f, 0, -0.02f, 0.04f, 0, 0, 0.1f,
          1.6f, 1, 0.001f, 0, 0, 0, 1,
          0.9f, 0.2f, 0.1f, 0.06f, -0.01f, 0, 0.5f,
          0, 3.14f, 0, 0, 0, 0, 0.5f};
}
Werteblock ZweigWerte() {
  return {1.2f, 0.1f,
          2.0f, 0.4f, -0.1f, 0.1f, 0, 0, 0.8f,
          0.5f, 0, 0.001f, 0, 0, 0, 0.4f,
          1.2f, 0.1f, 0, 0.5f, 0, 0.3f, 0.4f,
          1.5f, 0, 0, 0.5f, 0, 0.3f, 0.4f};
}

// The Y record (A[25..31]) is the X record (A[18..24]) times 0.2 in single precision.
void SetzeYAusX(AstParameter& a) {
  for (int i = 0; i < 7; ++i) a.werte[25 + i] = a.werte[18 + i] * 0.2f;
}

AstParameter StammParameter() {
  AstParameter a;
  a.werte = {0.2f, 0.04f, -0.002f, -0.0003f, 0, 0, 0.05f,  // step length
             0.2f, 0.02f, -0.05f, 0, 0, 0, 0,             // radius
             10, 3,                                       // step count
             0, 0};                                       // bare length; X, Y and the rest 0
  return a;
}
AstParameter AstParameterDerAeste() {
  AstParameter a;
  a.werte = {0.9f, 0.2f, -0.03f, 0.02f, 0, 0, 0.5f,
             0.5f, 0.1f, -0.3f, 0.07f, 0, 0, 0,
             40, 10,
             0.5f, 0.2f,
             0.7f, 0.1f, 0.02f, 0.004f, -0.0003f, 0, 0.1f,
             0, 0, 0, 0, 0, 0, 0,
             0.4f, 0, 0, 0, 0, 0, 0.1f};
  SetzeYAusX(a);
  return a;
}
AstParameter ZweigParameter() {
  AstParameter a;
  a.werte = {1.0f, 0.2f, -0.04f, 0.002f, 0, 0, 0.2f,
             0.4f, 0.1f, -0.3f, 0, 0, 0, 0.1f,
             8, 1,
             0.2f, 0.5f,
             4.0f, 0.5f, 0.1f, 0.02f, -0.02f, 0, 0.5f,
             0, 0, 0, 0, 0, 0, 0,
             2.0f, 0, 0, 0, 0, 0, 0.5f};
  SetzeYAusX(a);
  return a;
}

// ---- the branch builder's pieces ----

// A draw count from a float: truncated, 0 below 1 and for NaN, at most a million.
uint64_t Anzahl(float wert) {
  if (!(wert >= 1.0f)) return 0;
  return uint64_t(std::min(wert, 1.0e6f));
}

// Three ranges (c, r) at bereich[0..5] and the d term bereich[6].
Polynom ZiehePolynom(const float* bereich, Zufall& zufall) {
  const float a = zufall.Bereich(bereich[0], bereich[1]);
  const float b = zufall.Bereich(bereich[2], bereich[3]);
  const float c = zufall.Bereich(bereich[4], bereich[5]);
  return {a, b, c, bereich[6]};
}

// π − fmod(||b − φ| − π|, π): π for equal angles.
float Kreisabstand(float b, float phi) { return PI - std::fmod(std::fabs(std::fabs(b - phi) - PI), PI); }

bool ZuNah(float phi, std::span<const float> genommen, const std::vector<float>& gewaehlt, float m) {
  for (float b : genommen)
    if (Kreisabstand(b, phi) < m) return true;
  for (float b : gewaehlt)
    if (Kreisabstand(b, phi) < m) return true;
  return false;
}

// R(u, α)v = v·cos α + (u × v)·sin α + u·(u·v)·(1 − cos α).
V3 Drehe(const V3& u, float alpha, const V3& v) {
  const float c = std::cos(alpha), s = std::sin(alpha);
  return v * c + u.Kreuz(v) * s + u * (u.Punkt(v) * (1.0f - c));
}

V3 Kippachse(const V3& d) {
  if (d.x == 0.0f && d.z == 0.0f) return {0, 0, 1};
  const float laenge = std::sqrt(d.x * d.x + d.z * d.z);
  return {d.z / laenge, 0, -d.x / laenge};
}

// A child level while its parent branch grows.
struct Kind {
  const Ebene* ebene;
  float A, B, C, D;
  float countdown;
  std::vector<float> azimute;  // taken at this level, growing with each call
};

}  // namespace

Parameter::Parameter() {
  systeme[0].werte = StammWerte();
  systeme[0].ast = StammParameter();
  Ebene aeste{AstWerte(), AstParameterDerAeste()};
  const Ebene zweige{ZweigWerte(), ZweigParameter()};
  Ebene zweite = zweige;  // a deep copy, then its azimuth ranges
  const float azimut[7] = {-1.5f, 0, 0, 0, 0, 0, 0.4f};
  std::copy(azimut, azimut + 7, zweite.werte.begin() + 23);
  aeste.ast.kinder = {zweige, zweite};
  systeme[0].ast.kinder = {aeste};
  // systeme[1]: all zero, no child levels.
}

Segment::Segment(const V3& start, const V3& richtung, float laenge, const std::array<float, 6>& radius)
    : start(start), richtung(richtung), radius(radius), laenge(laenge) {
  const V3 h = std::fabs(richtung.y) > 0.999f ? V3(0, 0, 1) : V3(richtung.z, 0, -richtung.x);
  e1 = richtung.Kreuz(h).Normalisiert();
  e2 = e1.Kreuz(richtung).Normalisiert();
  const float r0 = radius[0], r1 = radius[1], r2 = radius[2], r3 = radius[3], r4 = radius[4], r5 = radius[5];
  // As written: a zero divisor gives the IEEE result (the bound is never read).
  grenze = std::max({r0, r0 + r1 * laenge, r2 + r3 * laenge, (r2 + r3 * laenge) / (r4 + r5 * laenge), r2 / r4, r2});
}

std::array<float, 4> ZufallsVektor(const float* b, Zufall& zufall) {
  const float x = zufall.Bereich(b[0], b[1]);
  const float y = zufall.Bereich(b[2], b[3]);
  const float z = zufall.Bereich(b[4], b[5]);
  return {x, y, z, b[6]};
}

float ZufallsWert(const std::array<float, 4>& p, Zufall& zufall, float t) { return p[0] + p[1] * t + p[2] * (t * t) + p[3] * zufall.U(); }

std::vector<float> BaueAst(std::vector<Segment>& segmente, const V3& start, const V3& d, const Werteblock& V,
                           const AstParameter& A, float k, std::span<const float> genommen, Zufall& zufall) {
  std::vector<float> gewaehlt;
  const float* a = A.werte.data();
  const uint64_t anzahl = Anzahl(ZufallsWert(ZufallsVektor(&V[9], zufall), zufall, 0.0f) + 0.5f);
  if (anzahl == 0) return gewaehlt;
  const V3 achse = Kippachse(d);
  for (uint64_t ast = 0; ast < anzahl; ++ast) {
    // Azimuth: φ0 apart from every azimuth taken here, the separation halving on each miss.
    float m = 1.5707964f;
    Polynom azimut;
    for (;;) {
      azimut = ZiehePolynom(&V[23], zufall);
      if (!ZuNah(azimut[0], genommen, gewaehlt, m)) break;
      m *= 0.5f;
    }
    gewaehlt.push_back(azimut[0]);

    const Polynom elevation = ZiehePolynom(&V[16], zufall);
    const Polynom schritt = ZiehePolynom(&a[0], zufall);
    const Polynom radius = ZiehePolynom(&a[7], zufall);
    const Polynom xTerm = ZiehePolynom(&a[18], zufall);
    const Polynom yTerm = ZiehePolynom(&a[25], zufall);
    for (int i = 0; i < 3; ++i) zufall.Ziehe();  // discarded

    const uint64_t schritte = Anzahl(zufall.Bereich(a[14], a[15]) + 0.5f);
    const float r0 = (radius[0] + radius[3] * zufall.U()) * k;
    zufall.Ziehe();  // discarded
    const float kahl = zufall.Bereich(a[16], a[17]) * k;

    std::vector<Kind> kinder;
    kinder.reserve(A.kinder.size());
    for (const Ebene& e : A.kinder) {
      const float* E = e.werte.data();
      Kind kind{&e, 0, 0, 0, E[8], 0, {}};
      kind.A = zufall.Bereich(E[2], E[3]);
      kind.B = zufall.Bereich(E[4], E[5]);
      kind.C = zufall.Bereich(E[6], E[7]);
      kind.countdown = zufall.Bereich(E[0], E[1]) * k;
      kinder.push_back(std::move(kind));
    }

    V3 p = start;
    float s = 0, rVor = r0, xVor = 1.0f / 256.0f, yVor = 1.0f / 256.0f;
    for (uint64_t schrittNr = 0; schrittNr < schritte; ++schrittNr) {
      const float theta = ZufallsWert(elevation, zufall, s);
      const float phi = ZufallsWert(azimut, zufall, s);
      const float h = ZufallsWert(schritt, zufall, s) * k;
      s = s + h;
      const float r = ZufallsWert(radius, zufall, s) * k;
      float x = 1.0f / 256.0f, y = 0.0f;
      if (!(s <= kahl)) {
        x = std::max(ZufallsWert(xTerm, zufall, s) * k, 1.0f / 256.0f);
        y = ZufallsWert(yTerm, zufall, s) * k;
      }
      y = std::max(y, 1.0f / 256.0f);
      zufall.Ziehe();  // discarded
      if (r < 0.01f) break;
      const V3 richtung = Drehe(d, -phi, Drehe(achse, theta, d));
      segmente.emplace_back(p, richtung, h, std::array<float, 6>{rVor, r - rVor, xVor, x - xVor, xVor / yVor, x / y - xVor / yVor});
      p = p + richtung * h;
      for (Kind& kind : kinder) {
        if (kind.countdown <= 0.0f) {
          const std::vector<float> neu = BaueAst(segmente, p, richtung, kind.ebene->werte, kind.ebene->ast, r, kind.azimute, zufall);
          kind.azimute.insert(kind.azimute.end(), neu.begin(), neu.end());
          kind.countdown += (kind.C * s * s + kind.B * s + kind.D * zufall.U() + kind.A) * k;
        }
        kind.countdown -= h;
      }
      rVor = r;
      xVor = x;
      yVor = y;
    }
  }
  return gewaehlt;
}

uint64_t ErzeugeAeste(std::vector<Segment>& segmente, const V3& start, uint64_t seed, const Parameter& parameter) {
  auto zufall = std::make_unique<Zufall>(seed);  // 2.5 KB of state: not on the fiber stack
  segmente.clear();
  const float g = zufall->Bereich(parameter.basis, parameter.streuung);
  for (const Ebene& system : parameter.systeme) BaueAst(segmente, start, {0, 1, 0}, system.werte, system.ast, g, {}, *zufall);
  return zufall->Zuege();
}

void Vernetze(std::span<const Segment> segmente, std::vector<WeltVertex>& vertices, std::vector<uint32_t>& indices) {
  vertices.clear();
  indices.clear();
  vertices.reserve(segmente.size() * 42);
  indices.reserve(segmente.size() * 180);
  for (const Segment& seg : segmente) {
    const uint32_t basis = uint32_t(vertices.size());
    for (int r = 0; r <= 5; ++r) {
      const float tRing = float(r - 1) / 3.0f;
      const float w = std::max(seg.radius[0] + seg.radius[1] * tRing, 0.01f);
      float t = tRing, radius = w;
      if (r == 0) {
        t = -w / seg.laenge;
        radius = 0.0f;
      } else if (r == 5) {
        t = 1.0f + w / seg.laenge;
        radius = 0.0f;
      }
      for (int k = 0; k <= 6; ++k) {
        const float phi = (float(k) / 6.0f) * ZWEI_PI;
        const V3 q = (seg.start + seg.richtung * (t * seg.laenge) + (seg.e1 * -std::sin(phi) + seg.e2 * std::cos(phi)) * radius) * 2.0f;
        vertices.push_back({q.x, q.y, q.z, float(k) / 6.0f, 0.2f * float(r), 0});
      }
    }
    for (uint32_t r = 0; r < 5; ++r)
      for (uint32_t k = 0; k < 6; ++k) {
        const uint32_t q = basis + 7 * r + k;
        indices.insert(indices.end(), {q, q + 7, q + 8, q, q + 8, q + 1});
      }
  }
}

}  // namespace Baum

namespace BaumErzeuger {

Generator::FertigerPatch Erzeuge(Generator&, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::BaumPatch& payload) {
  using namespace PatchErbauer::Intern;
  g_Log.Schreibe("Starte Baum %08x in Detailstufe %d", key, int(stufe));
  if (!IstStufe(stufe) || !IstEndlich(payload.position)) return LeererDatensatz(key, stufe, generation);
  const Baum::Parameter parameter;
  std::vector<Baum::Segment> segmente;
  Baum::ErzeugeAeste(segmente, {0, 0, 0}, payload.seed, parameter);
  Generator::FertigerPatch d = LeererDatensatz(key, stufe, generation);
  Baum::Vernetze(segmente, d.vertices, d.indices);
  d.farbe = GefuelltesBild(32, 0x20666666u);
  d.normale = GefuelltesBild(32, 0xFF80FF80u);
  SetzeVerschiebung(d.transform, payload.position);
  VerwirfNichtEndliches(d);
  return d;
}

}  // namespace BaumErzeuger

}  // namespace Spiel

#pragma once
// The patch builders' shared machinery, for the builders, their tests and the benchmark:
//  - the texel rasteriser, a template with a per-texel callback: a triangle's texel box (clipped
//    to the image), sample points at texel centres, barycentric weights in texture space;
//  - the relief normal: four cross products around each texel of a position buffer, packed with
//    a sign (the face's and the lever's sum point inward, the button's outward);
//  - normal and byte packing that never converts a NaN or an out-of-range float;
//  - the face's texel walk bounded by slabs: a decoration visits only the texels of each row
//    whose face point can lie inside its slabs; `voll` walks every texel (the test path that the
//    bounded one must equal byte for byte).
// Everything here works on buffers the caller owns: no allocation, no shared state.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "BVektor3.h"
#include "Generator.h"
#include "Modell.h"
#include "Zarvo_Bild.h"

namespace Spiel::PatchErbauer::Intern {

using V3 = BVektor3<float>;

// ---- levels and sides ----
inline bool IstStufe(uint32_t stufe) { return stufe >= 1 && stufe <= 4; }
inline uint32_t FlaechenSeite(uint32_t stufe) { return 64u << stufe; }
inline uint32_t GitterSeite(uint32_t stufe) { return 64u << stufe; }
inline uint32_t HebelSeite(uint32_t stufe) { return 32u << stufe; }
inline uint32_t KnopfSeite(uint32_t stufe) { return std::max(16u << stufe, 64u); }

inline bool IstEndlich(const V3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// ---- packing ----
// (u8)v truncated; NaN and values below 0 give 0, values of 255 and above 255.
inline uint8_t Byte(float v) {
  if (!(v > 0.0f)) return 0;
  return v >= 255.0f ? 255 : uint8_t(v);
}
inline uint32_t Argb(uint8_t r, uint8_t g, uint8_t b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b; }
inline uint32_t Grau(uint8_t g) { return Argb(g, g, g); }
// A = 255, each channel (u8)(c · 127.99 + 127).
inline uint32_t PackeNormale(const V3& n) {
  return Argb(Byte(n.x * 127.99f + 127.0f), Byte(n.y * 127.99f + 127.0f), Byte(n.z * 127.99f + 127.0f));
}
// Each channel of an A8R8G8B8 colour times f (+0.5, truncated), alpha 255.
inline uint32_t Skaliere(uint32_t farbe, float f) {
  return Argb(Byte(float((farbe >> 16) & 0xFF) * f + 0.5f), Byte(float((farbe >> 8) & 0xFF) * f + 0.5f),
              Byte(float(farbe & 0xFF) * f + 0.5f));
}

// ---- images ----
inline uint32_t* Zeile(Zarvo_Bild& bild, uint64_t y) { return reinterpret_cast<uint32_t*>(bild.Pixel() + y * bild.Zeilenbytes()); }
inline const uint32_t* Zeile(const Zarvo_Bild& bild, uint64_t y) {
  return reinterpret_cast<const uint32_t*>(bild.Pixel() + y * bild.Zeilenbytes());
}
// An S x S A8R8G8B8 image, one level, every pixel `farbe`.
Zarvo_Bild GefuelltesBild(uint32_t seite, uint32_t farbe);

// A record with no triangles and no images: what a refused build hands in.
Generator::FertigerPatch LeererDatensatz(uint32_t key, uint32_t stufe, uint32_t generation);
// The record emptied when a vertex position is not finite.
void VerwirfNichtEndliches(Generator::FertigerPatch& datensatz);
// Rows (1, 0, 0, x), (0, 1, 0, y), (0, 0, 1, z), (0, 0, 0, 1).
void SetzeVerschiebung(float transform[16], const V3& position);

// ---- the rasteriser ----
// For each triangle in index order and each texel (x, y) of its texel box clipped to [0, S)² whose
// centre passes the test (λ1 > −0.01, λ2 > −0.01, λ1 + λ2 < 1.02; λ1 weighs the second vertex,
// λ2 the third): proTexel(x, y, dreieck, λ0, λ1, λ2) with dreieck the triangle's number. A texel in
// several triangles is visited once per triangle, the last visit last. Triangles whose texture
// area is zero or not finite are skipped.
template <class F>
void Rastere(std::span<const WeltVertex> vertices, std::span<const uint32_t> indices, uint32_t S, F&& proTexel) {
  const float seite = float(S);
  auto box = [&](float a, float b, float c, int& von, int& bis) {
    const float lo = std::min({a, b, c}) * seite, hi = std::max({a, b, c}) * seite + 0.999f;
    von = int(std::clamp(lo, 0.0f, seite));  // NaN was refused before
    bis = int(std::clamp(hi, 0.0f, seite));
  };
  for (size_t t = 0; t + 2 < indices.size(); t += 3) {
    const WeltVertex &a = vertices[indices[t]], &b = vertices[indices[t + 1]], &c = vertices[indices[t + 2]];
    const float e1u = b.u - a.u, e1v = b.v - a.v, e2u = c.u - a.u, e2v = c.v - a.v;
    const float nenner = e1u * e2v - e1v * e2u;
    if (!(nenner != 0.0f) || !std::isfinite(nenner) || !std::isfinite(a.u + b.u + c.u + a.v + b.v + c.v)) continue;
    const float kehr = 1.0f / nenner;
    int x0, x1, y0, y1;
    box(a.u, b.u, c.u, x0, x1);
    box(a.v, b.v, c.v, y0, y1);
    for (int y = y0; y < y1; ++y) {
      const float dv = (float(y) + 0.5f) / seite - a.v;
      for (int x = x0; x < x1; ++x) {
        const float du = (float(x) + 0.5f) / seite - a.u;
        const float l1 = (du * e2v - dv * e2u) * kehr;
        const float l2 = (e1u * dv - e1v * du) * kehr;
        if (l1 > -0.01f && l2 > -0.01f && l1 + l2 < 1.02f) proTexel(x, y, uint32_t(t / 3), 1.0f - l1 - l2, l1, l2);
      }
    }
  }
}

inline V3 Position(const WeltVertex& v) { return {v.x, v.y, v.z}; }
// The barycentric interpolation of a triangle's three vertex positions, as p0 + λ1·(p1 − p0) +
// λ2·(p2 − p0), so that a coordinate the three share comes out exactly (a flat face stays flat).
inline V3 Interpoliere(std::span<const WeltVertex> v, std::span<const uint32_t> indices, uint32_t dreieck, float, float l1,
                       float l2) {
  const uint32_t* i = &indices[3 * size_t(dreieck)];
  const V3 p0 = Position(v[i[0]]);
  return p0 + (Position(v[i[1]]) - p0) * l1 + (Position(v[i[2]]) - p0) * l2;
}

// ---- relief ----
// The normal map of an S x S position buffer: per texel with M its entry and U, D, Lf, R the
// entries above, below, left and right where they exist, N = (U − M) × (Lf − M) + (R − M) × (U − M)
// + (Lf − M) × (D − M) + (D − M) × (R − M) (each term when both its neighbours exist), packed as
// PackeNormale(vorzeichen · N / |N|). A zero sum gives 0xFF000000.
void BerechneReliefNormalen(std::span<const V3> relief, uint32_t S, float vorzeichen, Zarvo_Bild& normale);

// Each vertex onto the relief: position = entry (column (int)(u · S), row (int)(v · S)).
void SetzeAufRelief(std::vector<WeltVertex>& vertices, std::span<const V3> relief, uint32_t S);

// ---- the face ----
// The face point of texel corner (i, j): q = p + b·(j/S) + (a + (c − a)·(j/S))·(i/S).
struct Flaechenpunkte {
  V3 p, a, b, cMinusA;
  uint32_t S;
  Flaechenpunkte(const Generator::FlaechenPatch& f, uint32_t seite) : p(f.p), a(f.a), b(f.b), cMinusA(f.c - f.a), S(seite) {}
  V3 Punkt(uint32_t i, uint32_t j) const {
    const float t = float(j) / float(S), u = float(i) / float(S);
    return p + b * t + (a + cMinusA * t) * u;
  }
};

// One slab: the texels whose face point q has |q · k − mitte| < halb (a superset of where a
// decoration applies; the walk widens it further).
struct Schicht {
  V3 k;
  double mitte, halb;
};
// The slab |q · k − mitte| < halb, widened for rounding.
inline Schicht Umgebung(const V3& k, float mitte, float halb) {
  return {k, double(mitte), double(halb) + 0.01 + 1e-4 * (std::fabs(double(mitte)) + double(halb))};
}

// Calls f(i, j, q) for each texel (row j outer, column i inner) whose face point can lie inside
// every slab: per row the interval of u where the row's line is inside them, widened by two
// texels. `voll` visits every texel.
template <class F>
void LaufeTexel(const Flaechenpunkte& fp, std::span<const Schicht> schichten, bool voll, F&& f) {
  const uint32_t S = fp.S;
  for (uint32_t j = 0; j < S; ++j) {
    uint32_t von = 0, bis = S;
    if (!voll) {
      const float t = float(j) / float(S);
      const V3 anfang = fp.p + fp.b * t, richtung = fp.a + fp.cMinusA * t;
      double lo = 0.0, hi = 1.0;
      for (const Schicht& s : schichten) {
        const double a0 = double(anfang.x) * s.k.x + double(anfang.y) * s.k.y + double(anfang.z) * s.k.z - s.mitte;
        const double da = double(richtung.x) * s.k.x + double(richtung.y) * s.k.y + double(richtung.z) * s.k.z;
        if (!std::isfinite(a0) || !std::isfinite(da)) continue;  // no bound from this slab
        if (std::fabs(da) < 1e-30) {
          if (!(std::fabs(a0) < s.halb)) hi = -1.0;
          continue;
        }
        const double u1 = (-s.halb - a0) / da, u2 = (s.halb - a0) / da;
        lo = std::max(lo, std::min(u1, u2));
        hi = std::min(hi, std::max(u1, u2));
      }
      if (!(lo <= hi)) continue;
      von = uint32_t(std::clamp(std::floor(lo * S) - 2.0, 0.0, double(S)));
      bis = uint32_t(std::clamp(std::ceil(hi * S) + 3.0, 0.0, double(S)));
    }
    for (uint32_t i = von; i < bis; ++i) f(i, j, fp.Punkt(i, j));
  }
}

// ---- the face builder and its parts ----
// What the face builder read from the requests near it.
struct Dekorationen {
  bool hatMosaik = false;
  Generator::MosaikPatch mosaik{};
  bool hatPlatte = false;
  V3 platte;
  uint32_t hebelAnzahl = 0;
  Generator::HebelPatch hebel[4]{};
  uint32_t knopfAnzahl = 0;
  Generator::KnopfPatch knoepfe[4]{};
};

// The face normal: normalize(a × b); where that is zero (the triangular faces with b = 0)
// normalize(a × c); (0, 1, 0) when that is zero too.
V3 FlaechenNormale(const Generator::FlaechenPatch& f);
// A lever frame or a mosaic whose axes are shorter than 0.5, a button size outside (0, 2048] and
// non-finite fields are not painted.
bool HebelMalbar(const Generator::HebelPatch& h);
bool KnopfGroesseGueltig(float groesse);
bool MosaikMalbar(const Generator::MosaikPatch& m);
// The decorations of the face `key` with normal n: the requests near it in key order.
Dekorationen SammleDekorationen(Generator& generator, uint32_t key, const Generator::FlaechenPatch& f, const V3& n);

// The decorations' painters on a face with its position buffer and colour image.
void MalePlatte(const Flaechenpunkte& fp, const V3& n, const V3& platte, std::span<V3> relief, Zarvo_Bild& farbe, bool voll);
void MaleHebelSockel(const Flaechenpunkte& fp, const V3& n, const Generator::HebelPatch& h, std::span<V3> relief,
                     Zarvo_Bild& farbe, bool voll);
void MaleKnopfSockel(const Flaechenpunkte& fp, const V3& n, const Generator::KnopfPatch& k, std::span<V3> relief,
                     Zarvo_Bild& farbe, bool voll);
// The mosaic painter (Generator::BaueMosaik is it with voll = false): `voll` builds the whole cell
// table and walks every texel.
void MaleMosaik(const Generator::FlaechenPatch& f, const Generator::MosaikPatch& m, std::span<V3> relief, Zarvo_Bild& farbe,
                bool voll);

// The face builder; `voll` walks every texel for each decoration and the whole mosaic table.
Generator::FertigerPatch BaueFlaeche(Generator& generator, uint32_t key, uint32_t stufe, uint32_t generation,
                                     const Generator::FlaechenPatch& f, bool voll);
// The face builder's parts after collecting, for the benchmark: mesh, raster, decorations
// given, relief normals, vertex move, edge copy.
Generator::FertigerPatch BaueFlaecheMit(uint32_t key, uint32_t stufe, uint32_t generation, const Generator::FlaechenPatch& f,
                                        const Dekorationen& dekorationen, bool voll);

}  // namespace Spiel::PatchErbauer::Intern

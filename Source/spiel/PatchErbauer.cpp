#include "PatchErbauer.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>
#include <vector>

#include "PatchErbauerIntern.h"
#include "Plattform/system/Zufall.h"

namespace Spiel::PatchErbauer {

using FertigerPatch = Generator::FertigerPatch;

namespace Intern {

// ---- shared helpers ----

Zarvo_Bild GefuelltesBild(uint32_t seite, uint32_t farbe) {
  Zarvo_Bild bild(seite, seite, PXFMT_A8R8G8B8, 1);
  for (uint32_t y = 0; y < seite; ++y) std::fill_n(Zeile(bild, y), seite, farbe);
  return bild;
}

FertigerPatch LeererDatensatz(uint32_t key, uint32_t stufe, uint32_t generation) {
  FertigerPatch d;
  d.key = key;
  d.stufe = stufe;
  d.generation = generation;
  return d;
}

void VerwirfNichtEndliches(FertigerPatch& d) {
  for (const WeltVertex& v : d.vertices)
    if (!IstEndlich(Position(v))) {
      d = LeererDatensatz(d.key, d.stufe, d.generation);
      return;
    }
}

void SetzeVerschiebung(float transform[16], const V3& position) {
  const float einheit[16] = {1, 0, 0, position.x, 0, 1, 0, position.y, 0, 0, 1, position.z, 0, 0, 0, 1};
  std::copy(einheit, einheit + 16, transform);
}

void BerechneReliefNormalen(std::span<const V3> r, uint32_t S, float vorzeichen, Zarvo_Bild& normale) {
  for (uint32_t y = 0; y < S; ++y) {
    uint32_t* zeile = Zeile(normale, y);
    for (uint32_t x = 0; x < S; ++x) {
      const size_t i = size_t(y) * S + x;
      const V3& M = r[i];
      const bool oben = y > 0, unten = y + 1 < S, links = x > 0, rechts = x + 1 < S;
      V3 N;
      if (oben && links) N += (r[i - S] - M).Kreuz(r[i - 1] - M);
      if (rechts && oben) N += (r[i + 1] - M).Kreuz(r[i - S] - M);
      if (links && unten) N += (r[i - 1] - M).Kreuz(r[i + S] - M);
      if (unten && rechts) N += (r[i + S] - M).Kreuz(r[i + 1] - M);
      const float laenge = N.Laenge();
      zeile[x] = laenge > 0.0f ? PackeNormale(N.Normalisiert() * vorzeichen) : 0xFF000000u;
    }
  }
}

void SetzeAufRelief(std::vector<WeltVertex>& vertices, std::span<const V3> relief, uint32_t S) {
  const float seite = float(S), letzte = float(S - 1);
  for (WeltVertex& v : vertices) {
    const uint32_t x = uint32_t(std::clamp(v.u * seite, 0.0f, letzte));
    const uint32_t y = uint32_t(std::clamp(v.v * seite, 0.0f, letzte));
    const V3& q = relief[size_t(y) * S + x];
    v.x = q.x;
    v.y = q.y;
    v.z = q.z;
  }
}

// ---- the face ----

V3 FlaechenNormale(const Generator::FlaechenPatch& f) {
  const V3 n = f.a.Kreuz(f.b).Normalisiert();
  if (n != V3()) return n;
  const V3 dreieck = f.a.Kreuz(f.c).Normalisiert();
  if (dreieck != V3()) return dreieck;
  return {0, 1, 0};
}

bool HebelMalbar(const Generator::HebelPatch& h) {
  return IstEndlich(h.position) && IstEndlich(h.d0) && IstEndlich(h.e1) && IstEndlich(h.e2) && h.d0.Kreuz(h.e1).Laenge() >= 0.5f;
}

bool KnopfGroesseGueltig(float groesse) { return std::isfinite(groesse) && groesse > 0.0f && groesse <= 2048.0f; }

bool MosaikMalbar(const Generator::MosaikPatch& m) {
  auto groesse = [](float g) { return std::isfinite(g) && g > 0.0f && g <= 2048.0f; };
  return IstEndlich(m.position) && IstEndlich(m.richtung) && IstEndlich(m.achse1) && IstEndlich(m.achse2) && groesse(m.breite) &&
         groesse(m.hoehe) && m.achse1.Laenge() >= 0.5f && m.achse2.Laenge() >= 0.5f;
}

Dekorationen SammleDekorationen(Generator& generator, uint32_t key, const Generator::FlaechenPatch& f, const V3& n) {
  Dekorationen d;
  std::vector<uint32_t> keys;
  generator.SucheNachbarn(keys, key, 0.2f);
  std::sort(keys.begin(), keys.end());  // object order, whatever the table's history
  const V3 mitte = f.p + (f.a + f.c) * 0.25f + f.b * 0.5f;
  float naechste = 1e8f;
  for (uint32_t anderer : keys) {
    const std::optional<Generator::Anforderung> a = generator.LiesAnforderung(anderer);
    if (!a) continue;
    const Generator::PatchBeschreibung& b = a->beschreibung;
    if (const auto* platte = std::get_if<Generator::DruckplattenPatch>(&b)) {
      const V3 abstand = platte->position - mitte;
      const float d2 = abstand.Punkt(abstand);
      if (d2 < naechste) {
        naechste = d2;
        d.hatPlatte = true;
        d.platte = platte->position;
      }
    } else if (const auto* hebel = std::get_if<Generator::HebelPatch>(&b)) {
      if (d.hebelAnzahl < 4 && n.Punkt(hebel->d0) > 0.99f && HebelMalbar(*hebel)) d.hebel[d.hebelAnzahl++] = *hebel;
    } else if (const auto* knopf = std::get_if<Generator::KnopfPatch>(&b)) {
      if (d.knopfAnzahl < 4 && n.Punkt(knopf->richtung) > 0.99f && KnopfGroesseGueltig(knopf->groesse) &&
          IstEndlich(knopf->position))
        d.knoepfe[d.knopfAnzahl++] = *knopf;
    } else if (const auto* mosaik = std::get_if<Generator::MosaikPatch>(&b)) {
      if (std::fabs(n.Punkt(mosaik->richtung)) > 0.99f && MosaikMalbar(*mosaik)) {
        d.hatMosaik = true;
        d.mosaik = *mosaik;
      }
    }
  }
  return d;
}

void MalePlatte(const Flaechenpunkte& fp, const V3& n, const V3& P, std::span<V3> relief, Zarvo_Bild& farbe, bool voll) {
  const Schicht schichten[3] = {Umgebung({1, 0, 0}, P.x, 0.525f), Umgebung({0, 1, 0}, P.y, 0.525f), Umgebung({0, 0, 1}, P.z, 0.525f)};
  LaufeTexel(fp, schichten, voll, [&](uint32_t i, uint32_t j, const V3& q) {
    const float abstand = std::max({std::fabs(q.x - P.x), std::fabs(q.y - P.y), std::fabs(q.z - P.z)});
    const float w = std::clamp(10.0f - 20.0f * abstand, -0.5f, 1.0f);
    if (!(w > -0.5f)) return;
    relief[size_t(j) * fp.S + i] = q + n * (0.05f * w);
    uint32_t& pixel = Zeile(farbe, j)[i];
    pixel = Skaliere(pixel, std::max(0.0f, w * 0.7692308f + 0.23076925f));
  });
}

void MaleHebelSockel(const Flaechenpunkte& fp, const V3& n, const Generator::HebelPatch& h, std::span<V3> relief,
                     Zarvo_Bild& farbe, bool voll) {
  const Schicht schichten[2] = {Umgebung(h.e1, h.position.Punkt(h.e1), 0.35f), Umgebung(h.e2, h.position.Punkt(h.e2), 0.23f)};
  LaufeTexel(fp, schichten, voll, [&](uint32_t i, uint32_t j, const V3& q) {
    const V3 o = q - h.position;
    const float s = std::max(std::fabs(o.Punkt(h.e1)) - 0.2f, std::fabs(o.Punkt(h.e2)) - 0.08f);
    if (!(s < 0.15f)) return;
    V3& eintrag = relief[size_t(j) * fp.S + i];
    uint32_t& pixel = Zeile(farbe, j)[i];
    if (s < -0.0486253f) {  // the slot
      eintrag = q + n * 0.01f;
      pixel = 0xFF000000u;
      return;
    }
    const float w = std::clamp(1.0f - 10.0f * s, -0.5f, 1.0f);
    const bool auf = w > -0.48536f;
    eintrag = q + n * (auf ? 0.04f * w : 0.0f);
    const float g = auf ? w * 0.3555556f + 0.1777778f : 0.53333336f;
    pixel = Grau(Byte(g * 255.0f + 0.5f));
  });
}

void MaleKnopfSockel(const Flaechenpunkte& fp, const V3& n, const Generator::KnopfPatch& k, std::span<V3> relief,
                     Zarvo_Bild& farbe, bool voll) {
  const V3& P = k.position;
  const float r = k.groesse;
  const Schicht schichten[3] = {Umgebung({1, 0, 0}, P.x, r), Umgebung({0, 1, 0}, P.y, r), Umgebung({0, 0, 1}, P.z, r)};
  LaufeTexel(fp, schichten, voll, [&](uint32_t i, uint32_t j, const V3& q) {
    const V3 o = q - P;
    const float w = std::min(-100.0f * std::min(std::fabs(o.x) + std::fabs(o.y) + std::fabs(o.z) - r, 0.0f), 1.0f);
    if (!(w > 0.0f)) return;
    relief[size_t(j) * fp.S + i] = q + n * (-0.02f * w);
    uint32_t& pixel = Zeile(farbe, j)[i];
    pixel = Skaliere(pixel, 1.0f - w);
  });
}

FertigerPatch BaueFlaecheMit(uint32_t key, uint32_t stufe, uint32_t generation, const Generator::FlaechenPatch& f,
                             const Dekorationen& dekorationen, bool voll) {
  const uint32_t S = FlaechenSeite(stufe), N = 8u << stufe;
  const V3 n = FlaechenNormale(f);
  FertigerPatch d = LeererDatensatz(key, stufe, generation);

  // The grid over texel centres.
  const float skala = (float(S) - 0.99f) / float(S), versatz = 0.5f / float(S);
  d.vertices.reserve(size_t(N + 1) * (N + 1));
  for (uint32_t j = 0; j <= N; ++j) {
    const float t = float(j) / float(N);
    for (uint32_t i = 0; i <= N; ++i) {
      const float u = float(i) / float(N);
      const V3 q = f.p + f.b * t + (f.a + (f.c - f.a) * t) * u;
      d.vertices.push_back({q.x, q.y, q.z, u * skala + versatz, t * skala + versatz, 0});
    }
  }
  d.indices.reserve(size_t(6) * N * N);
  for (uint32_t j = 0; j < N; ++j)
    for (uint32_t i = 0; i < N; ++i) {
      const uint32_t k0 = j * (N + 1) + i, k1 = k0 + 1, k2 = (j + 1) * (N + 1) + i, k3 = k2 + 1;
      d.indices.insert(d.indices.end(), {k0, k1, k2, k1, k3, k2});
    }

  d.farbe = GefuelltesBild(S, 0xFF000000u);
  d.normale = GefuelltesBild(S, PackeNormale(n));
  std::vector<V3> relief(size_t(S) * S);
  const uint32_t grund = f.material != 0 ? 0xFF998877u : n.y > 0.99f ? 0xFFFFFFFFu : 0xFF88AA88u;
  Rastere(d.vertices, d.indices, S, [&](int x, int y, uint32_t dreieck, float l0, float l1, float l2) {
    Zeile(d.farbe, uint32_t(y))[x] = grund;
    relief[size_t(y) * S + uint32_t(x)] = Interpoliere(d.vertices, d.indices, dreieck, l0, l1, l2);
  });

  const Flaechenpunkte fp(f, S);
  if (dekorationen.hatMosaik) MaleMosaik(f, dekorationen.mosaik, relief, d.farbe, voll);
  if (dekorationen.hatPlatte) MalePlatte(fp, n, dekorationen.platte, relief, d.farbe, voll);
  for (uint32_t h = 0; h < dekorationen.hebelAnzahl; ++h) MaleHebelSockel(fp, n, dekorationen.hebel[h], relief, d.farbe, voll);
  for (uint32_t k = 0; k < dekorationen.knopfAnzahl; ++k) MaleKnopfSockel(fp, n, dekorationen.knoepfe[k], relief, d.farbe, voll);

  BerechneReliefNormalen(relief, S, -1.0f, d.normale);
  SetzeAufRelief(d.vertices, relief, S);
  Generator::KopiereRand(d.farbe);
  Generator::KopiereRand(d.normale);
  VerwirfNichtEndliches(d);
  return d;
}

FertigerPatch BaueFlaeche(Generator& generator, uint32_t key, uint32_t stufe, uint32_t generation,
                          const Generator::FlaechenPatch& f, bool voll) {
  if (!IstStufe(stufe) || !IstEndlich(f.p) || !IstEndlich(f.a) || !IstEndlich(f.b) || !IstEndlich(f.c))
    return LeererDatensatz(key, stufe, generation);
  const Dekorationen dekorationen = SammleDekorationen(generator, key, f, FlaechenNormale(f));
  return BaueFlaecheMit(key, stufe, generation, f, dekorationen, voll);
}

}  // namespace Intern

using namespace Intern;

FertigerPatch Flaeche(Generator& generator, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::FlaechenPatch& f) {
  return BaueFlaeche(generator, key, stufe, generation, f, false);
}

// ---- gate ----

namespace {

// The bar's cross-section: (offset along N, offset along a), the last repeating the first.
constexpr float GITTER_QUERSCHNITT[9][2] = {{-0.08f, 0.0f}, {-0.04f, 0.03f}, {0.0f, 0.03f},   {0.04f, 0.03f}, {0.08f, 0.0f},
                                            {0.04f, -0.03f}, {0.0f, -0.03f}, {-0.04f, -0.03f}, {-0.08f, 0.0f}};
constexpr uint32_t GITTER_STAEBE = 8, GITTER_RINGE = 33, GITTER_PUNKTE = 9;

void BaueGitterNetz(const V3& N, const V3& a, const V3& b, FertigerPatch& d) {
  d.vertices.reserve(GITTER_STAEBE * GITTER_RINGE * GITTER_PUNKTE);
  for (uint32_t i = 0; i < GITTER_STAEBE; ++i) {
    const float g = 0.25f * float(i) - 0.875f;
    for (uint32_t j = 0; j < GITTER_RINGE; ++j) {
      const float h = float(j) / 16.0f - 1.0f;
      const V3 mitte = N * g + b * h;
      for (uint32_t k = 0; k < GITTER_PUNKTE; ++k) {
        const V3 q = mitte + N * GITTER_QUERSCHNITT[k][0] + a * GITTER_QUERSCHNITT[k][1];
        d.vertices.push_back({q.x, q.y, q.z, 0.0625f * float(i) + float(k) / 128.0f, float(j) / 64.0f, 0});
      }
    }
  }
  d.indices.reserve(size_t(GITTER_STAEBE) * 32 * 8 * 6);
  for (uint32_t i = 0; i < GITTER_STAEBE; ++i)
    for (uint32_t j = 0; j + 1 < GITTER_RINGE; ++j)
      for (uint32_t k = 0; k + 1 < GITTER_PUNKTE; ++k) {
        const uint32_t k0 = 297 * i + 9 * j + k, k1 = k0 + 1, k2 = k0 + 9, k3 = k2 + 1;
        d.indices.insert(d.indices.end(), {k0, k1, k2, k1, k3, k2});
      }
}

}  // namespace

FertigerPatch Gitter(Generator&, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::GitterPatch& g) {
  if (!IstStufe(stufe) || !IstEndlich(g.position) || !IstEndlich(g.a) || !IstEndlich(g.b)) return LeererDatensatz(key, stufe, generation);
  const V3 quer = g.b.Kreuz(g.a);
  if (!(quer.Laenge() >= 0.5f)) return LeererDatensatz(key, stufe, generation);  // no frame
  const uint32_t S = GitterSeite(stufe);
  FertigerPatch d = LeererDatensatz(key, stufe, generation);
  BaueGitterNetz(quer.Normalisiert(), g.a, g.b, d);
  std::vector<uint32_t> facetten(d.indices.size() / 3);
  for (size_t t = 0; t < facetten.size(); ++t) {
    const V3 p0 = Position(d.vertices[d.indices[3 * t]]), p1 = Position(d.vertices[d.indices[3 * t + 1]]),
             p2 = Position(d.vertices[d.indices[3 * t + 2]]);
    facetten[t] = PackeNormale((p1 - p0).Kreuz(p2 - p0).Normalisiert());
  }
  d.farbe = GefuelltesBild(S, 0xFF000000u);
  d.normale = GefuelltesBild(S, 0xFF7F7F7Fu);
  Rastere(d.vertices, d.indices, S, [&](int x, int y, uint32_t dreieck, float, float, float) {
    Zeile(d.farbe, uint32_t(y))[x] = Grau(Byte(float(win32::rand()) * 0.00077822205f + 51.500004f));
    Zeile(d.normale, uint32_t(y))[x] = facetten[dreieck];
  });
  Generator::KopiereRand(d.farbe);
  Generator::KopiereRand(d.normale);
  SetzeVerschiebung(d.transform, g.position);
  VerwirfNichtEndliches(d);
  return d;
}

// ---- lever ----

namespace {

// T · Q: Q turns about f by −45° (the lever's pose at state 0), T moves to the foot P − 0.02·d0.
void SetzeHebelTransform(float m[16], const V3& f, const V3& fuss) {
  const float theta = -0.7853982f, s = std::sin(theta), c = std::cos(theta), k = 1.0f - c;
  const float zeilen[16] = {f.x * f.x * k + c,       f.x * f.y * k + f.z * s, f.x * f.z * k - f.y * s, fuss.x,
                            f.x * f.y * k - f.z * s, f.y * f.y * k + c,       f.y * f.z * k + f.x * s, fuss.y,
                            f.x * f.z * k + f.y * s, f.y * f.z * k - f.x * s, f.z * f.z * k + c,       fuss.z,
                            0,                       0,                       0,                       1};
  std::copy(zeilen, zeilen + 16, m);
}

}  // namespace

FertigerPatch Hebel(Generator&, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::HebelPatch& h) {
  if (!IstStufe(stufe) || !IstEndlich(h.position) || !IstEndlich(h.d0) || !IstEndlich(h.e1))
    return LeererDatensatz(key, stufe, generation);
  if (!(h.d0.Kreuz(h.e1).Laenge() >= 0.5f)) return LeererDatensatz(key, stufe, generation);  // no frame
  const V3 d = h.d0.Normalisiert(), e = h.e1.Normalisiert(), f = d.Kreuz(e).Normalisiert();
  const uint32_t n = 2u << stufe, m = n / 2, S = HebelSeite(stufe), W = n + 1;
  FertigerPatch ergebnis = LeererDatensatz(key, stufe, generation);
  ergebnis.vertices.reserve(size_t(m + 1) * W);
  for (uint32_t r = 0; r <= m; ++r) {
    const float t = float(r) / float(m), w = r < m ? 0.02f : 0.0f;
    for (uint32_t k = 0; k <= n; ++k) {
      const float phi = (float(k) / float(n)) * 6.2831855f;
      const V3 q = d * (0.2f * t) + (f * std::cos(phi) - e * std::sin(phi)) * w;
      ergebnis.vertices.push_back({q.x, q.y, q.z, float(k) / float(n), 0.8f * t, 0});
    }
  }
  ergebnis.indices.reserve(size_t(6) * m * n);
  for (uint32_t r = 0; r < m; ++r)
    for (uint32_t k = 0; k < n; ++k) {
      const uint32_t oben = (r + 1) * W + k, unten = r * W + k;
      ergebnis.indices.insert(ergebnis.indices.end(), {oben, unten, unten + 1, oben, unten + 1, oben + 1});
    }

  ergebnis.farbe = GefuelltesBild(S, 0xFF554433u);
  ergebnis.normale = GefuelltesBild(S, PackeNormale(d));
  std::vector<V3> relief(size_t(S) * S);
  Rastere(ergebnis.vertices, ergebnis.indices, S, [&](int x, int y, uint32_t dreieck, float l0, float l1, float l2) {
    const V3 q = Interpoliere(ergebnis.vertices, ergebnis.indices, dreieck, l0, l1, l2);
    relief[size_t(y) * S + uint32_t(x)] = q;
    const float schatten = std::clamp(30.0f * q.Punkt(d), 0.0f, 1.0f);
    Zeile(ergebnis.farbe, uint32_t(y))[x] =
        Argb(Byte(schatten * 119.00001f + 0.5f), Byte(schatten * 102.00001f + 0.5f), Byte(schatten * 85.0f + 0.5f));
  });
  // The four-term sum is −4 (∂P/∂u × ∂P/∂v), which for the tube points inward: negated, as for
  // the face, the map points outward.
  BerechneReliefNormalen(relief, S, -1.0f, ergebnis.normale);
  Generator::KopiereRand(ergebnis.farbe);
  Generator::KopiereRand(ergebnis.normale);
  SetzeHebelTransform(ergebnis.transform, f, h.position - h.d0 * 0.02f);
  VerwirfNichtEndliches(ergebnis);
  return ergebnis;
}

// ---- button ----

FertigerPatch Knopf(Generator&, uint32_t key, uint32_t stufe, uint32_t generation, const Generator::KnopfPatch& k) {
  if (!IstStufe(stufe) || !IstEndlich(k.position) || !IstEndlich(k.richtung) || !KnopfGroesseGueltig(k.groesse))
    return LeererDatensatz(key, stufe, generation);
  const V3& d = k.richtung;
  const float r = k.groesse;
  const V3 hilfe = std::fabs(d.y) > 0.999f ? V3(0, 0, 1) : V3(0, 1, 0);
  const V3 t1 = d.Kreuz(hilfe).Normalisiert(), t2 = t1.Kreuz(d).Normalisiert();
  const uint32_t n = 2u << stufe, S = KnopfSeite(stufe);
  FertigerPatch ergebnis = LeererDatensatz(key, stufe, generation);
  const float skala = (float(S) - 1.0f) / float(S), versatz = 0.5f / float(S);
  ergebnis.vertices.reserve(size_t(n + 1) * (n + 1));
  for (uint32_t j = 0; j <= n; ++j) {
    const float gy = float(2 * j) / float(n) - 1.0f;
    for (uint32_t i = 0; i <= n; ++i) {
      const float gx = float(2 * i) / float(n) - 1.0f;
      const V3 q = t1 * (r * gx) + t2 * (r * gy);
      ergebnis.vertices.push_back({q.x, q.y, q.z, (gx + 1.0f) / 2.0f * skala + versatz, (gy + 1.0f) / 2.0f * skala + versatz, 0});
    }
  }
  ergebnis.indices.reserve(size_t(6) * n * n);
  for (uint32_t j = 0; j < n; ++j)
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t k0 = j * (n + 1) + i, k2 = (j + 1) * (n + 1) + i;
      ergebnis.indices.insert(ergebnis.indices.end(), {k2, k2 + 1, k0, k2 + 1, k0 + 1, k0});
    }

  ergebnis.farbe = GefuelltesBild(S, 0xFFAAAAAAu);
  ergebnis.normale = GefuelltesBild(S, PackeNormale(d));
  std::vector<V3> relief(size_t(S) * S);
  Rastere(ergebnis.vertices, ergebnis.indices, S, [&](int x, int y, uint32_t dreieck, float l0, float l1, float l2) {
    const V3 q = Interpoliere(ergebnis.vertices, ergebnis.indices, dreieck, l0, l1, l2);
    const float w = 1.0f - std::clamp(2.0f * (std::fabs(q.x) + std::fabs(q.y) + std::fabs(q.z)) / r - 1.0f, 0.0f, 1.0f);
    relief[size_t(y) * S + uint32_t(x)] = q + d * ((0.6f * w - 0.2f) * r);
    Zeile(ergebnis.farbe, uint32_t(y))[x] = Grau(Byte(170.0f * w + 0.5f));
  });
  BerechneReliefNormalen(relief, S, 1.0f, ergebnis.normale);
  SetzeAufRelief(ergebnis.vertices, relief, S);
  Generator::KopiereRand(ergebnis.farbe);
  Generator::KopiereRand(ergebnis.normale);
  SetzeVerschiebung(ergebnis.transform, k.position);
  VerwirfNichtEndliches(ergebnis);
  return ergebnis;
}

}  // namespace Spiel::PatchErbauer

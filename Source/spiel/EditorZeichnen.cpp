// The editor's overlays: the grid, the object markers and cursor, the cell frames (all into the
// global line batch) and the texts on the game font.
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "Editor.h"
#include "Kamera.h"
#include "Raster.h"
#include "Ressourcen.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_LinienStapel.h"

namespace Spiel {

namespace {

using V3 = BVektor3<float>;

constexpr TAlphaFarbe GITTER_FARBE{128.0f / 255, 128.0f / 255, 128.0f / 255, 128.0f / 255};
constexpr TAlphaFarbe GRAU{128.0f / 255, 128.0f / 255, 128.0f / 255, 128.0f / 255};
constexpr int32_t GITTER_RADIUS = 10;

void Linie(const V3& von, const V3& bis, const TAlphaFarbe& farbe, float dicke) {
  Zarvo_LinienStapel::AddLinie(von, bis, farbe, dicke);
}

TAlphaFarbe Mal(const TAlphaFarbe& f, float r, float g, float b, float a) { return {f.r * r, f.g * g, f.b * b, f.a * a}; }

}  // namespace

void Editor::ZeichneGitter() {
  const float gx = 2.0f * std::floor(ziel.x / 2.0f), gz = 2.0f * std::floor(ziel.z / 2.0f);
  const float h = 2.0f * float(schicht) + 0.1f;
  for (int32_t j = -GITTER_RADIUS; j <= GITTER_RADIUS; ++j)
    for (int32_t i = -GITTER_RADIUS; i <= GITTER_RADIUS; ++i) {
      const V3 p{gx + 2.0f * float(i), h, gz + 2.0f * float(j)};
      if (i < GITTER_RADIUS) Linie(p, {p.x + 2.0f, h, p.z}, GITTER_FARBE, 1.0f);
      if (j < GITTER_RADIUS) Linie(p, {p.x, h, p.z + 2.0f}, GITTER_FARBE, 1.0f);
    }
}

void Editor::ZeichneKopfzeilen() {
  if (Zarvo_Font3D* schrift = Ressourcen::Schrift()) schrift->SetzeStilZurueck();
  horizontal = vertikal = 0;
  SchreibeText(10, 10, "Cursor auf (%.1f, %.1f), Hoehe %.3f", mausPunkt.x, mausPunkt.z, mausPunkt.y);
  if (dateiBeschaedigt) SchreibeText(10, 70, "Achtung: szene.dat ist beschädigt - Standardkarte");
  const std::vector<Karte::Objekt>& objekte = szene.karte.objekte;
  for (uint64_t i = 0; i < objekte.size(); ++i)
    ZeichneObjektMarken(objekte[i].typ, {objekte[i].x, objekte[i].y, objekte[i].z}, GRAU, i);
  SetzeAusrichtung(0, 0);
}

void Editor::ZeichneObjektMarken(uint32_t typ, const V3& position, const TAlphaFarbe& f, uint64_t index) {
  const Karte::ObjektTyp& zeile = Karte::ObjektTypVon(typ);
  const V3 p = Raster::Einrasten(zeile, position) * 2.0f;
  const float l = 0.3f * f.r + 0.59f * f.g + 0.11f * f.b;
  Linie(position * 2.0f, p, {l, l, l, 0.5f}, 1.0f);
  ZeichneObjektCursor(p, Mal(f, 0.8f, 0.8f, 0.8f, 0.5f));

  float sx = 0, sy = 0;
  if (Kamera::ProjiziereAufBildschirm({p.x, p.y + 0.1f, p.z}, ansicht, sx, sy)) {
    SetzeAusrichtung(1, 4);
    if (index == KEIN_INDEX) SchreibeText(sx, sy, "%s", zeile.name);
    else SchreibeText(sx, sy, "%s #%zd", zeile.name, size_t(index));
  }

  const TAlphaFarbe vorn = Mal(f, 96.0f / 255, 112.0f / 255, 1.0f, 1.0f);
  const TAlphaFarbe hinten = Mal(f, 80.0f / 255, 96.0f / 255, 192.0f / 255, 1.0f);
  const TAlphaFarbe seite = Mal(f, 1.0f, 112.0f / 255, 96.0f / 255, 1.0f);
  for (int k = 0; k < 16; ++k) {
    const float a = 0.4f * float(k);
    const float cs = std::cos(a), sn = std::sin(a);
    const V3 ring{p.x + 0.1f * cs, p.y + 0.1f * sn, p.z};
    Linie(ring, {p.x + 0.07f * cs, p.y + 0.07f * sn, p.z + 0.4f}, vorn, 1.0f);
    Linie({p.x + 0.03f * cs, p.y + 0.03f * sn, p.z - 0.1f}, ring, hinten, 1.0f);
    const V3 quer{p.x, p.y + 0.1f * cs, p.z + 0.1f * sn};
    Linie({p.x - 0.2f, p.y + 0.03f * cs, p.z + 0.03f * sn}, quer, seite, 1.0f);
    Linie({p.x + 0.2f, p.y + 0.03f * cs, p.z + 0.03f * sn}, quer, seite, 1.0f);
  }
}

void Editor::ZeichneObjektCursor(const V3& p, const TAlphaFarbe& f) {
  Linie({p.x, p.y - 1.0f, p.z}, {p.x, p.y + 3.0f, p.z}, Mal(f, 1.25f, 1.25f, 1.25f, 1.25f), 1.0f);
  constexpr float VIERTEL_PI = 0.78539819f;
  for (int k = 0; k < 8; ++k) {
    const float a = float(k) * VIERTEL_PI;
    const float cs = std::cos(a), sn = std::sin(a);
    Linie(p, {p.x + 0.1f * cs, p.y + 0.1f, p.z + 0.1f * sn}, f, 1.0f);
    const V3 oben{p.x + 0.1f * cs, p.y + 1.0f, p.z + 0.1f * sn};
    Linie({p.x + 0.1f * cs, p.y - 0.2f, p.z + 0.1f * sn}, oben, f, 1.0f);
    Linie(oben, {p.x + 0.02f * cs, p.y + 1.5f, p.z + 0.02f * sn}, f, 1.0f);
  }
}

void Editor::ZeichneZellenRahmen(const Zellposition& zelle, const TAlphaFarbe& f, float w) {
  const float X = 2.0f * float(zelle.x), Y = 2.0f * float(zelle.y), Z = 2.0f * float(zelle.z);
  const float a = 0.2f, b = 1.8f;
  // The twelve edges: four along each axis.
  for (int k = 0; k < 4; ++k) {
    const float u = (k & 1) ? b : a, v = (k & 2) ? b : a;
    Linie({X + a, Y + u, Z + v}, {X + b, Y + u, Z + v}, f, w);
    Linie({X + u, Y + a, Z + v}, {X + u, Y + b, Z + v}, f, w);
    Linie({X + u, Y + v, Z + a}, {X + u, Y + v, Z + b}, f, w);
  }
  const TAlphaFarbe rot = Mal(f, 1.0f, 64.0f / 255, 64.0f / 255, 1.0f);
  const TAlphaFarbe gruen = Mal(f, 64.0f / 255, 1.0f, 64.0f / 255, 1.0f);
  const TAlphaFarbe blau = Mal(f, 64.0f / 255, 64.0f / 255, 1.0f, 1.0f);
  const V3 px{X + 1.8f, Y + 0.2f, Z + 0.2f};
  for (const V3& q : {V3{X + 1.6f, Y, Z + 0.2f}, V3{X + 1.6f, Y + 0.4f, Z + 0.2f}, V3{X + 1.6f, Y + 0.2f, Z},
                      V3{X + 1.6f, Y + 0.2f, Z + 0.4f}})
    Linie(px, q, rot, w);
  const V3 py{X + 0.2f, Y + 1.8f, Z + 0.2f};
  for (const V3& q : {V3{X, Y + 1.6f, Z + 0.2f}, V3{X + 0.4f, Y + 1.6f, Z + 0.2f}, V3{X + 0.2f, Y + 1.6f, Z},
                      V3{X + 0.2f, Y + 1.6f, Z + 0.4f}})
    Linie(py, q, gruen, w);
  const V3 pz{X + 0.2f, Y + 0.2f, Z + 1.8f};
  for (const V3& q : {V3{X, Y + 0.2f, Z + 1.6f}, V3{X + 0.4f, Y + 0.2f, Z + 1.6f}, V3{X + 0.2f, Y, Z + 1.6f},
                      V3{X + 0.2f, Y + 0.4f, Z + 1.6f}})
    Linie(pz, q, blau, w);
  const float h = Y + 2.2f;
  const V3 ecken[4] = {{X + a, h, Z + a}, {X + b, h, Z + a}, {X + b, h, Z + b}, {X + a, h, Z + b}};
  for (int k = 0; k < 4; ++k) Linie(ecken[k], ecken[(k + 1) % 4], f, w);
}

void Editor::SetzeAusrichtung(uint32_t h, uint32_t v) {
  horizontal = h;
  vertikal = v;
  if (Zarvo_Font3D* schrift = Ressourcen::Schrift()) schrift->SetAusrichtung(h, v);
}

void Editor::SchreibeText(float x, float y, const char* format, ...) {
  char puffer[512];
  va_list argumente;
  va_start(argumente, format);
  std::vsnprintf(puffer, sizeof puffer, format, argumente);
  va_end(argumente);
  texte.push_back({x, y, horizontal, vertikal, puffer});
  if (Zarvo_Font3D* schrift = Ressourcen::Schrift()) schrift->ZeichneFormat(x, y, "%s", puffer);
}

}  // namespace Spiel

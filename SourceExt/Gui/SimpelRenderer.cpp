#include "SimpelRenderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Button.h"
#include "EingabeZeile.h"
#include "Hinweis.h"
#include "Text.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_SpriteAtlas.h"
#include "Zarvo_Start.h"
#include "Zarvo_ZeichenKontext.h"

namespace Gui {

namespace {

constexpr float PI = std::numbers::pi_v<float>;
constexpr float TIEFE = 0.5f;
constexpr uint64_t PANEL = 0;  // the atlas entry every panel is drawn with

// Written so that NaN gives 0.
float Klemme01(float x) { return x > 0 ? (x < 1 ? x : 1) : 0; }

float SekundenSeit(TZeit stempel) { return float(g_Zeit.zeit - stempel) * g_ZeitInversF; }

float Vorzeichen(float x) { return float((x > 0) - (x < 0)); }

// Fade-in over 0.5 s after showing; while hidden in the tree, times the fade-out over 0.5 s.
float Deckung(const Basis& w) {
  float a = std::sqrt(Klemme01(2 * SekundenSeit(w.SichtbarSeit())));
  if (!w.IstSichtbarImBaum()) a *= SimpelRenderer::Ueberblendung(w.VerstecktSeit(), 0.5f, 5);
  return a;
}

// The focus glow: in over 0.2 s after gaining the focus, out over 0.2 s after losing it.
float Glanz(const Basis& w) {
  float f = Klemme01(5 * SekundenSeit(w.FokusErhaltenUm()));
  if (!w.IstFokussiert()) f *= SimpelRenderer::Ueberblendung(w.FokusVerlorenUm(), 0.2f, 1);
  return f;
}

// Halfway from each colour channel to grey, alpha kept.
TAlphaFarbe Ausgegraut(const TAlphaFarbe& c) { return {(c.r + 0.5f) / 2, (c.g + 0.5f) / 2, (c.b + 0.5f) / 2, c.a}; }

// A viewport coordinate: the float clamped to 0 .. grenze before the conversion.
uint64_t AlsPixel(float wert, uint64_t grenze) {
  if (!(wert > 0)) return 0;
  if (!(wert < float(grenze))) return grenze;
  return uint64_t(wert);
}

}  // namespace

SimpelRenderer::SimpelRenderer(Zarvo_SpriteAtlas* atlas_, Zarvo_Font3D* font_) : atlas(atlas_), font(font_) {}

float SimpelRenderer::Ueberblendung(TZeit stempel, float dauer, uint32_t kurve) {
  const float t = Klemme01(SekundenSeit(stempel) / dauer);
  switch (kurve) {
    case 0: return t;
    case 1: return 1 - t;
    case 2: return t * t;
    case 3: return 1 - t * t;
    case 4: return std::sqrt(t);
    case 5: return 1 - std::sqrt(t);
    case 6: return 0.5f - 0.5f * std::cos(PI * t);
    case 7: return 0.5f * (std::cos(PI * t) + 1);
    case 8: return 1 - std::cos(4 * PI * t) * (1 - t);
    case 9: return std::cos(4 * PI * t) * (1 - t);
    case 10: return 1 - std::fabs(std::cos(4 * PI * t)) * (1 - t);
    case 11: return std::fabs(std::cos(4 * PI * t)) * (1 - t);
    case 12: return std::sin(PI * t);
    case 13: return t == 1 ? 1.0f : 0.0f;
    case 14: return t == 1 ? 0.0f : 1.0f;
    case 15: return t == 1 ? 0.0f : t;
    case 16: return t == 1 ? 1.0f : 1 - t;
    default: return 1;
  }
}

// ---- frame and clipping ----

void SimpelRenderer::BeginneZeichnen() {
  if (atlas) atlas->Liste().zentriert = 0;
  if (font && font->NativeHoehe() > 0) font->SetGroesse(font->NativeHoehe());
}

void SimpelRenderer::SetzeClipping(Basis& komponente, const BVektor3<float>& position, const BVektor3<float>& groesse) {
  Leere();
  clipStapel.push_back({position, groesse, &komponente});
  ursprung = position;
  SetzeViewport(position, groesse);
}

void SimpelRenderer::EntferneClipping(Basis&) {
  Leere();
  if (!clipStapel.empty()) clipStapel.pop_back();
  if (clipStapel.empty()) {
    ursprung = {0, 0, 0};
    SetzeGanzesZiel();
    return;
  }
  const Clip& oben = clipStapel.back();
  ursprung = oben.position;
  SetzeViewport(oben.position, oben.groesse);
}

void SimpelRenderer::BeendeZeichnen() { Leere(); }

void SimpelRenderer::Leere() {
  if (atlas) atlas->Zeichne();
  if (font) font->ZeichneAlles();
}

void SimpelRenderer::SetzeViewport(const BVektor3<float>& position, const BVektor3<float>& groesse) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (!kontext) return;
  const uint64_t b = kontext->zielBreite;
  const uint64_t h = kontext->zielHoehe;
  kontext->SetRenderBereich(AlsPixel(position.x, b), AlsPixel(position.y, h), AlsPixel(groesse.x, b), AlsPixel(groesse.y, h));
}

void SimpelRenderer::SetzeGanzesZiel() {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext) kontext->SetRenderBereich(0, 0, kontext->zielBreite, kontext->zielHoehe);
}

// ---- primitives ----

void SimpelRenderer::Rechteck(float x, float y, const TAlphaFarbe& farbe, float breite, float hoehe) {
  // The sprite list reads a side of exactly 0 as the entry's own size: an empty rectangle would
  // become a 16-pixel square, a negative one a mirrored rectangle.
  if (!atlas || !(breite > 0) || !(hoehe > 0)) return;
  atlas->AddSprite(PANEL, {x - ursprung.x, y - ursprung.y, TIEFE}, farbe, breite, hoehe, 0);
}

void SimpelRenderer::TextImRechteck(float x, float y, float breite, float hoehe, const std::string& text) {
  if (!font) return;
  font->ZeichneBlock(x - ursprung.x, y - ursprung.y, breite, hoehe, "%s", text.c_str());
}

void SimpelRenderer::SetzeSchrift(const TAlphaFarbe& farbe, uint32_t horizontal, uint32_t vertikal, float skalierung) {
  if (!font) return;
  font->farbe = farbe;
  font->SetAusrichtung(horizontal, vertikal);
  font->SetGroesse(font->NativeHoehe() * skalierung);
}

float SimpelRenderer::ZeichneBild(const BVektor3<float>& position, const BVektor3<float>& groesse, const ButtonBild& bild,
                                  float alpha, bool aktiv) {
  Zarvo_SpriteAtlas* bildAtlas = bild.Atlas();
  const Zarvo_GfxAtlas::Eintrag* eintrag = bildAtlas->GibEintrag(bild.Index());
  // An entry the atlas does not hold has no size to scale by.
  if (!eintrag || eintrag->w == 0 || eintrag->h == 0) return 0;
  const float w = float(eintrag->w);
  const float h = float(eintrag->h);
  const float k = std::min(groesse.y / h, 1.0f);
  if (!(k > 0)) return 0;  // a size of 0 would be read as the entry's own
  const TAlphaFarbe farbe = aktiv ? TAlphaFarbe{1, 1, 1, alpha} : TAlphaFarbe{0.5f, 0.5f, 0.5f, alpha / 2};
  Zarvo_SpriteListe& liste = bildAtlas->Liste();
  const uint8_t vorher = liste.zentriert;
  liste.zentriert = 1;
  liste.AddSprite(bild.Index(), {position.x - ursprung.x + k * w / 2, position.y - ursprung.y + groesse.y / 2, TIEFE}, farbe,
                  k * w, k * h, 0);
  liste.zentriert = vorher;
  if (bildAtlas != atlas) bildAtlas->Zeichne();
  return k * w + 10;
}

void SimpelRenderer::Element(const BVektor3<float>& position, const BVektor3<float>& groesse, const ButtonBild& bild,
                             const std::string& text, const TAlphaFarbe& farbe, float skalierung, bool aktiv) {
  float versatz = 0;
  if (bild.Atlas()) {
    if (atlas) atlas->Zeichne();  // the panels below the image
    versatz = ZeichneBild(position, groesse, bild, farbe.a, aktiv);
  }
  if (text.empty() || !font) return;
  font->farbe = aktiv ? farbe : Ausgegraut(farbe);
  font->SetGroesse(font->NativeHoehe() * skalierung);
  TextImRechteck(position.x + versatz, position.y, groesse.x - versatz, groesse.y, text);
}

// ---- widgets ----

void SimpelRenderer::Slot5(Basis&) {}

void SimpelRenderer::ZeichneHintergrund(Basis& w) {
  const float a = Deckung(w);
  const float wert = w.EigenerStilWert("hintergrund", 0);
  if (a == 0 || !(wert > 0)) return;
  const BVektor3<float> p = w.AbsolutePosition();
  const BVektor3<float>& g = w.GespeicherteGroesse();
  Rechteck(p.x, p.y, {0, 0, 0, a * wert}, g.x, g.y);
}

void SimpelRenderer::ZeichneText(Text& t) {
  const float a = Deckung(t);
  if (!(a > 0)) return;
  const BVektor3<float> p = t.AbsolutePosition();
  const BVektor3<float>& g = t.GespeicherteGroesse();
  Rechteck(p.x, p.y, {0.2f, 0.2f, 0.2f, 0.7f * a}, g.x, g.y);
  if (!(g.x >= 4 && g.y >= 4)) return;
  const float rh = t.EigenerStilWert("richt_horiz", 0.5f);
  const float rv = t.EigenerStilWert("richt_vert", 0.5f);
  const uint32_t horizontal = rh < 0.3f ? Zarvo_Font3D::LINKS : rh > 0.7f ? Zarvo_Font3D::RECHTS : Zarvo_Font3D::MITTE;
  const uint32_t vertikal = rv < 0.3f ? Zarvo_Font3D::OBEN : rv > 0.7f ? Zarvo_Font3D::UNTEN : Zarvo_Font3D::VERTIKAL_MITTE;
  SetzeSchrift({1, 1, 1, a}, horizontal, vertikal, t.Skalierung());
  TextImRechteck(p.x + 2, p.y + 2, g.x - 4, g.y - 4, t.text);
}

void SimpelRenderer::ZeichneButton(Button& b) {
  const float a = Deckung(b);
  if (!(a > 0)) return;
  const float f = Glanz(b);
  const float glanz = f * 0.2f;
  const bool aktiv = b.IstAktiv();
  const BVektor3<float> p = b.AbsolutePosition();
  const BVektor3<float>& g = b.GespeicherteGroesse();

  const TAlphaFarbe rahmen = aktiv ? TAlphaFarbe{0.2f + glanz, 0.2f + glanz, 0.4f + glanz, 1.8f * a}
                                   : TAlphaFarbe{0.7f, 0.7f, 0.7f, 0.8f * a};
  Rechteck(p.x - 4 * f, p.y - 4 * f, rahmen, g.x + 8 * f, g.y + 8 * f);
  if (g.x >= 4 && g.y >= 4) {
    const TAlphaFarbe innen = aktiv ? TAlphaFarbe{0.6f + glanz, 0.6f + glanz, 0.8f + glanz, 2 * a}
                                    : TAlphaFarbe{0.8f, 0.8f, 0.8f, 0.8f * a};
    Rechteck(p.x + 2, p.y + 2, innen, g.x - 4, g.y - 4);
    if (font) font->SetAusrichtung(Zarvo_Font3D::MITTE, Zarvo_Font3D::VERTIKAL_MITTE);
    Element({p.x + 2, p.y + 2, p.z}, {g.x - 4, g.y - 4, g.z}, b.Bild(), b.beschriftung, {0, 0, 0, a}, b.Skalierung(), aktiv);
  }
  // The click flash swells and fades within 0.2 s. Only strictly inside the interval: sin(π)
  // rounds to a small positive float and would flash every button in every frame.
  const float druck = Klemme01(5 * SekundenSeit(b.GedruecktUm()));
  if (!(druck > 0 && druck < 1)) return;
  const float s = std::sin(PI * druck);
  const float e = 20 * s + 2;
  Rechteck(p.x + 2 - e, p.y + 2 - e, {1, 1, 1, 0.5f * s}, g.x - 4 + 2 * e, g.y - 4 + 2 * e);
}

void SimpelRenderer::ZeichneEingabeZeile(EingabeZeile& l) {
  const float a = Deckung(l);
  if (!(a > 0)) return;
  const float f = Glanz(l);
  const BVektor3<float> p = l.AbsolutePosition();
  const BVektor3<float>& g = l.GespeicherteGroesse();

  Rechteck(p.x + 2 - 4 * f, p.y + 2 - 4 * f, {0.25f, 0.25f, 0.4f, f * a}, g.x - 4 + 8 * f, g.y - 4 + 8 * f);
  const float blitz = std::sin(PI * Klemme01(10 * SekundenSeit(l.GeaendertUm())));
  const float v = 0.1f * blitz + 0.2f * f + 0.25f;
  const TAlphaFarbe rand{v, v, v, a};
  Rechteck(p.x, p.y, rand, g.x, 2);
  Rechteck(p.x, p.y + 2, rand, 2, g.y - 4);
  Rechteck(p.x + g.x - 2, p.y + 2, rand, 2, g.y - 4);
  Rechteck(p.x, p.y + g.y - 2, rand, g.x, 2);

  if (!font) return;
  SetzeSchrift({1, 1, 1, a}, Zarvo_Font3D::LINKS, Zarvo_Font3D::VERTIKAL_MITTE, l.Skalierung());
  TextImRechteck(p.x + 2, p.y + 2, g.x - 4, g.y - 4, l.GibText());
  if (!(f > 0)) return;
  const float cx = font->GibTextBreite(std::string(l.TextVorCursor()).c_str());
  const float s = font->Groesse();
  Rechteck(p.x + cx, p.y + g.y / 2 - s / 2, {1, 1, 0, f * a}, 4, s);
}

void SimpelRenderer::ZeichneHinweis(Hinweis& t) {
  const float a = Deckung(t);
  if (!(a > 0)) return;
  const TAlphaFarbe grau{0.8f, 0.8f, 0.8f, 0.105f * a};
  const BVektor3<float> p = t.AbsolutePosition();
  const BVektor3<float>& g = t.GespeicherteGroesse();
  if (const Basis* besitzer = t.Besitzer()) {
    // A tail of growing boxes from near the owner's centre to the tooltip's.
    const BVektor3<float>& og = besitzer->GespeicherteGroesse();
    const BVektor3<float> mitte = p + g * 0.5f;
    const BVektor3<float> o = besitzer->AbsolutePosition() + og * 0.5f;
    const BVektor3<float> anker{o.x + Vorzeichen(mitte.x - o.x) * 0.35f * og.x, o.y + Vorzeichen(mitte.y - o.y) * 0.35f * og.y, 0};
    for (int i = 1; i <= 20; ++i) {
      const float k = float(i * i) / 441.0f;
      const float bx = anker.x + k * (mitte.x - anker.x);
      const float by = anker.y + k * (mitte.y - anker.y);
      Rechteck(bx - k * g.x / 2, by - k * g.y / 2, grau, k * g.x, k * g.y);
    }
  }
  Rechteck(p.x, p.y, {0.8f, 0.8f, 0.8f, 0.7f * a}, g.x, g.y);
  SetzeSchrift({0, 0, 0, a}, Zarvo_Font3D::MITTE, Zarvo_Font3D::VERTIKAL_MITTE, t.Skalierung());
  TextImRechteck(p.x + 5, p.y + 5, g.x - 10, g.y - 10, t.text);
}

}  // namespace Gui

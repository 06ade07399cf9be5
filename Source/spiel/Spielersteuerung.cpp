// Player control: the game's mouse in one frame. A widget under the mouse takes it whole;
// otherwise the mouse turns the look, the lever, button or loose stone nearest to it within
// three units is picked and labelled, the cursor shows what a click in its screen zone does, and
// the click turns, steps, pulls, presses, takes, puts down or throws.
//
// Picking and projection use the view matrix of the previous frame (Aktualisiere rebuilds it
// after this runs); the look written here enters the matrix built later in the same frame.
#include <algorithm>
#include <cmath>

#include "Bewegung.h"
#include "Buttons.h"
#include "Karte.h"
#include "Oberflaeche.h"
#include "Objektregeln.h"
#include "Raster.h"
#include "Ressourcen.h"
#include "SpielAblauf.h"
#include "Zarvo_Font3D.h"
#include "Zarvo_SpriteAtlas.h"

namespace Spiel {

namespace {

using Zellposition = SpielAblauf::Zellposition;

// Pick kinds: the object-type numbers.
constexpr uint32_t ART_KEINE = 0, ART_HEBEL = 2, ART_KNOPF = 4, ART_GEGENSTAND = 8;
constexpr float REICHWEITE_QUADRAT = 9.0f;  // 3 units from the eye
constexpr float WAHL_ANTEIL = 0.1f;         // of the screen diagonal
constexpr float MAUS_GIEREN = -1.8849558f;  // -0.6 pi over the screen's width
constexpr float MAUS_NEIGUNG = 0.62831855f; // 0.2 pi from the centre to an edge
constexpr float SPRITE_TIEFE = 0.5f;
constexpr uint64_t SPRITE_KASTEN = 0, SPRITE_ERSTES_SYMBOL = 51;
constexpr float KASTEN_RAND = 10.0f;
constexpr TAlphaFarbe WEISS{1, 1, 1, 1};
constexpr TAlphaFarbe KASTEN_FARBE{0, 0, 0, 0.50196081f};
constexpr float ABLAGE_GRENZE = 1.1f;     // world units from the cell centre
constexpr float FALL_ANSTOSS = 0.1f;      // blocks per second downward
constexpr float WURF_GESCHWINDIGKEIT = 2.0f;
constexpr float HEBEL_GESCHWINDIGKEIT = 2.0f, GITTER_GESCHWINDIGKEIT = 1.0f;
// The lever that opens rooms B and C of the shipped level, and its two gates.
const Zellposition VERKNUEPFTER_HEBEL{2, 1, 14};
constexpr uint32_t VERKNUEPFTE_GITTER[2][3] = {{3, 1, 15}, {4, 1, 19}};

const Karte::ObjektTyp& GegenstandsRaster() { return Karte::ObjektTypen[ART_GEGENSTAND]; }

BVektor3<float> AlsFloat(const Zellposition& v) { return {float(v.x), float(v.y), float(v.z)}; }
BVektor3<float> Richtung(uint32_t blick) { return AlsFloat(Objektregeln::RichtungsSchritt(blick)); }

Zellposition Abgeschnitten(const BVektor3<float>& p) {
  return {Raster::AbschneidenInt32(p.x), Raster::AbschneidenInt32(p.y), Raster::AbschneidenInt32(p.z)};
}

bool IstBlockOderTreppe(uint32_t typ) { return typ >= Karte::Fels && typ <= Karte::MauerTreppe2H; }
bool IstVoll(uint32_t typ) { return typ == Karte::Fels || typ == Karte::Mauer; }
bool Gueltig(const Kamera::Schirm& schirm) { return schirm.breite > 0 && schirm.hoehe > 0; }

const Szene::GegenstandDef& Definition(uint32_t typ) {
  return Szene::Gegenstaende[typ < Szene::ANZAHL_GEGENSTAENDE ? typ : 0];
}

}  // namespace

uint32_t SpielAblauf::ZonenCursor(float mx, float my, const Kamera::Schirm& schirm) {
  if (mx < 0.25f * schirm.breite) return CURSOR_LINKS;
  if (mx > 0.75f * schirm.breite) return CURSOR_RECHTS;
  if (my < 0.4f * schirm.hoehe) return CURSOR_VOR;
  if (my > 0.75f * schirm.hoehe) return CURSOR_ZURUECK;
  return CURSOR_ZEIGER;
}

// The ray meets the floor of the player's level; the point, at most 1.1 units from the cell's
// centre, is snapped to the half-block grid. Types are read through Bewegung::TypBei, so a cell
// outside the grid counts as rock.
SpielAblauf::Ablage SpielAblauf::AblageOrt(const Karte& karte, const Zellposition& zelle, const BVektor3<float>& kamera,
                                           const BVektor3<float>& strahl, float hoehe) {
  const BVektor3<float> mitte{2.0f * float(zelle.x) + 1.0f, 2.0f * float(zelle.y), 2.0f * float(zelle.z) + 1.0f};
  const float k = (mitte.y - kamera.y) / strahl.y;
  const float ox = std::clamp(kamera.x + k * strahl.x - mitte.x, -ABLAGE_GRENZE, ABLAGE_GRENZE);
  const float oz = std::clamp(kamera.z + k * strahl.z - mitte.z, -ABLAGE_GRENZE, ABLAGE_GRENZE);
  BVektor3<float> p = Raster::Einrasten(GegenstandsRaster(), {(mitte.x + ox) / 2, float(zelle.y), (mitte.z + oz) / 2});
  const Zellposition q = Abgeschnitten(p);
  if (IstBlockOderTreppe(Bewegung::TypBei(karte, q))) p -= AlsFloat(q - zelle) * 0.5f;
  p = Raster::Einrasten(GegenstandsRaster(), p);
  p.y = std::floor(p.y) + hoehe;
  const Zellposition e = Abgeschnitten(p);
  const bool faellt = e.y > 0 && !IstVoll(Bewegung::TypBei(karte, {e.x, e.y - 1, e.z}));
  return {p, faellt};
}

SpielAblauf::Wurf SpielAblauf::WurfStart(const Zellposition& zelle, uint32_t blick, const BVektor3<float>& strahl) {
  const BVektor3<float> vorne = Richtung(blick), rechts = Richtung(Bewegung::RechtsDrehung(blick));
  const float seite = strahl.Punkt(rechts) >= 0 ? 1.0f : -1.0f;
  const BVektor3<float> mitte = AlsFloat(zelle) + BVektor3<float>{0.5f, 0.75f, 0.5f};
  return {mitte + vorne * 0.25f + rechts * (0.25f * seite), vorne * WURF_GESCHWINDIGKEIT};
}

void SpielAblauf::AktualisiereSpieler() {
  const Kamera::Maus maus = Kamera::LiesMaus();
  const Kamera::Schirm schirm = Kamera::LiesSchirm();
  if (MausUeberWidget(maus)) {
    cursor = CURSOR_ZEIGER;
    return;
  }
  const Wahl wahl = WaehleObjekt(maus, schirm);
  Zarvo_SpriteAtlas* atlas = Ressourcen::Atlas();
  if (atlas) atlas->Liste().zentriert = 1;
  const BVektor3<float> kamera = Kamera::Position(ansicht);
  const BVektor3<float> strahl = Kamera::StrahlDurchMaus(ansicht, maus.x, maus.y, schirm);
  if (Gueltig(schirm)) {
    mausGieren = (maus.x / schirm.breite - 0.5f) * MAUS_GIEREN;
    neigung = (2.0f * maus.y / schirm.hoehe - 1.0f) * MAUS_NEIGUNG;
  }
  if (!getragen.da) {
    cursor = wahl.art != ART_KEINE ? CURSOR_ZEIGER : ZonenCursor(maus.x, maus.y, schirm);
    if (maus.klick) Zonenklick(cursor);
  } else {
    ZeichneGetragenes(maus, schirm, kamera, strahl);
    cursor = KEIN_CURSOR;
  }
  if (wahl.art != ART_KEINE) {
    // A pick takes the click: a carried stone is not put down.
    ZeichneEtikett(wahl, schirm);
    cursor = CURSOR_ZEIGER;
    if (maus.klick) KlickeAuf(wahl);
    return;
  }
  if (getragen.da && maus.klick) GibGetragenesAb(kamera, strahl);
}

// "None" from the hit test (outside the surface, under a modal page's block) is no widget.
bool SpielAblauf::MausUeberWidget(const Kamera::Maus& maus) const {
  Buttons* bruecke = Buttons::Global();
  Gui::Oberflaeche* oberflaeche = bruecke ? bruecke->GibOberflaeche() : nullptr;
  if (!oberflaeche) return false;
  const Gui::Basis* treffer = oberflaeche->TrefferTest({maus.x, maus.y, 0});
  return treffer && treffer != oberflaeche;
}

// The nearest candidate on screen; equal distances keep the earlier one, so levers win over
// buttons and buttons over stones. A swinging lever and a stone sliding sideways are not
// candidates; a falling stone is.
SpielAblauf::Wahl SpielAblauf::WaehleObjekt(const Kamera::Maus& maus, const Kamera::Schirm& schirm) const {
  Wahl wahl;
  float beste = WAHL_ANTEIL * std::sqrt(schirm.breite * schirm.breite + schirm.hoehe * schirm.hoehe);
  const auto pruefe = [&](uint32_t art, uint64_t index, const BVektor3<float>& ort) {
    float x = 0, y = 0;
    if (!Kamera::ProjiziereAufBildschirm(ort, ansicht, schirm, x, y)) return;
    const BVektor3<float> vomAuge = ort - auge;
    if (!(vomAuge.Punkt(vomAuge) <= REICHWEITE_QUADRAT)) return;
    const float abstand = std::sqrt((x - maus.x) * (x - maus.x) + (y - maus.y) * (y - maus.y));
    if (!(abstand < beste)) return;
    beste = abstand;
    wahl = {art, index, ort};
  };
  const std::vector<Szene::Hebel>& hebel = szene.GibHebel();
  for (size_t i = 0; i < hebel.size(); ++i)
    if (hebel[i].zustand == 0.0f || hebel[i].zustand == 1.0f) pruefe(ART_HEBEL, i, hebel[i].position);
  const std::vector<Szene::Knopf>& knoepfe = szene.GibKnoepfe();
  for (size_t i = 0; i < knoepfe.size(); ++i) pruefe(ART_KNOPF, i, knoepfe[i].position);
  szene.GibGegenstaende().FuerLebende([&](uint64_t slot, const Szene::Gegenstand& g) {
    const BVektor3<float>& v = g.geschwindigkeit;
    if (g.bewegt && v.x * v.x + v.z * v.z > 0) return;
    pruefe(ART_GEGENSTAND, slot, g.position * 2.0f);
  });
  return wahl;
}

void SpielAblauf::Zonenklick(uint32_t zonenCursor) {
  switch (zonenCursor) {
    case CURSOR_LINKS: Wuensche(Wunsch::DreheLinks); break;
    case CURSOR_RECHTS: Wuensche(Wunsch::DreheRechts); break;
    case CURSOR_VOR: Wuensche(Wunsch::Vor); break;
    case CURSOR_ZURUECK: Wuensche(Wunsch::Zurueck); break;
    default: break;
  }
}

// The carried stone's icon at the mouse; while the ray points up, six copies along it, scaled by
// their depth.
void SpielAblauf::ZeichneGetragenes(const Kamera::Maus& maus, const Kamera::Schirm& schirm, const BVektor3<float>& kamera,
                                    const BVektor3<float>& strahl) const {
  Zarvo_SpriteAtlas* atlas = Ressourcen::Atlas();
  if (!atlas) return;
  const uint64_t symbol = SPRITE_ERSTES_SYMBOL + getragen.typ;
  atlas->AddSprite(symbol, {maus.x, maus.y, SPRITE_TIEFE}, WEISS, 0, 0, 0);
  if (!(strahl.y > 0)) return;
  const Zarvo_GfxAtlas::Eintrag* eintrag = atlas->GibEintrag(symbol);
  const float breite = eintrag ? float(eintrag->w) : 0.0f;
  const BVektor3<float> vorne = Richtung(blick);
  for (float t = 0; t < 1.01f; t += 0.2f) {
    float x = 0, y = 0, tiefe = 0;
    if (!Kamera::ProjiziereAufBildschirm(kamera + strahl - vorne * (0.1f * t), ansicht, schirm, x, y, &tiefe)) continue;
    atlas->AddSprite(symbol, {x, y, SPRITE_TIEFE}, WEISS, breite / tiefe, breite / tiefe, 0);
  }
}

// A half-black box beside the object, toward the screen's centre, with the name centred in it.
void SpielAblauf::ZeichneEtikett(const Wahl& wahl, const Kamera::Schirm& schirm) const {
  Zarvo_SpriteAtlas* atlas = Ressourcen::Atlas();
  Zarvo_Font3D* schrift = Ressourcen::Schrift();
  float ax = 0, ay = 0;
  if (!atlas || !schrift || !Kamera::ProjiziereAufBildschirm(wahl.ort, ansicht, schirm, ax, ay)) return;
  const char* name = wahl.art == ART_GEGENSTAND ? Definition(szene.GibGegenstaende()[wahl.index].def).name
                                                : Karte::ObjektTypen[wahl.art].name;
  const float w = schrift->GibTextBreite(name) + KASTEN_RAND;
  const float h = schrift->Groesse() + KASTEN_RAND;
  const float sx = schirm.breite / 2 - ax >= 0 ? 1.0f : -1.0f;
  const float sy = schirm.hoehe / 2 - ay >= 0 ? 1.0f : -1.0f;
  const BVektor3<float> b{ax + w * sx, ay + h * sy, SPRITE_TIEFE};
  atlas->AddSprite(SPRITE_KASTEN, b, KASTEN_FARBE, w, h, 0);
  schrift->SetGroesse(schrift->NativeHoehe());
  schrift->farbe = WEISS;
  schrift->SetAusrichtung(Zarvo_Font3D::MITTE, Zarvo_Font3D::VERTIKAL_MITTE);
  schrift->Zeichne(b.x, b.y, name);
}

void SpielAblauf::KlickeAuf(const Wahl& wahl) {
  switch (wahl.art) {
    case ART_HEBEL: ZieheHebel(uint32_t(wahl.index)); break;
    case ART_KNOPF: szene.DrueckeSchalter(int32_t(wahl.index)); break;
    case ART_GEGENSTAND: NimmGegenstand(wahl.index); break;
    default: break;
  }
}

// The lever swings to its other end; the lever of the shipped level moves its two gates along.
void SpielAblauf::ZieheHebel(uint32_t index) {
  const Szene::Hebel hebel = szene.GibHebel()[index];
  const uint64_t besitzer = Szene::HebelBesitzer(index);
  const float ziel = hebel.zustand == 0.0f ? 1.0f : 0.0f;
  szene.BrichAnimationenAb(besitzer);
  szene.PlaneAnimation(besitzer, Szene::Animation::HebelZiel{index, ziel, HEBEL_GESCHWINDIGKEIT});
  if (hebel.zelle != VERKNUEPFTER_HEBEL) return;
  for (const auto& g : VERKNUEPFTE_GITTER)
    szene.PlaneAnimation(besitzer, Szene::Animation::GitterZiel{g[0], g[1], g[2], ziel, GITTER_GESCHWINDIGKEIT});
}

// A stone at rest releases its cell's trigger as it is taken; a stone already carried is set down
// at rest where the taken one was.
void SpielAblauf::NimmGegenstand(uint64_t slot) {
  const Szene::Gegenstand genommen = szene.GibGegenstaende()[slot];
  if (!genommen.bewegt) {
    const Zellposition z = Abgeschnitten(genommen.position);
    szene.AusloeserAus(uint32_t(z.x), uint32_t(z.y), uint32_t(z.z));
  }
  szene.EntferneGegenstand(slot);
  const Gegenstand vorher = getragen;
  getragen = {genommen.def, 1};
  if (vorher.da) szene.ErzeugeInstanz(vorher.typ, genommen.position, {0, 0, 0}, false);
}

// Thrown while the ray points level or up, put down while it points down.
void SpielAblauf::GibGetragenesAb(const BVektor3<float>& kamera, const BVektor3<float>& strahl) {
  const uint32_t typ = getragen.typ;
  getragen.da = 0;
  if (strahl.y >= 0) {
    const Wurf wurf = WurfStart(zelle, blick, strahl);
    szene.ErzeugeInstanz(typ, wurf.position, wurf.geschwindigkeit, true);
    return;
  }
  const Ablage ablage = AblageOrt(szene.karte, zelle, kamera, strahl, Definition(typ).groesse);
  const BVektor3<float> fall = ablage.faellt ? BVektor3<float>{0, -FALL_ANSTOSS, 0} : BVektor3<float>{};
  szene.ErzeugeInstanz(typ, ablage.position, fall, ablage.faellt);
}

}  // namespace Spiel

#include "Oberflaeche.h"

#include <algorithm>
#include <cmath>

#include "Hinweis.h"
#include "Renderer.h"
#include "TEigenschaften_Serialisierung.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"

namespace Gui {

namespace {

constexpr float DOPPELKLICK_SEKUNDEN = 0.3f;
constexpr float DOPPELKLICK_ABSTAND_QUADRAT = 400.0f;  // 20 units
constexpr float HINWEIS_SEKUNDEN = 0.5f;              // rest before a tooltip, and its fade
constexpr float KEINE_WERTUNG = 10'000'000.0f;          // focus scores from here on do not count

bool IstMausTaste(uint64_t code) { return code == Taste::MAUS_1 || code == Taste::MAUS_2 || code == Taste::MAUS_3; }

bool IstPfeil(uint64_t code) { return code >= Taste::HOCH && code <= Taste::LINKS; }

BVektor3<float> Richtung(uint64_t code) {
  switch (code) {
    case Taste::HOCH: return {0, -1, 0};
    case Taste::RUNTER: return {0, 1, 0};
    case Taste::RECHTS: return {1, 0, 0};
    default: return {-1, 0, 0};
  }
}

BVektor3<float> BildschirmGroesse() {
  const Zarvo_BildschirmZustand& zustand = Zarvo_Screen3D::Zustand();
  return {float(zustand.breite), float(zustand.hoehe), 0};
}

// Written so that a NaN coordinate lies outside.
bool LiegtInnen(const BVektor3<float>& p, const BVektor3<float>& groesse) {
  return p.x >= 0 && p.y >= 0 && p.x < groesse.x && p.y < groesse.y;
}

bool IstSichtbarerModalerContainer(const Basis& w) {
  auto* c = dynamic_cast<const VaterBasis*>(&w);
  return c && c->IstModal() && c->IstSichtbar() && c->IstSichtbarImBaum();
}

bool IstModalerContainer(const Basis& w) {
  auto* c = dynamic_cast<const VaterBasis*>(&w);
  return c && c->IstModal();
}

// The hit test on w with p relative to w.
Basis* Treffe(Basis& w, const BVektor3<float>& p) {
  if (!w.IstSichtbar() || !LiegtInnen(p, w.GespeicherteGroesse())) return nullptr;
  auto* c = dynamic_cast<VaterBasis*>(&w);
  if (!c) return &w;
  const std::vector<Basis*>& kinder = c->Kinder();
  for (size_t i = kinder.size(); i-- > 0;) {
    Basis& kind = *kinder[i];
    const BVektor3<float> q = p - kind.Position();
    if (LiegtInnen(q, kind.GespeicherteGroesse())) {
      if (Basis* treffer = Treffe(kind, q)) return treffer;
      if (IstSichtbarerModalerContainer(kind)) return nullptr;
    } else if (IstModalerContainer(kind)) {
      return nullptr;
    }
  }
  return &w;
}

// The topmost child that is not a tooltip: a tooltip shown above a modal page must not lift
// its block.
const Basis* ObersterBlocker(const VaterBasis& vater) {
  const std::vector<Basis*>& kinder = vater.Kinder();
  for (size_t i = kinder.size(); i-- > 0;)
    if (!dynamic_cast<const Hinweis*>(kinder[i])) return kinder[i];
  return nullptr;
}

// Visible widgets with a visible parent chain, a widget before its children.
void SammleSichtbare(Basis& w, std::vector<Basis*>& liste) {
  if (!w.IstSichtbar()) return;
  liste.push_back(&w);
  if (auto* c = dynamic_cast<VaterBasis*>(&w))
    for (Basis* kind : c->Kinder()) SammleSichtbare(*kind, liste);
}

// The candidate with the lowest score len / c below KEINE_WERTUNG, with D twice the difference
// of the centres. In the wrap-around pass candidates behind count with c = 0.1.
Basis* BesterKandidat(const std::vector<Basis*>& kandidaten, const BVektor3<float>& a, const BVektor3<float>& sa,
                      const BVektor3<float>& d, bool umlauf) {
  Basis* sieger = nullptr;
  float beste = KEINE_WERTUNG;
  for (Basis* b : kandidaten) {
    const BVektor3<float> abstand = (b->AbsolutePosition() * 2 + b->GespeicherteGroesse()) - (a * 2 + sa);
    const float laenge = std::sqrt(abstand.Punkt(abstand));
    if (!(laenge > 0)) continue;  // a candidate at zero distance decides nothing
    float c = (d.x * abstand.x + d.y * abstand.y) / laenge;
    if (umlauf) c = std::max(c, 0.1f);
    else if (!(c >= 0.1f)) continue;
    const float wertung = laenge / c;
    if (wertung < beste) {
      beste = wertung;
      sieger = b;
    }
  }
  return sieger;
}

}  // namespace

Oberflaeche::Oberflaeche(const std::filesystem::path& stilDatei) : Oberflaeche(stilDatei, BildschirmGroesse()) {}

Oberflaeche::Oberflaeche(const std::filesystem::path& stilDatei, const BVektor3<float>& bildschirmGroesse)
    : letzteEingabe(g_Zeit.zeit) {
  if (!stilDatei.empty()) TEigenschaften_Serialisierung::LadeEigenschaftenAusXml(eigenschaften, stilDatei, false);
  oberflaeche = this;  // before the first SetGroesse, which asks for the first layout
  SetPosition({0, 0, 0}, false);
  SetGroesse(bildschirmGroesse, false);
}

Oberflaeche::~Oberflaeche() {
  imAbbau = true;
  ZerstoereKinder();
  if (layoutTimer != KEIN_TIMER) g_Zeit.EntferneTimer(layoutTimer);
  if (hinweisTimer != KEIN_TIMER) g_Zeit.EntferneTimer(hinweisTimer);
  layoutTimer = KEIN_TIMER;
  hinweisTimer = KEIN_TIMER;
}

void Oberflaeche::Zeichne(Renderer& renderer) { renderer.ZeichneHintergrund(*this); }

void Oberflaeche::VerteileAb(Basis* start, BasisEreignis& ereignis) {
  for (Basis* w = start; w;) {
    switch (ereignis.art) {
      case BasisEreignis::ART_TASTE: w->BeiTaste(ereignis); break;
      case BasisEreignis::ART_UNICODE: w->BeiUnicode(ereignis); break;
      case BasisEreignis::ART_FOKUS: w->BeiFokus(ereignis); break;
      case BasisEreignis::ART_MAUS_BEWEGUNG: w->BeiMausBewegung(ereignis); break;
      default: break;
    }
    // A handler that destroyed w has marked the event: w is not read again.
    if (ereignis.behandelt) return;
    w = w->GibVater();
  }
}

void Oberflaeche::VerteileEreignis(BasisEreignis& ereignis) { VerteileAb(fokus, ereignis); }

void Oberflaeche::SetFokus(Basis* komponente) {
  if (komponente == fokus) return;
  if (fokus) {
    // The focus is cleared before the lost event, so a callback that sets another focus is not
    // answered by a second lost event to the same widget.
    Basis* alt = fokus;
    fokus = nullptr;
    fokusZiel = komponente;
    FokusEreignis verloren(alt, false);
    VerteileAb(alt, verloren);
    const bool zielVerloren = fokusZiel != komponente;  // detached by a callback
    fokusZiel = nullptr;
    if (zielVerloren || fokus) return;  // or a callback focused another widget
  }
  if (!komponente || !komponente->IstFokussierbar() || komponente->GibOberflaeche() != this) return;
  fokus = komponente;
  FokusEreignis erhalten(komponente, true);
  VerteileAb(komponente, erhalten);
}

void Oberflaeche::PruefeFokus() {
  if (!fokus) return;
  if (fokus->IstFokussierbar() && IstErreichbar(*fokus) && fokus->IstSichtbarImBaum()) return;
  Basis* alt = fokus;
  fokus = nullptr;
  FokusEreignis verloren(alt, false);
  VerteileAb(alt, verloren);
}

bool Oberflaeche::IstDoppelKlick(uint64_t code) const {
  if (code != letzterDruckCode) return false;
  if (!(g_Zeit.zeit < letzterDruckZeit + SekundenAlsTicks(DOPPELKLICK_SEKUNDEN))) return false;
  const BVektor3<float> d = mausPosition - letzterDruckPosition;
  return d.Punkt(d) < DOPPELKLICK_ABSTAND_QUADRAT;
}

void Oberflaeche::VerarbeiteTaste(uint64_t code, uint32_t zustand) {
  if (code >= Taste::KEINE) return;
  letzteEingabe = g_Zeit.zeit;
  if (IstMausTaste(code) && zustand == TastenZustand::GEDRUECKT && hoverEingefroren) TaueHoverAuf();
  PruefeFokus();

  bool doppelKlick = false;
  if (zustand == TastenZustand::GEDRUECKT) {
    doppelKlick = IstDoppelKlick(code);
    letzterDruckCode = code;
    letzterDruckPosition = mausPosition;
    letzterDruckZeit = g_Zeit.zeit;
    tastenZustaende[code] = TastenZustand::GEDRUECKT | TastenZustand::GEHALTEN;
  } else {
    tastenZustaende[code] = zustand;
  }

  TasteEreignis ereignis(code, zustand, doppelKlick);
  VerteileEreignis(ereignis);
  if (ereignis.behandelt) return;
  if (hoverEingefroren && IstPfeil(code)) {
    TaueHoverAuf();
    if (ereignis.behandelt) return;
  }
  if (GibAnTastenListe(ereignis)) return;
  if (ereignis.IstDruck() && IstPfeil(code)) BewegeFokus(code);
}

bool Oberflaeche::GibAnTastenListe(TasteEreignis& ereignis) {
  const std::vector<Basis*>& liste = tastenListen[ereignis.code];
  for (size_t i = liste.size(); i-- > 0;) {
    Basis* w = liste[i];
    if (!w->IstSichtbarImBaum() || !IstErreichbar(*w)) continue;
    // Only the first eligible widget is asked; afterwards neither it nor the list is touched,
    // since its callback may have destroyed it.
    w->BeiTaste(ereignis);
    return ereignis.behandelt;
  }
  return false;
}

bool Oberflaeche::MausTasteGehalten() const {
  for (uint64_t code : {Taste::MAUS_1, Taste::MAUS_2, Taste::MAUS_3})
    if (tastenZustaende[code] & TastenZustand::GEHALTEN) return true;
  return false;
}

bool Oberflaeche::AendereHover(Basis* treffer) {
  if (treffer == hover || MausTasteGehalten() || hoverEingefroren) return false;
  if (treffer) {
    const bool fokusFolgt = hover || treffer->IstFokussierbar();
    hover = treffer;
    if (fokusFolgt) SetFokus(treffer);
    return fokusFolgt;
  }
  const bool warFokussierbar = hover->IstFokussierbar();
  hover = nullptr;
  if (warFokussierbar) SetFokus(nullptr);
  return warFokussierbar;
}

void Oberflaeche::SetMausPosition(const BVektor3<float>& position) {
  const BVektor3<float> neu = position;
  mausDelta = neu - mausPosition;
  mausPosition = neu;
  const bool bewegt = mausDelta.Punkt(mausDelta) > 0;
  if (bewegt) letzteEingabe = g_Zeit.zeit;

  const bool fokusBewegt = AendereHover(TrefferTest(neu));
  if (!bewegt && !fokusBewegt) return;
  if (fokus) {
    MausBewegungEreignis ereignis(mausPosition, mausDelta);
    VerteileEreignis(ereignis);
  }
  AktualisiereHinweis();
}

void Oberflaeche::SetzeHinweisZurueck() {
  hinweisZustand = HINWEIS_KEINER;
  hinweisTimer = KEIN_TIMER;
  hinweisBesitzer = nullptr;
  hinweis = nullptr;
}

void Oberflaeche::AktualisiereHinweis() {
  if (hinweisZustand == HINWEIS_WARTET) {
    g_Zeit.EntferneTimer(hinweisTimer);
    SetzeHinweisZurueck();
  } else if (hinweisZustand == HINWEIS_GEZEIGT && hinweisBesitzer != hover) {
    Hinweis* verblassend = hinweis;
    SetzeHinweisZurueck();
    verblassend->SetSichtbar(false);
    VernichteKomponenteNachZeit(verblassend, HINWEIS_SEKUNDEN);
  }
  if (hinweisZustand != HINWEIS_KEINER || !hover || hover->hinweisText.empty() || imAbbau) return;
  hinweisZustand = HINWEIS_WARTET;
  hinweisBesitzer = hover;
  hinweisTimer = g_Zeit.NeuerTimer(SekundenAlsTicks(HINWEIS_SEKUNDEN), [this] { ZeigeHinweis(); });
}

void Oberflaeche::ZeigeHinweis() {
  hinweisTimer = KEIN_TIMER;
  auto* neu = new Hinweis(hinweisBesitzer->hinweisText, hinweisBesitzer);
  FuegeHinzu(neu);
  hinweis = neu;
  hinweisZustand = HINWEIS_GEZEIGT;
}

void Oberflaeche::LoeseHinweiseVon(const Basis& besitzer) {
  for (Basis* kind : Kinder()) {
    auto* h = dynamic_cast<Hinweis*>(kind);
    if (h && h->Besitzer() == &besitzer) h->VergissBesitzer();
  }
}

void Oberflaeche::VergissKomponente(Basis& komponente) {
  if (fokus == &komponente) fokus = nullptr;
  if (hover == &komponente) hover = nullptr;
  if (fokusZiel == &komponente) fokusZiel = nullptr;
  for (std::vector<Basis*>& liste : tastenListen) std::erase(liste, &komponente);
  LoeseHinweiseVon(komponente);
  if (hinweisBesitzer != &komponente && hinweis != &komponente) return;
  Hinweis* gezeigt = hinweisZustand == HINWEIS_GEZEIGT && hinweisBesitzer == &komponente ? hinweis : nullptr;
  if (hinweisZustand == HINWEIS_WARTET) g_Zeit.EntferneTimer(hinweisTimer);
  SetzeHinweisZurueck();
  delete gezeigt;
}

void Oberflaeche::RegistriereTaste(uint64_t code, Basis* komponente) {
  if (code >= Taste::KEINE || !komponente || komponente->GibOberflaeche() != this) return;
  std::vector<Basis*>& liste = tastenListen[code];
  if (liste.empty() || liste.back() != komponente) liste.push_back(komponente);
}

void Oberflaeche::EntferneTaste(uint64_t code, Basis* komponente) {
  if (code >= Taste::KEINE) return;
  std::erase(tastenListen[code], komponente);
}

uint64_t Oberflaeche::TastenZustandVon(uint64_t code) const { return code < Taste::KEINE ? tastenZustaende[code] : 0; }

const std::vector<Basis*>& Oberflaeche::TastenListe(uint64_t code) const {
  static const std::vector<Basis*> keine;
  return code < Taste::KEINE ? tastenListen[code] : keine;
}

Basis* Oberflaeche::TrefferTest(const BVektor3<float>& punkt) { return Treffe(*this, punkt - Position()); }

bool Oberflaeche::IstErreichbar(const Basis& komponente) const {
  for (const Basis* w = &komponente; w->GibVater(); w = w->GibVater()) {
    const Basis* oben = ObersterBlocker(*w->GibVater());
    if (oben && oben != w && IstSichtbarerModalerContainer(*oben)) return false;
  }
  return true;
}

void Oberflaeche::OrdneNeu() {
  if (imAbbau || layoutTimer != KEIN_TIMER) return;
  layoutTimer = g_Zeit.NeuerTimer(0, [this] {
    layoutTimer = KEIN_TIMER;
    OrdneBaum();
  });
}

void Oberflaeche::VernichteKomponenteNachZeit(Basis* komponente, float sekunden) {
  if (!komponente) return;
  const TZeit verzoegerung = SekundenAlsTicks(sekunden);
  const TZeit faellig = g_Zeit.zeit + verzoegerung;
  if (komponente->vernichtungsTimer != KEIN_TIMER) {
    if (komponente->vernichtungFaellig <= faellig) return;
    g_Zeit.EntferneTimer(komponente->vernichtungsTimer);
  }
  komponente->vernichtungFaellig = faellig;
  komponente->vernichtungsTimer = g_Zeit.NeuerTimer(verzoegerung, [komponente] {
    komponente->vernichtungsTimer = KEIN_TIMER;
    delete komponente;
  });
}

void Oberflaeche::TaueHoverAuf() {
  if (!hoverEingefroren) return;
  hoverEingefroren = false;
  SetMausPosition(mausPosition);
}

void Oberflaeche::BewegeFokus(uint64_t code) {
  if (!IstPfeil(code)) return;
  std::vector<Basis*> sichtbare;
  SammleSichtbare(*this, sichtbare);
  std::vector<Basis*> kandidaten;
  for (Basis* w : sichtbare)
    if (w->IstFokussierbar() && w != fokus && IstErreichbar(*w)) kandidaten.push_back(w);
  if (kandidaten.empty()) return;
  if (!fokus) {
    SetFokus(kandidaten.front());
    return;
  }
  const BVektor3<float> d = Richtung(code);
  const BVektor3<float> a = fokus->AbsolutePosition();
  const BVektor3<float> sa = fokus->GespeicherteGroesse();
  Basis* sieger = BesterKandidat(kandidaten, a, sa, d, false);
  if (!sieger) {
    const BVektor3<float>& flaeche = GespeicherteGroesse();
    const float s = std::fabs(d.y * flaeche.y + d.x * flaeche.x);
    sieger = BesterKandidat(kandidaten, a - d * s, sa, d, true);
  }
  if (sieger) SetFokus(sieger);
}

void Oberflaeche::SetGuiSkalierung(float skalierung) {
  guiSkalierung = skalierung;
  OrdneNeu();
}

}  // namespace Gui

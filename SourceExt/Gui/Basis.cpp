#include "Basis.h"

#include "Ereignis.h"
#include "Oberflaeche.h"
#include "Stil.h"
#include "VaterBasis.h"
#include "Zarvo_Start.h"

namespace Gui {

namespace {

constexpr float TOTZONE = 0.001f;  // squared size change below which SetGroesse does nothing

float AbstandQuadrat(const BVektor3<float>& a, const BVektor3<float>& b) {
  const BVektor3<float> d = a - b;
  return d.Punkt(d);
}

// Sets a stamp back by 1000 s when it equals now, so a change in the same tick shows no fade.
void SchiebeZurueckWennJetzt(TZeit& stempel, TZeit jetzt) {
  if (stempel == jetzt) stempel -= 1000 * g_ZeitFrequenz;
}

}  // namespace

Basis::Basis() : sichtbarSeit(g_Zeit.zeit) {}

Basis::~Basis() {
  if (vater) vater->Entferne(this);
  if (vernichtungsTimer != KEIN_TIMER) g_Zeit.EntferneTimer(vernichtungsTimer);
}

bool Basis::AendereSichtbarkeit(bool neu) {
  if (neu == sichtbar) return false;
  sichtbar = neu;
  const TZeit jetzt = g_Zeit.zeit;
  if (neu) {
    SchiebeZurueckWennJetzt(verstecktSeit, jetzt);
    sichtbarSeit = jetzt;
  } else {
    SchiebeZurueckWennJetzt(sichtbarSeit, jetzt);
    verstecktSeit = jetzt;
  }
  if (oberflaeche) oberflaeche->OrdneNeu();
  return true;
}

void Basis::SetSichtbar(bool neu) { AendereSichtbarkeit(neu); }

void Basis::SetPosition(const BVektor3<float>& neu, bool automatisch) {
  position = neu;
  autoPosition = automatisch;
}

void Basis::SetGroesse(const BVektor3<float>& neu, bool automatisch) {
  if (AbstandQuadrat(neu, groesse) < TOTZONE) return;
  groesse = neu;
  autoGroesse = automatisch;
  if (!automatisch) dehnung = {0, 0, 0};
  if (oberflaeche && !automatisch) oberflaeche->OrdneNeu();
}

BVektor3<float> Basis::GetGroesse() const {
  if (!autoGroesse) return groesse;
  const std::string typ = GetTyp();
  const float s = Skalierung();
  const float y = StilWert(typ + ".groesse.y", 40.0f);
  const float x = StilWert(typ + ".groesse.x", 100.0f);
  return {x * s, y * s, 0};
}

std::string Basis::GetTyp() const { return ""; }

void Basis::SetVater(VaterBasis* neuerVater, Oberflaeche* neueOberflaeche) {
  if (oberflaeche && neueOberflaeche != oberflaeche && oberflaeche != this) oberflaeche->VergissKomponente(*this);
  vater = neuerVater;
  oberflaeche = neueOberflaeche;
  if (neueOberflaeche && fokusBeimAnhaengen) neueOberflaeche->SetFokus(this);
}

bool Basis::IstFokussierbar() const { return false; }

bool Basis::IstEingabefeld() const { return false; }

void Basis::BeiFokus(BasisEreignis& ereignis) {
  auto* fokus = dynamic_cast<FokusEreignis*>(&ereignis);
  if (!fokus) return;
  const bool erhalten = fokus->erhalten;
  fokussiert = erhalten;
  if (erhalten) fokusErhaltenUm = g_Zeit.zeit;
  else fokusVerlorenUm = g_Zeit.zeit;
  ereignis.SetzeBehandelt();
  // A copy: the callback may destroy this widget.
  const std::function<void(bool)> rueckruf = beiFokusWechsel;
  if (rueckruf) rueckruf(erhalten);
}

void Basis::BeiTaste(BasisEreignis&) {}

void Basis::BeiUnicode(BasisEreignis&) {}

void Basis::BeiMausBewegung(BasisEreignis&) {}

bool Basis::IstSichtbarImBaum() const {
  for (const Basis* w = this; w; w = w->vater)
    if (!w->sichtbar) return false;
  return true;
}

float Basis::StilWert(std::string_view schluessel, float standard) const {
  if (std::optional<float> eigener = LiesStilZahl(eigenschaften, schluessel)) return *eigener;
  if (oberflaeche && oberflaeche != this)
    if (std::optional<float> global = LiesStilZahl(oberflaeche->eigenschaften, schluessel)) return *global;
  return standard;
}

float Basis::EigenerStilWert(std::string_view schluessel, float standard) const {
  return LiesStilZahl(eigenschaften, schluessel).value_or(standard);
}

BVektor3<float> Basis::AbsolutePosition() const {
  BVektor3<float> summe{0, 0, 0};
  for (const Basis* w = this; w; w = w->vater) summe += w->position;
  return summe;
}

BVektor3<float> Basis::LayoutGroesse() const { return autoGroesse ? GetGroesse() : groesse; }

float Basis::Skalierung() const { return oberflaeche ? oberflaeche->GuiSkalierung() : 1.0f; }

}  // namespace Gui

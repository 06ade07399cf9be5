#include "VaterBasis.h"

#include <algorithm>

#include "Oberflaeche.h"
#include "Renderer.h"
#include "Zarvo_Ausnahme.h"

namespace Gui {

VaterBasis::VaterBasis() = default;

VaterBasis::~VaterBasis() {
  anordnung.reset();
  ZerstoereKinder();
}

void VaterBasis::ZerstoereKinder() {
  while (!kinder.empty()) delete kinder.back();
}

void VaterBasis::Zeichne(Renderer& renderer) {
  for (size_t i = 0; i < kinder.size(); ++i) kinder[i]->Zeichne(renderer);
}

void VaterBasis::SetSichtbar(bool neu) {
  AendereSichtbarkeit(neu);
  for (size_t i = 0; i < kinder.size(); ++i) kinder[i]->SetSichtbar(neu);
}

BVektor3<float> VaterBasis::GetGroesse() const {
  if (anordnung) return BerechneLayoutGroesse(*anordnung, *this);
  return {100, 40, 0};
}

void VaterBasis::SetVater(VaterBasis* neuerVater, Oberflaeche* neueOberflaeche) {
  Basis::SetVater(neuerVater, neueOberflaeche);
  for (size_t i = 0; i < kinder.size(); ++i) kinder[i]->SetVater(this, neueOberflaeche);
  if (GibOberflaeche()) GibOberflaeche()->OrdneNeu();
}

bool VaterBasis::IstSelbstOderVorfahr(const Basis* kandidat) const {
  for (const Basis* w = this; w; w = w->GibVater())
    if (w == kandidat) return true;
  return false;
}

void VaterBasis::FuegeHinzu(Basis* kind) {
  if (!kind) {
    ZARVO_PRUEFE("Keine Komponente zum Einfuegen");
    return;
  }
  if (IstSelbstOderVorfahr(kind)) {
    ZARVO_PRUEFE("Komponente kann nicht in sich selbst eingefuegt werden");
    return;
  }
  if (kind->GibVater()) kind->GibVater()->Entferne(kind);
  kinder.push_back(kind);
  kind->SetVater(this, GibOberflaeche());
  kind->SetSichtbar(IstSichtbar());
  if (GibOberflaeche()) GibOberflaeche()->OrdneNeu();
}

void VaterBasis::Entferne(Basis* kind) {
  auto stelle = std::find(kinder.begin(), kinder.end(), kind);
  if (stelle == kinder.end()) return;
  kinder.erase(stelle);
  kind->SetVater(nullptr, nullptr);
  if (GibOberflaeche()) GibOberflaeche()->OrdneNeu();
}

void VaterBasis::SetLayout(Anordnung* neu) {
  anordnung.reset(neu);
  if (GibOberflaeche()) GibOberflaeche()->OrdneNeu();
}

bool VaterBasis::IstModal() const { return false; }

void VaterBasis::OrdneBaum() {
  if (!imLayout && anordnung) {
    imLayout = true;
    const Anordnung regel = *anordnung;
    if (regel.art == Anordnung::ZEILE) OrdneZeile(regel, *this);
    else if (regel.art == Anordnung::SPALTE) OrdneSpalte(regel, *this);
    imLayout = false;
  }
  for (size_t i = 0; i < kinder.size(); ++i)
    if (auto* container = dynamic_cast<VaterBasis*>(kinder[i])) container->OrdneBaum();
}

}  // namespace Gui

#include "Plattform/fmod/AlKanalGruppe.h"

#include "Plattform/fmod/AlSystem.h"

#include <algorithm>

namespace FMOD {

FMOD_RESULT AlKanalGruppe::setVolume(float neu) {
  lautstaerke = std::clamp(neu, 0.0f, 1.0f);
  system.WendeKanaeleAn();
  return FMOD_OK;
}

FMOD_RESULT AlKanalGruppe::setPaused(bool neu) {
  angehalten = neu;
  system.WendeKanaeleAn();
  return FMOD_OK;
}

FMOD_RESULT AlKanalGruppe::addGroup(ChannelGroup* kind) {
  auto* gruppe = dynamic_cast<AlKanalGruppe*>(kind);
  if (!gruppe || !gruppe->GehoertZu(system) || !gruppe->vater || IstUnter(gruppe)) return FMOD_ERR_INVALID_PARAM;
  gruppe->vater = this;
  system.WendeKanaeleAn();
  return FMOD_OK;
}

bool AlKanalGruppe::IstUnter(const AlKanalGruppe* gruppe) const {
  for (const AlKanalGruppe* knoten = this; knoten; knoten = knoten->vater)
    if (knoten == gruppe) return true;
  return false;
}

float AlKanalGruppe::Verstaerkung() const {
  float produkt = 1.0f;
  for (const AlKanalGruppe* knoten = this; knoten; knoten = knoten->vater) produkt *= knoten->lautstaerke;
  return produkt;
}

bool AlKanalGruppe::IstAngehalten() const {
  for (const AlKanalGruppe* knoten = this; knoten; knoten = knoten->vater)
    if (knoten->angehalten) return true;
  return false;
}

}  // namespace FMOD

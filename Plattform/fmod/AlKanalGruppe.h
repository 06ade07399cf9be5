#pragma once
// A channel group of the OpenAL system: a node in the tree under the master group. A channel's
// gain is its own volume times the volumes of all groups above it; it sounds only while neither
// it nor any group above it is paused.
#include "Plattform/fmod/fmod.h"

namespace FMOD {

class AlSystem;

class AlKanalGruppe final : public ChannelGroup {
 public:
  AlKanalGruppe(AlSystem& system, AlKanalGruppe* vater) : system(system), vater(vater) {}
  ~AlKanalGruppe() override = default;

  FMOD_RESULT setVolume(float lautstaerke) override;
  FMOD_RESULT setPaused(bool angehalten) override;
  FMOD_RESULT addGroup(ChannelGroup* kind) override;

  // The product of the volumes of this group and all groups above it.
  float Verstaerkung() const;
  // True when this group or a group above it is paused.
  bool IstAngehalten() const;
  bool GehoertZu(const AlSystem& anderes) const { return &system == &anderes; }

 private:
  bool IstUnter(const AlKanalGruppe* gruppe) const;

  AlSystem& system;
  AlKanalGruppe* vater;
  float lautstaerke = 1.0f;
  bool angehalten = false;
};

}  // namespace FMOD

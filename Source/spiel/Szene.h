#pragma once
// The live level. So far only the table of scene-item definitions lives here.
#include <cstdint>

namespace Spiel {

class Szene {
 public:
  // A scene-item definition, chosen by the "Def-Index" argument of a "SzeneGegenstand".
  struct GegenstandDef {
    const char* name;  // the mesh
    float groesse;
  };
  static constexpr uint32_t ANZAHL_GEGENSTAENDE = 1;
  static const GegenstandDef Gegenstaende[ANZAHL_GEGENSTAENDE];
};

}  // namespace Spiel

#include "Szene.h"

namespace Spiel {

const Szene::GegenstandDef Szene::Gegenstaende[ANZAHL_GEGENSTAENDE] = {{"Stein", 0.1f}};

}  // namespace Spiel

#include "Ereignis.h"

namespace Gui {

BasisEreignis::~BasisEreignis() = default;

}  // namespace Gui

#include "AktivSchnittstelle.h"

namespace Gui {

AktivSchnittstelle::~AktivSchnittstelle() = default;

}  // namespace Gui

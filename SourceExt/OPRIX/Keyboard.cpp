#include "Keyboard.h"

namespace OPRIX {

Keyboard::~Keyboard() = default;

}  // namespace OPRIX

#include "Joystick.h"

namespace OPRIX {

Joystick::~Joystick() = default;

}  // namespace OPRIX

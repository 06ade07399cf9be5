#include "Mouse.h"

namespace OPRIX {

Mouse::~Mouse() = default;

}  // namespace OPRIX

#include "InputHandler.h"

namespace OPRIX {

InputHandler::~InputHandler() = default;
bool InputHandler::HandleButton(Device*, int, bool) { return false; }
bool InputHandler::HandleMouseMove(Mouse*, float, float) { return false; }
bool InputHandler::HandleMouseButton(Mouse*, int, bool) { return false; }
bool InputHandler::HandleWheel(Mouse*, float) { return false; }
bool InputHandler::HandleText(Device*, unsigned int) { return false; }
bool InputHandler::HandleUnusedButton(Device*, int, bool) { return false; }
bool InputHandler::HandleUnusedAxis(Device*, int, float) { return false; }

}  // namespace OPRIX

#pragma once
// The one receiver of input events. Each handler returns true when it consumed the event; the
// input system then stops (see InputSystem::SendButton for the order of the slots).
namespace OPRIX {

class Device;
class Mouse;

class InputHandler {
 public:
  virtual ~InputHandler();
  virtual bool HandleButton(Device* device, int button, bool pressed);
  virtual bool HandleMouseMove(Mouse* mouse, float x, float y);
  virtual bool HandleMouseButton(Mouse* mouse, int button, bool pressed);
  virtual bool HandleWheel(Mouse* mouse, float delta);
  virtual bool HandleText(Device* device, unsigned int codePoint);
  // Second chance for a button or key that HandleButton and HandleText left unconsumed.
  virtual bool HandleUnusedButton(Device* device, int control, bool pressed);
  // An axis change that the specific handler left unconsumed.
  virtual bool HandleUnusedAxis(Device* device, int axis, float value);
};

}  // namespace OPRIX

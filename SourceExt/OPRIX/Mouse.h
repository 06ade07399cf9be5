#pragma once
// A mouse: buttons 0 left, 1 right, 2 middle, 3 and 4 the side buttons; axes 0 x, 1 y, 2 wheel.
// Positions are window client coordinates; relative values are the motion of this frame.
#include "Device.h"

namespace OPRIX {

class Mouse : public Device {
 public:
  using Device::Device;
  ~Mouse() override;
  virtual float AbsoluteX() const = 0;
  virtual float AbsoluteY() const = 0;
  virtual float RelativeX() const = 0;
  virtual float RelativeY() const = 0;
  // Sets a button's state bit; false when it already had that value.
  virtual bool ChangeButton(int button, bool down) = 0;
  // Adds to this frame's wheel value.
  virtual void AddWheel(float delta) = 0;
};

}  // namespace OPRIX

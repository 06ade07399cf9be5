#pragma once
// A game controller: buttons and axes as its back end reads them each frame.
#include "Device.h"

namespace OPRIX {

class Joystick : public Device {
 public:
  using Device::Device;
  ~Joystick() override;
};

}  // namespace OPRIX

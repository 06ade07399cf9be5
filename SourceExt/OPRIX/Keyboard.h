#pragma once
// A keyboard: 256 keys numbered by DirectInput scan code (extended keys carry 128).
#include "Device.h"

namespace OPRIX {

class Keyboard : public Device {
 public:
  using Device::Device;
  ~Keyboard() override;
  virtual bool KeyHeld(int key) const { return ButtonHeld(key); }
  virtual bool KeyWentUp(int key) const { return ButtonWentUp(key); }
  virtual bool KeyWentDown(int key) const { return ButtonWentDown(key); }
  // Sets a key's state bit; false when it already had that value.
  virtual bool ChangeKey(int key, bool down) = 0;
};

}  // namespace OPRIX

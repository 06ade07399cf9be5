#pragma once
// A game controller, read through DirectInput, or through XInput once WMI has shown it to be an
// XInput pad. Counts are capped at 64 buttons and 16 axes; records beyond them are ignored.
#include <cstdint>

#include "Joystick.h"
#include "Plattform/eingabe/DirectInput.h"
#include "Plattform/eingabe/XInput.h"

namespace OPRIX {

class WinJoystick : public Joystick {
 public:
  static constexpr int MAX_BUTTONS = 64;
  static constexpr int MAX_AXES = 16;
  static constexpr uint32_t NO_XINPUT = 0xFFFFFFFF;

  // Throws std::runtime_error when a step of the set-up fails.
  WinJoystick(InputSystem* owner, int id, dinput::IDirectInput8A* directInput, const win32::GUID& instance,
              const win32::GUID& product);
  ~WinJoystick() override;

  int ButtonCount() const override { return buttonCount_; }
  int AxisCount() const override { return axisCount_; }
  bool ButtonHeld(int index) const override;
  bool ButtonWentDown(int index) const override;
  bool ButtonWentUp(int index) const override;
  float AxisPosition(int index) const override;
  float AxisMotion(int index) const override;

  uint32_t VendorProduct() const { return product_.Data1; }
  uint32_t XInputIndex() const { return xinputIndex_; }
  void UseXInput(uint32_t index);

  // Reads the current state and raises the events of its changes.
  void ReadState();
  void ReleaseAll();

 private:
  // What the axis enumeration carries to each call.
  struct AxisEnumeration {
    WinJoystick* self;
    bool rangeFailed;
  };

  void SetUpAxes();
  static win32::BOOL AxisFound(const dinput::DIDEVICEOBJECTINSTANCEA* object, void* enumeration);
  void ReadXInput(uint64_t& buttons, float* axes);
  void ReadDirectInput(uint64_t& buttons, float* axes);
  void ApplyRecord(const dinput::DIDEVICEOBJECTDATA& record, uint64_t& buttons, float* axes);
  void RaiseChanges(uint64_t buttons, const float* axes);

  dinput::IDirectInput8A* directInput_;
  dinput::IDirectInputDevice8A* device_ = nullptr;
  dinput::DIDEVCAPS caps_{};
  win32::GUID instance_, product_;
  uint32_t xinputIndex_ = NO_XINPUT;
  int buttonCount_ = 0, axisCount_ = 0;
  uint64_t buttons_ = 0, previousButtons_ = 0;
  float axes_[MAX_AXES] = {};
  float axisMotion_[MAX_AXES] = {};
  xinput::XINPUT_STATE xinputState_{};
  int axesEnumerated_ = 0;
};

}  // namespace OPRIX

#include "WinJoystick.h"

#include <algorithm>
#include <stdexcept>

#include "InputSystem.h"
#include "WinInput.h"

namespace OPRIX {
namespace {

constexpr uint32_t APP_DATA_TAG = 0x13130000;

void Require(bool ok, const char* error) {
  if (!ok) throw std::runtime_error(error);
}

dinput::DIPROPHEADER Header(uint32_t size, uint32_t object, uint32_t how) {
  return {size, sizeof(dinput::DIPROPHEADER), object, how};
}

float Stick(int16_t value) { return std::max(float(value) * (1.0f / 32767.0f), -1.0f); }
float NegatedStick(int16_t value) { return std::max(-float(value) * (1.0f / 32767.0f), -1.0f); }

struct PadButton {
  int button;
  win32::WORD bit;
};
constexpr PadButton PAD_BUTTONS[] = {
    {0, xinput::XINPUT_GAMEPAD_A},          {1, xinput::XINPUT_GAMEPAD_B},
    {2, xinput::XINPUT_GAMEPAD_X},          {3, xinput::XINPUT_GAMEPAD_Y},
    {4, xinput::XINPUT_GAMEPAD_LEFT_SHOULDER}, {5, xinput::XINPUT_GAMEPAD_RIGHT_SHOULDER},
    {6, xinput::XINPUT_GAMEPAD_START},      {7, xinput::XINPUT_GAMEPAD_BACK},
    {9, xinput::XINPUT_GAMEPAD_LEFT_THUMB}, {10, xinput::XINPUT_GAMEPAD_RIGHT_THUMB},
};

}  // namespace

WinJoystick::WinJoystick(InputSystem* owner, int id, dinput::IDirectInput8A* directInput,
                         const win32::GUID& instance, const win32::GUID& product)
    : Joystick(owner, id), directInput_(directInput), instance_(instance), product_(product) {
  Require(directInput_->CreateDevice(instance_, &device_, nullptr) == dinput::DI_OK,
          "Could not initialize controller device");
  try {
    Require(device_->SetDataFormat(&dinput::c_dfDIJoystick2) == dinput::DI_OK, "Controller data format error");
    Require(device_->SetCooperativeLevel(static_cast<WinInput*>(owner)->Window(),
                                         dinput::DISCL_EXCLUSIVE | dinput::DISCL_BACKGROUND) == dinput::DI_OK,
            "Controller failed to set cooperation level");
    dinput::DIPROPDWORD bufferSize{Header(sizeof(dinput::DIPROPDWORD), 0, dinput::DIPH_DEVICE), 64};
    Require(device_->SetProperty(dinput::DIPROP_BUFFERSIZE, &bufferSize.diph) == dinput::DI_OK,
            "Controller failed to set buffer size property");
    caps_.dwSize = sizeof caps_;
    Require(device_->GetCapabilities(&caps_) == dinput::DI_OK, "Controller failed to get capabilities");
    buttonCount_ = int(std::min<uint32_t>(caps_.dwButtons, MAX_BUTTONS));
    axisCount_ = int(std::min<uint32_t>(caps_.dwAxes, MAX_AXES));
    SetUpAxes();
  } catch (...) {
    device_->Release();
    throw;
  }
}

WinJoystick::~WinJoystick() {
  if (device_) device_->Release();
}

void WinJoystick::SetUpAxes() {
  AxisEnumeration enumeration{this, false};
  device_->EnumObjects(&AxisFound, &enumeration, dinput::DIDFT_AXIS);
  Require(!enumeration.rangeFailed, "Controller failed to set min/max range property");
}

win32::BOOL WinJoystick::AxisFound(const dinput::DIDEVICEOBJECTINSTANCEA* object, void* enumerationPointer) {
  AxisEnumeration* enumeration = static_cast<AxisEnumeration*>(enumerationPointer);
  WinJoystick* self = enumeration->self;
  dinput::DIPROPPOINTER appData{Header(sizeof(dinput::DIPROPPOINTER), object->dwType, dinput::DIPH_BYID),
                                APP_DATA_TAG | uint32_t(self->axesEnumerated_++)};
  self->device_->SetProperty(dinput::DIPROP_APPDATA, &appData.diph);
  dinput::DIPROPRANGE range{Header(sizeof(dinput::DIPROPRANGE), object->dwType, dinput::DIPH_BYID), -32768, 32767};
  if (self->device_->SetProperty(dinput::DIPROP_RANGE, &range.diph) != dinput::DI_OK) {
    enumeration->rangeFailed = true;
    return dinput::DIENUM_STOP;
  }
  return dinput::DIENUM_CONTINUE;
}

void WinJoystick::UseXInput(uint32_t index) {
  xinputIndex_ = index;
  buttonCount_ = 13;
  axisCount_ = 8;
}

bool WinJoystick::ButtonHeld(int index) const {
  return index >= 0 && index < buttonCount_ && (buttons_ >> index & 1);
}

bool WinJoystick::ButtonWentDown(int index) const {
  return ButtonHeld(index) && !(previousButtons_ >> index & 1);
}

bool WinJoystick::ButtonWentUp(int index) const {
  return index >= 0 && index < buttonCount_ && !ButtonHeld(index) && (previousButtons_ >> index & 1);
}

float WinJoystick::AxisPosition(int index) const { return index >= 0 && index < axisCount_ ? axes_[index] : 0.0f; }

float WinJoystick::AxisMotion(int index) const {
  return index >= 0 && index < axisCount_ ? axisMotion_[index] : 0.0f;
}

void WinJoystick::ReadState() {
  uint64_t buttons = buttons_;
  float axes[MAX_AXES];
  std::copy(std::begin(axes_), std::end(axes_), axes);
  if (xinputIndex_ != NO_XINPUT) ReadXInput(buttons, axes);
  else ReadDirectInput(buttons, axes);
  RaiseChanges(buttons, axes);
}

void WinJoystick::ReadXInput(uint64_t& buttons, float* axes) {
  if (xinput::XInputGetState(xinputIndex_, &xinputState_) != xinput::ERROR_SUCCESS) xinputState_ = {};
  const xinput::XINPUT_GAMEPAD& pad = xinputState_.Gamepad;
  const auto held = [&](win32::WORD bit) { return (pad.wButtons & bit) != 0; };
  axes[0] = Stick(pad.sThumbLX);
  axes[1] = NegatedStick(pad.sThumbLY);
  axes[2] = float(pad.bLeftTrigger) * (1.0f / 127.0f);
  axes[3] = Stick(pad.sThumbRX);
  axes[4] = NegatedStick(pad.sThumbRY);
  axes[5] = float(pad.bRightTrigger) * (1.0f / 127.0f);
  axes[6] = float(held(xinput::XINPUT_GAMEPAD_DPAD_RIGHT)) - float(held(xinput::XINPUT_GAMEPAD_DPAD_LEFT));
  axes[7] = float(held(xinput::XINPUT_GAMEPAD_DPAD_DOWN)) - float(held(xinput::XINPUT_GAMEPAD_DPAD_UP));
  buttons = 0;
  for (const PadButton& b : PAD_BUTTONS)
    if (held(b.bit)) buttons |= uint64_t(1) << b.button;
}

void WinJoystick::ReadDirectInput(uint64_t& buttons, float* axes) {
  device_->Poll();
  dinput::DIDEVICEOBJECTDATA records[64];
  dinput::DWORD count = 64;
  dinput::HRESULT result = device_->GetDeviceData(sizeof(dinput::DIDEVICEOBJECTDATA), records, &count, 0);
  if (result == dinput::DIERR_NOTACQUIRED || result == dinput::DIERR_INPUTLOST) {
    device_->Acquire();
    count = 64;
    result = device_->GetDeviceData(sizeof(dinput::DIDEVICEOBJECTDATA), records, &count, 0);
  }
  if (result != dinput::DI_OK) return;
  for (dinput::DWORD i = 0; i < count && i < 64; ++i) ApplyRecord(records[i], buttons, axes);
}

void WinJoystick::ApplyRecord(const dinput::DIDEVICEOBJECTDATA& record, uint64_t& buttons, float* axes) {
  if ((record.uAppData & 0xFFFF0000u) == APP_DATA_TAG && (record.uAppData >> 32) == 0) {
    const uint32_t axis = uint32_t(record.uAppData & 0xFFFF);
    if (axis < uint32_t(axisCount_))
      axes[axis] = std::max(float(int32_t(record.dwData)) / 32767.0f, -1.0f);
    return;
  }
  if (record.dwOfs < dinput::DIJOFS_BUTTON0 || record.dwOfs >= dinput::DIJOFS_BUTTON0 + dinput::DIJOFS_BUTTON_ANZAHL)
    return;
  const uint32_t button = record.dwOfs - dinput::DIJOFS_BUTTON0;
  if (button >= uint32_t(buttonCount_)) return;
  if (record.dwData & 0x80) buttons |= uint64_t(1) << button;
  else buttons &= ~(uint64_t(1) << button);
}

void WinJoystick::RaiseChanges(uint64_t buttons, const float* axes) {
  InputSystem* input = Owner();
  for (int a = 0; a < axisCount_; ++a) {
    axisMotion_[a] = axes[a] - axes_[a];
    if (axes[a] == axes_[a]) continue;
    axes_[a] = axes[a];
    if (!Muted()) input->SendAnalog(this, a, axes[a]);
  }
  previousButtons_ = buttons_;
  buttons_ = buttons;
  for (int b = 0; b < buttonCount_; ++b) {
    const bool now = buttons >> b & 1;
    if (now != bool(previousButtons_ >> b & 1) && !Muted()) input->SendChannel(this, b, now);
  }
}

void WinJoystick::ReleaseAll() {
  float axes[MAX_AXES] = {};
  RaiseChanges(0, axes);
}

}  // namespace OPRIX

#include "InputSystem.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "Plattform/system/Zaehler.h"

namespace OPRIX {

InputSystem* gInputSystem = nullptr;

namespace {

LogHook logHook = nullptr;
EventPump eventPump = nullptr;

template <typename T>
T* NthOfKind(const std::vector<Device*>& devices, int n) {
  for (Device* d : devices) {
    T* typed = dynamic_cast<T*>(d);
    if (typed && n-- == 0) return typed;
  }
  return nullptr;
}

}  // namespace

InputSystem::InputSystem() : lastUpdate_(win32::GetTickCount()) {
  WriteLog("OPRIX instance created.");
  gInputSystem = this;
}

InputSystem::~InputSystem() {
  WriteLog("OPRIX instance going down.");
  digitalChannels_.clear();
  analogChannels_.clear();
  DeleteDevices();
  if (gInputSystem == this) gInputSystem = nullptr;
}

void InputSystem::WriteLog(const char* format, ...) {
  if (!logHook) return;
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  logHook(line);
}

void InputSystem::SetLogHook(LogHook hook) { logHook = hook; }
void InputSystem::SetEventPump(EventPump pump) { eventPump = pump; }

void InputSystem::Refresh() {
  const uint32_t now = win32::GetTickCount();
  const int32_t dt = int32_t(now - lastUpdate_);
  lastUpdate_ = now;
  if (repeatCountdown_ > 0.0f) {
    repeatCountdown_ -= std::min(std::max(float(dt) * 0.001f, 0.0f), 0.1f);
    if (repeatCountdown_ <= 0.0f) {
      RepeatKey();
      repeatCountdown_ = std::max(repeatCountdown_ + keyRepeatInterval, 0.00001f);
    }
  }
  for (Channel& c : digitalChannels_) c.changed = false;
  for (Channel& c : analogChannels_) c.changed = false;
}

void InputSystem::RepeatKey() {
  if (!repeatDevice_) return;
  const bool consumed = handler && (handler->HandleButton(repeatDevice_, repeatKey_, false) ||
                                    handler->HandleUnusedButton(repeatDevice_, repeatKey_, false));
  if (!consumed) DispatchChannel(repeatDevice_, repeatKey_, false);
  SendButton(repeatDevice_, repeatKey_, repeatText_, true);
}

void InputSystem::NoteFocus(bool focused) {
  if (pumping_) {
    pendingFocus_.push_back(focused);
    return;
  }
  ApplyFocus(focused);
}

void InputSystem::ApplyFocus(bool focused) {
  if (focused == focused_) return;
  WriteLog("OPRIX: %s focus", focused ? "got" : "lost");
  focused_ = focused;
  FocusChanged(focused);
  RecomputeGrab();
}

void InputSystem::RecomputeGrab() {
  const bool grab = mouseGrabWanted && focused_ && !multiDevice;
  if (grab == mouseGrabbed_) return;
  WriteLog("OPRIX: %s mouse", grab ? "grabbing" : "releasing");
  mouseGrabbed_ = grab;
  MouseGrabChanged(grab);
}

void InputSystem::PumpEvents() {
  pumping_ = true;
  if (eventPump) eventPump();
}

void InputSystem::EndPump() {
  pumping_ = false;
  std::vector<bool> pending;
  pending.swap(pendingFocus_);
  for (bool focused : pending) ApplyFocus(focused);
}

Mouse* InputSystem::MouseAt(int n) const { return NthOfKind<Mouse>(devices_, n); }
Keyboard* InputSystem::KeyboardAt(int n) const { return NthOfKind<Keyboard>(devices_, n); }

void InputSystem::SendButton(Device* device, int button, unsigned int text, bool pressed) {
  if (handler) {
    if (handler->HandleButton(device, button, pressed)) return;
    if (pressed && text != 0 && handler->HandleText(device, text)) return;
  }
  SendChannel(device, button, pressed);
}

void InputSystem::SendChannel(Device* device, int control, bool pressed) {
  if (handler && handler->HandleUnusedButton(device, control, pressed)) return;
  DispatchChannel(device, control, false);
}

void InputSystem::SendMouseButton(Mouse* mouse, int button, bool pressed) {
  if (!multiDevice && primaryMouse_) mouse = primaryMouse_;
  if (!mouse->ChangeButton(button, pressed)) return;
  if (handler && handler->HandleMouseButton(mouse, button, pressed)) return;
  SendChannel(mouse, button, pressed);
}

void InputSystem::SendMouseMove(Mouse* mouse, float x, float y, float relativeX, float relativeY) {
  if (handler && handler->HandleMouseMove(mouse, x, y)) return;
  if (relativeX != 0.0f) SendAnalog(mouse, 0, relativeX);
  if (relativeY != 0.0f) SendAnalog(mouse, 1, relativeY);
}

void InputSystem::SendAnalog(Device* device, int axis, float value) {
  if (handler && handler->HandleUnusedAxis(device, axis, value)) return;
  DispatchChannel(device, axis, true);
}

void InputSystem::SendWheel(Mouse* mouse, float delta) {
  if (!multiDevice && primaryMouse_) mouse = primaryMouse_;
  mouse->AddWheel(delta);
  if (handler && handler->HandleWheel(mouse, delta)) return;
  SendAnalog(mouse, 2, delta);
}

void InputSystem::SendKey(Keyboard* keyboard, int key, unsigned int text, bool pressed) {
  if (!multiDevice && primaryKeyboard_) keyboard = primaryKeyboard_;
  if (key < 0 || key > 255) return;
  if (!keyboard->ChangeKey(key, pressed)) return;
  if (pressed) {
    if (keyRepeatEnabled) {
      repeatDevice_ = keyboard;
      repeatKey_ = key;
      repeatText_ = text;
      repeatCountdown_ = keyRepeatDelay;
    }
  } else if (repeatDevice_ == keyboard && repeatKey_ == key) {
    repeatDevice_ = nullptr;
    repeatCountdown_ = 0.0f;
  }
  SendButton(keyboard, key, text, pressed);
}

void InputSystem::DispatchChannel(Device* device, int control, bool axis) {
  std::vector<Channel>& table = axis ? analogChannels_ : digitalChannels_;
  for (Channel& c : table)
    if (c.device == device && c.control == control) c.changed = true;
}

void InputSystem::RegisterMouse(Mouse* mouse) {
  mouse->SetIndex(mouseCount_++);
  devices_.push_back(mouse);
  UpdatePrimary(mouse);
}

void InputSystem::RegisterKeyboard(Keyboard* keyboard) {
  keyboard->SetIndex(keyboardCount_++);
  devices_.push_back(keyboard);
  UpdatePrimary(keyboard);
}

void InputSystem::RegisterJoystick(Joystick* joystick) {
  joystick->SetIndex(joystickCount_++);
  devices_.push_back(joystick);
  UpdatePrimary(joystick);
}

void InputSystem::UpdatePrimary(Device* device) {
  if (device->Index() != 0) return;
  if (Mouse* m = dynamic_cast<Mouse*>(device)) primaryMouse_ = m;
  if (Keyboard* k = dynamic_cast<Keyboard*>(device)) primaryKeyboard_ = k;
  if (Joystick* j = dynamic_cast<Joystick*>(device)) primaryJoystick_ = j;
}

void InputSystem::SwapDevices(Device* a, Device* b) {
  const int id = a->Id();
  a->SetId(b->Id());
  b->SetId(id);
  const int index = a->Index();
  a->SetIndex(b->Index());
  b->SetIndex(index);
  auto placeA = std::find(devices_.begin(), devices_.end(), a);
  auto placeB = std::find(devices_.begin(), devices_.end(), b);
  if (placeA != devices_.end() && placeB != devices_.end()) std::iter_swap(placeA, placeB);
  UpdatePrimary(a);
  UpdatePrimary(b);
}

void InputSystem::DeleteDevices() {
  repeatDevice_ = nullptr;
  repeatCountdown_ = 0.0f;
  primaryMouse_ = nullptr;
  primaryKeyboard_ = nullptr;
  primaryJoystick_ = nullptr;
  std::vector<Device*> devices;
  devices.swap(devices_);
  for (Device* d : devices) delete d;
}

}  // namespace OPRIX

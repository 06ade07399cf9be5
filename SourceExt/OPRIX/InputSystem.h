#pragma once
// The platform-neutral core of the input library. It owns the devices, hands every button, key,
// text, motion and axis change to the one current InputHandler in a fixed order, repeats held
// keys, and follows window focus and mouse grab. A back end (WinInput) derives from it, registers
// its devices and reports their packets through the Send... operations.
//
// Events are pumped once per frame, inside the back end's update: focus changes reported while
// the pump runs take effect after the queued packets have been handled, in the order reported.
#include <cstdint>
#include <vector>

#include "Device.h"
#include "InputHandler.h"
#include "Joystick.h"
#include "Keyboard.h"
#include "Mouse.h"

namespace OPRIX {

using LogHook = void (*)(const char* line);
using EventPump = void (*)();

class InputSystem {
 public:
  InputSystem();
  virtual ~InputSystem();
  InputSystem(const InputSystem&) = delete;
  InputSystem& operator=(const InputSystem&) = delete;

  // Once per frame: key repeat and channel marks (the back end adds the rest).
  virtual void Refresh();
  virtual void FocusChanged(bool focused) = 0;
  virtual void MouseGrabChanged(bool grab) = 0;

  // Window focus (also minimise/restore); deferred while events are pumped.
  void NoteFocus(bool focused);
  // Applies a changed grab wish: grab = wanted, focused and not in multi-device mode.
  void RecomputeGrab();

  Mouse* MouseAt(int n) const;
  Keyboard* KeyboardAt(int n) const;
  Mouse* PrimaryMouse() const { return primaryMouse_; }
  Keyboard* PrimaryKeyboard() const { return primaryKeyboard_; }
  Joystick* PrimaryJoystick() const { return primaryJoystick_; }
  int MouseCount() const { return mouseCount_; }
  int KeyboardCount() const { return keyboardCount_; }
  int JoystickCount() const { return joystickCount_; }
  const std::vector<Device*>& Devices() const { return devices_; }
  bool Focused() const { return focused_; }
  bool MouseGrabbed() const { return mouseGrabbed_; }

  // A log line through the installed hook (at most 1023 characters); nothing without a hook.
  static void WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
  static void SetLogHook(LogHook hook);
  static void SetEventPump(EventPump pump);

  // Events, in the order of the handler's slots.
  void SendButton(Device* device, int button, unsigned int text, bool pressed);
  void SendChannel(Device* device, int control, bool pressed);
  void SendMouseButton(Mouse* mouse, int button, bool pressed);
  void SendMouseMove(Mouse* mouse, float x, float y, float relativeX, float relativeY);
  void SendAnalog(Device* device, int axis, float value);
  void SendWheel(Mouse* mouse, float delta);
  void SendKey(Keyboard* keyboard, int key, unsigned int text, bool pressed);

  // Written by the application.
  InputHandler* handler = nullptr;
  bool multiDevice = false;
  bool mouseGrabWanted = false;
  bool keyRepeatEnabled = true;
  float keyRepeatDelay = 0.7f;
  float keyRepeatInterval = 0.1f;

 protected:
  void RegisterMouse(Mouse* mouse);
  void RegisterKeyboard(Keyboard* keyboard);
  void RegisterJoystick(Joystick* joystick);
  // Exchanges the ids, kind indices and list places of two devices of one kind; the one that now
  // has index 0 becomes primary.
  void SwapDevices(Device* a, Device* b);
  void DeleteDevices();
  // Calls the installed pump; focus changes it reports wait for EndPump.
  void PumpEvents();
  void EndPump();

 private:
  struct Channel {
    Device* device;
    int control;
    bool axis;
    bool changed;
  };

  void ApplyFocus(bool focused);
  void RepeatKey();
  void DispatchChannel(Device* device, int control, bool axis);
  void UpdatePrimary(Device* device);

  std::vector<Device*> devices_;
  Mouse* primaryMouse_ = nullptr;
  Keyboard* primaryKeyboard_ = nullptr;
  Joystick* primaryJoystick_ = nullptr;
  int mouseCount_ = 0;
  int keyboardCount_ = 0;
  int joystickCount_ = 0;
  bool focused_ = true;
  bool mouseGrabbed_ = false;

  Keyboard* repeatDevice_ = nullptr;
  int repeatKey_ = 0;
  unsigned int repeatText_ = 0;
  float repeatCountdown_ = 0.0f;

  uint32_t lastUpdate_;
  bool pumping_ = false;
  std::vector<bool> pendingFocus_;

  // This program defines no channels: both tables stay empty.
  std::vector<Channel> digitalChannels_;
  std::vector<Channel> analogChannels_;
};

// The one instance, null when there is none.
extern InputSystem* gInputSystem;

}  // namespace OPRIX

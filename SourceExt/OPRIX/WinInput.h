#pragma once
// The input system on the window's raw input: one WinMouse per raw-input mouse, one WinKeyboard
// per raw-input keyboard, and the game controllers. Every set-up step arms its own undo at once,
// so a construction that throws half-way leaves the window unhooked and nothing held.
#include <map>
#include <vector>

#include "InputSystem.h"
#include "Plattform/eingabe/DirectInput.h"
#include "Plattform/eingabe/RohEingabe.h"

namespace OPRIX {

class WinMouse;
class WinKeyboard;
class WinJoystick;

class WinInput : public InputSystem {
 public:
  // Throws std::runtime_error when the window or a platform step fails.
  explicit WinInput(win32::HWND window);
  ~WinInput() override;

  void Refresh() override;
  void FocusChanged(bool focused) override;
  void MouseGrabChanged(bool grab) override;

  static win32::LRESULT WindowHook(win32::HWND window, win32::UINT message, win32::WPARAM w, win32::LPARAM l);

  win32::HWND Window() const { return window_; }
  // First packet of a device: marks it active and swaps it with the lowest-indexed device of its
  // kind that has a lower index and has not been active yet.
  void ActivateMouse(WinMouse* mouse);
  void ActivateKeyboard(WinKeyboard* keyboard);

 private:
  // Restores the previous window procedure.
  struct WindowSubclass {
    win32::HWND window = nullptr;
    win32::WNDPROC previous = nullptr;
    ~WindowSubclass();
  };
  template <typename T>
  struct Released {
    T* object = nullptr;
    ~Released() {
      if (object) object->Release();
    }
  };
  // Deletes the devices before the interfaces they came from are released.
  struct DeviceCleanup {
    WinInput* owner;
    ~DeviceCleanup();
  };

  void ListDevices();
  void ListJoysticks();
  void ListRawDevices();
  void AddRawDevice(const win32::RAWINPUTDEVICELIST& entry);
  void FindPadDevices();
  void MarkPad(uint32_t vendorProduct, uint32_t& nextIndex);
  static win32::BOOL JoystickFound(const dinput::DIDEVICEINSTANCEA* instance, void* self);
  void RegisterForRawInput();
  void DrainRawInput();
  void HandlePacket(const win32::RAWINPUT* packet);
  void FollowCursor();
  win32::POINT CursorInClient() const;
  win32::POINT WindowSize() const;
  void PutCursor(win32::POINT client) const;

  win32::HWND window_;
  WindowSubclass subclass_;
  bool wow64_ = false;
  Released<dinput::IDirectInput8A> directInput_;
  Released<dinput::IDirectInputDevice8A> systemKeyboard_;
  std::map<win32::HANDLE, WinMouse*> mice_;
  std::map<win32::HANDLE, WinKeyboard*> keyboards_;
  std::vector<WinJoystick*> joysticks_;
  DeviceCleanup deviceCleanup_{this};
};

}  // namespace OPRIX

#pragma once
// A raw-input keyboard. Keys are DirectInput scan codes; text comes from the keyboard layout, with
// dead keys the layout did not combine kept as a pending combining mark.
#include <bitset>
#include <string>

#include "Keyboard.h"
#include "Plattform/eingabe/DirectInput.h"
#include "Plattform/eingabe/RohEingabe.h"

namespace OPRIX {

class WinKeyboard : public Keyboard {
 public:
  WinKeyboard(InputSystem* owner, int id, win32::HANDLE handle, dinput::IDirectInputDevice8A* systemKeyboard);

  int ButtonCount() const override { return 256; }
  std::string ButtonLabel(int key) const override;
  bool ButtonHeld(int index) const override;
  bool ButtonWentDown(int index) const override;
  bool ButtonWentUp(int index) const override;
  bool ChangeKey(int key, bool down) override;

  static void ReadRawPacket(WinKeyboard* keyboard, const win32::RAWINPUT* packet, bool wow64);

  win32::HANDLE Handle() const { return handle_; }
  unsigned int PendingMark() const { return pendingMark_; }
  void BeginFrame() { previousKeys_ = keys_; }
  void ReleaseAllKeys();

 private:
  static int ScanCode(const win32::RAWKEYBOARD& data);
  unsigned int ReadText(int scanCode);

  win32::HANDLE handle_;
  dinput::IDirectInputDevice8A* systemKeyboard_;
  std::bitset<256> keys_, previousKeys_;
  unsigned int pendingMark_ = 0;
};

}  // namespace OPRIX

#include "WinKeyboard.h"

#include "Plattform/eingabe/Tastatur.h"
#include "WinInput.h"

namespace OPRIX {
namespace {

const win32::RAWKEYBOARD& KeyboardData(const win32::RAWINPUT* packet, bool wow64) {
  const char* data = reinterpret_cast<const char*>(&packet->data) + (wow64 ? 8 : 0);
  return *reinterpret_cast<const win32::RAWKEYBOARD*>(data);
}

// Scan codes of keys whose packet is read by virtual key, before adding 128 for E0.
int BaseCodeOfVirtualKey(int vk) {
  switch (vk) {
    case 13: return 28;
    case 17: return 29;
    case 18: return 56;
    case 33: return 73;
    case 34: return 81;
    case 35: return 79;
    case 36: return 71;
    case 37: return 75;
    case 38: return 72;
    case 39: return 77;
    case 40: return 80;
    case 45: return 82;
    case 46: return 83;
    default: return -1;
  }
}

// The combining mark of a spacing accent; other characters stand for themselves.
unsigned int CombiningMark(wchar_t accent) {
  switch (accent) {
    case L'^': return 0x302;
    case 0x60: return 0x300;
    case 0xB4: return 0x301;
    case 0xA8: return 0x308;
    case 0xB8: return 0x327;
    default: return unsigned(accent);
  }
}

void AppendUtf8(std::string& text, uint32_t c) {
  if (c < 0x80) {
    text += char(c);
  } else if (c < 0x800) {
    text += char(0xC0 | c >> 6);
    text += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += char(0xE0 | c >> 12);
    text += char(0x80 | (c >> 6 & 0x3F));
    text += char(0x80 | (c & 0x3F));
  } else if (c < 0x110000) {
    text += char(0xF0 | c >> 18);
    text += char(0x80 | (c >> 12 & 0x3F));
    text += char(0x80 | (c >> 6 & 0x3F));
    text += char(0x80 | (c & 0x3F));
  }
}

}  // namespace

WinKeyboard::WinKeyboard(InputSystem* owner, int id, win32::HANDLE handle,
                         dinput::IDirectInputDevice8A* systemKeyboard)
    : Keyboard(owner, id), handle_(handle), systemKeyboard_(systemKeyboard) {}

std::string WinKeyboard::ButtonLabel(int key) const {
  if (!systemKeyboard_ || key < 0 || key > 255) return {};
  dinput::DIPROPSTRING name{};
  name.diph = {sizeof(dinput::DIPROPSTRING), sizeof(dinput::DIPROPHEADER), dinput::DWORD(key), dinput::DIPH_BYOFFSET};
  if (systemKeyboard_->GetProperty(dinput::DIPROP_KEYNAME, &name.diph) != dinput::DI_OK) return {};
  std::string text;
  for (const wchar_t* c = name.wsz; *c && c < std::end(name.wsz); ++c) AppendUtf8(text, uint32_t(*c));
  return text;
}

bool WinKeyboard::ButtonHeld(int index) const { return index >= 0 && index < 256 && keys_[index]; }

bool WinKeyboard::ButtonWentDown(int index) const { return ButtonHeld(index) && !previousKeys_[index]; }

bool WinKeyboard::ButtonWentUp(int index) const {
  return index >= 0 && index < 256 && !keys_[index] && previousKeys_[index];
}

bool WinKeyboard::ChangeKey(int key, bool down) {
  if (key < 0 || key > 255 || keys_[key] == down) return false;
  keys_[key] = down;
  return true;
}

void WinKeyboard::ReleaseAllKeys() {
  for (int key = 0; key < 256; ++key)
    if (keys_[key]) Owner()->SendKey(this, key, 0, false);
}

int WinKeyboard::ScanCode(const win32::RAWKEYBOARD& data) {
  const int vk = data.VKey;
  if (vk == 16) return win32::MapVirtualKeyA(data.MakeCode, win32::MAPVK_VSC_TO_VK_EX) == 161 ? 54 : 42;
  if (vk == 144) return int(win32::MapVirtualKeyA(144, win32::MAPVK_VK_TO_VSC));
  if (data.Flags & win32::RI_KEY_E1) return vk == 19 ? 197 : int(win32::MapVirtualKeyA(vk, win32::MAPVK_VK_TO_VSC));
  if (vk == 12) return 76;
  const int base = BaseCodeOfVirtualKey(vk);
  if (base < 0) return data.MakeCode;
  return base + ((data.Flags & win32::RI_KEY_E0) ? 128 : 0);
}

unsigned int WinKeyboard::ReadText(int scanCode) {
  const win32::HKL layout = win32::GetKeyboardLayout(0);
  const win32::UINT vk = win32::MapVirtualKeyExA(win32::UINT(scanCode), win32::MAPVK_VSC_TO_VK_EX, layout);
  if (vk == 0) return 0;
  win32::BYTE state[256];
  win32::GetKeyboardState(state);
  wchar_t chars[3] = {};
  const int count = win32::ToUnicodeEx(vk, win32::UINT(scanCode), state, chars, 3, 0, layout);
  if (count == 1) {
    if (pendingMark_ == 0) return unsigned(chars[0]);
    const wchar_t pair[2] = {chars[0], wchar_t(pendingMark_)};
    wchar_t composed[2] = {};
    pendingMark_ = 0;
    return win32::FoldStringW(win32::MAP_PRECOMPOSED, pair, 2, composed, 2) > 0 ? unsigned(composed[0]) : 0;
  }
  if (count == 2) pendingMark_ = CombiningMark(chars[0]);
  return 0;
}

void WinKeyboard::ReadRawPacket(WinKeyboard* keyboard, const win32::RAWINPUT* packet, bool wow64) {
  const win32::RAWKEYBOARD& data = KeyboardData(packet, wow64);
  if (data.VKey == 255) return;
  const bool pressed = (data.Flags & win32::RI_KEY_BREAK) == 0;
  const int scanCode = ScanCode(data);
  if (keyboard->Muted()) return;
  WinInput* input = static_cast<WinInput*>(keyboard->Owner());
  if (!keyboard->Active()) input->ActivateKeyboard(keyboard);
  const unsigned int text = keyboard->ReadText(scanCode);
  input->SendKey(keyboard, scanCode, text, pressed);
}

}  // namespace OPRIX

#pragma once
// XInput-shaped stand-in: user index n is the n-th present gamepad joystick, read as a GLFW gamepad.
#include <cstdint>

#include "Plattform/eingabe/Typen.h"

namespace xinput {

using namespace win32;

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;

inline constexpr WORD XINPUT_GAMEPAD_DPAD_UP = 0x0001;
inline constexpr WORD XINPUT_GAMEPAD_DPAD_DOWN = 0x0002;
inline constexpr WORD XINPUT_GAMEPAD_DPAD_LEFT = 0x0004;
inline constexpr WORD XINPUT_GAMEPAD_DPAD_RIGHT = 0x0008;
inline constexpr WORD XINPUT_GAMEPAD_START = 0x0010;
inline constexpr WORD XINPUT_GAMEPAD_BACK = 0x0020;
inline constexpr WORD XINPUT_GAMEPAD_LEFT_THUMB = 0x0040;
inline constexpr WORD XINPUT_GAMEPAD_RIGHT_THUMB = 0x0080;
inline constexpr WORD XINPUT_GAMEPAD_LEFT_SHOULDER = 0x0100;
inline constexpr WORD XINPUT_GAMEPAD_RIGHT_SHOULDER = 0x0200;
inline constexpr WORD XINPUT_GAMEPAD_A = 0x1000;
inline constexpr WORD XINPUT_GAMEPAD_B = 0x2000;
inline constexpr WORD XINPUT_GAMEPAD_X = 0x4000;
inline constexpr WORD XINPUT_GAMEPAD_Y = 0x8000;

struct XINPUT_GAMEPAD {
  WORD wButtons;
  BYTE bLeftTrigger;
  BYTE bRightTrigger;
  int16_t sThumbLX;
  int16_t sThumbLY;
  int16_t sThumbRX;
  int16_t sThumbRY;
};

struct XINPUT_STATE {
  DWORD dwPacketNumber;
  XINPUT_GAMEPAD Gamepad;
};

// Sticks lround(v * 32767) with Y pointing up, triggers lround((t + 1) / 2 * 255); the guide button
// has no bit. ERROR_DEVICE_NOT_CONNECTED for an absent pad.
DWORD XInputGetState(DWORD index, XINPUT_STATE* zustand);

}  // namespace xinput

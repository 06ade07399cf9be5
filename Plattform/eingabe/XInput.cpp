#include "Plattform/eingabe/XInput.h"

#include <algorithm>
#include <cmath>

#include "Plattform/eingabe/Quelle.h"

namespace xinput {
namespace {

using eingabe::AktiveQuelle;

// GLFW gamepad button order: A, B, X, Y, LB, RB, BACK, START, GUIDE, LTHUMB, RTHUMB, UP, RIGHT, DOWN, LEFT.
constexpr WORD KNOPF_BITS[15] = {
    XINPUT_GAMEPAD_A,          XINPUT_GAMEPAD_B,         XINPUT_GAMEPAD_X,         XINPUT_GAMEPAD_Y,
    XINPUT_GAMEPAD_LEFT_SHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER, XINPUT_GAMEPAD_BACK, XINPUT_GAMEPAD_START,
    0,                         XINPUT_GAMEPAD_LEFT_THUMB, XINPUT_GAMEPAD_RIGHT_THUMB, XINPUT_GAMEPAD_DPAD_UP,
    XINPUT_GAMEPAD_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_LEFT,
};

int16_t Stick(float wert) { return int16_t(std::lround(std::clamp(wert, -1.0f, 1.0f) * 32767.0f)); }
BYTE Abzug(float wert) { return BYTE(std::lround((std::clamp(wert, -1.0f, 1.0f) + 1.0f) / 2.0f * 255.0f)); }

// The jid of the n-th present gamepad, -1 when there are fewer.
int GamepadJid(DWORD index) {
  DWORD gezaehlt = 0;
  for (int jid = 0; jid < eingabe::JOYSTICK_ANZAHL; ++jid) {
    if (!AktiveQuelle().JoystickDa(jid) || !AktiveQuelle().IstGamepad(jid)) continue;
    if (gezaehlt++ == index) return jid;
  }
  return -1;
}

}  // namespace

DWORD XInputGetState(DWORD index, XINPUT_STATE* zustand) {
  if (!zustand) return ERROR_DEVICE_NOT_CONNECTED;
  const int jid = GamepadJid(index);
  eingabe::PadZustand pad;
  if (jid < 0 || AktiveQuelle().Scheitert(eingabe::Aufruf::XInputGetState, jid) ||
      !AktiveQuelle().GamepadZustand(jid, pad))
    return ERROR_DEVICE_NOT_CONNECTED;
  XINPUT_GAMEPAD& g = zustand->Gamepad;
  g = {};
  for (int n = 0; n < 15; ++n)
    if (pad.knoepfe[n]) g.wButtons |= KNOPF_BITS[n];
  g.sThumbLX = Stick(pad.achsen[0]);
  g.sThumbLY = Stick(-pad.achsen[1]);
  g.sThumbRX = Stick(pad.achsen[2]);
  g.sThumbRY = Stick(-pad.achsen[3]);
  g.bLeftTrigger = Abzug(pad.achsen[4]);
  g.bRightTrigger = Abzug(pad.achsen[5]);
  ++zustand->dwPacketNumber;
  return ERROR_SUCCESS;
}

}  // namespace xinput

#pragma once
// The device objects behind IDirectInput8A::CreateDevice.
#include "Plattform/eingabe/DirectInput.h"

namespace dinput {

IDirectInputDevice8A* ErzeugeSystemTastatur();
IDirectInputDevice8A* ErzeugeJoystick(int jid);

// Instance GUID of joystick `jid`, and the jid of an instance GUID (-1 when it names none).
GUID JoystickInstanz(int jid);
int JoystickAusInstanz(const GUID& instanz);

}  // namespace dinput

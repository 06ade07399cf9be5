#pragma once
// The one back end behind every input stand-in. The GLFW back end answers by default; tests set a
// scripted one with SetzeQuelle. Both feed the same intake (Aufnahme.h), so every conversion from
// GLFW-shaped events to raw-input packets runs the same way headless and on a display.
//
// Scheitert lets a back end fail any single platform call: the stand-in asks before doing the work
// and reports that call's failure code. `ziel` names the joystick (jid) for controller calls, else -1.
#include <cstdint>
#include <string>
#include <vector>

#include "Plattform/eingabe/Typen.h"

namespace eingabe {

enum class Aufruf {
  SetWindowLongPtr,
  RegisterRawInputDevices,
  GeraeteAnzahl,
  GeraeteListe,
  GeraeteInfo,
  DirectInput8Create,
  TastaturErzeugen,
  TastaturFormat,
  JoystickErzeugen,
  JoystickFormat,
  JoystickKooperation,
  JoystickPuffer,
  JoystickFaehigkeiten,
  JoystickBereich,
  JoystickPoll,
  JoystickDaten,
  JoystickAcquire,
  XInputGetState,
  CoInitialize,
  CoCreateInstance,
  ConnectServer,
  CoSetProxyBlanket,
  CreateInstanceEnum,
  Next,
  Get,
};

// A raw-input device of the list: typ 0 mouse, 1 keyboard, 2 other HID.
struct RohGeraet {
  uintptr_t handle = 0;
  uint32_t typ = 0;
  std::string name;
};

// A Win32_PNPEntity instance: its "DeviceID", or not a string at all.
struct PnpEintrag {
  bool istText = true;
  std::wstring geraeteId;
};

// GLFW-shaped gamepad state: 15 buttons, 6 axes (sticks -1..1 with Y down, triggers -1..1).
struct PadZustand {
  unsigned char knoepfe[15] = {};
  float achsen[6] = {};
};

class Quelle {
 public:
  virtual ~Quelle() = default;

  virtual bool Scheitert(Aufruf, int /*ziel*/) { return false; }

  // Window: validity, input callbacks, cursor (client coordinates), position, size, frame.
  virtual bool FensterGueltig(void* fenster) = 0;
  virtual void HaengeRueckrufeAn(void* fenster) = 0;
  virtual void LoeseRueckrufe(void* fenster) = 0;
  virtual void LiesCursor(void* fenster, double& x, double& y) = 0;
  virtual void SetzeCursor(void* fenster, double x, double y) = 0;
  virtual void FensterPosition(void* fenster, int& x, int& y) = 0;
  virtual void FensterGroesse(void* fenster, int& breite, int& hoehe) = 0;
  virtual void FensterRahmen(void* fenster, int& links, int& oben, int& rechts, int& unten) = 0;

  // Raw-input devices; the intake's own keyboard and mouse use handles 1 and 2.
  virtual std::vector<RohGeraet> RohGeraete();
  // Name of a printable GLFW key on the current layout, "" when it has none.
  virtual std::string TastenName(int glfwTaste) = 0;
  // Answer of ToUnicodeEx for the keyboard packet read last (its text and press flag).
  virtual int ZeichenAntwort(uint32_t text, bool gedrueckt, wchar_t* puffer, int groesse);

  // Joysticks 0..15.
  virtual bool JoystickDa(int jid) = 0;
  virtual bool IstGamepad(int jid) = 0;
  virtual std::string JoystickGuid(int jid) = 0;
  virtual std::vector<float> JoystickAchsen(int jid) = 0;
  virtual std::vector<unsigned char> JoystickKnoepfe(int jid) = 0;
  virtual int JoystickHats(int jid) = 0;
  virtual bool GamepadZustand(int jid, PadZustand& zustand) = 0;
  // Plug-and-play instances; by default one per present joystick.
  virtual std::vector<PnpEintrag> PnpGeraete();

  // Once per frame, from the application's event pump after the window system's events: a
  // scripted back end feeds this frame's input here and may wait for it. Nothing for GLFW.
  virtual void Bildbeginn() {}
  // Whether window focus changes count for the input library. A back end that ignores the
  // display's input says no, so that focus moving to other windows releases none of its keys.
  virtual bool FokusZaehlt() { return true; }
};

inline constexpr uintptr_t TASTATUR_HANDLE = 1;
inline constexpr uintptr_t MAUS_HANDLE = 2;
inline constexpr int JOYSTICK_ANZAHL = 16;

// The scripted back end, or null for GLFW.
void SetzeQuelle(Quelle* quelle);
Quelle& AktiveQuelle();

// Vendor and product id from a GLFW joystick GUID (SDL layout: bytes 4-5 vendor, 8-9 product,
// little-endian); 0 when the GUID is too short.
uint32_t HerstellerProdukt(const std::string& guid);

// Objects of the COM-shaped stand-ins still alive (devices, interfaces, WMI objects, strings).
int LebendeObjekte();
void ObjektErzeugt();
void ObjektFreigegeben();

}  // namespace eingabe

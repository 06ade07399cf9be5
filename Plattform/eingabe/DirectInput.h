#pragma once
// DirectInput-8-shaped stand-in: the system keyboard (data format and key names) and game
// controllers read from the back end's joysticks. Poll turns changes of a joystick's arrays into
// buffered records: buttons at offset 48 + n with 0x80 or 0, axes at offset 176 + 4n with
// lround(value * 32767) and the axis's application data. A joystick that vanished comes to rest
// once, then fails to acquire.
#include <cstdint>

#include "Plattform/eingabe/Typen.h"

namespace dinput {

using namespace win32;

inline constexpr DWORD DIRECTINPUT_VERSION = 0x0800;
inline constexpr HRESULT DI_OK = 0;
inline constexpr HRESULT DIERR_GENERIC = E_FAIL;
inline constexpr HRESULT DIERR_NOTFOUND = int32_t(0x80070002u);
inline constexpr HRESULT DIERR_NOTACQUIRED = int32_t(0x8007000Cu);
inline constexpr HRESULT DIERR_INPUTLOST = int32_t(0x8007001Eu);
inline constexpr HRESULT DIERR_INVALIDPARAM = int32_t(0x80070057u);

inline constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
inline constexpr DWORD DIEDFL_ATTACHEDONLY = 1;
inline constexpr DWORD DI8DEVTYPE_JOYSTICK = 20;
inline constexpr DWORD DI8DEVTYPE_GAMEPAD = 21;
inline constexpr DWORD DI8DEVTYPE_DRIVING = 22;
inline constexpr DWORD DI8DEVTYPE_FLIGHT = 23;
inline constexpr DWORD DI8DEVTYPE_1STPERSON = 24;
inline constexpr BOOL DIENUM_STOP = 0;
inline constexpr BOOL DIENUM_CONTINUE = 1;
inline constexpr DWORD DISCL_EXCLUSIVE = 1;
inline constexpr DWORD DISCL_BACKGROUND = 8;
inline constexpr DWORD DIDFT_AXIS = 3;
inline constexpr DWORD DIPH_DEVICE = 0;
inline constexpr DWORD DIPH_BYOFFSET = 1;
inline constexpr DWORD DIPH_BYID = 2;

inline constexpr DWORD DIJOFS_BUTTON0 = 48;
inline constexpr DWORD DIJOFS_BUTTON_ANZAHL = 128;
inline constexpr DWORD DIJOFS_ACHSE0 = DIJOFS_BUTTON0 + DIJOFS_BUTTON_ANZAHL;

inline DWORD DIDFT_GETINSTANCE(DWORD typ) { return (typ >> 8) & 0xFFFF; }

// Properties.
using DIPROP = int;
inline constexpr DIPROP DIPROP_BUFFERSIZE = 1;
inline constexpr DIPROP DIPROP_RANGE = 4;
inline constexpr DIPROP DIPROP_KEYNAME = 20;
inline constexpr DIPROP DIPROP_APPDATA = 22;

struct DIDATAFORMAT {
  DWORD art;
};
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIJoystick2;

extern const GUID IID_IDirectInput8A;
extern const GUID GUID_SysKeyboard;

struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};
struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};
struct DIPROPRANGE {
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
};
struct DIPROPPOINTER {
  DIPROPHEADER diph;
  uintptr_t uData;
};
struct DIPROPSTRING {
  DIPROPHEADER diph;
  WCHAR wsz[260];
};

struct DIDEVCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDevType;
  DWORD dwAxes;
  DWORD dwButtons;
  DWORD dwPOVs;
};

struct DIDEVICEINSTANCEA {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  char tszInstanceName[260];
  char tszProductName[260];
};

struct DIDEVICEOBJECTINSTANCEA {
  DWORD dwSize;
  GUID guidType;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
  char tszName[260];
};

struct DIDEVICEOBJECTDATA {
  DWORD dwOfs;
  DWORD dwData;
  DWORD dwTimeStamp;
  DWORD dwSequence;
  uintptr_t uAppData;
};

using LPDIENUMDEVICESCALLBACKA = BOOL (*)(const DIDEVICEINSTANCEA*, void*);
using LPDIENUMDEVICEOBJECTSCALLBACKA = BOOL (*)(const DIDEVICEOBJECTINSTANCEA*, void*);

class IDirectInputDevice8A {
 public:
  virtual ULONG Release() = 0;
  virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
  virtual HRESULT SetCooperativeLevel(HWND fenster, DWORD flags) = 0;
  virtual HRESULT SetProperty(DIPROP eigenschaft, const DIPROPHEADER* kopf) = 0;
  virtual HRESULT GetProperty(DIPROP eigenschaft, DIPROPHEADER* kopf) = 0;
  virtual HRESULT GetCapabilities(DIDEVCAPS* faehigkeiten) = 0;
  virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA rueckruf, void* wert, DWORD flags) = 0;
  virtual HRESULT Poll() = 0;
  virtual HRESULT GetDeviceData(DWORD datenGroesse, DIDEVICEOBJECTDATA* daten, DWORD* anzahl, DWORD flags) = 0;
  virtual HRESULT Acquire() = 0;

 protected:
  virtual ~IDirectInputDevice8A() = default;
};

class IDirectInput8A {
 public:
  virtual ULONG Release() = 0;
  virtual HRESULT CreateDevice(const GUID& instanz, IDirectInputDevice8A** geraet, void* aussen) = 0;
  virtual HRESULT EnumDevices(DWORD art, LPDIENUMDEVICESCALLBACKA rueckruf, void* wert, DWORD flags) = 0;

 protected:
  virtual ~IDirectInput8A() = default;
};

HRESULT DirectInput8Create(void* modul, DWORD version, const GUID& iid, void** schnittstelle, void* aussen);

}  // namespace dinput

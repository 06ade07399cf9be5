#pragma once
// Raw-input stand-in: device registration, the device list and packets read from the intake's queue.
// Packets are handed out one per call, so ToUnicodeEx always answers for the packet being read.
#include "Plattform/eingabe/Typen.h"

namespace win32 {

inline constexpr UINT WM_INPUT = 255;

inline constexpr DWORD RIM_TYPEMOUSE = 0;
inline constexpr DWORD RIM_TYPEKEYBOARD = 1;
inline constexpr DWORD RIM_TYPEHID = 2;

inline constexpr UINT RID_INPUT = 0x10000003;
inline constexpr UINT RIDI_DEVICENAME = 0x20000007;
inline constexpr UINT RIDI_DEVICEINFO = 0x2000000b;

inline constexpr USHORT RI_KEY_BREAK = 1;
inline constexpr USHORT RI_KEY_E0 = 2;
inline constexpr USHORT RI_KEY_E1 = 4;

inline constexpr USHORT MOUSE_MOVE_ABSOLUTE = 1;
inline constexpr USHORT RI_MOUSE_WHEEL = 0x400;

struct RAWINPUTHEADER {
  DWORD dwType;
  DWORD dwSize;
  HANDLE hDevice;
  WPARAM wParam;
};

struct RAWMOUSE {
  USHORT usFlags;
  USHORT usButtonFlags;
  USHORT usButtonData;
  ULONG ulRawButtons;
  LONG lLastX;
  LONG lLastY;
  ULONG ulExtraInformation;
};

// ExtraInformation carries the text of a press (a code point, 0 = none).
struct RAWKEYBOARD {
  USHORT MakeCode;
  USHORT Flags;
  USHORT Reserved;
  USHORT VKey;
  UINT Message;
  ULONG ExtraInformation;
};

struct RAWINPUT {
  RAWINPUTHEADER header;
  union {
    RAWMOUSE mouse;
    RAWKEYBOARD keyboard;
  } data;
};

// Packets in a buffer follow each other at 8-byte boundaries.
inline UINT RawInputAlign(UINT groesse) { return (groesse + 7u) & ~7u; }

struct RAWINPUTDEVICE {
  USHORT usUsagePage;
  USHORT usUsage;
  DWORD dwFlags;
  HWND hwndTarget;
};

struct RAWINPUTDEVICELIST {
  HANDLE hDevice;
  DWORD dwType;
};

struct RID_DEVICE_INFO {
  DWORD cbSize;
  DWORD dwType;
};

// Returns FALSE on failure.
BOOL RegisterRawInputDevices(const RAWINPUTDEVICE* geraete, UINT anzahl, UINT groesse);
// With a null list: the count into *anzahl, result 0. With a list: the number written. UINT(-1) on failure.
UINT GetRawInputDeviceList(RAWINPUTDEVICELIST* liste, UINT* anzahl, UINT groesse);
// RIDI_DEVICENAME: the name as a NUL-terminated string, *groesse in characters; RIDI_DEVICEINFO: the
// record. Bytes or characters copied, UINT(-1) on failure or when the buffer is too small.
UINT GetRawInputDeviceInfoA(HANDLE geraet, UINT befehl, void* daten, UINT* groesse);
// The next queued packet; bytes copied, 0 when none, UINT(-1) when the buffer is too small.
UINT GetRawInputData(HANDLE rohEingabe, UINT befehl, void* daten, UINT* groesse, UINT kopfGroesse);
// At most one queued packet per call; the number of packets copied, 0 when none.
UINT GetRawInputBuffer(RAWINPUT* daten, UINT* groesse, UINT kopfGroesse);

}  // namespace win32

#pragma once
// Basic Win32-shaped types shared by the input stand-ins. Handles are pointers, wide characters are
// wchar_t (32-bit here, so one code point is one character).
#include <cstdint>

namespace win32 {

using BOOL = int;
using BYTE = uint8_t;
using USHORT = uint16_t;
using WORD = uint16_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using HRESULT = int32_t;
using WCHAR = wchar_t;
using BSTR = wchar_t*;
using HANDLE = void*;
using HWND = void*;
using HKL = void*;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LONG_PTR = intptr_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = int32_t(0x80004005u);

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

struct GUID {
  DWORD Data1 = 0;
  WORD Data2 = 0;
  WORD Data3 = 0;
  BYTE Data4[8] = {};
};

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

}  // namespace win32

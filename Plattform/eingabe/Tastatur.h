#pragma once
// Keyboard-layout stand-in: virtual key <-> scan code through the key table, the text of the key
// packet read last, and composition of a letter with a combining mark.
#include "Plattform/eingabe/Typen.h"

namespace win32 {

inline constexpr UINT MAPVK_VK_TO_VSC = 0;
inline constexpr UINT MAPVK_VSC_TO_VK = 1;
inline constexpr UINT MAPVK_VSC_TO_VK_EX = 3;
inline constexpr DWORD MAP_PRECOMPOSED = 0x20;

// Scan codes are DirectInput scan codes (extended keys carry 128). 0 when there is no mapping.
UINT MapVirtualKeyA(UINT code, UINT art);
UINT MapVirtualKeyExA(UINT code, UINT art, HKL layout);
HKL GetKeyboardLayout(DWORD faden);
// All keys up.
BOOL GetKeyboardState(BYTE* zustand);
// The text of the keyboard packet read last: one character on a press, else 0 (as the back end answers).
int ToUnicodeEx(UINT vk, UINT scan, const BYTE* zustand, WCHAR* puffer, int groesse, UINT flags, HKL layout);
// MAP_PRECOMPOSED: a letter followed by one of the marks U+0300, U+0301, U+0302, U+0308, U+0327 becomes
// its precomposed Latin-1 or Latin Extended-A letter; anything else is copied. Characters written, 0
// when the target is too small.
int FoldStringW(DWORD flags, const WCHAR* quelle, int laenge, WCHAR* ziel, int zielGroesse);

}  // namespace win32

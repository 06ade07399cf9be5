#pragma once
// Window stand-in on the screen's GLFWwindow*: validity, subclassing (which installs the intake's
// callbacks) and the cursor in screen and client coordinates. No message ever reaches the installed
// procedure; input waits in the intake's queue.
#include "Plattform/eingabe/Typen.h"

namespace win32 {

inline constexpr int GWLP_WNDPROC = -4;

BOOL IsWindow(HWND fenster);
// Always answers FALSE in *wow64: the process is native.
BOOL IsWow64Process(HANDLE prozess, BOOL* wow64);
// The system stand-in defines the crash handler's GetCurrentProcess on its own handle type; this
// one has a namespace of its own in the symbol, so that a program can link both.
inline namespace eingabe_handle {
HANDLE GetCurrentProcess();
}

// Installing a procedure other than the default installs the input callbacks; setting the
// returned default back removes them. Returns the previous procedure, 0 on failure.
LONG_PTR SetWindowLongPtrW(HWND fenster, int index, LONG_PTR wert);
LRESULT CallWindowProcW(WNDPROC prozedur, HWND fenster, UINT nachricht, WPARAM w, LPARAM l);
// The default procedure: answers 0.
LRESULT DefWindowProcW(HWND fenster, UINT nachricht, WPARAM w, LPARAM l);

// The cursor on the hooked window: screen = client + window position.
BOOL GetCursorPos(POINT* punkt);
BOOL SetCursorPos(int x, int y);
BOOL ScreenToClient(HWND fenster, POINT* punkt);
BOOL ClientToScreen(HWND fenster, POINT* punkt);
// Client area plus the window frame, in screen coordinates.
BOOL GetWindowRect(HWND fenster, RECT* rechteck);

}  // namespace win32

#include "Plattform/eingabe/Fenster.h"

#include <cmath>
#include <map>

#include "Plattform/eingabe/Aufnahme.h"
#include "Plattform/eingabe/Quelle.h"

namespace win32 {
namespace {

using eingabe::AktiveQuelle;

std::map<HWND, WNDPROC>& Prozeduren() {
  static std::map<HWND, WNDPROC> prozeduren;
  return prozeduren;
}

HWND& GehakteFenster() {
  static HWND fenster = nullptr;
  return fenster;
}

WNDPROC AktuelleProzedur(HWND fenster) {
  auto it = Prozeduren().find(fenster);
  return it == Prozeduren().end() ? &DefWindowProcW : it->second;
}

void Verschiebe(HWND fenster, POINT* punkt, int vorzeichen) {
  int x = 0, y = 0;
  AktiveQuelle().FensterPosition(fenster, x, y);
  punkt->x += vorzeichen * x;
  punkt->y += vorzeichen * y;
}

void HaengeAn(HWND fenster) {
  eingabe::Quelle& quelle = AktiveQuelle();
  double x = 0, y = 0;
  quelle.LiesCursor(fenster, x, y);
  eingabe::SetzeCursorBasis(x, y);
  quelle.HaengeRueckrufeAn(fenster);
  GehakteFenster() = fenster;
}

void Loese(HWND fenster) {
  AktiveQuelle().LoeseRueckrufe(fenster);
  if (GehakteFenster() == fenster) GehakteFenster() = nullptr;
}

}  // namespace

BOOL IsWindow(HWND fenster) { return fenster && AktiveQuelle().FensterGueltig(fenster) ? TRUE : FALSE; }

BOOL IsWow64Process(HANDLE, BOOL* wow64) {
  if (!wow64) return FALSE;
  *wow64 = FALSE;
  return TRUE;
}

inline namespace eingabe_handle {
HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(intptr_t(-1)); }
}  // namespace eingabe_handle

LONG_PTR SetWindowLongPtrW(HWND fenster, int index, LONG_PTR wert) {
  if (index != GWLP_WNDPROC || !IsWindow(fenster) || wert == 0) return 0;
  if (AktiveQuelle().Scheitert(eingabe::Aufruf::SetWindowLongPtr, -1)) return 0;
  const WNDPROC vorher = AktuelleProzedur(fenster);
  const WNDPROC neu = reinterpret_cast<WNDPROC>(wert);
  if (neu == &DefWindowProcW) {
    Prozeduren().erase(fenster);
    Loese(fenster);
  } else {
    Prozeduren()[fenster] = neu;
    if (vorher == &DefWindowProcW) HaengeAn(fenster);
  }
  return reinterpret_cast<LONG_PTR>(vorher);
}

LRESULT CallWindowProcW(WNDPROC prozedur, HWND fenster, UINT nachricht, WPARAM w, LPARAM l) {
  return prozedur ? prozedur(fenster, nachricht, w, l) : 0;
}

LRESULT DefWindowProcW(HWND, UINT, WPARAM, LPARAM) { return 0; }

BOOL GetCursorPos(POINT* punkt) {
  const HWND fenster = GehakteFenster();
  if (!punkt || !fenster) return FALSE;
  double x = 0, y = 0;
  AktiveQuelle().LiesCursor(fenster, x, y);
  punkt->x = LONG(std::floor(x));
  punkt->y = LONG(std::floor(y));
  Verschiebe(fenster, punkt, +1);
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  const HWND fenster = GehakteFenster();
  if (!fenster) return FALSE;
  POINT p{x, y};
  Verschiebe(fenster, &p, -1);
  AktiveQuelle().SetzeCursor(fenster, p.x, p.y);
  return TRUE;
}

BOOL ScreenToClient(HWND fenster, POINT* punkt) {
  if (!punkt || !IsWindow(fenster)) return FALSE;
  Verschiebe(fenster, punkt, -1);
  return TRUE;
}

BOOL ClientToScreen(HWND fenster, POINT* punkt) {
  if (!punkt || !IsWindow(fenster)) return FALSE;
  Verschiebe(fenster, punkt, +1);
  return TRUE;
}

BOOL GetWindowRect(HWND fenster, RECT* rechteck) {
  if (!rechteck || !IsWindow(fenster)) return FALSE;
  eingabe::Quelle& quelle = AktiveQuelle();
  int x = 0, y = 0, b = 0, h = 0, links = 0, oben = 0, rechts = 0, unten = 0;
  quelle.FensterPosition(fenster, x, y);
  quelle.FensterGroesse(fenster, b, h);
  quelle.FensterRahmen(fenster, links, oben, rechts, unten);
  *rechteck = {x - links, y - oben, x + b + rechts, y + h + unten};
  return TRUE;
}

}  // namespace win32

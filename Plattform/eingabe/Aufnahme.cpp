#include "Plattform/eingabe/Aufnahme.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <deque>

#include "Plattform/eingabe/Quelle.h"
#include "Plattform/eingabe/Tastentabelle.h"

namespace eingabe {
namespace {

using win32::RAWINPUT;

struct Zustand {
  std::deque<RAWINPUT> warteschlange;
  bool letztesIstOffenerDruck = false;  // queue's back is a press that may still get its char
  win32::RAWKEYBOARD letzteTastatur{};
  bool tastaturGelesen = false;
  double cursorX = 0, cursorY = 0;      // cursor position of the last motion
  double restX = 0, restY = 0;          // motion not yet handed out in whole pixels
};

Zustand& Z() {
  static Zustand z;
  return z;
}

RAWINPUT LeeresPaket(win32::DWORD typ, uintptr_t handle) {
  RAWINPUT p{};
  p.header.dwType = typ;
  p.header.dwSize = sizeof(RAWINPUT);
  p.header.hDevice = reinterpret_cast<win32::HANDLE>(handle);
  return p;
}

void EinreihenAusAufnahme(const RAWINPUT& p, bool offenerDruck) {
  Z().warteschlange.push_back(p);
  Z().letztesIstOffenerDruck = offenerDruck;
}

// Scan code and virtual key of a GLFW key; false when the key has no code.
bool TastenCode(int glfwTaste, int xTastencode, int& dik, int& vk) {
  if (glfwTaste == GLFW_KEY_UNKNOWN) {
    dik = xTastencode - 8;
    if (dik < 1 || dik > 88) return false;
    const TastenEintrag* e = EintragFuerDik(dik);
    vk = e ? e->vk : 0;
    return true;
  }
  const TastenEintrag* e = EintragFuerGlfw(glfwTaste);
  if (!e) return false;
  dik = e->dik;
  vk = e->vk;
  return true;
}

RAWINPUT MausPaket(win32::USHORT knopfFlags) {
  RAWINPUT p = LeeresPaket(win32::RIM_TYPEMOUSE, MAUS_HANDLE);
  p.data.mouse.usButtonFlags = knopfFlags;
  return p;
}

// Whole pixels of `bewegung` plus the kept remainder; the rest stays for the next call.
win32::LONG GanzePixel(double bewegung, double& rest) {
  const double summe = bewegung + rest;
  const double ganz = std::trunc(summe);
  rest = summe - ganz;
  return win32::LONG(ganz);
}

}  // namespace

void Taste(int glfwTaste, int xTastencode, int aktion) {
  Z().letztesIstOffenerDruck = false;
  if (aktion != GLFW_PRESS && aktion != GLFW_RELEASE) return;
  int dik = 0, vk = 0;
  if (!TastenCode(glfwTaste, xTastencode, dik, vk)) return;
  RAWINPUT p = LeeresPaket(win32::RIM_TYPEKEYBOARD, TASTATUR_HANDLE);
  win32::RAWKEYBOARD& k = p.data.keyboard;
  k.MakeCode = win32::USHORT(dik);
  k.VKey = win32::USHORT(vk);
  if (dik == 197) k.Flags |= win32::RI_KEY_E1;
  else if (dik >= 128) k.Flags |= win32::RI_KEY_E0;
  if (aktion == GLFW_RELEASE) k.Flags |= win32::RI_KEY_BREAK;
  EinreihenAusAufnahme(p, aktion == GLFW_PRESS);
}

void Zeichen(uint32_t codepoint) {
  Zustand& z = Z();
  if (z.letztesIstOffenerDruck) z.warteschlange.back().data.keyboard.ExtraInformation = codepoint;
  z.letztesIstOffenerDruck = false;
}

void Knopf(int glfwKnopf, int aktion) {
  Z().letztesIstOffenerDruck = false;
  if (glfwKnopf < 0 || glfwKnopf > 4) return;
  const int unten = 1 << (2 * glfwKnopf);
  if (aktion == GLFW_PRESS) EinreihenAusAufnahme(MausPaket(win32::USHORT(unten)), false);
  if (aktion == GLFW_RELEASE) EinreihenAusAufnahme(MausPaket(win32::USHORT(unten << 1)), false);
}

void Rollen(double, double y) {
  Z().letztesIstOffenerDruck = false;
  if (std::isnan(y)) return;
  const double stufen = std::clamp(std::round(y * 120.0), -32768.0, 32767.0);
  RAWINPUT p = MausPaket(win32::RI_MOUSE_WHEEL);
  p.data.mouse.usButtonData = win32::USHORT(int16_t(stufen));
  EinreihenAusAufnahme(p, false);
}

void Cursor(double x, double y) {
  Zustand& z = Z();
  z.letztesIstOffenerDruck = false;
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  const win32::LONG dx = GanzePixel(x - z.cursorX, z.restX);
  const win32::LONG dy = GanzePixel(y - z.cursorY, z.restY);
  z.cursorX = x;
  z.cursorY = y;
  if (dx == 0 && dy == 0) return;
  RAWINPUT p = MausPaket(0);
  p.data.mouse.lLastX = dx;
  p.data.mouse.lLastY = dy;
  EinreihenAusAufnahme(p, false);
}

void SetzeCursorBasis(double x, double y) {
  Zustand& z = Z();
  z.cursorX = std::isfinite(x) ? x : 0;
  z.cursorY = std::isfinite(y) ? y : 0;
  z.restX = z.restY = 0;
}

void Einreihen(const RAWINPUT& paket) { EinreihenAusAufnahme(paket, false); }

bool Entnehmen(RAWINPUT& paket) {
  Zustand& z = Z();
  z.letztesIstOffenerDruck = false;
  if (z.warteschlange.empty()) return false;
  paket = z.warteschlange.front();
  z.warteschlange.pop_front();
  if (paket.header.dwType == win32::RIM_TYPEKEYBOARD) {
    z.letzteTastatur = paket.data.keyboard;
    z.tastaturGelesen = true;
  }
  return true;
}

void LeereWarteschlange() {
  Zustand& z = Z();
  z.warteschlange.clear();
  z.letztesIstOffenerDruck = false;
  z.tastaturGelesen = false;
}

const win32::RAWKEYBOARD* LetztesTastaturPaket() { return Z().tastaturGelesen ? &Z().letzteTastatur : nullptr; }

}  // namespace eingabe

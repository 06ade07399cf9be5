// fensterschliessen <Titel>: closes the X windows of that title as a window manager's close
// button does, with WM_DELETE_WINDOW to each window so named (WM_NAME or _NET_WM_NAME) that takes
// it; the program that owns it ends as its user would end it, not killed as by
// `xdotool windowkill`. Exit code 0 when at least one window was sent the message, 1 when no
// window of that title takes it, 2 on wrong use or without a display.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Plattform/eingabe/FensterSchliessen.h"
#include "anzeige/AnzeigeWiederholung.h"

namespace {

// Windows may go while they are searched: their errors are not fatal.
int Uebergehen(Display*, XErrorEvent*) { return 0; }

std::string Titel(Display* anzeige, Window fenster) {
  const Atom netName = XInternAtom(anzeige, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(anzeige, "UTF8_STRING", False);
  Atom typ = None;
  int format = 0;
  unsigned long anzahl = 0, rest = 0;
  unsigned char* daten = nullptr;
  std::string titel;
  if (XGetWindowProperty(anzeige, fenster, netName, 0, 1024, False, utf8, &typ, &format, &anzahl, &rest, &daten) ==
          Success &&
      daten && typ == utf8 && format == 8) {
    titel.assign(reinterpret_cast<const char*>(daten), anzahl);
  }
  if (daten) XFree(daten);
  if (!titel.empty()) return titel;
  char* name = nullptr;
  if (XFetchName(anzeige, fenster, &name) && name) {
    titel = name;
    XFree(name);
  }
  return titel;
}

void Sammle(Display* anzeige, Window fenster, const std::string& titel, std::vector<Window>& gefunden) {
  if (Titel(anzeige, fenster) == titel) gefunden.push_back(fenster);
  Window wurzel = 0, eltern = 0;
  Window* kinder = nullptr;
  unsigned anzahl = 0;
  if (!XQueryTree(anzeige, fenster, &wurzel, &eltern, &kinder, &anzahl)) return;
  for (unsigned i = 0; i < anzahl; ++i) Sammle(anzeige, kinder[i], titel, gefunden);
  if (kinder) XFree(kinder);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "Aufruf: fensterschliessen <Titel>\n");
    return 2;
  }
  // Xlib gives no reason: a display it cannot open counts as refused and is tried again.
  Display* anzeige = nullptr;
  if (!anzeige::MitWiederholung("fensterschliessen: XOpenDisplay", [&anzeige](std::string& meldung) {
        anzeige = XOpenDisplay(nullptr);
        if (!anzeige) meldung = "Failed to open display";
        return anzeige != nullptr;
      })) {
    std::fprintf(stderr, "fensterschliessen: keine X-Anzeige (DISPLAY)\n");
    return 2;
  }
  XSetErrorHandler(Uebergehen);
  std::vector<Window> gefunden;
  Sammle(anzeige, DefaultRootWindow(anzeige), argv[1], gefunden);
  int geschlossen = 0;
  for (Window fenster : gefunden) geschlossen += eingabe::SendeFensterSchliessen(anzeige, fenster) ? 1 : 0;
  XCloseDisplay(anzeige);
  if (geschlossen == 0) {
    std::fprintf(stderr, "fensterschliessen: kein Fenster \"%s\", das WM_DELETE_WINDOW annimmt\n", argv[1]);
    return 1;
  }
  return 0;
}

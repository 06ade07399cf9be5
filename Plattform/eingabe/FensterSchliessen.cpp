#include "Plattform/eingabe/FensterSchliessen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

namespace eingabe {
namespace {

bool NimmtSchliessen(Display* anzeige, Window fenster, Atom schliessen) {
  Atom* protokolle = nullptr;
  int anzahl = 0;
  if (!XGetWMProtocols(anzeige, fenster, &protokolle, &anzahl)) return false;
  bool gefunden = false;
  for (int i = 0; i < anzahl; ++i) gefunden = gefunden || protokolle[i] == schliessen;
  XFree(protokolle);
  return gefunden;
}

}  // namespace

bool SendeFensterSchliessen(void* anzeigeZeiger, unsigned long fenster) {
  Display* anzeige = static_cast<Display*>(anzeigeZeiger);
  if (!anzeige || fenster == 0) return false;
  const Atom protokolle = XInternAtom(anzeige, "WM_PROTOCOLS", False);
  const Atom schliessen = XInternAtom(anzeige, "WM_DELETE_WINDOW", False);
  if (!NimmtSchliessen(anzeige, fenster, schliessen)) return false;
  XEvent nachricht{};
  nachricht.xclient.type = ClientMessage;
  nachricht.xclient.window = fenster;
  nachricht.xclient.message_type = protokolle;
  nachricht.xclient.format = 32;
  nachricht.xclient.data.l[0] = long(schliessen);
  nachricht.xclient.data.l[1] = CurrentTime;
  const Status gesendet = XSendEvent(anzeige, fenster, False, NoEventMask, &nachricht);
  XSync(anzeige, False);
  return gesendet != 0;
}

bool SchliesseGlfwFenster(void* glfwFenster) {
  if (!glfwFenster) return false;
  return SendeFensterSchliessen(glfwGetX11Display(), glfwGetX11Window(static_cast<GLFWwindow*>(glfwFenster)));
}

}  // namespace eingabe

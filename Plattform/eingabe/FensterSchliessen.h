#pragma once
// Closing a window as a window manager's close button does: a WM_DELETE_WINDOW message of the
// WM_PROTOCOLS kind, sent to the window's owner, whose close handling runs at its next event poll.
namespace eingabe {

// To the X window `fenster` on the connection `anzeige` (a Display*). The request is synced, so
// a message to a window of this process is in its event queue on return. False when the window
// does not take WM_DELETE_WINDOW or the message could not be sent.
bool SendeFensterSchliessen(void* anzeige, unsigned long fenster);
// The same to a GLFW window of this process.
bool SchliesseGlfwFenster(void* glfwFenster);

}  // namespace eingabe

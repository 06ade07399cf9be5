#pragma once
// Entry points of the input library: creating and destroying the one instance, and the hooks the
// application installs (log lines, the event pump, window focus).
#include "InputSystem.h"

namespace OPRIX {

// Creates the instance on the window (the screen's native handle, its platform already started). False on any
// failure, which is logged; an existing instance stays.
bool OpenWindowInput(void* window);
void CloseInput();

void SetLogHook(LogHook hook);
// Called once per frame at the start of the drain, so that events land after the previous frame's state copy.
void SetEventPump(EventPump pump);
// Target of the window's focus and iconify callbacks; nothing without an instance.
void NoteWindowFocus(bool focused);

}  // namespace OPRIX

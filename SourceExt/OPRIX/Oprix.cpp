#include "Oprix.h"

#include <exception>
#include <string_view>

#include "WinInput.h"

namespace OPRIX {

namespace {

void LogCreationError(const char* text) { InputSystem::WriteLog("Exception while creating OPRIX instance: %s", text); }

}  // namespace

bool OpenWindowInput(void* window) {
  if (gInputSystem) {
    LogCreationError("Input already initialized");
    return false;
  }
  try {
    new WinInput(window);
    return true;
  } catch (const std::exception& error) {
    gInputSystem = nullptr;
    LogCreationError(error.what());
    return false;
  }
}

void CloseInput() {
  InputSystem* instance = gInputSystem;
  gInputSystem = nullptr;
  delete instance;
}

void SetLogHook(LogHook hook) { InputSystem::SetLogHook(hook); }
void SetEventPump(EventPump pump) { InputSystem::SetEventPump(pump); }

void NoteWindowFocus(bool focused) {
  if (gInputSystem) gInputSystem->NoteFocus(focused);
}

}  // namespace OPRIX

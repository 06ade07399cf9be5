#pragma once
// The machine state behind win32::CONTEXT, shared by the exception filter, the stack walk and the
// minidump writer of this folder.
#include "Plattform/system/ausnahmen.h"

#include <csignal>
#include <ucontext.h>

namespace win32 {

struct CONTEXT {
  ucontext_t* zustand;
  siginfo_t* info;
  int signal;
};

// The lowest usable address of the calling thread's stack (0 when unknown).
uintptr_t StapelBodenDesFadens();
// Sets what GetLastError reports on this thread.
void SetzeLetztenFehler(uint32_t fehler);

}  // namespace win32

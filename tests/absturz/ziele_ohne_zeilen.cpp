// Compiled without debug information: its frames have no file and line.
#include "absturz/ziele.h"

namespace Ziele {

[[gnu::noinline]] void SchreibeNullzeigerOhneZeilen() {
  int* volatile zeiger = nullptr;
  g_Orte.funktion = "Ziele::SchreibeNullzeigerOhneZeilen()";
  g_Orte.fehlerZeile = 0;
  *zeiger = 42;
  asm volatile("" ::: "memory");
}

}  // namespace Ziele

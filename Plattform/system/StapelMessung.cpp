#include "Plattform/system/StapelMessung.h"

#include <cstdint>

namespace win32 {
namespace {

constexpr unsigned char MUSTER = 0xA5;
// Left alone below the caller's frame: the fill's own frame and the calls it makes.
constexpr size_t ABSTAND = 1024;

}  // namespace

// The free part lies outside every live frame: the address sanitizer must not check it.
__attribute__((no_sanitize_address, noinline)) void FuelleStapelMuster(const FaserStapel& stapel) {
  auto* boden = static_cast<volatile unsigned char*>(const_cast<void*>(stapel.boden));
  const auto hier = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  const auto anfang = reinterpret_cast<uintptr_t>(stapel.boden);
  if (hier < anfang + ABSTAND || hier > anfang + stapel.groesse) return;
  const size_t frei = hier - anfang - ABSTAND;
  for (size_t i = 0; i < frei; ++i) boden[i] = MUSTER;
}

__attribute__((no_sanitize_address)) size_t GenutzteStapelTiefe(const FaserStapel& stapel) {
  const auto* boden = static_cast<const volatile unsigned char*>(stapel.boden);
  size_t unberuehrt = 0;
  while (unberuehrt < stapel.groesse && boden[unberuehrt] == MUSTER) ++unberuehrt;
  return stapel.groesse - unberuehrt;
}

}  // namespace win32

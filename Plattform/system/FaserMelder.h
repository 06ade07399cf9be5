#pragma once
// Tells the sanitizers about switches between fiber stacks. Without these calls AddressSanitizer
// takes a fiber's stack for a broken thread stack and ThreadSanitizer sees every fiber's memory
// as one thread's. In builds without a sanitizer every call is empty and inlined away.
//
// A switch is bracketed: BeginneFaserWechsel right before the jump, naming the stack jumped to;
// BeendeFaserWechsel right after the jump returns (and first thing in a new fiber), which gives
// the stack that was left. A fiber that ends passes null for the fake-stack save.
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZARVO_MIT_ASAN 1
#endif
#if __has_feature(thread_sanitizer)
#define ZARVO_MIT_TSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(ZARVO_MIT_ASAN)
#define ZARVO_MIT_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__) && !defined(ZARVO_MIT_TSAN)
#define ZARVO_MIT_TSAN 1
#endif

#if defined(ZARVO_MIT_ASAN)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif
#if defined(ZARVO_MIT_TSAN)
#include <sanitizer/tsan_interface.h>
#endif

namespace win32 {

#if defined(ZARVO_MIT_ASAN)
inline constexpr bool MIT_ADRESS_PRUEFER = true;
#else
inline constexpr bool MIT_ADRESS_PRUEFER = false;
#endif
#if defined(ZARVO_MIT_TSAN)
inline constexpr bool MIT_FADEN_PRUEFER = true;
#else
inline constexpr bool MIT_FADEN_PRUEFER = false;
#endif

// One side of a switch: the stack's lowest address and size, and ThreadSanitizer's fiber.
struct FaserStapel {
  const void* boden = nullptr;
  size_t groesse = 0;
  void* pruefFaser = nullptr;
};

// A new fiber for ThreadSanitizer (null elsewhere); ZerstoerePruefFaser when it is done.
inline void* ErzeugePruefFaser() {
#if defined(ZARVO_MIT_TSAN)
  return __tsan_create_fiber(0);
#else
  return nullptr;
#endif
}

inline void ZerstoerePruefFaser([[maybe_unused]] void* faser) {
#if defined(ZARVO_MIT_TSAN)
  if (faser) __tsan_destroy_fiber(faser);
#endif
}

// The calling thread's current fiber for ThreadSanitizer.
inline void* AktuellePruefFaser() {
#if defined(ZARVO_MIT_TSAN)
  return __tsan_get_current_fiber();
#else
  return nullptr;
#endif
}

inline void BeginneFaserWechsel([[maybe_unused]] void** falschStapel, [[maybe_unused]] const FaserStapel& ziel) {
#if defined(ZARVO_MIT_ASAN)
  __sanitizer_start_switch_fiber(falschStapel, ziel.boden, ziel.groesse);
#endif
#if defined(ZARVO_MIT_TSAN)
  __tsan_switch_to_fiber(ziel.pruefFaser, 0);
#endif
}

// `herkunft` (may be null) receives the bounds of the stack that was left.
inline void BeendeFaserWechsel([[maybe_unused]] void* falschStapel, [[maybe_unused]] FaserStapel* herkunft) {
#if defined(ZARVO_MIT_ASAN)
  const void* boden = nullptr;
  size_t groesse = 0;
  __sanitizer_finish_switch_fiber(falschStapel, &boden, &groesse);
  if (herkunft) {
    herkunft->boden = boden;
    herkunft->groesse = groesse;
  }
#endif
}

// A stack is handed to a new fiber: the poisoning left by the old one's unfinished frames goes.
inline void GibStapelFrei([[maybe_unused]] void* boden, [[maybe_unused]] size_t groesse) {
#if defined(ZARVO_MIT_ASAN)
  ASAN_UNPOISON_MEMORY_REGION(boden, groesse);
#endif
}

// Hand-off of an object between threads through a structure ThreadSanitizer cannot follow.
inline void MeldeUebergabe([[maybe_unused]] void* objekt) {
#if defined(ZARVO_MIT_TSAN)
  __tsan_release(objekt);
#endif
}

inline void MeldeUebernahme([[maybe_unused]] void* objekt) {
#if defined(ZARVO_MIT_TSAN)
  __tsan_acquire(objekt);
#endif
}

}  // namespace win32

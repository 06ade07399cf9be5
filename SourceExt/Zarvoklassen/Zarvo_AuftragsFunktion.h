#pragma once
// The work of a job: a callable without arguments (its result is dropped), moved or copied into
// the job's record. Callables up to INLINE_GROESSE bytes live inside the record, so creating a
// job allocates nothing; larger ones (or ones aligned more strictly) go to the heap.
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

class Zarvo_AuftragsFunktion {
 public:
  static constexpr size_t INLINE_GROESSE = 256;

  Zarvo_AuftragsFunktion() = default;
  ~Zarvo_AuftragsFunktion() { Leere(); }
  Zarvo_AuftragsFunktion(const Zarvo_AuftragsFunktion&) = delete;
  Zarvo_AuftragsFunktion& operator=(const Zarvo_AuftragsFunktion&) = delete;

  // Takes a callable into an empty holder. When its copy or move throws, the holder stays empty.
  template <class F>
  void Setze(F&& funktion) {
    using T = std::decay_t<F>;
    static_assert(std::is_invocable_v<T&>, "a job's work is called without arguments");
    if constexpr (sizeof(T) <= INLINE_GROESSE && alignof(T) <= alignof(std::max_align_t)) {
      ::new (static_cast<void*>(speicher)) T(std::forward<F>(funktion));
      aufruf = [](void* ort) { (*static_cast<T*>(ort))(); };
      zerstoere = [](void* ort) noexcept { static_cast<T*>(ort)->~T(); };
    } else {
      T* ausgelagert = new T(std::forward<F>(funktion));
      ::new (static_cast<void*>(speicher)) T*(ausgelagert);
      aufruf = [](void* ort) { (**static_cast<T**>(ort))(); };
      zerstoere = [](void* ort) noexcept { delete *static_cast<T**>(ort); };
    }
  }

  void operator()() { aufruf(speicher); }

  // Destroys the callable; nothing when the holder is empty.
  void Leere() noexcept {
    if (!zerstoere) return;
    void (*ende)(void*) noexcept = zerstoere;
    aufruf = nullptr;
    zerstoere = nullptr;
    ende(speicher);
  }

  explicit operator bool() const { return aufruf != nullptr; }

 private:
  void (*aufruf)(void*) = nullptr;
  void (*zerstoere)(void*) noexcept = nullptr;
  alignas(std::max_align_t) unsigned char speicher[INLINE_GROESSE];
};

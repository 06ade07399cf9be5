#pragma once
// The queue of one job type of the parallel core, with the sleep of the workers that work it.
//
// It holds one compartment per worker of the type. A job is put into the compartment of the last
// put while that compartment's owner looks idle for work, else into the next compartment in turn:
// a lone job keeps meeting the same warm worker, a burst spreads over all of them. A worker takes
// from its own compartment first and then from the others in order, so with one worker the queue
// is a plain double-ended queue in the order of the puts.
//
// A compartment keeps its levels (2 first, then 1, then 0; only level 0 is used by the core) in
// order. Puts at the back of level 0 go into a lock-free ring (one sequence number per slot) while
// it has room and its overflow is empty, else into the overflow behind it; puts at the front of
// level 0 and the higher levels go into double-ended queues under a spin byte. The owner watches
// its own ring and looks at the other compartments now and then.
//
// A worker that finds nothing looks again for a short time (spinning, then yielding) and then
// sleeps. A put wakes a sleeper (the last one to fall asleep) only when no worker is looking, and a
// worker that comes back to work from looking wakes one when more work is queued and nobody looks.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "Zarvo_Parallel.h"

class Zarvo_Parallel::Warteschlange {
 public:
  explicit Warteschlange(size_t anzahlFaecher);
  ~Warteschlange();
  Warteschlange(const Warteschlange&) = delete;
  Warteschlange& operator=(const Warteschlange&) = delete;

  // Null is a stop mark: the worker that takes it ends its loop.
  void SetzeHinten(Auftrag* auftrag);
  // Into the front of the given compartment (the worker's own).
  void SetzeVorne(Auftrag* auftrag, size_t fach);
  // True when the compartment holds nothing a take would find before its ring: no higher level,
  // no job put at the front, no overflow.
  bool VorneLeer(size_t fach) const;
  // The next job for the owner of `eigenesFach`; waits while the queue is empty.
  Auftrag* Nimm(size_t eigenesFach);
  // Takes every queued entry out, without waiting, in no particular order.
  std::vector<Auftrag*> NimmAlle();
  size_t Laenge();
  size_t AnzahlFaecher() const { return faecher.size(); }

 private:
  struct Fach;

  size_t WaehleFach();
  bool IstLeer() const;
  bool VersucheZuNehmen(size_t eigenesFach, Auftrag*& auftrag);
  bool SucheArbeit(size_t eigenesFach);
  bool WarteKurzAufArbeit(size_t eigenesFach);
  void Schlafe(size_t eigenesFach);
  void WeckeWennNiemandSucht();
  void WeckeSchlaefer();

  std::vector<std::unique_ptr<Fach>> faecher;
  alignas(64) std::atomic<size_t> naechstesFach{0};
  std::atomic<size_t> letztesFach{0};
  alignas(64) std::atomic<uint32_t> suchende{0};  // workers spinning for work
  alignas(64) std::atomic<uint32_t> schlaefer{0};  // entries of `schlafende`
  std::mutex mutex;                                // guards the sleep
  std::vector<size_t> schlafende;                  // compartments whose owner sleeps, the last on top
};

#pragma once
// Synchronisation for code in jobs of the parallel core: a reader/writer lock and a wait counter.
//
// A job that has to wait does not block its thread: it switches away to its worker loop, which
// lists it in the object (see Zarvo_Parallel.h), and whoever releases the object puts it back
// into its queue. A woken job checks the object again, so a spurious wake costs one more round.
// Outside a job the calling thread blocks instead, listed in the same way.
//
// Each object is guarded by a spin byte held for a few instructions. Lock order: a spin byte, then
// a queue mutex, never the reverse.
#include "Zarvo_Parallel.h"

#include <atomic>
#include <cstdint>
#include <vector>

// Holds a spin byte for its lifetime (taken by compare-and-swap, released by exchange).
class Zarvo_Parallel::SpinWaechter {
 public:
  explicit SpinWaechter(std::atomic<uint8_t>* byte) : byte(byte) { Nimm(byte); }
  ~SpinWaechter() {
    if (besitzt) Gib(byte);
  }
  // Releases the byte before the end of the scope.
  void Gib() {
    if (besitzt) Gib(byte);
    besitzt = false;
  }
  SpinWaechter(const SpinWaechter&) = delete;
  SpinWaechter& operator=(const SpinWaechter&) = delete;

  static void Nimm(std::atomic<uint8_t>* byte) {
    uint8_t frei = 0;
    while (!byte->compare_exchange_weak(frei, 1, std::memory_order_acquire, std::memory_order_relaxed)) {
      frei = 0;
      while (byte->load(std::memory_order_relaxed) != 0) __builtin_ia32_pause();
    }
  }
  static void Gib(std::atomic<uint8_t>* byte) { byte->exchange(0, std::memory_order_release); }

  // Releases a byte taken with Nimm (or by hand) at the end of its scope.
  struct Freigabe {
    std::atomic<uint8_t>* byte;
    ~Freigabe() { Gib(byte); }
  };

 private:
  std::atomic<uint8_t>* byte;
  bool besitzt = true;
};

// Jobs listed in an object: 32 inline, the rest in a vector grown under the object's spin byte.
// NimmErsten serves the first slot and moves the last listed job into it.
class Zarvo_Parallel::WarteListe {
 public:
  static constexpr size_t INLINE = 32;

  WarteListe() = default;
  WarteListe(const WarteListe&) = delete;
  WarteListe& operator=(const WarteListe&) = delete;

  void Fuege(Auftrag* auftrag);
  Auftrag* NimmErsten();
  // Moves every entry into `ziel` (empty) and empties this list.
  void NimmAlleNach(WarteListe& ziel);
  void Leere();
  bool Leer() const { return ende == eintraege; }
  size_t Anzahl() const { return size_t(ende - eintraege) + ueberlauf.size(); }

  template <class F>
  void FuerAlle(F&& f) const {
    for (Auftrag* const* eintrag = eintraege; eintrag != ende; ++eintrag) f(*eintrag);
    for (Auftrag* auftrag : ueberlauf) f(auftrag);
  }

 private:
  Auftrag* eintraege[INLINE];
  Auftrag** ende = eintraege;
  std::vector<Auftrag*> ueberlauf;
};

// Reader/writer lock. Writers come first: a shared request waits as soon as a writer waits, even
// while other readers hold the lock. Waiting writers are served from the first slot, the last
// listed one taking its place; a writer's release wakes one waiting writer, or else every reader.
class Zarvo_Parallel::LeseSchreibSperre {
 public:
  LeseSchreibSperre() = default;
  LeseSchreibSperre(const LeseSchreibSperre&) = delete;
  LeseSchreibSperre& operator=(const LeseSchreibSperre&) = delete;

  void SperreGemeinsam();
  void GibGemeinsamFrei();
  void SperreExklusiv();
  void GibExklusivFrei();

 private:
  friend class Zarvo_Parallel;

  bool GemeinsamFrei() const { return !exklusiv && exklusivWartende.Leer(); }
  bool ExklusivFrei() const { return leser == 0 && !exklusiv; }
  // Under the spin byte: lists `auftrag` unless the access it waits for is free now.
  bool ListeWennBesetzt(Auftrag* auftrag, bool exklusivGewuenscht);

  std::atomic<uint8_t> spin{0};
  uint64_t leser = 0;
  WarteListe gemeinsamWartende;
  WarteListe exklusivWartende;
  bool exklusiv = false;
};

// Wait counter: the starter of a group of jobs raises `anzahl` (atomic add), each job calls
// Vermindere when done, and Warte returns once the count is 0. The count reaches 0 only under the
// spin byte, and Warte returns only after taking and releasing that byte, so the owner may
// destroy the counter as soon as Warte returns.
class Zarvo_Parallel::WarteZaehler {
 public:
  WarteZaehler() = default;
  WarteZaehler(const WarteZaehler&) = delete;
  WarteZaehler& operator=(const WarteZaehler&) = delete;

  // Returns when the count is 0.
  void Warte();
  // Counts down by one: returns the previous count, or 0 when this call brought it to 0 and woke
  // the waiters. Counting down from 0 is a caller error (the count stays 0).
  uint64_t Vermindere();
  // Empties the list of waiters without waking them.
  void Leere();

  std::atomic<uint64_t> anzahl{0};

 private:
  friend class Zarvo_Parallel;

  bool ListeWennNichtNull(Auftrag* auftrag);

  std::atomic<uint8_t> spin{0};
  WarteListe wartende;
};

// Holds a LeseSchreibSperre for its lifetime, exclusively or shared.
template <bool EXKLUSIV>
class Zarvo_Parallel::SperrWaechter {
 public:
  explicit SperrWaechter(LeseSchreibSperre* sperre) : sperre(sperre) {
    if (EXKLUSIV)
      sperre->SperreExklusiv();
    else
      sperre->SperreGemeinsam();
  }
  ~SperrWaechter() { Gib(); }
  // Releases the lock before the end of the scope.
  void Gib() {
    if (!besitzt) return;
    besitzt = false;
    if (EXKLUSIV)
      sperre->GibExklusivFrei();
    else
      sperre->GibGemeinsamFrei();
  }
  SperrWaechter(const SperrWaechter&) = delete;
  SperrWaechter& operator=(const SperrWaechter&) = delete;

 private:
  LeseSchreibSperre* sperre;
  bool besitzt = true;
};

using Zarvo_ExklusivWaechter = Zarvo_Parallel::SperrWaechter<true>;
using Zarvo_GemeinsamWaechter = Zarvo_Parallel::SperrWaechter<false>;

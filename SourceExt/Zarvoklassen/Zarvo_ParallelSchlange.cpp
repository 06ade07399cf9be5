#include "Zarvo_ParallelSchlange.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "Zarvo_ParallelSperre.h"

namespace {

// A worker that finds its queue empty spins this long, then yields this long, then sleeps.
constexpr auto SPIN_DAUER = std::chrono::microseconds(50);
constexpr auto NACHGEBE_DAUER = std::chrono::microseconds(50);
// Pauses between two looks at the other compartments and the clock.
constexpr int PAUSEN_JE_BLICK = 64;

}  // namespace

struct alignas(64) Zarvo_Parallel::Warteschlange::Fach {
  static constexpr uint64_t RING_GROESSE = 256;  // a power of two
  static constexpr uint64_t RING_MASKE = RING_GROESSE - 1;

  // A slot is free for the put at position p while its number is p, and holds a job for the take
  // at position p while its number is p + 1.
  struct Platz {
    std::atomic<uint64_t> folge{0};
    Auftrag* auftrag = nullptr;
  };

  Platz ring[RING_GROESSE];
  alignas(64) std::atomic<uint64_t> schreibPos{0};
  alignas(64) std::atomic<uint64_t> lesePos{0};

  alignas(64) std::atomic<uint8_t> spin{0};
  std::atomic<size_t> nebenAnzahl{0};      // entries of the queues below, read without the spin byte
  std::atomic<size_t> ueberlaufAnzahl{0};  // entries of `ueberlauf`
  std::deque<Auftrag*> hoeher[2];          // levels 1 and 2
  std::deque<Auftrag*> vorne;              // level 0, put at the front
  std::deque<Auftrag*> ueberlauf;          // level 0, put at the back while the ring was full

  // The owner's sleep, guarded by the queue's mutex.
  std::condition_variable signal;
  bool geweckt = false;
  std::atomic<bool> wartet{false};  // the owner is awake and looks for work

  Fach() {
    for (uint64_t i = 0; i < RING_GROESSE; ++i) ring[i].folge.store(i, std::memory_order_relaxed);
  }

  bool RingHinein(Auftrag* auftrag);
  bool RingHeraus(Auftrag*& auftrag);
  bool RingLeer() const;
  bool NimmNeben(Auftrag*& auftrag);

  void SetzeHinten(Auftrag* auftrag);
  void SetzeVorne(Auftrag* auftrag);
  // The front of the highest non-empty level. Without `warten` it gives up when the spin byte is
  // taken and a level under it may hold jobs.
  bool VersucheZuNehmen(Auftrag*& auftrag, bool warten);
  bool IstLeer() const { return nebenAnzahl.load(std::memory_order_seq_cst) == 0 && RingLeer(); }
  size_t Laenge();
};

// --- the ring ----------------------------------------------------------------------------------

// False when the ring is full. The slot's number is published sequentially consistent: a put
// reads the lookers only after its job can be seen.
bool Zarvo_Parallel::Warteschlange::Fach::RingHinein(Auftrag* auftrag) {
  uint64_t pos = schreibPos.load(std::memory_order_relaxed);
  for (;;) {
    Platz& platz = ring[pos & RING_MASKE];
    const int64_t abstand = int64_t(platz.folge.load(std::memory_order_acquire) - pos);
    if (abstand == 0) {
      if (schreibPos.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
        platz.auftrag = auftrag;
        platz.folge.store(pos + 1, std::memory_order_seq_cst);
        return true;
      }
    } else if (abstand < 0) {
      return false;
    } else {
      pos = schreibPos.load(std::memory_order_relaxed);
    }
  }
}

bool Zarvo_Parallel::Warteschlange::Fach::RingHeraus(Auftrag*& auftrag) {
  uint64_t pos = lesePos.load(std::memory_order_relaxed);
  for (;;) {
    Platz& platz = ring[pos & RING_MASKE];
    const int64_t abstand = int64_t(platz.folge.load(std::memory_order_acquire) - (pos + 1));
    if (abstand == 0) {
      if (lesePos.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
        auftrag = platz.auftrag;
        platz.folge.store(pos + RING_GROESSE, std::memory_order_release);
        return true;
      }
    } else if (abstand < 0) {
      return false;
    } else {
      pos = lesePos.load(std::memory_order_relaxed);
    }
  }
}

// A slot taken by a put that has not yet published its job counts as empty; that put looks for
// sleepers itself once it publishes.
bool Zarvo_Parallel::Warteschlange::Fach::RingLeer() const {
  const uint64_t pos = lesePos.load(std::memory_order_seq_cst);
  return ring[pos & RING_MASKE].folge.load(std::memory_order_seq_cst) != pos + 1;
}

// --- one compartment ---------------------------------------------------------------------------

void Zarvo_Parallel::Warteschlange::Fach::SetzeHinten(Auftrag* auftrag) {
  const uint32_t stufe = auftrag ? auftrag->prioritaet : 0;
  // Behind a non-empty overflow the ring would overtake it.
  if (stufe == 0 && ueberlaufAnzahl.load(std::memory_order_acquire) == 0 && RingHinein(auftrag)) return;
  SpinWaechter waechter(&spin);
  if (stufe == 0) {
    ueberlauf.push_back(auftrag);
    ueberlaufAnzahl.fetch_add(1, std::memory_order_release);
  } else {
    hoeher[stufe - 1].push_back(auftrag);
  }
  nebenAnzahl.fetch_add(1, std::memory_order_seq_cst);
}

void Zarvo_Parallel::Warteschlange::Fach::SetzeVorne(Auftrag* auftrag) {
  SpinWaechter waechter(&spin);
  if (auftrag->prioritaet == 0)
    vorne.push_front(auftrag);
  else
    hoeher[auftrag->prioritaet - 1].push_front(auftrag);
  nebenAnzahl.fetch_add(1, std::memory_order_seq_cst);
}

// Under the spin byte: the higher levels, the front of level 0, the ring, the overflow.
bool Zarvo_Parallel::Warteschlange::Fach::NimmNeben(Auftrag*& auftrag) {
  for (std::deque<Auftrag*>* stufe : {&hoeher[1], &hoeher[0], &vorne}) {
    if (stufe->empty()) continue;
    auftrag = stufe->front();
    stufe->pop_front();
    nebenAnzahl.fetch_sub(1, std::memory_order_relaxed);
    return true;
  }
  if (RingHeraus(auftrag)) return true;
  if (ueberlauf.empty()) return false;
  auftrag = ueberlauf.front();
  ueberlauf.pop_front();
  ueberlaufAnzahl.fetch_sub(1, std::memory_order_release);
  nebenAnzahl.fetch_sub(1, std::memory_order_relaxed);
  return true;
}

bool Zarvo_Parallel::Warteschlange::Fach::VersucheZuNehmen(Auftrag*& auftrag, bool warten) {
  if (nebenAnzahl.load(std::memory_order_acquire) == 0) return RingHeraus(auftrag);
  if (warten) {
    SpinWaechter::Nimm(&spin);
  } else {
    uint8_t frei = 0;
    if (!spin.compare_exchange_strong(frei, 1, std::memory_order_acquire, std::memory_order_relaxed)) return false;
  }
  SpinWaechter::Freigabe freigabe{&spin};
  return NimmNeben(auftrag);
}

size_t Zarvo_Parallel::Warteschlange::Fach::Laenge() {
  const uint64_t lesen = lesePos.load(std::memory_order_acquire);
  const uint64_t schreiben = schreibPos.load(std::memory_order_acquire);
  return size_t(schreiben > lesen ? schreiben - lesen : 0) + nebenAnzahl.load(std::memory_order_acquire);
}

// --- the queue ---------------------------------------------------------------------------------

Zarvo_Parallel::Warteschlange::Warteschlange(size_t anzahlFaecher) {
  for (size_t i = 0; i < std::max<size_t>(anzahlFaecher, 1); ++i) faecher.push_back(std::make_unique<Fach>());
  schlafende.reserve(faecher.size());
}

Zarvo_Parallel::Warteschlange::~Warteschlange() = default;

// Only the owner's flag is read (it changes when the owner starts or stops looking): the
// compartment's counts change with every take and would cost the put a cache miss each time.
size_t Zarvo_Parallel::Warteschlange::WaehleFach() {
  if (faecher.size() == 1) return 0;
  const size_t zuletzt = letztesFach.load(std::memory_order_relaxed);
  if (faecher[zuletzt]->wartet.load(std::memory_order_relaxed)) return zuletzt;
  const size_t fach = naechstesFach.fetch_add(1, std::memory_order_relaxed) % faecher.size();
  letztesFach.store(fach, std::memory_order_relaxed);
  return fach;
}

void Zarvo_Parallel::Warteschlange::SetzeHinten(Auftrag* auftrag) {
  faecher[WaehleFach()]->SetzeHinten(auftrag);
  WeckeWennNiemandSucht();
}

void Zarvo_Parallel::Warteschlange::SetzeVorne(Auftrag* auftrag, size_t fach) {
  faecher[fach]->SetzeVorne(auftrag);
  WeckeWennNiemandSucht();
}

bool Zarvo_Parallel::Warteschlange::VorneLeer(size_t fach) const {
  return faecher[fach]->nebenAnzahl.load(std::memory_order_acquire) == 0;
}

// A worker that looks for work finds every job put meanwhile; only when none looks is a sleeper
// woken. The put makes its job visible before it reads the lookers, and a looker that gives up
// leaves the count before it lists itself as a sleeper and reads the jobs (all sequentially
// consistent), so every job is seen by a looker, by its put, or by the worker going to sleep.
void Zarvo_Parallel::Warteschlange::WeckeWennNiemandSucht() {
  if (suchende.load(std::memory_order_seq_cst) == 0) WeckeSchlaefer();
}

// A woken sleeper leaves the list at once, so that the next puts do not wake it again.
void Zarvo_Parallel::Warteschlange::WeckeSchlaefer() {
  if (schlaefer.load(std::memory_order_seq_cst) == 0) return;
  Fach* fach = nullptr;
  {
    std::lock_guard<std::mutex> sperre(mutex);
    if (schlafende.empty()) return;
    fach = faecher[schlafende.back()].get();
    schlafende.pop_back();
    schlaefer.fetch_sub(1, std::memory_order_relaxed);
    fach->geweckt = true;
  }
  fach->signal.notify_one();
}

bool Zarvo_Parallel::Warteschlange::IstLeer() const {
  for (const std::unique_ptr<Fach>& fach : faecher)
    if (!fach->IstLeer()) return false;
  return true;
}

// The own compartment first; the others only when their spin byte is free at once, so that a
// worker looking for work never holds up one putting or taking.
bool Zarvo_Parallel::Warteschlange::VersucheZuNehmen(size_t eigenesFach, Auftrag*& auftrag) {
  if (faecher[eigenesFach]->VersucheZuNehmen(auftrag, true)) return true;
  const size_t anzahl = faecher.size();
  for (size_t i = 1; i < anzahl; ++i)
    if (faecher[(eigenesFach + i) % anzahl]->VersucheZuNehmen(auftrag, false)) return true;
  return false;
}

// True as soon as a job is queued; false when none came within the spin and yield time. The own
// compartment is watched all the time, the others now and then.
bool Zarvo_Parallel::Warteschlange::WarteKurzAufArbeit(size_t eigenesFach) {
  const Fach& fach = *faecher[eigenesFach];
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    for (int i = 0; i < PAUSEN_JE_BLICK; ++i) {
      if (!fach.IstLeer()) return true;
      __builtin_ia32_pause();
    }
    if (!IstLeer()) return true;
    const auto vergangen = std::chrono::steady_clock::now() - start;
    if (vergangen > SPIN_DAUER + NACHGEBE_DAUER) return false;
    if (vergangen > SPIN_DAUER) std::this_thread::yield();
  }
}

bool Zarvo_Parallel::Warteschlange::SucheArbeit(size_t eigenesFach) {
  Fach& fach = *faecher[eigenesFach];
  fach.wartet.store(true, std::memory_order_relaxed);
  suchende.fetch_add(1, std::memory_order_seq_cst);
  const bool gefunden = WarteKurzAufArbeit(eigenesFach);
  fach.wartet.store(false, std::memory_order_relaxed);
  suchende.fetch_sub(1, std::memory_order_seq_cst);
  return gefunden;
}

void Zarvo_Parallel::Warteschlange::Schlafe(size_t eigenesFach) {
  Fach& fach = *faecher[eigenesFach];
  std::unique_lock<std::mutex> sperre(mutex);
  fach.geweckt = false;
  schlafende.push_back(eigenesFach);
  schlaefer.fetch_add(1, std::memory_order_seq_cst);
  if (!IstLeer()) {  // nobody can have taken this entry off: that needs the mutex
    schlafende.pop_back();
    schlaefer.fetch_sub(1, std::memory_order_relaxed);
    return;
  }
  fach.signal.wait(sperre, [&fach] { return fach.geweckt; });
}

Zarvo_Parallel::Auftrag* Zarvo_Parallel::Warteschlange::Nimm(size_t eigenesFach) {
  Auftrag* auftrag = nullptr;
  bool kamVomSuchen = false;
  for (;;) {
    if (VersucheZuNehmen(eigenesFach, auftrag)) {
      // Back to work with more queued and nobody looking: a sleeper takes over the looking.
      if (kamVomSuchen && !IstLeer()) WeckeWennNiemandSucht();
      return auftrag;
    }
    kamVomSuchen = true;
    if (!SucheArbeit(eigenesFach)) Schlafe(eigenesFach);
  }
}

std::vector<Zarvo_Parallel::Auftrag*> Zarvo_Parallel::Warteschlange::NimmAlle() {
  std::vector<Auftrag*> alle;
  Auftrag* auftrag = nullptr;
  for (std::unique_ptr<Fach>& fach : faecher) {
    SpinWaechter waechter(&fach->spin);
    while (fach->NimmNeben(auftrag)) alle.push_back(auftrag);
  }
  return alle;
}

size_t Zarvo_Parallel::Warteschlange::Laenge() {
  size_t summe = 0;
  for (std::unique_ptr<Fach>& fach : faecher) summe += fach->Laenge();
  return summe;
}

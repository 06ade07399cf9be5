#pragma once
// The parallel execution core: jobs on fibers over a fixed set of threads.
//
// A job is a callable that runs on a fiber of its own (a user-mode context with its own stack). A
// job may wait (for another job, a LeseSchreibSperre or a WarteZaehler) without blocking its
// thread: it switches back to its thread's worker loop, which runs other jobs meanwhile, and it
// is put back into its queue when the condition is met, to resume on whatever thread takes it.
//
// Three kinds of job, one queue each:
//   1  worked by the thread inside MachSofort (the main thread): main-thread work, MachSofort's body
//   2  worked by the parallel workers, one per processor: computation
//   3  worked by the one I/O worker
//
// Each type's queue (Zarvo_ParallelSchlange.h) has a compartment per worker; an idle worker looks
// for work a few dozen microseconds (spinning, then yielding) before it sleeps, and a new job wakes
// a sleeper only when no worker is looking, so jobs pass between threads without a kernel call
// while there is work, and idle workers use no processor time.
//
// Every job lives in one block of BLOCK_GROESSE bytes: page 0 holds the job record, page 1 is an
// inaccessible guard page, the rest (STAPEL_GROESSE bytes) is the fiber stack, whose top is the
// block end. A stack overflow faults in the guard page. Blocks come from a lock-free pool and go
// back to it when their job has finished; they are unmapped only when the core is destroyed.
//
// Suspending never lists a job where a waker can find it before the job has switched away: the job
// records why it stops (reason and object) and switches to its worker loop; the loop then takes the
// object's spin byte, checks the condition again and either lists the job or queues it at once.
//
// Rules for code in jobs:
//  - Never suspend (wait on a job, a lock or a counter) while holding a std::mutex: the job may
//    resume on another thread, where unlocking it is undefined.
//  - Never nest shared acquisitions of one LeseSchreibSperre in one job: writers come first, so the
//    inner request waits for a writer that waits for the outer hold.
//  - No thread-local state but the current job survives a wait; nor does the exception being
//    handled, so never wait inside a catch block.
//  - The stack is STAPEL_GROESSE bytes: large buffers belong on the heap.
//
// Waiting outside a job (on a plain thread) blocks that thread until the condition holds; it works
// no queue meanwhile. So a thread that waits outside a job for something that needs a type-1 job
// to run waits for ever, since only MachSofort works queue 1.
#include <boost/context/detail/fcontext.hpp>
#include <concurrentqueue/concurrentqueue.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <source_location>
#include <thread>
#include <vector>

#include "Plattform/system/FaserMelder.h"
#include "Plattform/system/Speicher.h"
#include "Zarvo_AuftragsFunktion.h"

#if defined(__cpp_lib_source_location)
using Zarvo_QuellOrt = std::source_location;
#else
// Compilers without the library's source_location: a place holder of the same use.
struct Zarvo_QuellOrt {
  static constexpr Zarvo_QuellOrt current() { return {}; }
};
#endif

class Zarvo_Parallel {
 public:
  class LeseSchreibSperre;
  class Warteschlange;
  class WarteZaehler;
  class WarteListe;
  class SpinWaechter;
  template <bool EXKLUSIV>
  class SperrWaechter;
  struct Auftrag;

  static constexpr size_t BLOCK_GROESSE = 131072;
  static constexpr size_t SEITEN_GROESSE = 4096;                           // record page, guard page
  static constexpr size_t STAPEL_GROESSE = BLOCK_GROESSE - 2 * SEITEN_GROESSE;  // 122880
  static constexpr size_t ERSTE_BLOECKE = 1024;
  static constexpr uint64_t FREIE_ID = ~uint64_t(0);

  // Job types. TYP_FADEN is the stand-in record of a thread that waits outside a job.
  enum Typ : uint32_t { TYP_FREI = 0, TYP_HAUPT = 1, TYP_PARALLEL = 2, TYP_EA = 3, TYP_FADEN = 4 };
  // Job states.
  enum Zustand : uint32_t { FREI = 0, EINGEREIHT = 1, LAEUFT = 2, FERTIG = 3 };
  // Why a job last switched away; the worker loop lists it accordingly.
  enum Grund : uint32_t {
    GRUND_KEINER = 0,
    GRUND_NOCHMAL = 1,      // put me back in the queue
    GRUND_AUFTRAG = 2,      // wait for the awaited handle
    GRUND_GEMEINSAM = 3,    // wait for shared access to a LeseSchreibSperre
    GRUND_EXKLUSIV = 4,     // wait for exclusive access
    GRUND_ZAEHLER = 5,      // wait for a WarteZaehler to reach 0
  };

  // A job: its block and its id. A handle whose id no longer matches the block's names a finished
  // job (blocks are reused).
  struct AuftragsHandle {
    Auftrag* auftrag = nullptr;
    uint64_t id = 0;
    explicit operator bool() const { return auftrag != nullptr; }
  };

  // The job record, at the start of its block.
  struct Auftrag {
    uint32_t typ = TYP_FREI;
    uint32_t prioritaet = 0;                  // queue level 0-2; 0 for every job created here
    std::atomic<uint64_t> id{FREIE_ID};
    Zarvo_AuftragsFunktion funktion;          // the work, inside the record when small
    void* faserKontext = nullptr;             // where the fiber continues
    void* arbeiterKontext = nullptr;          // where the thread running the job continues
    Auftrag* wartende = nullptr;              // jobs waiting for this one (guarded by spin)
    Auftrag* naechsterWartender = nullptr;    // link in the awaited job's list while waiting
    std::atomic<uint32_t> warteAnzahl{0};
    std::atomic<uint32_t> zustand{FREI};
    std::atomic<uint8_t> spin{0};             // guards zustand and wartende against waiting
    uint32_t grund = GRUND_KEINER;
    void* objekt = nullptr;                   // lock or counter of reasons 3 to 5
    AuftragsHandle erwartet;                  // the job awaited under reason 2
    win32::FaserStapel eigenerStapel;         // the job's stack
    win32::FaserStapel arbeiterStapel;        // the stack of the thread running it
    Zarvo_Parallel* kern = nullptr;           // the core the block belongs to
  };

  // n parallel workers (default: the processor count; 0 counts as 1) and one I/O worker.
  explicit Zarvo_Parallel(uint32_t anzahlParallel = ProzessorAnzahl());
  ~Zarvo_Parallel();
  Zarvo_Parallel(const Zarvo_Parallel&) = delete;
  Zarvo_Parallel& operator=(const Zarvo_Parallel&) = delete;

  // Creates a job of type 1 to 3 and queues it. Another type is refused (null handle). The
  // callable (a lambda, a std::function, ...) is moved or copied into the job's record.
  template <class F>
  AuftragsHandle ErzeugeAuftrag(uint32_t typ, F&& funktion) {
    Auftrag* auftrag = NimmNeuenBlock(typ);
    if (!auftrag) return {};
    try {
      auftrag->funktion.Setze(std::forward<F>(funktion));
    } catch (...) {
      GibNeuenBlockZurueck(auftrag);
      throw;
    }
    return Starte(auftrag, typ);
  }
  template <class F>
  AuftragsHandle StarteHauptAuftrag(F&& funktion) {
    return ErzeugeAuftrag(TYP_HAUPT, std::forward<F>(funktion));
  }
  template <class F>
  AuftragsHandle StarteParallelAuftrag(F&& funktion) {
    return ErzeugeAuftrag(TYP_PARALLEL, std::forward<F>(funktion));
  }

  // Returns when the job of the handle has finished (at once when it has, or for a null handle).
  // Inside a job the job suspends; outside one the thread blocks.
  static void WarteAuf(AuftragsHandle handle);

  // Runs `funktion` as a type-1 job and works queue 1 on the calling thread until it has finished.
  // An exception leaving `funktion` is thrown again here. Not inside a job, not on two threads at
  // once. The source location is accepted and not used.
  void MachSofort(std::function<void()> funktion, Zarvo_QuellOrt ort = Zarvo_QuellOrt::current());

  // Puts a job at the back of the queue of its type; a stand-in record wakes its thread instead.
  void ReiheEin(Auftrag* auftrag);
  // The job (the current one) switches back to its worker loop and continues when resumed.
  static void Unterbreche(Auftrag* auftrag);

  // The job running on the calling thread, or null.
  static Auftrag* AktuellerAuftrag();

  uint32_t AnzahlParallel() const { return uint32_t(parallelArbeiter.size()); }
  uint64_t Alloks() const { return alloks.load(std::memory_order_relaxed); }

  // For a watchdog: jobs queued per type and jobs alive (queued, running or parked).
  struct Lagebericht {
    size_t eingereiht[3];
    uint64_t lebend;
  };
  Lagebericht GibLagebericht();

  static uint32_t ProzessorAnzahl();

 private:
  // A worker loop's record. It keeps a few free blocks for the jobs created on its thread, taken
  // from the pool in bulk, and counts the jobs it finished.
  struct alignas(64) Arbeiter {
    static constexpr size_t VORRAT = 16;

    Zarvo_Parallel* kern = nullptr;
    Warteschlange* schlange = nullptr;
    size_t fach = 0;  // its own compartment
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> beendet{0};
    size_t vorratAnzahl = 0;
    Auftrag* vorrat[VORRAT];
  };

  struct Uebergabe {
    void* kontext;
    void* daten;
  };

  struct FadenWarter;

  // A free block for a job of `typ` (null for a type outside 1-3), its record not yet filled.
  Auftrag* NimmNeuenBlock(uint32_t typ);
  void GibNeuenBlockZurueck(Auftrag* auftrag);
  // Fills the record of a block whose work is set, and queues the job.
  AuftragsHandle Starte(Auftrag* auftrag, uint32_t typ);
  void ArbeiterSchleife(Arbeiter* arbeiter);
  // Both answer the job to run next on this thread (one that put itself at the front), or null.
  Auftrag* FuehreAus(Auftrag* auftrag, Arbeiter* arbeiter);
  Auftrag* NachRueckkehr(Auftrag* auftrag, Arbeiter* arbeiter);
  void GibBlockZurueck(Auftrag* auftrag, Arbeiter* arbeiter);
  Auftrag* NimmBlock();
  Auftrag* NimmAusVorrat(Arbeiter& arbeiter);
  Auftrag* NeuerBlock();
  char* BildeAbbildung(size_t anzahl);
  Auftrag* RichteBlockEin(char* block);
  void StarteArbeiter(std::vector<Arbeiter*>& liste, std::vector<std::thread>& faeden, Warteschlange* schlange, uint32_t anzahl);
  void VerwerfeUngestartete();

  static void ErzeugeKontext(Auftrag* auftrag);
  static Uebergabe WechsleKontext(void* ziel, void* daten, const win32::FaserStapel& zielStapel,
                                  win32::FaserStapel* herkunft, bool endgueltig = false);
  static void FaserEinstieg(boost::context::detail::transfer_t uebergabe);
  static void FuehreFunktionAus(Auftrag* auftrag);
  static void BeendeAuftrag(Auftrag* auftrag);

  // Suspends the current job for `grund` (or, outside a job, blocks the thread) until woken.
  static void Suspendiere(uint32_t grund, void* objekt, AuftragsHandle erwartet);
  // Lists `auftrag` where its reason says; false when the condition already holds.
  static bool Parke(Auftrag* auftrag, uint32_t grund);
  static bool ListeAlsWartenden(AuftragsHandle erwartet, Auftrag* warter);
  static bool LaeuftNoch(AuftragsHandle handle);
  // A listed job whose condition is met: its queue, or its blocked thread.
  static void SetzeFort(Auftrag* auftrag);

  static void SetzeAktuellenAuftrag(Auftrag* auftrag);
  // The worker loop running on the calling thread, or null.
  static Arbeiter* AktuellerArbeiter();
  static void SetzeAktuellenArbeiter(Arbeiter* arbeiter);
  static thread_local Arbeiter* t_aktuellerArbeiter;

  // The pool of free blocks. ThreadSanitizer does not follow the fences inside the lock-free
  // queue and takes its slot reuse for races; under it, the pool's calls are serialised by a
  // mutex it does follow. Elsewhere the mutex is never taken.
  template <class Aufruf>
  decltype(auto) AmPool(Aufruf&& aufruf);
  moodycamel::ConcurrentQueue<Auftrag*> pool;
  std::mutex poolPruefSperre;
  std::unique_ptr<Warteschlange> schlangen[3];
  Arbeiter hauptArbeiter;
  std::vector<Arbeiter*> parallelArbeiter;
  std::vector<Arbeiter*> eaArbeiter;
  std::vector<std::thread> parallelFaeden;
  std::vector<std::thread> eaFaeden;
  std::atomic<uint64_t> naechsteId{1};
  std::atomic<uint64_t> alloks{0};
  std::atomic<uint64_t> verworfen{0};  // jobs destroyed unrun
  std::atomic<bool> machSofortLaeuft{false};

  // Blocks mapped but not yet in use, and every mapping, for the destructor.
  std::mutex vorratMutex;
  char* vorrat = nullptr;
  size_t vorratRest = 0;
  std::vector<void*> abbildungen;
  std::vector<Auftrag*> alleBloecke;
};

// The running core, set while one exists.
extern Zarvo_Parallel* g_Parallel;

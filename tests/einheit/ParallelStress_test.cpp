#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "Plattform/system/Faden.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_ParallelSperre.h"
#include "Zarvo_Start.h"

// Randomised load for a fixed wall time (MORVELUNT_STRESS_SEKUNDEN, default 10; the seed from
// MORVELUNT_STRESS_SAAT or the clock, printed): jobs creating jobs, waits on fresh, finished and
// shared handles, shared and exclusive sections checking their invariants, fan-in counters
// destroyed as soon as Warte returns, throwing jobs, type-1 jobs, and waits from a plain thread.
// A watchdog aborts with the queue lengths when nothing moves for 60 s.
namespace {

using Handle = Zarvo_Parallel::AuftragsHandle;

uint64_t Mische(uint64_t x) {  // splitmix64
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

struct Zufall {
  uint64_t zustand;
  uint32_t Bis(uint32_t grenze) {
    zustand = Mische(zustand);
    return uint32_t(zustand % grenze);
  }
};

uint64_t UmgebungsZahl(const char* name, uint64_t vorgabe) {
  const char* wert = std::getenv(name);
  return wert && *wert ? std::strtoull(wert, nullptr, 10) : vorgabe;
}

// Counts a counter down when the job ends, thrown or not.
struct Vermindert {
  Zarvo_Parallel::WarteZaehler* zaehler;
  ~Vermindert() { zaehler->Vermindere(); }
};

struct Last {
  Zarvo_Parallel& kern;
  uint64_t saat;
  uint32_t hauptFaden = win32::GetCurrentThreadId();

  std::atomic<uint64_t> erzeugt{0}, gelaufen{0}, geworfen{0};
  std::atomic<uint64_t> hauptErzeugt{0}, hauptGelaufen{0};
  std::atomic<uint64_t> fehler{0};
  std::atomic<uint64_t> naechsteSaat{0};

  Zarvo_Parallel::LeseSchreibSperre sperre;
  std::atomic<int> leserDrin{0}, schreiberDrin{0};

  Zarvo_Parallel::WarteZaehler offeneBlaetter;  // leaf jobs nobody else waits for
  std::mutex geteiltMutex;  // never held across a wait
  Handle geteilt;           // a leaf job's handle, fresh or long finished

  Last(Zarvo_Parallel& kern, uint64_t saat) : kern(kern), saat(saat) {}

  void Pruefe(bool bedingung) {
    if (!bedingung) fehler.fetch_add(1, std::memory_order_relaxed);
  }
  void PruefeSelbst(Zarvo_Parallel::Auftrag* selbst) { Pruefe(Zarvo_Parallel::AktuellerAuftrag() == selbst); }

  Handle Geteilt() {
    std::lock_guard<std::mutex> sperre(geteiltMutex);
    return geteilt;
  }

  Handle Starte(uint32_t tiefe) {
    erzeugt.fetch_add(1, std::memory_order_relaxed);
    const uint64_t jobSaat = Mische(saat ^ naechsteSaat.fetch_add(1, std::memory_order_relaxed));
    return kern.StarteParallelAuftrag([this, tiefe, jobSaat] { Arbeite(tiefe, jobSaat); });
  }

  // A job that never waits: safe for anyone to wait on.
  Handle StarteBlatt() {
    erzeugt.fetch_add(1, std::memory_order_relaxed);
    offeneBlaetter.anzahl.fetch_add(1);
    return kern.StarteParallelAuftrag([this] {
      Vermindert vermindert{&offeneBlaetter};
      gelaufen.fetch_add(1, std::memory_order_relaxed);
      volatile uint64_t summe = 0;
      for (int i = 0; i < 200; ++i) summe = summe + uint64_t(i);
    });
  }

  void Lesen(Zufall& zufall, Zarvo_Parallel::Auftrag* selbst) {
    Zarvo_GemeinsamWaechter gemeinsam(&sperre);
    PruefeSelbst(selbst);
    leserDrin.fetch_add(1);
    Pruefe(schreiberDrin.load() == 0);
    if (zufall.Bis(4) == 0) {  // suspend while holding the shared side
      Zarvo_Parallel::WarteAuf(StarteBlatt());
      PruefeSelbst(selbst);
    }
    Pruefe(schreiberDrin.load() == 0);
    leserDrin.fetch_sub(1);
  }

  void Schreiben() {
    Zarvo_ExklusivWaechter exklusiv(&sperre);
    Pruefe(schreiberDrin.fetch_add(1) == 0);
    Pruefe(leserDrin.load() == 0);
    Pruefe(schreiberDrin.fetch_sub(1) == 1);
  }

  void FaechereAuf(Zufall& zufall, uint32_t tiefe, Zarvo_Parallel::Auftrag* selbst) {
    auto zaehler = std::make_unique<Zarvo_Parallel::WarteZaehler>();
    const uint32_t anzahl = 1 + zufall.Bis(6);
    zaehler->anzahl += anzahl;
    Zarvo_Parallel::WarteZaehler* z = zaehler.get();
    for (uint32_t i = 0; i < anzahl; ++i) {
      erzeugt.fetch_add(1, std::memory_order_relaxed);
      const bool tiefer = tiefe < 3 && zufall.Bis(3) == 0;
      const uint64_t jobSaat = Mische(saat ^ naechsteSaat.fetch_add(1));
      kern.StarteParallelAuftrag([this, z, tiefe, tiefer, jobSaat] {
        Vermindert vermindert{z};
        if (tiefer)
          Arbeite(tiefe + 1, jobSaat);
        else
          gelaufen.fetch_add(1, std::memory_order_relaxed);
      });
    }
    zaehler->Warte();
    zaehler.reset();  // at once: a late touch by Vermindere would be a use after free
    PruefeSelbst(selbst);
  }

  void Hauptarbeit(Zufall& zufall, Zarvo_Parallel::Auftrag* selbst) {
    hauptErzeugt.fetch_add(1);
    Handle haupt = kern.StarteHauptAuftrag([this] {
      Pruefe(win32::GetCurrentThreadId() == hauptFaden);
      hauptGelaufen.fetch_add(1);
    });
    if (zufall.Bis(2) == 0) {
      Zarvo_Parallel::WarteAuf(haupt);
      PruefeSelbst(selbst);
    }
  }

  void Arbeite(uint32_t tiefe, uint64_t jobSaat) {
    gelaufen.fetch_add(1, std::memory_order_relaxed);
    Zarvo_Parallel::Auftrag* selbst = Zarvo_Parallel::AktuellerAuftrag();
    Pruefe(selbst != nullptr);
    Zufall zufall{jobSaat};
    const uint32_t schritte = 1 + zufall.Bis(4);
    for (uint32_t schritt = 0; schritt < schritte; ++schritt) {
      switch (zufall.Bis(9)) {
        case 0:
          if (tiefe < 3) {
            std::vector<Handle> kinder;
            for (uint32_t i = 0, n = 1 + zufall.Bis(3); i < n; ++i) kinder.push_back(Starte(tiefe + 1));
            for (Handle kind : kinder) {
              Zarvo_Parallel::WarteAuf(kind);
              PruefeSelbst(selbst);
              Zarvo_Parallel::WarteAuf(kind);  // finished by now, maybe reused
            }
          }
          break;
        case 1:
          FaechereAuf(zufall, tiefe, selbst);
          break;
        case 2:
          Lesen(zufall, selbst);
          break;
        case 3:
          Schreiben();
          break;
        case 4: {
          Handle blatt = StarteBlatt();
          std::lock_guard<std::mutex> sperre(geteiltMutex);
          geteilt = blatt;
          break;
        }
        case 5:
          Zarvo_Parallel::WarteAuf(Geteilt());
          PruefeSelbst(selbst);
          break;
        case 6:
          Hauptarbeit(zufall, selbst);
          break;
        case 7:
          if (zufall.Bis(8) == 0) {
            geworfen.fetch_add(1);
            throw std::runtime_error("Stress");
          }
          break;
        default:
          Lesen(zufall, selbst);
          break;
      }
    }
  }
};

// Aborts the process when the run count stands still for too long.
class Wachhund {
 public:
  Wachhund(Zarvo_Parallel& kern, std::atomic<uint64_t>& fortschritt) : faden([this, &kern, &fortschritt] {
    std::unique_lock<std::mutex> sperre(mutex);
    uint64_t zuletzt = fortschritt.load();
    auto seit = std::chrono::steady_clock::now();
    while (!ende) {
      signal.wait_for(sperre, std::chrono::seconds(1));
      const uint64_t jetzt = fortschritt.load();
      if (jetzt != zuletzt) {
        zuletzt = jetzt;
        seit = std::chrono::steady_clock::now();
      } else if (std::chrono::steady_clock::now() - seit > std::chrono::seconds(60)) {
        Zarvo_Parallel::Lagebericht bericht = kern.GibLagebericht();
        fprintf(stderr, "Wachhund: seit 60 s kein Fortschritt; eingereiht %zu/%zu/%zu, lebend %llu (geparkt oder laufend %llu)\n",
                bericht.eingereiht[0], bericht.eingereiht[1], bericht.eingereiht[2], (unsigned long long)bericht.lebend,
                (unsigned long long)(bericht.lebend - bericht.eingereiht[0] - bericht.eingereiht[1] - bericht.eingereiht[2]));
        std::abort();
      }
    }
  }) {}
  ~Wachhund() {
    {
      std::lock_guard<std::mutex> sperre(mutex);
      ende = true;
    }
    signal.notify_one();
    faden.join();
  }

 private:
  std::mutex mutex;
  std::condition_variable signal;
  bool ende = false;
  std::thread faden;
};

}  // namespace

TEST(ParallelStress, ZufaelligeLastBleibtKonsistent) {
  const uint64_t saat = UmgebungsZahl("MORVELUNT_STRESS_SAAT", uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
  const uint64_t sekunden = UmgebungsZahl("MORVELUNT_STRESS_SEKUNDEN", 10);
  printf("Stress: Saat %llu, %llu s\n", (unsigned long long)saat, (unsigned long long)sekunden);
  fflush(stdout);  // a crash must not take the seed with it
  RecordProperty("saat", std::to_string(saat));

  Zarvo_Parallel kern(8);
  Last last(kern, saat);
  Wachhund wachhund(kern, last.gelaufen);
  std::atomic<bool> ende{false};
  std::atomic<uint64_t> fadenRunden{0};

  std::thread aussen([&] {  // waits outside any job
    while (!ende.load()) {
      Zarvo_Parallel::WarteAuf(last.Geteilt());
      last.Schreiben();
      Zarvo_Parallel::WarteZaehler leer;
      leer.Warte();
      fadenRunden.fetch_add(1);
      // Paced: a thread taking the lock exclusively without pause would starve the jobs' readers.
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  });

  const auto schluss = std::chrono::steady_clock::now() + std::chrono::seconds(sekunden);
  uint64_t runden = 0;
  while (std::chrono::steady_clock::now() < schluss) {
    kern.MachSofort([&] {
      Zarvo_Parallel::WarteZaehler wurzeln;
      const int anzahl = 16;
      wurzeln.anzahl += anzahl;
      for (int i = 0; i < anzahl; ++i) {
        last.erzeugt.fetch_add(1);
        const uint64_t jobSaat = Mische(saat ^ last.naechsteSaat.fetch_add(1));
        kern.StarteParallelAuftrag([&, jobSaat] {
          Vermindert vermindert{&wurzeln};
          last.Arbeite(0, jobSaat);
        });
      }
      wurzeln.Warte();
    });
    g_Log.LeereWarteschlange();
    ++runden;
  }
  ende = true;
  aussen.join();
  kern.MachSofort([] {});  // type-1 jobs still queued run before this body
  last.offeneBlaetter.Warte();

  printf("Stress: %llu Runden, %llu Auftraege, %llu geworfen, %llu Hauptauftraege, %llu Faden-Runden\n",
         (unsigned long long)runden, (unsigned long long)last.gelaufen.load(), (unsigned long long)last.geworfen.load(),
         (unsigned long long)last.hauptGelaufen.load(), (unsigned long long)fadenRunden.load());
  EXPECT_EQ(last.fehler.load(), 0u);
  EXPECT_EQ(last.gelaufen.load(), last.erzeugt.load());
  EXPECT_EQ(last.hauptGelaufen.load(), last.hauptErzeugt.load());
  EXPECT_GT(fadenRunden.load(), 0u);
}

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include "ParallelHilfen.h"
#include "Plattform/system/Faden.h"
#include "Plattform/system/Speicher.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_ParallelSperre.h"

namespace {

using Handle = Zarvo_Parallel::AuftragsHandle;

double CpuSekunden(clockid_t uhr) {
  timespec zeit{};
  clock_gettime(uhr, &zeit);
  return double(zeit.tv_sec) + double(zeit.tv_nsec) * 1e-9;
}

double FadenCpuSekunden() { return CpuSekunden(CLOCK_THREAD_CPUTIME_ID); }

// A counter of 1 that jobs wait on until the test opens it.
struct Tor {
  Zarvo_Parallel::WarteZaehler zaehler;
  Tor() { zaehler.anzahl = 1; }
  void Warte() { zaehler.Warte(); }
  void Oeffne() { zaehler.Vermindere(); }
};

}  // namespace

TEST(ParallelKern, WarteAufFertigemHandleAuchNachWiederverwendungDesBlocks) {
  Zarvo_Parallel kern(1);
  kern.MachSofort([&] {
    Handle alt = kern.StarteParallelAuftrag([] {});
    Zarvo_Parallel::WarteAuf(alt);
    Zarvo_Parallel::WarteAuf(alt);  // finished: at once

    // Jobs held on the gate until one takes the old block; the old handle must not wait for it.
    Tor tor;
    std::vector<Handle> gehalten;
    Handle neu;
    for (int i = 0; i < 4 * int(Zarvo_Parallel::ERSTE_BLOECKE) && neu.auftrag != alt.auftrag; ++i) {
      neu = kern.StarteParallelAuftrag([&tor] { tor.Warte(); });
      gehalten.push_back(neu);
    }
    ASSERT_EQ(neu.auftrag, alt.auftrag) << "no block was reused";
    EXPECT_NE(neu.id, alt.id);
    Zarvo_Parallel::WarteAuf(alt);
    tor.Oeffne();
    for (Handle handle : gehalten) Zarvo_Parallel::WarteAuf(handle);
  });
}

TEST(ParallelKern, HauptauftragAusParallelauftragLaeuftBeimNaechstenMachSofort) {
  Zarvo_Parallel kern(2);
  const uint32_t testFaden = win32::GetCurrentThreadId();
  std::atomic<uint32_t> lief{0};
  Handle erzeuger = kern.StarteParallelAuftrag([&] { kern.StarteHauptAuftrag([&] { lief = win32::GetCurrentThreadId(); }); });
  Zarvo_Parallel::WarteAuf(erzeuger);
  EXPECT_EQ(lief.load(), 0u) << "a type-1 job ran without MachSofort";
  kern.MachSofort([] {});
  EXPECT_EQ(lief.load(), testFaden);
}

TEST(ParallelKern, HauptauftragSetztNachWartenAufDemselbenFadenFort) {
  Zarvo_Parallel kern(2);
  const uint32_t testFaden = win32::GetCurrentThreadId();
  uint32_t arbeiterFaden = 0;
  kern.MachSofort([&] {
    Zarvo_Parallel::Auftrag* selbst = Zarvo_Parallel::AktuellerAuftrag();
    ASSERT_NE(selbst, nullptr);
    Handle kind = kern.StarteParallelAuftrag([&] { arbeiterFaden = win32::GetCurrentThreadId(); });
    Zarvo_Parallel::WarteAuf(kind);
    EXPECT_EQ(win32::GetCurrentThreadId(), testFaden);
    EXPECT_EQ(Zarvo_Parallel::AktuellerAuftrag(), selbst);
  });
  EXPECT_NE(arbeiterFaden, 0u);
  EXPECT_NE(arbeiterFaden, testFaden);
  EXPECT_EQ(Zarvo_Parallel::AktuellerAuftrag(), nullptr);
}

TEST(ParallelKern, MachSofortSchlaeftWaehrendZehnParallelauftraegen) {
  Zarvo_Parallel kern(2);
  std::atomic<int> fertig{0};
  double cpu = 0, wand = 0;
  Tor tor;
  kern.MachSofort([&] {
    std::vector<Handle> handles;
    for (int i = 0; i < 10; ++i)
      handles.push_back(kern.StarteParallelAuftrag([&] {
        tor.Warte();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ++fertig;
      }));
    // From here on the MachSofort thread only waits.
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = FadenCpuSekunden();
    tor.Oeffne();
    for (Handle handle : handles) Zarvo_Parallel::WarteAuf(handle);
    cpu = FadenCpuSekunden() - cpuStart;
    wand = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(fertig.load(), 10);
  });
  EXPECT_EQ(fertig.load(), 10);
  EXPECT_GE(wand, 0.25);  // ten jobs of 50 ms on two workers
  EXPECT_LT(cpu, wand / 4) << "the MachSofort thread did not sleep";
}

// Idle workers sleep: after a burst has taken every worker and the MachSofort thread through
// looking for work, a core with nothing queued uses almost no processor time. Workers that kept
// spinning would use the whole 200 ms each.
TEST(ParallelKern, LeerlaufVerbrauchtKaumRechenzeit) {
  Zarvo_Parallel kern;
  std::atomic<int> gelaufen{0};
  kern.MachSofort([&] {
    Zarvo_Parallel::WarteZaehler fertig;
    fertig.anzahl = 1000;
    for (int i = 0; i < 1000; ++i)
      kern.StarteParallelAuftrag([&] {
        ++gelaufen;
        fertig.Vermindere();
      });
    fertig.Warte();
  });
  const double vorher = CpuSekunden(CLOCK_PROCESS_CPUTIME_ID);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const double verbraucht = CpuSekunden(CLOCK_PROCESS_CPUTIME_ID) - vorher;
  EXPECT_EQ(gelaufen.load(), 1000);
  EXPECT_LT(verbraucht, 0.050) << "idle workers of " << kern.AnzahlParallel() << " used " << verbraucht << " s";
  // Still awake for the next job after the idle time.
  bool lief = false;
  Zarvo_Parallel::WarteAuf(kern.StarteParallelAuftrag([&] { lief = true; }));
  EXPECT_TRUE(lief);
}

TEST(ParallelKern, UeberErsteBloeckeHinausWirdGezaehlt) {
  LogMitschnitt log;
  {
    Zarvo_Parallel kern(4);
    Tor tor;
    Zarvo_Parallel::WarteZaehler fertig;
    fertig.anzahl = 1100;
    for (int i = 0; i < 1100; ++i)
      kern.StarteParallelAuftrag([&] {
        tor.Warte();
        fertig.Vermindere();
      });
    EXPECT_EQ(kern.GibLagebericht().lebend, 1100u);
    tor.Oeffne();
    fertig.Warte();
  }
  EXPECT_EQ(log.Zaehle("Starting parallel execution core: 4 parallel threads, 1 I/O threads"), 1u);
  EXPECT_EQ(log.Zaehle("Am Ende waren es 1100 Alloks"), 1u);
}

// Waiters are listed (type-1 jobs, run in queue order) before the opener lets the awaited job end.
TEST(ParallelKern, AlleWartendenEinesAuftragsWachenAuf) {
  struct Fall {
    const char* name;
    std::function<void()> ende;
    const char* zeile;
  };
  const Fall faelle[] = {
      {"normal", [] {}, nullptr},
      {"std-Ausnahme", [] { throw std::runtime_error("kaputt"); },
       "Unbehandelte Ausnahme std::runtime_error wegen \"kaputt\" bei Faser-Ausführung."},
      {"sonstige Ausnahme", [] { throw 7; }, "Unbehandelte sonstige Ausnahme bei Faser-Ausführung."},
  };
  for (const Fall& fall : faelle) {
    SCOPED_TRACE(fall.name);
    LogMitschnitt log;
    {
      Zarvo_Parallel kern(2);
      Tor tor;
      std::atomic<int> aufgewacht{0};
      kern.MachSofort([&] {
        Handle erwartet = kern.StarteParallelAuftrag([&] {
          tor.Warte();
          fall.ende();
        });
        std::vector<Handle> warter;
        for (int i = 0; i < 3; ++i)
          warter.push_back(kern.StarteHauptAuftrag([&] {
            Zarvo_Parallel::WarteAuf(erwartet);
            ++aufgewacht;
          }));
        warter.push_back(kern.StarteHauptAuftrag([&] { tor.Oeffne(); }));
        for (Handle handle : warter) Zarvo_Parallel::WarteAuf(handle);
      });
      EXPECT_EQ(aufgewacht.load(), 3);
    }
    if (fall.zeile) {
      EXPECT_EQ(log.Zaehle(fall.zeile), 1u);
    }
  }
}

TEST(ParallelKern, WerfenderMachSofortRumpfKommtBeimAufruferAn) {
  Zarvo_Parallel kern(1);
  try {
    kern.MachSofort([] { ZARVO_AUSNAHME("Rahmen kaputt"); });
    ADD_FAILURE() << "no exception";
  } catch (const Zarvo_Ausnahme& ausnahme) {
    EXPECT_EQ(ausnahme.meldung, "Rahmen kaputt");
  }
  bool lief = false;
  kern.MachSofort([&] { lief = true; });
  EXPECT_TRUE(lief);
}

TEST(ParallelKern, EinArbeiterFuehrtInErzeugungsreihenfolgeAus) {
  Zarvo_Parallel kern(1);
  std::vector<int> reihenfolge;
  Handle letzter;
  for (int i = 0; i < 50; ++i) letzter = kern.StarteParallelAuftrag([&reihenfolge, i] { reihenfolge.push_back(i); });
  Zarvo_Parallel::WarteAuf(letzter);
  ASSERT_EQ(reihenfolge.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(reihenfolge[i], i);
}

TEST(ParallelKern, GemeldeteNullProzessorenGebenEinenArbeiter) {
  EXPECT_EQ(win32::ZaehleProzessoren(0), 1u);
  EXPECT_EQ(win32::ZaehleProzessoren(6), 6u);
  EXPECT_GE(Zarvo_Parallel::ProzessorAnzahl(), 1u);
  Zarvo_Parallel kern(0);
  EXPECT_EQ(kern.AnzahlParallel(), 1u);
  bool lief = false;
  Zarvo_Parallel::WarteAuf(kern.StarteParallelAuftrag([&] { lief = true; }));
  EXPECT_TRUE(lief);
}

TEST(ParallelKern, UngestarteteAuftraegeWerdenBeimEndeVerworfen) {
  auto zeuge = std::make_shared<int>(1);
  {
    Zarvo_Parallel kern(1);
    kern.StarteHauptAuftrag([zeuge] { ADD_FAILURE() << "ran without MachSofort"; });
    EXPECT_EQ(zeuge.use_count(), 2);
  }
  EXPECT_EQ(zeuge.use_count(), 1) << "the unrun job's callable was not destroyed";
}

// --- waiting outside a job ---------------------------------------------------------------------

TEST(ParallelAusserhalb, UnbestritteneAufrufeKehrenSofortZurueck) {
  // No core at all: nothing here may need one.
  Zarvo_Parallel::LeseSchreibSperre sperre;
  sperre.SperreGemeinsam();
  sperre.SperreGemeinsam();
  sperre.GibGemeinsamFrei();
  sperre.GibGemeinsamFrei();
  sperre.SperreExklusiv();
  sperre.GibExklusivFrei();
  Zarvo_Parallel::WarteZaehler zaehler;
  zaehler.Warte();
  Zarvo_Parallel::WarteAuf({});
  SUCCEED();
}

TEST(ParallelAusserhalb, WartenAufAuftragZaehlerUndSperreVonFaedenAus) {
  Zarvo_Parallel kern(2);
  Tor tor;
  std::atomic<int> ergebnis{0};
  Zarvo_Parallel::LeseSchreibSperre sperre;
  Zarvo_Parallel::WarteZaehler zaehler;
  zaehler.anzahl = 2;
  std::atomic<int> leserDrin{0}, leserFertig{0};

  Handle auftrag = kern.StarteParallelAuftrag([&] {
    tor.Warte();
    ergebnis = 42;
  });
  for (int i = 0; i < 2; ++i)
    kern.StarteParallelAuftrag([&] {
      Zarvo_GemeinsamWaechter gemeinsam(&sperre);
      ++leserDrin;
      tor.Warte();
      ++leserFertig;
      gemeinsam.Gib();
      zaehler.Vermindere();
    });
  while (leserDrin.load() < 2) std::this_thread::yield();

  int sahAuftrag = 0, sahZaehler = 0, sahSperre = -1;
  std::atomic<bool> schreiberDrin{false};
  std::thread faden([&] {
    Zarvo_Parallel::WarteAuf(auftrag);
    sahAuftrag = ergebnis;
    zaehler.Warte();
    sahZaehler = leserFertig;
  });
  std::thread schreiber([&] {  // both readers hold the shared side: this thread blocks
    sperre.SperreExklusiv();
    schreiberDrin = true;
    sahSperre = leserFertig;
    sperre.GibExklusivFrei();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(schreiberDrin.load()) << "the writer got in while readers held the lock";
  tor.Oeffne();
  Zarvo_Parallel::WarteAuf(auftrag);
  EXPECT_EQ(ergebnis.load(), 42);
  faden.join();
  schreiber.join();
  EXPECT_EQ(sahAuftrag, 42);
  EXPECT_EQ(sahZaehler, 2);
  EXPECT_EQ(sahSperre, 2);
}

// --- misuse ------------------------------------------------------------------------------------

TEST(ParallelMissbrauchDeathTest, SofortFehlerMitKlarerMeldung) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(Zarvo_Parallel::Unterbreche(nullptr), "Unterbreche ohne laufenden Auftrag");
  EXPECT_DEATH(
      {
        Zarvo_Parallel kern(1);
        kern.MachSofort([&] { kern.MachSofort([] {}); });
      },
      "MachSofort innerhalb eines Auftrags");
  EXPECT_DEATH(
      {
        Zarvo_Parallel kern(1);
        Tor tor;
        std::atomic<bool> drin{false};
        std::thread erster([&] {
          kern.MachSofort([&] {
            drin = true;
            drin.notify_one();
            tor.Warte();
          });
        });
        drin.wait(false);
        kern.MachSofort([] {});
      },
      "MachSofort auf zwei Threads zugleich");
}

namespace {

size_t BelegterAdressraum() {
  FILE* datei = fopen("/proc/self/statm", "r");
  unsigned long seiten = 0;
  if (datei) {
    if (fscanf(datei, "%lu", &seiten) != 1) seiten = 0;
    fclose(datei);
  }
  return size_t(seiten) * size_t(sysconf(_SC_PAGESIZE));
}

// Queued type-1 jobs hold every block of the pool; under an address-space limit the next block
// cannot be mapped, so creating MachSofort's own job throws. Exits 0 when the core stays usable.
void MachSofortOhneNeueBloecke() {
  Zarvo_Parallel kern(1);
  for (size_t i = 0; i < Zarvo_Parallel::ERSTE_BLOECKE; ++i) kern.StarteHauptAuftrag([] {});
  rlimit vorher{};
  getrlimit(RLIMIT_AS, &vorher);
  rlimit eng = vorher;
  eng.rlim_cur = BelegterAdressraum() + (1u << 20);
  setrlimit(RLIMIT_AS, &eng);
  bool warf = false;
  try {
    kern.MachSofort([] {});
  } catch (const std::bad_alloc&) {
    warf = true;
  }
  setrlimit(RLIMIT_AS, &vorher);
  if (!warf) _exit(2);
  bool lief = false;
  kern.MachSofort([&] { lief = true; });
  _exit(lief ? 0 : 3);
}

}  // namespace

TEST(ParallelMissbrauchDeathTest, MachSofortNachFehlgeschlagenerErzeugungWiederNutzbar) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(MachSofortOhneNeueBloecke(), testing::ExitedWithCode(0), "");
}

TEST(ParallelMissbrauchDeathTest, UngueltigerTypUndZaehlenUnterNull) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Zarvo_Parallel kern(1);
  for (uint32_t typ : {0u, 4u, 9u}) {
    Handle handle;
    EXPECT_DEBUG_DEATH(handle = kern.ErzeugeAuftrag(typ, [] {}), "job type outside 1-3");
    EXPECT_FALSE(handle);
  }
  EXPECT_EQ(kern.GibLagebericht().lebend, 0u);
  Zarvo_Parallel::WarteZaehler zaehler;
  [[maybe_unused]] uint64_t ergebnis = 1;
  EXPECT_DEBUG_DEATH(ergebnis = zaehler.Vermindere(), "Vermindere on a counter of 0");
#ifdef NDEBUG
  EXPECT_EQ(ergebnis, 0u);
#endif
  EXPECT_EQ(zaehler.anzahl.load(), 0u);
}

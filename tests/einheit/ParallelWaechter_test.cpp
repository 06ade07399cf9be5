#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstddef>

#include "Plattform/system/FaserMelder.h"
#include "Plattform/system/Speicher.h"
#include "Zarvo_Parallel.h"

// A job that recurses without bound must fault in its own guard page, also with frames larger
// than a page. The child's SIGSEGV handler runs on an alternate stack and exits with
// TRIFFT_EIGENEN_WAECHTER when the fault address lies in the guard page of the overflowing job.
// Under AddressSanitizer its own handler reports the overflow instead.
namespace {

constexpr int TRIFFT_EIGENEN_WAECHTER = 3;
constexpr int TRIFFT_ANDERES = 4;

Zarvo_Parallel::Auftrag* volatile g_ueberlaufender = nullptr;
char g_signalStapel[64 * 1024];

void BeiSpeicherFehler(int, siginfo_t* info, void*) {
  void* block = win32::WaechterBlock(info->si_addr);
  _exit(block != nullptr && block == g_ueberlaufender ? TRIFFT_EIGENEN_WAECHTER : TRIFFT_ANDERES);
}

void FangeSpeicherFehler() {
  stack_t stapel{};
  stapel.ss_sp = g_signalStapel;
  stapel.ss_size = sizeof(g_signalStapel);
  sigaltstack(&stapel, nullptr);
  struct sigaction aktion {};
  aktion.sa_sigaction = BeiSpeicherFehler;
  aktion.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&aktion.sa_mask);
  sigaction(SIGSEGV, &aktion, nullptr);
}

// Touches only the lowest byte of its frame: without page probes in the prologue, a frame larger
// than a page steps over the guard page into the blocks below.
template <size_t RAHMEN>
[[gnu::noinline]] size_t Rekursion(size_t tiefe) {
  volatile char rahmen[RAHMEN];
  rahmen[0] = char(tiefe);
  if (tiefe == ~size_t(0)) return 0;
  return Rekursion<RAHMEN>(tiefe + 1) + size_t(rahmen[0]);
}

template <size_t RAHMEN>
void LaufeUeber() {
  if (!win32::MIT_ADRESS_PRUEFER) FangeSpeicherFehler();
  Zarvo_Parallel kern(1);
  kern.MachSofort([] {
    g_ueberlaufender = Zarvo_Parallel::AktuellerAuftrag();
    Rekursion<RAHMEN>(0);
  });
}

template <size_t RAHMEN>
void PruefeUeberlauf() {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  if (win32::MIT_ADRESS_PRUEFER)
    EXPECT_DEATH(LaufeUeber<RAHMEN>(), "stack-overflow");
  else
    EXPECT_EXIT(LaufeUeber<RAHMEN>(), testing::ExitedWithCode(TRIFFT_EIGENEN_WAECHTER), "");
}

}  // namespace

TEST(ParallelWaechterDeathTest, KleineRahmenTreffenEigeneWaechterseite) { PruefeUeberlauf<64>(); }

TEST(ParallelWaechterDeathTest, GrosseRahmenTreffenEigeneWaechterseite) { PruefeUeberlauf<50 * 1024>(); }

TEST(ParallelWaechter, NurDieWaechterseiteGehoertZumBlock) {
  const size_t block = Zarvo_Parallel::BLOCK_GROESSE, seite = Zarvo_Parallel::SEITEN_GROESSE;
  char* anfang = static_cast<char*>(win32::VirtualAllocStapel(3, block, seite, 2 * seite));
  ASSERT_NE(anfang, nullptr);
  struct Fall {
    size_t versatz;
    void* erwartet;
  };
  const Fall faelle[] = {
      {0, nullptr},                              // record page
      {seite, anfang},                           // guard of block 0
      {2 * seite - 1, anfang},
      {2 * seite, nullptr},                      // stack
      {block + seite + 7, anfang + block},       // guard of block 1
      {2 * block + seite, anfang + 2 * block},   // guard of block 2
      {3 * block + seite, nullptr},              // past the mapping
  };
  for (const Fall& fall : faelle) EXPECT_EQ(win32::WaechterBlock(anfang + fall.versatz), fall.erwartet) << fall.versatz;
  anfang[2 * seite] = 1;  // the stack is writable
  win32::VirtualFreeStapel(anfang);
  EXPECT_EQ(win32::WaechterBlock(anfang + seite), nullptr);
}

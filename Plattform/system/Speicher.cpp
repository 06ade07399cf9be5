#include "Plattform/system/Speicher.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#define MIT_VALGRIND 1
#else
#define MIT_VALGRIND 0
#endif

namespace win32 {
namespace {

// One batch. `anfang` is 0 for a free slot and 1 while a slot is being filled.
struct Abbildung {
  std::atomic<uintptr_t> anfang{0};
  std::atomic<uintptr_t> ende{0};
  std::atomic<uintptr_t> blockGroesse{0};
  std::atomic<uintptr_t> waechterVersatz{0};
  unsigned* valgrindKennungen = nullptr;  // never read by the signal handler
};

constexpr size_t MAX_ABBILDUNGEN = 4096;
constexpr uintptr_t WIRD_BELEGT = 1;

Abbildung abbildungen[MAX_ABBILDUNGEN];
std::atomic<size_t> hoechsteAbbildung{0};  // slots in use lie below
std::atomic<uintptr_t> waechterGroesse{0};  // the page size, for the signal handler

size_t SeitenGroesse() { return size_t(sysconf(_SC_PAGESIZE)); }

Abbildung* BelegePlatz() {
  for (Abbildung& platz : abbildungen) {
    uintptr_t frei = 0;
    if (!platz.anfang.compare_exchange_strong(frei, WIRD_BELEGT, std::memory_order_acquire)) continue;
    size_t index = size_t(&platz - abbildungen) + 1;
    size_t bisher = hoechsteAbbildung.load(std::memory_order_relaxed);
    while (bisher < index && !hoechsteAbbildung.compare_exchange_weak(bisher, index, std::memory_order_release)) {
    }
    return &platz;
  }
  return nullptr;  // table full: the batch works, its guards are only not found by WaechterBlock
}

void Verzeichne(char* anfang, size_t anzahl, size_t blockGroesse, size_t waechterVersatz, unsigned* kennungen) {
  Abbildung* platz = BelegePlatz();
  if (!platz) {
    delete[] kennungen;
    return;
  }
  platz->ende.store(uintptr_t(anfang + anzahl * blockGroesse), std::memory_order_relaxed);
  platz->blockGroesse.store(blockGroesse, std::memory_order_relaxed);
  platz->waechterVersatz.store(waechterVersatz, std::memory_order_relaxed);
  platz->valgrindKennungen = kennungen;
  platz->anfang.store(uintptr_t(anfang), std::memory_order_release);
}

unsigned* MeldeStapelAnValgrind([[maybe_unused]] char* anfang, [[maybe_unused]] size_t anzahl,
                                [[maybe_unused]] size_t blockGroesse, [[maybe_unused]] size_t stapelVersatz) {
#if MIT_VALGRIND
  if (!RUNNING_ON_VALGRIND) return nullptr;
  unsigned* kennungen = new unsigned[anzahl];
  for (size_t i = 0; i < anzahl; ++i) {
    char* block = anfang + i * blockGroesse;
    kennungen[i] = VALGRIND_STACK_REGISTER(block + stapelVersatz, block + blockGroesse);
  }
  return kennungen;
#else
  return nullptr;
#endif
}

void MeldeStapelAbBeiValgrind([[maybe_unused]] unsigned* kennungen, [[maybe_unused]] size_t anzahl) {
#if MIT_VALGRIND
  if (kennungen)
    for (size_t i = 0; i < anzahl; ++i) VALGRIND_STACK_DEREGISTER(kennungen[i]);
#endif
}

}  // namespace

uint32_t ZaehleProzessoren(uint32_t gemeldet) { return gemeldet == 0 ? 1 : gemeldet; }

void GetSystemInfo(SYSTEM_INFO* info) {
  info->dwPageSize = uint32_t(SeitenGroesse());
  info->dwNumberOfProcessors = ZaehleProzessoren(std::thread::hardware_concurrency());
}

void* VirtualAllocStapel(size_t anzahl, size_t blockGroesse, size_t waechterVersatz, size_t stapelVersatz) {
  const size_t seite = SeitenGroesse();
  void* abbildung = mmap(nullptr, anzahl * blockGroesse, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (abbildung == MAP_FAILED) return nullptr;
  char* anfang = static_cast<char*>(abbildung);
  waechterGroesse.store(seite, std::memory_order_relaxed);
  for (size_t i = 0; i < anzahl; ++i) mprotect(anfang + i * blockGroesse + waechterVersatz, seite, PROT_NONE);
  Verzeichne(anfang, anzahl, blockGroesse, waechterVersatz, MeldeStapelAnValgrind(anfang, anzahl, blockGroesse, stapelVersatz));
  return abbildung;
}

void VirtualFreeStapel(void* anfang) {
  const uintptr_t gesucht = uintptr_t(anfang);
  const size_t anzahl = hoechsteAbbildung.load(std::memory_order_acquire);
  for (size_t i = 0; i < anzahl; ++i) {
    Abbildung& platz = abbildungen[i];
    if (platz.anfang.load(std::memory_order_acquire) != gesucht) continue;
    const size_t laenge = platz.ende.load(std::memory_order_relaxed) - gesucht;
    MeldeStapelAbBeiValgrind(platz.valgrindKennungen, laenge / platz.blockGroesse.load(std::memory_order_relaxed));
    delete[] platz.valgrindKennungen;
    platz.valgrindKennungen = nullptr;
    platz.anfang.store(0, std::memory_order_release);
    munmap(anfang, laenge);
    return;
  }
}

namespace {

// The block of a batch that holds an address.
struct Fund {
  uintptr_t block = 0;            // its start, 0 for none
  uintptr_t versatz = 0;          // the address's offset in it
  uintptr_t waechterVersatz = 0;  // where its guard page lies
};

Fund SucheBlock(uintptr_t stelle) {
  const size_t anzahl = hoechsteAbbildung.load(std::memory_order_acquire);
  for (size_t i = 0; i < anzahl; ++i) {
    const Abbildung& platz = abbildungen[i];
    const uintptr_t anfang = platz.anfang.load(std::memory_order_acquire);
    if (anfang <= WIRD_BELEGT || stelle < anfang || stelle >= platz.ende.load(std::memory_order_relaxed)) continue;
    const uintptr_t versatz = (stelle - anfang) % platz.blockGroesse.load(std::memory_order_relaxed);
    return {stelle - versatz, versatz, platz.waechterVersatz.load(std::memory_order_relaxed)};
  }
  return {};
}

}  // namespace

void* StapelBlock(const void* adresse) { return reinterpret_cast<void*>(SucheBlock(uintptr_t(adresse)).block); }

void* WaechterBlock(const void* adresse) {
  const Fund fund = SucheBlock(uintptr_t(adresse));
  const uintptr_t seite = waechterGroesse.load(std::memory_order_relaxed);
  if (fund.block == 0 || fund.versatz < fund.waechterVersatz || fund.versatz >= fund.waechterVersatz + seite) return nullptr;
  return reinterpret_cast<void*>(fund.block);
}

}  // namespace win32

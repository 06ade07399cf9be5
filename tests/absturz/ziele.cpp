#include "absturz/ziele.h"

#include "Plattform/system/ausnahmen.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cfenv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <thread>

namespace Ziele {

namespace {
// In shared memory, so that a test that forks sees what its crashed child recorded.
Orte* GeteilteOrte() {
  void* seite = mmap(nullptr, sizeof(Orte), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (seite == MAP_FAILED) abort();
  return new (seite) Orte{};
}
}  // namespace

volatile Orte& g_Orte = *GeteilteOrte();

namespace {
// After a call, so that the call is no tail call.
inline void Nachlauf() { asm volatile("" ::: "memory"); }

void Merke(const char* funktion, int zeile) {
  g_Orte.funktion = funktion;
  g_Orte.fehlerZeile = zeile;
}

volatile bool endlos = true;
}  // namespace

[[gnu::noinline]] void RufeZiel(void (*ziel)()) {
  g_Orte.aufrufZeile = __LINE__ + 1;
  ziel();
  Nachlauf();
}

[[gnu::noinline]] void SchreibeNullzeiger() {
  int* volatile zeiger = nullptr;
  Merke("Ziele::SchreibeNullzeiger()", __LINE__ + 1);
  *zeiger = 42;
  Nachlauf();
}

[[gnu::noinline]] void TeileGanzzahlDurchNull() {
  volatile int zaehler = 7, null = 0;
  volatile int ergebnis [[maybe_unused]] = 0;
  Merke("Ziele::TeileGanzzahlDurchNull()", __LINE__ + 1);
  ergebnis = zaehler / null;
  Nachlauf();
}

[[gnu::noinline]] void FuehreFalleAus() {
  Merke("Ziele::FuehreFalleAus()", __LINE__ + 1);
  __builtin_trap();
}

[[gnu::noinline]] void HalteAnBruchpunkt() {
  Merke("Ziele::HalteAnBruchpunkt()", __LINE__ + 1);
  asm volatile("int3");
  Nachlauf();
}

[[gnu::noinline]] void LiesHinterDateiende() {
  long seite = sysconf(_SC_PAGESIZE);
  int datei = memfd_create("ein-byte", 0);
  if (datei < 0 || write(datei, "x", 1) != 1) abort();
  volatile char* daten = static_cast<volatile char*>(mmap(nullptr, size_t(2 * seite), PROT_READ, MAP_SHARED, datei, 0));
  if (daten == MAP_FAILED) abort();
  Merke("Ziele::LiesHinterDateiende()", __LINE__ + 1);
  char zeichen = daten[seite];
  (void)zeichen;
  Nachlauf();
}

[[gnu::noinline]] void TeileGleitkommaDurchNull() {
  volatile double eins = 1.0, null = 0.0;
  [[maybe_unused]] volatile double ergebnis = 0.0;
  feenableexcept(FE_DIVBYZERO);
  Merke("Ziele::TeileGleitkommaDurchNull()", __LINE__ + 1);
  ergebnis = eins / null;
  Nachlauf();
}

[[gnu::noinline]] void RufeAbort() {
  Merke("Ziele::RufeAbort()", __LINE__ + 1);
  abort();
}

[[gnu::noinline]] void SendeSigsegv() {
  Merke("Ziele::SendeSigsegv()", __LINE__ + 1);
  raise(SIGSEGV);
  Nachlauf();
}

[[gnu::noinline]] void WirfLaufzeitFehler() {
  Merke("Ziele::WirfLaufzeitFehler()", __LINE__ + 1);
  throw std::runtime_error("kaputt");
}

[[gnu::noinline]] void WirfGanzzahl() {
  Merke("Ziele::WirfGanzzahl()", __LINE__ + 1);
  throw 42;
}

namespace {
[[gnu::noinline]] int Rekursion(int tiefe) {
  volatile char platz[512];
  platz[0] = char(tiefe);
  if (endlos) tiefe += Rekursion(tiefe + 1);
  return tiefe + platz[0];
}
}  // namespace

[[gnu::noinline]] void RekursiereEndlos() {
  Merke("Ziele::(anonymous namespace)::Rekursion(int)", 0);
  volatile int ergebnis = Rekursion(0);
  (void)ergebnis;
}

[[gnu::noinline]] void SpringeInAnonymenCode() {
  size_t seite = size_t(sysconf(_SC_PAGESIZE));
  void* code = mmap(nullptr, seite, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (code == MAP_FAILED) abort();
  const unsigned char ud2[] = {0x0F, 0x0B};
  memcpy(code, ud2, sizeof(ud2));
  if (mprotect(code, seite, PROT_READ | PROT_EXEC) != 0) abort();
  Merke("(function-name not available)", __LINE__ + 1);
  reinterpret_cast<void (*)()>(code)();
  Nachlauf();
}

void AufFaden(void (*ziel)()) {
  std::thread faden([ziel] {
    unsigned long garantie = 0;
    win32::SetThreadStackGuarantee(&garantie);
    RufeZiel(ziel);
  });
  faden.join();
}

}  // namespace Ziele

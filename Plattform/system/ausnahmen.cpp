#include "Plattform/system/ausnahmen.h"

#include "Plattform/system/Speicher.h"
#include "Plattform/system/kontext.h"
#include "Plattform/system/symbole.h"

#include <cxxabi.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <typeinfo>

namespace win32 {

namespace {

constexpr int FATALE_SIGNALE[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP, SIGABRT, SIGSYS};
constexpr size_t ANZAHL_SIGNALE = sizeof(FATALE_SIGNALE) / sizeof(FATALE_SIGNALE[0]);
constexpr size_t STANDARD_GARANTIE = 512 * 1024;
constexpr size_t MAX_AUSNAHME_TEXT = 512;
constexpr uintptr_t UEBERLAUF_RAND = 4096;

std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> aktuellerFilter{nullptr};
struct sigaction vorherigeAktion[ANZAHL_SIGNALE];
std::terminate_handler vorherigerTerminate = nullptr;
bool aufgezeichnet = false;

thread_local bool imFilter = false;
thread_local bool cppAusnahmeAusstehend = false;
thread_local char cppAusnahmeText[MAX_AUSNAHME_TEXT + 1];
thread_local uint32_t letzterFehler = 0;

// Trivially destructible, so that the signal handler may read it on any thread.
thread_local uintptr_t stapelBoden = 0;

// The alternate signal stack of one thread, freed when the thread ends.
struct AlternativStapel {
  void* speicher = nullptr;
  size_t groesse = 0;  // without the guard page
  ~AlternativStapel() {
    if (!speicher) return;
    stack_t aus{};
    aus.ss_flags = SS_DISABLE;
    sigaltstack(&aus, nullptr);
    munmap(speicher, groesse + size_t(sysconf(_SC_PAGESIZE)));
  }
};
thread_local AlternativStapel alternativStapel;

int SignalIndex(int signal) {
  for (size_t i = 0; i < ANZAHL_SIGNALE; ++i)
    if (FATALE_SIGNALE[i] == signal) return int(i);
  return -1;
}

void SetzeStandard(int signal) {
  struct sigaction standard{};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(signal, &standard, nullptr);
}

void StelleStandardsHer() {
  for (int signal : FATALE_SIGNALE) SetzeStandard(signal);
}

void GibSignalFrei(int signal) {
  sigset_t menge;
  sigemptyset(&menge);
  sigaddset(&menge, signal);
  pthread_sigmask(SIG_UNBLOCK, &menge, nullptr);
}

uintptr_t StapelZeiger(const ucontext_t* zustand) { return uintptr_t(zustand->uc_mcontext.gregs[REG_RSP]); }

// A job runs on a stack block of its own, which may lie anywhere below the thread's stack: there
// only a fault in the block's guard page is an overflow. On the thread's stack it is RSP near
// or below the stack bottom.
uint32_t CodeFuerSegv(const siginfo_t* info, const ucontext_t* zustand) {
  const uintptr_t sp = StapelZeiger(zustand);
  if (win32::StapelBlock(reinterpret_cast<const void*>(sp)))
    return win32::WaechterBlock(info->si_addr) ? EXCEPTION_STACK_OVERFLOW : EXCEPTION_ACCESS_VIOLATION;
  const uintptr_t boden = StapelBodenDesFadens();
  if (boden != 0 && sp < boden + UEBERLAUF_RAND) return EXCEPTION_STACK_OVERFLOW;
  return EXCEPTION_ACCESS_VIOLATION;
}

uint32_t CodeFuerFpe(int siCode) {
  switch (siCode) {
    case FPE_INTDIV: return EXCEPTION_INT_DIVIDE_BY_ZERO;
    case FPE_INTOVF: return EXCEPTION_INT_OVERFLOW;
    case FPE_FLTDIV: return EXCEPTION_FLT_DIVIDE_BY_ZERO;
    case FPE_FLTOVF: return EXCEPTION_FLT_OVERFLOW;
    case FPE_FLTUND: return EXCEPTION_FLT_UNDERFLOW;
    case FPE_FLTRES: return EXCEPTION_FLT_INEXACT_RESULT;
    case FPE_FLTINV: return EXCEPTION_FLT_INVALID_OPERATION;
    case FPE_FLTSUB: return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
    default: return EXCEPTION_SIGNAL_BASIS | SIGFPE;
  }
}

uint32_t AusnahmeCode(int signal, const siginfo_t* info, const ucontext_t* zustand) {
  switch (signal) {
    case SIGSEGV: return CodeFuerSegv(info, zustand);
    case SIGBUS: return info->si_code == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT : EXCEPTION_IN_PAGE_ERROR;
    case SIGILL: return info->si_code == ILL_PRVOPC ? EXCEPTION_PRIV_INSTRUCTION : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGFPE: return CodeFuerFpe(info->si_code);
    case SIGTRAP: return info->si_code == TRAP_TRACE ? EXCEPTION_SINGLE_STEP : EXCEPTION_BREAKPOINT;
    case SIGABRT:
      if (cppAusnahmeAusstehend) return EXCEPTION_CPLUSPLUS;
      return EXCEPTION_SIGNAL_BASIS | uint32_t(signal);
    default: return EXCEPTION_SIGNAL_BASIS | uint32_t(signal);
  }
}

// Hands the signal to the handler installed before ours, then lets the process die by it. When
// that handler returns, it is not put back: the repeated fault would enter it again and again.
// An ignored fatal signal would return into the fault too, so the default disposition ends it.
void ReicheWeiter(int signal, siginfo_t* info, void* zustand) {
  const struct sigaction& vorher = vorherigeAktion[SignalIndex(signal)];
  if (vorher.sa_flags & SA_SIGINFO) {
    if (vorher.sa_sigaction) vorher.sa_sigaction(signal, info, zustand);
  } else if (vorher.sa_handler != SIG_DFL && vorher.sa_handler != SIG_IGN) {
    vorher.sa_handler(signal);
  }
  SetzeStandard(signal);
  raise(signal);
}

void SignalBehandler(int signal, siginfo_t* info, void* roh) {
  if (imFilter) {
    // A fault inside the report: give up on it and die by the signal.
    StelleStandardsHer();
    GibSignalFrei(signal);
    raise(signal);
    return;
  }
  int gespeichertesErrno = errno;
  ucontext_t* zustand = static_cast<ucontext_t*>(roh);
  CONTEXT kontext{zustand, info, signal};
  EXCEPTION_RECORD eintrag{};
  eintrag.ExceptionCode = AusnahmeCode(signal, info, zustand);
  eintrag.ExceptionFlags = uint32_t(info->si_code);
  eintrag.ExceptionAddress = reinterpret_cast<void*>(zustand->uc_mcontext.gregs[REG_RIP]);
  EXCEPTION_POINTERS zeiger{&eintrag, &kontext};

  long ergebnis = EXCEPTION_CONTINUE_SEARCH;
  LPTOP_LEVEL_EXCEPTION_FILTER filter = aktuellerFilter.load();
  imFilter = true;
  if (filter) ergebnis = filter(&zeiger);
  errno = gespeichertesErrno;
  if (ergebnis == EXCEPTION_CONTINUE_EXECUTION) {
    imFilter = false;
    return;
  }
  // Still marked: a fault in the handler handed on to ends the process without a second report.
  ReicheWeiter(signal, info, roh);
}

// "C++ exception <type>[: what()]", newlines as blanks, at most MAX_AUSNAHME_TEXT characters.
void BaueAusnahmeText(const std::type_info* typ) {
  int status = 0;
  char* lesbar = abi::__cxa_demangle(typ->name(), nullptr, nullptr, &status);
  const char* name = lesbar ? lesbar : typ->name();
  const char* was = nullptr;
  try {
    throw;
  } catch (const std::exception& ausnahme) {
    was = ausnahme.what();
  } catch (...) {
  }
  if (was)
    snprintf(cppAusnahmeText, sizeof(cppAusnahmeText), "C++ exception %s: %s", name, was);
  else
    snprintf(cppAusnahmeText, sizeof(cppAusnahmeText), "C++ exception %s", name);
  free(lesbar);
  for (char* zeichen = cppAusnahmeText; *zeichen; ++zeichen)
    if (*zeichen == '\n' || *zeichen == '\r') *zeichen = ' ';
}

[[noreturn]] void TerminateHaken() {
  const std::type_info* typ = abi::__cxa_current_exception_type();
  if (typ) {
    BaueAusnahmeText(typ);
    cppAusnahmeAusstehend = true;
  }
  abort();
}

void ZeichneAuf() {
  if (aufgezeichnet) return;
  for (size_t i = 0; i < ANZAHL_SIGNALE; ++i) sigaction(FATALE_SIGNALE[i], nullptr, &vorherigeAktion[i]);
  vorherigerTerminate = std::get_terminate();
  aufgezeichnet = true;
}

void Installiere() {
  ZeichneAuf();
  MerkeProgrammPfad();
  unsigned long garantie = 0;
  SetThreadStackGuarantee(&garantie);
  struct sigaction aktion{};
  aktion.sa_sigaction = SignalBehandler;
  aktion.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&aktion.sa_mask);
  for (int signal : FATALE_SIGNALE) sigaction(signal, &aktion, nullptr);
  std::set_terminate(TerminateHaken);
}

void StelleAufgezeichnetesHer() {
  if (!aufgezeichnet) return;
  for (size_t i = 0; i < ANZAHL_SIGNALE; ++i) sigaction(FATALE_SIGNALE[i], &vorherigeAktion[i], nullptr);
  std::set_terminate(vorherigerTerminate);
  aufgezeichnet = false;
}

uintptr_t LiesStapelBoden() {
  pthread_attr_t attribute;
  if (pthread_getattr_np(pthread_self(), &attribute) != 0) return 0;
  void* adresse = nullptr;
  size_t groesse = 0;
  pthread_attr_getstack(&attribute, &adresse, &groesse);
  pthread_attr_destroy(&attribute);
  return uintptr_t(adresse);
}

}  // namespace

uintptr_t StapelBodenDesFadens() { return stapelBoden; }

LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
  LPTOP_LEVEL_EXCEPTION_FILTER vorher = aktuellerFilter.exchange(filter);
  if (filter)
    Installiere();
  else
    StelleAufgezeichnetesHer();
  return vorher;
}

bool SetThreadStackGuarantee(unsigned long* groesse) {
  size_t gewuenscht = (groesse && *groesse > STANDARD_GARANTIE) ? *groesse : STANDARD_GARANTIE;
  AlternativStapel& stapel = alternativStapel;
  if (groesse) *groesse = (unsigned long)stapel.groesse;
  if (stapelBoden == 0) stapelBoden = LiesStapelBoden();
  if (stapel.speicher && stapel.groesse >= gewuenscht) return true;
  size_t seite = size_t(sysconf(_SC_PAGESIZE));
  gewuenscht = (gewuenscht + seite - 1) / seite * seite;
  void* speicher = mmap(nullptr, gewuenscht + seite, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (speicher == MAP_FAILED) {
    letzterFehler = uint32_t(errno);
    return false;
  }
  mprotect(speicher, seite, PROT_NONE);  // guard page below the stack
  stack_t neu{};
  neu.ss_sp = static_cast<char*>(speicher) + seite;
  neu.ss_size = gewuenscht;
  if (sigaltstack(&neu, nullptr) != 0) {
    letzterFehler = uint32_t(errno);
    munmap(speicher, gewuenscht + seite);
    return false;
  }
  if (stapel.speicher) munmap(stapel.speicher, stapel.groesse + seite);
  stapel.speicher = speicher;
  stapel.groesse = gewuenscht;
  return true;
}

uint32_t FormatMessage(uint32_t code, char* puffer, uint32_t groesse) {
  if (groesse == 0) return 0;
  const char* text = nullptr;
  if (code == EXCEPTION_CPLUSPLUS && cppAusnahmeAusstehend)
    text = cppAusnahmeText;
  else if ((code & 0xFFFFFF00u) == EXCEPTION_SIGNAL_BASIS)
    text = sigdescr_np(int(code & 0xFF));
  if (!text) {
    puffer[0] = '\0';
    return 0;
  }
  size_t laenge = strnlen(text, groesse - 1);
  memcpy(puffer, text, laenge);
  puffer[laenge] = '\0';
  return uint32_t(laenge);
}

HANDLE CreateFile(const char* pfad) {
  int deskriptor = open(pfad, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (deskriptor < 0) {
    letzterFehler = uint32_t(errno);
    return INVALID_HANDLE_VALUE;
  }
  return deskriptor;
}

bool CloseHandle(HANDLE datei) {
  if (close(int(datei)) == 0) return true;
  letzterFehler = uint32_t(errno);
  return false;
}

uint32_t GetLastError() { return letzterFehler; }

void SetzeLetztenFehler(uint32_t fehler) { letzterFehler = fehler; }

int _fileno(void* strom) { return strom ? fileno(static_cast<FILE*>(strom)) : -1; }

bool _write(int deskriptor, const void* daten, size_t laenge) {
  const char* zeiger = static_cast<const char*>(daten);
  while (laenge > 0) {
    ssize_t geschrieben = write(deskriptor, zeiger, laenge);
    if (geschrieben < 0 && errno == EINTR) continue;
    if (geschrieben <= 0) {
      letzterFehler = uint32_t(geschrieben < 0 ? errno : ENOSPC);
      return false;
    }
    zeiger += geschrieben;
    laenge -= size_t(geschrieben);
  }
  return true;
}

void SetzeNotAlarm(unsigned sekunden) {
  if (sekunden > 0) {
    SetzeStandard(SIGALRM);
    GibSignalFrei(SIGALRM);
  }
  alarm(sekunden);
}

void SchlafeFuerImmer() {
  for (;;) pause();
}

}  // namespace win32

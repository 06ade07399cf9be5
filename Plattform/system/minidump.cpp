#include "Plattform/system/minidump.h"

#include "Plattform/system/kontext.h"
#include "Plattform/system/symbole.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>

namespace win32 {

namespace {

constexpr uint32_t ANZAHL_STROEME = 7;
constexpr uintptr_t ROTE_ZONE = 128;
constexpr uintptr_t MAX_STAPEL = 256 * 1024;
constexpr size_t PUFFER = 4096;

// Appends at the end of the file (pwrite at known offsets, so reserved room can be filled later).
struct Schreiber {
  int datei;
  uint32_t ende;
  bool ok;
  uint32_t fehler;
};

bool SchreibeBei(Schreiber& s, uint32_t rva, const void* daten, size_t laenge) {
  const char* zeiger = static_cast<const char*>(daten);
  while (s.ok && laenge > 0) {
    // The system call itself: a sanitizer's pwrite would reject the stack's poisoned red zones.
    ssize_t geschrieben = syscall(SYS_pwrite64, s.datei, zeiger, laenge, off_t(rva));
    if (geschrieben < 0 && errno == EINTR) continue;
    if (geschrieben <= 0) {
      s.ok = false;
      s.fehler = uint32_t(geschrieben < 0 ? errno : ENOSPC);
      break;
    }
    zeiger += geschrieben;
    rva += uint32_t(geschrieben);
    laenge -= size_t(geschrieben);
  }
  return s.ok;
}

uint32_t Reserviere(Schreiber& s, size_t laenge) {
  uint32_t rva = s.ende;
  s.ende += uint32_t(laenge);
  return rva;
}

MINIDUMP_LOCATION_DESCRIPTOR Haenge(Schreiber& s, const void* daten, size_t laenge) {
  uint32_t rva = Reserviere(s, laenge);
  SchreibeBei(s, rva, daten, laenge);
  return {uint32_t(laenge), rva};
}

// --- UTF-16 strings (MINIDUMP_STRING: byte length, the characters, a terminating 0) ---

size_t NaechsterCodepunkt(const unsigned char* text, uint32_t* punkt) {
  unsigned char erstes = text[0];
  size_t laenge = erstes < 0x80 ? 1 : (erstes >> 5) == 6 ? 2 : (erstes >> 4) == 14 ? 3 : (erstes >> 3) == 30 ? 4 : 0;
  if (laenge == 0) {
    *punkt = 0xFFFD;
    return 1;
  }
  uint32_t wert = laenge == 1 ? erstes : erstes & (0x7F >> laenge);
  for (size_t i = 1; i < laenge; ++i) {
    if ((text[i] & 0xC0) != 0x80) {
      *punkt = 0xFFFD;
      return i;
    }
    wert = (wert << 6) | (text[i] & 0x3F);
  }
  *punkt = wert;
  return laenge;
}

// Calls `ausgabe` with each UTF-16 unit of the UTF-8 text; returns the count.
template <class Ausgabe>
size_t AlsUtf16(const char* text, Ausgabe ausgabe) {
  const unsigned char* zeiger = reinterpret_cast<const unsigned char*>(text);
  size_t einheiten = 0;
  while (*zeiger) {
    uint32_t punkt = 0;
    zeiger += NaechsterCodepunkt(zeiger, &punkt);
    if (punkt >= 0x10000) {
      punkt -= 0x10000;
      ausgabe(uint16_t(0xD800 | (punkt >> 10)));
      ausgabe(uint16_t(0xDC00 | (punkt & 0x3FF)));
      einheiten += 2;
    } else {
      ausgabe(uint16_t(punkt));
      ++einheiten;
    }
  }
  return einheiten;
}

uint32_t HaengeText(Schreiber& s, const char* text) {
  uint32_t bytes = uint32_t(AlsUtf16(text, [](uint16_t) {}) * 2);
  uint32_t rva = Haenge(s, &bytes, sizeof(bytes)).Rva;
  uint16_t puffer[256];
  size_t gefuellt = 0;
  auto leere = [&] {
    Haenge(s, puffer, gefuellt * 2);
    gefuellt = 0;
  };
  AlsUtf16(text, [&](uint16_t einheit) {
    puffer[gefuellt++] = einheit;
    if (gefuellt == 256) leere();
  });
  puffer[gefuellt++] = 0;
  leere();
  return rva;
}

// --- /proc/self/maps without allocation ---

uintptr_t LiesHex(const char*& zeiger) {
  uintptr_t wert = 0;
  for (;; ++zeiger) {
    char z = *zeiger;
    int ziffer = z >= '0' && z <= '9' ? z - '0' : z >= 'a' && z <= 'f' ? z - 'a' + 10 : -1;
    if (ziffer < 0) return wert;
    wert = wert * 16 + uintptr_t(ziffer);
  }
}

struct Bereich {
  uintptr_t anfang;
  uintptr_t ende;
};

// The readable mapping that holds `adresse`, else the first readable one above it.
Bereich SucheLesbarenBereich(uintptr_t adresse) {
  Bereich bester{0, 0};
  int datei = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (datei < 0) return bester;
  char puffer[PUFFER];
  size_t gefuellt = 0;
  bool fertig = false;
  while (!fertig) {
    ssize_t gelesen = read(datei, puffer + gefuellt, sizeof(puffer) - 1 - gefuellt);
    if (gelesen < 0 && errno == EINTR) continue;
    if (gelesen <= 0) break;
    gefuellt += size_t(gelesen);
    puffer[gefuellt] = '\0';
    char* zeile = puffer;
    while (char* umbruch = strchr(zeile, '\n')) {
      const char* zeiger = zeile;
      uintptr_t anfang = LiesHex(zeiger);
      ++zeiger;
      uintptr_t ende = LiesHex(zeiger);
      bool lesbar = zeiger[1] == 'r';
      zeile = umbruch + 1;
      if (!lesbar || ende <= adresse) continue;
      bester = {anfang, ende};
      fertig = true;
      break;
    }
    gefuellt = size_t(puffer + gefuellt - zeile);
    memmove(puffer, zeile, gefuellt);
  }
  close(datei);
  return bester;
}

// RSP - 128 to the end of its mapping, at most MAX_STAPEL; after an overflow RSP lies in the
// unmapped gap below the stack, then the range starts at the first mapping above it.
Bereich StapelBereich(uintptr_t sp) {
  Bereich abbildung = SucheLesbarenBereich(sp);
  if (abbildung.ende == 0) return abbildung;
  uintptr_t anfang = sp - ROTE_ZONE;
  if (anfang < abbildung.anfang || anfang > sp) anfang = abbildung.anfang;
  uintptr_t ende = abbildung.ende - anfang > MAX_STAPEL ? anfang + MAX_STAPEL : abbildung.ende;
  return {anfang, ende};
}

MINIDUMP_LOCATION_DESCRIPTOR HaengeDatei(Schreiber& s, const char* pfad) {
  MINIDUMP_LOCATION_DESCRIPTOR ort{0, s.ende};
  int datei = open(pfad, O_RDONLY | O_CLOEXEC);
  if (datei < 0) return ort;
  char puffer[PUFFER];
  for (;;) {
    ssize_t gelesen = read(datei, puffer, sizeof(puffer));
    if (gelesen < 0 && errno == EINTR) continue;
    if (gelesen <= 0) break;
    Haenge(s, puffer, size_t(gelesen));
    ort.DataSize += uint32_t(gelesen);
  }
  close(datei);
  return ort;
}

// --- the streams ---

void FuelleKontext(const CONTEXT& kontext, CONTEXT_AMD64* aus) {
  memset(aus, 0, sizeof(*aus));
  const greg_t* r = kontext.zustand->uc_mcontext.gregs;
  aus->ContextFlags = CONTEXT_AMD64_VOLL;
  uint64_t segmente = uint64_t(r[REG_CSGSFS]);
  aus->SegCs = uint16_t(segmente);
  aus->SegGs = uint16_t(segmente >> 16);
  aus->SegFs = uint16_t(segmente >> 32);
  aus->SegSs = uint16_t(segmente >> 48);
  aus->EFlags = uint32_t(r[REG_EFL]);
  aus->Rax = uint64_t(r[REG_RAX]);
  aus->Rcx = uint64_t(r[REG_RCX]);
  aus->Rdx = uint64_t(r[REG_RDX]);
  aus->Rbx = uint64_t(r[REG_RBX]);
  aus->Rsp = uint64_t(r[REG_RSP]);
  aus->Rbp = uint64_t(r[REG_RBP]);
  aus->Rsi = uint64_t(r[REG_RSI]);
  aus->Rdi = uint64_t(r[REG_RDI]);
  aus->R8 = uint64_t(r[REG_R8]);
  aus->R9 = uint64_t(r[REG_R9]);
  aus->R10 = uint64_t(r[REG_R10]);
  aus->R11 = uint64_t(r[REG_R11]);
  aus->R12 = uint64_t(r[REG_R12]);
  aus->R13 = uint64_t(r[REG_R13]);
  aus->R14 = uint64_t(r[REG_R14]);
  aus->R15 = uint64_t(r[REG_R15]);
  aus->Rip = uint64_t(r[REG_RIP]);
  if (const _libc_fpstate* gleitkomma = kontext.zustand->uc_mcontext.fpregs) {
    static_assert(sizeof(*gleitkomma) == sizeof(aus->FltSave));
    memcpy(aus->FltSave, gleitkomma, sizeof(aus->FltSave));
    aus->MxCsr = gleitkomma->mxcsr;
  }
}

MINIDUMP_LOCATION_DESCRIPTOR HaengeSystemInfo(Schreiber& s) {
  MINIDUMP_SYSTEM_INFO info{};
  info.ProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
  long prozessoren = sysconf(_SC_NPROCESSORS_ONLN);
  info.NumberOfProcessors = uint8_t(prozessoren > 255 ? 255 : prozessoren < 1 ? 1 : prozessoren);
  info.PlatformId = PLATFORM_ID_LINUX;
  uint32_t rva = Reserviere(s, sizeof(info));
  struct utsname system;
  char text[sizeof(system) + 8] = "";
  if (uname(&system) == 0) {
    strcpy(text, system.sysname);
    for (const char* teil : {system.release, system.version, system.machine}) {
      strcat(text, " ");
      strcat(text, teil);
    }
  }
  info.CSDVersionRva = HaengeText(s, text);
  SchreibeBei(s, rva, &info, sizeof(info));
  return {uint32_t(sizeof(info)), rva};
}

struct Modulliste {
  Schreiber* schreiber;
  uint32_t tabelle;  // RVA of the first record
  uint32_t anzahl;
  uint32_t geschrieben;
};

void ZaehleModul(const ModulInfo&, void* daten) { ++static_cast<Modulliste*>(daten)->anzahl; }

void SchreibeModul(const ModulInfo& modul, void* daten) {
  Modulliste& liste = *static_cast<Modulliste*>(daten);
  if (liste.geschrieben >= liste.anzahl) return;
  Schreiber& s = *liste.schreiber;
  MINIDUMP_MODULE eintrag{};
  eintrag.BaseOfImage = modul.basis;
  eintrag.SizeOfImage = uint32_t(modul.groesse);
  eintrag.ModuleNameRva = HaengeText(s, modul.pfad);
  unsigned char codeView[4 + MAX_BUILD_ID];
  memcpy(codeView, &CV_SIGNATURE_ELF_BUILD_ID, 4);
  memcpy(codeView + 4, modul.buildId, modul.buildIdLaenge);
  eintrag.CvRecord = Haenge(s, codeView, 4 + modul.buildIdLaenge);
  SchreibeBei(s, liste.tabelle + liste.geschrieben * uint32_t(sizeof(eintrag)), &eintrag, sizeof(eintrag));
  ++liste.geschrieben;
}

MINIDUMP_LOCATION_DESCRIPTOR HaengeModulliste(Schreiber& s) {
  Modulliste liste{&s, 0, 0, 0};
  DurchlaufeModule(ZaehleModul, &liste);
  uint32_t rva = Reserviere(s, 4 + size_t(liste.anzahl) * sizeof(MINIDUMP_MODULE));
  liste.tabelle = rva + 4;
  DurchlaufeModule(SchreibeModul, &liste);
  SchreibeBei(s, rva, &liste.geschrieben, 4);
  return {4 + liste.geschrieben * uint32_t(sizeof(MINIDUMP_MODULE)), rva};
}

MINIDUMP_MEMORY_DESCRIPTOR HaengeStapel(Schreiber& s, uintptr_t sp) {
  Bereich stapel = StapelBereich(sp);
  size_t laenge = stapel.ende - stapel.anfang;
  return {stapel.anfang, Haenge(s, reinterpret_cast<const void*>(stapel.anfang), laenge)};
}

}  // namespace

HANDLE GetCurrentProcess() { return -1; }
uint32_t GetCurrentProcessId() { return uint32_t(getpid()); }

bool MiniDumpWriteDump(HANDLE, uint32_t, HANDLE datei, MINIDUMP_TYPE, const MINIDUMP_EXCEPTION_INFORMATION* ausnahme) {
  if (!ausnahme || !ausnahme->ExceptionPointers) {
    SetzeLetztenFehler(EINVAL);
    return false;
  }
  const CONTEXT& kontext = *ausnahme->ExceptionPointers->ContextRecord;
  Schreiber s{int(datei), 0, true, 0};
  Reserviere(s, sizeof(MINIDUMP_HEADER));
  uint32_t verzeichnisRva = Reserviere(s, ANZAHL_STROEME * sizeof(MINIDUMP_DIRECTORY));
  MINIDUMP_DIRECTORY verzeichnis[ANZAHL_STROEME] = {};

  verzeichnis[0] = {SystemInfoStream, HaengeSystemInfo(s)};

  CONTEXT_AMD64 register_;
  FuelleKontext(kontext, &register_);
  MINIDUMP_LOCATION_DESCRIPTOR kontextOrt = Haenge(s, &register_, sizeof(register_));
  MINIDUMP_MEMORY_DESCRIPTOR stapel = HaengeStapel(s, uintptr_t(register_.Rsp));

  struct {
    uint32_t anzahl;
    MINIDUMP_THREAD faden;
  } __attribute__((packed)) fadenliste{1, {}};
  fadenliste.faden.ThreadId = ausnahme->ThreadId;
  fadenliste.faden.Stack = stapel;
  fadenliste.faden.ThreadContext = kontextOrt;
  verzeichnis[1] = {ThreadListStream, Haenge(s, &fadenliste, sizeof(fadenliste))};

  uint32_t einBereich = 1;
  MINIDUMP_LOCATION_DESCRIPTOR speicherOrt = Haenge(s, &einBereich, 4);
  Haenge(s, &stapel, sizeof(stapel));
  speicherOrt.DataSize = 4 + sizeof(stapel);
  verzeichnis[2] = {MemoryListStream, speicherOrt};

  MINIDUMP_EXCEPTION_STREAM strom{};
  strom.ThreadId = ausnahme->ThreadId;
  strom.ExceptionRecord.ExceptionCode = uint32_t(kontext.signal);
  strom.ExceptionRecord.ExceptionFlags = uint32_t(kontext.info->si_code);
  strom.ExceptionRecord.ExceptionAddress = uint64_t(uintptr_t(kontext.info->si_addr));
  strom.ThreadContext = kontextOrt;
  verzeichnis[3] = {ExceptionStream, Haenge(s, &strom, sizeof(strom))};

  verzeichnis[4] = {ModuleListStream, HaengeModulliste(s)};
  verzeichnis[5] = {LinuxMapsStream, HaengeDatei(s, "/proc/self/maps")};
  verzeichnis[6] = {LinuxProcStatusStream, HaengeDatei(s, "/proc/self/status")};

  SchreibeBei(s, verzeichnisRva, verzeichnis, sizeof(verzeichnis));
  MINIDUMP_HEADER kopf{MINIDUMP_SIGNATURE, MINIDUMP_VERSION, ANZAHL_STROEME, verzeichnisRva, 0, 0, 0};
  SchreibeBei(s, 0, &kopf, sizeof(kopf));
  if (!s.ok) SetzeLetztenFehler(s.fehler);
  return s.ok;
}

}  // namespace win32

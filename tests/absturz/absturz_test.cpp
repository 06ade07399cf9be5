// The crash handler, in forked children that really crash: the report in the log, the death by
// the right signal, the minidump's content, and what a debugger reads from it.
#include "absturz/gabel.h"
#include "absturz/minidump_leser.h"
#include "absturz/ziele.h"

#include "Einstieg.h"
#include "StackWalker.h"
#include "Zarvo_AbsturzFilter.h"
#include "Zarvo_Parallel.h"
#include "Zarvo_Start.h"

#include <gtest/gtest.h>

#include <elf.h>
#include <link.h>
#include <pthread.h>
#include <ucontext.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using Gabel::Ergebnis;

const std::string REGEL(84, '*');
constexpr size_t PRAEFIX = 21;  // "0000:000000 (t1234): "

struct Zeile {
  std::string faden;  // the thread tag
  std::string text;   // after the prefix
};

std::vector<Zeile> Zeilen(const std::string& log) {
  std::vector<Zeile> zeilen;
  std::istringstream strom(log);
  std::string zeile;
  while (std::getline(strom, zeile))
    if (zeile.size() >= PRAEFIX) zeilen.push_back({zeile.substr(13, 5), zeile.substr(PRAEFIX)});
  return zeilen;
}

// The report: from the rule to the end of the log.
std::vector<Zeile> Bericht(const std::string& log) {
  std::vector<Zeile> zeilen = Zeilen(log);
  auto regel = std::find_if(zeilen.begin(), zeilen.end(), [](const Zeile& z) { return z.text == REGEL; });
  return std::vector<Zeile>(regel, zeilen.end());
}

std::string ProgrammPfad() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

bool BeginntMit(const std::string& text, const std::string& anfang) { return text.rfind(anfang, 0) == 0; }
bool EndetMit(const std::string& text, const std::string& ende) {
  return text.size() >= ende.size() && text.compare(text.size() - ende.size(), ende.size(), ende) == 0;
}

// --- the module segments of the own process, for the fault-address line ---

struct SegmentSuche {
  std::string pfad;
  uint32_t segment;
  uint64_t adresse;
  bool ausfuehrbar = false;
  uint64_t segmentAnfang = 0;
  bool gefunden = false;
};

int PruefeSegment(dl_phdr_info* info, size_t, void* roh) {
  SegmentSuche& suche = *static_cast<SegmentSuche*>(roh);
  std::string pfad = info->dlpi_name && info->dlpi_name[0] ? info->dlpi_name : ProgrammPfad();
  if (pfad != suche.pfad) return 0;
  uint32_t nummer = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type != PT_LOAD || ++nummer != suche.segment) continue;
    suche.segmentAnfang = info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
    suche.ausfuehrbar = info->dlpi_phdr[i].p_flags & PF_X;
    suche.gefunden = true;
    return 1;
  }
  return 0;
}

struct FehlerAdresse {
  uint64_t adresse = 0;
  uint32_t segment = 0, versatz = 0;
  std::string pfad;
};

FehlerAdresse LiesFehlerAdresse(const std::string& text) {
  FehlerAdresse ort;
  char pfad[4096] = "";
  unsigned long long adresse = 0;
  unsigned segment = 0, versatz = 0;
  sscanf(text.c_str(), "Fault address:  %llX %X:%X %4095[^\n]", &adresse, &segment, &versatz, pfad);
  ort.adresse = adresse;
  ort.segment = segment;
  ort.versatz = versatz;
  ort.pfad = pfad;
  return ort;
}

// Base + segment address + offset = address, in an executable segment of that module.
void PruefeFehlerAdresse(const std::string& text) {
  ASSERT_TRUE(BeginntMit(text, "Fault address:  ")) << text;
  FehlerAdresse ort = LiesFehlerAdresse(text);
  SegmentSuche suche{ort.pfad, ort.segment, ort.adresse};
  dl_iterate_phdr(PruefeSegment, &suche);
  ASSERT_TRUE(suche.gefunden) << text;
  EXPECT_TRUE(suche.ausfuehrbar) << text;
  EXPECT_EQ(suche.segmentAnfang + ort.versatz, ort.adresse) << text;
}

std::string Dateiname(const std::string& pfad) { return std::filesystem::path(pfad).filename().string(); }

// --- the cases ---

enum class Rahmen {
  MitZeile,    // frame 0: ziele.cpp at the faulting line; frame 1: the call in RufeZiel
  Irgendwo,    // the faulting line is among the frames (callers of abort, throwers)
  Ueberlauf,   // frame 0: the recursion with file and line; more frames counted
  OhneZeilen,  // frame 0 without file: address, the program's file name, the function
  Anonym,      // frame 0 in no module; frame 1 the call into it
  NachFalle,   // frame 0 the function (a trap reports the instruction after it); frame 1 the call
};

struct Fall {
  const char* name;
  void (*ziel)();
  bool aufFaden;
  bool ueberEinstieg;  // run inside Spiel::Einstieg
  const char* ausnahme;
  int signal;
  Rahmen rahmen;
  bool dumpPruefen;
};

// Runs `lauf` on a stack of its own without callers: an exception leaving it finds no handler
// (GoogleTest's would catch it) and reaches the terminate hook with the thrower's frames intact.
void OhneAufrufer(void (*lauf)()) {
  static ucontext_t zurueck, neu;
  static std::vector<char> stapel(1 << 20);
  getcontext(&neu);
  neu.uc_stack.ss_sp = stapel.data();
  neu.uc_stack.ss_size = stapel.size();
  neu.uc_link = &zurueck;
  makecontext(&neu, lauf, 0);
  swapcontext(&zurueck, &neu);
}

void (*einstiegsZiel)() = nullptr;

void Starte(const Fall& fall) {
  if (fall.ueberEinstieg) {
    einstiegsZiel = fall.ziel;
    OhneAufrufer([] { Spiel::Einstieg([] { Ziele::RufeZiel(einstiegsZiel); }); });
  } else if (fall.aufFaden) {
    Ziele::AufFaden(fall.ziel);
  } else {
    Ziele::RufeZiel(fall.ziel);
  }
}

const Fall FAELLE[] = {
    {"NullzeigerAufHauptfaden", Ziele::SchreibeNullzeiger, false, false, "C0000005 ACCESS_VIOLATION", SIGSEGV, Rahmen::MitZeile, true},
    {"NullzeigerAufFaden", Ziele::SchreibeNullzeiger, true, false, "C0000005 ACCESS_VIOLATION", SIGSEGV, Rahmen::MitZeile, true},
    {"UeberlaufAufHauptfaden", Ziele::RekursiereEndlos, false, false, "C00000FD STACK_OVERFLOW", SIGSEGV, Rahmen::Ueberlauf, true},
    {"UeberlaufAufFaden", Ziele::RekursiereEndlos, true, false, "C00000FD STACK_OVERFLOW", SIGSEGV, Rahmen::Ueberlauf, true},
    {"GanzzahlDurchNull", Ziele::TeileGanzzahlDurchNull, false, false, "C0000094 INT_DIVIDE_BY_ZERO", SIGFPE, Rahmen::MitZeile, false},
    {"Falle", Ziele::FuehreFalleAus, false, false, "C000001D ILLEGAL_INSTRUCTION", SIGILL, Rahmen::MitZeile, false},
    {"Bruchpunkt", Ziele::HalteAnBruchpunkt, false, false, "80000003 BREAKPOINT", SIGTRAP, Rahmen::NachFalle, false},
    {"HinterDateiende", Ziele::LiesHinterDateiende, false, false, "C0000006 IN_PAGE_ERROR", SIGBUS, Rahmen::MitZeile, false},
    {"GleitkommaDurchNull", Ziele::TeileGleitkommaDurchNull, false, false, "C000008E FLT_DIVIDE_BY_ZERO", SIGFPE, Rahmen::MitZeile, false},
    {"Abort", Ziele::RufeAbort, false, false, "E0000006 Aborted", SIGABRT, Rahmen::Irgendwo, true},
    {"RaiseSigsegv", Ziele::SendeSigsegv, false, false, "C0000005 ACCESS_VIOLATION", SIGSEGV, Rahmen::Irgendwo, false},
    {"AusnahmeAusEinstieg", Ziele::WirfLaufzeitFehler, false, true, "E06D7363 C++ exception std::runtime_error: kaputt", SIGABRT, Rahmen::Irgendwo, true},
    {"GanzzahlGeworfenAufFaden", Ziele::WirfGanzzahl, true, false, "E06D7363 C++ exception int", SIGABRT, Rahmen::Irgendwo, false},
    {"AnonymerCode", Ziele::SpringeInAnonymenCode, false, false, "C000001D ILLEGAL_INSTRUCTION", SIGILL, Rahmen::Anonym, false},
    {"OhneZeilen", Ziele::SchreibeNullzeigerOhneZeilen, false, false, "C0000005 ACCESS_VIOLATION", SIGSEGV, Rahmen::OhneZeilen, false},
};

std::string MitZeile(int zeile, const char* funktion) {
  return "ziele.cpp (" + std::to_string(zeile) + "): " + funktion;
}

void PruefeRahmen(const Fall& fall, const std::vector<Zeile>& rahmen) {
  ASSERT_GE(rahmen.size(), 2u);
  const std::string& erster = rahmen[0].text;
  const std::string& zweiter = rahmen[1].text;
  const char* funktion = const_cast<const char*>(Ziele::g_Orte.funktion);
  std::string aufruf = MitZeile(Ziele::g_Orte.aufrufZeile, "Ziele::RufeZiel(void (*)())");
  switch (fall.rahmen) {
    case Rahmen::MitZeile:
      EXPECT_TRUE(EndetMit(erster, MitZeile(Ziele::g_Orte.fehlerZeile, funktion))) << erster;
      EXPECT_TRUE(EndetMit(zweiter, aufruf)) << zweiter;
      break;
    case Rahmen::Irgendwo: {
      std::string gesucht = MitZeile(Ziele::g_Orte.fehlerZeile, funktion);
      bool gefunden = std::any_of(rahmen.begin(), rahmen.end(), [&](const Zeile& z) { return EndetMit(z.text, gesucht); });
      EXPECT_TRUE(gefunden) << "no frame ends in " << gesucht;
      break;
    }
    case Rahmen::Ueberlauf:
      EXPECT_TRUE(erster.find("ziele.cpp (") != std::string::npos && EndetMit(erster, funktion)) << erster;
      EXPECT_TRUE(EndetMit(zweiter, funktion)) << zweiter;
      EXPECT_EQ(rahmen.size(), size_t(StackWalker::MAX_RAHMEN) + 1);
      EXPECT_TRUE(BeginntMit(rahmen.back().text, "(") && EndetMit(rahmen.back().text, " more frames)")) << rahmen.back().text;
      break;
    case Rahmen::OhneZeilen:
      EXPECT_TRUE(BeginntMit(erster, "0x")) << erster;
      EXPECT_TRUE(EndetMit(erster, " (" + Dateiname(ProgrammPfad()) + "): (filename not available): " + funktion)) << erster;
      EXPECT_TRUE(EndetMit(zweiter, aufruf)) << zweiter;
      break;
    case Rahmen::NachFalle:
      EXPECT_TRUE(erster.find("ziele.cpp (") != std::string::npos && EndetMit(erster, funktion)) << erster;
      EXPECT_TRUE(EndetMit(zweiter, aufruf)) << zweiter;
      break;
    case Rahmen::Anonym:
      EXPECT_TRUE(BeginntMit(erster, "0x")) << erster;
      EXPECT_TRUE(EndetMit(erster, " ((module-name not available)): (filename not available): (function-name not available)")) << erster;
      EXPECT_TRUE(EndetMit(zweiter, MitZeile(Ziele::g_Orte.fehlerZeile, "Ziele::SpringeInAnonymenCode()"))) << zweiter;
      break;
  }
}

void PruefeBericht(const Fall& fall, const Ergebnis& ergebnis) {
  ASSERT_FALSE(ergebnis.haengt) << "hangs";
  EXPECT_TRUE(WIFSIGNALED(ergebnis.status) && WTERMSIG(ergebnis.status) == fall.signal)
      << "status " << ergebnis.status << "\n" << ergebnis.fehlerStrom;
  std::vector<Zeile> bericht = Bericht(ergebnis.log);
  ASSERT_GE(bericht.size(), 5u) << ergebnis.log;
  EXPECT_EQ(bericht[1].text, std::string("!Exception code: ") + fall.ausnahme);
  if (fall.rahmen == Rahmen::Anonym)
    EXPECT_TRUE(EndetMit(bericht[2].text, " 00:00000000 ")) << bericht[2].text;
  else
    PruefeFehlerAdresse(bericht[2].text);
  EXPECT_EQ(bericht.back().text, "Minidump created.");
  PruefeRahmen(fall, std::vector<Zeile>(bericht.begin() + 3, bericht.end() - 1));
  std::string hauptFaden = Zeilen(ergebnis.log).front().faden;  // "Log-Start"
  for (const Zeile& zeile : bericht)
    EXPECT_EQ(zeile.faden != hauptFaden, fall.aufFaden) << "thread tag of: " << zeile.text;
}

// --- the dump ---

std::vector<unsigned char> EigeneBuildId() {
  std::vector<unsigned char> id;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* roh) {
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          if (info->dlpi_phdr[i].p_type != PT_NOTE) continue;
          auto* zeiger = reinterpret_cast<const unsigned char*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
          auto* ende = zeiger + info->dlpi_phdr[i].p_memsz;
          while (zeiger + sizeof(ElfW(Nhdr)) <= ende) {
            auto* notiz = reinterpret_cast<const ElfW(Nhdr)*>(zeiger);
            auto* inhalt = zeiger + sizeof(ElfW(Nhdr)) + ((notiz->n_namesz + 3) & ~3u);
            if (notiz->n_type == NT_GNU_BUILD_ID)
              static_cast<std::vector<unsigned char>*>(roh)->assign(inhalt, inhalt + notiz->n_descsz);
            zeiger = inhalt + ((notiz->n_descsz + 3) & ~3u);
          }
        }
        return 1;  // the program is the first module
      },
      &id);
  return id;
}

struct Abbildung {
  uint64_t anfang, ende;
  bool lesbar;
};

std::vector<Abbildung> LiesMaps(const std::string& maps) {
  std::vector<Abbildung> abbildungen;
  std::istringstream strom(maps);
  std::string zeile;
  while (std::getline(strom, zeile)) {
    unsigned long long anfang = 0, ende = 0;
    char rechte[5] = "";
    if (sscanf(zeile.c_str(), "%llx-%llx %4s", &anfang, &ende, rechte) == 3) abbildungen.push_back({anfang, ende, rechte[0] == 'r'});
  }
  return abbildungen;
}

void PruefeDump(const Fall& fall, const Ergebnis& ergebnis) {
  GelesenerDump dump = LiesMinidump(ergebnis.dump());
  ASSERT_EQ(dump.fehler, "");
  EXPECT_EQ(dump.kopf.Signature, win32::MINIDUMP_SIGNATURE);
  EXPECT_EQ(dump.kopf.Version & 0xFFFF, win32::MINIDUMP_VERSION);
  for (uint32_t strom : {3u, 4u, 5u, 6u, 7u, 0x47670009u}) EXPECT_EQ(dump.stroeme.count(strom), 1u) << "stream " << strom;
  EXPECT_EQ(dump.hoechstesEnde, dump.dateiGroesse) << "bytes behind the last stream";

  ASSERT_EQ(dump.faeden.size(), 1u);
  const win32::MINIDUMP_THREAD& faden = dump.faeden[0];
  std::vector<Zeile> bericht = Bericht(ergebnis.log);
  ASSERT_GE(bericht.size(), 3u);
  char kennung[8];
  snprintf(kennung, sizeof(kennung), "t%04x", unsigned(Zarvo_Log::FadenKennung(faden.ThreadId)));
  EXPECT_EQ(bericht[0].faden, kennung) << "the dumped thread is not the reporting one";
  if (!fall.aufFaden) {
    EXPECT_EQ(faden.ThreadId, uint32_t(ergebnis.kind));
  }
  EXPECT_EQ(dump.fadenKontext.Rip, LiesFehlerAdresse(bericht[2].text).adresse);

  uint64_t rsp = dump.fadenKontext.Rsp, stapel = faden.Stack.StartOfMemoryRange;
  std::vector<Abbildung> maps = LiesMaps(dump.maps);
  auto abbildung = std::find_if(maps.begin(), maps.end(), [&](const Abbildung& a) { return a.lesbar && a.ende > rsp; });
  ASSERT_NE(abbildung, maps.end());
  EXPECT_GE(stapel, abbildung->anfang);
  EXPECT_LE(stapel + faden.Stack.Memory.DataSize, abbildung->ende);
  // An overflow usually faults with RSP already below the stack mapping; the copy then starts at
  // the mapping. A frame probed below RSP can also fault while RSP is still inside it (seen under
  // ASan's larger frames); then the copy holds RSP as for any other crash.
  if (fall.rahmen == Rahmen::Ueberlauf && stapel > rsp) {
    EXPECT_EQ(abbildung->anfang, stapel) << "overflow: the stack copy starts at the mapping above RSP "
                                         << std::hex << rsp;
  } else {
    EXPECT_TRUE(stapel <= rsp && rsp < stapel + faden.Stack.Memory.DataSize)
        << "RSP " << std::hex << rsp << " not in the stack copy at " << stapel << " of "
        << faden.Stack.Memory.DataSize << " bytes";
  }
  ASSERT_EQ(dump.speicher.size(), 1u);
  EXPECT_EQ(dump.speicher[0].StartOfMemoryRange, stapel);

  EXPECT_EQ(dump.ausnahme.ExceptionRecord.ExceptionCode, uint32_t(fall.signal));
  EXPECT_EQ(dump.ausnahme.ThreadId, faden.ThreadId);
  EXPECT_EQ(dump.ausnahme.ThreadContext.Rva, faden.ThreadContext.Rva);

  auto programm = std::find_if(dump.module.begin(), dump.module.end(), [](const GelesenesModul& m) { return m.name == ProgrammPfad(); });
  ASSERT_NE(programm, dump.module.end());
  EXPECT_EQ(programm->buildId, EigeneBuildId());
  EXPECT_FALSE(programm->buildId.empty());
  EXPECT_TRUE(std::any_of(dump.module.begin(), dump.module.end(), [](const GelesenesModul& m) { return m.name.find("/libc.so") != std::string::npos; }));
  std::vector<GelesenesModul> sortiert = dump.module;
  std::sort(sortiert.begin(), sortiert.end(), [](const auto& a, const auto& b) { return a.basis < b.basis; });
  for (size_t i = 1; i < sortiert.size(); ++i)
    EXPECT_LE(sortiert[i - 1].basis + sortiert[i - 1].groesse, sortiert[i].basis) << sortiert[i - 1].name << " overlaps " << sortiert[i].name;
}

void PrintTo(const Fall& fall, std::ostream* aus) { *aus << fall.name; }

class AbsturzBericht : public testing::TestWithParam<Fall> {};

TEST_P(AbsturzBericht, LogtBerichtUndStirbtAmSignal) {
  const Fall& fall = GetParam();
  Ergebnis ergebnis = Gabel::FuehreAus([&] { Starte(fall); });
  PruefeBericht(fall, ergebnis);
  if (fall.dumpPruefen) PruefeDump(fall, ergebnis);
  if (fall.ueberEinstieg) {
    EXPECT_FALSE(std::filesystem::exists(ergebnis.ordner / "spiel.cfg"));
  }
}

INSTANTIATE_TEST_SUITE_P(Faelle, AbsturzBericht, testing::ValuesIn(FAELLE),
                         [](const testing::TestParamInfo<Fall>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

size_t Anzahl(const std::string& text, const std::string& teil) {
  size_t anzahl = 0;
  for (size_t stelle = text.find(teil); stelle != std::string::npos; stelle = text.find(teil, stelle + 1)) ++anzahl;
  return anzahl;
}

bool StirbtAn(const Ergebnis& ergebnis, int signal) {
  return !ergebnis.haengt && WIFSIGNALED(ergebnis.status) && WTERMSIG(ergebnis.status) == signal;
}

TEST(Absturz, QueuedLinesOfOtherThreadsComeBeforeTheReport) {
  Ergebnis ergebnis = Gabel::FuehreAus([] {
    g_Log.Schreibe("A");
    std::thread([] {
      for (int i = 1; i <= 50; ++i) g_Log.Schreibe("B%d", i);
    }).join();
    Ziele::RufeZiel(Ziele::SchreibeNullzeiger);
  });
  ASSERT_TRUE(StirbtAn(ergebnis, SIGSEGV));
  std::vector<std::string> texte;
  for (const Zeile& zeile : Zeilen(ergebnis.log)) texte.push_back(zeile.text);
  std::vector<std::string> erwartet{"Log-Start", "A"};
  for (int i = 1; i <= 50; ++i) erwartet.push_back("B" + std::to_string(i));
  erwartet.push_back(REGEL);
  ASSERT_GE(texte.size(), erwartet.size());
  EXPECT_EQ(std::vector<std::string>(texte.begin(), texte.begin() + long(erwartet.size())), erwartet);
}

TEST(Absturz, WithoutStartedLogTheReportGoesToStderr) {
  Gabel::Optionen optionen;
  optionen.logStarten = false;
  Ergebnis ergebnis = Gabel::FuehreAus([] { Ziele::RufeZiel(Ziele::SchreibeNullzeiger); }, optionen);
  EXPECT_TRUE(StirbtAn(ergebnis, SIGSEGV));
  EXPECT_FALSE(ergebnis.hatLog);
  std::vector<Zeile> bericht = Bericht(ergebnis.fehlerStrom);
  ASSERT_GE(bericht.size(), 4u) << ergebnis.fehlerStrom;
  EXPECT_EQ(bericht[1].text, "!Exception code: C0000005 ACCESS_VIOLATION");
  EXPECT_EQ(bericht.back().text, "Minidump created.");
  EXPECT_EQ(LiesMinidump(ergebnis.dump()).fehler, "");
}

TEST(Absturz, TwoThreadsCrashingAtOnceGiveOneReport) {
  Ergebnis ergebnis = Gabel::FuehreAus([] {
    static pthread_barrier_t schranke;
    pthread_barrier_init(&schranke, nullptr, 2);
    auto laeufer = [] {
      // Threads of the engine have the guarantee; without it the report would run on whatever
      // alternate stack a sanitizer gave the thread, too small for it.
      unsigned long garantie = 0;
      win32::SetThreadStackGuarantee(&garantie);
      pthread_barrier_wait(&schranke);
      Ziele::RufeZiel(Ziele::SchreibeNullzeiger);
    };
    std::thread erster(laeufer), zweiter(laeufer);
    erster.join();
    zweiter.join();
  });
  EXPECT_TRUE(StirbtAn(ergebnis, SIGSEGV)) << "status " << ergebnis.status << (ergebnis.haengt ? " (hangs)" : "");
  EXPECT_EQ(Anzahl(ergebnis.log, "!Exception code: "), 1u) << ergebnis.log;
  EXPECT_EQ(Anzahl(ergebnis.log, "Minidump created."), 1u);
  EXPECT_EQ(LiesMinidump(ergebnis.dump()).faeden.size(), 1u);
}

void SchreibeMarke() {
  const char marke[] = "VORHERIGER-HANDLER\n";
  ssize_t geschrieben [[maybe_unused]] = write(2, marke, sizeof(marke) - 1);
}

void SchreibeMarkeUndEnde(int) {
  SchreibeMarke();
  _exit(42);
}

TEST(Absturz, HandsTheSignalToTheHandlerInstalledBefore) {
  Ergebnis ergebnis = Gabel::FuehreAus([] {
    EntferneAbsturzFilter();
    std::signal(SIGSEGV, SchreibeMarkeUndEnde);
    InstalliereAbsturzFilter();
    Ziele::RufeZiel(Ziele::SchreibeNullzeiger);
  });
  ASSERT_FALSE(ergebnis.haengt);
  EXPECT_TRUE(WIFEXITED(ergebnis.status) && WEXITSTATUS(ergebnis.status) == 42) << "status " << ergebnis.status;
  size_t regel = ergebnis.fehlerStrom.find(REGEL);
  size_t dump = ergebnis.fehlerStrom.find("Minidump created.");
  size_t marke = ergebnis.fehlerStrom.find("VORHERIGER-HANDLER");
  ASSERT_NE(regel, std::string::npos) << ergebnis.fehlerStrom;
  EXPECT_LT(regel, dump);
  EXPECT_NE(marke, std::string::npos);
  EXPECT_LT(dump, marke);
  EXPECT_TRUE(std::filesystem::exists(ergebnis.dump()));
}

void MarkeUndZurueck(int) { SchreibeMarke(); }
void MarkeUndAbbruch(int) {
  SchreibeMarke();
  abort();
}

struct VorherigerHandler {
  const char* name;
  void (*handler)(int);
  int signal;  // the child dies by it
};

// A handler that returns would meet the repeated fault again and again; one that crashes itself
// gets no second report.
const VorherigerHandler VORHERIGE_HANDLER[] = {
    {"KehrtZurueck", MarkeUndZurueck, SIGSEGV},
    {"BrichtAb", MarkeUndAbbruch, SIGABRT},
};

void PrintTo(const VorherigerHandler& fall, std::ostream* aus) { *aus << fall.name; }

class AbsturzVorherigerHandler : public testing::TestWithParam<VorherigerHandler> {};

TEST_P(AbsturzVorherigerHandler, OneReportThenDeathByTheSignal) {
  static void (*handler)(int);
  handler = GetParam().handler;
  Ergebnis ergebnis = Gabel::FuehreAus([] {
    EntferneAbsturzFilter();
    std::signal(SIGSEGV, handler);
    InstalliereAbsturzFilter();
    Ziele::RufeZiel(Ziele::SchreibeNullzeiger);
  });
  EXPECT_TRUE(StirbtAn(ergebnis, GetParam().signal)) << "status " << ergebnis.status << (ergebnis.haengt ? " (hangs)" : "");
  EXPECT_EQ(Anzahl(ergebnis.fehlerStrom, "VORHERIGER-HANDLER"), 1u) << ergebnis.fehlerStrom;
  EXPECT_EQ(Anzahl(ergebnis.log, "!Exception code: "), 1u) << ergebnis.log;
  EXPECT_EQ(Anzahl(ergebnis.log, "Minidump created."), 1u) << ergebnis.log;
}

INSTANTIATE_TEST_SUITE_P(Faelle, AbsturzVorherigerHandler, testing::ValuesIn(VORHERIGE_HANDLER),
                         [](const testing::TestParamInfo<VorherigerHandler>& info) { return std::string(info.param.name); });

TEST(Absturz, AfterRemovalACrashIsNotReported) {
  Ergebnis ergebnis = Gabel::FuehreAus([] {
    EntferneAbsturzFilter();
    Ziele::RufeZiel(Ziele::SchreibeNullzeiger);
  });
  EXPECT_TRUE(StirbtAn(ergebnis, SIGSEGV));
  EXPECT_EQ(ergebnis.log.find(REGEL), std::string::npos) << ergebnis.log;
  EXPECT_FALSE(std::filesystem::exists(ergebnis.dump()));
}

struct DumpFehler {
  const char* name;
  void (*vorbereiten)(const std::filesystem::path& ordner);
  const char* meldung;  // the dump line
};

void OrdnerUnterDatei(const std::filesystem::path& ordner) {
  std::ofstream(ordner / "datei") << "x";
  g_System.benutzerDaten = ordner / "datei" / "unten";
  InstalliereAbsturzFilter();
}

void DumpAufVollesGeraet(const std::filesystem::path& ordner) { std::filesystem::create_symlink("/dev/full", ordner / "MiniDump.dmp"); }

void AlterGroesserDump(const std::filesystem::path& ordner) {
  std::ofstream(ordner / "MiniDump.dmp", std::ios::binary) << std::string(4 << 20, 'Z');
}

const DumpFehler DUMP_FEHLER[] = {
    {"OrdnerUnterDatei", OrdnerUnterDatei, "MiniDump, CreateFile() failed with error: 20"},
    {"VollesGeraet", DumpAufVollesGeraet, "Minidump failed with error code 28"},
    {"AlterGroesserDump", AlterGroesserDump, "Minidump created."},
};

class AbsturzDumpFehler : public testing::TestWithParam<DumpFehler> {};

TEST_P(AbsturzDumpFehler, LeavesTheFullReport) {
  Gabel::Optionen optionen;
  optionen.vorbereiten = GetParam().vorbereiten;
  Ergebnis ergebnis = Gabel::FuehreAus([] { Ziele::RufeZiel(Ziele::SchreibeNullzeiger); }, optionen);
  EXPECT_TRUE(StirbtAn(ergebnis, SIGSEGV));
  std::vector<Zeile> bericht = Bericht(ergebnis.log);
  ASSERT_GE(bericht.size(), 5u) << ergebnis.log;
  EXPECT_EQ(bericht[1].text, "!Exception code: C0000005 ACCESS_VIOLATION");
  EXPECT_TRUE(EndetMit(bericht[3].text, MitZeile(Ziele::g_Orte.fehlerZeile, "Ziele::SchreibeNullzeiger()"))) << bericht[3].text;
  EXPECT_EQ(bericht.back().text, GetParam().meldung);
  if (std::string(GetParam().name) == "AlterGroesserDump") {
    GelesenerDump dump = LiesMinidump(ergebnis.dump());
    EXPECT_EQ(dump.fehler, "");
    EXPECT_EQ(dump.dateiGroesse, dump.hoechstesEnde) << "stale bytes of the old dump";
  }
}

INSTANTIATE_TEST_SUITE_P(Faelle, AbsturzDumpFehler, testing::ValuesIn(DUMP_FEHLER),
                         [](const testing::TestParamInfo<DumpFehler>& info) { return std::string(info.param.name); });

// --- the debugger ---

std::string Lldb(const std::filesystem::path& dump, const std::string& programm) {
  std::string befehl = "PYTHONPATH=/usr/lib/llvm-14/lib/python3.11/dist-packages " LLDB_PROGRAMM " -b -x -o bt --core '" +
                       dump.string() + "' '" + programm + "' 2>&1";
  std::string ausgabe;
  FILE* rohr = popen(befehl.c_str(), "r");
  if (!rohr) return ausgabe;
  char puffer[4096];
  while (size_t gelesen = fread(puffer, 1, sizeof(puffer), rohr)) ausgabe.append(puffer, gelesen);
  pclose(rohr);
  return ausgabe;
}

struct DebuggerFall {
  const char* name;
  void (*ziel)();
  bool aufFaden;
  const char* halt;     // the stop reason
  bool ersterRahmen;    // the function is frame #0 (else among the frames)
};

const DebuggerFall DEBUGGER_FAELLE[] = {
    {"NullzeigerAufHauptfaden", Ziele::SchreibeNullzeiger, false, "stop reason = signal SIGSEGV", true},
    {"NullzeigerAufFaden", Ziele::SchreibeNullzeiger, true, "stop reason = signal SIGSEGV", true},
    {"Abort", Ziele::RufeAbort, false, "stop reason = signal SIGABRT", false},
    {"Ausnahme", Ziele::WirfGanzzahl, true, "stop reason = signal SIGABRT", false},
};

class AbsturzDebugger : public testing::TestWithParam<DebuggerFall> {};

TEST_P(AbsturzDebugger, ReadsTheDump) {
  const DebuggerFall& fall = GetParam();
  Ergebnis ergebnis = Gabel::FuehreAus([&] { fall.aufFaden ? Ziele::AufFaden(fall.ziel) : Ziele::RufeZiel(fall.ziel); });
  ASSERT_TRUE(std::filesystem::exists(ergebnis.dump()));
  std::string ausgabe = Lldb(ergebnis.dump(), ProgrammPfad());
  EXPECT_NE(ausgabe.find(fall.halt), std::string::npos) << ausgabe;
  std::string funktion = std::string("`") + const_cast<const char*>(Ziele::g_Orte.funktion);
  funktion = funktion.substr(0, funktion.find('('));
  size_t rahmen0 = ausgabe.find("frame #0:");
  size_t gefunden = ausgabe.find(funktion);
  ASSERT_NE(rahmen0, std::string::npos) << ausgabe;
  ASSERT_NE(gefunden, std::string::npos) << ausgabe;
  if (fall.ersterRahmen) {
    EXPECT_EQ(ausgabe.find("frame #1:"), ausgabe.find("frame #", gefunden)) << ausgabe;
  }
}

INSTANTIATE_TEST_SUITE_P(Faelle, AbsturzDebugger, testing::ValuesIn(DEBUGGER_FAELLE),
                         [](const testing::TestParamInfo<DebuggerFall>& info) { return std::string(info.param.name); });

// --- the probe: the program's own static start-up installs the handler ---

struct ProbeFall {
  const char* fall;
  int signal;
  const char* ausnahme;
};

class AbsturzProbe : public testing::TestWithParam<ProbeFall> {};

TEST_P(AbsturzProbe, LeavesReportAndDump) {
  const ProbeFall& fall = GetParam();
  std::filesystem::path ordner = Gabel::NeuerOrdner();
  std::vector<std::string> umgebung{"XDG_DATA_HOME=" + ordner.string(),
                                    "ASAN_OPTIONS=handle_segv=0:handle_sigbus=0:handle_sigill=0:handle_sigfpe=0:handle_abort=0"};
  Ergebnis ergebnis = Gabel::StarteProgramm(ABSTURZPROBE_PFAD, {fall.fall}, umgebung, ordner);
  EXPECT_TRUE(StirbtAn(ergebnis, fall.signal)) << "status " << ergebnis.status << "\n" << ergebnis.fehlerStrom;
  std::string log = Gabel::LiesDatei(ordner / "MORVELUNT" / "spiel.log");
  std::vector<Zeile> bericht = Bericht(log);
  ASSERT_GE(bericht.size(), 5u) << log;
  EXPECT_TRUE(BeginntMit(bericht[1].text, std::string("!Exception code: ") + fall.ausnahme)) << bericht[1].text;
  EXPECT_EQ(bericht.back().text, "Minidump created.");
  std::string ausgabe = Lldb(ordner / "MORVELUNT" / "MiniDump.dmp", ABSTURZPROBE_PFAD);
  EXPECT_NE(ausgabe.find("frame #0:"), std::string::npos) << ausgabe;
  EXPECT_NE(ausgabe.find("absturzprobe`Ziele::"), std::string::npos) << ausgabe;
}

INSTANTIATE_TEST_SUITE_P(Faelle, AbsturzProbe,
                         testing::Values(ProbeFall{"nullzeiger", SIGSEGV, "C0000005 ACCESS_VIOLATION"},
                                         ProbeFall{"wurf", SIGABRT, "E06D7363 C++ exception std::runtime_error: kaputt"}),
                         [](const testing::TestParamInfo<ProbeFall>& info) { return std::string(info.param.fall); });

// --- the code table: signals sent to the own thread with the kernel's codes ---

struct SignalCode {
  const char* name;
  int signal;
  int siCode;
  const char* ausnahme;
};

const SignalCode SIGNAL_CODES[] = {
    {"BusAusrichtung", SIGBUS, BUS_ADRALN, "80000002 DATATYPE_MISALIGNMENT"},
    {"PrivilegierterBefehl", SIGILL, ILL_PRVOPC, "C0000096 PRIV_INSTRUCTION"},
    {"GanzzahlUeberlauf", SIGFPE, FPE_INTOVF, "C0000095 INT_OVERFLOW"},
    {"GleitkommaUeberlauf", SIGFPE, FPE_FLTOVF, "C0000091 FLT_OVERFLOW"},
    {"GleitkommaUnterlauf", SIGFPE, FPE_FLTUND, "C0000093 FLT_UNDERFLOW"},
    {"GleitkommaUngenau", SIGFPE, FPE_FLTRES, "C000008F FLT_INEXACT_RESULT"},
    {"GleitkommaUngueltig", SIGFPE, FPE_FLTINV, "C0000090 FLT_INVALID_OPERATION"},
    {"GleitkommaIndex", SIGFPE, FPE_FLTSUB, "C000008C ARRAY_BOUNDS_EXCEEDED"},
    {"Einzelschritt", SIGTRAP, TRAP_TRACE, "80000004 SINGLE_STEP"},
    {"Systemaufruf", SIGSYS, 1, "E000001F Bad system call"},
};

void PrintTo(const SignalCode& fall, std::ostream* aus) { *aus << fall.name; }

// Death by `signal` with a report whose exception line names `ausnahme`.
void PruefeTodUndCode(const Ergebnis& ergebnis, int signal, const char* ausnahme) {
  EXPECT_TRUE(StirbtAn(ergebnis, signal)) << "status " << ergebnis.status << (ergebnis.haengt ? " (hangs)" : "");
  std::vector<Zeile> bericht = Bericht(ergebnis.log);
  ASSERT_GE(bericht.size(), 2u) << ergebnis.log;
  EXPECT_EQ(bericht[1].text, std::string("!Exception code: ") + ausnahme);
}


class AbsturzSignalCode : public testing::TestWithParam<SignalCode> {};

TEST_P(AbsturzSignalCode, NamesTheException) {
  static SignalCode fall;
  fall = GetParam();
  Ergebnis ergebnis = Gabel::FuehreAus([] {
    siginfo_t info{};
    info.si_signo = fall.signal;
    info.si_code = fall.siCode;
    syscall(SYS_rt_tgsigqueueinfo, getpid(), gettid(), fall.signal, &info);
  });
  PruefeTodUndCode(ergebnis, fall.signal, fall.ausnahme);
}

INSTANTIATE_TEST_SUITE_P(Faelle, AbsturzSignalCode, testing::ValuesIn(SIGNAL_CODES),
                         [](const testing::TestParamInfo<SignalCode>& info) { return std::string(info.param.name); });

// A job's stack block may lie below the thread's own stack: a fault there is no overflow unless
// it hits the block's guard page. Type-1 jobs run on the thread inside MachSofort.
struct AuftragsFall {
  const char* name;
  void (*ziel)();
  const char* ausnahme;
};

const AuftragsFall AUFTRAGS_FAELLE[] = {
    {"Nullzeiger", Ziele::SchreibeNullzeiger, "C0000005 ACCESS_VIOLATION"},
    {"Ueberlauf", Ziele::RekursiereEndlos, "C00000FD STACK_OVERFLOW"},
};

void PrintTo(const AuftragsFall& fall, std::ostream* aus) { *aus << fall.name; }

class AbsturzImAuftrag : public testing::TestWithParam<AuftragsFall> {};

TEST_P(AbsturzImAuftrag, NamesTheException) {
  static AuftragsFall fall;
  fall = GetParam();
  Ergebnis ergebnis = Gabel::FuehreAus([] {
    Zarvo_Parallel kern(1);
    kern.MachSofort([] { Ziele::RufeZiel(fall.ziel); });
  });
  PruefeTodUndCode(ergebnis, SIGSEGV, fall.ausnahme);
}

INSTANTIATE_TEST_SUITE_P(Faelle, AbsturzImAuftrag, testing::ValuesIn(AUFTRAGS_FAELLE),
                         [](const testing::TestParamInfo<AuftragsFall>& info) { return std::string(info.param.name); });

TEST(Absturz, ExceptionNamesOutsideTheTableComeFromTheSystemText) {
  EXPECT_STREQ(GibAusnahmeName(0xC0000005), "ACCESS_VIOLATION");
  EXPECT_STREQ(GibAusnahmeName(0xC00000FD), "STACK_OVERFLOW");
  EXPECT_STREQ(GibAusnahmeName(0xE0000000 | SIGSYS), "Bad system call");
  EXPECT_STREQ(GibAusnahmeName(0xE0000000 | SIGABRT), "Aborted");
  EXPECT_STREQ(GibAusnahmeName(0x12345678), "");
}

}  // namespace

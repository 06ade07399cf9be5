// The crash handler, in forked children that really crash: the report in the log, the death by
// the right signal, the minidump's content, and what a debugger reads from it.
#include "absturz/gabel.h"
#include "absturz/minidump_leser.h"
#include "absturz/ziele.h"

#include "Einstieg.h"
#include "StackWalker.h"
#include "Zarvo_AbsturzFilter.h"
#include "Zarvo_Start.h"

#include <gtest/gtest.h>

#include <elf.h>
#include <link.h>
#include <pthread.h>
#include <ucontext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
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
  if (fall.rahmen == Rahmen::Ueberlauf) {
    EXPECT_TRUE(stapel > rsp && abbildung->anfang == stapel) << "overflow: the stack starts just above RSP";
  } else {
    EXPECT_TRUE(stapel <= rsp && rsp < stapel + faden.Stack.Memory.DataSize) << "RSP not in the stack copy";
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
  if (fall.ueberEinstieg) EXPECT_FALSE(std::filesystem::exists(ergebnis.ordner / "spiel.cfg"));
}

INSTANTIATE_TEST_SUITE_P(Faelle, AbsturzBericht, testing::ValuesIn(FAELLE),
                         [](const testing::TestParamInfo<Fall>& info) { return std::string(info.param.name); });

}  // namespace

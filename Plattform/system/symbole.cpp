#include "Plattform/system/symbole.h"

#include "Plattform/system/kontext.h"

#define UNW_LOCAL_ONLY
#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <libunwind.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace win32 {

namespace {

char programmPfad[MAX_PFAD];
Dwfl* dwfl = nullptr;
char* debugPfad = nullptr;

const Dwfl_Callbacks DWFL_RUECKRUFE = {
    dwfl_linux_proc_find_elf,
    dwfl_build_id_find_debuginfo,  // local debug files only: no debug-info server
    nullptr,
    &debugPfad,
};

static_assert(sizeof(unw_cursor_t) <= sizeof(STACKFRAME64::zustand));
static_assert(sizeof(ucontext_t) <= sizeof(STACKFRAME64::blattZustand));

void KopiereText(char* ziel, size_t groesse, const char* quelle) {
  if (groesse == 0) return;
  size_t laenge = strnlen(quelle, groesse - 1);
  memcpy(ziel, quelle, laenge);
  ziel[laenge] = '\0';
}

const char* ModulPfad(const dl_phdr_info* info, size_t nummer) {
  if (info->dlpi_name && info->dlpi_name[0]) return info->dlpi_name;
  return nummer == 0 ? programmPfad : "";
}

void SpanneDerSegmente(const dl_phdr_info* info, uintptr_t* basis, uintptr_t* groesse) {
  uintptr_t tiefste = UINTPTR_MAX, hoechste = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& kopf = info->dlpi_phdr[i];
    if (kopf.p_type != PT_LOAD) continue;
    if (kopf.p_vaddr < tiefste) tiefste = kopf.p_vaddr;
    if (kopf.p_vaddr + kopf.p_memsz > hoechste) hoechste = kopf.p_vaddr + kopf.p_memsz;
  }
  if (tiefste == UINTPTR_MAX) {
    *basis = *groesse = 0;
    return;
  }
  uintptr_t seite = uintptr_t(sysconf(_SC_PAGESIZE));
  *basis = (info->dlpi_addr + tiefste) & ~(seite - 1);
  *groesse = info->dlpi_addr + hoechste - *basis;
}

// The GNU build id from the module's notes in memory.
void SucheBuildId(const dl_phdr_info* info, const unsigned char** id, size_t* laenge) {
  *id = nullptr;
  *laenge = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& kopf = info->dlpi_phdr[i];
    if (kopf.p_type != PT_NOTE) continue;
    const unsigned char* zeiger = reinterpret_cast<const unsigned char*>(info->dlpi_addr + kopf.p_vaddr);
    const unsigned char* ende = zeiger + kopf.p_memsz;
    while (zeiger + sizeof(ElfW(Nhdr)) <= ende) {
      const ElfW(Nhdr)* notiz = reinterpret_cast<const ElfW(Nhdr)*>(zeiger);
      const unsigned char* name = zeiger + sizeof(ElfW(Nhdr));
      const unsigned char* inhalt = name + ((notiz->n_namesz + 3) & ~3u);
      if (inhalt + notiz->n_descsz > ende) break;
      if (notiz->n_type == NT_GNU_BUILD_ID && notiz->n_namesz == 4 && memcmp(name, "GNU", 4) == 0) {
        *id = inhalt;
        *laenge = notiz->n_descsz < MAX_BUILD_ID ? notiz->n_descsz : MAX_BUILD_ID;
        return;
      }
      zeiger = inhalt + ((notiz->n_descsz + 3) & ~3u);
    }
  }
}

struct Durchlauf {
  ModulRueckruf rueckruf;
  void* daten;
  size_t nummer;
};

int RufeModul(dl_phdr_info* info, size_t, void* roh) {
  Durchlauf& durchlauf = *static_cast<Durchlauf*>(roh);
  ModulInfo modul{};
  SpanneDerSegmente(info, &modul.basis, &modul.groesse);
  modul.pfad = ModulPfad(info, durchlauf.nummer++);
  SucheBuildId(info, &modul.buildId, &modul.buildIdLaenge);
  if (modul.groesse > 0) durchlauf.rueckruf(modul, durchlauf.daten);
  return 0;
}

struct Suche {
  uintptr_t adresse;
  ModulAbschnitt* ergebnis;
  size_t nummer;
  bool gefunden;
};

int PruefeModul(dl_phdr_info* info, size_t, void* roh) {
  Suche& suche = *static_cast<Suche*>(roh);
  size_t nummer = suche.nummer++;
  uint32_t ladeNummer = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& kopf = info->dlpi_phdr[i];
    if (kopf.p_type != PT_LOAD) continue;
    ++ladeNummer;
    uintptr_t anfang = info->dlpi_addr + kopf.p_vaddr;
    if (suche.adresse < anfang || suche.adresse >= anfang + kopf.p_memsz) continue;
    uintptr_t groesse = 0;
    SpanneDerSegmente(info, &suche.ergebnis->basis, &groesse);
    suche.ergebnis->abschnitt = ladeNummer;
    suche.ergebnis->versatz = uint32_t(suche.adresse - anfang);
    KopiereText(suche.ergebnis->pfad, sizeof(suche.ergebnis->pfad), ModulPfad(info, nummer));
    suche.gefunden = true;
    return 1;
  }
  return 0;
}

bool InGeladenemSegment(uint64_t adresse);

// libdw counts anonymous mappings next to a module as part of it: ask the loader first.
Dwfl_Module* ModulVon(uint64_t adresse) {
  if (!dwfl || !InGeladenemSegment(adresse)) return nullptr;
  return dwfl_addrmodule(dwfl, Dwarf_Addr(adresse));
}

const char* BasisName(const char* pfad) {
  const char* strich = strrchr(pfad, '/');
  return strich ? strich + 1 : pfad;
}

bool LiesRahmen(STACKFRAME64* rahmen, unw_cursor_t* zeiger, bool signalRahmen) {
  unw_word_t ip = 0, sp = 0;
  if (unw_get_reg(zeiger, UNW_REG_IP, &ip) < 0 || ip == 0) return false;
  unw_get_reg(zeiger, UNW_REG_SP, &sp);
  rahmen->AddrPC = ip;
  rahmen->AddrStack = sp;
  rahmen->signalRahmen = signalRahmen;
  return true;
}

// Code in no module has no unwind data: take it as a leaf that was just called, so that the
// caller's return address lies at the stack pointer.
bool UeberspringeBlatt(STACKFRAME64* rahmen, CONTEXT* kontext, unw_cursor_t* zeiger) {
  ucontext_t* kopie = reinterpret_cast<ucontext_t*>(rahmen->blattZustand);
  memcpy(kopie, kontext->zustand, sizeof(ucontext_t));
  greg_t sp = kopie->uc_mcontext.gregs[REG_RSP];
  kopie->uc_mcontext.gregs[REG_RIP] = *reinterpret_cast<const greg_t*>(sp);
  kopie->uc_mcontext.gregs[REG_RSP] = sp + greg_t(sizeof(greg_t));
  if (unw_init_local2(zeiger, kopie, UNW_INIT_SIGNAL_FRAME) < 0) return false;
  return LiesRahmen(rahmen, zeiger, false);
}

bool InGeladenemSegment(uint64_t adresse) {
  ModulAbschnitt ort;
  return SucheModulAbschnitt(reinterpret_cast<const void*>(adresse), &ort);
}

}  // namespace

void MerkeProgrammPfad() {
  ssize_t laenge = readlink("/proc/self/exe", programmPfad, sizeof(programmPfad) - 1);
  programmPfad[laenge > 0 ? laenge : 0] = '\0';
}

const char* ProgrammPfad() { return programmPfad; }

void DurchlaufeModule(ModulRueckruf rueckruf, void* daten) {
  Durchlauf durchlauf{rueckruf, daten, 0};
  dl_iterate_phdr(RufeModul, &durchlauf);
}

bool SucheModulAbschnitt(const void* adresse, ModulAbschnitt* ergebnis) {
  memset(ergebnis, 0, sizeof(*ergebnis));
  Suche suche{uintptr_t(adresse), ergebnis, 0, false};
  dl_iterate_phdr(PruefeModul, &suche);
  return suche.gefunden;
}

bool StackWalk64(STACKFRAME64* rahmen, CONTEXT* kontext) {
  unw_cursor_t* zeiger = reinterpret_cast<unw_cursor_t*>(rahmen->zustand);
  if (!rahmen->begonnen) {
    rahmen->begonnen = true;
    if (unw_init_local2(zeiger, kontext->zustand, UNW_INIT_SIGNAL_FRAME) < 0) return false;
    return LiesRahmen(rahmen, zeiger, true);
  }
  ModulAbschnitt ort;
  if (rahmen->signalRahmen && !SucheModulAbschnitt(reinterpret_cast<void*>(rahmen->AddrPC), &ort))
    return UeberspringeBlatt(rahmen, kontext, zeiger);
  if (unw_step(zeiger) <= 0) return false;
  return LiesRahmen(rahmen, zeiger, false);
}

bool SymInitialize() {
  if (dwfl) return true;
  dwfl = dwfl_begin(&DWFL_RUECKRUFE);
  if (!dwfl) return false;
  dwfl_report_begin(dwfl);
  int fehler = dwfl_linux_proc_report(dwfl, getpid());
  dwfl_report_end(dwfl, nullptr, nullptr);
  if (fehler != 0) SetzeLetztenFehler(uint32_t(fehler));
  return fehler == 0;
}

void SymCleanup() {
  if (dwfl) dwfl_end(dwfl);
  dwfl = nullptr;
}

bool SymGetSymFromAddr64(uint64_t adresse, uint64_t* versatz, char* name, size_t groesse, STACKFRAME64* rahmen) {
  if (Dwfl_Module* modul = ModulVon(adresse)) {
    // libdw respects symbol sizes: no name here means none is known. The unwinder would give the
    // nearest earlier export instead, a wrong name in stripped libraries.
    GElf_Off abstand = 0;
    GElf_Sym symbol;
    const char* gefunden = dwfl_module_addrinfo(modul, adresse, &abstand, &symbol, nullptr, nullptr, nullptr);
    if (!gefunden) return false;
    KopiereText(name, groesse, gefunden);
    *versatz = abstand;
    return true;
  }
  if (!rahmen || !rahmen->begonnen) return false;
  unw_word_t abstand = 0;
  if (unw_get_proc_name(reinterpret_cast<unw_cursor_t*>(rahmen->zustand), name, groesse, &abstand) != 0) return false;
  *versatz = abstand;
  return true;
}

uint32_t UnDecorateSymbolName(const char* name, char* ausgabe, uint32_t groesse) {
  int status = 0;
  char* lesbar = abi::__cxa_demangle(name, nullptr, nullptr, &status);
  KopiereText(ausgabe, groesse, status == 0 && lesbar ? lesbar : name);
  free(lesbar);
  return uint32_t(strlen(ausgabe));
}

bool SymGetLineFromAddr64(uint64_t adresse, char* datei, size_t groesse, uint32_t* zeile) {
  Dwfl_Module* modul = ModulVon(adresse);
  Dwfl_Line* eintrag = modul ? dwfl_module_getsrc(modul, adresse) : nullptr;
  if (!eintrag) return false;
  int nummer = 0;
  const char* pfad = dwfl_lineinfo(eintrag, nullptr, &nummer, nullptr, nullptr, nullptr);
  if (!pfad) return false;
  KopiereText(datei, groesse, pfad);
  *zeile = uint32_t(nummer);
  return true;
}

bool SymGetModuleInfo64(uint64_t adresse, IMAGEHLP_MODULE64* info) {
  Dwfl_Module* modul = ModulVon(adresse);
  if (!modul) return false;
  Dwarf_Addr anfang = 0;
  const char* datei = nullptr;
  const char* name = dwfl_module_info(modul, nullptr, &anfang, nullptr, nullptr, nullptr, &datei, nullptr);
  const char* pfad = datei ? datei : (name ? name : "");
  info->BaseOfImage = anfang;
  KopiereText(info->LoadedImageName, sizeof(info->LoadedImageName), pfad);
  KopiereText(info->ModuleName, sizeof(info->ModuleName), BasisName(pfad));
  Dwarf_Addr verschiebung = 0;
  if (dwfl_module_getdwarf(modul, &verschiebung))
    info->SymType = "DWARF";
  else if (dwfl_module_getsymtab(modul) > 0)
    info->SymType = "-exported-";
  else
    info->SymType = "-nosymbols-";
  return true;
}

}  // namespace win32

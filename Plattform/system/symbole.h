#pragma once
// Modules, stack walk and symbols of the own process, for the crash report.
//
// Modules are the loaded ELF objects (dl_iterate_phdr). The stack walk starts at the faulting
// frame of a signal context (libunwind, local only). Names, files and lines come from libdw over
// the local debug files (the object itself, or a debug file found by its build id); the debug-info
// server is never asked. Nothing here allocates except SymInitialize and the symbol calls.
#include "Plattform/system/ausnahmen.h"

#include <cstddef>
#include <cstdint>

namespace win32 {

inline constexpr size_t MAX_PFAD = 4096;
inline constexpr size_t MAX_BUILD_ID = 64;

// Caches the path of the running program (/proc/self/exe); the main program's module path.
void MerkeProgrammPfad();
const char* ProgrammPfad();

// One loaded module: its lowest loaded page and the span of its loaded segments.
struct ModulInfo {
  uintptr_t basis;
  uintptr_t groesse;
  const char* pfad;  // valid during the callback
  const unsigned char* buildId;
  size_t buildIdLaenge;
};
using ModulRueckruf = void (*)(const ModulInfo& modul, void* daten);
// Calls `rueckruf` for every loaded module, in load order.
void DurchlaufeModule(ModulRueckruf rueckruf, void* daten);

// Where an address lies: the module's base and path, the 1-based loaded segment that holds it
// and the offset into that segment. False (and everything zero or empty) when no module holds it.
struct ModulAbschnitt {
  uintptr_t basis;
  uint32_t abschnitt;
  uint32_t versatz;
  char pfad[MAX_PFAD];
};
bool SucheModulAbschnitt(const void* adresse, ModulAbschnitt* ergebnis);

// One step of a stack walk; zero-initialise it before the first call.
struct STACKFRAME64 {
  uint64_t AddrPC;     // the instruction of this frame (the return address for callers)
  uint64_t AddrStack;  // its stack pointer
  bool signalRahmen;   // AddrPC is the faulting instruction itself, not a return address
  bool begonnen;
  alignas(16) unsigned char zustand[1024];      // the unwinder's cursor
  alignas(16) unsigned char blattZustand[1024]; // a copy of the context after a step over a leaf
};
// The first call yields the faulting frame of `kontext`, each later call its caller. False when
// the walk ends. A frame in no module (code in anonymous memory) is stepped over as a leaf.
bool StackWalk64(STACKFRAME64* rahmen, CONTEXT* kontext);

// Prepares the symbol lookup for the modules loaded now.
bool SymInitialize();
void SymCleanup();

// The (decorated) name of the function holding `adresse`, and the distance from its start. For an
// address outside the prepared modules, the unwinder's name for `rahmen`'s frame (when given).
bool SymGetSymFromAddr64(uint64_t adresse, uint64_t* versatz, char* name, size_t groesse,
                         STACKFRAME64* rahmen = nullptr);
// The readable form of a decorated name (with parameters); C names are copied as they are.
uint32_t UnDecorateSymbolName(const char* name, char* ausgabe, uint32_t groesse);
// Source file and line of `adresse`.
bool SymGetLineFromAddr64(uint64_t adresse, char* datei, size_t groesse, uint32_t* zeile);

struct IMAGEHLP_MODULE64 {
  uint64_t BaseOfImage;
  char ModuleName[256];           // the file's base name
  char LoadedImageName[MAX_PFAD]; // its path
  const char* SymType;            // "DWARF", "-exported-" (dynamic symbols only) or "-nosymbols-"
};
bool SymGetModuleInfo64(uint64_t adresse, IMAGEHLP_MODULE64* info);

}  // namespace win32

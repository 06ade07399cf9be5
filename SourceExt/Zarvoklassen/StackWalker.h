#pragma once
// Walks the call stack of a crashed thread and turns every frame into one text line.
//
// The walk starts at the faulting frame of an exception context. For every frame an entry is
// filled (address, function name in its three forms, source file and line, module) and passed to
// MeldeAufrufEintrag, which formats it and hands the text to Ausgabe. Subclasses redirect the
// texts by overriding Ausgabe (and may listen to MeldeSymbolInit and MeldeFehler).
#include "Plattform/system/ausnahmen.h"
#include "Plattform/system/symbole.h"

#include <cstdint>

class StackWalker {
 public:
  static constexpr int MAX_RAHMEN = 256;  // frames listed; further ones are only counted

  enum class EintragArt { Erster, Weiterer, Letzter };

  struct AufrufEintrag {
    uint64_t adresse;                 // this frame's instruction (the return address for callers)
    char name[1024];                  // decorated
    char undName[1024];               // undecorated
    char undFullName[1024];           // fully undecorated
    uint64_t versatz;                 // distance from the function's start
    char zeilenDatei[win32::MAX_PFAD];
    uint32_t zeile;
    char modulName[256];              // the file's base name
    char modulPfad[win32::MAX_PFAD];
    const char* symbolTyp;
    uint64_t modulVersion;            // no version records for these modules: 0
    uint64_t modulBasis;
  };

  StackWalker() = default;
  virtual ~StackWalker();
  StackWalker(const StackWalker&) = delete;
  StackWalker& operator=(const StackWalker&) = delete;

  // Lists the stack of thread `faden` from `kontext`. Only the calling thread with its exception
  // context can be walked; anything else is reported through MeldeFehler and lists nothing.
  bool ZeigeAufrufStapel(uint32_t faden, win32::CONTEXT* kontext);
  // Prepares the symbol lookup over the modules loaded now.
  bool LadeSymbole();

 protected:
  // After the symbol lookup is prepared; does nothing here.
  virtual void MeldeSymbolInit() {}
  // Formats one frame ("file (line): function", or "address (module): (filename not available):
  // function") and passes it to Ausgabe; the closing entry and address 0 give nothing.
  virtual void MeldeAufrufEintrag(EintragArt art, const AufrufEintrag& eintrag);
  // A failing lookup or walk call; does nothing here.
  virtual void MeldeFehler(const char* funktion, uint32_t fehler, uint64_t adresse);
  // The base writes to the standard error stream.
  virtual void Ausgabe(const char* text);

 private:
  void FuelleEintrag(win32::STACKFRAME64& rahmen, AufrufEintrag& eintrag);
  bool symboleGeladen = false;
};

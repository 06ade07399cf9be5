#include "StackWalker.h"

#include "Plattform/system/Faden.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr uint32_t FEHLER_NICHT_UNTERSTUETZT = 50;
constexpr size_t TEXT_GROESSE = 6144;
}  // namespace

StackWalker::~StackWalker() {
  if (symboleGeladen) win32::SymCleanup();
}

bool StackWalker::LadeSymbole() {
  if (symboleGeladen) return true;
  if (!win32::SymInitialize()) {
    MeldeFehler("SymInitialize", win32::GetLastError(), 0);
    return false;
  }
  symboleGeladen = true;
  MeldeSymbolInit();
  return true;
}

void StackWalker::FuelleEintrag(win32::STACKFRAME64& rahmen, AufrufEintrag& eintrag) {
  memset(&eintrag, 0, sizeof(eintrag));
  eintrag.adresse = rahmen.AddrPC;
  // A return address belongs to the instruction after the call: look up the call itself.
  uint64_t suche = rahmen.signalRahmen ? rahmen.AddrPC : rahmen.AddrPC - 1;
  if (win32::SymGetSymFromAddr64(suche, &eintrag.versatz, eintrag.name, sizeof(eintrag.name), &rahmen)) {
    win32::UnDecorateSymbolName(eintrag.name, eintrag.undName, sizeof(eintrag.undName));
    memcpy(eintrag.undFullName, eintrag.undName, sizeof(eintrag.undName));
  }
  win32::SymGetLineFromAddr64(suche, eintrag.zeilenDatei, sizeof(eintrag.zeilenDatei), &eintrag.zeile);
  win32::IMAGEHLP_MODULE64 modul{};
  if (win32::SymGetModuleInfo64(suche, &modul)) {
    memcpy(eintrag.modulName, modul.ModuleName, sizeof(eintrag.modulName));
    memcpy(eintrag.modulPfad, modul.LoadedImageName, sizeof(eintrag.modulPfad));
    eintrag.symbolTyp = modul.SymType;
    eintrag.modulBasis = modul.BaseOfImage;
  }
}

bool StackWalker::ZeigeAufrufStapel(uint32_t faden, win32::CONTEXT* kontext) {
  if (faden != win32::GetCurrentThreadId() || !kontext) {
    MeldeFehler("ZeigeAufrufStapel", FEHLER_NICHT_UNTERSTUETZT, 0);
    return false;
  }
  LadeSymbole();
  static AufrufEintrag eintrag;  // too large for a crashed thread's signal stack many times over
  win32::STACKFRAME64 rahmen{};
  int anzahl = 0;
  uint64_t vorigePC = 0, vorigerStapel = 0;
  while (win32::StackWalk64(&rahmen, kontext)) {
    if (anzahl > 0 && rahmen.AddrPC == vorigePC && rahmen.AddrStack == vorigerStapel) break;
    vorigePC = rahmen.AddrPC;
    vorigerStapel = rahmen.AddrStack;
    if (anzahl < MAX_RAHMEN) {
      FuelleEintrag(rahmen, eintrag);
      MeldeAufrufEintrag(anzahl == 0 ? EintragArt::Erster : EintragArt::Weiterer, eintrag);
    }
    ++anzahl;
  }
  if (anzahl > MAX_RAHMEN) {
    char text[64];
    snprintf(text, sizeof(text), "(%d more frames)\n", anzahl - MAX_RAHMEN);
    Ausgabe(text);
  }
  memset(&eintrag, 0, sizeof(eintrag));
  MeldeAufrufEintrag(EintragArt::Letzter, eintrag);
  return true;
}

void StackWalker::MeldeAufrufEintrag(EintragArt art, const AufrufEintrag& eintrag) {
  if (art == EintragArt::Letzter || eintrag.adresse == 0) return;
  const char* funktion = eintrag.undFullName[0] ? eintrag.undFullName
                         : eintrag.undName[0]   ? eintrag.undName
                         : eintrag.name[0]      ? eintrag.name
                                                : "(function-name not available)";
  char text[TEXT_GROESSE];
  if (eintrag.zeilenDatei[0]) {
    snprintf(text, sizeof(text), "%s (%d): %s\n", eintrag.zeilenDatei, int(eintrag.zeile), funktion);
  } else {
    const char* modul = eintrag.modulName[0] ? eintrag.modulName : "(module-name not available)";
    snprintf(text, sizeof(text), "%p (%s): %s: %s\n", reinterpret_cast<void*>(eintrag.adresse), modul,
             "(filename not available)", funktion);
  }
  Ausgabe(text);
}

void StackWalker::MeldeFehler(const char*, uint32_t, uint64_t) {}

void StackWalker::Ausgabe(const char* text) { win32::_write(win32::STDERR_DESKRIPTOR, text, strlen(text)); }

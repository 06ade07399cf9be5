#include "Zarvo_AbsturzFilter.h"

#include "Zarvo_Start.h"
#include "Zarvo_StackWalker.h"

#include "Plattform/system/Faden.h"
#include "Plattform/system/minidump.h"
#include "Plattform/system/symbole.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

namespace {

constexpr unsigned NOT_ALARM_SEKUNDEN = 10;
constexpr size_t MAX_NAME = 512;

enum class DumpErgebnis { Erstellt, DateiFehler, SchreibFehler };

win32::LPTOP_LEVEL_EXCEPTION_FILTER vorherigerFilter = nullptr;
win32::HANDLE prozess = 0;
char dumpPfad[win32::MAX_PFAD];
std::atomic<uint32_t> berichtenderFaden{0};
DumpErgebnis dumpErgebnis = DumpErgebnis::Erstellt;
uint32_t dumpFehler = 0;

struct AusnahmeName {
  uint32_t code;
  const char* name;
};

constexpr AusnahmeName AUSNAHME_NAMEN[] = {
    {win32::EXCEPTION_ACCESS_VIOLATION, "ACCESS_VIOLATION"},
    {win32::EXCEPTION_GUARD_PAGE, "GUARD_PAGE"},
    {win32::EXCEPTION_DATATYPE_MISALIGNMENT, "DATATYPE_MISALIGNMENT"},
    {win32::EXCEPTION_BREAKPOINT, "BREAKPOINT"},
    {win32::EXCEPTION_SINGLE_STEP, "SINGLE_STEP"},
    {win32::EXCEPTION_IN_PAGE_ERROR, "IN_PAGE_ERROR"},
    {win32::EXCEPTION_INVALID_HANDLE, "INVALID_HANDLE"},
    {win32::EXCEPTION_ILLEGAL_INSTRUCTION, "ILLEGAL_INSTRUCTION"},
    {win32::EXCEPTION_NONCONTINUABLE_EXCEPTION, "NONCONTINUABLE_EXCEPTION"},
    {win32::EXCEPTION_INVALID_DISPOSITION, "INVALID_DISPOSITION"},
    {win32::EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "ARRAY_BOUNDS_EXCEEDED"},
    {win32::EXCEPTION_FLT_DENORMAL_OPERAND, "FLT_DENORMAL_OPERAND"},
    {win32::EXCEPTION_FLT_DIVIDE_BY_ZERO, "FLT_DIVIDE_BY_ZERO"},
    {win32::EXCEPTION_FLT_INEXACT_RESULT, "FLT_INEXACT_RESULT"},
    {win32::EXCEPTION_FLT_INVALID_OPERATION, "FLT_INVALID_OPERATION"},
    {win32::EXCEPTION_FLT_OVERFLOW, "FLT_OVERFLOW"},
    {win32::EXCEPTION_FLT_STACK_CHECK, "FLT_STACK_CHECK"},
    {win32::EXCEPTION_FLT_UNDERFLOW, "FLT_UNDERFLOW"},
    {win32::EXCEPTION_INT_DIVIDE_BY_ZERO, "INT_DIVIDE_BY_ZERO"},
    {win32::EXCEPTION_INT_OVERFLOW, "INT_OVERFLOW"},
    {win32::EXCEPTION_PRIV_INSTRUCTION, "PRIV_INSTRUCTION"},
    {win32::EXCEPTION_STACK_OVERFLOW, "STACK_OVERFLOW"},
};

void SchreibeFehlerAdresse(const void* adresse) {
  static win32::ModulAbschnitt ort;  // zero when no module holds the address
  win32::SucheModulAbschnitt(adresse, &ort);
  g_Log.Schreibe("Fault address:  %08llX %02X:%08X %s", (unsigned long long)uintptr_t(adresse),
                 unsigned(ort.abschnitt), unsigned(ort.versatz), ort.pfad);
}

void SchreibeMiniDump(win32::EXCEPTION_POINTERS* zeiger) {
  win32::HANDLE datei = win32::CreateFile(dumpPfad);
  if (datei == win32::INVALID_HANDLE_VALUE) {
    dumpErgebnis = DumpErgebnis::DateiFehler;
    dumpFehler = win32::GetLastError();
  } else {
    win32::MINIDUMP_EXCEPTION_INFORMATION info{win32::GetCurrentThreadId(), zeiger, false};
    bool erstellt = win32::MiniDumpWriteDump(prozess, win32::GetCurrentProcessId(), datei, win32::MiniDumpNormal, &info);
    dumpErgebnis = erstellt ? DumpErgebnis::Erstellt : DumpErgebnis::SchreibFehler;
    dumpFehler = win32::GetLastError();
    win32::CloseHandle(datei);
  }
  // The walk that follows may block on a lock the crashed thread held: end the process anyway.
  win32::SetzeNotAlarm(NOT_ALARM_SEKUNDEN);
}

void SchreibeDumpErgebnis() {
  switch (dumpErgebnis) {
    case DumpErgebnis::Erstellt: g_Log.Schreibe("Minidump created."); break;
    case DumpErgebnis::DateiFehler: g_Log.Schreibe("MiniDump, CreateFile() failed with error: %u", unsigned(dumpFehler)); break;
    case DumpErgebnis::SchreibFehler: g_Log.Schreibe("Minidump failed with error code %d", int(dumpFehler)); break;
  }
}

void MerkeDumpPfad() {
  std::string pfad = (g_System.benutzerDaten / "MiniDump.dmp").string();
  size_t laenge = std::min(pfad.size(), sizeof(dumpPfad) - 1);
  memcpy(dumpPfad, pfad.data(), laenge);
  dumpPfad[laenge] = '\0';
}

}  // namespace

void InstalliereAbsturzFilter() {
  MerkeDumpPfad();
  prozess = win32::GetCurrentProcess();
  win32::LPTOP_LEVEL_EXCEPTION_FILTER vorher = win32::SetUnhandledExceptionFilter(AbsturzFilter);
  if (vorher != AbsturzFilter) vorherigerFilter = vorher;
}

void EntferneAbsturzFilter() {
  win32::SetUnhandledExceptionFilter(vorherigerFilter);
  vorherigerFilter = nullptr;
}

const char* GibAusnahmeName(uint32_t code) {
  for (const AusnahmeName& eintrag : AUSNAHME_NAMEN)
    if (eintrag.code == code) return eintrag.name;
  static char text[MAX_NAME + 1];
  win32::FormatMessage(code, text, sizeof(text));
  return text;
}

void SchreibeAbsturzBericht(win32::EXCEPTION_POINTERS* zeiger, void (*vorDemStapel)(win32::EXCEPTION_POINTERS*)) {
  g_Log.Schreibe("%s", "************************************************************************************");
  uint32_t code = zeiger->ExceptionRecord->ExceptionCode;
  g_Log.Schreibe("!Exception code: %08X %s", unsigned(code), GibAusnahmeName(code));
  SchreibeFehlerAdresse(zeiger->ExceptionRecord->ExceptionAddress);
  if (vorDemStapel) vorDemStapel(zeiger);
  Zarvo_StackWalker walker;
  walker.ZeigeAufrufStapel(win32::GetCurrentThreadId(), zeiger->ContextRecord);
}

long AbsturzFilter(win32::EXCEPTION_POINTERS* zeiger) {
  uint32_t faden = win32::GetCurrentThreadId();
  uint32_t frei = 0;
  // Once per crash: a second crashing thread waits until the first one ends the process.
  if (!berichtenderFaden.compare_exchange_strong(frei, faden) && frei != faden) win32::SchlafeFuerImmer();
  g_Log.BeginneAbsturz();
  SchreibeAbsturzBericht(zeiger, SchreibeMiniDump);
  SchreibeDumpErgebnis();
  win32::SetzeNotAlarm(0);
  if (vorherigerFilter) return vorherigerFilter(zeiger);
  return win32::EXCEPTION_CONTINUE_SEARCH;
}

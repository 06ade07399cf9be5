#pragma once
// The crash handler. Installed at start-up (Zarvo_Start.cpp) as the process's unhandled-exception
// filter, it turns a crash (a fatal signal or an uncaught C++ exception) into a report in the
// engine log and a minidump "MiniDump.dmp" in the user-data folder, then hands the crash on to the
// filter installed before, or lets the process die.
//
// The report, once per crash and on the crashing thread:
//   ************************************************************************************ (84)
//   !Exception code: C0000005 ACCESS_VIOLATION
//   Fault address:  <address> <segment>:<offset> <module path>
//   <one line per frame, from the faulting one>
//   Minidump created.
// The log goes into its crash mode first, so every line reaches the file at once, from any thread.
#include "Plattform/system/ausnahmen.h"

#include <cstdint>

// Installs AbsturzFilter and the dump path (user-data folder + "MiniDump.dmp"); again after the
// folder changed. EntferneAbsturzFilter puts back what was there before.
void InstalliereAbsturzFilter();
void EntferneAbsturzFilter();

long AbsturzFilter(win32::EXCEPTION_POINTERS* zeiger);

// The log part of the report. `vorDemStapel` runs between the fault-address line and the frames
// (the filter writes the dump there, before the walk may allocate).
void SchreibeAbsturzBericht(win32::EXCEPTION_POINTERS* zeiger, void (*vorDemStapel)(win32::EXCEPTION_POINTERS*) = nullptr);

// The name of an exception code without "EXCEPTION_", or the system's text for other codes.
const char* GibAusnahmeName(uint32_t code);

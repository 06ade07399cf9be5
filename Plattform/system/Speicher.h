#pragma once
// Memory for fiber stacks and the processor count.
//
// Stack memory comes in batches of equal blocks from one anonymous mapping each. Every block has
// one inaccessible guard page at a fixed offset, so a stack that runs over its bottom faults
// instead of writing into what lies below. The batches are kept in a fixed table that a signal
// handler may search without locks or allocation (WaechterBlock).
#include <cstddef>
#include <cstdint>

namespace win32 {

struct SYSTEM_INFO {
  uint32_t dwPageSize;
  uint32_t dwNumberOfProcessors;  // at least 1
};

void GetSystemInfo(SYSTEM_INFO* info);

// The processor count for a reported value: the value, or 1 where nothing was reported.
uint32_t ZaehleProzessoren(uint32_t gemeldet);

// Maps `anzahl` blocks of `blockGroesse` bytes (a multiple of the page size) and makes the page
// at `waechterVersatz` of each block inaccessible. The stack of a block is everything from
// `stapelVersatz` to the block end. Returns null when the mapping fails. A guard that cannot be
// set (the kernel's limit on mappings) leaves that block unguarded.
void* VirtualAllocStapel(size_t anzahl, size_t blockGroesse, size_t waechterVersatz, size_t stapelVersatz);
// Unmaps a batch returned by VirtualAllocStapel.
void VirtualFreeStapel(void* anfang);

// The start of the block that holds `adresse`, or null. Async-signal-safe.
void* StapelBlock(const void* adresse);
// The start of the block whose guard page holds `adresse`, or null. Async-signal-safe.
void* WaechterBlock(const void* adresse);

}  // namespace win32

#pragma once
// A standard minidump of the faulting thread, as debuggers read it (lldb: --core).
//
// The structures follow the published minidump format: little-endian, packed to 4 bytes, a header,
// a directory of streams and the streams, each addressed by its offset in the file (RVA). Linux
// debuggers read two further streams, the process's maps and status files, and take the
// exception code of a Linux dump as the signal number.
#include "Plattform/system/ausnahmen.h"

#include <cstdint>

namespace win32 {

#pragma pack(push, 4)

struct MINIDUMP_LOCATION_DESCRIPTOR {
  uint32_t DataSize;
  uint32_t Rva;
};

struct MINIDUMP_HEADER {
  uint32_t Signature;  // "MDMP"
  uint32_t Version;    // low 16 bits 0xA793
  uint32_t NumberOfStreams;
  uint32_t StreamDirectoryRva;
  uint32_t CheckSum;
  uint32_t TimeDateStamp;
  uint64_t Flags;
};

struct MINIDUMP_DIRECTORY {
  uint32_t StreamType;
  MINIDUMP_LOCATION_DESCRIPTOR Location;
};

struct MINIDUMP_MEMORY_DESCRIPTOR {
  uint64_t StartOfMemoryRange;
  MINIDUMP_LOCATION_DESCRIPTOR Memory;
};

struct MINIDUMP_THREAD {
  uint32_t ThreadId;
  uint32_t SuspendCount;
  uint32_t PriorityClass;
  uint32_t Priority;
  uint64_t Teb;
  MINIDUMP_MEMORY_DESCRIPTOR Stack;
  MINIDUMP_LOCATION_DESCRIPTOR ThreadContext;
};

struct VS_FIXEDFILEINFO {
  uint32_t dwSignature, dwStrucVersion, dwFileVersionMS, dwFileVersionLS, dwProductVersionMS,
      dwProductVersionLS, dwFileFlagsMask, dwFileFlags, dwFileOS, dwFileType, dwFileSubtype,
      dwFileDateMS, dwFileDateLS;
};

struct MINIDUMP_MODULE {
  uint64_t BaseOfImage;
  uint32_t SizeOfImage;
  uint32_t CheckSum;
  uint32_t TimeDateStamp;
  uint32_t ModuleNameRva;  // a MINIDUMP_STRING
  VS_FIXEDFILEINFO VersionInfo;
  MINIDUMP_LOCATION_DESCRIPTOR CvRecord;  // "BpEL" + the GNU build id
  MINIDUMP_LOCATION_DESCRIPTOR MiscRecord;
  uint64_t Reserved0;
  uint64_t Reserved1;
};

struct MINIDUMP_EXCEPTION {
  uint32_t ExceptionCode;  // the signal number in a Linux dump
  uint32_t ExceptionFlags; // si_code
  uint64_t ExceptionRecord;
  uint64_t ExceptionAddress;  // si_addr
  uint32_t NumberParameters;
  uint32_t unbenutzt;
  uint64_t ExceptionInformation[15];
};

struct MINIDUMP_EXCEPTION_STREAM {
  uint32_t ThreadId;
  uint32_t ausrichtung;
  MINIDUMP_EXCEPTION ExceptionRecord;
  MINIDUMP_LOCATION_DESCRIPTOR ThreadContext;
};

struct MINIDUMP_SYSTEM_INFO {
  uint16_t ProcessorArchitecture;
  uint16_t ProcessorLevel;
  uint16_t ProcessorRevision;
  uint8_t NumberOfProcessors;
  uint8_t ProductType;
  uint32_t MajorVersion;
  uint32_t MinorVersion;
  uint32_t BuildNumber;
  uint32_t PlatformId;
  uint32_t CSDVersionRva;  // a MINIDUMP_STRING
  uint16_t SuiteMask;
  uint16_t Reserved2;
  uint32_t Cpu[6];
};

struct M128A {
  uint64_t Low;
  int64_t High;
};

struct CONTEXT_AMD64 {
  uint64_t P1Home, P2Home, P3Home, P4Home, P5Home, P6Home;
  uint32_t ContextFlags;
  uint32_t MxCsr;
  uint16_t SegCs, SegDs, SegEs, SegFs, SegGs, SegSs;
  uint32_t EFlags;
  uint64_t Dr0, Dr1, Dr2, Dr3, Dr6, Dr7;
  uint64_t Rax, Rcx, Rdx, Rbx, Rsp, Rbp, Rsi, Rdi, R8, R9, R10, R11, R12, R13, R14, R15;
  uint64_t Rip;
  uint8_t FltSave[512];  // the FXSAVE image
  M128A VectorRegister[26];
  uint64_t VectorControl;
  uint64_t DebugControl, LastBranchToRip, LastBranchFromRip, LastExceptionToRip, LastExceptionFromRip;
};

#pragma pack(pop)

static_assert(sizeof(MINIDUMP_HEADER) == 32);
static_assert(sizeof(MINIDUMP_DIRECTORY) == 12);
static_assert(sizeof(MINIDUMP_THREAD) == 48);
static_assert(sizeof(MINIDUMP_MODULE) == 108);
static_assert(sizeof(MINIDUMP_EXCEPTION_STREAM) == 168);
static_assert(sizeof(MINIDUMP_SYSTEM_INFO) == 56);
static_assert(sizeof(CONTEXT_AMD64) == 1232);

inline constexpr uint32_t MINIDUMP_SIGNATURE = 0x504D444D;  // "MDMP"
inline constexpr uint32_t MINIDUMP_VERSION = 0xA793;
inline constexpr uint32_t ThreadListStream = 3;
inline constexpr uint32_t ModuleListStream = 4;
inline constexpr uint32_t MemoryListStream = 5;
inline constexpr uint32_t ExceptionStream = 6;
inline constexpr uint32_t SystemInfoStream = 7;
inline constexpr uint32_t LinuxProcStatusStream = 0x47670004;
inline constexpr uint32_t LinuxMapsStream = 0x47670009;
inline constexpr uint16_t PROCESSOR_ARCHITECTURE_AMD64 = 9;
inline constexpr uint32_t PLATFORM_ID_LINUX = 0x8201;
inline constexpr uint32_t CV_SIGNATURE_ELF_BUILD_ID = 0x4270454C;  // "BpEL"
inline constexpr uint32_t CONTEXT_AMD64_VOLL = 0x0010000F;  // control, integer, segments, floating point

enum MINIDUMP_TYPE { MiniDumpNormal = 0 };

struct MINIDUMP_EXCEPTION_INFORMATION {
  uint32_t ThreadId;
  EXCEPTION_POINTERS* ExceptionPointers;
  bool ClientPointers;
};

HANDLE GetCurrentProcess();
uint32_t GetCurrentProcessId();

// Writes the dump of the calling (faulting) thread into `datei`: system info, the thread with its
// context and stack, the exception, the modules, the maps and status files. Allocates nothing.
// False on a write error (GetLastError has the system error code).
bool MiniDumpWriteDump(HANDLE prozess, uint32_t prozessId, HANDLE datei, MINIDUMP_TYPE typ,
                       const MINIDUMP_EXCEPTION_INFORMATION* ausnahme);

}  // namespace win32

#pragma once
// Unhandled-exception filter, thread stack guarantee, message texts and raw file calls.
//
// The fatal signals SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP, SIGABRT and SIGSYS and the C++
// terminate hook become one top-level filter call per crash, with an exception record whose code
// follows the platform's table (EXCEPTION_ACCESS_VIOLATION and so on). The filter runs on the
// faulting thread, on its alternate signal stack when it has one (SetThreadStackGuarantee).
// Filter result EXCEPTION_CONTINUE_SEARCH hands the signal to the handler that was installed
// before (for example a sanitizer's) and, when that returns or there is none, lets the process die
// by its signal; EXCEPTION_CONTINUE_EXECUTION returns from the signal.
#include <cstddef>
#include <cstdint>

namespace win32 {

inline constexpr uint32_t EXCEPTION_ACCESS_VIOLATION = 0xC0000005;
inline constexpr uint32_t EXCEPTION_GUARD_PAGE = 0x80000001;
inline constexpr uint32_t EXCEPTION_DATATYPE_MISALIGNMENT = 0x80000002;
inline constexpr uint32_t EXCEPTION_BREAKPOINT = 0x80000003;
inline constexpr uint32_t EXCEPTION_SINGLE_STEP = 0x80000004;
inline constexpr uint32_t EXCEPTION_IN_PAGE_ERROR = 0xC0000006;
inline constexpr uint32_t EXCEPTION_INVALID_HANDLE = 0xC0000008;
inline constexpr uint32_t EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001D;
inline constexpr uint32_t EXCEPTION_NONCONTINUABLE_EXCEPTION = 0xC0000025;
inline constexpr uint32_t EXCEPTION_INVALID_DISPOSITION = 0xC0000026;
inline constexpr uint32_t EXCEPTION_ARRAY_BOUNDS_EXCEEDED = 0xC000008C;
inline constexpr uint32_t EXCEPTION_FLT_DENORMAL_OPERAND = 0xC000008D;
inline constexpr uint32_t EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008E;
inline constexpr uint32_t EXCEPTION_FLT_INEXACT_RESULT = 0xC000008F;
inline constexpr uint32_t EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090;
inline constexpr uint32_t EXCEPTION_FLT_OVERFLOW = 0xC0000091;
inline constexpr uint32_t EXCEPTION_FLT_STACK_CHECK = 0xC0000092;
inline constexpr uint32_t EXCEPTION_FLT_UNDERFLOW = 0xC0000093;
inline constexpr uint32_t EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094;
inline constexpr uint32_t EXCEPTION_INT_OVERFLOW = 0xC0000095;
inline constexpr uint32_t EXCEPTION_PRIV_INSTRUCTION = 0xC0000096;
inline constexpr uint32_t EXCEPTION_STACK_OVERFLOW = 0xC00000FD;
// An uncaught C++ exception (the code of the platform's C++ runtime).
inline constexpr uint32_t EXCEPTION_CPLUSPLUS = 0xE06D7363;
// Any other fatal signal: this base | the signal number.
inline constexpr uint32_t EXCEPTION_SIGNAL_BASIS = 0xE0000000;

inline constexpr long EXCEPTION_CONTINUE_SEARCH = 0;
inline constexpr long EXCEPTION_CONTINUE_EXECUTION = -1;

// The machine state of the faulting thread (signal context and signal information); opaque here.
struct CONTEXT;

struct EXCEPTION_RECORD {
  uint32_t ExceptionCode;
  uint32_t ExceptionFlags;
  EXCEPTION_RECORD* ExceptionRecord;
  void* ExceptionAddress;  // the faulting instruction
  uint32_t NumberParameters;
  uintptr_t ExceptionInformation[15];
};

struct EXCEPTION_POINTERS {
  EXCEPTION_RECORD* ExceptionRecord;
  CONTEXT* ContextRecord;
};

using LPTOP_LEVEL_EXCEPTION_FILTER = long (*)(EXCEPTION_POINTERS* zeiger);

// Installs `filter` (with the signal handlers, the terminate hook and the calling thread's
// alternate stack) and returns the filter installed before. Null restores the dispositions and
// the terminate hook recorded at the first installation.
LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);

// Gives the calling thread an alternate signal stack of at least *groesse bytes (512 KiB when
// *groesse is 0 or smaller) and records its stack bottom; *groesse becomes the earlier guarantee.
// The stack is freed when the thread ends.
bool SetThreadStackGuarantee(unsigned long* groesse);

// The message text of an exception code: the signal description for 0xE0000000 | signal, the
// pending C++ exception text for EXCEPTION_CPLUSPLUS. Returns the length, 0 when there is none.
uint32_t FormatMessage(uint32_t code, char* puffer, uint32_t groesse);

using HANDLE = intptr_t;
inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;

// A new file for writing only (truncated, mode 0600), or INVALID_HANDLE_VALUE.
HANDLE CreateFile(const char* pfad);
bool CloseHandle(HANDLE datei);
// The error code of the last failing call of this thread.
uint32_t GetLastError();
// The descriptor of a stream; -1 for none.
int _fileno(void* strom);
// Writes all bytes (again after interruptions and short writes); false on an error.
bool _write(int deskriptor, const void* daten, size_t laenge);
inline constexpr int STDERR_DESKRIPTOR = 2;

// Ends the process with SIGALRM after `sekunden` unless cancelled with 0.
void SetzeNotAlarm(unsigned sekunden);
// Sleeps the calling thread for good (a thread that crashed while another one reports).
[[noreturn]] void SchlafeFuerImmer();

}  // namespace win32

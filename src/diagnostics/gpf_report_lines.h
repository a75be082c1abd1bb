// The parts of the crash report, each written through clsGPFProtection::Log, and the facts the
// report needs ready before a crash.
#pragma once
#include <windows.h>

class clsGPFProtection;

namespace ovut::crash {

// Records, once, what the heap-free part of the report needs (the NT layer's address range).
void PrepareReportFacts() noexcept;

// True when this thread is writing a report right now.
bool ReportingOnThisThread() noexcept;
// An exception inside the report: one log line, then the process ends (never re-entered).
[[noreturn]] void EndAfterNestedException(EXCEPTION_POINTERS* exception) noexcept;

// Moves the instruction pointer past an int3 it points at.
void StepOverBreakpoint(CONTEXT* context) noexcept;

// True when the process heap or the loader may be unusable for this report: another thread
// (or this one) holds the loader lock, or the fault lies in the NT layer, where the heap and the
// loader run with their locks held.
bool HeapOrLoaderUnsafe(const EXCEPTION_POINTERS* exception) noexcept;

// "%s, %s" with the date and the 24-hour time; numeric when `plain` (no locale data needed).
void DateTimeText(wchar_t* text, size_t size, bool plain) noexcept;

void WriteRegisters(clsGPFProtection& report, const CONTEXT* context) noexcept;
void WriteCodeEnvironment(clsGPFProtection& report, const CONTEXT* context) noexcept;
// False when the list or the trace cannot be had.
bool WriteModuleList(clsGPFProtection& report) noexcept;
bool WriteStackTrace(clsGPFProtection& report, const CONTEXT* context) noexcept;

// The instruction pointer of a context.
UINT_PTR InstructionPointer(const CONTEXT* context) noexcept;

}  // namespace ovut::crash

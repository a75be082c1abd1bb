// The crash log: "%APPDATA%\ORVASK.LOG", or "ORVASK.LOG" in the temporary folder when that
// cannot be written. A crash may come while this thread holds the process heap's lock or the
// loader lock, so lines are formatted into static buffers and appended through the NT file
// functions with paths converted in advance: appending allocates nothing and loads nothing.
#pragma once
#include <windows.h>

#include <cstdarg>

namespace ovut::crash {

// Chooses the log file and prepares everything appending needs. Once per process; may allocate.
// Called when protection is switched on, so that a crash finds it ready.
void PrepareCrashLog() noexcept;
// The path in use (empty before PrepareCrashLog).
const wchar_t* CrashLogPath() noexcept;
// Appends "yyyy-mm-dd, hh:mm.ss.mmm <LIBRARY FILE> <text>" and CR LF as UTF-16LE, opening and
// closing the file for the line. Callers serialise (the report lock).
void AppendCrashLogLine(const wchar_t* text) noexcept;

// Formats into a caller buffer without the heap; always terminated, cut to fit.
void FormatInto(wchar_t* buffer, size_t size, const wchar_t* format, ...) noexcept;
void FormatIntoV(wchar_t* buffer, size_t size, const wchar_t* format, va_list args) noexcept;

// Tests: forget the chosen path so that the next PrepareCrashLog decides again.
void ResetCrashLogForTesting() noexcept;

}  // namespace ovut::crash

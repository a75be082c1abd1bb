// Internal face of the process-wide debug output channel. Every subsystem reports unusual
// events here ("WRN: ", "ERR: " prefixes), never to the user.
#pragma once
#include <windows.h>
#include <cstdarg>

class String;

namespace ovut::debug {

// Nothing here throws: the exports call these without a boundary of their own.

// Created at attach, destroyed at detach (dll/lifecycle.cpp). Calls outside that span are no-ops.
void Initialize(HMODULE library);
void Shutdown();

// True while a viewer is attached, the mailslot is open or a log file is named. Cheap.
bool IsActive() noexcept;

// One line: module name (or null for none), indentation change, printf-style wide format.
void WriteV(const wchar_t* module, int indentChange, const wchar_t* format, va_list args) noexcept;
void Write(const wchar_t* module, int indentChange, const wchar_t* format, ...) noexcept;

// The library warning: a line named after this library, indentation unchanged; dropped once
// the library has begun to shut down.
void Warning(const wchar_t* format, ...) noexcept;
void WarningV(const wchar_t* format, va_list args) noexcept;
void WarningText(const wchar_t* text) noexcept;

// A text as one line named after this library, also during shutdown (PasDebug).
void LibraryText(const wchar_t* text) noexcept;

// The current stack, each frame as two lines, then an empty line.
void StackTrace(int skipFrames, int maxFrames = 256) noexcept;

// When active: "Memory image addresses of modules:" and one line per module image mapped into
// the process (first and last address, file name).
void ListModules() noexcept;

// Turns the C runtime's invalid-parameter reports into library warnings (the call continues);
// Uninstall puts the previous handler back.
void InstallInvalidParameterHandler();
void UninstallInvalidParameterHandler();

// Writes a warning to the system debugger when the process's own module cannot be found again
// by its file name (with and without the folder).
void CheckProcessModuleRoundtrip();

// Test observer: while set, the channel counts as active and every message text (formatted,
// without the line prefix) is also handed to the observer. Null removes it. For tests only.
using Observer = void (*)(void* context, const wchar_t* text);
void SetObserver(Observer observer, void* context) noexcept;

}  // namespace ovut::debug

// Internal face of the process-wide debug output channel. Every subsystem reports unusual
// events here ("WRN: ", "ERR: " prefixes), never to the user.
#pragma once
#include <windows.h>
#include <cstdarg>

class String;

namespace ovut::debug {

// Created at attach, destroyed at detach (dll/lifecycle.cpp). Calls outside that span are no-ops.
void Initialize(HMODULE library);
void Shutdown();

// True while a viewer is attached, the mailslot is open or a log file is named. Cheap.
bool IsActive();

// One line: module name (or null for none), indentation change, printf-style wide format.
void WriteV(const wchar_t* module, int indentChange, const wchar_t* format, va_list args);
void Write(const wchar_t* module, int indentChange, const wchar_t* format, ...);

// The library warning: a line named after this library, indentation unchanged; dropped once
// the library has begun to shut down.
void Warning(const wchar_t* format, ...);
void WarningV(const wchar_t* format, va_list args);
void WarningText(const wchar_t* text);

// The current stack, each frame as two lines, then an empty line.
void StackTrace(int skipFrames, int maxFrames = 256);

}  // namespace ovut::debug

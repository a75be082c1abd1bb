// The last-resort assertion: a box when the process may show one, then the process ends.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::env {

// "line %u in file %s:\n\"%s\"", cut to 80 characters.
String AssertionText(const wchar_t* expression, const wchar_t* file, UINT line) noexcept;

// Writes the assertion to the debug channel, shows the box (task-modal, stop icon, Retry and
// Cancel) when UI interaction is allowed, and ends the process with exit code -1.
[[noreturn]] void FailAssertion(const wchar_t* expression, const wchar_t* file, UINT line) noexcept;

}  // namespace ovut::env

// Private window-message numbers handed out by name, process-wide, so that the modules of one
// process agree on them without registering system-wide messages.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::env {

constexpr UINT kFirstWindowMessage = 0x8000;  // WM_APP: the first of the application range
constexpr UINT kLastWindowMessage = 0xBFFF;   // above it begin the system's registered messages

// The number of the name (compared without regard to case), registering it with the next free
// number when it is new. 0 for a null or empty name, and when the range is used up.
UINT WindowMessageOf(const wchar_t* name) noexcept;
// The name as first registered; false when the number is not handed out.
bool WindowMessageName(UINT number, String& name) noexcept;

}  // namespace ovut::env

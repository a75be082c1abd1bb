// Markers for a concurrency visualizer: flags, messages and spans written as event-tracing
// strings of the library's provider, so that a trace session shows them on the thread's time
// line. Nothing is written while no session listens.
#pragma once
#include <windows.h>

namespace ovut::debug::cv {

// Provider {72B08847-F340-48E9-9C21-469DEE825400}; keywords tell the kinds apart.
constexpr ULONGLONG kKeywordFlag = 0x1;
constexpr ULONGLONG kKeywordMessage = 0x2;
constexpr ULONGLONG kKeywordSpan = 0x4;

bool IsEnabled() noexcept;
void WriteFlag(const wchar_t* text) noexcept;
void WriteMessage(const wchar_t* text) noexcept;
// A span is a heap record that LeaveSpan writes and frees; never null, so the two always pair.
HANDLE EnterSpan(const wchar_t* text) noexcept;
void LeaveSpan(HANDLE span) noexcept;

}  // namespace ovut::debug::cv

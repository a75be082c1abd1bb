// The memory manager's lines on the debug channel: each is written as a library warning in the
// form "%-8s:%*s%s\n" (module tag, nesting depth as width, "", text). A group's first line
// raises the depth by one and its end lowers it, so reports and call traces nest. Tests
// redirect the finished lines to a sink.
#pragma once
#include <windows.h>

namespace ovut::memory {

// True while the channel is active or a sink is installed; callers test it before building
// a report.
bool LinesActive();
// The same for the object hot paths (fills on free): the channel's state is asked at most
// every 250 ms, since the channel's own test takes its lock.
bool LinesActiveCached();
void Line(const wchar_t* format, ...);
void GroupBegin(const wchar_t* format, ...);  // the line, then one level deeper
void GroupEnd(const wchar_t* format, ...);    // one level up, then the line (none for null)
// A UtilDebug line: no module name, not indented.
void DebugLine(const wchar_t* format, ...);

using LineSink = void (*)(void* context, const wchar_t* line);
// While set, every finished line goes to the sink instead of the channel. Null restores it.
void SetLineSink(LineSink sink, void* context);

// At attach and detach (through the registry's Initialize and Shutdown).
void InitializeLines();
void ShutdownLines();

}  // namespace ovut::memory

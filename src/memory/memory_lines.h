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

// A line whose middle is the name of a code address ("module!symbol+0x1c", "module+0x1a2b",
// or the bare address outside any module): prefix, name, suffix.
void SymbolLine(const wchar_t* prefix, UINT_PTR address, const wchar_t* suffix);

// Lines written by the opening thread between Open and Close are kept with their code
// addresses unresolved, and written by Flush once the caller has released its lock: symbol
// lookups load libraries and files, which must not happen under the registry lock. Open and
// Close are called with that lock held; a nested Open on the same thread does nothing.
struct scDeferredLine;
class clsDeferredLines {
 public:
  clsDeferredLines() = default;
  ~clsDeferredLines() { Flush(); }
  clsDeferredLines(const clsDeferredLines&) = delete;
  clsDeferredLines& operator=(const clsDeferredLines&) = delete;
  void Open() noexcept;
  void Close() noexcept;
  void Flush() noexcept;

  // Used by the line writers while this deferral is open.
  void Add(int kind, int depthChange, const wchar_t* text, UINT_PTR address, const wchar_t* suffix) noexcept;

 private:
  void WriteAll(bool symbols) noexcept;
  scDeferredLine* head_ = nullptr;
  scDeferredLine* tail_ = nullptr;
  bool open_ = false;
  bool failed_ = false;  // out of memory: lines went out at once, without symbols
};

using LineSink = void (*)(void* context, const wchar_t* line);
// While set, every finished line goes to the sink instead of the channel. Null restores it.
void SetLineSink(LineSink sink, void* context);

// At attach and detach (through the registry's Initialize and Shutdown).
void InitializeLines();
void ShutdownLines();

}  // namespace ovut::memory

#include "memory/memory_lines.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <new>

#include "cstring/report.h"
#include "diagnostics/debug_output.h"
#include "foundation/critical_section.h"

namespace ovut::memory {
namespace {

constexpr int kTextUnits = 1025;  // the process-wide text buffer
constexpr int kMaxDepth = 64;

CriticalSection* g_lock = nullptr;
alignas(CriticalSection) unsigned char g_lockStorage[sizeof(CriticalSection)];
wchar_t g_text[kTextUnits];
wchar_t g_line[kTextUnits + kMaxDepth + 16];
int g_depth = 0;
LineSink g_sink = nullptr;
void* g_sinkContext = nullptr;

void Emit(const wchar_t* text) {
  if (LineSink sink = g_sink) sink(g_sinkContext, text);
  else debug::WarningText(text);
}

// depthChange: +1 after the line, -1 before it.
void Write(int depthChange, const wchar_t* format, va_list args) {
  if (!g_lock) return;
  AutoLock lock(*g_lock);
  if (depthChange < 0 && g_depth > 0) --g_depth;
  if (format && LinesActive()) {
    int n = _vsnwprintf(g_text, kTextUnits - 1, format, args);
    g_text[n < 0 ? kTextUnits - 1 : n] = 0;
    int depth = g_depth < kMaxDepth ? g_depth : kMaxDepth;
    n = _snwprintf(g_line, sizeof g_line / sizeof g_line[0] - 1, L"%-8s:%*s%s\n", cstring::ModuleTag(), depth, L"",
                   g_text);
    g_line[n < 0 ? sizeof g_line / sizeof g_line[0] - 1 : n] = 0;
    Emit(g_line);
  }
  if (depthChange > 0) ++g_depth;
}

}  // namespace

bool LinesActive() { return g_sink != nullptr || debug::IsActive(); }

bool LinesActiveCached() {
  static volatile LONG s_active = 0;
  static volatile DWORD s_checked = 0;
  if (g_sink) return true;
  const DWORD now = GetTickCount();
  if (s_checked == 0 || now - s_checked >= 250) {
    InterlockedExchange(&s_active, debug::IsActive() ? 1 : 0);
    s_checked = now ? now : 1;
  }
  return s_active != 0;
}

void Line(const wchar_t* format, ...) {
  va_list a;
  va_start(a, format);
  Write(0, format, a);
  va_end(a);
}

void GroupBegin(const wchar_t* format, ...) {
  va_list a;
  va_start(a, format);
  Write(1, format, a);
  va_end(a);
}

void GroupEnd(const wchar_t* format, ...) {
  va_list a;
  va_start(a, format);
  Write(-1, format, a);
  va_end(a);
}

void DebugLine(const wchar_t* format, ...) {
  if (!g_lock || !LinesActive()) return;
  AutoLock lock(*g_lock);
  va_list a;
  va_start(a, format);
  int n = _vsnwprintf(g_text, kTextUnits - 1, format, a);
  va_end(a);
  g_text[n < 0 ? kTextUnits - 1 : n] = 0;
  if (LineSink sink = g_sink) sink(g_sinkContext, g_text);
  else debug::Write(nullptr, 0, L"%s", g_text);
}

void SetLineSink(LineSink sink, void* context) {
  g_sinkContext = context;
  g_sink = sink;
}

void InitializeLines() {
  if (!g_lock) g_lock = new (g_lockStorage) CriticalSection();
  g_depth = 0;
}

void ShutdownLines() {
  if (!g_lock) return;
  g_lock->~CriticalSection();
  g_lock = nullptr;
}

}  // namespace ovut::memory

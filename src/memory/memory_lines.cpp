#include "memory/memory_lines.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "cstring/report.h"
#include "diagnostics/debug_output.h"
#include "diagnostics/symbols.h"
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

// The deferral of the thread that holds the registry lock, if it opened one.
clsDeferredLines* g_deferred = nullptr;
volatile DWORD g_deferredThread = 0;

clsDeferredLines* Deferral() {
  return g_deferredThread == GetCurrentThreadId() ? g_deferred : nullptr;
}

enum { kPlainLine = 0, kDebugLine = 1, kSymbolLine = 2 };

void Emit(const wchar_t* text) {
  if (LineSink sink = g_sink) sink(g_sinkContext, text);
  else debug::WarningText(text);
}

// depthChange: +1 after the line, -1 before it.
void WriteText(int depthChange, const wchar_t* text);

void Write(int depthChange, const wchar_t* format, va_list args) {
  if (!g_lock) return;
  AutoLock lock(*g_lock);
  if (clsDeferredLines* deferred = Deferral()) {
    if (format && LinesActive()) {
      int n = _vsnwprintf(g_text, kTextUnits - 1, format, args);
      g_text[n < 0 ? kTextUnits - 1 : n] = 0;
    }
    deferred->Add(kPlainLine, depthChange, format && LinesActive() ? g_text : nullptr, 0, nullptr);
    return;
  }
  if (format && LinesActive()) {
    int n = _vsnwprintf(g_text, kTextUnits - 1, format, args);
    g_text[n < 0 ? kTextUnits - 1 : n] = 0;
  }
  WriteText(depthChange, format && LinesActive() ? g_text : nullptr);
}

// With g_lock held.
void WriteText(int depthChange, const wchar_t* text) {
  if (depthChange < 0 && g_depth > 0) --g_depth;
  if (text) {
    const int depth = g_depth < kMaxDepth ? g_depth : kMaxDepth;
    const int n = _snwprintf(g_line, sizeof g_line / sizeof g_line[0] - 1, L"%-8s:%*s%s\n", cstring::ModuleTag(), depth, L"",
                   text);
    g_line[n < 0 ? sizeof g_line / sizeof g_line[0] - 1 : n] = 0;
    Emit(g_line);
  }
  if (depthChange > 0) ++g_depth;
}

void WriteDebugText(const wchar_t* text) {
  if (LineSink sink = g_sink) sink(g_sinkContext, text);
  else debug::Write(nullptr, 0, L"%s", text);
}

// "module!symbol+0x1c", "module+0x1a2b" or the bare address.
constexpr int kNameUnits = 300;
void NameAddress(UINT_PTR address, int detail, wchar_t* name) {
  if (!debug::DescribeAddress(address, name, kNameUnits, detail)) {
    _snwprintf(name, kNameUnits - 1, L"%#p", reinterpret_cast<void*>(address));
    name[kNameUnits - 1] = 0;
  }
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
  if (clsDeferredLines* deferred = Deferral()) deferred->Add(kDebugLine, 0, g_text, 0, nullptr);
  else WriteDebugText(g_text);
}

void SymbolLine(const wchar_t* prefix, UINT_PTR address, const wchar_t* suffix) {
  if (!g_lock || !LinesActive()) return;
  if (clsDeferredLines* deferred = Deferral()) {
    AutoLock lock(*g_lock);
    deferred->Add(kSymbolLine, 0, prefix, address, suffix);
    return;
  }
  wchar_t name[kNameUnits];
  NameAddress(address, debug::kSymbolName, name);
  Line(L"%s%s%s", prefix, name, suffix);
}

// ---- Deferred lines --------------------------------------------------------------------------

struct scDeferredLine {
  scDeferredLine* next;
  int kind;
  int depthChange;
  UINT_PTR address;
  size_t suffixAt;  // where the suffix of a symbol line starts in text
  bool hasText;
  wchar_t text[1];
};

void clsDeferredLines::Open() noexcept {
  if (Deferral()) return;
  g_deferred = this;
  g_deferredThread = GetCurrentThreadId();
  open_ = true;
}

void clsDeferredLines::Close() noexcept {
  if (!open_) return;
  g_deferredThread = 0;
  g_deferred = nullptr;
  open_ = false;
}

// With g_lock held.
void clsDeferredLines::Add(int kind, int depthChange, const wchar_t* text, UINT_PTR address,
                           const wchar_t* suffix) noexcept {
  const size_t a = text ? wcslen(text) : 0, b = suffix ? wcslen(suffix) : 0;
  auto* line = failed_ ? nullptr
                       : static_cast<scDeferredLine*>(
                             HeapAlloc(GetProcessHeap(), 0, sizeof(scDeferredLine) + (a + b + 2) * sizeof(wchar_t)));
  if (!line) {
    // Out of memory: what is kept goes out now and later lines at once, in order; without
    // symbols, which are not looked up under the lock.
    failed_ = true;
    WriteAll(false);
    if (kind == kSymbolLine) {
      wchar_t name[kNameUnits];
      NameAddress(address, debug::kModuleOffset, name);
      _snwprintf(g_text, kTextUnits - 1, L"%s%s%s", text, name, suffix ? suffix : L"");
      g_text[kTextUnits - 1] = 0;
      WriteText(0, g_text);
    } else if (kind == kDebugLine) {
      WriteDebugText(text);
    } else {
      WriteText(depthChange, text);
    }
    return;
  }
  line->next = nullptr;
  line->kind = kind;
  line->depthChange = depthChange;
  line->address = address;
  line->hasText = text != nullptr;
  if (a) memcpy(line->text, text, a * sizeof(wchar_t));
  line->text[a] = 0;
  line->suffixAt = a + 1;
  if (b) memcpy(line->text + a + 1, suffix, b * sizeof(wchar_t));
  line->text[a + 1 + b] = 0;
  if (tail_) tail_->next = line;
  else head_ = line;
  tail_ = line;
}

// symbols: looks names up, without g_lock held. Otherwise module and offset only, with g_lock
// held by the caller.
void clsDeferredLines::WriteAll(bool symbols) noexcept {
  bool refreshed = false;
  while (scDeferredLine* line = head_) {
    head_ = line->next;
    if (!head_) tail_ = nullptr;
    wchar_t name[kNameUnits] = L"";
    if (line->kind == kSymbolLine) {
      if (symbols && !refreshed) debug::RefreshSymbols();
      refreshed = true;
      NameAddress(line->address, symbols ? debug::kSymbolName : debug::kModuleOffset, name);
    }
    {
      AutoLock lock(*g_lock);
      if (line->kind == kSymbolLine) {
        _snwprintf(g_text, kTextUnits - 1, L"%s%s%s", line->text, name, line->text + line->suffixAt);
        g_text[kTextUnits - 1] = 0;
        WriteText(0, g_text);
      } else if (line->kind == kDebugLine) {
        WriteDebugText(line->text);
      } else {
        WriteText(line->depthChange, line->hasText ? line->text : nullptr);
      }
    }
    HeapFree(GetProcessHeap(), 0, line);
  }
}

void clsDeferredLines::Flush() noexcept {
  Close();
  if (head_ && g_lock) WriteAll(true);
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

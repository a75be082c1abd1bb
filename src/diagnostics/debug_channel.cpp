#include "diagnostics/debug_channel.h"

#include <cstddef>
#include <cwchar>
#include <new>

#include "diagnostics/debug_line.h"

namespace ovut::debug {
namespace {

const wchar_t kViewerClass[] = L"ZelClsZOLVEN16";
const wchar_t kFormatError[] = L"<printf format error>";

// Length of a caller's text, at most `limit`; -1 when the pointer cannot be read.
ptrdiff_t ReadableLength(const wchar_t* text, size_t limit) {
  if (!text) return -1;
  if (!ovut::DebuggerAttached() && IsBadStringPtrW(text, limit)) return -1;
  return static_cast<ptrdiff_t>(wcsnlen(text, limit));
}

// Holds one step of the channel's nesting depth for a scope, so that a throw while emitting or
// re-attaching cannot leave the channel believing it is still inside a line.
class DepthStep {
 public:
  explicit DepthStep(int& depth) noexcept : depth_(depth) { ++depth_; }
  ~DepthStep() { --depth_; }
  DepthStep(const DepthStep&) = delete;
  DepthStep& operator=(const DepthStep&) = delete;

 private:
  int& depth_;
};

}  // namespace

clsDebugChannel::clsDebugChannel(HMODULE library, const LogSettings& log)
    : library_(library), identity_(ChannelIdentity::Of(library)) {
  log_.Configure(log);
  AutoLock hold(lock_);
  areas_.Open();
  if (areas_.CreatedGlobal()) {
    HWND viewer = FindWindowW(kViewerClass, nullptr);
    if (viewer) areas_.SetViewer(viewer);
  }
  seen_ = areas_.Viewer();
  if (seen_ && IsWindow(seen_)) ConnectLocked(seen_);
}

clsDebugChannel::~clsDebugChannel() {
  AutoLock hold(lock_);
  DisconnectLocked();
  if (balance_ > 0) InterlockedDecrement(&areas_.Process().level);
  else if (balance_ < 0) InterlockedIncrement(&areas_.Process().level);
  areas_.Close();
}

bool clsDebugChannel::IsActive() noexcept {
  AutoLock hold(lock_);
  return ActiveLocked();
}

bool clsDebugChannel::ActiveLocked() noexcept {
  if (depth_ == 0) {
    // Re-attaching builds the announcement; running out of memory for it must not make the
    // activity test fail: the state left behind is retried on the next line.
    try {
      CheckViewerLocked();
    } catch (...) {
    }
  }
  return link_.Active() || log_.Enabled() || observer_;
}

void clsDebugChannel::CheckViewerLocked() {
  HWND published = areas_.Viewer();
  HWND attached = link_.Window();
  if (published == seen_ && (!attached || IsWindow(attached))) return;
  // A stale handle is acted upon once, not on every line.
  OutputDebugStringW(L"trying to reattach to ZOLVEN16");
  DepthStep step(depth_);
  DisconnectLocked();
  seen_ = published;
  if (published && IsWindow(published)) ConnectLocked(published);
}

// The announcements build their text on the heap; without memory for it the connection is
// still made or ended, only unannounced.
void clsDebugChannel::ConnectLocked(HWND window) {
  link_.Attach(window);
  if (identity_.announces) {
    try {
      AnnounceLocked(L'+');
    } catch (...) {
    }
  }
  link_.Confirm();
}

void clsDebugChannel::DisconnectLocked() {
  if (identity_.announces && link_.WindowAlive()) {
    try {
      AnnounceLocked(L'-');
    } catch (...) {
    }
  }
  link_.Detach();
}

// "++info [exe] [library]" (the library path only when it differs) or "--info [exe]", sent to
// the viewer as they are so that it can tell them from lines.
void clsDebugChannel::AnnounceLocked(wchar_t sign) {
  String text;
  text += sign;
  text += sign;
  text += ModuleInfoLocked();
  text += L" [";
  text += identity_.processPath;
  text += L"]";
  if (sign == L'+' && identity_.processPath != identity_.libraryPath) {
    text += L" [";
    text += identity_.libraryPath;
    text += L"]";
  }
  wchar_t line[kLineUnits + 1];
  int n = AppendCut(line, 0, text, text.Length());
  link_.Send(line, n);
}

const String& clsDebugChannel::ModuleInfoLocked() {
  if (!moduleInfoKnown_) {
    if (LoaderLockHeld()) {
      static const String kLater(L"<module info cannot be queried right now>");
      return kLater;
    }
    moduleInfo_ = ModuleInfoText(library_, identity_.libraryFileName);
    moduleInfoKnown_ = true;
  }
  return moduleInfo_;
}

void clsDebugChannel::StepLevel(int direction) {
  if (direction < 0) {
    InterlockedDecrement(&areas_.Process().level);
    --balance_;
  } else if (direction > 0) {
    InterlockedIncrement(&areas_.Process().level);
    ++balance_;
  }
}

void clsDebugChannel::Write(const wchar_t* module, int indentChange, const wchar_t* format, va_list args) {
  AutoLock hold(lock_);
  if (!ActiveLocked()) return;
  if (!format) {
    StepLevel(indentChange);
    return;
  }
  if (indentChange < 0) StepLevel(-1);
  String text;
  if (ReadableLength(format, static_cast<size_t>(-1) / sizeof(wchar_t)) < 0) text = kFormatError;
  else text.FormatV(format, args);
  EmitLocked(module, text, text.Length());
  if (indentChange > 0) StepLevel(1);
}

void clsDebugChannel::WriteText(const wchar_t* module, const wchar_t* text) {
  AutoLock hold(lock_);
  if (!ActiveLocked()) return;
  ptrdiff_t n = ReadableLength(text, kLineUnits);
  if (n < 0) EmitLocked(module, kFormatError, wcslen(kFormatError));
  else EmitLocked(module, text, static_cast<size_t>(n));
}

void clsDebugChannel::SetObserver(void (*observer)(void*, const wchar_t*), void* context) {
  AutoLock hold(lock_);
  observer_ = observer;
  observerContext_ = context;
}

// `text` is terminated; `length` may cut it.
void clsDebugChannel::EmitLocked(const wchar_t* module, const wchar_t* text, size_t length) {
  DepthStep step(depth_);
  if (failEmits_ > 0) {
    --failEmits_;
    throw std::bad_alloc();
  }
  if (observer_) observer_(observerContext_, text);
  // Connecting at load happens under the loader lock; the good-bye should name the version.
  if (!moduleInfoKnown_ && !LoaderLockHeld()) ModuleInfoLocked();
  wchar_t stamp[kStampUnits];
  clock_.Stamp(stamp);
  LinePrefix prefix;
  ptrdiff_t moduleLength = module ? ReadableLength(module, kLineUnits) : -1;
  if (moduleLength > 0) {
    prefix.module = module;
    prefix.moduleLength = static_cast<size_t>(moduleLength);
  }
  prefix.stamp = stamp;
  prefix.thread = GetCurrentThreadId();
  prefix.processor = GetCurrentProcessorNumber();
  ProcessArea& shared = areas_.Process();
  prefix.sequence = static_cast<uint32_t>(InterlockedIncrement(&shared.sequence));
  prefix.level = shared.level;

  wchar_t line[kLineUnits + 1];
  int n = BuildPrefix(prefix, line);
  n = AppendCut(line, n, text, length);
  // A line that the log file's own code reports while it writes goes to the viewer only.
  if (depth_ == 1) log_.Append(line, n);
  link_.Send(line, n);
}

void clsDebugChannel::FailNextEmitsForTesting(int count) {
  AutoLock hold(lock_);
  failEmits_ = count;
}

HWND clsDebugChannel::Viewer() {
  AutoLock hold(lock_);
  CheckViewerLocked();
  return link_.Window();
}

UINT clsDebugChannel::OutputCodePage() {
  AutoLock hold(lock_);
  return link_.CodePage();
}

DWORD clsDebugChannel::ViewerConnectReply() {
  AutoLock hold(lock_);
  return link_.ConnectReply();
}

}  // namespace ovut::debug

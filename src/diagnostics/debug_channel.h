// The process-wide debug channel: builds each line (prefix, cut to 1024 units) and writes it to
// the log file and the viewer, under the channel lock so lines never interleave.
#pragma once
#include <windows.h>
#include <cstdarg>

#include "diagnostics/channel_areas.h"
#include "diagnostics/debug_clock.h"
#include "diagnostics/log_file.h"
#include "diagnostics/module_info.h"
#include "diagnostics/viewer_link.h"
#include "foundation/critical_section.h"
#include "foundation/string.h"

namespace ovut::debug {

class clsDebugChannel {
 public:
  // Reads the log settings, opens the shared areas and connects to a running viewer.
  clsDebugChannel(HMODULE library, const LogSettings& log);
  // Says good-bye to the viewer and undoes this library's open indentation step.
  ~clsDebugChannel();
  clsDebugChannel(const clsDebugChannel&) = delete;
  clsDebugChannel& operator=(const clsDebugChannel&) = delete;

  // The activity test: re-attaches when the published viewer changed or died, then tells
  // whether a viewer or a log file takes lines.
  bool IsActive() noexcept;
  // One formatted line (null format: only the indentation changes).
  void Write(const wchar_t* module, int indentChange, const wchar_t* format, va_list args);
  // One line with the text as it is.
  void WriteText(const wchar_t* module, const wchar_t* text);

  const ChannelIdentity& Identity() const { return identity_; }
  // Viewer state, for diagnostics and tests.
  HWND Viewer();
  UINT OutputCodePage();
  DWORD ViewerConnectReply();
  bool UsesPerfCounter() { return clock_.UsesPerfCounter(); }
  // Tests: while set, the channel is active and each message text also goes to the observer.
  void SetObserver(void (*observer)(void*, const wchar_t*), void* context);
  // Tests: the next `count` lines throw std::bad_alloc from inside the emitting code.
  void FailNextEmitsForTesting(int count);

 private:
  bool ActiveLocked() noexcept;
  void CheckViewerLocked();
  void ConnectLocked(HWND window);
  void DisconnectLocked();
  void AnnounceLocked(wchar_t sign);
  const String& ModuleInfoLocked();
  void StepLevel(int direction);
  void EmitLocked(const wchar_t* module, const wchar_t* text, size_t length);

  CriticalSection lock_;
  HMODULE library_;
  ChannelIdentity identity_;
  clsChannelAreas areas_;
  clsViewerLink link_;
  clsDebugLogFile log_;
  clsDebugClock clock_;
  String moduleInfo_;
  bool moduleInfoKnown_ = false;
  HWND seen_ = nullptr;  // the published handle last acted upon
  LONG balance_ = 0;     // indentation steps taken through this library
  int depth_ = 0;  // > 0 while the channel writes (nested lines skip re-attach and log)
  int failEmits_ = 0;
  void (*observer_)(void*, const wchar_t*) = nullptr;
  void* observerContext_ = nullptr;
};

// The channel between Initialize and Shutdown, else null.
clsDebugChannel* Channel();

}  // namespace ovut::debug

// The small "Please wait..." window shown while the crash report packs its support archive: a
// window of its own on a thread of its own, so that the crashed thread's windows and message
// queue are left alone, and a window that cannot be made costs the report nothing.
#pragma once
#include <windows.h>

#include "foundation/scoped_handle.h"
#include "foundation/thread_base.h"

class clsWaitWindow : public clsThreadBase {
 public:
  // Title and text of the window (German when the user's default language is).
  clsWaitWindow(const wchar_t* title, const wchar_t* text) noexcept;
  ~clsWaitWindow() override;

  // Shows the window; false (and nothing shown) when no thread or window could be made.
  bool Show() noexcept;
  // Removes the window and ends its thread (at most 5 s; a hung thread is left to the process).
  void Close() noexcept;

  static constexpr const wchar_t* kClassName = L"OvutWaitWindow";

 protected:
  DWORD ThreadBody() override;
  DWORD ThreadStackSize() const override { return 64 * 1024; }
  // The waiting thread may be the crashed one: it must not run its own windows' code meanwhile.
  bool ThreadPumpMessages() const override { return false; }

 private:
  const wchar_t* title_;
  const wchar_t* text_;
  ovut::UniqueHandle shown_;  // set by the body once the window exists (or could not be made)
  volatile LONG made_ = 0;
};

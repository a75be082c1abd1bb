// One message box on a thread of its own, for the crash report: the crashed thread's windows and
// message queue are left alone, and a box that fails cannot take the report with it.
#pragma once
#include <windows.h>

#include "foundation/string.h"
#include "foundation/thread_base.h"

// The crash report's boxes and window speak German when the user's default language is German,
// English otherwise.
inline bool CrashTextsInGerman() noexcept { return PRIMARYLANGID(GetUserDefaultLangID()) == LANG_GERMAN; }

class clsMessageBoxThread : public clsThreadBase {
 public:
  clsMessageBoxThread(const String& text, const String& caption, UINT style, int defaultResult) noexcept;
  ~clsMessageBoxThread() override;

  // Shows the box and waits for the answer without a time limit; when no thread can be started
  // the box is shown on the calling thread. Returns the box's result.
  int Show() noexcept;

  String text;
  String caption;
  UINT style;
  int result;

 protected:
  DWORD ThreadBody() override;
  DWORD ThreadStackSize() const override { return 256 * 1024; }
  // The waiting thread is the crashed one: it must not run its own windows' code meanwhile.
  bool ThreadPumpMessages() const override { return false; }
};

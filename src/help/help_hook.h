// The thread's F1 keyboard hook.
#pragma once
#include <windows.h>

namespace ovut::help {

LRESULT CALLBACK KeyboardProc(int code, WPARAM key, LPARAM data);

// Marks the span of a help action on the calling thread: the hook leaves F1 alone meanwhile, so
// a box or a message loop inside the action never starts another one.
class clsHelpActionScope {
 public:
  clsHelpActionScope() noexcept;
  ~clsHelpActionScope();
  clsHelpActionScope(const clsHelpActionScope&) = delete;
  clsHelpActionScope& operator=(const clsHelpActionScope&) = delete;
  static bool Running() noexcept;
};

}  // namespace ovut::help

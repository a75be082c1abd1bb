#include "help/help_hook.h"

#include "help/help_display.h"
#include "help/help_object.h"

namespace ovut::help {
namespace {
thread_local int t_actionDepth = 0;

bool Down(int key) noexcept { return (GetKeyState(key) & 0x8000) != 0; }
}  // namespace

clsHelpActionScope::clsHelpActionScope() noexcept { ++t_actionDepth; }
clsHelpActionScope::~clsHelpActionScope() { --t_actionDepth; }
bool clsHelpActionScope::Running() noexcept { return t_actionDepth > 0; }

LRESULT CALLBACK KeyboardProc(int code, WPARAM key, LPARAM data) {
  // Only a key taken from the queue counts: a loop that merely peeks (HC_NOREMOVE) meets the
  // same key again when it removes it. While an action runs, its own message loops (a box)
  // see the same F1 still queued; it goes on to them untouched.
  if (code == HC_ACTION && key == VK_F1 && (data & 0x80000000) == 0 && !clsHelpActionScope::Running()) {
    if (HelpPtr help = FindForWindow(GetActiveWindow())) {
      const bool shift = Down(VK_SHIFT), control = Down(VK_CONTROL), alt = Down(VK_MENU);
      if ((!shift && !control) || (shift && control && alt)) {
        clsHelpActionScope action;
        DisplayContext(*help, -1);
      }
      return 0;  // the key still reaches its window
    }
  }
  return CallNextHookEx(CurrentHook(), code, key, data);
}

}  // namespace ovut::help

#include "help/help_display.h"

#include <cwchar>

#include "diagnostics/debug_output.h"
#include "environment/ui_policy.h"
#include "help/help_hook.h"
#include "help/help_viewer.h"

namespace ovut::help {
namespace {

bool Down(int key) noexcept { return (GetKeyState(key) & 0x8000) != 0; }

bool IsHelpIdWindow(HWND window) noexcept {
  wchar_t name[12] = L"";
  return GetClassNameW(window, name, 12) > 0 && _wcsicmp(name, L"orvkHelpID") == 0;
}

int TextNumber(HWND window) noexcept {
  wchar_t text[12] = L"";
  GetWindowTextW(window, text, 12);
  return static_cast<int>(wcstol(text, nullptr, 10));
}

// Sibling and child walks stop after this many windows: a window that keeps adding children
// while it is walked must not hold F1 forever.
constexpr int kMaxWalk = 4096;

}  // namespace

UINT ContextHelpIdMessage() noexcept {
  static const UINT message = RegisterWindowMessageW(L"ZelUtilGetContextHelpID");
  return message;
}

int CurrentContext(const clsHelpObject& help) noexcept {
  HWND active = GetActiveWindow();
  if (!help.HasContexts()) {
    if (!active) return -1;
    const LRESULT answer = SendMessageW(active, ContextHelpIdMessage(), 0, 0);
    return answer ? static_cast<int>(answer) : -1;
  }
  if (active) {
    if (HWND focus = GetFocus()) {
      const int wanted = -GetDlgCtrlID(focus);
      HWND sibling = GetWindow(focus, GW_HWNDFIRST);
      for (int n = 0; sibling && n < kMaxWalk; ++n, sibling = GetWindow(sibling, GW_HWNDNEXT))
        if (IsHelpIdWindow(sibling) && GetDlgCtrlID(sibling) == wanted) return TextNumber(sibling);
    }
    HWND child = GetWindow(active, GW_CHILD);
    for (int n = 0; child && n < kMaxWalk; ++n, child = GetWindow(child, GW_HWNDNEXT))
      if (IsHelpIdWindow(child)) return TextNumber(child);
  }
  return help.TopContext();
}

void ShowBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) noexcept {
  if (!env::UIInteractionAllowed()) {
    debug::Warning(L"WRN: help: box not shown (no UI interaction): %s", text);
    return;
  }
  MessageBoxW(owner, text, caption, flags);
}

int DisplayContext(clsHelpObject& help, int context) noexcept {
  clsHelpActionScope action;
  if (context == -1) context = CurrentContext(help);
  if (Down(VK_SHIFT) && Down(VK_CONTROL) && Down(VK_MENU)) {
    ShowBox(GetActiveWindow(), String::Formatted(L"Context# %d", context).c_str(), L"Help", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  if (context == -1) return ShowCommand(help, kCommandContents);
  if (const UINT message = help.HelpMessage()) {
    if (SendMessageW(help.Window(), message, kCommandContext, context)) return 1;
  }
  return RunHelpCommand(help, help.Window(), help.HelpFile(), kCommandContext, static_cast<ULONG_PTR>(context));
}

int ShowCommand(clsHelpObject& help, UINT command) noexcept {
  clsHelpActionScope action;
  static const wchar_t kEmptyKey[] = L"";
  const ULONG_PTR data = command == kCommandPartialKey ? reinterpret_cast<ULONG_PTR>(kEmptyKey) : 0;
  if (const UINT message = help.HelpMessage()) {
    SendMessageW(help.Window(), message, command, static_cast<LPARAM>(data));
    return 1;
  }
  return RunHelpCommand(help, help.Window(), help.HelpFile(), command, data);
}

}  // namespace ovut::help

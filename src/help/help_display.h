// Working out the help context and showing help: through the application's help message or on
// the help file (help_viewer.h).
#pragma once
#include <windows.h>

#include "help/help_object.h"

namespace ovut::help {

constexpr UINT kCommandContext = 1;
constexpr UINT kCommandQuit = 2;
constexpr UINT kCommandContents = 3;
constexpr UINT kCommandHelpOnHelp = 4;
constexpr UINT kCommandPartialKey = 261;

// The registered message "ZelUtilGetContextHelpID".
UINT ContextHelpIdMessage() noexcept;

// The context of the focused control of the active window, -1 for none.
int CurrentContext(const clsHelpObject& help) noexcept;

// Help for a context (-1: the current one); with Shift, Ctrl and Alt down the context box
// instead. 1 shown or taken by the application, else 0.
int DisplayContext(clsHelpObject& help, int context) noexcept;
// Contents (3), index (261 with an empty key) or help on help (4). 1 shown or sent, else 0.
int ShowCommand(clsHelpObject& help, UINT command) noexcept;

// A box owned by `owner`, or a debug line when the process may show none.
void ShowBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) noexcept;

}  // namespace ovut::help

// Running a help command on a help file: ".chm" files in the viewer process "HH.EXE", older
// files through the system's WinHelp.
#pragma once
#include <windows.h>

#include "help/help_object.h"

namespace ovut::help {

// 1 when a viewer window was found for the new viewer process or WinHelp accepted the command,
// else 0 (a missing file or a failed start shows a box owned by `owner`).
int RunHelpCommand(clsHelpObject& help, HWND owner, const String& file, UINT command, ULONG_PTR data) noexcept;

// Whether the file's extension is ".chm", without regard to case.
bool IsHtmlHelpFile(const String& file) noexcept;

// The first top-level window of class "HH Parent" that belongs to the process.
HWND FindViewerWindow(DWORD processId) noexcept;

}  // namespace ovut::help

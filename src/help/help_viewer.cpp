#include "help/help_viewer.h"

#include <vector>

#include "diagnostics/debug_output.h"
#include "environment/late_interface.h"
#include "foundation/scoped_handle.h"
#include "help/help_display.h"

namespace ovut::help {
namespace {

struct scViewerSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchViewer(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<scViewerSearch*>(param);
  wchar_t name[16] = L"";
  DWORD process = 0;
  if (GetClassNameW(window, name, 16) > 0 && _wcsicmp(name, L"HH Parent") == 0 &&
      GetWindowThreadProcessId(window, &process) && process == search->processId) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

void ReportMissingFile(HWND owner, const String& file) noexcept {
  const bool german = (UILanguage() & 0x3FF) == LANG_GERMAN;
  const String text = String::Formatted(
      german ? L"Die Hilfe-Datei '%s' konnte nicht gefunden werden!" : L"The help file '%s' could not be found!",
      file.c_str());
  ShowBox(owner, text.c_str(), L"Problem", MB_OK | MB_ICONEXCLAMATION);
}

int StartViewer(clsHelpObject& help, HWND owner, const String& file, UINT command, ULONG_PTR data) noexcept {
  String line(L"HH.EXE");
  if (command == kCommandContext) line.Append(String::Formatted(L" -mapid %d", static_cast<int>(data)));
  line.Append(L' ');
  line.Append(file);
  std::vector<wchar_t> commandLine(line.c_str(), line.c_str() + line.Length() + 1);

  HWND viewer = nullptr;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    UniqueHandle process(started.hProcess), thread(started.hThread);
    WaitForInputIdle(process.get(), 10000);
    viewer = FindViewerWindow(started.dwProcessId);
  } else {
    const String text = String::Formatted(L"CreateProcess() failed: %s", String::ErrorText(GetLastError()).c_str());
    ShowBox(owner, text.c_str(), L"ERROR", MB_OK | MB_ICONEXCLAMATION);
  }
  // One viewer per object: the one started before goes once the new one runs.
  HWND previous = help.Viewer();
  if (previous && previous != viewer && IsWindow(previous)) PostMessageW(previous, WM_CLOSE, 0, 0);
  help.SetViewer(viewer);
  return viewer ? 1 : 0;
}

}  // namespace

bool IsHtmlHelpFile(const String& file) noexcept {
  return file.Length() >= 4 && _wcsicmp(file.c_str() + file.Length() - 4, L".chm") == 0;
}

HWND FindViewerWindow(DWORD processId) noexcept {
  scViewerSearch search = {processId, nullptr};
  EnumWindows(MatchViewer, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int RunHelpCommand(clsHelpObject& help, HWND owner, const String& file, UINT command, ULONG_PTR data) noexcept {
  if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
    ReportMissingFile(owner, file);
    return 0;
  }
  if (IsHtmlHelpFile(file)) return StartViewer(help, owner, file, command, data);
  help.MarkWinHelpUsed();
  auto winHelp = env::p_WinHelpW.Get();
  if (!winHelp) {
    debug::Warning(L"ERR: help: the system offers no WinHelp for '%s'", file.c_str());
    return 0;
  }
  return winHelp(owner, file.c_str(), command, data) ? 1 : 0;
}

}  // namespace ovut::help

// Stand-in for the HTML help viewer: records its command line and its end as lines in the file
// named by OVUT_HELP_VIEWER_LOG, and keeps a top-level window of class "HH Parent" until it is
// closed (or for a minute, so that a failed test leaves nothing behind).
#include <windows.h>

#include <string>

namespace {

void Record(const std::wstring& line) {
  wchar_t path[MAX_PATH];
  if (!GetEnvironmentVariableW(L"OVUT_HELP_VIEWER_LOG", path, MAX_PATH)) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string utf8(WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.back() = '\n';
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE || message == WM_TIMER) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

// The command line after the program's own name.
std::wstring Arguments() {
  const wchar_t* line = GetCommandLineW();
  if (*line == L'"') {
    line = wcschr(line + 1, L'"');
    line = line ? line + 1 : L"";
  } else {
    while (*line && *line != L' ') ++line;
  }
  while (*line == L' ') ++line;
  return line;
}

}  // namespace

int wmain() {
  WNDCLASSW cls = {};
  cls.lpfnWndProc = ViewerProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"HH Parent";
  RegisterClassW(&cls);
  HWND window = CreateWindowW(L"HH Parent", L"help viewer stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, cls.hInstance, nullptr);
  if (!window) return 1;
  Record(L"open " + Arguments());
  SetTimer(window, 1, 60000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  Record(L"closed");
  return 0;
}

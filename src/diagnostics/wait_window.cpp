#include "diagnostics/wait_window.h"

namespace {

LRESULT CALLBACK WaitWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CLOSE) return 0;  // only its owner ends it
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

clsWaitWindow::clsWaitWindow(const wchar_t* title, const wchar_t* text) noexcept
    : clsThreadBase("GPFInfo::clsWaitWindow"), title_(title), text_(text),
      shown_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

clsWaitWindow::~clsWaitWindow() { Close(); }

bool clsWaitWindow::Show() noexcept {
  if (!shown_ || !ThreadStart()) return false;
  WaitForSingleObject(shown_.get(), 5000);
  return made_ != 0;
}

void clsWaitWindow::Close() noexcept {
  if (IsThreadRunning()) ThreadEnd(false, 5000);
}

DWORD clsWaitWindow::ThreadBody() {
  HMODULE instance = nullptr;  // this library: its window class goes with it
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&WaitWindowProc), &instance);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WaitWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  // Registered for each window and unregistered after it: a library's classes outlive its unload.
  RegisterClassW(&wc);
  const int width = 360, height = 110;
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, title_, WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                                width, height, nullptr, nullptr, instance, nullptr);
  if (window)
    CreateWindowExW(0, L"STATIC", text_, WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 25, width - 30, 40, window, nullptr,
                    instance, nullptr);
  made_ = window ? 1 : 0;
  SetEvent(shown_.get());
  if (!window) {
    UnregisterClassW(kClassName, instance);
    return 1;
  }
  UpdateWindow(window);
  HANDLE stop = StopEvent();
  while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  DestroyWindow(window);
  UnregisterClassW(kClassName, instance);
  return 0;
}

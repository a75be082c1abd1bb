#include "help_fixture.h"
#include "support/test_support.h"

#include <cstring>
#include <map>

namespace helptest {

std::vector<scRequest> HelpWindows::requests_;
std::vector<scBox> HelpWindows::boxes_;
LRESULT HelpWindows::contextAnswer_ = 0;
LRESULT HelpWindows::helpAnswer_ = 1;
bool HelpWindows::f1Released_ = false;

LRESULT CALLBACK HelpWindows::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT contextQuestion = RegisterWindowMessageW(L"ZelUtilGetContextHelpID");
  if (message == contextQuestion) return contextAnswer_;
  if (message == kHelpMessage) {
    requests_.push_back({window, wParam, lParam});
    return helpAnswer_;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

namespace {
std::map<UINT_PTR, HWND> g_pendingBoxes;  // timer -> box it answers
}  // namespace

// A timer message comes only when no input is waiting, so the box's own loop has taken the keys
// still queued before it is answered.
void CALLBACK HelpWindows::AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  auto found = g_pendingBoxes.find(timer);
  if (found == g_pendingBoxes.end()) return;
  HWND box = found->second;
  g_pendingBoxes.erase(found);
  wchar_t text[512] = L"", caption[64] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  GetWindowTextW(box, caption, 64);
  boxes_.push_back({text, caption});
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK HelpWindows::AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = L"";
    if (GetClassNameW(box, cls, 16) && wcscmp(cls, L"#32770") == 0) {
      bool known = false;
      for (const auto& pending : g_pendingBoxes) known |= pending.second == box;
      if (!known) g_pendingBoxes[SetTimer(nullptr, 0, 30, AnswerBox)] = box;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Installed before the library's hook, so it is called after it: the library passes every key
// but the F1 it acts on. It sees the release also when a box's loop takes it.
LRESULT CALLBACK HelpWindows::WatchF1(int code, WPARAM key, LPARAM data) {
  if (code == HC_ACTION && key == VK_F1 && (data & 0x80000000)) f1Released_ = true;
  return CallNextHookEx(nullptr, code, key, data);
}

void HelpWindows::SetUp() {
  requests_.clear();
  boxes_.clear();
  contextAnswer_ = 0;
  helpAnswer_ = 1;
  WNDCLASSW cls = {};
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"HelpTestWindow";
  RegisterClassW(&cls);
  WNDCLASSW id = {};
  id.lpfnWndProc = DefWindowProcW;
  id.hInstance = cls.hInstance;
  id.lpszClassName = L"orvkHelpID";
  RegisterClassW(&id);
  boxHook_ = SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
  ASSERT_NE(boxHook_, nullptr);
  keyHook_ = SetWindowsHookExW(WH_KEYBOARD, WatchF1, nullptr, GetCurrentThreadId());
  ASSERT_NE(keyHook_, nullptr);
}

void HelpWindows::TearDown() {
  for (auto at = windows_.rbegin(); at != windows_.rend(); ++at) DestroyWindow(*at);
  if (boxHook_) UnhookWindowsHookEx(boxHook_);
  if (keyHook_) UnhookWindowsHookEx(keyHook_);
}

HWND HelpWindows::TopWindow(HWND owner) {
  HWND window = CreateWindowW(L"HelpTestWindow", L"help test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                              owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  EXPECT_NE(window, nullptr);
  windows_.push_back(window);
  return window;
}

HWND HelpWindows::Child(HWND parent, const wchar_t* cls, int id, const wchar_t* text) {
  HWND window = CreateWindowW(cls, text, WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  EXPECT_NE(window, nullptr);
  return window;
}

void HelpWindows::Activate(HWND window, HWND focus) {
  SetForegroundWindow(window);
  SetActiveWindow(window);
  if (focus) SetFocus(focus);
  ASSERT_EQ(GetActiveWindow(), window);
}

void HelpWindows::Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  do {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

void HelpWindows::PressF1(const std::vector<WORD>& modifiers, bool peekFirst) {
  std::vector<INPUT> keys;
  auto key = [&](WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    keys.push_back(in);
  };
  for (WORD vk : modifiers) key(vk, false);
  key(VK_F1, false);
  key(VK_F1, true);
  for (auto at = modifiers.rbegin(); at != modifiers.rend(); ++at) key(*at, true);
  ASSERT_EQ(SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)), keys.size());

  f1Released_ = false;
  // Generous: help may start a viewer process before the release is taken (slow when emulated).
  const DWORD end = GetTickCount() + 30000;
  MSG msg;
  while (!f1Released_ && static_cast<LONG>(end - GetTickCount()) > 0) {
    if (peekFirst) PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(1);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  EXPECT_TRUE(f1Released_) << "the F1 release never arrived";
  Pump(20);
}

std::wstring TempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring path = std::wstring(folder) + L"ovut-help-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(path.c_str(), nullptr);
  return path + L"\\" + name;
}

void WriteFileText(const std::wstring& path, const char* text) {
  ASSERT_TRUE(testsupport::WriteFileBytes(path, text));
}

std::string ReadFileText(const std::wstring& path) { return testsupport::ReadFileBytes(path); }

}  // namespace helptest

#include "test_viewer.h"

namespace testsupport {
namespace {

const wchar_t kClass[] = L"ZelClsZOLVEN16";

volatile LONG* GlobalArea(HANDLE* mapping) {
  *mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, L"ZOLVENGlobalData");
  if (!*mapping) return nullptr;
  return static_cast<volatile LONG*>(MapViewOfFile(*mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4));
}

}  // namespace

void PublishViewer(HWND window) {
  HANDLE mapping = nullptr;
  volatile LONG* area = GlobalArea(&mapping);
  if (area) {
    InterlockedExchange(area, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)));
    UnmapViewOfFile(const_cast<LONG*>(area));
  }
  if (mapping) CloseHandle(mapping);
}

TestViewer::TestViewer(const ViewerOptions& options) : options_(options) {
  InitializeCriticalSection(&lock_);
  published_ = GlobalArea(&mapping_);
  if (options_.mailslot) {
    mailslot_ = CreateMailslotW(L"\\\\.\\mailslot\\zolven", 0, 20, nullptr);
    mailslotThread_ = CreateThread(nullptr, 0, MailslotThread, this, 0, nullptr);
  }
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  windowThread_ = CreateThread(nullptr, 0, WindowThread, this, 0, nullptr);
  WaitForSingleObject(ready_, 10000);
  if (options_.publish) Publish();
}

TestViewer::~TestViewer() {
  if (published_) {
    InterlockedCompareExchange(published_, 0, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window_)));
    UnmapViewOfFile(const_cast<LONG*>(published_));
  }
  if (mapping_) CloseHandle(mapping_);
  InterlockedExchange(&stop_, 1);
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (windowThread_) {
    WaitForSingleObject(windowThread_, 10000);
    CloseHandle(windowThread_);
  }
  if (mailslotThread_) {
    WaitForSingleObject(mailslotThread_, 10000);
    CloseHandle(mailslotThread_);
  }
  if (mailslot_ != INVALID_HANDLE_VALUE) CloseHandle(mailslot_);
  if (ready_) CloseHandle(ready_);
  DeleteCriticalSection(&lock_);
}

void TestViewer::Publish() {
  if (published_) InterlockedExchange(published_, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window_)));
}

LRESULT CALLBACK TestViewer::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TestViewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_COPYDATA && self) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    EnterCriticalSection(&self->lock_);
    LRESULT reply = 0;
    if (data->dwData == 0) {
      std::string bytes(static_cast<const char*>(data->lpData), data->cbData);
      if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
      self->copyData_.push_back(bytes);
      reply = 1;
    } else {
      self->queries_.push_back(static_cast<DWORD>(data->dwData));
      if (data->dwData == 6) reply = self->options_.utf8 ? 1 : 0;
      if (data->dwData == 7) reply = static_cast<LRESULT>(self->options_.connectReply);
    }
    LeaveCriticalSection(&self->lock_);
    return reply;
  }
  if (msg == WM_CLOSE) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

DWORD WINAPI TestViewer::WindowThread(void* param) {
  auto* self = static_cast<TestViewer*>(param);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);  // fails harmlessly when an earlier viewer registered it
  self->window_ = CreateWindowW(kClass, L"test viewer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (self->window_) SetWindowLongPtrW(self->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  SetEvent(self->ready_);
  MSG m;
  while (self->window_ && GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}

DWORD WINAPI TestViewer::MailslotThread(void* param) {
  auto* self = static_cast<TestViewer*>(param);
  char buffer[2048];
  while (!self->stop_) {
    DWORD got = 0;
    if (!ReadFile(self->mailslot_, buffer, sizeof buffer, &got, nullptr)) continue;  // read timeout
    EnterCriticalSection(&self->lock_);
    self->mailslotMessages_.emplace_back(buffer, got);
    LeaveCriticalSection(&self->lock_);
  }
  return 0;
}

std::vector<std::string> TestViewer::Mailslot() {
  EnterCriticalSection(&lock_);
  std::vector<std::string> copy = mailslotMessages_;
  LeaveCriticalSection(&lock_);
  return copy;
}

std::vector<std::string> TestViewer::CopyData() {
  EnterCriticalSection(&lock_);
  std::vector<std::string> copy = copyData_;
  LeaveCriticalSection(&lock_);
  return copy;
}

int TestViewer::Queries(DWORD code) {
  EnterCriticalSection(&lock_);
  int n = 0;
  for (DWORD q : queries_) n += q == code;
  LeaveCriticalSection(&lock_);
  return n;
}

void TestViewer::Clear() {
  EnterCriticalSection(&lock_);
  mailslotMessages_.clear();
  copyData_.clear();
  queries_.clear();
  LeaveCriticalSection(&lock_);
}

bool TestViewer::WaitFor(const std::string& part, DWORD timeoutMs) {
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    for (const auto& m : Mailslot())
      if (m.find(part) != std::string::npos) return true;
    for (const auto& m : CopyData())
      if (m.find(part) != std::string::npos) return true;
    Sleep(5);
  } while (GetTickCount64() < deadline);
  return false;
}

std::vector<std::string> TestViewer::PiecesFrom(const std::string& from) {
  std::vector<std::string> out;
  bool on = false;
  for (auto m : Mailslot()) {
    if (!on && m.find(from) == std::string::npos) continue;
    on = true;
    if (!m.empty() && m.back() == '\r') m.pop_back();
    out.push_back(m);
  }
  return out;
}

}  // namespace testsupport

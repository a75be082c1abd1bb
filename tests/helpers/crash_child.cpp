// Crashes under the library's exception protection, for the crash-report tests. A thread of this
// program answers the report's message boxes and records them in "%APPDATA%\boxes.txt" (caption,
// a tab, the text, one box a line).
// Usage: crash_child MODE [yes|no]
//   av      access violation (write to address 0)
//   nx      execution of non-executable memory
//   bp      breakpoint; the program continues and ends with 0
//   stack   stack overflow
//   cpp     an uncaught C++ exception
//   raise   RaiseException with a code that is not a system one
//   locks   access violation while this thread holds the loader lock and the process heap lock
//   lostgdi adds a handle to the PEN list and ends without removing it (exit code 0)
//   debugger ends at once: the tests name it as the system's crash debugger, which Wine starts
//            for an exception that no filter handled (it would otherwise wait for a person)
// The first box (the question) is answered with the second argument (default yes), later boxes
// with No. Exit code 9 when the program survived a crash, 2 for bad arguments.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>

#include "ovut19.h"

namespace {

bool g_firstAnswerYes = true;
volatile LONG g_boxes = 0;

std::wstring BoxLogPath() {
  wchar_t folder[MAX_PATH] = L".";
  GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH);
  return std::wstring(folder) + L"\\boxes.txt";
}

void RecordBox(HWND box) {
  wchar_t caption[256] = {}, text[2048] = {};
  GetWindowTextW(box, caption, 256);
  GetDlgItemTextW(box, 0xFFFF, text, 2048);
  for (wchar_t* p = text; *p; ++p)
    if (*p == L'\r' || *p == L'\n') *p = L' ';
  std::wstring line = std::wstring(caption) + L"\t" + text + L"\n";
  HANDLE f = CreateFileW(BoxLogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(f);
}

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  if (process != GetCurrentProcessId() || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  RecordBox(window);
  const LONG n = InterlockedIncrement(&g_boxes);
  const int answer = n == 1 ? (g_firstAnswerYes ? IDYES : IDNO) : IDNO;
  // OK boxes have no No button: IDCANCEL/IDOK end them.
  const int id = GetDlgItem(window, answer) ? answer : IDOK;
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
  Sleep(200);  // let the box go before it is found again
  return FALSE;
}

DWORD WINAPI Answerer(void*) {
  for (;;) {
    EnumWindows(AnswerBox, 0);
    Sleep(20);
  }
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
__attribute__((noinline)) int Recurse(volatile int depth) {
  volatile char pad[4096];
  pad[0] = static_cast<char>(depth);
  return Recurse(depth + 1) + pad[0];
}
#pragma GCC diagnostic pop

void ExecuteData() {
  // 32-bit processes may run data unless they ask for execution prevention.
  using SetDep = BOOL(WINAPI*)(DWORD);
  if (auto set = reinterpret_cast<SetDep>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetProcessDEPPolicy"))))
    set(1);  // PROCESS_DEP_ENABLE
  void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  static_cast<unsigned char*>(page)[0] = 0xC3;  // ret
  reinterpret_cast<void (*)()>(page)();
}

// PEB::LoaderLock, the section the loader holds while DllMain functions run.
RTL_CRITICAL_SECTION* LoaderLock() {
#ifdef _WIN64
  const size_t offset = 0x110;
#else
  const size_t offset = 0xA0;
#endif
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // the segment read in NtCurrentTeb looks like [0]
  const BYTE* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
  return *reinterpret_cast<RTL_CRITICAL_SECTION* const*>(peb + offset);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring mode = argv[1];
  g_firstAnswerYes = !(argc > 2 && wcscmp(argv[2], L"no") == 0);
  SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
  if (mode == L"debugger") return 0;
  if (mode == L"lostgdi") {
    UtilHandleListMgr(1, UTIL_HANDLELIST_ADD, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1234)));
    return 0;
  }
  CloseHandle(CreateThread(nullptr, 0, Answerer, nullptr, 0, nullptr));
  UtilExHandlerJobOpen();
  UtilExHandlerStartProtection(nullptr);
  if (mode == L"av") {
    *static_cast<volatile int*>(nullptr) = 1;
  } else if (mode == L"nx") {
    ExecuteData();
  } else if (mode == L"bp") {
    __asm__ volatile("int3");
    return 0;
  } else if (mode == L"stack") {
    Recurse(0);
  } else if (mode == L"cpp") {
    throw std::runtime_error("uncaught");
  } else if (mode == L"raise") {
    RaiseException(0xE0424242, 0, 0, nullptr);
  } else if (mode == L"locks") {
    HeapLock(GetProcessHeap());
    EnterCriticalSection(LoaderLock());
    *static_cast<volatile int*>(nullptr) = 1;
  } else {
    return 2;
  }
  return 9;
}

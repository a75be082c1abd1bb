// "crash": a protected thread crashes in a chosen way; the crash runs in a child copy of this
// program, so that this one can tell afterwards where the report, the dump and the archive landed.
// Without -i the child answers the report's boxes itself: Yes to the report, No to opening the
// folder.
#include <windows.h>

#include <cwchar>
#include <string>

#include "command.h"
#include "ovut19.h"

namespace {

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  if (process != GetCurrentProcessId() || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  static LONG boxes = 0;
  const int answer = InterlockedIncrement(&boxes) == 1 ? IDYES : IDNO;
  const int id = GetDlgItem(window, answer) ? answer : IDOK;
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
  Sleep(200);
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
int Recurse(volatile int depth) {
  volatile char pad[4096];
  pad[0] = static_cast<char>(depth);
  return Recurse(depth + 1) + pad[0];
}
#pragma GCC diagnostic pop

// The child: protect this thread and crash.
int Crash(const wchar_t* how, bool interactive) {
  SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
  if (!interactive) CloseHandle(CreateThread(nullptr, 0, Answerer, nullptr, 0, nullptr));
  UtilExHandlerJobOpen();
  UtilExHandlerStartProtection(nullptr);
  if (wcscmp(how, L"av") == 0) {
    *static_cast<volatile int*>(nullptr) = 1;
  } else if (wcscmp(how, L"nx") == 0) {
    using SetDep = BOOL(WINAPI*)(DWORD);  // 32-bit processes run data unless they ask not to
    if (auto set = reinterpret_cast<SetDep>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetProcessDEPPolicy"))))
      set(1);
    void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    static_cast<unsigned char*>(page)[0] = 0xC3;
    reinterpret_cast<void (*)()>(page)();
  } else if (wcscmp(how, L"stack") == 0) {
    Recurse(0);
  } else if (wcscmp(how, L"bp") == 0) {
    __asm__ volatile("int3");
    ovuthost::Print(L"the breakpoint was passed: execution continued behind it\n");
    return 0;
  }
  return 1;
}

std::wstring Env(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
  return n && n < MAX_PATH ? value : L"";
}

ULONGLONG SizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The log grew since `before` and its last report line closes the report.
bool ReportFinished(const std::wstring& log, ULONGLONG before) {
  const ULONGLONG size = SizeOf(log);
  if (size <= before) return false;
  HANDLE f = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  wchar_t tail[160] = {};
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size > 300 ? size - 300 : 0) & ~1LL;
  DWORD got = 0;
  SetFilePointerEx(f, at, nullptr, FILE_BEGIN);
  ReadFile(f, tail, sizeof tail - sizeof(wchar_t), &got, nullptr);
  CloseHandle(f);
  for (DWORD i = 0; i + 2 < got / sizeof(wchar_t); ++i)
    if (tail[i] == L'<' && tail[i + 1] == L'<' && tail[i + 2] == L'<') return true;
  return false;
}

void Tell(const wchar_t* what, const std::wstring& path) {
  const bool there = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  ovuthost::Print(L"  %-8s %s%s\n", what, path.c_str(), there ? L"" : L"  (not written)");
}

int CrashCommand(int argc, wchar_t** argv) {
  const wchar_t* how = L"av";
  bool interactive = false, child = false;
  for (int i = 1; i < argc; ++i) {
    if (_wcsicmp(argv[i], L"-i") == 0) interactive = true;
    else if (_wcsicmp(argv[i], L"--child") == 0) child = true;
    else how = argv[i];
  }
  if (wcscmp(how, L"av") && wcscmp(how, L"nx") && wcscmp(how, L"stack") && wcscmp(how, L"bp")) {
    ovuthost::Print(L"usage: ovuthost crash [av|nx|stack|bp] [-i]\n");
    return 2;
  }
  if (child) return Crash(how, interactive);

  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" crash --child " + how + (interactive ? L" -i" : L"");
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ovuthost::Print(L"cannot start %s\n", self);
    return 1;
  }
  const DWORD started = GetTickCount();
  std::wstring log = Env(L"APPDATA") + L"\\ORVASK.LOG";
  const ULONGLONG before = SizeOf(log);
  // After its report the child is in the system's crash handling (an error report, or under Wine
  // a debugger waiting for a person): once the report is complete it is ended from here.
  bool ended = false;
  for (DWORD waited = 0; !ended; waited += 250) {
    ended = WaitForSingleObject(pi.hProcess, 250) == WAIT_OBJECT_0;
    const bool reported = ReportFinished(log, before);
    if (!ended && ((reported && !interactive) || (!reported && !interactive && waited > 20000))) {
      ended = WaitForSingleObject(pi.hProcess, 1500) == WAIT_OBJECT_0;
      if (!ended) {
        TerminateProcess(pi.hProcess, 0xDEAD);
        WaitForSingleObject(pi.hProcess, INFINITE);
        ovuthost::Print(L"(the child stayed in the system's crash handling and was ended by ovuthost)\n");
        ended = true;
      }
    }
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ovuthost::Print(L"crash %s: the child ended with 0x%08x after %lu ms\n", how, code, GetTickCount() - started);
  if (GetFileAttributesW(log.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::wstring temp = Env(L"TEMP");
    if (!temp.empty()) log = temp + L"\\ORVASK.LOG";
  }
  const std::wstring folder = Env(L"TEMP") + L"\\orvask.debug";
  Tell(L"report", log);
  Tell(L"dump", folder + L"\\orvask.dmp");
  Tell(L"archive", folder + L"\\orvask.dmp.zip");
  ovuthost::Print(L"(the dump is packed into the archive and then deleted; breakpoints and stack overflows "
                  L"make no report)\n");
  return 0;
}

}  // namespace

OVUTHOST_COMMAND(crash, L"crash", L"[av|nx|stack|bp] [-i]: crash a protected thread, tell where the report went",
                 CrashCommand);
OVUTHOST_SHOWN_EXAMPLE(crash, L"av");

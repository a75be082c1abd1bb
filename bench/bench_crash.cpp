// Crash-report figures: protection start/end per pair (it sits on hosts' thread entry paths),
// next to a critical-section pair and a thread-local-slot pair measured in the same run; and the
// time from an access violation in a protected thread of a small child process to its finished
// support archive, next to the start and end of the same child without a crash.
#include <windows.h>
#include <shellapi.h>

#include "bench_clock.h"

#include <cstdio>
#include <cwchar>
#include <string>

#include "diagnostics/gpf_protection.h"
#include "dll/lifecycle.h"

namespace {

constexpr int kPairs = 1000000;
HANDLE g_stamp = nullptr;  // shared memory: the child's time of the exception

LONG WINAPI Stamp(EXCEPTION_POINTERS*) {
  if (double* t = static_cast<double*>(MapViewOfFile(g_stamp, FILE_MAP_WRITE, 0, 0, sizeof(double)))) {
    *t = Now();
    UnmapViewOfFile(t);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

int Child(bool crash) {
  SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  if (!crash) return 0;
  g_stamp = OpenFileMappingW(FILE_MAP_WRITE, FALSE, L"ovut_bench_crash_stamp");
  AddVectoredExceptionHandler(1, Stamp);
  ovut::crash::JobOpen();
  ovut::crash::StartProtection();
  *static_cast<volatile int*>(nullptr) = 1;
  return 9;
}

double RunChild(const wchar_t* mode, const std::wstring& folder) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  SetEnvironmentVariableW(L"APPDATA", folder.c_str());
  SetEnvironmentVariableW(L"TEMP", folder.c_str());
  SetEnvironmentVariableW(L"TMP", folder.c_str());
  std::wstring command = L"\"" + std::wstring(self) + L"\" " + mode;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const double start = Now();
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  const double end = Now();
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return end - start;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc > 1 && wcscmp(argv[1], L"crash") == 0) return Child(true);
  if (argc > 1 && wcscmp(argv[1], L"plain") == 0) return Child(false);
  if (argc > 1 && wcscmp(argv[1], L"debugger") == 0) return 0;
  ovut::ProcessAttach(GetModuleHandleW(nullptr));

  ovut::crash::JobOpen();
  double t = Now();
  for (int i = 0; i < kPairs; ++i) {
    ovut::crash::StartProtection();
    ovut::crash::EndProtection();
  }
  const double protection = (Now() - t) / kPairs * 1e9;
  ovut::crash::StartProtection();  // nested: the entry stays, only its count changes
  t = Now();
  for (int i = 0; i < kPairs; ++i) {
    ovut::crash::StartProtection();
    ovut::crash::EndProtection();
  }
  const double nested = (Now() - t) / kPairs * 1e9;
  ovut::crash::EndProtection();
  ovut::crash::JobClose();
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  t = Now();
  for (int i = 0; i < kPairs; ++i) {
    EnterCriticalSection(&cs);
    LeaveCriticalSection(&cs);
  }
  const double section = (Now() - t) / kPairs * 1e9;
  const DWORD slot = TlsAlloc();
  t = Now();
  for (int i = 0; i < kPairs; ++i) {
    TlsSetValue(slot, reinterpret_cast<void*>(static_cast<UINT_PTR>(i)));
    TlsSetValue(slot, TlsGetValue(slot) ? nullptr : nullptr);
  }
  const double tls = (Now() - t) / kPairs * 1e9;
  printf("protection start+end:           %7.1f ns per pair (first level: entry made and removed)\n", protection);
  printf("protection start+end, nested:   %7.1f ns per pair\n", nested);
  printf("peer: critical section pair:    %7.1f ns\n", section);
  printf("peer: TLS set+get+set:          %7.1f ns\n", tls);

  // The crash child must not ask: this program is named non-interactive for the run.
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvask", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  const wchar_t name[] = L"BENCH_CRASH";
  RegSetValueExW(key, L"NonInteractiveApps", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof name);
  // After the report the exception goes on to the system's crash debugger, which under Wine would
  // wait for a person: for the run it is this program, ending at once.
  HKEY aeDebug = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &aeDebug, nullptr);
  wchar_t oldDebugger[512] = {};
  DWORD oldSize = sizeof oldDebugger - sizeof(wchar_t);
  const bool hadDebugger =
      RegQueryValueExW(aeDebug, L"Debugger", nullptr, nullptr, reinterpret_cast<BYTE*>(oldDebugger), &oldSize) == 0;
  wchar_t selfPath[MAX_PATH];
  GetModuleFileNameW(nullptr, selfPath, MAX_PATH);
  const std::wstring debugger = L"\"" + std::wstring(selfPath) + L"\" debugger %ld %ld";
  RegSetValueExW(aeDebug, L"Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(debugger.c_str()),
                 static_cast<DWORD>((debugger.size() + 1) * sizeof(wchar_t)));
  HANDLE stamp = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(double),
                                    L"ovut_bench_crash_stamp");
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  for (int round = 0; round < 3; ++round) {
    const std::wstring folder = std::wstring(temp) + L"bench_crash_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                std::to_wstring(round);
    CreateDirectoryW(folder.c_str(), nullptr);
    const double plain = RunChild(L"plain", folder);
    RunChild(L"crash", folder);
    const double finished = Now();
    double* when = static_cast<double*>(MapViewOfFile(stamp, FILE_MAP_READ, 0, 0, sizeof(double)));
    const double exception = when ? *when : 0;
    if (when) UnmapViewOfFile(when);
    const std::wstring archive = folder + L"\\orvask.debug\\orvask.dmp.zip";
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    const bool there = GetFileAttributesExW(archive.c_str(), GetFileExInfoStandard, &data);
    printf("exception to finished archive: %7.0f ms (archive %s, %lu KiB); peer: child start to end without crash %5.0f ms\n",
           (finished - exception) * 1e3, there ? "written" : "MISSING", data.nFileSizeLow / 1024, plain * 1e3);
    DeleteFileW(archive.c_str());
    RemoveDirectoryW((folder + L"\\orvask.debug").c_str());
    DeleteFileW((folder + L"\\ORVASK.LOG").c_str());
    RemoveDirectoryW(folder.c_str());
  }
  RegDeleteValueW(key, L"NonInteractiveApps");
  if (hadDebugger)
    RegSetValueExW(aeDebug, L"Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(oldDebugger),
                   static_cast<DWORD>((wcslen(oldDebugger) + 1) * sizeof(wchar_t)));
  else
    RegDeleteValueW(aeDebug, L"Debugger");
  RegCloseKey(aeDebug);
  RegCloseKey(key);
  CloseHandle(stamp);
  return 0;
}

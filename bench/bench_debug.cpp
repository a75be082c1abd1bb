// Debug channel figures: the inactive hot path (no viewer, no log file), and the cost of a line
// that goes to a log file or to a viewer's mailslot.
#include <windows.h>

#include "bench_clock.h"
#include "bench_summary.h"

#include <cstdio>

#include "diagnostics/debug_channel.h"
#include "diagnostics/debug_output.h"
#include "dll/lifecycle.h"
#include "foundation/file.h"
#include "ovut19/debug.h"

namespace {


volatile LONG g_stop = 0;
HWND g_viewer = nullptr;

LRESULT CALLBACK ViewerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_COPYDATA) return 0;  // queries: ANSI text
  return DefWindowProcW(h, m, w, l);
}

DWORD WINAPI ViewerThread(void* ready) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ViewerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZelClsZOLVEN16";
  RegisterClassW(&wc);
  g_viewer = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  SetEvent(static_cast<HANDLE>(ready));
  MSG msg;
  while (!g_stop && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

DWORD WINAPI DrainThread(void* slot) {
  char buffer[1024];
  DWORD got;
  while (!g_stop) ReadFile(static_cast<HANDLE>(slot), buffer, sizeof buffer, &got, nullptr);
  return 0;
}

void Publish(HWND window) {
  HANDLE m = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, L"ZOLVENGlobalData");
  auto* v = static_cast<volatile LONG*>(MapViewOfFile(m, FILE_MAP_ALL_ACCESS, 0, 0, 4));
  InterlockedExchange(v, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)));
  UnmapViewOfFile(const_cast<LONG*>(v));
  CloseHandle(m);
}

void ChannelLine(ovut::debug::clsDebugChannel& channel, const wchar_t* format, ...) {
  va_list a;
  va_start(a, format);
  channel.Write(L"BENCH", 0, format, a);
  va_end(a);
}

template <typename F>
double NsPerCall(int calls, F f) {
  double t0 = Now();
  for (int i = 0; i < calls; ++i) f(i);
  return (Now() - t0) * 1e9 / calls;
}

}  // namespace

int main() {
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  Publish(nullptr);
  ovut::debug::IsActive();

  const int kInactive = 10000000;
  double debugNs = NsPerCall(kInactive, [](int i) { UtilDebug(L"value %d", i); });
  double extNs = NsPerCall(kInactive, [](int i) { UtilDebugExt(L"MOD", 0, L"value %d", i); });
  double flagsNs = NsPerCall(kInactive, [](int) { (void)UtilGetFlags(); });
  std::printf("inactive UtilDebug:              %8.1f ns/call   (%d calls)\n", debugNs, kInactive);
  std::printf("inactive UtilDebugExt:           %8.1f ns/call   (%d calls)\n", extNs, kInactive);
  std::printf("UtilGetFlags:                    %8.1f ns/call   (%d calls)\n", flagsNs, kInactive);

  // A line into a log file, against the same line opened, appended and closed per line (how
  // the log was written before it kept its handle).
  wchar_t temp[MAX_PATH], log[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  swprintf(log, MAX_PATH, L"%lsbench_debug_%lu.log", temp, GetCurrentProcessId());
  const int kLogLines = 2000;
  double logNs = 0;
  {
    ovut::debug::LogSettings settings;
    settings.fileName = log;
    ovut::debug::clsDebugChannel channel(GetModuleHandleW(nullptr), settings);
    logNs = NsPerCall(kLogLines, [&](int i) { ChannelLine(channel, L"a log line number %d", i); });
  }
  DeleteFileW(log);
  const int kOpenLines = 500;
  const wchar_t text[] = L"00:00:00.000 00000000/00 0  a log line number 0000\r\n";
  double openNs = NsPerCall(kOpenLines, [&](int) {
    clsFile file;
    if (file.Open(log, clsFile::kAccessWrite, clsFile::kOpenAlways, clsFile::kShareRead,
                  clsFile::kOptNormal | clsFile::kOptSequentialScan) != 0)
      return;
    file.SeekToEnd();
    file.Write(text, sizeof text - sizeof(wchar_t));
    file.Close();
  });
  DeleteFileW(log);
  std::printf("line to the log file:            %8.1f us/line   (%d lines)\n", logNs / 1000, kLogLines);
  std::printf("  peer: open, append, close:     %8.1f us/line   (%d lines)  x%.3f\n", openNs / 1000, kOpenLines,
              logNs / openNs);
  char ours[32], peer[32];
  std::snprintf(ours, sizeof ours, "%.1f us", logNs / 1000);
  std::snprintf(peer, sizeof peer, "%.1f us", openNs / 1000);
  // The goal is a time (20 us a line), not a ratio: what opening per line costs varies by machine.
  SummaryRow("log-file line vs open/append/close", ours, peer, logNs / openNs, "<= 20 us a line", logNs <= 20000);

  // A line to a viewer through its mailslot.
  HANDLE slot = CreateMailslotW(L"\\\\.\\mailslot\\zolven", 0, 20, nullptr);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE viewer = CreateThread(nullptr, 0, ViewerThread, ready, 0, nullptr);
  WaitForSingleObject(ready, 10000);
  HANDLE drain = CreateThread(nullptr, 0, DrainThread, slot, 0, nullptr);
  Publish(g_viewer);
  UtilDebug(L"attach");
  const int kViewerLines = 20000;
  double viewerNs = NsPerCall(kViewerLines, [](int i) { UtilDebug(L"a viewer line number %d", i); });
  std::printf("line to the viewer's mailslot:   %8.1f us/line   (%d lines)\n", viewerNs / 1000, kViewerLines);

  Publish(nullptr);
  InterlockedExchange(&g_stop, 1);
  PostMessageW(g_viewer, WM_CLOSE, 0, 0);
  WaitForSingleObject(viewer, 5000);
  WaitForSingleObject(drain, 5000);
  CloseHandle(slot);
  ovut::ProcessDetach();
  return 0;
}

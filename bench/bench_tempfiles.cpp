// Temporary files: 10,000 files created with unique names, handed to the manager and removed by
// its thread, next to plain CreateFileW/DeleteFileW of the same names in the same folder.
// The peer is the faster of the two plain orders (each file deleted right after its creation).
// The manager's first cycle starts at once (instead of after 10 s) so that the figure is the
// throughput of creation, queueing and removal, not the start delay.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "foundation/string.h"
#include "foundation/temp_folder.h"
#include "tempfiles/temp_file_manager.h"

namespace tf = ovut::tempfiles;

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  const std::wstring root = std::wstring(base) + L"ovut_bench_tempfiles_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(root.c_str(), nullptr);
  SetEnvironmentVariableW(L"TMP", (root + L"\\").c_str());
  SetEnvironmentVariableW(L"TEMP", (root + L"\\").c_str());
  ovut::ResetTempFolderCache();
  CreateDirectoryW((root + L"\\Orvask").c_str(), nullptr);

  tf::Timings timings;
  timings.firstWaitMs = 0;
  tf::SetTimingsForTesting(timings);
  tf::Open();

  std::vector<std::wstring> names;
  names.reserve(count);
  const double t0 = Now();
  for (int i = 0; i < count; ++i) {
    const String path = tf::CreateUniqueFile(L"bench", L"tmp", 0);
    if (path.IsEmpty()) {
      std::printf("creation failed at %d\n", i);
      return 1;
    }
    names.emplace_back(path.c_str(), path.Length());
    tf::Add(path.c_str());
  }
  const double queued = Now();
  while (tf::QueuedCountForTesting() > 0) Sleep(1);
  const double ours = Now() - t0;
  tf::Close();

  // The peer: the same names, created and deleted directly.
  const double p0 = Now();
  for (const std::wstring& name : names) {
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  for (const std::wstring& name : names) DeleteFileW(name.c_str());
  const double peerBatch = Now() - p0;

  // The same names, each deleted right after its creation: the folder never grows.
  const double q0 = Now();
  for (const std::wstring& name : names) {
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    DeleteFileW(name.c_str());
  }
  const double peer = Now() - q0;

  RemoveDirectoryW((root + L"\\Orvask").c_str());
  RemoveDirectoryW(root.c_str());
  std::printf("files: %d\n", count);
  std::printf("manager: create+queue %.2f s, until removed %.2f s -> %.0f files/s\n", queued - t0, ours, count / ours);
  std::printf("plain CreateFileW all, then DeleteFileW all: %.2f s -> %.0f files/s\n", peerBatch, count / peerBatch);
  std::printf("plain CreateFileW+DeleteFileW per file: %.2f s -> %.0f files/s\n", peer, count / peer);
  std::printf("summary: figure | ours | peer | ratio\n");
  std::printf("summary: temp files created+queued+removed per s | %.0f | %.0f | %.2f\n", count / ours, count / peer,
              peer / ours);
  return 0;
}

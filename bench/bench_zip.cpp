// ZIP writer: archives a generated tree (about 200 files, 100 MB of mixed data) on one core and
// on all cores, and compares with zlib's raw deflate of the same bytes in memory on one core
// (the limit: no file work at all) and with Info-ZIP's "zip -6 -r" run natively on the same
// tree (when installed). Both archives must be the same bytes.
#include <windows.h>
#include <shellapi.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_summary.h"
#include "ovut19/environment.h"
#include "ovut19/zip.h"

namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Processor seconds (user and kernel) the process has used: on a shared machine the fair measure
// of one-core work, where wall time also counts the waits for a core.
double ProcessCpuSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& f) {
    return ((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

uint32_t g_seed = 2024;
uint32_t Next() { return g_seed = g_seed * 1664525u + 1013904223u; }

// Text-like, repetitive and random pieces, so the deflate ratio is that of ordinary files.
std::string MakeContent(size_t size, int kind) {
  static const char* words[] = {"profile ", "archive ", "entry ", "the ", "of ", "value ", "<item name=\"", "\">",
                                "</item>\n", "2024-05-17 ", "error ", "0x7FFE ", "window ", "list ", "and "};
  std::string s;
  s.reserve(size);
  while (s.size() < size) {
    if (kind == 0) s += words[Next() % 15];
    else if (kind == 1) s += static_cast<char>(Next() >> 24);
    else s.append(64, static_cast<char>('a' + Next() % 26));
  }
  s.resize(size);
  return s;
}

bool WriteAll(const std::wstring& path, const std::string& data) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  BOOL ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
  CloseHandle(h);
  return ok && put == data.size();
}

std::string ReadAll(const std::wstring& path) {
  std::string out;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  out.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!out.empty()) ReadFile(h, &out[0], static_cast<DWORD>(out.size()), &got, nullptr);
  CloseHandle(h);
  out.resize(got);
  return out;
}

uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

std::string UnixPath(const std::wstring& path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return std::string();
  char* p = fn(path.c_str());
  if (!p) return std::string();
  std::string s(p);
  HeapFree(GetProcessHeap(), 0, p);
  return s;
}

// Runs Info-ZIP natively through Wine's "start /unix"; the script times itself. Seconds or -1;
// `cpuSeconds` gets zip's processor time (user and system), or -1.
double NativeZip(const std::wstring& base, const std::wstring& tree, const std::wstring& archive,
                 double& cpuSeconds) {
  cpuSeconds = -1;
  const std::string script = UnixPath(base + L"\\native.sh"), timing = UnixPath(base + L"\\native.time");
  if (script.empty()) return -1;
  std::string body = "command -v zip >/dev/null || { echo -1 > '" + timing + "'; exit; }\ncd '" + UnixPath(tree) +
                     "' && s=$(date +%s%N) && zip -q -6 -r '" + UnixPath(archive) +
                     "' . && e=$(date +%s%N) && times > '" + timing + ".cpu' && echo $(( (e - s) / 1000 )) > '" + timing +
                     ".tmp' && mv '" + timing + ".tmp' '" + timing + "'\n";
  if (!WriteAll(base + L"\\native.sh", body)) return -1;
  std::wstring cmd = L"start.exe /unix /bin/sh \"";
  for (char c : script) cmd += static_cast<wchar_t>(static_cast<unsigned char>(c));
  cmd += L"\"";
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 6000; ++i) {
    std::string t = ReadAll(base + L"\\native.time");
    if (!t.empty()) {
      // The shell's "times": its own user and system time, then those of its children.
      const std::string cpu = ReadAll(base + L"\\native.time.cpu");
      int um = 0, sm = 0;
      double us = 0, ss = 0;
      const size_t line = cpu.find('\n');
      if (line != std::string::npos && std::sscanf(cpu.c_str() + line + 1, "%dm%lfs %dm%lfs", &um, &us, &sm, &ss) == 4)
        cpuSeconds = um * 60 + us + sm * 60 + ss;
      return atof(t.c_str()) / 1e6;
    }
    Sleep(50);
  }
  return -1;
}

}  // namespace

int main() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::wstring base = std::wstring(tmp) + L"ovut_bench_zip_" + std::to_wstring(GetCurrentProcessId());
  const std::wstring tree = base + L"\\tree";
  CreateDirectoryW(base.c_str(), nullptr);
  CreateDirectoryW(tree.c_str(), nullptr);

  // 200 files in 10 folders (two levels), 100 MB: 60 % text-like, 25 % random, 15 % runs.
  std::vector<std::wstring> files;
  const size_t kTotal = 100u << 20;
  const int kFiles = 200;
  for (int d = 0; d < 10; ++d) {
    std::wstring dir = tree + L"\\dir" + std::to_wstring(d);
    CreateDirectoryW(dir.c_str(), nullptr);
    if (d % 2) CreateDirectoryW((dir += L"\\inner").c_str(), nullptr);
    for (int f = 0; f < kFiles / 10; ++f) files.push_back(dir + L"\\file" + std::to_wstring(f) + L".dat");
  }
  uint64_t bytes = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    int kind = i % 20 < 12 ? 0 : i % 20 < 17 ? 1 : 2;
    size_t size = (kTotal / kFiles) / 2 + Next() % (kTotal / kFiles);
    std::string content = MakeContent(size, kind);
    bytes += content.size();
    WriteAll(files[i], content);
  }
  std::printf("tree: %zu files, %.1f MB\n", files.size(), bytes / 1048576.0);

  // zlib alone: raw deflate, level 6, of every file already in memory.
  std::vector<std::string> contents;
  for (const std::wstring& f : files) contents.push_back(ReadAll(f));
  std::vector<unsigned char> out(2u << 20);
  uint64_t deflated = 0;
  double cpu0 = ProcessCpuSeconds();
  auto t0 = Clock::now();
  for (const std::string& c : contents) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(c.data()));
    z.avail_in = static_cast<uInt>(c.size());
    int rc;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      rc = deflate(&z, Z_FINISH);
    } while (rc == Z_OK);
    deflated += z.total_out;
    crc32(0, reinterpret_cast<const Bytef*>(c.data()), static_cast<uInt>(c.size()));
    deflateEnd(&z);
  }
  const double zlibSeconds = Since(t0);
  const double zlibCpu = ProcessCpuSeconds() - cpu0;
  contents.clear();

  // Seconds for create, list and close; `appendSeconds` the list alone.
  auto archiveTree = [&](const std::wstring& archive, bool parallel, double& appendSeconds, int& rc) {
    UtilSetParallelCompression(parallel ? TRUE : FALSE);
    auto start = Clock::now();
    HUTILZIP zip = UtilZIPCreate(archive.c_str(), L"bench");
    UtilZIPAppendList(zip, tree.c_str(), nullptr, UTIL_ZIP_RECURSIVE);
    appendSeconds = Since(start);
    rc = UtilZIPClose(zip);
    return Since(start);
  };
  const std::wstring single = base + L"\\single.zip", archive = base + L"\\ovut.zip";
  double singleAppend = 0, appendSeconds = 0;
  int singleRc = 0, rc = 0;
  cpu0 = ProcessCpuSeconds();
  const double singleSeconds = archiveTree(single, false, singleAppend, singleRc);
  const double singleCpu = ProcessCpuSeconds() - cpu0;
  cpu0 = ProcessCpuSeconds();
  const double ovutSeconds = archiveTree(archive, true, appendSeconds, rc);
  const double allCpu = ProcessCpuSeconds() - cpu0;
  UtilSetParallelCompression(TRUE);
  const bool same = ReadAll(single) == ReadAll(archive);

  const std::wstring native = base + L"\\native.zip";
  double nativeCpu = -1;
  const double nativeSeconds = NativeZip(base, tree, native, nativeCpu);

  std::printf("zlib raw deflate (memory, crc):  %6.2f s  %6.1f MB/s  -> %.1f MB (processor %.2f s)\n", zlibSeconds,
              bytes / 1048576.0 / zlibSeconds, deflated / 1048576.0, zlibCpu);
  std::printf("UtilZIP one core:                %6.2f s  %6.1f MB/s  -> %.1f MB (list %.2f s, close %.2f s, rc %d, processor %.2f s)\n",
              singleSeconds, bytes / 1048576.0 / singleSeconds, FileSize(single) / 1048576.0, singleAppend,
              singleSeconds - singleAppend, singleRc, singleCpu);
  std::printf("UtilZIP all cores:               %6.2f s  %6.1f MB/s  -> %.1f MB (list %.2f s, close %.2f s, rc %d, processor %.2f s)\n",
              ovutSeconds, bytes / 1048576.0 / ovutSeconds, FileSize(archive) / 1048576.0, appendSeconds,
              ovutSeconds - appendSeconds, rc, allCpu);
  std::printf("archives one core / all cores: %s\n", same ? "same bytes" : "DIFFERENT");
  if (nativeSeconds >= 0)
    std::printf("zip -6 -r (native Linux):        %6.2f s  %6.1f MB/s  -> %.1f MB (processor %.2f s)\n", nativeSeconds,
                bytes / 1048576.0 / nativeSeconds, FileSize(native) / 1048576.0, nativeCpu);
  else
    std::printf("zip -6 -r (native Linux):        not available\n");
  std::printf("one core / zlib: %.2f (processor time %.2f)   zip / all cores: %.2f   zip / one core: %.2f\n", singleSeconds / zlibSeconds,
              zlibCpu > 0 ? singleCpu / zlibCpu : 0.0, nativeSeconds > 0 ? nativeSeconds / ovutSeconds : 0.0,
              nativeSeconds > 0 ? nativeSeconds / singleSeconds : 0.0);

  char ours[32], peer[32];
  std::snprintf(ours, sizeof ours, "%.2f s", singleSeconds);
  std::snprintf(peer, sizeof peer, "%.2f s", zlibSeconds);
  Summary("ZIP list vs raw deflate in memory", ours, peer, singleSeconds / zlibSeconds, "<= 1.05", 1.05);
  SummaryRow("ZIP list: all cores same bytes as one core", same ? "same" : "different", "-", same ? 1.0 : 0.0,
             "same", same);
  std::snprintf(ours, sizeof ours, "%.2f s", ovutSeconds);
  if (nativeSeconds > 0) {
    std::snprintf(peer, sizeof peer, "%.2f s", nativeSeconds);
    Summary("ZIP list vs zip -6 -r (peer / ours)", ours, peer, nativeSeconds / ovutSeconds, ">= 1.8", 1.8, true);
  }

  SHFILEOPSTRUCTW op = {};
  std::wstring from = base + L'\0';
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
  return 0;
}

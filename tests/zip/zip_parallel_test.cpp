// AppendList with compression workers against the same list without them: the same archive
// bytes, results and debug lines, with sources that cannot be opened and folders that vanish.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ovut19/environment.h"
#include "ovut19/zip.h"
#include "support/debug_capture.h"
#include "support/test_support.h"
#include "zip/zip_file.h"
#include "zip/zip_readers.h"

using testsupport::DebugCapture;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
using namespace ziptest;

namespace {

uint32_t g_seed = 7;
uint32_t Next() { return g_seed = g_seed * 1664525u + 1013904223u; }

// Text-like, random or run-length content, so that entries differ in how well they deflate.
std::string Content(size_t size, int kind) {
  static const char* words[] = {"entry ", "value ", "<item/>\n", "the ", "archive ", "0x7FFE "};
  std::string s;
  s.reserve(size + 16);
  while (s.size() < size) {
    if (kind == 0) s += words[Next() % 6];
    else if (kind == 1) s += static_cast<char>(Next() >> 24);
    else s.append(1 + Next() % 200, static_cast<char>('a' + Next() % 26));
  }
  s.resize(size);
  return s;
}

// A fixed last-write time, so that trees made alike give the same entries.
void SetTime(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SYSTEMTIME st = {2024, 5, 5, 17, 13, 45, 30, 0};
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
}

// `count` small files in a few folders and sub-folders, and one of 1-2 MB in a hundred, all with
// one time; paths relative to `top`, with backslashes. The same `count` makes the same tree.
std::vector<std::wstring> MakeTree(const std::wstring& top, int count) {
  g_seed = 7;
  std::vector<std::wstring> files;
  const wchar_t* dirs[] = {L"", L"a", L"a\\deep", L"b", L"c", L"c\\x", L"c\\x\\y", L"gone"};
  for (const wchar_t* d : dirs)
    if (*d) CreateDirectoryW((top + L"\\" + d).c_str(), nullptr);
  for (int i = 0; i < count; ++i) {
    std::wstring dir = dirs[i % 8];
    std::wstring rel = (dir.empty() ? L"" : dir + L"\\") + L"f" + std::to_wstring(i) + L".dat";
    const size_t size = i % 100 == 3 ? (1u << 20) + Next() % (1u << 20) : Next() % 20000;
    EXPECT_TRUE(WriteFileBytes(top + L"\\" + rel, Content(size, i % 3)));
    SetTime(top + L"\\" + rel);
    files.push_back(rel);
  }
  for (const wchar_t* d : dirs)
    if (*d) SetTime(top + L"\\" + d);
  return files;
}

struct ListRun {
  int appendRc = -99, closeRc = -99;
  std::string bytes;
  std::vector<std::wstring> lines;
};

// Archives `top` recursively, with or without workers, within `memory` bytes of compressed
// data in memory (the rest waits in temporary files).
ListRun Archive(const std::wstring& zipPath, const std::wstring& top, bool parallel, size_t memory = size_t(64) << 20) {
  struct Restore {
    ovut::zip::scZipLimits saved = ovut::zip::Limits();
    ~Restore() {
      ovut::zip::Limits() = saved;
      UtilSetParallelCompression(TRUE);
    }
  } restore;
  ovut::zip::Limits().memory = memory;
  UtilSetParallelCompression(parallel ? TRUE : FALSE);
  ListRun run;
  DebugCapture capture;
  HUTILZIP zip = UtilZIPCreate(zipPath.c_str(), L"parallel");
  if (!zip) return run;
  run.appendRc = UtilZIPAppendList(zip, top.c_str(), nullptr, UTIL_ZIP_RECURSIVE);
  run.closeRc = UtilZIPClose(zip);
  run.lines = capture.lines();
  run.bytes = ReadFileBytes(zipPath);
  return run;
}

void ExpectSameRun(const ListRun& sequential, const ListRun& parallel, const char* what) {
  EXPECT_EQ(parallel.appendRc, sequential.appendRc) << what;
  EXPECT_EQ(parallel.closeRc, sequential.closeRc) << what;
  EXPECT_EQ(parallel.lines, sequential.lines) << what;
  EXPECT_TRUE(parallel.bytes == sequential.bytes) << what << ": archives differ (" << parallel.bytes.size()
                                                  << " and " << sequential.bytes.size() << " bytes)";
}

TEST(ZipParallel, TreeGivesTheSameArchiveWithAndWithoutWorkers) {
  TempDir dir;
  const std::wstring top = dir.File(L"tree");
  CreateDirectoryW(top.c_str(), nullptr);
  const std::vector<std::wstring> files = MakeTree(top, 300);

  const ListRun sequential = Archive(dir.File(L"s.zip"), top, false);
  ASSERT_EQ(sequential.closeRc, 0);
  EXPECT_TRUE(sequential.lines.empty());
  ExpectSameRun(sequential, Archive(dir.File(L"p.zip"), top, true), "workers");
  // Entries beyond the memory allowance wait in temporary files: the same bytes again.
  ExpectSameRun(sequential, Archive(dir.File(L"pm.zip"), top, true, 1u << 20), "workers, 1 MB in memory");
  ExpectSameRun(sequential, Archive(dir.File(L"sf.zip"), top, false, 0), "no workers, all in files");

  ASSERT_TRUE(ReadersAvailable()) << "python3/unzip cannot be started through Wine";
  const std::wstring out = dir.File(L"out");
  ASSERT_TRUE(UnpackWithPython(dir.File(L"p.zip"), out));
  for (const std::wstring& f : files) EXPECT_TRUE(ReadFileBytes(out + L"\\" + f) == ReadFileBytes(top + L"\\" + f));
}

std::wstring g_vanish;
void RemoveOnce(const String&) {
  if (g_vanish.empty()) return;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((g_vanish + L"\\*.dat").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do DeleteFileW((g_vanish + L"\\" + found.cFileName).c_str());
    while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(g_vanish.c_str());
  g_vanish.clear();
}

// A file held open without sharing, a folder removed after it was listed but before it is
// walked, and a top folder that does not exist: the same entries, results and messages.
TEST(ZipParallel, FailuresGiveTheSameArchiveAndMessages) {
  TempDir dir;
  ListRun runs[2];
  // Two trees made alike (entry names are relative), one for each run.
  for (int parallel = 0; parallel < 2; ++parallel) {
    const std::wstring top = dir.File(parallel ? L"t1" : L"t0");
    CreateDirectoryW(top.c_str(), nullptr);
    MakeTree(top, 80);
    HANDLE held = CreateFileW((top + L"\\a\\f17.dat").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    g_vanish = top + L"\\gone";
    ovut::zip::SetWalkObserver(RemoveOnce);
    runs[parallel] = Archive(dir.File(parallel ? L"p.zip" : L"s.zip"), top, parallel != 0);
    ovut::zip::SetWalkObserver(nullptr);
    CloseHandle(held);
    // The run's messages name its own tree.
    for (std::wstring& l : runs[parallel].lines)
      for (size_t at; (at = l.find(top)) != std::wstring::npos;) l.replace(at, top.size(), L"<top>");
  }
  ExpectSameRun(runs[0], runs[1], "held file, vanished folder");
  EXPECT_EQ(runs[0].closeRc, 0);
  bool cannotOpen = false, cannotList = false;
  for (const std::wstring& l : runs[0].lines) {
    cannotOpen |= l.find(L"cannot open") != std::wstring::npos && l.find(L"f17.dat") != std::wstring::npos;
    cannotList |= l.find(L"cannot list") != std::wstring::npos && l.find(L"gone") != std::wstring::npos;
  }
  EXPECT_TRUE(cannotOpen);
  EXPECT_TRUE(cannotList);
  EXPECT_EQ(runs[0].bytes.find("f17.dat"), std::string::npos);
  EXPECT_NE(runs[0].bytes.find("gone/"), std::string::npos);  // its entry stays, as without workers

  const std::wstring missing = dir.File(L"no such folder");
  ExpectSameRun(Archive(dir.File(L"ms.zip"), missing, false), Archive(dir.File(L"mp.zip"), missing, true),
                "missing folder");

  ASSERT_TRUE(ReadersAvailable()) << "python3/unzip cannot be started through Wine";
  EXPECT_TRUE(ReadersAccept(dir.File(L"p.zip")));
}

}  // namespace

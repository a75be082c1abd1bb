// The debug-help job exports as a host calls them: names of the library's own code and of the
// test's, the caller-buffer rule, refused handles, and the caller's stack as text.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "ovut19.h"

namespace {

std::wstring ModuleName(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(address), &module);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  const wchar_t* slash = wcsrchr(path, L'\\');
  return slash ? slash + 1 : path;
}

UINT_PTR AddressOf(HUTILDEBUGHELP(WINAPI* function)(void)) { return reinterpret_cast<UINT_PTR>(function); }

class DebugHelpJob : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(nullptr, job = UtilDebugHelpJobOpen()); }
  void TearDown() override { EXPECT_EQ(0, UtilDebugHelpJobClose(job)); }
  HUTILDEBUGHELP job = nullptr;
};

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  for (size_t at = 0, end; (end = text.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

// The stack trace as a host takes it: a size query, then the text.
__attribute__((noinline)) std::wstring Trace(HUTILDEBUGHELP job, int skip, int max) {
  const int needed = UtilDebugHelpJobStackTrace(job, skip, max, nullptr, 0);
  if (needed <= 0) return L"<size query gave " + std::to_wstring(needed) + L">";
  std::wstring text(static_cast<size_t>(needed) + 256, L'#');
  const int rc = UtilDebugHelpJobStackTrace(job, skip, max, &text[0], static_cast<int>(text.size()));
  if (rc != 0) return L"<trace gave " + std::to_wstring(rc) + L">";
  text.resize(wcslen(text.c_str()));
  return text;
}

TEST_F(DebugHelpJob, AnExportOfTheLibraryIsNamedAfterItsModuleWithTheBufferRule) {
  const UINT_PTR address = AddressOf(&UtilDebugHelpJobOpen) + 3;
  const std::wstring module = ModuleName(reinterpret_cast<void*>(address));
  wchar_t text[512];
  ASSERT_EQ(0, UtilDebugHelpJobGetSymbol(job, address, text, 512));
  const std::wstring full(text);
  // "OVUT19.dll!UtilDebugHelpJobOpen+0x3" with a symbol, "OVUT19.dll+0x..." without.
  EXPECT_EQ(0, _wcsnicmp(full.c_str(), L"OVUT19.dll", 10)) << full;
  EXPECT_EQ(module, full.substr(0, module.size())) << full;
  const std::wstring named = module + L"!UtilDebugHelpJobOpen+0x3";
  if (full.find(L'!') != std::wstring::npos) {
    EXPECT_EQ(named, full);
  }
  const int length = static_cast<int>(full.size());

  struct Case {
    bool buffer;
    int size, result, kept;  // kept: characters of the text in the buffer
  } cases[] = {
      {false, 0, length + 1, -1}, {false, 20, length + 1, -1}, {true, 0, length + 1, -1},
      {true, length + 1, 0, length}, {true, length, -44, length - 1}, {true, 1, -44, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << (c.buffer ? "" : ", no buffer"));
    wchar_t out[512];
    wmemset(out, L'#', 512);
    EXPECT_EQ(c.result, UtilDebugHelpJobGetSymbol(job, address, c.buffer ? out : nullptr, c.size));
    if (c.kept >= 0) {
      EXPECT_EQ(full.substr(0, c.kept), std::wstring(out));
      EXPECT_EQ(L'#', out[c.kept + 1]);  // nothing written past the terminator
    }
  }
}

TEST_F(DebugHelpJob, AnAddressInNoModuleFails) {
  void* data = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  ASSERT_NE(nullptr, data);
  for (UINT_PTR address : {UINT_PTR{0}, UINT_PTR{0x10}, reinterpret_cast<UINT_PTR>(data)}) {
    SCOPED_TRACE(address);
    wchar_t text[64] = L"kept";
    DWORD line = 77;
    EXPECT_EQ(UTIL_DBGHELP_NO_MODULE, UtilDebugHelpJobGetSymbol(job, address, text, 64));
    EXPECT_EQ(UTIL_DBGHELP_NO_MODULE, UtilDebugHelpJobGetSymbol(job, address, nullptr, 0));
    EXPECT_EQ(UTIL_DBGHELP_NO_MODULE, UtilDebugHelpJobGetSourceLine(job, address, text, 64, &line));
    EXPECT_EQ(0u, line);
    EXPECT_STREQ(L"kept", text);
  }
  VirtualFree(data, 0, MEM_RELEASE);
}

TEST_F(DebugHelpJob, SourceLinesAreGivenOrClearlyUnknown) {
  const UINT_PTR address = reinterpret_cast<UINT_PTR>(&Trace) + 8;
  wchar_t file[MAX_PATH] = L"kept";
  DWORD line = 77;
  const int rc = UtilDebugHelpJobGetSourceLine(job, address, file, MAX_PATH, &line);
  if (rc == UTIL_DBGHELP_NO_SOURCE_LINE) {
    EXPECT_EQ(0u, line);
    EXPECT_STREQ(L"kept", file);
  } else {
    ASSERT_EQ(0, rc);
    EXPECT_GT(line, 0u);
    EXPECT_NE(nullptr, wcsstr(file, L"debughelp_job_test.cpp")) << file;
    EXPECT_EQ(static_cast<int>(wcslen(file)) + 1, UtilDebugHelpJobGetSourceLine(job, address, nullptr, 0, nullptr));
  }
}

TEST(DebugHelpJobHandles, NullMadeUpAndClosedHandlesAreRefused) {
  HUTILDEBUGHELP closed = UtilDebugHelpJobOpen();
  ASSERT_NE(nullptr, closed);
  EXPECT_EQ(0, UtilDebugHelpJobClose(closed));
  HUTILDEBUGHELP reopened = UtilDebugHelpJobOpen();  // must not bring the closed one back
  ASSERT_NE(nullptr, reopened);
  EXPECT_NE(closed, reopened);

  const UINT_PTR address = AddressOf(&UtilDebugHelpJobOpen);
  for (HUTILDEBUGHELP bad : {HUTILDEBUGHELP{}, reinterpret_cast<HUTILDEBUGHELP>(0x1234), closed}) {
    SCOPED_TRACE(static_cast<void*>(bad));
    wchar_t text[64] = L"kept";
    DWORD line = 77;
    EXPECT_EQ(UTIL_DBGHELP_INVALID_JOB, UtilDebugHelpJobGetSymbol(bad, address, text, 64));
    EXPECT_EQ(UTIL_DBGHELP_INVALID_JOB, UtilDebugHelpJobGetSymbol(bad, address, nullptr, 0));
    EXPECT_EQ(UTIL_DBGHELP_INVALID_JOB, UtilDebugHelpJobGetSourceLine(bad, address, text, 64, &line));
    EXPECT_EQ(UTIL_DBGHELP_INVALID_JOB, UtilDebugHelpJobStackTrace(bad, 0, 4, text, 64));
    EXPECT_EQ(UTIL_DBGHELP_INVALID_JOB, UtilDebugHelpJobRefresh(bad));
    EXPECT_STREQ(L"kept", text);
    EXPECT_EQ(0u, line);
  }
  EXPECT_EQ(0, UtilDebugHelpJobClose(nullptr));
  EXPECT_EQ(UTIL_DBGHELP_INVALID_JOB, UtilDebugHelpJobClose(closed));
  EXPECT_EQ(UTIL_DBGHELP_INVALID_JOB, UtilDebugHelpJobClose(reinterpret_cast<HUTILDEBUGHELP>(0x1234)));
  EXPECT_EQ(0, UtilDebugHelpJobRefresh(reopened));
  EXPECT_EQ(0, UtilDebugHelpJobClose(reopened));
}

TEST_F(DebugHelpJob, StackTraceStartsAtTheCallerInTheTestModule) {
  const std::wstring exe = ModuleName(reinterpret_cast<const void*>(&Trace));
  std::vector<std::wstring> traces[2];
  for (int skip = 0; skip < 2; ++skip) traces[skip] = Lines(Trace(job, skip, 6));
  const std::vector<std::wstring>& all = traces[0];
  ASSERT_EQ(6u, all.size()) << Trace(job, 0, 6);
  // The first frame is the call site inside Trace, named after the test's module.
  EXPECT_NE(std::wstring::npos, all[0].find(L" " + exe)) << all[0];
  const UINT_PTR first = wcstoull(all[0].c_str() + 2, nullptr, 16);
  EXPECT_GT(first, reinterpret_cast<UINT_PTR>(&Trace));
  EXPECT_LT(first, reinterpret_cast<UINT_PTR>(&Trace) + 4096);
  // Skipping one frame leaves out exactly the first.
  ASSERT_EQ(6u, traces[1].size());
  for (size_t i = 0; i + 1 < all.size(); ++i) EXPECT_EQ(all[i + 1], traces[1][i]);
}

}  // namespace

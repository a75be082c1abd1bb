// Late-loaded libraries: lookup states, name forms, failed loads, concurrent first use.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "environment/late_kernel32.h"
#include "environment/late_load.h"
#include "support/debug_capture.h"

using namespace ovut::env;

namespace {

// A lookup that records the names asked and answers only `g_answer`.
std::vector<std::string> g_asked;
std::string g_answer;
std::atomic<int> g_lookups{0};
FARPROC WINAPI RecordingLookup(HMODULE, LPCSTR name) {
  ++g_lookups;
  g_asked.emplace_back(name);
  return name == g_answer ? reinterpret_cast<FARPROC>(&RecordingLookup) : nullptr;
}
FARPROC WINAPI CountingLookup(HMODULE module, LPCSTR name) {
  ++g_lookups;
  return GetProcAddress(module, name);
}

struct LookupScope {
  CLateLoadBase& library;
  LookupScope(CLateLoadBase& lib, LookupFn fn) : library(lib) {
    g_asked.clear();
    g_lookups = 0;
    library.SetLookupForTesting(fn);
  }
  ~LookupScope() { library.SetLookupForTesting(nullptr); }
};

using AnyFn = void(WINAPI*)();

}  // namespace

TEST(LateLoad, LongPathNameIsFoundOnTheWideForm) {
  CLateLoadBase kernel(L"kernel32");
  clsLateFunction<DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD)> longPath(kernel, "p_GetLongPathName", 12);
  g_asked.clear();
  struct Recorder {
    static FARPROC WINAPI Lookup(HMODULE module, LPCSTR name) {
      g_asked.emplace_back(name);
      return GetProcAddress(module, name);
    }
  };
  LookupScope scope(kernel, &Recorder::Lookup);
  auto fn = longPath.Get();
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(fn),
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetLongPathNameW")));
  EXPECT_EQ(g_asked, (std::vector<std::string>{"GetLongPathName", "GetLongPathNameW"}));
  EXPECT_EQ(longPath.State(), kPresent);
  // The library's own wrapper finds the same entry.
  EXPECT_EQ(reinterpret_cast<void*>(p_GetLongPathName.Get()), reinterpret_cast<void*>(fn));
}

TEST(LateLoad, NameFormsAreTriedInOrder) {
  struct Case {
    const wchar_t* module;
    int dropChars;
    const char* name;
    const char* answer;  // the one form the library exports
    std::vector<std::string> asked;
  };
  const Case cases[] = {
      {L"kernel32", 0, "Foo", "Foo", {"Foo"}},
      {L"kernel32", 0, "Foo", "FooW", {"Foo", "FooW"}},
      {L"kernel32", 0, "Foo", "_Foo@8", {"Foo", "FooW", "_Foo@8"}},
      {L"kernel32", 0, "Foo", "_FooW@8", {"Foo", "FooW", "_Foo@8", "_FooW@8"}},
      {L"shell32", 0, "Foo", "Foo", {"FooW", "Foo"}},
      {L"shell32", 0, "Foo", "FooW", {"FooW"}},
      {L"kernel32", 0, "p_Foo", "FooW", {"Foo", "FooW"}},
      {L"kernel32", 3, "p_xyzFoo", "_Foo@8", {"Foo", "FooW", "_Foo@8"}},
      {L"kernel32", 0, "Foo", "none", {"Foo", "FooW", "_Foo@8", "_FooW@8"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " -> " + c.answer);
    CLateLoadBase library(c.module, LoadFrom::kSystemFolder, c.dropChars);
    clsLateFunction<AnyFn> fn(library, c.name, 8);
    g_answer = c.answer;
    LookupScope scope(library, &RecordingLookup);
    const bool found = c.asked.back() == c.answer;
    EXPECT_EQ(fn.Get() != nullptr, found);
    EXPECT_EQ(g_asked, c.asked);
    EXPECT_EQ(fn.State(), found ? kPresent : kMissing);
  }
}

TEST(LateLoad, AMissingFunctionIsLookedUpOnce) {
  CLateLoadBase kernel(L"kernel32");
  clsLateFunction<AnyFn> missing(kernel, "OvutNoSuchFunction", 4);
  LookupScope scope(kernel, &CountingLookup);
  EXPECT_EQ(missing.Get(), nullptr);
  EXPECT_EQ(missing.State(), kMissing);
  EXPECT_EQ(g_lookups.load(), 4);
  EXPECT_EQ(missing.Get(), nullptr);
  EXPECT_FALSE(missing);
  EXPECT_EQ(g_lookups.load(), 4);
}

TEST(LateLoad, ALibraryThatCannotBeLoadedIsTriedOnceAndWarnsOnce) {
  testsupport::DebugCapture capture;
  for (LoadFrom from : {LoadFrom::kSystemFolder, LoadFrom::kSearchPath}) {
    capture.Clear();
    CLateLoadBase library(L"ovut_no_such_library", from);
    clsLateFunction<AnyFn> first(library, "First", 0), second(library, "Second", 0);
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_EQ(second.Get(), nullptr);
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_FALSE(library.Load());
    EXPECT_EQ(library.LoadAttemptsForTesting(), 1);
    EXPECT_EQ(first.State(), kNotLookedUp);
    EXPECT_EQ(second.State(), kNotLookedUp);
    EXPECT_NE(library.LastError(), 0u);
    int warnings = 0;
    for (const auto& line : capture.lines())
      if (line.rfind(L"WRN: module 'ovut_no_such_library' could not be loaded: ", 0) == 0) ++warnings;
    EXPECT_EQ(warnings, 1);
  }
}

TEST(LateLoad, SystemLibrariesComeFromTheSystemFolder) {
  // A copy planted beside the executable (first in the normal search order) is not taken.
  wchar_t exe[MAX_PATH], planted[MAX_PATH + 16], path[MAX_PATH], system[MAX_PATH];
  const DWORD e = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  ASSERT_TRUE(e > 0 && e < MAX_PATH);
  wcscpy(planted, exe);
  wcscpy(wcsrchr(planted, L'\\') + 1, L"credui.dll");
  ASSERT_TRUE(CopyFileW(exe, planted, FALSE));
  {
    CLateLoadBase library(L"credui");
    ASSERT_TRUE(library.Load());
    ASSERT_GT(GetModuleFileNameW(library.Handle(), path, MAX_PATH), 0u);
  }
  DeleteFileW(planted);
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(_wcsnicmp(path, system, n), 0) << std::wstring(path);
  EXPECT_EQ(path[n], L'\\');
}

TEST(LateLoad, ManyThreadsAtFirstUseGetOneLoadAndOneLookup) {
  CLateLoadBase library(L"query");
  clsLateFunction<AnyFn> loadFilter(library, "LoadIFilter", 12);
  LookupScope scope(library, &CountingLookup);
  constexpr int kThreads = 8;
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<void*> got(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&, i] {
      ++ready;
      while (!go) std::this_thread::yield();
      got[i] = reinterpret_cast<void*>(loadFilter.Get());
    });
  while (ready < kThreads) std::this_thread::yield();
  go = true;
  for (auto& t : threads) t.join();
  ASSERT_NE(got[0], nullptr);
  for (void* entry : got) EXPECT_EQ(entry, got[0]);
  EXPECT_EQ(library.LoadAttemptsForTesting(), 1);
  EXPECT_EQ(g_lookups.load(), 1);
}

TEST(LateLoad, SystemFactsAreRecordedAtAttach) {
  OSVERSIONINFOW info = {sizeof info};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExW(&info));
#pragma GCC diagnostic pop
  EXPECT_EQ(WindowsVersion(), (info.dwMajorVersion << 8) | info.dwMinorVersion);
  EXPECT_GE(WindowsVersion(), 0x0500);
  if (!GetSystemMetrics(SM_REMOTESESSION)) { EXPECT_EQ(RemoteSessionId(), 0u); }
}

// What a host sees of the late-loaded libraries: none is mapped by loading the library, and
// the shared GDI and debug-help sections.
#include <gtest/gtest.h>

#include <windows.h>

#include "ovut19.h"

TEST(EnvironmentExports, LoadingTheLibraryMapsNoLateLoadedLibrary) {
  ASSERT_NE(GetModuleHandleW(L"OVUT19.DLL"), nullptr);
  for (const wchar_t* name : {L"dbghelp.dll", L"xmllite.dll", L"query.dll", L"credui.dll", L"gdiplus.dll"})
    EXPECT_EQ(GetModuleHandleW(name), nullptr) << name;
}

TEST(EnvironmentExports, SharedSectionsForHostModules) {
  EXPECT_EQ(UtilGetGDIThreadingCS(nullptr), nullptr);
  EXPECT_EQ(UtilGetDBGHELPThreadingCS(nullptr), nullptr);
  LPCRITICAL_SECTION gdi = nullptr, help = nullptr, again = nullptr;
  EXPECT_EQ(UtilGetGDIThreadingCS(&gdi), &gdi);
  EXPECT_EQ(UtilGetDBGHELPThreadingCS(&help), &help);
  UtilGetDBGHELPThreadingCS(&again);
  ASSERT_NE(gdi, nullptr);
  ASSERT_NE(help, nullptr);
  EXPECT_NE(gdi, help);
  EXPECT_EQ(again, help);
  // Usable as ordinary critical sections, also recursively.
  EnterCriticalSection(help);
  EXPECT_TRUE(TryEnterCriticalSection(help));
  LeaveCriticalSection(help);
  LeaveCriticalSection(help);
}

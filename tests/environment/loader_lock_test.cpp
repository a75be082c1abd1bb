// Inside a TLS callback (the loader lock is held) nothing is loaded: a library that is not
// mapped yet waits for a later call, which then loads it.
#include <gtest/gtest.h>

#include <windows.h>

#include "environment/late_load.h"
#include "environment/loader_lock.h"

using namespace ovut::env;

namespace {

CLateLoadBase* volatile g_probeLibrary = nullptr;
volatile LONG g_probed = 0, g_underLock = 0, g_loaded = 0, g_mapped = 0;

void NTAPI OnThreadEvent(PVOID, DWORD reason, PVOID) {
  CLateLoadBase* library = g_probeLibrary;
  if (reason != DLL_THREAD_ATTACH || !library) return;
  g_probeLibrary = nullptr;
  g_underLock = UnderLoaderLock();
  g_loaded = library->Load();
  g_mapped = GetModuleHandleW(L"gdiplus.dll") != nullptr;
  g_probed = 1;
}

}  // namespace

extern "C" __attribute__((section(".CRT$XLY"), used)) const PIMAGE_TLS_CALLBACK g_lateLoadTlsProbe = OnThreadEvent;

TEST(LoaderLock, NothingIsLoadedWhileTheLoaderLockIsHeld) {
  EXPECT_FALSE(UnderLoaderLock());
  ASSERT_EQ(GetModuleHandleW(L"gdiplus.dll"), nullptr);
  CLateLoadBase library(L"gdiplus");
  g_probeLibrary = &library;
  HANDLE thread = CreateThread(
      nullptr, 0, [](void*) WINAPI -> DWORD { return 0; }, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  ASSERT_EQ(g_probed, 1) << "the TLS callback did not run";
  EXPECT_EQ(g_underLock, 1);
  EXPECT_EQ(g_loaded, 0);
  EXPECT_EQ(g_mapped, 0);
  EXPECT_EQ(library.LoadAttemptsForTesting(), 0);
  EXPECT_EQ(library.LastError(), 0u) << "a deferred load is no failure";
  EXPECT_TRUE(library.Load());
}

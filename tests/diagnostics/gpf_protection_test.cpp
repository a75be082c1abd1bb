// Exception protection inside one process: the handler switch, the per-thread counts, the filter
// chain and the rules of HandleException, with made-up exception records (the crash tests make
// real ones in child processes).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "diagnostics/crash_log.h"
#include "diagnostics/gpf_protection.h"
#include "environment/env_test_util.h"
#include "support/debug_capture.h"
#include "support/test_support.h"

namespace {

using ovut::crash::HandlerOn;
using ovut::crash::ProtectionCount;
using ovut::crash::ResetHandlerSwitchForTesting;

constexpr const wchar_t* kKey = L"Software\\Orvask";

LPTOP_LEVEL_EXCEPTION_FILTER CurrentFilter() {
  LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
  SetUnhandledExceptionFilter(current);
  return current;
}

TEST(GpfProtection, HandlerSwitchIsDecidedFromTheRegistry) {
  struct Case {
    const wchar_t* force;  // null: no value
    const wchar_t* use;
    bool on;
  } cases[] = {
      {nullptr, nullptr, true}, {L"0", nullptr, false}, {L"False", L"1", false}, {L"T", L"0", true},
      {L"1", L"F", true},       {L"x", L"F", false},    {L"x", L"0", false},     {nullptr, L"yes", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.force ? "force set" : "no force") << ", use " << (c.use ? "set" : "absent"));
    envtest::ScopedRegValue force(HKEY_CURRENT_USER, kKey, L"ForceUseGPFHandler");
    envtest::ScopedRegValue use(HKEY_CURRENT_USER, kKey, L"UseGPFHandler");
    force.Delete();
    use.Delete();
    if (c.force) RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"ForceUseGPFHandler", REG_SZ, c.force, (wcslen(c.force) + 1) * 2);
    if (c.use) RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"UseGPFHandler", REG_SZ, c.use, (wcslen(c.use) + 1) * 2);
    ResetHandlerSwitchForTesting();
    EXPECT_EQ(HandlerOn(), c.on);
  }
  ResetHandlerSwitchForTesting();
}

TEST(GpfProtection, HandlerOffInstallsNothingAndIgnoresProtection) {
  envtest::ScopedRegValue force(HKEY_CURRENT_USER, kKey, L"ForceUseGPFHandler", std::wstring(L"0"));
  ResetHandlerSwitchForTesting();
  const LPTOP_LEVEL_EXCEPTION_FILTER before = CurrentFilter();
  EXPECT_EQ(ovut::crash::JobOpen(), 1);
  EXPECT_EQ(CurrentFilter(), before);
  ovut::crash::StartProtection();
  EXPECT_EQ(ProtectionCount(), 0);
  EXPECT_EQ(ovut::crash::JobClose(), nullptr);
  ResetHandlerSwitchForTesting();
}

TEST(GpfProtection, NestedProtectionEndsWithTheLastEnd) {
  ResetHandlerSwitchForTesting();
  ASSERT_TRUE(HandlerOn());
  ovut::crash::EndProtection();  // no entry: left alone
  EXPECT_EQ(ProtectionCount(), 0);
  ovut::crash::StartProtection();
  ovut::crash::StartProtection();
  ovut::crash::EndProtection();
  EXPECT_EQ(ProtectionCount(), 1);
  ovut::crash::EndProtection();
  EXPECT_EQ(ProtectionCount(), 0);
  // Other threads are not affected by this thread's count.
  ovut::crash::StartProtection();
  LONG other = -1;
  HANDLE t = CreateThread(
      nullptr, 0, [](void* out) WINAPI -> DWORD { *static_cast<LONG*>(out) = ProtectionCount(); return 0; }, &other, 0,
      nullptr);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  EXPECT_EQ(other, 0);
  ovut::crash::EndProtection();
}

int g_previousCalls = 0;
LONG WINAPI PreviousFilter(EXCEPTION_POINTERS*) {
  ++g_previousCalls;
  return 0x1234;
}

// An unprotected exception goes to the filter installed before; a saved filter that leads back
// into the library's filter (two opens) reaches the next older one, and the chain starts at the
// newest again for the next exception.
TEST(GpfProtection, UnprotectedExceptionsFollowTheSavedChain) {
  ResetHandlerSwitchForTesting();
  ASSERT_TRUE(HandlerOn());
  const LPTOP_LEVEL_EXCEPTION_FILTER original = SetUnhandledExceptionFilter(PreviousFilter);
  ovut::crash::JobOpen();
  ovut::crash::JobOpen();
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
  CONTEXT context = {};
  EXCEPTION_POINTERS pointers = {&record, &context};
  g_previousCalls = 0;
  EXPECT_EQ(CurrentFilter(), &ovut::crash::ProtectionFilter);
  EXPECT_EQ(ovut::crash::ProtectionFilter(&pointers), 0x1234);
  EXPECT_EQ(ovut::crash::ProtectionFilter(&pointers), 0x1234);
  EXPECT_EQ(g_previousCalls, 2);
  EXPECT_EQ(ovut::crash::JobClose(), &ovut::crash::ProtectionFilter);
  EXPECT_EQ(ovut::crash::JobClose(), &ovut::crash::ProtectionFilter);
  EXPECT_EQ(CurrentFilter(), &PreviousFilter);
  EXPECT_EQ(ovut::crash::JobClose(), nullptr);  // nothing saved: nothing changes
  EXPECT_EQ(CurrentFilter(), &PreviousFilter);
  SetUnhandledExceptionFilter(original);
}

// The rules that decide without a report: language exceptions pass, a breakpoint continues
// behind its int3, a stack overflow passes silently.
TEST(GpfProtection, HandleExceptionRulesWithoutReport) {
  static unsigned char code[2] = {0xCC, 0x90};
  struct Case {
    DWORD code;
    LONG result;
    const wchar_t* line;  // expected channel line, or null for none
    UINT_PTR ipAfter;     // expected instruction pointer afterwards
  } cases[] = {
      {0xE06D7363, EXCEPTION_CONTINUE_SEARCH, L"Not system exception: let it pass!", 0},
      {0xE0424242, EXCEPTION_CONTINUE_SEARCH, L"Not system exception: let it pass!", 0},
      {EXCEPTION_BREAKPOINT, EXCEPTION_CONTINUE_EXECUTION, nullptr, 1},
      {EXCEPTION_STACK_OVERFLOW, EXCEPTION_CONTINUE_SEARCH, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.code);
    testsupport::DebugCapture capture;
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = c.code;
    CONTEXT context = {};
#ifdef _WIN64
    context.Rip = reinterpret_cast<UINT_PTR>(code);
#else
    context.Eip = reinterpret_cast<UINT_PTR>(code);
#endif
    EXCEPTION_POINTERS pointers = {&record, &context};
    clsGPFProtection protection(clsGPFProtection::kReportWanted);
    EXPECT_EQ(protection.HandleException(&pointers), c.result);
#ifdef _WIN64
    EXPECT_EQ(context.Rip, reinterpret_cast<UINT_PTR>(code) + c.ipAfter);
#else
    EXPECT_EQ(context.Eip, reinterpret_cast<UINT_PTR>(code) + c.ipAfter);
#endif
    if (c.line) {
      EXPECT_TRUE(capture.Contains(c.line));
    }
    EXPECT_FALSE(capture.Contains(L"GenerateExceptionReport"));
  }
}

// "GenerateFullGPFInfo" = 0 for this program and a handler that may not ask: nothing but the
// channel line.
TEST(GpfProtection, RegistryDeniesFullReport) {
  testsupport::TempDir appData;
  wchar_t old[MAX_PATH] = {};
  GetEnvironmentVariableW(L"APPDATA", old, MAX_PATH);
  SetEnvironmentVariableW(L"APPDATA", appData.path().c_str());
  ovut::crash::ResetCrashLogForTesting();
  {
    envtest::ScopedRegValue deny(HKEY_CURRENT_USER, L"Software\\Orvask\\TEST_DIAGNOSTICS", L"GenerateFullGPFInfo",
                                 DWORD{0});
    testsupport::DebugCapture capture;
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    record.NumberParameters = 2;
    record.ExceptionInformation[0] = 8;
    CONTEXT context = {};
    RtlCaptureContext(&context);
    EXCEPTION_POINTERS pointers = {&record, &context};
    clsGPFProtection protection(clsGPFProtection::kReportWanted);
    EXPECT_EQ(protection.HandleException(&pointers), EXCEPTION_CONTINUE_SEARCH);
    EXPECT_TRUE(capture.Contains(L">>>NX violation exception!!!"));
    EXPECT_TRUE(capture.Contains(L"registry explicitly denies GPFInfo"));
    EXPECT_TRUE(capture.Contains(L"<clsGPFProtection::GenerateExceptionReport() -> no GPF info requested"));
    EXPECT_FALSE(capture.Contains(L"starting report"));
  }
  EXPECT_EQ(GetFileAttributesW(appData.File(L"ORVASK.LOG").c_str()), INVALID_FILE_ATTRIBUTES);
  SetEnvironmentVariableW(L"APPDATA", old[0] ? old : nullptr);
  ovut::crash::ResetCrashLogForTesting();
}

TEST(GpfProtection, ExceptionNames) {
  wchar_t name[200];
  ovut::crash::ExceptionName(0xC0000005, name, 200);
  EXPECT_STREQ(name, L"Access Violation");
  ovut::crash::ExceptionName(0xC00000FD, name, 200);
  EXPECT_STREQ(name, L"Stack Overflow");
  ovut::crash::ExceptionName(0xC0000094, name, 8);  // cut to the buffer
  EXPECT_STREQ(name, L"Integer");
}

}  // namespace

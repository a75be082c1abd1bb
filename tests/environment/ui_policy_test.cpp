// The process classification and the UI decision, by the rules and by real processes running
// under the names the rules know.
#include <gtest/gtest.h>

#include "env_test_util.h"
#include "environment/process_identity.h"
#include "environment/ui_policy.h"
#include "ovut19/environment.h"
#include "support/debug_capture.h"

using namespace ovut::env;

namespace {
const wchar_t kMachineKey[] = L"Software\\Orvask";
}

TEST(EnvironmentType, NameRulesComeBeforeTheToken) {
  const uint32_t token = TokenEnvironmentType();
  ASSERT_TRUE(token == kEnvInteractive || token == kEnvNonInteractive) << token;
  const struct { const wchar_t* user; const wchar_t* app; uint32_t type; } cases[] = {
      {L"SYSTEM", L"MYAPP", kEnvSystemOrWeb},
      {L"system", L"MYAPP", kEnvSystemOrWeb},
      {L"ASPNET", L"MYAPP", kEnvSystemOrWeb},
      {L"joe", L"ASPNET_WP", kEnvSystemOrWeb},
      {L"joe", L"WEBDEV.WEBSERVER40", kEnvSystemOrWeb},
      {L"joe", L"webdev.webserver", kEnvSystemOrWeb},
      {L"joe", L"WEBDEV.WEBSERVE", token},  // 15 characters: not the prefix
      {L"joe", L"WEBDEV", token},
      {L"systemd", L"ASPNET_WP2", token},
      {L"", L"", token},
  };
  for (const auto& c : cases) EXPECT_EQ(EnvironmentTypeFor(c.user, c.app), c.type) << c.user << " " << c.app;
  EXPECT_EQ(UtilGetOSEnvironmentType(), EnvironmentTypeFor(CachedUserName(), Identity().process.baseName));
}

TEST(EnvironmentType, ProcessIdentityIsUpperCaseAndSplit) {
  const ModuleNames& p = Identity().process;
  EXPECT_EQ(p.baseName, L"TEST_ENVIRONMENT");
  EXPECT_EQ(p.fileName, L"TEST_ENVIRONMENT.EXE");
  EXPECT_EQ(p.directory + p.fileName, p.path);
  ModuleNames n = SplitModulePath(L"C:\\A.B\\MY.APP.EXE");
  EXPECT_EQ(n.baseName, L"MY.APP");
  EXPECT_EQ(n.directory, L"C:\\A.B\\");
  EXPECT_EQ(SplitModulePath(L"NOEXT").baseName, L"NOEXT");
}

TEST(UIPolicy, NonInteractiveAppsListSuppressesNamedApplications) {
  ASSERT_EQ(TokenEnvironmentType(), kEnvInteractive) << "the checks below need an interactive token";
  envtest::ScopedRegValue list(HKEY_LOCAL_MACHINE, kMachineKey, L"NonInteractiveApps", L"foo;MyApp;bar");
  const struct { const wchar_t* app; int state; } cases[] = {
      {L"MYAPP", 1}, {L"myapp", 1}, {L"FOO", 1}, {L"MYAPP2", 2}, {L"MYAP", 2}, {L"", 2}};
  for (const auto& c : cases) {
    testsupport::DebugCapture capture;
    EXPECT_EQ(DecideUIState(c.app), c.state) << c.app;
    EXPECT_EQ(capture.Contains(std::wstring(L"suppressed UI interaction: application '") + c.app +
                               L"' forced to be UI inactive by registry key"),
              c.state == 1)
        << c.app;
  }
  envtest::ScopedRegValue withEmpty(HKEY_LOCAL_MACHINE, kMachineKey, L"NonInteractiveApps", L"foo;;bar");
  EXPECT_EQ(DecideUIState(L""), 1);
  EXPECT_EQ(DecideUIState(L"X"), 2);
  // The web-server names are never allowed UI, listed or not.
  EXPECT_EQ(DecideUIState(L"ASPNET_WP"), 1);
}

TEST(UIPolicy, DecisionIsKeptForTheLifeOfTheProcess) {
  const BOOL first = UtilGetUIInteractionAllowed();
  envtest::ScopedRegValue list(HKEY_LOCAL_MACHINE, kMachineKey, L"NonInteractiveApps",
                               std::wstring(L"x;") + Identity().process.baseName.c_str());
  EXPECT_EQ(DecideUIState(Identity().process.baseName), 1);
  EXPECT_EQ(UtilGetUIInteractionAllowed(), first);
}

TEST(UIPolicy, ProgramsRunUnderTheNamesTheRulesKnow) {
  ASSERT_EQ(TokenEnvironmentType(), kEnvInteractive);
  // exit code = type * 10 + allowed
  const struct { const wchar_t* name; int code; } cases[] = {
      {L"WEBDEV.WEBSERVER40.EXE", 40}, {L"aspnet_wp.exe", 40}, {L"WEBDEV.EXE", 11}, {L"MyApp.exe", 11}};
  for (const auto& c : cases) {
    envtest::ProbeCopy probe(c.name);
    EXPECT_EQ(probe.Run(), c.code) << c.name;
  }
  envtest::ScopedRegValue list(HKEY_LOCAL_MACHINE, kMachineKey, L"NonInteractiveApps", L"foo;MYAPP;bar");
  envtest::ProbeCopy listed(L"MyApp.exe"), other(L"MyApp2.exe");
  EXPECT_EQ(listed.Run(), 10);
  EXPECT_EQ(other.Run(), 11);
}

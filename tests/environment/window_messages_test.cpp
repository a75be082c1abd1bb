// Process-wide message numbers: stable per name without regard to case, unique across threads.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "env_test_util.h"
#include "ovut19/environment.h"

TEST(WindowMessages, FirstNamesOfAFreshProcessAndTheEndOfTheRange) {
  envtest::ProbeCopy probe(L"env_probe_messages.exe");
  EXPECT_EQ(probe.Run(L"messages"), 0);
  EXPECT_EQ(probe.Run(L"exhaust"), 0);
}

TEST(WindowMessages, NamesAndNumbersBothWays) {
  const UINT a = UtilGetWindowMessage(L"WindowMessages.First");
  const UINT b = UtilGetWindowMessage(L"WindowMessages.Second");
  EXPECT_GE(a, 0x8000u);
  EXPECT_EQ(b, a + 1);
  EXPECT_EQ(UtilGetWindowMessage(L"WINDOWMESSAGES.SECOND"), b);
  EXPECT_EQ(UtilGetWindowMessage(nullptr), 0u);
  EXPECT_EQ(UtilGetWindowMessage(L""), 0u);

  BSTR name = nullptr;
  ASSERT_TRUE(UtilGetWindowMessageName(b, &name));
  EXPECT_STREQ(name, L"WindowMessages.Second");
  ASSERT_TRUE(UtilGetWindowMessageName(a, &name));  // replaced in place
  EXPECT_STREQ(name, L"WindowMessages.First");
  BSTR kept = name;
  EXPECT_FALSE(UtilGetWindowMessageName(b + 1000, &name));
  EXPECT_FALSE(UtilGetWindowMessageName(0x7FFF, &name));
  EXPECT_FALSE(UtilGetWindowMessageName(a, nullptr));
  EXPECT_EQ(name, kept);
  SysFreeString(name);
}

TEST(WindowMessages, ManyThreadsAgreeOnNumbers) {
  constexpr int kThreads = 8, kNames = 300;
  std::vector<std::map<int, UINT>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &seen] {
      for (int i = 0; i < kNames; ++i) {
        int n = (i * 7 + t * 13) % kNames;  // each thread walks the names in its own order
        std::wstring name = (t & 1 ? L"THREADED." : L"threaded.") + std::to_wstring(n);
        seen[t][n] = UtilGetWindowMessage(name.c_str());
      }
    });
  for (auto& th : threads) th.join();
  std::set<UINT> distinct;
  for (int n = 0; n < kNames; ++n) {
    for (int t = 1; t < kThreads; ++t) ASSERT_EQ(seen[t][n], seen[0][n]) << n;
    EXPECT_NE(seen[0][n], 0u);
    distinct.insert(seen[0][n]);
  }
  EXPECT_EQ(distinct.size(), size_t(kNames));
}

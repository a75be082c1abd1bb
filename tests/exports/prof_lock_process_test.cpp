// Two processes save and load one profile file at once: the byte-0 lock and the sharing retries
// must keep every load whole (no torn, mixed or empty content).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "support/prof_lock_round.h"
#include "support/test_support.h"

TEST(ProfLockProcesses, ConcurrentSavesAndLoadsStayWhole) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"shared.prf");
  ASSERT_TRUE(proflock::SaveAndCheck(file.c_str(), L"start"));
  const int kPeerRounds = 300;
  int peerExit = -1;
  volatile LONG peerDone = 0;
  std::thread peer([&] {
    peerExit = testsupport::RunProcess(L"\"" + testsupport::ProgramFolder() + L"\\prof_lock_peer.exe\" \"" + file +
                                       L"\" peer " + std::to_wstring(kPeerRounds), 110000);
    InterlockedExchange(&peerDone, 1);
  });
  // Keep saving and loading for as long as the peer runs, so the two really overlap.
  int broken = 0, rounds = 0;
  while (!peerDone || rounds < 40) {
    if (!proflock::SaveAndCheck(file.c_str(), L"test")) ++broken;
    ++rounds;
  }
  peer.join();
  EXPECT_EQ(broken, 0);
  EXPECT_EQ(peerExit, 0);
  EXPECT_TRUE(proflock::LoadIsWhole(file.c_str()));
}

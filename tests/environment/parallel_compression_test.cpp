// The parallel-compression switch: decided once from the registry (the user's value first),
// then changed only by the host. Each test runs in a process of its own, so each decides anew.
#include <gtest/gtest.h>

#include "env_test_util.h"
#include "environment/parallel_compression.h"

using ovut::env::CompressionWorkers;
using ovut::env::SetParallelCompression;

namespace {
unsigned Processors() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors < ovut::env::kMaxCompressionWorkers ? info.dwNumberOfProcessors
                                                                       : ovut::env::kMaxCompressionWorkers;
}
}  // namespace

TEST(ParallelCompression, OnByDefaultAndTheHostSwitchesIt) {
  envtest::ScopedRegValue user(HKEY_CURRENT_USER, L"Software\\Orvask", L"ParallelCompression");
  envtest::ScopedRegValue machine(HKEY_LOCAL_MACHINE, L"Software\\Orvask", L"ParallelCompression");
  user.Delete();
  machine.Delete();
  EXPECT_EQ(CompressionWorkers(), Processors());
  EXPECT_TRUE(SetParallelCompression(false));
  EXPECT_EQ(CompressionWorkers(), 1u);
  EXPECT_FALSE(SetParallelCompression(true));
  EXPECT_EQ(CompressionWorkers(), Processors());
}

TEST(ParallelCompression, UserValueOverridesTheMachineValue) {
  envtest::ScopedRegValue machine(HKEY_LOCAL_MACHINE, L"Software\\Orvask", L"ParallelCompression", DWORD{1});
  envtest::ScopedRegValue user(HKEY_CURRENT_USER, L"Software\\Orvask", L"ParallelCompression", std::wstring(L"0"));
  EXPECT_EQ(CompressionWorkers(), 1u);
  EXPECT_FALSE(SetParallelCompression(true));
  EXPECT_EQ(CompressionWorkers(), Processors());
}

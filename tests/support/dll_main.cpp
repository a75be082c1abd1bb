// DLL tests: OVUT19.DLL is loaded by the import library, as by any host program.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

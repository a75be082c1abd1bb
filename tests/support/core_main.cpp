// Unit tests link the library's code statically: set up the process-wide state as attach does.
#include <gtest/gtest.h>

#include "dll/lifecycle.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  int rc = RUN_ALL_TESTS();
  ovut::ProcessDetach();
  return rc;
}

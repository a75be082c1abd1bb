// Unit tests link the library's code statically: set up the process-wide state as attach does.
#include <gtest/gtest.h>

#include <cstdio>
#include <windows.h>

#include "dll/lifecycle.h"

// A crash ends the test program at once with a message, instead of waiting in a crash debugger.
static LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
  fprintf(stderr, "test program crashed: exception 0x%08lx at %p\n", info->ExceptionRecord->ExceptionCode,
          info->ExceptionRecord->ExceptionAddress);
  fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char** argv) {
  SetUnhandledExceptionFilter(EndOnCrash);
  ::testing::InitGoogleTest(&argc, argv);
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  int rc = RUN_ALL_TESTS();
  ovut::ProcessDetach();
  return rc;
}

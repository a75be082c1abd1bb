// Profile job, option and version entry points.
#include "exports/prof_guard.h"
#include "ovut19/prof.h"
#include "profile/job_table.h"
#include "profile/string_ops.h"

using namespace ovut::profile;

extern "C" {

HPROFJOB WINAPI ProfJobOpenW(LPCWSTR fileName) {
  return Guarded<HPROFJOB>(0, [&] { return OpenJob(fileName, false); });
}

// A NULL ANSI name is the empty name: the open is tried and fails.
HPROFJOB WINAPI ProfJobOpenA(LPCSTR fileName) {
  return Guarded<HPROFJOB>(0, [&] { return OpenJob(clsAnsiArg(fileName).Wide(), false); });
}

HPROFJOB WINAPI ProfJobOpenExclusiveW(LPCWSTR fileName) {
  return Guarded<HPROFJOB>(0, [&] { return OpenJob(fileName, true); });
}

HPROFJOB WINAPI ProfJobOpenExclusiveA(LPCSTR fileName) {
  return Guarded<HPROFJOB>(0, [&] { return OpenJob(clsAnsiArg(fileName).Wide(), true); });
}

// Both may run on any thread; a handle whose count reached 0 stays dead.
int WINAPI ProfJobAddRef(HPROFJOB job) { return static_cast<int>(AddRefJob(job)); }

void WINAPI ProfJobClose(HPROFJOB job) { CloseJob(job); }

int WINAPI ProfGetError(HPROFJOB job) {
  return Guarded<int>(-5, [&] {
    JobRef j = FindJob(job);
    return j ? j->lastError : -5;
  });
}

int WINAPI ProfGetVersion(int selector) {
  switch (selector) {
    case 0: return 0x1301;
    case 1: return 19;
    case 2: return 1;
    default: return -1;
  }
}

void WINAPI ProfSetOption(int option, int value) {
  if (option == 1) String::SetDefaultCodePage(static_cast<UINT>(value) & 0xFFFFu);
}

int WINAPI ProfGetOption(int option) { return option == 1 ? static_cast<int>(String::DefaultCodePage()) : 0; }

void WINAPI ProfSetDebug(int) {}

}  // extern "C"

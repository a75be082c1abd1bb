// Profile save and stream/clipboard open entry points.
#include "exports/prof_guard.h"
#include "ovut19/prof_persist.h"
#include "profile/job_table.h"
#include "profile/persist/profile_load.h"
#include "profile/persist/profile_save.h"

using namespace ovut::profile;

extern "C" {

int WINAPI ProfSaveW(HPROFJOB job, LPCWSTR fileName, int flags) {
  JobRef j = FindJob(job);
  if (!j) return 0;
  return Guarded<int>(-3, [&] { return ovut::persist::SaveToFile(*j, fileName, flags); });
}

// A NULL ANSI name is the empty name: the open fails and the result is -3.
int WINAPI ProfSaveA(HPROFJOB job, LPCSTR fileName, int flags) {
  JobRef j = FindJob(job);
  if (!j) return 0;
  return Guarded<int>(-3, [&] { return ovut::persist::SaveToFile(*j, clsAnsiArg(fileName).Wide(), flags); });
}

int WINAPI ProfSaveToStream(HPROFJOB job, IStream* stream, int flags) {
  JobRef j = FindJob(job);
  if (!j) return 0;
  return Guarded<int>(-4, [&] { return ovut::persist::SaveToStream(*j, stream, flags); });
}

int WINAPI ProfSaveToClipboard(HPROFJOB job, HWND window, int flags) {
  JobRef j = FindJob(job);
  if (!j) return 0;
  return Guarded<int>(-3, [&] { return ovut::persist::SaveToClipboard(*j, window, flags); });
}

HPROFJOB WINAPI ProfJobOpenStream(IStream* stream) {
  return ovut::persist::OpenStreamJob(stream, L"/", 0);
}

HPROFJOB WINAPI ProfJobOpenStreamObjectW(IStream* stream, LPCWSTR objectName, int level) {
  return ovut::persist::OpenStreamJob(stream, objectName, level);
}

HPROFJOB WINAPI ProfJobOpenStreamObjectA(IStream* stream, LPCSTR objectName, int level) {
  return Guarded<HPROFJOB>(0, [&] {
    return ovut::persist::OpenStreamJob(stream, clsAnsiArg(objectName, true).Wide(), level);
  });
}

HPROFJOB WINAPI ProfJobOpenClipboard(HWND window) { return ovut::persist::OpenClipboardJob(window); }

int WINAPI ProfIsClipboardDataAvailable(void) { return ovut::persist::ClipboardHasProfile() ? 1 : 0; }

}  // extern "C"

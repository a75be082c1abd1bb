// Profile list entry points: find, create, append, empty, delete, copy, enumerate, list.
#include "exports/prof_guard.h"
#include "ovut19/prof.h"
#include "profile/job_table.h"
#include "profile/tree_enum.h"
#include "profile/tree_path.h"
#include "profile/tree_walk.h"

using namespace ovut::profile;

namespace {

PathText PathOf(const wchar_t* name) { return PathText::Of(name ? name : L""); }

struct AnsiEnum {
  ProfEnumCallbackA callback;
  INT_PTR user;
};

int WINAPI EnumToAnsi(HPROFJOB job, LPCWSTR name, LPCWSTR value, HPROFLIST list, INT_PTR user) {
  auto* e = reinterpret_cast<AnsiEnum*>(user);
  clsCharsetConversionString n(name), v(value);
  return e->callback(job, n.Narrow(), v.Narrow(), list, e->user);
}

}  // namespace

extern "C" {

// A NULL name gives the start list itself.
HPROFLIST WINAPI ProfGetListW(HPROFJOB job, HPROFLIST list, LPCWSTR name) {
  return Guarded<HPROFLIST>(0, [&]() -> HPROFLIST {
    JobRef j = FindJob(job);
    if (!j) return 0;
    if (!name) return clsProfJob::HandleOf(j->ListOf(list));
    PathText path = PathOf(name);
    return clsProfJob::HandleOf(FindListPath(StartList(*j, list, path), path));
  });
}

HPROFLIST WINAPI ProfGetListA(HPROFJOB job, HPROFLIST list, LPCSTR name) {
  return Guarded<HPROFLIST>(0, [&] { return ProfGetListW(job, list, clsAnsiArg(name, true).Wide()); });
}

HPROFLIST WINAPI ProfCreateListW(HPROFJOB job, HPROFLIST list, LPCWSTR name) {
  return Guarded<HPROFLIST>(0, [&]() -> HPROFLIST {
    JobRef j = FindJob(job);
    if (!j) return 0;
    PathText path = PathOf(name);
    return clsProfJob::HandleOf(CreateListPath(StartList(*j, list, path), path));
  });
}

HPROFLIST WINAPI ProfCreateListA(HPROFJOB job, HPROFLIST list, LPCSTR name) {
  return Guarded<HPROFLIST>(0, [&] { return ProfCreateListW(job, list, clsAnsiArg(name).Wide()); });
}

HPROFLIST WINAPI ProfAppendListW(HPROFJOB job, HPROFLIST list, LPCWSTR name) {
  return Guarded<HPROFLIST>(0, [&]() -> HPROFLIST {
    JobRef j = FindJob(job);
    if (!j) return 0;
    PathText path = PathOf(name);
    return clsProfJob::HandleOf(AppendListPath(StartList(*j, list, path), path));
  });
}

HPROFLIST WINAPI ProfAppendListA(HPROFJOB job, HPROFLIST list, LPCSTR name) {
  return Guarded<HPROFLIST>(0, [&] { return ProfAppendListW(job, list, clsAnsiArg(name).Wide()); });
}

void WINAPI ProfEmptyList(HPROFJOB job, HPROFLIST list) {
  Guarded([&] {
    if (JobRef j = FindJob(job)) j->ListOf(list)->Clear();
  });
}

// No leading-"/" rule for deletes: "/a" begins with an empty segment.
void WINAPI ProfDeleteItemW(HPROFJOB job, HPROFLIST list, LPCWSTR name) {
  Guarded([&] {
    if (JobRef j = FindJob(job)) DeleteByPath(j->ListOf(list), PathOf(name), false);
  });
}

void WINAPI ProfDeleteItemA(HPROFJOB job, HPROFLIST list, LPCSTR name) {
  Guarded([&] { ProfDeleteItemW(job, list, clsAnsiArg(name).Wide()); });
}

void WINAPI ProfDeleteListW(HPROFJOB job, HPROFLIST list, LPCWSTR name) {
  Guarded([&] {
    JobRef j = FindJob(job);
    if (!j) return;
    if (!name)
      DeleteListByHandle(*j, reinterpret_cast<clsItemList*>(list));
    else
      DeleteByPath(j->ListOf(list), PathOf(name), true);
  });
}

void WINAPI ProfDeleteListA(HPROFJOB job, HPROFLIST list, LPCSTR name) {
  Guarded([&] { ProfDeleteListW(job, list, clsAnsiArg(name, true).Wide()); });
}

int WINAPI ProfCopyList(HPROFJOB destJob, HPROFLIST destList, HPROFJOB srcJob, HPROFLIST srcList) {
  return Guarded<int>(-8, [&] {
    JobRef src = FindJob(srcJob);
    JobRef dest = FindJob(destJob);
    if (!src || !dest) return -5;
    return CopyList(dest->ListOf(destList), src->ListOf(srcList));
  });
}

// The callback may change the list (or close the job: the job is held until the walk ends).
int WINAPI ProfEnumW(HPROFJOB job, HPROFLIST list, ProfEnumCallbackW callback, INT_PTR user) {
  return Guarded<int>(0, [&] {
    JobRef j = FindJob(job);
    if (!j || !callback) return 0;
    return EnumerateList(job, j->ListOf(list), callback, user);
  });
}

int WINAPI ProfEnumA(HPROFJOB job, HPROFLIST list, ProfEnumCallbackA callback, INT_PTR user) {
  if (!callback) return 0;
  AnsiEnum e{callback, user};
  return Guarded<int>(0, [&] { return ProfEnumW(job, list, EnumToAnsi, reinterpret_cast<INT_PTR>(&e)); });
}

int WINAPI ProfDebugList(HPROFJOB job, HPROFLIST list) {
  return Guarded<int>(0, [&] {
    JobRef j = FindJob(job);
    if (!j) return -5;
    DebugList(j->ListOf(list));
    return 0;
  });
}

}  // extern "C"

// The counted manager object, reached through one pointer under one lock.
#include "tempfiles/temp_file_manager.h"

#include "diagnostics/debug_output.h"
#include "foundation/critical_section.h"
#include "foundation/temp_file.h"
#include "foundation/temp_folder.h"

namespace ovut::tempfiles {
namespace {

// Guards creation, counting and destruction of the manager and the hand-over of paths.
CriticalSection g_lock;
clsTempFileRemover* g_manager = nullptr;
Timings g_timings;

}  // namespace

String ManagerFolder() {
  String folder = TempFolder(true);
  folder.Append(L"Orvask");
  return folder;
}

void Open() noexcept {
  AutoLock hold(g_lock);
  if (g_manager) {
    ++g_manager->refs;
    return;
  }
  try {
    g_manager = new clsTempFileRemover(ManagerFolder(), g_timings);
  } catch (...) {
    debug::Warning(L"ERR: UTIL: the temporary-file manager cannot be created");
    return;
  }
  g_manager->Begin();
}

void Close() noexcept {
  clsTempFileRemover* ending = nullptr;
  {
    AutoLock hold(g_lock);
    if (!g_manager || --g_manager->refs > 0) return;
    ending = g_manager;
    g_manager = nullptr;
  }
  // Outside the lock: the final deletions may take a while, and new hand-overs delete at once.
  ending->Finish(false);
  delete ending;
}

void Shutdown() noexcept {
  clsTempFileRemover* ending = nullptr;
  {
    AutoLock hold(g_lock);
    ending = g_manager;
    g_manager = nullptr;
  }
  if (!ending) return;
  ending->Finish(true);
  delete ending;
}

void Add(const wchar_t* path) noexcept {
  if (!path || !*path) return;
  try {
    AutoLock hold(g_lock);
    if (g_manager) {
      g_manager->Add(String(path));
      return;
    }
  } catch (...) {
    // Could not be queued: deleting now is the best left.
  }
  DeleteFileW(path);
}

String CreateUniqueFile(const wchar_t* prefix, const wchar_t* extension, DWORD flags) {
  String pathPrefix = LibraryTempFolder();
  pathPrefix.Append(prefix);
  return CreateTempFile(pathPrefix.c_str(), extension, flags & 0x1);
}

void SetTimingsForTesting(const Timings& timings) {
  AutoLock hold(g_lock);
  g_timings = timings;
}

bool ManagerOpenForTesting() {
  AutoLock hold(g_lock);
  return g_manager != nullptr;
}

size_t QueuedCountForTesting() {
  AutoLock hold(g_lock);
  return g_manager ? g_manager->QueuedCount() : 0;
}

unsigned CyclesForTesting() {
  AutoLock hold(g_lock);
  return g_manager ? g_manager->CyclesForTesting() : 0;
}

DWORD LastWaitMsForTesting() {
  AutoLock hold(g_lock);
  return g_manager ? g_manager->LastWaitMsForTesting() : 0;
}

}  // namespace ovut::tempfiles

// The remover thread: deletion cycles, the activity signal file and the old-file sweep.
#include "tempfiles/temp_file_remover.h"

#include <vector>

#include "diagnostics/debug_output.h"
#include "foundation/scoped_handle.h"
#include "foundation/temp_file.h"
#include "tempfiles/time_text.h"

namespace ovut::tempfiles {
namespace {

constexpr ULONGLONG kSecond = 10000000ull;  // FILETIME units
constexpr ULONGLONG kHour = 3600 * kSecond;

ULONGLONG Now() {
  FILETIME t;
  GetSystemTimeAsFileTime(&t);
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

ULONGLONG AsNumber(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

bool EndsWithSignal(const wchar_t* name) {
  const size_t n = wcslen(name);
  return n >= 7 && _wcsicmp(name + n - 7, L".signal") == 0;
}

bool Gone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

int SweepFolder(const String& folder) {
  const String pattern = String::Formatted(L"%s\\_%d_*", folder.c_str(), kTempFileVersion);
  // Compared to the second, as the time fields are.
  const ULONGLONG limit = (Now() - kHour) / kSecond;
  std::vector<String> old;
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &found));
  if (!find) return 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (EndsWithSignal(found.cFileName)) continue;
    if (AsNumber(found.ftLastWriteTime) / kSecond < limit)
      old.push_back(String::Formatted(L"%s\\%s", folder.c_str(), found.cFileName));
  } while (FindNextFileW(find.get(), &found));
  find.reset();
  if (old.empty()) return 0;
  debug::Warning(L"deleting %d files from temp directory that are older than one hour", static_cast<int>(old.size()));
  int deleted = 0;
  for (const String& path : old) {
    if (DeleteFileW(path.c_str())) {
      ++deleted;
      continue;
    }
    const DWORD error = GetLastError();
    debug::Warning(L"WRN: error deleting temp file '%s': %s", path.c_str(), String::ErrorText(error).c_str());
  }
  return deleted;
}

clsTempFileRemover::clsTempFileRemover(const String& folder, const Timings& timings)
    : clsThreadBase("clsTempFileRemover"), folder_(folder), timings_(timings) {}

clsTempFileRemover::~clsTempFileRemover() { ThreadEnd(false, timings_.stopWaitMs, true); }

void clsTempFileRemover::Begin() noexcept {
  const DWORD attributes = GetFileAttributesW(folder_.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    debug::Warning(L"WRN: UTIL: path '%s' does not exist", folder_.c_str());
    return;
  }
  try {
    signalPath_ = String::Formatted(L"%s\\_%d_activity.signal", folder_.c_str(), kTempFileVersion);
  } catch (...) {
    return;
  }
  AutoLock hold(queueLock_);
  StartThreadLocked();
}

void clsTempFileRemover::StartThreadLocked() noexcept {
  if (threadStarted_ && IsThreadRunning()) return;
  threadStarted_ = ThreadStart(THREAD_PRIORITY_NORMAL);
}

void clsTempFileRemover::Add(const String& path) {
  AutoLock hold(queueLock_);
  queue_.push_back(path);
  StartThreadLocked();
}

size_t clsTempFileRemover::QueuedCount() {
  AutoLock hold(queueLock_);
  return queue_.size() + inFlight_;
}

DWORD clsTempFileRemover::ThreadBody() {
  if (WaitStop(timings_.firstWaitMs)) return 0;
  for (;;) {
    try {
      Cycle();
    } catch (...) {
    }
    ++cycles_;
    size_t queued = QueuedCount();
    const DWORD units = 100 - static_cast<DWORD>(queued < 90 ? queued : 90);
    lastWaitMs_ = units * timings_.cycleUnitMs;
    if (WaitStop(lastWaitMs_)) return 0;
  }
}

void clsTempFileRemover::Cycle() {
  if (!signalPath_.IsEmpty()) {
    const ULONGLONG tick = GetTickCount64();
    if (tick >= nextSweep_) {
      WIN32_FILE_ATTRIBUTE_DATA data;
      const bool exists = GetFileAttributesExW(signalPath_.c_str(), GetFileExInfoStandard, &data) != 0;
      // Nobody has been active here for 3 hours: what is left is from crashed or killed processes.
      if (!exists || AsNumber(data.ftLastWriteTime) < Now() - 3 * kHour) SweepFolder(folder_);
      nextSweep_ = tick + timings_.sweepEveryMs;
    }
    RefreshSignal();
  }
  DeleteQueued();
}

void clsTempFileRemover::RefreshSignal() {
  UniqueHandle file(CreateFileW(signalPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    debug::Warning(L"cannot create/open activity file '%s': %s", signalPath_.c_str(), String::ErrorText(error).c_str());
    return;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  const String text = SystemTimeDisplayText(now);
  DWORD written = 0;
  WriteFile(file.get(), text.c_str(), static_cast<DWORD>(text.Length() * sizeof(wchar_t)), &written, nullptr);
  // Rewriting the same text in the same minute may leave the time stamp alone on some file systems.
  FILETIME stamp;
  GetSystemTimeAsFileTime(&stamp);
  SetFileTime(file.get(), nullptr, nullptr, &stamp);
}

// The queue lock is held only to take the entries and to put the survivors back in front of what
// arrived meanwhile, so a hand-over never waits for the file system.
void clsTempFileRemover::DeleteQueued() {
  std::deque<String> work;
  {
    AutoLock hold(queueLock_);
    work.swap(queue_);
    inFlight_ = work.size();
  }
  const size_t count = work.size();
  if (!count) return;
  const ULONGLONG start = GetTickCount64();
  const ULONGLONG budget = static_cast<ULONGLONG>(count) * timings_.budgetPerFileMs;
  size_t failures = 0;
  for (auto it = work.begin(); it != work.end();) {
    if (GetTickCount64() - start > budget || failures >= count) break;
    if (DeleteFileW(it->c_str())) {
      it = work.erase(it);
      continue;
    }
    const DWORD error = GetLastError();
    if (Gone(error)) {
      debug::Warning(L"oops, temp file '%s' is gone!", it->c_str());
      it = work.erase(it);
      continue;
    }
    ++failures;
    if (DeveloperDiagnostics()) debug::Warning(L"cannot delete '%s', trying again later", it->c_str());
    ++it;
  }
  AutoLock hold(queueLock_);
  for (String& path : queue_) work.push_back(std::move(path));
  queue_.swap(work);
  inFlight_ = 0;
}

void clsTempFileRemover::Finish(bool atUnload) noexcept {
  if (atUnload) ThreadEndAtUnload(timings_.stopWaitMs);
  else ThreadEnd(false, timings_.stopWaitMs, true);
  // A thread killed at process exit may have left the queue lock taken: give up rather than hang.
  bool locked = false;
  for (int i = 0; i < 100 && !(locked = queueLock_.TryEnter()); ++i) Sleep(1);
  if (!locked) return;
  for (const String& path : queue_) {
    if (DeleteFileW(path.c_str())) continue;
    const DWORD error = GetLastError();
    if (Gone(error)) debug::Warning(L"oops, temp file '%s' is gone!", path.c_str());
    else debug::Warning(L"cannot delete '%s', file will most likely remain as dead corpse in your system", path.c_str());
  }
  queue_.clear();
  queueLock_.Leave();
}

}  // namespace ovut::tempfiles

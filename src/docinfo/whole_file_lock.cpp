#include "docinfo/whole_file_lock.h"

namespace docinfo {

namespace {

bool TryLock(HANDLE file, ULARGE_INTEGER length) noexcept {
  OVERLAPPED at{};
  return LockFileEx(file, LOCKFILE_FAIL_IMMEDIATELY, 0, length.LowPart, length.HighPart, &at) != 0;
}

}  // namespace

WholeFileLock::WholeFileLock(HANDLE file, ULONGLONG size, DWORD timeoutMs) noexcept : file_(file) {
  // An empty file still gets one byte, so a writer that would give it content waits too.
  length_.QuadPart = size ? size : 1;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (TryLock(file_, length_)) {
      held_ = true;
      return;
    }
    if (GetTickCount64() >= deadline) return;
    Sleep(10);
  }
}

WholeFileLock::~WholeFileLock() {
  if (!held_) return;
  OVERLAPPED at{};
  UnlockFileEx(file_, 0, length_.LowPart, length_.HighPart, &at);
}

}  // namespace docinfo

// Shared byte-range lock over a whole file for the span of one reader run.
//
// Shared, not exclusive: writers are kept out while the reader runs, but the readers that open
// the file again by name (structured storage, the filter library) must still be able to read
// it, and an exclusive range lock would refuse every other handle's reads, our own included.
#pragma once
#include <windows.h>

namespace docinfo {

class WholeFileLock {
 public:
  // Tries at once and then until `timeoutMs` has passed.
  WholeFileLock(HANDLE file, ULONGLONG size, DWORD timeoutMs) noexcept;
  ~WholeFileLock();
  WholeFileLock(const WholeFileLock&) = delete;
  WholeFileLock& operator=(const WholeFileLock&) = delete;
  explicit operator bool() const noexcept { return held_; }

 private:
  HANDLE file_;
  ULARGE_INTEGER length_;
  bool held_ = false;
};

}  // namespace docinfo

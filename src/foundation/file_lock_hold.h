// Owner of one byte-range lock token of a file object (clsFile::Lock ... clsFile::Unlock).
#pragma once
#include "foundation/file.h"

namespace ovut {

class FileLockHold {
 public:
  // Takes the token Lock handed out (null when the lock was not had).
  FileLockHold(clsFile& file, scFileLock* token) noexcept : file_(file), token_(token) {}
  ~FileLockHold() {
    if (token_) file_.Unlock(token_);
  }
  FileLockHold(const FileLockHold&) = delete;
  FileLockHold& operator=(const FileLockHold&) = delete;
  explicit operator bool() const noexcept { return token_ != nullptr; }

 private:
  clsFile& file_;
  scFileLock* token_;
};

}  // namespace ovut

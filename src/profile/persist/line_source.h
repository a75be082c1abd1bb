// Line source of the profile text reader: the whole stream in memory once, cut into lines in
// place. Blank lines and leading blanks are never returned; trailing blanks are kept.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class clsFile;

namespace ovut::persist {

// The largest profile text a load accepts, plain or inflated from a packed container (1 GiB):
// far above real profiles, and the whole text is held in memory at once.
constexpr uint64_t kMaxProfileBytes = uint64_t(1) << 30;

// Reads until `bytes` are in or the file delivers nothing more (streams may hand out less than
// asked per call without being at their end); returns the bytes read.
size_t ReadFully(clsFile& file, void* buffer, size_t bytes);

class clsLineSource {
 public:
  // Reads `file` from offset 0 to its size: UTF-16 (a leading FF FE skipped) when `wide`,
  // else 8-bit text converted per line with the default String code page. Unless status() is
  // kComplete the source holds no line: a partial text must never pass for the whole file.
  clsLineSource(clsFile& file, bool wide);
  // Over UTF-16 text already in memory.
  explicit clsLineSource(std::wstring text);

  // The next line (terminated, writable until the next call) or nullptr at the end.
  wchar_t* Next(size_t& length);

  enum Status { kComplete, kReadFailed, kTooLarge };
  Status status() const { return status_; }

 private:
  Status status_ = kComplete;
  bool wide_;
  std::vector<wchar_t> text_;
  std::vector<char> bytes_;
  size_t pos_ = 0;
  std::wstring converted_;
};

}  // namespace ovut::persist

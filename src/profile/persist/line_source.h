// Line source of the profile text reader: the whole stream in memory once, cut into lines in
// place. Blank lines and leading blanks are never returned; trailing blanks are kept.
#pragma once
#include <string>
#include <vector>

class clsFile;

namespace ovut::persist {

class clsLineSource {
 public:
  // Reads `file` from offset 0 to its size: UTF-16 (a leading FF FE skipped) when `wide`,
  // else 8-bit text converted per line with the default String code page.
  clsLineSource(clsFile& file, bool wide);
  // Over UTF-16 text already in memory.
  explicit clsLineSource(std::wstring text);

  // The next line (terminated, writable until the next call) or nullptr at the end.
  wchar_t* Next(size_t& length);

 private:
  bool wide_;
  std::vector<wchar_t> text_;
  std::vector<char> bytes_;
  size_t pos_ = 0;
  std::wstring converted_;
};

}  // namespace ovut::persist

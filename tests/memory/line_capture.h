// Collects the memory manager's lines for the span of a test (the channel counts as active).
#pragma once
#include <string>
#include <vector>

#include "memory/memory_lines.h"

class LineCapture {
 public:
  LineCapture() { ovut::memory::SetLineSink(&LineCapture::Take, this); }
  ~LineCapture() { ovut::memory::SetLineSink(nullptr, nullptr); }
  LineCapture(const LineCapture&) = delete;
  LineCapture& operator=(const LineCapture&) = delete;

  const std::vector<std::wstring>& lines() const { return lines_; }
  // The text of each line without the "        :" tag, its indentation and the line feed.
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> out;
    for (const auto& l : lines_) out.push_back(Text(l));
    return out;
  }
  static std::wstring Text(const std::wstring& line) {
    size_t colon = line.find(L':');
    size_t start = line.find_first_not_of(L' ', colon + 1);
    std::wstring t = start == std::wstring::npos ? L"" : line.substr(start);
    if (!t.empty() && t.back() == L'\n') t.pop_back();
    return t;
  }
  // Blanks between the tag's colon and the text.
  static int Depth(const std::wstring& line) {
    size_t colon = line.find(L':');
    size_t start = line.find_first_not_of(L' ', colon + 1);
    return static_cast<int>(start - colon - 1);
  }
  // Index of the first line whose text starts with `prefix` (from `from` on), or -1.
  int Find(const std::wstring& prefix, int from = 0) const {
    for (size_t i = from; i < lines_.size(); ++i)
      if (Text(lines_[i]).rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
  }
  bool Has(const std::wstring& prefix) const { return Find(prefix) >= 0; }
  std::wstring All() const {
    std::wstring all;
    for (const auto& l : lines_) all += l;
    return all;
  }
  void Clear() { lines_.clear(); }

 private:
  static void Take(void* self, const wchar_t* line) { static_cast<LineCapture*>(self)->lines_.emplace_back(line); }
  std::vector<std::wstring> lines_;
};

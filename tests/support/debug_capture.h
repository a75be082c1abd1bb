// Collects the library's debug messages for the span of a test (unit tests only).
#pragma once
#include <string>
#include <vector>

#include "diagnostics/debug_output.h"

namespace testsupport {

class DebugCapture {
 public:
  DebugCapture() { ovut::debug::SetObserver(&DebugCapture::Take, this); }
  ~DebugCapture() { ovut::debug::SetObserver(nullptr, nullptr); }
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  const std::vector<std::wstring>& lines() const { return lines_; }
  bool Contains(const std::wstring& part) const {
    for (const auto& l : lines_)
      if (l.find(part) != std::wstring::npos) return true;
    return false;
  }
  void Clear() { lines_.clear(); }

 private:
  static void Take(void* self, const wchar_t* text) {
    static_cast<DebugCapture*>(self)->lines_.emplace_back(text ? text : L"");
  }
  std::vector<std::wstring> lines_;
};

}  // namespace testsupport

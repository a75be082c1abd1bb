// Collects the pointer-check reports of a test.
#pragma once
#include <string>

#include "cstring/report.h"

class ReportCapture {
 public:
  ReportCapture() { ovut::cstring::SetReportSink(&ReportCapture::Take, this); }
  ~ReportCapture() { ovut::cstring::SetReportSink(nullptr, nullptr); }
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;
  const std::wstring& text() const { return text_; }
  int reports() const { return reports_; }
  void Clear() { text_.clear(), reports_ = 0; }

 private:
  static void Take(void* self, const wchar_t* text) {
    auto* c = static_cast<ReportCapture*>(self);
    c->text_ += text;
    ++c->reports_;
  }
  std::wstring text_;
  int reports_ = 0;
};

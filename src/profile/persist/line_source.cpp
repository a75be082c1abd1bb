#include "profile/persist/line_source.h"

#include "foundation/file.h"
#include "foundation/string.h"

namespace ovut::persist {

namespace {
constexpr uint64_t kMaxText = 0x7FFFFFF0;  // bytes; larger content is not a profile
}

clsLineSource::clsLineSource(clsFile& file, bool wide) : wide_(wide) {
  uint64_t size = file.Size();
  if (size == clsFile::kUnknown || size > kMaxText) size = 0;
  file.Seek(uint64_t(0));
  if (wide) {
    size_t units = static_cast<size_t>(size / 2);
    text_.resize(units + 2);
    DWORD got = units ? file.ReadChars(text_.data(), static_cast<DWORD>(units)) : 0;
    if (got < units) units = 0;  // a short read gives the empty text
    text_[units] = text_[units + 1] = 0;
    text_.resize(units + 2);
    if (units && text_[0] == 0xFEFF) pos_ = 1;
  } else {
    bytes_.resize(static_cast<size_t>(size) + 2);
    DWORD got = size ? file.Read(bytes_.data(), static_cast<DWORD>(size)) : 0;
    bytes_[got] = bytes_[got + 1] = 0;
    bytes_.resize(size_t(got) + 2);
  }
}

clsLineSource::clsLineSource(std::wstring text) : wide_(true) {
  text_.assign(text.begin(), text.end());
  text_.push_back(0);
  text_.push_back(0);
  if (text_[0] == 0xFEFF) pos_ = 1;
}

wchar_t* clsLineSource::Next(size_t& length) {
  if (wide_) {
    const size_t end = text_.size() - 2;
    wchar_t* t = text_.data();
    while (pos_ < end && (t[pos_] == L'\r' || t[pos_] == L'\n')) ++pos_;
    while (pos_ < end && (t[pos_] == L' ' || t[pos_] == L'\t')) ++pos_;
    if (pos_ >= end) return nullptr;
    size_t start = pos_;
    while (pos_ < end && t[pos_] != L'\r' && t[pos_] != L'\n') ++pos_;
    length = pos_ - start;
    if (pos_ < end) t[pos_++] = 0;
    else t[pos_] = 0;
    return t + start;
  }
  const size_t end = bytes_.size() - 2;
  const char* b = bytes_.data();
  while (pos_ < end && (b[pos_] == '\r' || b[pos_] == '\n')) ++pos_;
  while (pos_ < end && (b[pos_] == ' ' || b[pos_] == '\t')) ++pos_;
  if (pos_ >= end) return nullptr;
  size_t start = pos_;
  while (pos_ < end && b[pos_] != '\r' && b[pos_] != '\n') ++pos_;
  size_t n = pos_ - start;
  if (pos_ < end) ++pos_;
  UINT cp = String::DefaultCodePage();
  int w = n ? MultiByteToWideChar(cp, 0, b + start, static_cast<int>(n), nullptr, 0) : 0;
  converted_.assign(size_t(w > 0 ? w : 0) + 1, L'\0');
  if (w > 0) MultiByteToWideChar(cp, 0, b + start, static_cast<int>(n), &converted_[0], w);
  converted_.resize(size_t(w > 0 ? w : 0));
  length = converted_.size();
  return &converted_[0];
}

}  // namespace ovut::persist

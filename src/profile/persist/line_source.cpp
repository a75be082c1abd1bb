#include "profile/persist/line_source.h"

#include <cstdint>

#include "foundation/file.h"
#include "foundation/string.h"

namespace ovut::persist {

size_t ReadFully(clsFile& file, void* buffer, size_t bytes) {
  auto* p = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < bytes) {
    const size_t left = bytes - done;
    const DWORD want = left < 0x40000000u ? static_cast<DWORD>(left) : 0x40000000u;
    const DWORD got = file.Read(p + done, want);
    if (got == 0) break;
    done += got;
  }
  return done;
}

clsLineSource::clsLineSource(clsFile& file, bool wide) : wide_(wide) {
  const uint64_t size = file.Size();
  if (size == clsFile::kUnknown) {
    status_ = kReadFailed;
  } else if (size > kMaxProfileBytes) {
    status_ = kTooLarge;
  }
  const size_t bytes = status_ == kComplete ? static_cast<size_t>(size) : 0;
  if (bytes && file.Seek(uint64_t(0)) != 0) status_ = kReadFailed;
  if (wide) {
    const size_t units = bytes / 2;
    text_.assign(units + 2, 0);
    if (status_ == kComplete && ReadFully(file, text_.data(), units * 2) != units * 2) status_ = kReadFailed;
    if (status_ != kComplete) text_.assign(2, 0);
    if (text_[0] == 0xFEFF) pos_ = 1;
  } else {
    bytes_.assign(bytes + 2, 0);
    if (status_ == kComplete && ReadFully(file, bytes_.data(), bytes) != bytes) status_ = kReadFailed;
    if (status_ != kComplete) bytes_.assign(2, 0);
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

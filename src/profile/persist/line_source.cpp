#include "profile/persist/line_source.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "foundation/file.h"
#include "foundation/string.h"
#include "profile/persist/unit_scan.h"

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

namespace {

// Offset of the first line end ("\r" or "\n") in [from, end), or end.
size_t LineEnd(const wchar_t* t, size_t from, size_t end) { return FindEitherUnit(t, from, end, L'\r', L'\n'); }
size_t LineEnd(const char* t, size_t from, size_t end) {
  for (size_t i = from; i < end; ++i)
    if (t[i] == '\r' || t[i] == '\n') return i;
  return end;
}

// The piece read at a time: large enough that calls are few, small enough that the buffer stays
// in memory the process already has instead of faulting in a copy of the whole file.
constexpr size_t kPieceBytes = 256 * 1024;
}  // namespace

clsLineSource::clsLineSource(clsFile& file, bool wide) : wide_(wide) {
  const uint64_t size = file.Size();
  if (size == clsFile::kUnknown) {
    status_ = kReadFailed;
  } else if (size > kMaxProfileBytes) {
    status_ = kTooLarge;
  }
  const size_t bytes = status_ == kComplete ? static_cast<size_t>(size) : 0;
  if (bytes && file.Seek(uint64_t(0)) != 0) status_ = kReadFailed;
  if (status_ == kComplete) {
    file_ = &file;
    left_ = wide ? bytes / 2 * 2 : bytes;  // an odd last byte of UTF-16 text is no unit
  }
  const size_t unit = wide ? sizeof(wchar_t) : 1;
  const size_t units = static_cast<size_t>(std::min<uint64_t>(left_, kPieceBytes)) / unit;
  if (wide) text_.assign(units + 2, 0);
  else bytes_.assign(units + 2, 0);
  Refill();
  if (wide && end_ && text_[0] == 0xFEFF) pos_ = 1;
}

clsLineSource::clsLineSource(clsTextFeed& feed, bool wide) : wide_(wide), feed_(&feed), left_(UINT64_MAX) {
  const size_t units = kPieceBytes / (wide ? sizeof(wchar_t) : 1);
  if (wide) text_.assign(units + 2, 0);
  else bytes_.assign(units + 2, 0);
  Refill();
  if (wide && end_ && text_[0] == 0xFEFF) pos_ = 1;
}

clsLineSource::clsLineSource(std::wstring text) : wide_(true) {
  text_.assign(text.begin(), text.end());
  end_ = text_.size();
  text_.push_back(0);
  text_.push_back(0);
  if (text_[0] == 0xFEFF) pos_ = 1;
}

bool clsLineSource::Refill() {
  if (left_ == 0 || status_ != kComplete) return false;
  const size_t unit = wide_ ? sizeof(wchar_t) : 1;
  const size_t keep = end_ - pos_;
  size_t capacity = (wide_ ? text_.size() : bytes_.size()) - 2;
  // A line that fills half the buffer doubles it, so long lines cost linear time.
  if (keep > capacity / 2) {
    capacity = std::max(capacity * 2, kPieceBytes / unit);
    if (wide_) text_.resize(capacity + 2);
    else bytes_.resize(capacity + 2);
  }
  char* base = wide_ ? reinterpret_cast<char*>(text_.data()) : bytes_.data();
  memmove(base, base + pos_ * unit, keep * unit);
  pos_ = 0;
  end_ = keep;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(left_, uint64_t(capacity - keep) * unit));
  const size_t got = Fill(base + keep * unit, want);
  if (feed_) {
    // The feed's end: an odd last byte of UTF-16 text is no unit, as in a file.
    if (got < want) left_ = 0;
    end_ += got / unit;
    return got >= unit;
  }
  if (got != want) {
    status_ = kReadFailed;
    left_ = 0;
    end_ = 0;
    return false;
  }
  left_ -= want;
  end_ += want / unit;
  return true;
}

size_t clsLineSource::Fill(char* to, size_t bytes) {
  if (!feed_) return ReadFully(*file_, to, bytes);
  size_t done = 0;
  while (done < bytes) {
    if (pieceUsed_ == piece_.size()) {
      pieceUsed_ = 0;
      if (!feed_->Pull(piece_)) {
        piece_.clear();
        break;
      }
    }
    const size_t n = std::min(bytes - done, piece_.size() - pieceUsed_);
    memcpy(to + done, piece_.data() + pieceUsed_, n);
    pieceUsed_ += n;
    done += n;
  }
  return done;
}

// Skips line breaks, then leading blanks, and cuts the line that follows, reading on whenever
// the buffer runs out first. The phases continue across a refill exactly as within one buffer.
template <class Ch>
Ch* clsLineSource::Cut(std::vector<Ch>& buffer, size_t& length) {
  for (;;) {
    const Ch* t = buffer.data();
    while (pos_ < end_ && (t[pos_] == Ch('\r') || t[pos_] == Ch('\n'))) ++pos_;
    if (pos_ < end_ || !Refill()) break;
  }
  for (;;) {
    const Ch* t = buffer.data();
    while (pos_ < end_ && (t[pos_] == Ch(' ') || t[pos_] == Ch('\t'))) ++pos_;
    if (pos_ < end_ || !Refill()) break;
  }
  if (pos_ >= end_) return nullptr;
  size_t start = pos_, scan = pos_;
  for (;;) {
    const Ch* t = buffer.data();
    scan = LineEnd(t, scan, end_);
    if (scan < end_) break;
    pos_ = start;  // the refill keeps the line read so far
    const size_t done = scan - start;
    if (!Refill()) {
      if (status_ != kComplete) return nullptr;  // the rest of a line is no line
      start = pos_;
      scan = start + done;
      break;
    }
    start = pos_;
    scan = start + done;
  }
  Ch* t = buffer.data();
  length = scan - start;
  t[scan] = 0;
  pos_ = scan < end_ ? scan + 1 : scan;
  return t + start;
}

wchar_t* clsLineSource::Next(size_t& length) {
  if (wide_) return Cut(text_, length);
  size_t n = 0;
  const char* b = Cut(bytes_, n);
  if (!b) return nullptr;
  UINT cp = String::DefaultCodePage();
  int w = n ? MultiByteToWideChar(cp, 0, b, static_cast<int>(n), nullptr, 0) : 0;
  converted_.assign(size_t(w > 0 ? w : 0) + 1, L'\0');
  if (w > 0) MultiByteToWideChar(cp, 0, b, static_cast<int>(n), &converted_[0], w);
  converted_.resize(size_t(w > 0 ? w : 0));
  length = converted_.size();
  return &converted_[0];
}

}  // namespace ovut::persist

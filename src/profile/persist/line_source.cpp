#include "profile/persist/line_source.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

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

clsLineSource::clsLineSource(clsTextFeed& feed, bool wide) : wide_(wide), feed_(&feed) {
  text_.assign(2, 0);
  bytes_.assign(2, 0);
}

bool clsLineSource::Refill() {
  if (!feed_) return false;
  if (!feed_->Pull(piece_)) {
    feed_ = nullptr;  // an odd last byte is dropped, as a whole read drops it
    return true;      // the caller looks once more, now knowing that the text has ended
  }
  const uint8_t* b = piece_.data();
  size_t n = piece_.size();
  if (wide_) {
    // Only the unread rest is kept, so memory stays at about one piece.
    text_.erase(text_.begin(), text_.begin() + static_cast<ptrdiff_t>(pos_));
    text_.resize(text_.size() - 2);
    if (carry_ >= 0 && n) {
      text_.push_back(wchar_t(unsigned(carry_) | unsigned(b[0]) << 8));
      carry_ = -1;
      ++b;
      --n;
    }
    const size_t at = text_.size();
    text_.resize(at + n / 2);
    if (n >= 2) memcpy(&text_[at], b, n / 2 * 2);
    if (n & 1) carry_ = b[n - 1];
    text_.push_back(0);
    text_.push_back(0);
    pos_ = 0;
    if (!bomChecked_ && text_.size() > 2) {
      bomChecked_ = true;
      if (text_[0] == 0xFEFF) pos_ = 1;
    }
  } else {
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(pos_));
    bytes_.resize(bytes_.size() - 2);
    bytes_.insert(bytes_.end(), b, b + n);
    bytes_.push_back(0);
    bytes_.push_back(0);
    pos_ = 0;
  }
  return true;
}

namespace {

inline bool IsBreak(unsigned c) { return c == '\r' || c == '\n'; }
inline bool IsBlank(unsigned c) { return c == ' ' || c == '\t'; }

}  // namespace

// The next line of `text` (its last two units are terminators, not text): line breaks, then
// blanks are skipped and the line runs to the next break. Where what has arrived ends before
// that is settled, `more` fetches the rest (it may move the text and pos_) and the search goes
// on where it stopped. Returns the line's start, or false at the end of the text.
template <class Unit, class More>
static bool FindLine(std::vector<Unit>& text, size_t& pos, size_t& start, size_t& length, More more) {
  int phase = 0;          // 0 breaks, 1 blanks, 2 the line
  size_t at = 0, from = 0;  // offsets from pos: how far the search got, where the line starts
  for (;;) {
    const size_t end = text.size() - 2;
    const Unit* t = text.data();
    size_t p = pos + at;
    if (phase == 0) {
      while (p < end && IsBreak(static_cast<std::make_unsigned_t<Unit>>(t[p]))) ++p;
      if (p < end) phase = 1;
    }
    if (phase == 1) {
      while (p < end && IsBlank(static_cast<std::make_unsigned_t<Unit>>(t[p]))) ++p;
      if (p < end) {
        phase = 2;
        from = p - pos;
      }
    }
    if (phase == 2)
      while (p < end && !IsBreak(static_cast<std::make_unsigned_t<Unit>>(t[p]))) ++p;
    if (p >= end) {
      at = p - pos;
      if (more()) continue;
    }
    if (phase < 2) {
      pos = p;
      return false;
    }
    start = pos + from;
    length = p - start;
    pos = p;
    return true;
  }
}

wchar_t* clsLineSource::Next(size_t& length) {
  auto more = [this] { return Refill(); };
  size_t start = 0, n = 0;
  if (wide_) {
    if (!FindLine(text_, pos_, start, n, more)) return nullptr;
    wchar_t* t = text_.data();
    length = n;
    if (pos_ < text_.size() - 2) t[pos_++] = 0;
    else t[pos_] = 0;
    return t + start;
  }
  if (!FindLine(bytes_, pos_, start, n, more)) return nullptr;
  const char* b = bytes_.data();
  if (pos_ < bytes_.size() - 2) ++pos_;
  UINT cp = String::DefaultCodePage();
  int w = n ? MultiByteToWideChar(cp, 0, b + start, static_cast<int>(n), nullptr, 0) : 0;
  converted_.assign(size_t(w > 0 ? w : 0) + 1, L'\0');
  if (w > 0) MultiByteToWideChar(cp, 0, b + start, static_cast<int>(n), &converted_[0], w);
  converted_.resize(size_t(w > 0 ? w : 0));
  length = converted_.size();
  return &converted_[0];
}

}  // namespace ovut::persist

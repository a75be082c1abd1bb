// String core: buffers, sharing, construction, reading and changing.
#include "foundation/string.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "diagnostics/debug_output.h"

namespace ovut {
volatile UINT g_defaultStringCodePage = CP_ACP;
}

namespace {
const wchar_t kEmptyText[1] = {0};
wchar_t g_sentinel = 0;

// The largest capacity a buffer may have: lengths stay within int, and the block's byte size
// (8 + capacity * 2) cannot wrap a 32-bit size_t. Larger requests are refused as out of memory.
constexpr uint32_t kMaxCapacity = 0x7FFFFFF8u;

inline size_t BlockBytes(uint32_t capacity) {
  static_assert(offsetof(StringBuffer, chars) + size_t(kMaxCapacity) * sizeof(wchar_t) > size_t(kMaxCapacity),
                "the largest block size must not wrap");
  if (capacity > kMaxCapacity) throw std::bad_alloc();
  return offsetof(StringBuffer, chars) + static_cast<size_t>(capacity) * sizeof(wchar_t);
}

// Units of `text` before its terminator, reading at most `limit` units.
inline uint32_t BoundedLength(const wchar_t* text, uint32_t limit) {
  uint32_t n = 0;
  while (n < limit && text[n]) ++n;
  return n;
}

inline bool PointsInto(const StringBuffer* b, const wchar_t* p) {
  return b && p >= b->chars && p < b->chars + b->capacity;
}
}  // namespace

void String::SetDefaultCodePage(UINT cp) noexcept {
  InterlockedExchange(reinterpret_cast<volatile LONG*>(&ovut::g_defaultStringCodePage), static_cast<LONG>(cp));
}

const String& String::Empty() noexcept {
  static const String empty;
  return empty;
}

wchar_t& String::Sentinel() noexcept { return g_sentinel; }

StringBuffer* String::NewBuffer(uint32_t capacity) {
  auto* b = static_cast<StringBuffer*>(std::malloc(BlockBytes(capacity)));
  if (!b) throw std::bad_alloc();
  b->capacity = capacity;
  b->usage = 1;
  if (capacity) b->chars[0] = 0;
  return b;
}

void String::ReleaseBuffer(StringBuffer* b) noexcept {
  if (!b) return;
  LONG usage = InterlockedDecrement(&b->usage);
  if (usage == 0) {
    std::free(b);
  } else if (usage < 0) {
    ovut::debug::Warning(L"WRN: String buffer released twice (usage=%d)", static_cast<int>(usage));
    if (ovut::DebuggerAttached()) DebugBreak();
    else ovut::debug::StackTrace(1, 50);
  }
}

void String::DropNarrow() const noexcept {
  if (narrow_) {
    std::free(narrow_);
    narrow_ = nullptr;
  }
}

// Before every change: the buffer becomes ours alone (a copy when shared and the text is kept).
void String::MakePrivate(bool keepText) {
  if (buffer_ && buffer_->usage >= 2) {
    StringBuffer* old = buffer_;
    if (keepText) {
      StringBuffer* copy = NewBuffer(old->capacity);
      std::memcpy(copy->chars, old->chars, static_cast<size_t>(old->capacity) * sizeof(wchar_t));
      buffer_ = copy;
    } else {
      buffer_ = nullptr;
      length_ = 0;
    }
    ReleaseBuffer(old);
  }
  DropNarrow();
  OnModify();
}

void String::Grow(uint32_t newLength, bool keepText) {
  if (buffer_ && buffer_->capacity > newLength) return;
  uint32_t capacity = CapacityFor(newLength);
  if (capacity <= newLength) throw std::bad_alloc();  // length beyond 32 bits
  if (buffer_ && keepText) {
    // The buffer is private here, so the allocator may grow it in place; the whole old
    // capacity is kept either way.
    auto* b = static_cast<StringBuffer*>(std::realloc(buffer_, BlockBytes(capacity)));
    if (!b) throw std::bad_alloc();
    b->capacity = capacity;
    buffer_ = b;
    return;
  }
  StringBuffer* fresh = NewBuffer(capacity);
  ReleaseBuffer(buffer_);
  buffer_ = fresh;
}

void String::SetText(const wchar_t* text, uint32_t count) {
  if (count == 0) {
    Clear();
    return;
  }
  if (PointsInto(buffer_, text)) {  // assigning a part of ourselves
    String keep(text, 0, static_cast<int>(count));
    *this = keep;
    return;
  }
  MakePrivate(false);
  Grow(count, false);
  std::memcpy(buffer_->chars, text, count * sizeof(wchar_t));
  buffer_->chars[count] = 0;
  length_ = count;
}

// ---- construction and assignment

String::String(const wchar_t* text) {
  if (text && text != kEmptyText && *text) SetText(text, static_cast<uint32_t>(wcslen(text)));
}

String::String(const wchar_t* text, int start, int count) {
  if (!text || text == kEmptyText || count < 1 || start < 0) return;
  if (BoundedLength(text, static_cast<uint32_t>(start)) < static_cast<uint32_t>(start)) return;
  uint32_t n = BoundedLength(text + start, static_cast<uint32_t>(count));
  if (n) SetText(text + start, n);
}

String::String(const char* text, int count) { AssignNarrow(text, count, codePage_); }

String::String(const char* text, int count, UINT codePage) {
  codePage_ = codePage;
  AssignNarrow(text, count, codePage);
}

void String::AssignNarrow(const char* text, int count, UINT codePage) {
  if (!text || !*text || count == 0) {
    Clear();
    return;
  }
  int srcLen = count == kAll || count < 0 ? -1 : count;
  DWORD flags = codePage == CP_UTF8 ? 0 : MB_PRECOMPOSED;
  int units = MultiByteToWideChar(codePage, flags, text, srcLen, nullptr, 0);
  if (units <= 0) {
    Clear();
    return;
  }
  MakePrivate(false);
  Grow(static_cast<uint32_t>(units), false);
  MultiByteToWideChar(codePage, flags, text, srcLen, buffer_->chars, units);
  buffer_->chars[units] = 0;
  length_ = BoundedLength(buffer_->chars, static_cast<uint32_t>(units));
}

String::String(wchar_t ch, int repeat) {
  if (ch == 0 || repeat < 1) return;
  Grow(static_cast<uint32_t>(repeat), false);
  for (int i = 0; i < repeat; ++i) buffer_->chars[i] = ch;
  buffer_->chars[repeat] = 0;
  length_ = static_cast<uint32_t>(repeat);
}

String::String(const String& other) noexcept : length_(other.length_), buffer_(other.buffer_) {
  if (buffer_) InterlockedIncrement(&buffer_->usage);
}

String::String(String&& other) noexcept : length_(other.length_), buffer_(other.buffer_) {
  other.buffer_ = nullptr;
  other.length_ = 0;
  other.DropNarrow();
}

String::~String() {
  ReleaseBuffer(buffer_);
  DropNarrow();
  if (g_sentinel != 0) {
    g_sentinel = 0;  // report each stray write once
    ovut::debug::Warning(L"WRN: detected write to String::operator[] with index out of bounds");
  }
}

String& String::operator=(const String& other) noexcept {
  if (this == &other) return *this;
  if (other.buffer_) InterlockedIncrement(&other.buffer_->usage);
  ReleaseBuffer(buffer_);
  DropNarrow();
  length_ = other.length_;
  buffer_ = other.buffer_;
  codePage_ = other.codePage_;
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this == &other) return *this;
  ReleaseBuffer(buffer_);
  DropNarrow();
  length_ = other.length_;
  buffer_ = other.buffer_;
  codePage_ = other.codePage_;
  other.buffer_ = nullptr;
  other.length_ = 0;
  other.DropNarrow();
  return *this;
}

String& String::operator=(const wchar_t* text) {
  if (!text || !*text) Clear();
  else SetText(text, static_cast<uint32_t>(wcslen(text)));
  return *this;
}

String& String::operator=(wchar_t ch) {
  if (ch == 0) Clear();
  else SetText(&ch, 1);
  return *this;
}

// ---- reading

int String::Compare(const String& other, int count) const { return Compare(other.c_str(), count); }

int String::Compare(const wchar_t* other, int count) const {
  const wchar_t* a = c_str();
  if (count == 0 || a == other) return 0;
  bool bEmpty = !other || !*other;
  if (length_ != 0 && bEmpty) return 1;
  if (length_ == 0) return bEmpty ? 0 : -1;
  if (IsCaseSensitive()) return count < 1 ? wcscmp(a, other) : wcsncmp(a, other, static_cast<size_t>(count));
  return count < 1 ? _wcsicmp(a, other) : _wcsnicmp(a, other, static_cast<size_t>(count));
}

const char* String::Narrow() const {
  if (length_ == 0) return "";
  if (narrow_) return narrow_;
  int n = WideCharToMultiByte(codePage_, 0, buffer_->chars, static_cast<int>(length_), nullptr, 0, nullptr, nullptr);
  if (n < 0) n = 0;
  char* out = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
  if (!out) return "";
  if (n) WideCharToMultiByte(codePage_, 0, buffer_->chars, static_cast<int>(length_), out, n, nullptr, nullptr);
  out[n] = 0;
  narrow_ = out;
  return narrow_;
}

String String::Left(uint32_t n) const {
  if (!buffer_) return Empty();
  if (n >= length_) return *this;
  return String(buffer_->chars, 0, static_cast<int>(n));
}

String String::Right(uint32_t n) const {
  if (!buffer_) return Empty();
  if (n >= length_) return *this;
  return String(buffer_->chars, static_cast<int>(length_ - n), kAll);
}

String String::Mid(uint32_t start, int count) const {
  if (!buffer_) return Empty();
  if (start == 0 && count >= 0 && static_cast<uint32_t>(count) >= length_) return *this;
  if (start > length_) return String();
  return String(buffer_->chars, static_cast<int>(start), count);
}

int String::Find(const wchar_t* text) const {
  if (!text || !*text || length_ == 0) return -1;
  const wchar_t* hit = wcsstr(buffer_->chars, text);
  return hit ? static_cast<int>(hit - buffer_->chars) : -1;
}

int String::FindChar(wchar_t ch, uint32_t from) const {
  for (uint32_t i = from; i < length_; ++i)
    if (buffer_->chars[i] == ch) return static_cast<int>(i);
  return -1;
}

// ---- changing

String& String::Append(const wchar_t* text, uint32_t count) {
  if (!text || count == 0) return *this;
  if (PointsInto(buffer_, text)) {  // growth may move our own characters
    String keep(text, 0, static_cast<int>(count));
    return Append(keep.c_str(), keep.length_);
  }
  MakePrivate(true);
  Grow(length_ + count, true);
  std::memcpy(buffer_->chars + length_, text, count * sizeof(wchar_t));
  length_ += count;
  buffer_->chars[length_] = 0;
  return *this;
}

String& String::Append(const wchar_t* text) {
  if (!text) return *this;
  return Append(text, static_cast<uint32_t>(wcslen(text)));
}

String& String::Append(const String& other) {
  if (other.length_ == 0) return *this;
  if (other.buffer_ == buffer_) {
    String keep(other);  // usage 2: MakePrivate copies, so `keep` stays intact
    return Append(keep.buffer_->chars, keep.length_);
  }
  return Append(other.buffer_->chars, other.length_);
}

String& String::Append(wchar_t ch) {
  if (ch == 0) return *this;
  MakePrivate(true);
  Grow(length_ + 1, true);
  buffer_->chars[length_++] = ch;
  buffer_->chars[length_] = 0;
  return *this;
}

String& String::Append(wchar_t separator, const String& other) {
  if (length_ != 0) Append(separator);
  return Append(other);
}

String operator+(const String& a, const String& b) {
  String r;
  uint32_t total = a.length_ + b.length_;
  if (total == 0) return r;
  r.Grow(total, false);
  if (a.length_) std::memcpy(r.buffer_->chars, a.buffer_->chars, a.length_ * sizeof(wchar_t));
  if (b.length_) std::memcpy(r.buffer_->chars + a.length_, b.buffer_->chars, b.length_ * sizeof(wchar_t));
  r.buffer_->chars[total] = 0;
  r.length_ = total;
  return r;
}

void String::TrimLeadingSpaces() {
  if (length_ == 0 || buffer_->chars[0] != L' ') return;
  uint32_t n = 0;
  while (n < length_ && buffer_->chars[n] == L' ') ++n;
  Delete(0, n);
}

void String::TrimTrailingSpaces() {
  if (length_ == 0 || buffer_->chars[length_ - 1] != L' ') return;
  uint32_t n = length_;
  while (n > 0 && buffer_->chars[n - 1] == L' ') --n;
  Delete(n, length_ - n);
  if (n == 0) Clear();
}

void String::Trim() {
  TrimTrailingSpaces();
  TrimLeadingSpaces();
}

void String::Insert(uint32_t pos, const String& text) {
  if (pos > length_ || text.length_ == 0) return;
  Replace(pos, 0, text);
}

void String::Delete(uint32_t pos, uint32_t count) {
  if (length_ == 0 || pos >= length_ || count == 0) return;
  if (count > length_ - pos) count = length_ - pos;
  MakePrivate(true);
  wchar_t* c = buffer_->chars;
  std::memmove(c + pos, c + pos + count, (length_ - pos - count) * sizeof(wchar_t));
  length_ -= count;
  c[length_] = 0;
}

void String::Replace(uint32_t pos, uint32_t count, const String& text) {
  if (pos > length_) pos = length_;
  if (count > length_ - pos) count = length_ - pos;
  String keep(text);  // `text` may share or be this String
  uint32_t add = keep.length_;
  uint32_t newLength = length_ - count + add;
  MakePrivate(true);
  Grow(newLength, true);
  wchar_t* c = buffer_->chars;
  std::memmove(c + pos + add, c + pos + count, (length_ - pos - count) * sizeof(wchar_t));
  if (add) std::memcpy(c + pos, keep.buffer_->chars, add * sizeof(wchar_t));
  length_ = newLength;
  c[length_] = 0;
}

int String::ReplaceChar(wchar_t oldCh, wchar_t newCh) {
  int hits = 0;
  for (uint32_t i = 0; i < length_; ++i) hits += buffer_->chars[i] == oldCh;
  if (hits == 0 || oldCh == 0) return 0;
  MakePrivate(true);
  wchar_t* c = buffer_->chars;
  if (newCh) {
    for (uint32_t i = 0; i < length_; ++i)
      if (c[i] == oldCh) c[i] = newCh;
  } else {
    uint32_t w = 0;
    for (uint32_t i = 0; i < length_; ++i)
      if (c[i] != oldCh) c[w++] = c[i];
    length_ = w;
    c[w] = 0;
  }
  return hits;
}

int String::ReplaceText(const wchar_t* oldText, const wchar_t* newText) {
  if (!oldText || !*oldText || length_ == 0) return 0;
  size_t oldLen = wcslen(oldText);
  size_t newLen = newText ? wcslen(newText) : 0;
  int hits = 0;
  for (const wchar_t* p = wcsstr(c_str(), oldText); p; p = wcsstr(p + oldLen, oldText)) ++hits;
  if (hits == 0) return 0;
  String out;
  out.Grow(static_cast<uint32_t>(length_ - hits * oldLen + hits * newLen), false);
  const wchar_t* from = c_str();
  for (const wchar_t* p = wcsstr(from, oldText); p; p = wcsstr(from, oldText)) {
    out.Append(from, static_cast<uint32_t>(p - from));
    if (newLen) out.Append(newText, static_cast<uint32_t>(newLen));
    from = p + oldLen;
  }
  out.Append(from);
  UINT cp = codePage_;
  *this = out;
  codePage_ = cp;
  return hits;
}

void String::MapCase(DWORD mapFlags) {
  if (length_ == 0) return;
  static const bool inPlaceOk = LOBYTE(LOWORD(GetVersion())) >= 6;
  if ((mapFlags & ~static_cast<DWORD>(LCMAP_LOWERCASE | LCMAP_UPPERCASE)) == 0 && inPlaceOk) {
    MakePrivate(true);
    LCMapStringW(LOCALE_USER_DEFAULT, mapFlags, buffer_->chars, static_cast<int>(length_), buffer_->chars,
                 static_cast<int>(length_));
    return;
  }
  int n = LCMapStringW(LOCALE_USER_DEFAULT, mapFlags, c_str(), static_cast<int>(length_), nullptr, 0);
  if (n <= 0) return;
  String out;
  wchar_t* w = out.GetBuffer(static_cast<uint32_t>(n));
  LCMapStringW(LOCALE_USER_DEFAULT, mapFlags, c_str(), static_cast<int>(length_), w, n);
  w[n] = 0;
  out.ReleaseBuffer();
  UINT cp = codePage_;
  *this = out;
  codePage_ = cp;
}

void String::Clear() {
  MakePrivate(false);
  if (buffer_) buffer_->chars[0] = 0;
  length_ = 0;
}

wchar_t* String::GetBuffer(uint32_t n) {
  MakePrivate(true);
  const uint32_t capacity = CapacityFor(n);
  if (capacity <= n) throw std::bad_alloc();  // n + 8 wrapped
  if (!buffer_ || buffer_->capacity < capacity) {
    if (buffer_) {
      auto* b = static_cast<StringBuffer*>(std::realloc(buffer_, BlockBytes(capacity)));
      if (!b) throw std::bad_alloc();
      b->capacity = capacity;
      buffer_ = b;
    } else {
      buffer_ = NewBuffer(capacity);
    }
  }
  buffer_->chars[buffer_->capacity - 1] = 0;
  return buffer_->chars;
}

void String::ReleaseBuffer() {
  length_ = buffer_ ? BoundedLength(buffer_->chars, buffer_->capacity - 1) : 0;
  if (buffer_) buffer_->chars[length_] = 0;
  DropNarrow();
}

wchar_t& String::operator[](uint32_t index) {
  if (index < length_) {
    MakePrivate(true);
    return buffer_->chars[index];
  }
  return g_sentinel;
}

bool operator==(const String& a, const String& b) {
  return a.Length() == b.Length() && a.Compare(b) == 0;
}
bool operator==(const String& a, const wchar_t* b) { return a.Compare(b) == 0; }
bool operator<(const String& a, const String& b) { return a.Compare(b) < 0; }

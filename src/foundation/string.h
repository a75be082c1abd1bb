// String: the library's UTF-16 text. Copies share one reference-counted buffer; the first
// change made through a sharer copies it (copy-on-write). IString compares ignoring case.
//
// Invariants (kept by every changing operation through MakePrivate/Grow):
//  - a buffer holds `length` units followed by a 0 unit, and length < capacity;
//  - capacity for n units is max((n + 8) & ~7, 8) and a buffer never shrinks;
//  - a shared buffer (usage >= 2) is never written;
//  - `narrow_` caches the narrow form of the current text and is dropped on every change.
#pragma once
#include <windows.h>
#include <cstdarg>
#include <cstdint>
#include <type_traits>

struct StringBuffer {
  uint32_t capacity;     // units, terminator included
  volatile LONG usage;   // sharers; atomic only
  wchar_t chars[1];
};

class String {
 public:
  static constexpr int kAll = 0x7FFFFFFF;

  String() noexcept {}
  String(const wchar_t* text);                                   // NOLINT: implicit by design
  String(const wchar_t* text, int start, int count);
  explicit String(const char* text, int count = kAll);           // default String code page
  String(const char* text, int count, UINT codePage);
  String(wchar_t ch, int repeat);
  String(const String& other) noexcept;                          // shares; takes the default code page
  String(String&& other) noexcept;
  virtual ~String();

  String& operator=(const String& other) noexcept;              // shares; takes other's code page
  String& operator=(String&& other) noexcept;
  String& operator=(const wchar_t* text);
  String& operator=(wchar_t ch);

  // Virtual slots in this order: case rule, two comparisons, modification hook, destructor.
  virtual bool IsCaseSensitive() const { return true; }
  // count < 1 compares whole texts; otherwise at most count units. Negative, 0 or positive.
  virtual int Compare(const String& other, int count = -1) const;
  virtual int Compare(const wchar_t* other, int count = -1) const;
  virtual void OnModify() {}

  // Reading
  uint32_t Length() const noexcept { return length_; }
  bool IsEmpty() const noexcept { return length_ == 0; }
  const wchar_t* c_str() const noexcept { return buffer_ ? buffer_->chars : L""; }
  operator const wchar_t*() const noexcept { return c_str(); }  // NOLINT
  wchar_t First() const noexcept { return length_ ? buffer_->chars[0] : 0; }
  wchar_t At(uint32_t index) const noexcept { return index < length_ ? buffer_->chars[index] : 0; }
  // Narrow form in this String's code page, cached until the text changes.
  const char* Narrow() const;
  String Left(uint32_t n) const;
  String Right(uint32_t n) const;
  String Mid(uint32_t start, int count = kAll) const;
  int Find(const wchar_t* text) const;  // -1 when absent or text empty
  int FindChar(wchar_t ch, uint32_t from = 0) const;

  // Changing
  String& Append(const wchar_t* text);
  String& Append(const wchar_t* text, uint32_t count);
  String& Append(const String& other);
  String& Append(wchar_t ch);                       // 0 appends nothing
  String& Append(wchar_t separator, const String& other);  // separator only after non-empty text
  String& operator+=(const String& other) { return Append(other); }
  String& operator+=(const wchar_t* text) { return Append(text); }
  String& operator+=(wchar_t ch) { return Append(ch); }
  friend String operator+(const String& a, const String& b);

  void TrimLeadingSpaces();
  void TrimTrailingSpaces();
  void Trim();
  void Insert(uint32_t pos, const String& text);
  void Delete(uint32_t pos, uint32_t count);
  void Replace(uint32_t pos, uint32_t count, const String& text);
  int ReplaceChar(wchar_t oldCh, wchar_t newCh);    // newCh 0 removes; returns occurrences
  int ReplaceText(const wchar_t* oldText, const wchar_t* newText);
  void MapCase(DWORD mapFlags);                     // LCMapString flags, user default locale
  void Clear();
  wchar_t* GetBuffer(uint32_t n);                   // private, >= n + 1 units, text kept
  void ReleaseBuffer();                             // recount length up to the first 0
  // Out-of-range writes land in a process-wide sentinel and are reported later.
  wchar_t& operator[](uint32_t index);
  // Every other integer type, an exact match: on 32-bit an int index would otherwise be ambiguous
  // with the built-in [] through the conversion to const wchar_t*. Negative or wide indexes that do
  // not fit are out of range.
  template <typename I, typename = std::enable_if_t<std::is_integral_v<I>>>
  wchar_t& operator[](I index) {
    if constexpr (std::is_signed_v<I>) {
      if (index < 0) return (*this)[UINT32_MAX];
    }
    if constexpr (sizeof(I) > sizeof(uint32_t)) {
      if (static_cast<uint64_t>(index) > UINT32_MAX) return (*this)[UINT32_MAX];
    }
    return (*this)[static_cast<uint32_t>(index)];
  }

  // Text production
  String& Format(const wchar_t* format, ...);
  String& FormatV(const wchar_t* format, va_list args);
  static String Formatted(const wchar_t* format, ...);
  static String Message(HMODULE module, UINT id, ...);
  static String ErrorText(DWORD code, DWORD languageId = 0);
  static String FromUTF8(const String& bytes);       // each unit holds one byte
  static String FromUTF8(const char* utf8, int count = -1);  // plain UTF-8 bytes, same rules
  static String LocaleInfo(LCTYPE type);             // GetLocaleInfoW, user default locale

  UINT CodePage() const noexcept { return codePage_; }
  void SetCodePage(UINT cp) noexcept { codePage_ = cp; }

  // Diagnostics for tests and callers that care about sharing.
  const void* BufferIdentity() const noexcept { return buffer_; }
  LONG Usage() const noexcept { return buffer_ ? buffer_->usage : 0; }
  uint32_t Capacity() const noexcept { return buffer_ ? buffer_->capacity : 0; }

  static uint32_t CapacityFor(uint32_t n) noexcept {
    uint32_t c = (n + 8) & ~7u;
    return c < 8 ? 8 : c;
  }
  static UINT DefaultCodePage() noexcept;  // inline below: every String construction reads it
  static void SetDefaultCodePage(UINT cp) noexcept;
  static const String& Empty() noexcept;   // process-wide empty String
  static wchar_t& Sentinel() noexcept;     // target of out-of-range operator[] writes

 private:
  void MakePrivate(bool keepText);
  void Grow(uint32_t newLength, bool keepText);  // ensures capacity for newLength units
  void SetText(const wchar_t* text, uint32_t count);
  void AssignNarrow(const char* text, int count, UINT codePage);
  void DropNarrow() const noexcept;
  static StringBuffer* NewBuffer(uint32_t capacity);
  static void ReleaseBuffer(StringBuffer* b) noexcept;

  uint32_t length_ = 0;
  StringBuffer* buffer_ = nullptr;
  mutable char* narrow_ = nullptr;
  UINT codePage_ = DefaultCodePage();
};

class IString : public String {
 public:
  IString() noexcept {}
  IString(const String& s) noexcept : String(s) {}     // NOLINT
  IString(const wchar_t* text) : String(text) {}       // NOLINT
  ~IString() override {}
  bool IsCaseSensitive() const override { return false; }
};

bool operator==(const String& a, const String& b);
inline bool operator!=(const String& a, const String& b) { return !(a == b); }
bool operator==(const String& a, const wchar_t* b);
inline bool operator!=(const String& a, const wchar_t* b) { return !(a == b); }
bool operator<(const String& a, const String& b);

// Narrow <-> wide conversion for the span of one call. Short texts use the inline buffers.
class clsCharsetConversionString {
 public:
  explicit clsCharsetConversionString(const wchar_t* wide, UINT codePage = 0);
  explicit clsCharsetConversionString(const char* narrow, UINT codePage = 0);
  // Write-back form: a wide buffer of size + 1 units over the caller's narrow buffer of `size`
  // bytes; the wide text goes back there (cut to size - 1 bytes) when this object ends.
  struct WriteBack {};  // tag: keeps this form from being chosen for a plain text argument
  clsCharsetConversionString(WriteBack, char* target, int size, UINT codePage = 0);
  ~clsCharsetConversionString();
  clsCharsetConversionString(const clsCharsetConversionString&) = delete;
  clsCharsetConversionString& operator=(const clsCharsetConversionString&) = delete;

  const wchar_t* Wide();
  const char* Narrow();
  wchar_t* WideBuffer() { return wideTarget_; }   // write-back form only
  int WideBufferSize() const { return targetSize_ + 1; }
  operator const wchar_t*() { return Wide(); }     // NOLINT
  operator const char*() { return Narrow(); }      // NOLINT

 protected:
  UINT EffectiveCodePage() const;

 private:
  wchar_t* wide_ = nullptr;
  char* narrow_ = nullptr;
  wchar_t wideInline_[64];
  char narrowInline_[64];
  wchar_t* wideTarget_ = nullptr;
  char* narrowTarget_ = nullptr;
  int targetSize_ = 0;
  UINT codePage_ = 0;
  bool wideOwned_ = false, narrowOwned_ = false;
};

class clsCharsetConversionStringCP : public clsCharsetConversionString {
 public:
  clsCharsetConversionStringCP(const wchar_t* wide, UINT codePage) : clsCharsetConversionString(wide, codePage) {}
  clsCharsetConversionStringCP(const char* narrow, UINT codePage) : clsCharsetConversionString(narrow, codePage) {}
};

class clsCHARString {
 public:
  explicit clsCHARString(const char* text);
  ~clsCHARString();
  clsCHARString(const clsCHARString&) = delete;
  clsCHARString& operator=(const clsCHARString&) = delete;
  const char* Get() const { return text_; }

 private:
  char* text_ = nullptr;
};

// BSTR out-parameter for COM calls: the BSTR's text lands in the String when this ends.
class clsBSTROut {
 public:
  explicit clsBSTROut(String& target) : target_(target) {}
  ~clsBSTROut();
  clsBSTROut(const clsBSTROut&) = delete;
  clsBSTROut& operator=(const clsBSTROut&) = delete;
  BSTR* operator&() { return &bstr_; }

 private:
  String& target_;
  BSTR bstr_ = nullptr;
};

namespace ovut {
extern volatile UINT g_defaultStringCodePage;
// Process-wide facts that String decides once.
bool DebuggerAttached();             // asked once per process
bool DeveloperDiagnostics();         // the "user" environment switch
LANGID UILanguage();
}  // namespace ovut

inline UINT String::DefaultCodePage() noexcept { return ovut::g_defaultStringCodePage; }

// Conversion helpers: narrow/wide texts for the span of one call, owned narrow copies, BSTR out.
#include "foundation/string.h"

#include <oleauto.h>

#include <cstdlib>
#include <cstring>

namespace {
char g_emptyNarrow[1] = {0};
wchar_t g_emptyWide[1] = {0};
inline DWORD MbFlags(UINT cp) { return cp == CP_UTF8 ? 0 : MB_PRECOMPOSED; }
}  // namespace

UINT clsCharsetConversionString::EffectiveCodePage() const {
  return codePage_ ? codePage_ : String::DefaultCodePage();
}

clsCharsetConversionString::clsCharsetConversionString(const wchar_t* wide, UINT codePage) : codePage_(codePage) {
  wide_ = wide ? const_cast<wchar_t*>(wide) : g_emptyWide;
}

clsCharsetConversionString::clsCharsetConversionString(const char* narrow, UINT codePage) : codePage_(codePage) {
  narrow_ = narrow ? const_cast<char*>(narrow) : g_emptyNarrow;
}

clsCharsetConversionString::clsCharsetConversionString(WriteBack, char* target, int size, UINT codePage)
    : narrowTarget_(target), targetSize_(size > 0 ? size : 0), codePage_(codePage) {
  size_t units = static_cast<size_t>(targetSize_) + 1;
  if (units <= 64) {
    wideTarget_ = wideInline_;
  } else {
    wideTarget_ = static_cast<wchar_t*>(std::calloc(units, sizeof(wchar_t)));
    wideOwned_ = wideTarget_ != nullptr;
    if (!wideTarget_) {
      wideTarget_ = wideInline_;
      targetSize_ = 63;
    }
  }
  wideTarget_[0] = 0;
  if (target && targetSize_ > 0) {
    int n = MultiByteToWideChar(EffectiveCodePage(), MbFlags(EffectiveCodePage()), target,
                                static_cast<int>(strnlen(target, static_cast<size_t>(targetSize_))), wideTarget_,
                                targetSize_);
    wideTarget_[n > 0 ? n : 0] = 0;
  }
  wide_ = wideTarget_;
}

clsCharsetConversionString::~clsCharsetConversionString() {
  if (narrowTarget_ && targetSize_ > 0) {
    wideTarget_[targetSize_] = 0;
    int n = WideCharToMultiByte(EffectiveCodePage(), 0, wideTarget_, -1, narrowTarget_, targetSize_, nullptr, nullptr);
    if (n == 0) {  // did not fit: cut to size - 1 bytes
      n = WideCharToMultiByte(EffectiveCodePage(), 0, wideTarget_, -1, nullptr, 0, nullptr, nullptr);
      char* tmp = static_cast<char*>(std::malloc(n > 0 ? n : 1));
      if (tmp && n > 0) {
        WideCharToMultiByte(EffectiveCodePage(), 0, wideTarget_, -1, tmp, n, nullptr, nullptr);
        memcpy(narrowTarget_, tmp, static_cast<size_t>(targetSize_ - 1));
      }
      narrowTarget_[targetSize_ - 1] = 0;
      std::free(tmp);
    }
  }
  // In the write-back form wide_ is wideTarget_; wideOwned_ says it came from the heap.
  if (wideOwned_) std::free(wide_);
  if (narrowOwned_) std::free(narrow_);
}

const wchar_t* clsCharsetConversionString::Wide() {
  if (wide_) return wide_;
  if (!*narrow_) return wide_ = g_emptyWide;
  UINT cp = EffectiveCodePage();
  int n = MultiByteToWideChar(cp, MbFlags(cp), narrow_, -1, nullptr, 0);
  if (n <= 0) return wide_ = g_emptyWide;
  if (n <= 64) {
    wide_ = wideInline_;
  } else {
    wide_ = static_cast<wchar_t*>(std::malloc(static_cast<size_t>(n) * sizeof(wchar_t)));
    if (!wide_) return wide_ = g_emptyWide;
    wideOwned_ = true;
  }
  MultiByteToWideChar(cp, MbFlags(cp), narrow_, -1, wide_, n);
  return wide_;
}

const char* clsCharsetConversionString::Narrow() {
  if (narrow_) return narrow_;
  if (!*wide_) return narrow_ = g_emptyNarrow;
  UINT cp = EffectiveCodePage();
  int n = WideCharToMultiByte(cp, 0, wide_, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return narrow_ = g_emptyNarrow;
  if (n <= 64) {
    narrow_ = narrowInline_;
  } else {
    narrow_ = static_cast<char*>(std::malloc(static_cast<size_t>(n)));
    if (!narrow_) return narrow_ = g_emptyNarrow;
    narrowOwned_ = true;
  }
  WideCharToMultiByte(cp, 0, wide_, -1, narrow_, n, nullptr, nullptr);
  return narrow_;
}

clsCHARString::clsCHARString(const char* text) {
  if (!text) return;
  size_t n = strlen(text) + 1;
  text_ = static_cast<char*>(std::malloc(n));
  if (text_) memcpy(text_, text, n);
}

clsCHARString::~clsCHARString() { std::free(text_); }

clsBSTROut::~clsBSTROut() {
  target_ = bstr_ ? String(bstr_, 0, static_cast<int>(SysStringLen(bstr_))) : String();
  SysFreeString(bstr_);
}

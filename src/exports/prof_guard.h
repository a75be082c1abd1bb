// Shared by the profile entry points: nothing thrown inside may cross the export, and ANSI
// texts are converted with the default String code page for the span of the call.
#pragma once
#include "foundation/string.h"

namespace ovut::profile {

template <typename R, typename F>
R Guarded(R fallback, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

template <typename F>
void Guarded(F&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

// An ANSI argument as UTF-16; NULL stays NULL when `keepNull`, else becomes the empty text.
class clsAnsiArg {
 public:
  explicit clsAnsiArg(const char* text, bool keepNull = false) : null_(keepNull && !text), conv_(text) {}
  const wchar_t* Wide() { return null_ ? nullptr : conv_.Wide(); }

 private:
  bool null_;
  clsCharsetConversionString conv_;
};

}  // namespace ovut::profile

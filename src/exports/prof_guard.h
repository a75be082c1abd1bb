// Shared by the profile entry points: nothing thrown inside may cross the export, and ANSI
// texts are converted with the default String code page for the span of the call.
#pragma once
#include "exports/export_guard.h"
#include "foundation/string.h"

namespace ovut::profile {

// The export boundary under its profile-family name (exports/export_guard.h).
using ovut::exports::Guarded;

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

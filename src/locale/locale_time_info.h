// The date and time conventions of one locale and the compiled pattern that reads its text.
// Entries are made once per locale identifier and kept for the life of the process, under one
// lock; a compiled pattern is lent to one caller at a time, so parses on several threads never
// share match state and never compile per call.
#pragma once
#include <windows.h>

#include <memory>

#include "foundation/regex.h"
#include "foundation/string.h"

namespace ovut::locale {

struct clsLocaleTimeInfo {
  enum DateOrder { kDayMonthYear = 0, kMonthDayYear = 1, kYearMonthDay = 2 };

  explicit clsLocaleTimeInfo(LCID id);

  LCID lcid;
  String dateSeparator;  // "." when the locale gives none
  String timeSeparator;  // ":" when the locale gives none
  int dateOrder = kDayMonthYear;
  String am, pm;
  bool twelveHour = false;
};

// Whole-text pattern for one locale: groups 1-3 date numbers, 4-6 hour, minute, second,
// 7 the AM/PM mark or a fraction of a second.
String LocaleDatePattern(const clsLocaleTimeInfo& info);

// A compiled pattern with the match list its borrower fills (kept, so records are reused).
struct clsPooledPattern {
  clsPooledPattern(const String& pattern, uint32_t options) : regex(pattern, options) {}
  clsRegEx regex;
  clsRegExMatchList matches;
};

// One compiled pattern lent from the process-wide pool for the span of a match: a pattern is
// compiled once per concurrent user, never per call.
class clsPatternLease {
 public:
  clsPatternLease() = default;  // lends nothing until Lend
  clsPatternLease(const wchar_t* pattern, uint32_t options);
  ~clsPatternLease();
  clsPatternLease(const clsPatternLease&) = delete;
  clsPatternLease& operator=(const clsPatternLease&) = delete;
  clsRegEx& Get() { return item_->regex; }
  clsRegExMatchList& Matches() { return item_->matches; }
  // From `pool` (an internal pool, under the cache lock), or a private copy when it is null.
  void Lend(void* pool, const String& pattern, uint32_t options);

 private:
  void* pool_ = nullptr;  // null: not pooled (before attach), the pattern is owned
  clsPooledPattern* item_ = nullptr;
};

// A locale's conventions (kept per locale identifier) and its compiled pattern, for one parse.
class clsLocaleLease {
 public:
  explicit clsLocaleLease(LCID lcid);
  ~clsLocaleLease();
  clsLocaleLease(const clsLocaleLease&) = delete;
  clsLocaleLease& operator=(const clsLocaleLease&) = delete;

  const clsLocaleTimeInfo& Info() const { return *info_; }
  clsRegEx& Pattern() { return pattern_.Get(); }
  clsRegExMatchList& Matches() { return pattern_.Matches(); }

 private:
  const clsLocaleTimeInfo* info_ = nullptr;
  std::unique_ptr<clsLocaleTimeInfo> owned_;  // when the cache could not keep it
  clsPatternLease pattern_;
};

// Process-wide cache; made at attach, released at detach.
void InitializeLocaleCache();
void ShutdownLocaleCache();
// Diagnostics for tests: patterns compiled since attach.
long PatternsCompiledForTesting();

}  // namespace ovut::locale

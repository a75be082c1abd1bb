// The debug log file: each line appended as UTF-16 (no byte-order mark) with CR LF. The file is
// opened per line with read sharing only, so several processes can append to one log in turn.
#pragma once
#include <windows.h>

#include "diagnostics/debug_settings.h"
#include "foundation/string.h"

namespace ovut::debug {

class clsDebugLogFile {
 public:
  void Configure(const LogSettings& settings) { settings_ = settings; }
  bool Enabled() const { return !settings_.fileName.IsEmpty(); }
  const String& FileName() const { return settings_.fileName; }

  // Appends the line; when the file cannot be opened within 100 ms it beeps and skips it.
  void Append(const wchar_t* line, int length);

 private:
  LogSettings settings_;
};

}  // namespace ovut::debug

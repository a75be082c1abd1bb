// The debug log file: each line appended as UTF-16 (no byte-order mark) with CR LF.
//
// One append handle stays open between lines, shared for reading, writing and deleting: several
// processes append to one log (each write lands at the end at once, nothing waits in a buffer of
// ours, so a crash loses nothing written), readers read it while it grows and may delete or rename
// it. Before each line the name is checked against the open file; when it no longer leads there
// the file is opened (or created) again by name.
#pragma once
#include <windows.h>

#include <cstdint>

#include "diagnostics/debug_settings.h"
#include "foundation/scoped_handle.h"
#include "foundation/string.h"

namespace ovut::debug {

class clsDebugLogFile {
 public:
  void Configure(const LogSettings& settings) {
    settings_ = settings;
    file_.reset();
    sizeAfterLine_ = kNoSize;
  }
  bool Enabled() const { return !settings_.fileName.IsEmpty(); }
  const String& FileName() const { return settings_.fileName; }

  // Appends the line; when the file cannot be opened within 100 ms it beeps and skips it.
  // Callers serialise (the channel lock).
  void Append(const wchar_t* line, int length);

 private:
  static constexpr uint64_t kNoSize = ~0ull;
  bool StillNamed(uint64_t* namedSize) const;
  bool Open();

  LogSettings settings_;
  UniqueHandle file_;
  uint64_t sizeAfterLine_ = kNoSize;  // the file's size after our last line, when known
};

}  // namespace ovut::debug

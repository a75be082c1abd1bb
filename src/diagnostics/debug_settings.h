// Registry switches of the debug channel.
#pragma once
#include <windows.h>

#include "foundation/scoped_handle.h"
#include "foundation/string.h"

namespace ovut::debug {

struct LogSettings {
  String fileName;     // empty: no log file
  bool flush = false;  // flush after each line
};

// HKLM "software\orvask": "Debug.LogFilename" (a name without a folder is placed in the
// user's temporary folder, long form) and "Debug.LogFile.Flush".
LogSettings ReadLogSettings();

// The user's "SOFTWARE\orvask" value "ForceUsePerfCounters": any text other than "F" and "0".
bool ReadForcePerfCounters();

// The key that stands for the current user: HKEY_CURRENT_USER, or the impersonated user's hive
// when HKLM "software\orvask" "Registry.ImpersonationAware" is non-zero (decided once).
// The result closes what it opened; HKEY_CURRENT_USER itself is never closed.
class clsUserRoot {
 public:
  explicit clsUserRoot(REGSAM access = KEY_READ);
  HKEY get() const { return hive_ ? hive_.get() : HKEY_CURRENT_USER; }

 private:
  UniqueRegKey hive_;
};

}  // namespace ovut::debug

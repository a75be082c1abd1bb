// Registry switches of the debug channel.
#pragma once
#include <windows.h>

#include "environment/user_root.h"
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

// The key that stands for the current user lives with the rest of the process policy.
using env::clsUserRoot;

}  // namespace ovut::debug

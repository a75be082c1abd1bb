// Who is writing: the names the channel puts into its announcements and library lines.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::debug {

struct ChannelIdentity {
  String processPath;      // executable, upper case
  String libraryPath;      // this library's module, upper case
  String libraryFileName;  // "OVUT19.DLL"
  String libraryName;      // "OVUT19": the module column of library lines
  bool announces = true;   // false for executables whose name begins with "resinject"

  static ChannelIdentity Of(HMODULE library);
};

// True while the calling thread holds the process loader lock (inside DllMain and friends),
// when loading or resource queries must not be attempted.
bool LoaderLockHeld();
// The thread that holds the loader lock (any thread), null when it is free. Reads the process
// environment block only: safe in a crash handler, allocates nothing.
HANDLE LoaderLockOwner() noexcept;

// "<FILE NAME> <FileVersion> <Build>" from the module's version resource, or
// "<FILE NAME> <no version info>"; "<module info cannot be queried right now>" under the loader lock.
String ModuleInfoText(HMODULE module, const String& fileName);

}  // namespace ovut::debug

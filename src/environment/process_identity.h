// The process identity: who loaded the library, recorded once at attach and read-only afterwards.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::env {

// One module file, all upper case.
struct ModuleNames {
  String path;       // full path, at most MAX_PATH characters
  String fileName;   // name with extension
  String baseName;   // name without extension (at most 256 characters): the application name
  String directory;  // drive and folder, with the trailing backslash
};

struct ProcessIdentity {
  ModuleNames process;
  ModuleNames library;
};

// Called once from the attach step, before any export can run.
void RecordProcessIdentity(HMODULE library) noexcept;
const ProcessIdentity& Identity() noexcept;

// Splits an upper-cased path into the names above.
ModuleNames SplitModulePath(const String& upperPath) noexcept;

}  // namespace ovut::env

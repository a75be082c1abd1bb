// Whether the calling thread holds the system loader lock: inside any module's DllMain or
// TLS callback. Code that could load a library (dbghelp, symbol files) checks it first and
// takes a cheaper road: loading a library there can deadlock the process.
#pragma once
#include <windows.h>

namespace ovut::env {

bool UnderLoaderLock() noexcept;

// Marks the library's own attach and detach work for the span of a scope, as a second
// signal next to the loader lock's owner.
class clsAttachDetachScope {
 public:
  clsAttachDetachScope() noexcept;
  ~clsAttachDetachScope();
  clsAttachDetachScope(const clsAttachDetachScope&) = delete;
  clsAttachDetachScope& operator=(const clsAttachDetachScope&) = delete;
};

}  // namespace ovut::env

// Debug-help jobs: handles a host holds for symbol look-ups in its own process. A job owns no
// resource (every look-up goes through the shared symbol module and its lock); the handle is a
// serial number that is never handed out twice, so a closed or made-up handle stays refused.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::debug {

// Results of the job exports besides 0 and the caller-buffer sizes.
enum {
  kJobInvalid = -1,     // null, unknown or closed job handle
  kJobBadArgument = -2,  // a required pointer is null
  kJobNoModule = -3,     // the address lies in no loaded module
  kJobNoSourceLine = -4,  // no source line is known for the address
  kJobFailed = -5         // out of memory or another fault (reported on the debug channel)
};

// A new job (modules loaded so far are made known to the symbol handler), or 0 when out of memory.
UINT_PTR OpenJob();
// False (with a debug line) for a handle that is not open; the handle is dead afterwards.
bool CloseJob(UINT_PTR job) noexcept;
// False (with a debug line naming `function`) for a handle that is not open.
bool CheckJob(UINT_PTR job, const char* function) noexcept;

// "module!symbol+0x1c", or "module+0x1a2b" without a symbol name; empty for no module.
String SymbolText(UINT_PTR address);
// One line per frame, "0x<address> <symbol text> (<file>:<line>)" (file and line when known,
// "?" for an address in no module), each ended by CR LF.
String FramesText(void* const* frames, int count);

// Captures the stack of the caller of the function that called this one (`returnAddress` is
// that function's own return address), skipping `skipFrames` more; at most `capacity` frames.
// Must not be inlined: the capture has to see this frame.
int CaptureCallerFrames(void* returnAddress, int skipFrames, void** frames, int capacity) noexcept;

}  // namespace ovut::debug

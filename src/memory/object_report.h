// Report pieces shared by the heap operations: object dumps and stack traces as memory lines.
#pragma once
#include <windows.h>

#include "memory/stack_trace.h"

namespace ovut::memory {

// "-Object at %#p, %d(=0x%08x) Bytes", up to 64 bytes as hex and text rows of 8, and the
// allocation stack trace when there is one. `readable` bounds the bytes shown.
void DumpObject(const void* data, int size, int readable, const scStackTrace* trace);
// "<title> stack trace:" and two lines per entry (frame:symbol, the call target). Under the
// registry lock the names are looked up when the deferred lines are written.
void PrintTrace(const scStackTrace* trace, const wchar_t* title);

}  // namespace ovut::memory

// Reading memory that may not be there (code bytes around a return address, a crash's stack).
#pragma once
#include <windows.h>

#include <cstddef>

namespace ovut::debug {

// Copies `bytes` from `address` when every page of the range is committed and readable; false,
// with nothing copied, otherwise. It asks the memory manager instead of calling
// ReadProcessMemory, which fails for the own process in 32-bit Wine.
bool CopyIfReadable(const void* address, void* out, size_t bytes) noexcept;

}  // namespace ovut::debug

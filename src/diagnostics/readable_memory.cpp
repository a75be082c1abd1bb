#include "diagnostics/readable_memory.h"

#include <cstring>

namespace ovut::debug {

bool CopyIfReadable(const void* address, void* out, size_t bytes) noexcept {
  const UINT_PTR first = reinterpret_cast<UINT_PTR>(address);
  if (bytes == 0 || first + bytes < first) return false;
  for (UINT_PTR at = first; at < first + bytes;) {
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) || info.State != MEM_COMMIT ||
        (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) ||
        !(info.Protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                          PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)))
      return false;
    at = reinterpret_cast<UINT_PTR>(info.BaseAddress) + info.RegionSize;
  }
  memcpy(out, address, bytes);
  return true;
}

}  // namespace ovut::debug

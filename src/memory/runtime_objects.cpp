#include "memory/runtime_objects.h"

#include <cstdlib>
#include <cstring>

#include "memory/object_layout.h"

namespace ovut::memory {

void* RuntimeAlloc(int size, uint32_t flags) {
  if (size < 0) return nullptr;
  auto* block = static_cast<int32_t*>(malloc(static_cast<size_t>(size) + kRuntimeOverhead));
  if (!block) return nullptr;
  *block = size;
  void* data = block + 1;
  if (flags & kZeroMemory) memset(data, 0, static_cast<size_t>(size));
  else if (flags & kFillMemory) memset(data, kNewFill, static_cast<size_t>(size));
  return data;
}

int RuntimeFree(void* data) {
  if (data) free(static_cast<char*>(data) - kRuntimeOverhead);
  return 0;
}

int RuntimeSize(const void* data) {
  if (!data) return -6;
  int32_t size;
  memcpy(&size, static_cast<const char*>(data) - kRuntimeOverhead, sizeof size);
  return size;
}

}  // namespace ovut::memory

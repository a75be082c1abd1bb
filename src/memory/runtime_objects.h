// Objects of the C runtime heap (null heap handle): the size in front of the data.
#pragma once
#include <cstdint>

namespace ovut::memory {

void* RuntimeAlloc(int size, uint32_t flags);
int RuntimeFree(void* data);
int RuntimeSize(const void* data);

}  // namespace ovut::memory

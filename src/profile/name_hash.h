// Hash of an item name for the list index. Case is folded, so names that differ only in case
// share a hash (and a bucket); the index still compares names exactly.
#pragma once
#include <cstdint>

namespace ovut::profile {

uint32_t NameHash(const wchar_t* name, uint32_t length, bool isList) noexcept;

}  // namespace ovut::profile

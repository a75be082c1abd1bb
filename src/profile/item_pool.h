// The process-wide pool of item records: blocks of 50 records, one lock held for the whole of
// taking or returning a record. A block is given up as soon as all its records are back, unless
// it is the block being allocated from. Blocks are carved from arenas of many blocks, so a
// profile of many items costs few heap calls; an arena whose blocks are all given up is freed,
// except one kept for the next blocks.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "profile/item.h"

namespace ovut::profile {

struct ItemPoolArena;

struct ItemPoolBlock {
  static constexpr uint32_t kRecords = 50;
  static constexpr uint64_t kAllFree = (1ull << kRecords) - 1;
  uint64_t freeBits = kAllFree;  // bit set = record free
  uint32_t hint = 0;             // record to try first
  ItemPoolArena* arena = nullptr;
  clsItem records[kRecords];
};

struct ItemPoolStats {
  size_t liveRecords;  // records handed out and not yet returned
  size_t blocks;       // blocks in use, the current one included
};

class ItemPool {
 public:
  // Created at attach, destroyed at detach (dll/lifecycle.cpp).
  static void Initialize();
  static void Shutdown();

  // An empty record, or nullptr when no block can be allocated.
  static clsItem* Take() noexcept;
  // The record must be empty again (texts cleared, no sub-list).
  static void Give(clsItem* item) noexcept;
  static ItemPoolStats Stats() noexcept;
};

}  // namespace ovut::profile

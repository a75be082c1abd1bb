#include "profile/item_pool.h"

#include <new>

#include "foundation/critical_section.h"

namespace ovut::profile {
namespace {

CriticalSection* g_lock = nullptr;
ItemPoolBlock* g_current = nullptr;  // block records are taken from
size_t g_live = 0;
size_t g_blocks = 0;

inline uint32_t LowestSetBit(uint64_t bits) { return static_cast<uint32_t>(__builtin_ctzll(bits)); }

}  // namespace

void ItemPool::Initialize() {
  if (!g_lock) g_lock = new CriticalSection(4000);
}

void ItemPool::Shutdown() {
  if (!g_lock) return;
  {
    AutoLock lock(*g_lock);
    // Blocks still holding records belong to jobs a host never closed; they stay.
    if (g_current && g_current->freeBits == ItemPoolBlock::kAllFree) {
      delete g_current;
      --g_blocks;
    }
    g_current = nullptr;
  }
  delete g_lock;
  g_lock = nullptr;
}

clsItem* ItemPool::Take() noexcept {
  AutoLock lock(*g_lock);
  if (!g_current || g_current->freeBits == 0) {
    // A full block is no longer allocated from; it lives on until its records come back.
    ItemPoolBlock* fresh = new (std::nothrow) ItemPoolBlock;
    if (!fresh) return nullptr;
    for (clsItem& r : fresh->records) r.block_ = fresh;
    g_current = fresh;
    ++g_blocks;
  }
  ItemPoolBlock* b = g_current;
  uint32_t index = b->hint;
  if (index >= ItemPoolBlock::kRecords || !(b->freeBits & (1ull << index))) index = LowestSetBit(b->freeBits);
  b->freeBits &= ~(1ull << index);
  b->hint = index + 1;
  ++g_live;
  clsItem* item = &b->records[index];
  item->subList_ = nullptr;
  return item;
}

void ItemPool::Give(clsItem* item) noexcept {
  if (!item) return;
  ItemPoolBlock* b = item->block_;
  uint32_t index = static_cast<uint32_t>(item - b->records);
  AutoLock lock(*g_lock);
  b->freeBits |= 1ull << index;
  b->hint = index;
  --g_live;
  if (b->freeBits == ItemPoolBlock::kAllFree && b != g_current) {
    delete b;
    --g_blocks;
  }
}

ItemPoolStats ItemPool::Stats() noexcept {
  AutoLock lock(*g_lock);
  return {g_live, g_blocks};
}

}  // namespace ovut::profile

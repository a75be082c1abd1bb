#include "profile/item_pool.h"

#include <new>

#include "foundation/critical_section.h"

namespace ovut::profile {

// A run of block slots from one heap allocation; free slots form a list through their first
// bytes. Arenas with a free slot are chained, so a new block never searches.
struct ItemPoolArena {
  static constexpr uint32_t kBlocks = 32;
  union Slot {
    Slot* nextFree;
    alignas(ItemPoolBlock) unsigned char bytes[sizeof(ItemPoolBlock)];
  };
  ItemPoolArena* prevOpen = nullptr;  // chain of arenas with a free slot
  ItemPoolArena* nextOpen = nullptr;
  Slot* freeSlots = nullptr;
  uint32_t used = 0;
  Slot slots[kBlocks];
};

namespace {

CriticalSection* g_lock = nullptr;
ItemPoolBlock* g_current = nullptr;  // block records are taken from
size_t g_live = 0;
size_t g_blocks = 0;
ItemPoolArena* g_open = nullptr;   // arenas with a free slot
ItemPoolArena* g_spare = nullptr;  // one arena without blocks, kept for the next ones

inline uint32_t LowestSetBit(uint64_t bits) { return static_cast<uint32_t>(__builtin_ctzll(bits)); }

void LinkOpen(ItemPoolArena* a) {
  a->prevOpen = nullptr;
  a->nextOpen = g_open;
  if (g_open) g_open->prevOpen = a;
  g_open = a;
}

void UnlinkOpen(ItemPoolArena* a) {
  if (a->prevOpen) a->prevOpen->nextOpen = a->nextOpen;
  else g_open = a->nextOpen;
  if (a->nextOpen) a->nextOpen->prevOpen = a->prevOpen;
  a->prevOpen = a->nextOpen = nullptr;
}

ItemPoolArena* NewArena() {
  void* mem = HeapAlloc(GetProcessHeap(), 0, sizeof(ItemPoolArena));
  if (!mem) return nullptr;
  auto* a = new (mem) ItemPoolArena;
  for (uint32_t i = ItemPoolArena::kBlocks; i-- > 0;) {
    a->slots[i].nextFree = a->freeSlots;
    a->freeSlots = &a->slots[i];
  }
  return a;
}

// A block with every record empty, or nullptr when out of memory.
ItemPoolBlock* NewBlock() {
  if (!g_open) {
    ItemPoolArena* a = g_spare ? g_spare : NewArena();
    if (!a) return nullptr;
    g_spare = nullptr;
    LinkOpen(a);
  }
  ItemPoolArena* a = g_open;
  ItemPoolArena::Slot* slot = a->freeSlots;
  a->freeSlots = slot->nextFree;
  if (++a->used == ItemPoolArena::kBlocks) UnlinkOpen(a);
  auto* b = new (slot->bytes) ItemPoolBlock;
  b->arena = a;
  ++g_blocks;
  return b;
}

void FreeBlock(ItemPoolBlock* b) {
  ItemPoolArena* a = b->arena;
  b->~ItemPoolBlock();
  auto* slot = reinterpret_cast<ItemPoolArena::Slot*>(b);
  const bool wasFull = a->used == ItemPoolArena::kBlocks;
  slot->nextFree = a->freeSlots;
  a->freeSlots = slot;
  --g_blocks;
  if (wasFull) LinkOpen(a);
  if (--a->used > 0) return;
  UnlinkOpen(a);
  if (!g_spare) {
    g_spare = a;
    return;
  }
  a->~ItemPoolArena();
  HeapFree(GetProcessHeap(), 0, a);
}

void FreeArena(ItemPoolArena*& a) {
  if (!a) return;
  a->~ItemPoolArena();
  HeapFree(GetProcessHeap(), 0, a);
  a = nullptr;
}

}  // namespace

void ItemPool::Initialize() {
  if (!g_lock) g_lock = new CriticalSection(4000);
}

void ItemPool::Shutdown() {
  if (!g_lock) return;
  {
    AutoLock lock(*g_lock);
    // Blocks still holding records belong to jobs a host never closed; they stay, and so do
    // their arenas.
    if (g_current && g_current->freeBits == ItemPoolBlock::kAllFree) FreeBlock(g_current);
    g_current = nullptr;
    FreeArena(g_spare);
  }
  delete g_lock;
  g_lock = nullptr;
}

clsItem* ItemPool::Take() noexcept {
  AutoLock lock(*g_lock);
  if (!g_current || g_current->freeBits == 0) {
    // A full block is no longer allocated from; it lives on until its records come back.
    ItemPoolBlock* fresh = NewBlock();
    if (!fresh) return nullptr;
    for (clsItem& r : fresh->records) r.block_ = fresh;
    g_current = fresh;
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
  if (b->freeBits == ItemPoolBlock::kAllFree && b != g_current) FreeBlock(b);
}

ItemPoolStats ItemPool::Stats() noexcept {
  AutoLock lock(*g_lock);
  return {g_live, g_blocks};
}

}  // namespace ovut::profile

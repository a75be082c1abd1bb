#include "memory/handle_set.h"

#include "memory/pointer_set.h"

namespace ovut::memory {
namespace {

UINT_PTR Load(const UINT_PTR& slot) { return __atomic_load_n(&slot, __ATOMIC_RELAXED); }
void Store(UINT_PTR& slot, UINT_PTR value) { __atomic_store_n(&slot, value, __ATOMIC_RELEASE); }

}  // namespace

clsHandleSet::~clsHandleSet() {
  for (scTable* t = table_; t;) {
    scTable* older = t->retired;
    HeapFree(GetProcessHeap(), 0, t);
    t = older;
  }
}

// Under the registry lock: no slot changes meanwhile.
size_t clsHandleSet::Slot(const scTable* t, UINT_PTR key) noexcept {
  size_t mask = t->capacity - 1, i = PointerHash(key) & mask;
  while (t->slots[i] && t->slots[i] != key) i = (i + 1) & mask;
  return i;
}

bool clsHandleSet::Contains(const void* p) const noexcept {
  const UINT_PTR key = reinterpret_cast<UINT_PTR>(p);
  const scTable* t = __atomic_load_n(&table_, __ATOMIC_ACQUIRE);
  if (!key || !t) return false;
  const size_t mask = t->capacity - 1;
  // Bounded: a reader racing a writer may see an unusual table, never loops on it.
  for (size_t i = PointerHash(key) & mask, n = 0; n < t->capacity; i = (i + 1) & mask, ++n) {
    const UINT_PTR v = Load(t->slots[i]);
    if (v == key) return true;
    if (!v) return false;
  }
  return false;
}

bool clsHandleSet::Insert(const void* p) noexcept {
  const UINT_PTR key = reinterpret_cast<UINT_PTR>(p);
  if (!key) return false;
  if (!table_ || (count_ + 1) * 2 > table_->capacity) {
    const size_t capacity = table_ ? table_->capacity * 2 : 64;
    auto* t = static_cast<scTable*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(scTable) + (capacity - 1) * sizeof(UINT_PTR)));
    if (!t) return false;
    t->capacity = capacity;
    t->retired = table_;
    if (table_)
      for (size_t i = 0; i < table_->capacity; ++i)
        if (table_->slots[i]) t->slots[Slot(t, table_->slots[i])] = table_->slots[i];
    __atomic_store_n(&table_, t, __ATOMIC_RELEASE);  // complete before readers see it
  }
  const size_t i = Slot(table_, key);
  if (table_->slots[i] != key) {
    Store(table_->slots[i], key);
    ++count_;
  }
  return true;
}

// Backward-shift deletion keeps every probe chain unbroken without tombstones.
void clsHandleSet::Erase(const void* p) noexcept {
  const UINT_PTR key = reinterpret_cast<UINT_PTR>(p);
  if (!key || !table_) return;
  UINT_PTR* slots = table_->slots;
  size_t mask = table_->capacity - 1, i = Slot(table_, key);
  if (slots[i] != key) return;
  Store(slots[i], 0);
  --count_;
  for (size_t j = (i + 1) & mask; slots[j]; j = (j + 1) & mask) {
    size_t home = PointerHash(slots[j]) & mask;
    // Move the entry into the hole when its home does not lie cyclically in (i, j].
    bool between = i <= j ? (home > i && home <= j) : (home > i || home <= j);
    if (!between) {
      Store(slots[i], slots[j]);
      Store(slots[j], 0);
      i = j;
    }
  }
}

}  // namespace ovut::memory

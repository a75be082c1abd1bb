#include "memory/pointer_set.h"

namespace ovut::memory {

clsPointerSet::~clsPointerSet() { Clear(); }

void clsPointerSet::Clear() {
  if (slots_) HeapFree(GetProcessHeap(), 0, slots_);
  slots_ = nullptr;
  capacity_ = count_ = 0;
}

size_t clsPointerSet::Slot(UINT_PTR key) const {
  size_t mask = capacity_ - 1, i = PointerHash(key) & mask;
  while (slots_[i] && slots_[i] != key) i = (i + 1) & mask;
  return i;
}

bool clsPointerSet::Contains(const void* p) const {
  UINT_PTR key = reinterpret_cast<UINT_PTR>(p);
  return key && capacity_ && slots_[Slot(key)] == key;
}

bool clsPointerSet::Grow() { return Resize(capacity_ ? capacity_ * 2 : kMinCapacity); }

bool clsPointerSet::Resize(size_t capacity) {
  auto* slots = static_cast<UINT_PTR*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, capacity * sizeof(UINT_PTR)));
  if (!slots) return false;
  UINT_PTR* old = slots_;
  size_t oldCapacity = capacity_;
  slots_ = slots;
  capacity_ = capacity;
  for (size_t i = 0; i < oldCapacity; ++i)
    if (old[i]) slots_[Slot(old[i])] = old[i];
  if (old) HeapFree(GetProcessHeap(), 0, old);
  return true;
}

bool clsPointerSet::Insert(const void* p) {
  UINT_PTR key = reinterpret_cast<UINT_PTR>(p);
  if (!key) return false;
  if ((count_ + 1) * 2 > capacity_ && !Grow()) return false;
  size_t i = Slot(key);
  if (slots_[i] != key) {
    slots_[i] = key;
    ++count_;
  }
  return true;
}

// Backward-shift deletion keeps every probe chain unbroken without tombstones.
void clsPointerSet::Erase(const void* p) {
  UINT_PTR key = reinterpret_cast<UINT_PTR>(p);
  if (!key || !capacity_) return;
  size_t i = Slot(key);
  if (slots_[i] == key) EraseAt(i);
}

void clsPointerSet::EraseAt(size_t i) {
  size_t mask = capacity_ - 1;
  slots_[i] = 0;
  --count_;
  // A set that held many pointers once gives its memory back (an allocation failure keeps it).
  if (capacity_ > kMinCapacity && count_ * 8 < capacity_ && Resize(capacity_ / 2)) return;
  for (size_t j = (i + 1) & mask; slots_[j]; j = (j + 1) & mask) {
    size_t home = PointerHash(slots_[j]) & mask;
    // Move the entry into the hole when its home does not lie cyclically in (i, j].
    bool between = i <= j ? (home > i && home <= j) : (home > i || home <= j);
    if (!between) {
      slots_[i] = slots_[j];
      slots_[j] = 0;
      i = j;
    }
  }
}

}  // namespace ovut::memory

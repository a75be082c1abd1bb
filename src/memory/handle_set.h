// The registry's set of heap handles, readable without the registry lock: the object paths look
// a handle up while other threads may create and delete heaps. Changes are made under the
// registry lock. An outgrown table stays allocated until the set is destroyed, so a reader never
// touches freed memory. A reader may miss a handle that is being inserted or moved, or still see
// one that is being erased: it then takes the locked path, or the heap node's own lock and state
// decide (heap nodes are never freed while the registry lives).
#pragma once
#include <windows.h>

namespace ovut::memory {

class clsHandleSet {
 public:
  clsHandleSet() = default;
  ~clsHandleSet();
  clsHandleSet(const clsHandleSet&) = delete;
  clsHandleSet& operator=(const clsHandleSet&) = delete;

  bool Contains(const void* p) const noexcept;  // with or without the registry lock
  bool Insert(const void* p) noexcept;          // false when out of memory
  void Erase(const void* p) noexcept;

 private:
  struct scTable {
    scTable* retired;  // the table this one replaced
    size_t capacity;   // a power of two
    UINT_PTR slots[1];  // 0 = empty
  };
  static size_t Slot(const scTable* t, UINT_PTR key) noexcept;

  scTable* table_ = nullptr;
  size_t count_ = 0;
};

}  // namespace ovut::memory

// A set of pointers (open addressing, linear probing): the registry's membership test for
// module and heap handles, so that a handle is never dereferenced before it is known.
#pragma once
#include <windows.h>

namespace ovut::memory {

class clsPointerSet {
 public:
  clsPointerSet() = default;
  ~clsPointerSet();
  clsPointerSet(const clsPointerSet&) = delete;
  clsPointerSet& operator=(const clsPointerSet&) = delete;

  bool Contains(const void* p) const;
  bool Insert(const void* p);  // false when out of memory
  void Erase(const void* p);
  size_t Count() const { return count_; }

 private:
  size_t Slot(UINT_PTR key) const;
  bool Grow();

  UINT_PTR* slots_ = nullptr;  // 0 = empty
  size_t capacity_ = 0;        // a power of two
  size_t count_ = 0;
};

}  // namespace ovut::memory

// A set of pointers (open addressing, linear probing): the registry's membership test for
// module and heap handles, so that a handle is never dereferenced before it is known.
#pragma once
#include <windows.h>

namespace ovut::memory {

// The home slot's hash of a pointer: the low bits of an aligned pointer are zero, so they are
// shifted out before the multiply.
inline UINT_PTR PointerHash(UINT_PTR key) {
#ifdef _WIN64
  return (key >> 4) * 0x9E3779B97F4A7C15ull >> 20;
#else
  return (key >> 3) * 0x9E3779B1u >> 8;
#endif
}

class clsPointerSet {
 public:
  clsPointerSet() = default;
  ~clsPointerSet();
  clsPointerSet(const clsPointerSet&) = delete;
  clsPointerSet& operator=(const clsPointerSet&) = delete;

  bool Contains(const void* p) const;
  bool Insert(const void* p);  // false when out of memory
  void Erase(const void* p);
  // Erase in one probe: true when the pointer was there. `keep` decides, once it is found,
  // whether it stays after all (then nothing changes and the result is false).
  template <typename Keep>
  bool EraseUnless(const void* p, Keep&& keep) {
    UINT_PTR key = reinterpret_cast<UINT_PTR>(p);
    if (!key || !capacity_) return false;
    size_t i = Slot(key);
    if (slots_[i] != key || keep()) return false;
    EraseAt(i);
    return true;
  }
  void Clear();  // empty, its memory given back
  size_t Count() const { return count_; }

 private:
  size_t Slot(UINT_PTR key) const;
  bool Grow();
  void EraseAt(size_t i);
  bool Resize(size_t capacity);  // a power of two holding more than count_ * 2

  static constexpr size_t kMinCapacity = 64;

  UINT_PTR* slots_ = nullptr;  // 0 = empty
  size_t capacity_ = 0;        // a power of two
  size_t count_ = 0;
};

}  // namespace ovut::memory

// Index of a large list by item name and kind: a hash table whose buckets chain the items in
// list order, so the first match in a bucket is the first match in the list. A list builds it
// once it holds kMinItems items; small lists are walked.
#pragma once
#include <cstdint>

class clsItem;
class clsItemList;

namespace ovut::profile {

class NameIndex {
 public:
  static constexpr uint32_t kMinItems = 16;

  NameIndex() = default;
  ~NameIndex() { Drop(); }
  NameIndex(const NameIndex&) = delete;
  NameIndex& operator=(const NameIndex&) = delete;

  bool Active() const noexcept { return buckets_ != nullptr; }
  // Indexes every item of the list in order; false (and no index) when out of memory.
  bool Build(const clsItemList& list) noexcept;
  void Drop() noexcept;
  // The item must be the list's new last item. Grows the table as the list grows.
  void Insert(clsItem* item, const clsItemList& list) noexcept;
  void Erase(clsItem* item) noexcept;
  clsItem* Find(const wchar_t* name, uint32_t length, bool isList) const noexcept;
  // The next item after `item` in list order with the same name and kind.
  clsItem* FindNext(const clsItem* item) const noexcept;

 private:
  void Link(clsItem* item) noexcept;
  bool Rehash(uint32_t bucketCount, const clsItemList& list) noexcept;

  // Both ends of each chain (oldest first), so that linking the newest item writes to the old
  // tail only and never has to read a far-away item first.
  struct Bucket {
    clsItem* head;
    clsItem* tail;
  };
  Bucket* buckets_ = nullptr;
  uint32_t mask_ = 0;
};

}  // namespace ovut::profile

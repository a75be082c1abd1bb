// clsItem: one entry of a profile list, either a value item (name and text value) or a list
// item (name and an owned sub-list; its value is empty). Records come from the item pool
// (item_pool.h); create and destroy them with clsItem::Create/Destroy, never with new/delete.
#pragma once
#include <windows.h>
#include <cstdint>
#include <cwchar>

#include "profile/inline_text.h"

class clsItemList;
namespace ovut::profile {
struct ItemPoolBlock;
class ItemPool;
class NameIndex;
}  // namespace ovut::profile

class clsItem {
 public:
  static constexpr uint32_t kInlineName = 20;   // 19 units and the terminator
  static constexpr uint32_t kInlineValue = 32;  // 31 units and the terminator

  // A fresh value item with the given texts, not in any list; nullptr when out of memory.
  static clsItem* Create(const wchar_t* name, uint32_t nameLength, const wchar_t* value, uint32_t valueLength);
  // Destroys the item with its sub-tree; the item must no longer be in a list.
  static void Destroy(clsItem* item) noexcept;

  const wchar_t* Name() const noexcept { return name_.c_str(); }
  uint32_t NameLength() const noexcept { return nameLength_; }
  const wchar_t* Value() const noexcept { return value_.c_str(); }
  uint32_t ValueLength() const noexcept { return valueLength_; }
  clsItemList* SubList() const noexcept { return subList_; }
  bool IsList() const noexcept { return subList_ != nullptr; }
  bool NameEquals(const wchar_t* name, uint32_t length) const noexcept {
    return length == nameLength_ && std::wmemcmp(name_.c_str(), name, length) == 0;
  }

  // Neighbours in list order (nullptr at the ends) and the list holding the item.
  clsItem* Next() const noexcept { return next_; }
  clsItem* Prev() const noexcept { return prev_; }
  clsItemList* Parent() const noexcept { return parent_; }

  // The value may change at any time; its place in the list is kept. False when out of memory
  // (the value is then empty).
  bool SetValue(const wchar_t* value, uint32_t length) noexcept;

  // Public for the pool's blocks; use Create.
  clsItem() noexcept = default;
  ~clsItem() = default;
  clsItem(const clsItem&) = delete;
  clsItem& operator=(const clsItem&) = delete;

 private:
  friend class clsItemList;
  friend class ovut::profile::ItemPool;
  friend class ovut::profile::NameIndex;

  void ResetRecord() noexcept;  // back to the empty state of a fresh pool record

  ovut::profile::clsInlineText<kInlineName> name_;
  ovut::profile::clsInlineText<kInlineValue> value_;
  uint32_t nameLength_ = 0;
  uint32_t valueLength_ = 0;
  clsItemList* subList_ = nullptr;
  ovut::profile::ItemPoolBlock* block_ = nullptr;

  // List order, and the chain of the name index (insertion order).
  clsItem* next_ = nullptr;
  clsItem* prev_ = nullptr;
  clsItemList* parent_ = nullptr;
  clsItem* hashNext_ = nullptr;
  clsItem* hashPrev_ = nullptr;
  uint32_t hash_ = 0;
};

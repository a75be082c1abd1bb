// clsItemList: an ordered list of items (insertion order) with a name. A list owns its items;
// an item owns its sub-list. Lists of many items keep a name index, so lookups by name and
// appends stay fast at any size. Names compare as exact UTF-16 sequences (case-sensitive).
#pragma once
#include <cstdint>

#include "profile/inline_text.h"
#include "profile/item.h"
#include "profile/name_index.h"

class clsItemList {
 public:
  static constexpr uint32_t kInlineName = 16;

  clsItemList() noexcept;
  clsItemList(const wchar_t* name, uint32_t length) noexcept;
  // Empties the list (every item and every nested list), without recursion.
  virtual ~clsItemList();
  clsItemList(const clsItemList&) = delete;
  clsItemList& operator=(const clsItemList&) = delete;

  // A list on the heap named as given; nullptr when out of memory.
  static clsItemList* Create(const wchar_t* name, uint32_t length) noexcept;
  // The name a list gets when created from a path segment: a leading "[" drops the first and
  // the last unit ("[Colors]" gives "Colors", "[" gives the empty name).
  static void ListNameOfSegment(const wchar_t*& name, uint32_t& length) noexcept;

  const wchar_t* Name() const noexcept { return name_.c_str(); }
  uint32_t NameLength() const noexcept { return nameLength_; }
  bool SetName(const wchar_t* name, uint32_t length) noexcept;

  clsItem* First() const noexcept { return head_; }
  clsItem* Last() const noexcept { return tail_; }
  uint32_t Count() const noexcept { return count_; }
  bool IsEmpty() const noexcept { return count_ == 0; }
  // The list item carrying this list; nullptr for a root list or a list not yet attached.
  clsItem* Owner() const noexcept { return owner_; }
  // Counts every removal of items from this list (Unlink, Remove, Clear): a walk that lets
  // others change the list learns from it that its next item may be gone.
  uint32_t Removals() const noexcept { return removals_; }
  // True when this list is `other` or lies somewhere below it.
  bool IsWithin(const clsItemList* other) const noexcept;

  // Building, in constant time. Each returns nullptr when out of memory.
  // Appends an item that is in no list yet.
  void Append(clsItem* item) noexcept;
  clsItem* AppendValue(const wchar_t* name, uint32_t nameLength, const wchar_t* value, uint32_t valueLength) noexcept;
  // Takes over `list` (deleted when the item cannot be made); the item is named after the list.
  clsItem* AppendList(clsItemList* list) noexcept;
  // A new empty list named as given, appended as a list item; returns the new list.
  clsItemList* AppendNewList(const wchar_t* name, uint32_t length) noexcept;

  // Takes the item out of the list (it stays alive) / takes it out and destroys it.
  void Unlink(clsItem* item) noexcept;
  void Remove(clsItem* item) noexcept;
  void Clear() noexcept;

  // First item in list order with this exact name that is a list item (isList) or a value
  // item; FindNextSame continues after `item` with the same name and kind.
  clsItem* Find(const wchar_t* name, uint32_t length, bool isList) const noexcept;
  clsItem* FindNextSame(const clsItem* item) const noexcept;
  clsItem* FindValue(const wchar_t* name, uint32_t length) const noexcept { return Find(name, length, false); }
  clsItemList* FindList(const wchar_t* name, uint32_t length) const noexcept {
    clsItem* it = Find(name, length, true);
    return it ? it->SubList() : nullptr;
  }

 private:
  ovut::profile::clsInlineText<kInlineName> name_;
  uint32_t nameLength_ = 0;
  clsItem* head_ = nullptr;
  clsItem* tail_ = nullptr;
  uint32_t count_ = 0;
  clsItem* owner_ = nullptr;
  uint32_t removals_ = 0;
  ovut::profile::NameIndex index_;
};

#include "profile/item.h"

#include "profile/item_list.h"
#include "profile/item_pool.h"

using ovut::profile::ItemPool;

clsItem* clsItem::Create(const wchar_t* name, uint32_t nameLength, const wchar_t* value, uint32_t valueLength) {
  clsItem* item = ItemPool::Take();
  if (!item) return nullptr;
  if (!item->name_.Assign(name, nameLength) || !item->value_.Assign(value, valueLength)) {
    item->ResetRecord();
    ItemPool::Give(item);
    return nullptr;
  }
  item->nameLength_ = nameLength;
  item->valueLength_ = valueLength;
  return item;
}

void clsItem::Destroy(clsItem* item) noexcept {
  if (!item) return;
  delete item->subList_;  // empties it without recursion
  item->subList_ = nullptr;
  item->ResetRecord();
  ItemPool::Give(item);
}

bool clsItem::SetValue(const wchar_t* value, uint32_t length) noexcept {
  bool ok = value_.Assign(value, length);
  valueLength_ = ok ? length : 0;
  return ok;
}

void clsItem::ResetRecord() noexcept {
  name_.Clear();
  value_.Clear();
  nameLength_ = valueLength_ = 0;
  subList_ = nullptr;
  next_ = prev_ = nullptr;
  parent_ = nullptr;
  hashNext_ = hashPrev_ = nullptr;
  hash_ = 0;
}

// Records are packed 50 to a block; keep them from growing unnoticed on either target.
static_assert(sizeof(clsItem) == (sizeof(void*) == 4 ? 160 : 208), "clsItem record layout changed");

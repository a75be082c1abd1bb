#include "profile/item_list.h"

#include <new>

#include "profile/item_pool.h"

using ovut::profile::ItemPool;
using ovut::profile::NameIndex;

clsItemList::clsItemList() noexcept = default;

clsItemList::clsItemList(const wchar_t* name, uint32_t length) noexcept { SetName(name, length); }

clsItemList::~clsItemList() { Clear(); }

clsItemList* clsItemList::Create(const wchar_t* name, uint32_t length) noexcept {
  clsItemList* list = new (std::nothrow) clsItemList;
  if (list && !list->SetName(name, length)) {
    delete list;
    return nullptr;
  }
  return list;
}

void clsItemList::ListNameOfSegment(const wchar_t*& name, uint32_t& length) noexcept {
  if (length == 0 || name[0] != L'[') return;
  if (length == 1) {
    length = 0;
    return;
  }
  ++name;
  length -= 2;
}

bool clsItemList::SetName(const wchar_t* name, uint32_t length) noexcept {
  bool ok = name_.Assign(name, length);
  nameLength_ = ok ? length : 0;
  return ok;
}

bool clsItemList::IsWithin(const clsItemList* other) const noexcept {
  for (const clsItemList* l = this; l; l = l->owner_ ? l->owner_->Parent() : nullptr)
    if (l == other) return true;
  return false;
}

void clsItemList::Append(clsItem* item) noexcept {
  item->parent_ = this;
  item->next_ = nullptr;
  item->prev_ = tail_;
  if (tail_)
    tail_->next_ = item;
  else
    head_ = item;
  tail_ = item;
  ++count_;
  if (item->subList_) item->subList_->owner_ = item;
  if (index_.Active())
    index_.Insert(item, *this);
  else if (count_ >= NameIndex::kMinItems)
    index_.Build(*this);
}

clsItem* clsItemList::AppendValue(const wchar_t* name, uint32_t nameLength, const wchar_t* value,
                                  uint32_t valueLength) noexcept {
  clsItem* item = clsItem::Create(name, nameLength, value, valueLength);
  if (item) Append(item);
  return item;
}

clsItem* clsItemList::AppendList(clsItemList* list) noexcept {
  if (!list) return nullptr;
  clsItem* item = clsItem::Create(list->Name(), list->NameLength(), L"", 0);
  if (!item) {
    delete list;
    return nullptr;
  }
  item->subList_ = list;
  Append(item);
  return item;
}

clsItemList* clsItemList::AppendNewList(const wchar_t* name, uint32_t length) noexcept {
  clsItem* item = AppendList(Create(name, length));
  return item ? item->SubList() : nullptr;
}

void clsItemList::Unlink(clsItem* item) noexcept {
  if (index_.Active()) index_.Erase(item);
  if (item->prev_)
    item->prev_->next_ = item->next_;
  else
    head_ = item->next_;
  if (item->next_)
    item->next_->prev_ = item->prev_;
  else
    tail_ = item->prev_;
  item->next_ = item->prev_ = nullptr;
  item->parent_ = nullptr;
  --count_;
  ++removals_;
}

void clsItemList::Remove(clsItem* item) noexcept {
  Unlink(item);
  clsItem::Destroy(item);
}

void clsItemList::Clear() noexcept {
  index_.Drop();
  ++removals_;
  // The items of nested lists are moved onto the work chain, so any depth takes no recursion.
  clsItem* work = head_;
  clsItem* workTail = tail_;
  head_ = tail_ = nullptr;
  count_ = 0;
  while (work) {
    clsItem* it = work;
    work = it->next_;
    if (!work) workTail = nullptr;
    if (clsItemList* sub = it->subList_) {
      it->subList_ = nullptr;
      sub->index_.Drop();
      if (sub->head_) {
        if (workTail)
          workTail->next_ = sub->head_;
        else
          work = sub->head_;
        workTail = sub->tail_;
        sub->head_ = sub->tail_ = nullptr;
        sub->count_ = 0;
      }
      sub->owner_ = nullptr;
      delete sub;
    }
    it->ResetRecord();
    ItemPool::Give(it);
  }
}

clsItem* clsItemList::Find(const wchar_t* name, uint32_t length, bool isList) const noexcept {
  if (index_.Active()) return index_.Find(name, length, isList);
  for (clsItem* it = head_; it; it = it->next_)
    if (it->IsList() == isList && it->NameEquals(name, length)) return it;
  return nullptr;
}

clsItem* clsItemList::FindNextSame(const clsItem* item) const noexcept {
  if (index_.Active()) return index_.FindNext(item);
  for (clsItem* it = item->next_; it; it = it->next_)
    if (it->IsList() == item->IsList() && it->NameEquals(item->Name(), item->NameLength())) return it;
  return nullptr;
}

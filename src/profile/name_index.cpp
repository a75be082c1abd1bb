#include "profile/name_index.h"

#include <cstdlib>

#include "profile/item_list.h"
#include "profile/name_hash.h"

namespace ovut::profile {

bool NameIndex::Build(const clsItemList& list) noexcept {
  Drop();
  for (clsItem* it = list.First(); it; it = it->Next()) it->hash_ = NameHash(it->Name(), it->NameLength(), it->IsList());
  uint32_t n = 32;
  while (n < list.Count() * 2u && n < 0x40000000u) n *= 2;
  return Rehash(n, list);
}

void NameIndex::Drop() noexcept {
  std::free(buckets_);
  buckets_ = nullptr;
  mask_ = 0;
}

bool NameIndex::Rehash(uint32_t bucketCount, const clsItemList& list) noexcept {
  Bucket* fresh = static_cast<Bucket*>(std::calloc(bucketCount, sizeof(Bucket)));
  if (!fresh) return false;
  std::free(buckets_);
  buckets_ = fresh;
  mask_ = bucketCount - 1;
  for (clsItem* it = list.First(); it; it = it->Next()) Link(it);
  return true;
}

void NameIndex::Link(clsItem* item) noexcept {
  Bucket& b = buckets_[item->hash_ & mask_];
  item->hashNext_ = nullptr;
  item->hashPrev_ = b.tail;
  if (b.tail)
    b.tail->hashNext_ = item;
  else
    b.head = item;
  b.tail = item;
}

void NameIndex::Insert(clsItem* item, const clsItemList& list) noexcept {
  item->hash_ = NameHash(item->Name(), item->NameLength(), item->IsList());
  // The list already holds the item, so a rehash links it with the others, in order.
  if (list.Count() > mask_ + 1 && mask_ < 0x3FFFFFFFu && Rehash((mask_ + 1) * 2, list)) return;
  Link(item);
}

void NameIndex::Erase(clsItem* item) noexcept {
  Bucket& b = buckets_[item->hash_ & mask_];
  if (item->hashPrev_)
    item->hashPrev_->hashNext_ = item->hashNext_;
  else
    b.head = item->hashNext_;
  if (item->hashNext_)
    item->hashNext_->hashPrev_ = item->hashPrev_;
  else
    b.tail = item->hashPrev_;
  item->hashNext_ = item->hashPrev_ = nullptr;
}

clsItem* NameIndex::Find(const wchar_t* name, uint32_t length, bool isList) const noexcept {
  uint32_t h = NameHash(name, length, isList);
  for (clsItem* it = buckets_[h & mask_].head; it; it = it->hashNext_)
    if (it->hash_ == h && it->IsList() == isList && it->NameEquals(name, length)) return it;
  return nullptr;
}

clsItem* NameIndex::FindNext(const clsItem* item) const noexcept {
  for (clsItem* it = item->hashNext_; it; it = it->hashNext_)
    if (it->hash_ == item->hash_ && it->IsList() == item->IsList() &&
        it->NameEquals(item->Name(), item->NameLength()))
      return it;
  return nullptr;
}

}  // namespace ovut::profile

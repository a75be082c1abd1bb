#include "profile/tree_enum.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace ovut::profile {
namespace {

// The lists from the top of the tree down to the walked list, with their removal counts as
// last seen. A list is known to be alive while every list above it is: the top list is held by
// the caller (a job's root), and a list whose parent has lost no item still has its owner item.
class ListChain {
 public:
  explicit ListChain(clsItemList* list) {
    for (clsItemList* l = list;;) {
      lists_.push_back(l);
      clsItem* owner = l->Owner();
      if (!owner || !owner->Parent()) break;
      l = owner->Parent();
    }
    std::reverse(lists_.begin(), lists_.end());
    for (clsItemList* l : lists_) seen_.push_back(l->Removals());
  }

  // False when a list on the way down (the walked list included) is gone. Every list is read
  // only after the one above it has been shown alive.
  bool StillThere() noexcept {
    for (size_t k = 0; k + 1 < lists_.size(); ++k) {
      if (lists_[k]->Removals() == seen_[k]) continue;
      if (!Carries(lists_[k], lists_[k + 1])) return false;
      seen_[k] = lists_[k]->Removals();
    }
    return true;
  }

 private:
  static bool Carries(const clsItemList* parent, const clsItemList* child) noexcept {
    for (clsItem* it = parent->First(); it; it = it->Next())
      if (it->SubList() == child) return true;
    return false;
  }

  std::vector<clsItemList*> lists_;
  std::vector<uint32_t> seen_;
};

}  // namespace

int EnumerateList(ProfHandle job, clsItemList* list, EnumCallback callback, INT_PTR user) {
  ListChain chain(list);
  std::vector<clsItem*> items;
  items.reserve(list->Count());
  for (clsItem* it = list->First(); it; it = it->Next()) items.push_back(it);
  std::vector<char> present(items.size(), 1);

  uint32_t removals = list->Removals();
  for (size_t i = 0; i < items.size(); ++i) {
    if (!present[i]) continue;
    clsItem* it = items[i];
    ProfHandle sub = it->IsList() ? clsProfJob::HandleOf(it->SubList()) : 0;
    if (callback(job, it->Name(), it->Value(), sub, user) == 0) return 0;
    if (!chain.StillThere()) return 1;
    if (list->Removals() == removals) continue;
    // The list lost items: only records found in it again, in their old order, are touched.
    // A record of the snapshot may have been freed, or reused for an item appended since
    // (which then stands behind every item of the snapshot and is left out by the order).
    removals = list->Removals();
    std::unordered_map<const clsItem*, size_t> at;
    for (size_t k = i + 1; k < items.size(); ++k) {
      present[k] = 0;
      at.emplace(items[k], k);
    }
    size_t next = i + 1;
    for (clsItem* l = list->First(); l; l = l->Next()) {
      auto found = at.find(l);
      if (found == at.end() || found->second < next) continue;
      present[found->second] = 1;
      next = found->second + 1;
    }
  }
  return 1;
}

}  // namespace ovut::profile

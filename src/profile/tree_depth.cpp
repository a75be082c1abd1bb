#include "profile/tree_depth.h"

#include <new>
#include <vector>

#include "profile/item_list.h"

namespace ovut::profile {

uint32_t ListDepth(const clsItemList* list) noexcept {
  uint32_t depth = 0;
  for (const clsItem* owner = list->Owner(); owner && depth <= kMaxListDepth;) {
    ++depth;
    const clsItemList* parent = owner->Parent();
    owner = parent ? parent->Owner() : nullptr;
  }
  return depth;
}

uint32_t ListHeight(const clsItemList* list, uint32_t limit) noexcept {
  // The stack holds the next item of every open level; it never grows past limit + 1 entries.
  std::vector<const clsItem*> stack;
  uint32_t height = 0;
  try {
    stack.reserve(64);
    stack.push_back(list->First());
    while (!stack.empty()) {
      const clsItem* it = stack.back();
      if (!it) {
        stack.pop_back();
        continue;
      }
      stack.back() = it->Next();
      if (!it->IsList()) continue;
      uint32_t depth = static_cast<uint32_t>(stack.size());
      if (depth > height) height = depth;
      if (height > limit) break;
      stack.push_back(it->SubList()->First());
    }
  } catch (const std::bad_alloc&) {
    return limit + 1;  // unknown: treat as too deep
  }
  return height;
}

}  // namespace ovut::profile

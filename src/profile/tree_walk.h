// Whole-tree walks: copying a list into another and listing a list on the debug channel.
// Both keep their own stack, so trees of any depth are safe.
#pragma once
#include "profile/item_list.h"

namespace ovut::profile {

// Appends a copy of every item of `source` (recursively) to `target`. 0 on success; -8 when
// the copy was cut short (out of memory), or, with nothing appended, when `target` is `source`
// or lies inside it (such a copy would never end) or the copy would nest lists deeper than
// kMaxListDepth below the target's root.
int CopyList(clsItemList* target, const clsItemList* source) noexcept;

// One debug line per item, depth first: "name=value", or "[name]" for a list item followed by
// its items one space further in (no further than kMaxIndentLevel).
void DebugList(const clsItemList* list) noexcept;

}  // namespace ovut::profile

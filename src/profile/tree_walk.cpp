#include "profile/tree_walk.h"

#include <new>
#include <vector>

#include "diagnostics/debug_output.h"
#include "profile/tree_depth.h"

namespace ovut::profile {
namespace {

struct Frame {
  const clsItem* next;  // next source item to handle at this level
  clsItemList* target;  // where its copy goes (unused by the listing)
};

}  // namespace

int CopyList(clsItemList* target, const clsItemList* source) noexcept {
  if (target->IsWithin(source)) return -8;
  // The copy must not nest deeper than the bound: checked first, so nothing is appended.
  uint32_t depth = ListDepth(target);
  uint32_t room = depth < kMaxListDepth ? kMaxListDepth - depth : 0;
  if (ListHeight(source, room) > room) return -8;
  try {
    std::vector<Frame> stack{{source->First(), target}};
    while (!stack.empty()) {
      const clsItem* it = stack.back().next;
      if (!it) {
        stack.pop_back();
        continue;
      }
      stack.back().next = it->Next();
      clsItemList* into = stack.back().target;
      if (it->IsList()) {
        clsItemList* copy = into->AppendNewList(it->Name(), it->NameLength());
        if (!copy) return -8;
        stack.push_back({it->SubList()->First(), copy});
      } else if (!into->AppendValue(it->Name(), it->NameLength(), it->Value(), it->ValueLength())) {
        return -8;
      }
    }
  } catch (const std::bad_alloc&) {
    return -8;
  }
  return 0;
}

void DebugList(const clsItemList* list) noexcept {
  if (!debug::IsActive()) return;
  try {
    std::vector<Frame> stack{{list->First(), nullptr}};
    while (!stack.empty()) {
      const clsItem* it = stack.back().next;
      if (!it) {
        stack.pop_back();
        continue;
      }
      stack.back().next = it->Next();
      int indent = IndentLevel(static_cast<int>(stack.size() - 1));
      if (it->IsList()) {
        debug::Write(nullptr, 0, L"%*s[%s]\n", indent, L"", it->Name());
        stack.push_back({it->SubList()->First(), nullptr});
      } else {
        debug::Write(nullptr, 0, L"%*s%s=%s\n", indent, L"", it->Name(), it->Value());
      }
    }
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace ovut::profile

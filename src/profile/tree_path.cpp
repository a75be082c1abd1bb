#include "profile/tree_path.h"

#include <cwchar>
#include <new>
#include <vector>

#include "profile/tree_depth.h"

namespace ovut::profile {
namespace {

constexpr size_t kMaxName = 0x7FFFFFF0u;

inline uint32_t Units(size_t n) { return static_cast<uint32_t>(n < kMaxName ? n : kMaxName); }

// Splits off the first segment; false when no "/" follows it (it is the final segment).
bool NextSegment(PathText& rest, PathText& segment) {
  const wchar_t* slash = static_cast<const wchar_t*>(std::wmemchr(rest.text, L'/', rest.length));
  if (!slash) {
    segment = rest;
    return false;
  }
  size_t n = static_cast<size_t>(slash - rest.text);
  segment = {rest.text, n < kMaxListSegment ? n : kMaxListSegment};
  rest = {slash + 1, rest.length - n - 1};
  return true;
}

// True when the lists a write would walk or make stay within the depth bound: one per "/" of
// the path, plus the final segment when that names a list too. Counted before anything is
// made, so a path that is too deep changes nothing, and no further than the room left.
bool WithinDepth(const clsItemList* start, PathText path, bool finalIsList) {
  uint32_t depth = ListDepth(start);
  uint32_t room = depth < kMaxListDepth ? kMaxListDepth - depth : 0;
  uint32_t lists = finalIsList ? 1 : 0;
  if (path.length < room) return true;  // too short to hold `room` slashes: nothing to count
  const wchar_t* p = path.text;
  size_t left = path.length;
  while (lists <= room) {
    const wchar_t* slash = static_cast<const wchar_t*>(std::wmemchr(p, L'/', left));
    if (!slash) break;
    ++lists;
    left -= static_cast<size_t>(slash + 1 - p);
    p = slash + 1;
  }
  return lists <= room;
}

clsItemList* FindOrAppendList(clsItemList* in, const wchar_t* name, uint32_t length) {
  if (clsItemList* found = in->FindList(name, length)) return found;
  clsItemList::ListNameOfSegment(name, length);
  return in->AppendNewList(name, length);
}

// Every list item named `segment` in every list of `from`.
void Descend(const std::vector<clsItemList*>& from, PathText segment, std::vector<clsItemList*>& to) {
  to.clear();
  uint32_t n = Units(segment.length);
  for (clsItemList* l : from)
    for (clsItem* it = l->Find(segment.text, n, true); it; it = l->FindNextSame(it)) to.push_back(it->SubList());
}

}  // namespace

PathText PathText::Of(const wchar_t* name) noexcept { return {name, std::wcslen(name)}; }

clsItemList* StartList(clsProfJob& job, ProfHandle list, PathText& path) noexcept {
  if (path.length && path.text[0] == L'/') {
    ++path.text;
    --path.length;
    return &job.rootList;
  }
  return job.ListOf(list);
}

clsItem* FindValueItem(clsItemList* start, PathText path) noexcept {
  PathText segment;
  clsItemList* l = start;
  while (NextSegment(path, segment)) {
    l = l->FindList(segment.text, Units(segment.length));
    if (!l) return nullptr;
  }
  return l->FindValue(segment.text, Units(segment.length));
}

clsItemList* FindListPath(clsItemList* start, PathText path) noexcept {
  PathText segment;
  clsItemList* l = start;
  bool more;
  do {
    more = NextSegment(path, segment);
    l = l->FindList(segment.text, Units(segment.length));
  } while (l && more);
  return l;
}

clsItemList* WriteTarget(clsItemList* start, PathText path, PathText& itemName) noexcept {
  if (!WithinDepth(start, path, false)) return nullptr;
  PathText segment;
  clsItemList* l = start;
  while (l && NextSegment(path, segment)) l = FindOrAppendList(l, segment.text, Units(segment.length));
  itemName = segment;
  return l;
}

clsItemList* CreateListPath(clsItemList* start, PathText path) noexcept {
  if (!WithinDepth(start, path, true)) return nullptr;
  PathText segment;
  clsItemList* l = start;
  bool more;
  do {
    more = NextSegment(path, segment);
    uint32_t n = Units(segment.length);
    if (!more) {
      if (clsItemList* found = l->FindList(segment.text, n)) {
        found->Clear();
        return found;
      }
    }
    l = FindOrAppendList(l, segment.text, n);
  } while (l && more);
  return l;
}

clsItemList* AppendListPath(clsItemList* start, PathText path) noexcept {
  if (!WithinDepth(start, path, true)) return nullptr;
  PathText segment;
  clsItemList* l = start;
  while (l && NextSegment(path, segment)) l = FindOrAppendList(l, segment.text, Units(segment.length));
  if (!l) return nullptr;
  const wchar_t* name = segment.text;
  uint32_t n = Units(segment.length);
  clsItemList::ListNameOfSegment(name, n);
  return l->AppendNewList(name, n);
}

void DeleteByPath(clsItemList* start, PathText path, bool lists) noexcept {
  try {
    std::vector<clsItemList*> level{start}, next;
    PathText segment;
    while (NextSegment(path, segment)) {
      Descend(level, segment, next);
      level.swap(next);
      if (level.empty()) return;
    }
    uint32_t n = Units(segment.length);
    for (clsItemList* l : level) {
      if (lists && n == 0) {
        l->Clear();
        continue;
      }
      clsItem* it = l->Find(segment.text, n, lists);
      while (it) {
        clsItem* following = l->FindNextSame(it);
        l->Remove(it);
        it = following;
      }
    }
  } catch (const std::bad_alloc&) {
    // Nothing was deleted when the level lists could not be built.
  }
}

void DeleteListByHandle(clsProfJob& job, clsItemList* list) noexcept {
  if (!list || list == &job.rootList || !list->IsWithin(&job.rootList)) return;
  clsItem* owner = list->Owner();
  owner->Parent()->Remove(owner);
}

bool SetValueIn(clsItemList* list, PathText itemName, const wchar_t* value, size_t valueLength) noexcept {
  uint32_t n = Units(itemName.length);
  if (clsItem* it = list->FindValue(itemName.text, n)) return it->SetValue(value, Units(valueLength));
  return list->AppendValue(itemName.text, n, value, Units(valueLength)) != nullptr;
}

}  // namespace ovut::profile

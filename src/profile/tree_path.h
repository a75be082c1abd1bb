// Paths through a profile tree: segments separated by "/". Every segment followed by a "/"
// names a list and is cut to kMaxListSegment units; the final segment is used whole. Lookups
// take the first match in list order and never come back for a later list of the same name;
// deletes take every match at every level. All walks are iterative and cost time linear in the
// path. Writes keep the tree within kMaxListDepth (tree_depth.h): a path whose lists would end
// deeper than that makes nothing and the write fails as stated below.
#pragma once
#include <cstddef>
#include <cstdint>

#include "profile/job.h"

namespace ovut::profile {

constexpr uint32_t kMaxListSegment = 255;

// A name argument as a counted text (names are never NULL here).
struct PathText {
  const wchar_t* text;
  size_t length;
  static PathText Of(const wchar_t* name) noexcept;
};

// The start list of an operation: `list` (0 = root); a name beginning with "/" starts at the
// root instead and loses that one "/".
clsItemList* StartList(clsProfJob& job, ProfHandle list, PathText& path) noexcept;

// Value item named by the path, or nullptr.
clsItem* FindValueItem(clsItemList* start, PathText path) noexcept;
// List whose every segment (the last one included) names a list item, or nullptr.
clsItemList* FindListPath(clsItemList* start, PathText path) noexcept;
// Target list of a write: every segment before the last "/" is found or appended as a list.
// `itemName` gets the text after the last "/". nullptr when out of memory or too deep.
clsItemList* WriteTarget(clsItemList* start, PathText path, PathText& itemName) noexcept;
// ProfCreateList: find or create every segment; an existing final list is emptied. nullptr when
// out of memory or too deep (nothing is then made or emptied).
clsItemList* CreateListPath(clsItemList* start, PathText path) noexcept;
// ProfAppendList: earlier segments as for CreateListPath; the final one always gets a new list.
// nullptr when out of memory or too deep.
clsItemList* AppendListPath(clsItemList* start, PathText path) noexcept;
// Deletes every value item (lists = false) or list item (lists = true) named by the final
// segment in every list the earlier segments reach. For lists an empty final segment empties
// every reached list instead.
void DeleteByPath(clsItemList* start, PathText path, bool lists) noexcept;
// Deletes the list item carrying `list` when that lies in the job's tree; the root stays.
void DeleteListByHandle(clsProfJob& job, clsItemList* list) noexcept;

// Sets the first value item of that name in `list`, or appends one. False when out of memory.
bool SetValueIn(clsItemList* list, PathText itemName, const wchar_t* value, size_t valueLength) noexcept;

}  // namespace ovut::profile

// Walking one list with a host callback that may change the tree while it runs.
#pragma once
#include <windows.h>

#include "profile/item_list.h"
#include "profile/job.h"

namespace ovut::profile {

using EnumCallback = int(WINAPI*)(ProfHandle job, const wchar_t* name, const wchar_t* value, ProfHandle list,
                                  INT_PTR user);

// Calls `callback` for each item of `list` (not descending), in list order. The items visited
// are those present when the walk starts and still present when their turn comes: the callback
// may delete any item (later siblings included), empty or delete the list itself, or append;
// appended items are not visited. 1 when the walk reached the end (or the list was deleted),
// 0 when the callback returned 0. Throws std::bad_alloc when the snapshot cannot be held.
int EnumerateList(ProfHandle job, clsItemList* list, EnumCallback callback, INT_PTR user);

}  // namespace ovut::profile

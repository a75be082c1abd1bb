/** @file
    GDI handle lists: live GDI objects per type, snapshots and the lost-handle report. */
#ifndef OVUT19_GDIHANDLES_H
#define OVUT19_GDIHANDLES_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/** GDI handle lists: modules report each GDI object they create and delete; the library keeps
   the live handles per object type (the value GetObjectType gives, 0 to 14) with the stack of
   their creation, reports those never deleted as "LOST <TYPE> HANDLE <handle>:" on the debug
   channel when it is unloaded, and compares snapshots of a list. Creation stacks are written
   only when the developer diagnostics switch (environment variable "user") is on. */
#define UTIL_HANDLELIST_REPORT 0 /**< report the live handles of a type */
#define UTIL_HANDLELIST_ADD 1 /**< add a created handle */
#define UTIL_HANDLELIST_REMOVE 2 /**< remove a deleted handle */
#define UTIL_HANDLELIST_COUNT 3 /**< count the live handles of a type */
#define UTIL_HANDLELIST_CONTAINS 4 /**< whether a handle is in the list */
#define UTIL_HANDLELIST_PUSH_SNAPSHOT 10 /**< take a snapshot of a list */
#define UTIL_HANDLELIST_COMPARE_SNAPSHOTS 11 /**< compare the list with its snapshot */

/** Works on the handle list of one GDI object type.
    @param type       the GDI object type, 0 to 14; other values are refused (result 0 and a
                      debug line)
    @param operation  0 report the list's handles as lost now (not again at unload); 1 add the
                      handle (a known one counts once more); 2 remove it (a handle added n times
                      goes after n removals; unknown handles are ignored); 3 count the handles;
                      4 is the handle listed; 10 push a snapshot of the list; 11 compare the two
                      newest snapshots ("NEW" and "DELETED" handles on the debug channel) and
                      discard them (nothing with fewer than two); other values do nothing
    @param handle     the GDI handle (operations 1, 2 and 4)
    @return the count (operation 3), 1 or 0 (operation 4), otherwise 0.
    Threads: any; each type's list has a lock of its own. */
OVUT_API int WINAPI UtilHandleListMgr(int type, int operation, HANDLE handle);

OVUT_EXTERN_C_END

#endif

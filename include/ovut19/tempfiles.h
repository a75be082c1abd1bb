/** @file
    Temporary files. Files live in "<user temporary folder>\Orvask" and carry the prefix "_19_".
    A host opens the process-wide manager once (counted: every UtilTempFileMgrOpen needs one
    UtilTempFileMgrClose), creates files with UtilTempFileMgrCreateFile and hands them over with
    UtilTempFileMgrAdd when done, even while another process or thread still holds them open: a
    background thread deletes them, retrying files in use every 1-10 s, and tries once more at the
    last close (or when the library unloads). Leftovers of crashed processes are swept once they are
    an hour old and no process has been active in the folder for 3 hours.
    Threads: any thread may call these. */
#ifndef OVUT19_TEMPFILES_H
#define OVUT19_TEMPFILES_H

#include "ovut19/base.h"

#include <oleauto.h>

OVUT_EXTERN_C_BEGIN

/** Opens the process-wide manager (counted) and starts its background thread. */
OVUT_API void WINAPI UtilTempFileMgrOpen(void);
/** Counts the manager down; the last close deletes what it can of the queued files and stops the thread. */
OVUT_API void WINAPI UtilTempFileMgrClose(void);
/** Hands a file over for deletion: queued while a manager is open, deleted at once otherwise.
    @param path  the file; null or empty does nothing */
OVUT_API void WINAPI UtilTempFileMgrAdd(LPCWSTR path);
/** Creates a new, empty, uniquely named file "<folder>\_19_<prefix><hex number>.<extension>" and
    closes it.
    @param prefix     the name's prefix after "_19_"
    @param extension  the extension, without the dot
    @param flags      bit 0: the folder in its long form
    @param path       receives the full path (allocated with SysAllocString when *path is null,
                      else reallocated with SysReAllocString; the caller frees it)
    @return 1 created; 0 when prefix, extension or path is null, or when no file could be created
            (a name with characters the file system refuses, a folder without write access):
            *path is then left as it was and the reason goes to the debug channel. */
OVUT_API int WINAPI UtilTempFileMgrCreateFile(LPCWSTR prefix, LPCWSTR extension, DWORD flags, BSTR* path);

OVUT_EXTERN_C_END

#endif

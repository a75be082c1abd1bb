/** @file
    Exception protection and crash reports. */
#ifndef OVUT19_EXHANDLER_H
#define OVUT19_EXHANDLER_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* Exception protection and crash reports. A host installs the library's unhandled-exception
   filter with UtilExHandlerJobOpen and marks each thread it wants protected with
   UtilExHandlerStartProtection / UtilExHandlerEndProtection (nested per thread). A fatal
   exception of a protected thread writes a crash report to "%APPDATA%\ORVASK.LOG" (or
   "ORVASK.LOG" in the temporary folder) and the debug channel, and a minidump packed with the logs
   into "orvask.dmp.zip" in "%TEMP%\orvask.debug"; the user is asked first when the process may
   show boxes. Exceptions of other threads go to the filter that was installed before.
   Whether the handler is used at all is decided once per process: the per-user registry value
   "ForceUseGPFHandler" (first character F or 0: off, T or 1: on), else off under a debugger, else
   "UseGPFHandler" (F or 0: off; default on). */

/** Installs the library's filter as the process's unhandled-exception filter, keeping the one it
    replaces for UtilExHandlerJobClose, when the handler is on (nothing otherwise).
    @return 1 in every case.
    Threads: any; pair every call with one UtilExHandlerJobClose, in reverse order. */
OVUT_API int WINAPI UtilExHandlerJobOpen(void);

/** Puts back the filter that the matching UtilExHandlerJobOpen replaced.
    @param reserved  not used; pass null
    @return the filter that was installed until now (the library's), or null when the handler is
            off or no UtilExHandlerJobOpen is open. */
OVUT_API LPTOP_LEVEL_EXCEPTION_FILTER WINAPI UtilExHandlerJobClose(void* reserved);

/** Marks the calling thread as protected (one more nesting level). Ignored while an exception
    is being handled and when the handler is off.
    @param reserved  not used; pass null
    Threads: affects the calling thread only. */
OVUT_API void WINAPI UtilExHandlerStartProtection(void* reserved);

/** Ends one nesting level of the calling thread's protection; the last one ends it. A thread
    without protection is left alone. Ignored while an exception is being handled.
    @param reserved  not used; pass null
    Threads: affects the calling thread only. */
OVUT_API void WINAPI UtilExHandlerEndProtection(void* reserved);

/** Writes a minidump of the current process and packs it with the crash log and the debug
    viewer's log into the support archive "orvask.dmp.zip" beside the dump; the dump itself is
    deleted once packed. The dump type is the per-user registry value "GPFMiniDumpMode"
    (REG_DWORD), default 0x21AA5.
    @param exception  the exception to record, or null for the calling thread's current state
    @param path       in: the dump's path, or an empty text for "orvask.dmp" in the folder
                      "orvask.debug" of the temporary folder; out: the archive's path (cut to
                      `size`), the dump's path when packing failed, empty when no dump was written.
                      Null writes the dump without telling where.
    @param size       the capacity of `path` in characters (260 is enough)
    @return 0 dump and archive written, -1 no dump could be written, -2 the dump was written but
            could not be packed. */
OVUT_API int WINAPI UtilDebugHelpWriteMiniDump(EXCEPTION_POINTERS* exception, LPWSTR path, int size);

OVUT_EXTERN_C_END

#endif

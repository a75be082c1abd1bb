/** @file
    The debug channel: one line at a time to a debug viewer and/or a log file, shared by every
    module of the process. With neither present the channel is inactive and a call costs a check.
    Threads: every function may be called from any thread. */
#ifndef OVUT19_DEBUG_H
#define OVUT19_DEBUG_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/** Writes one line on the debug channel (viewer and log file) when it is active.
    @param format  a wide printf format (%s is a wide text, %hs a narrow one)
    @param ...     the values the format names */
OVUT_API void __cdecl UtilDebug(LPCWSTR format, ...);
/** Writes one line with a module name (8 places in the prefix) and an indentation change.
    @param module        the module name shown before the line; null or empty shows none
    @param indentChange  negative: one step out before the line; positive: one step in after it
    @param format        a wide printf format, as for UtilDebug
    @param ...           the values the format names */
OVUT_API void __cdecl UtilDebugExt(LPCWSTR module, int indentChange, LPCWSTR format, ...);
/** UtilDebugExt with the values as a va_list, for hosts that wrap it in their own printf-style function.
    @param module        the module name shown before the line; null or empty shows none
    @param indentChange  negative: one step out before the line; positive: one step in after it
    @param format        a wide printf format, as for UtilDebug
    @param args          the values the format names */
OVUT_API void WINAPI UtilDebugExtV(LPCWSTR module, int indentChange, LPCWSTR format, va_list args);
/** Writes a plain text (no format) as one line named after the library.
    @param text  the text; null writes nothing */
OVUT_API void WINAPI PasDebug(LPCWSTR text);
/** Tells whether the channel is active.
    @return non-zero while a viewer is attached or a log file is named, else 0. */
OVUT_API int WINAPI UtilGetFlags(void);
/** Writes the address ranges of the loaded module images on the debug channel. */
OVUT_API void WINAPI UtilListModules(void);
/** Writes the caller's stack on the debug channel, one line per frame.
    @param reserved    not used; pass 0
    @param skipFrames  frames above the caller to leave out; values above 256 count as 0 */
OVUT_API void WINAPI UtilStackTrace(DWORD reserved, DWORD skipFrames);

OVUT_EXTERN_C_END

#endif

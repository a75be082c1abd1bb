#ifndef OVUT19_DEBUG_H
#define OVUT19_DEBUG_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* One line on the debug channel (viewer and log file) when it is active. Wide printf format:
   %s is a wide text, %hs a narrow one. */
OVUT_API void __cdecl UtilDebug(LPCWSTR format, ...);
/* The same with a module name (8 places in the prefix) and an indentation change:
   negative = one step out before the line, positive = one step in after it. */
OVUT_API void __cdecl UtilDebugExt(LPCWSTR module, int indentChange, LPCWSTR format, ...);
OVUT_API void WINAPI UtilDebugExtV(LPCWSTR module, int indentChange, LPCWSTR format, va_list args);
/* A plain text as one line named after the library. */
OVUT_API void WINAPI PasDebug(LPCWSTR text);
/* Non-zero while the channel is active (viewer attached or log file named). */
OVUT_API int WINAPI UtilGetFlags(void);
/* Lists the address ranges of the loaded module images. */
OVUT_API void WINAPI UtilListModules(void);
/* Writes the caller's stack; frames above 256 to skip count as 0. */
OVUT_API void WINAPI UtilStackTrace(DWORD reserved, DWORD skipFrames);

OVUT_EXTERN_C_END

#endif

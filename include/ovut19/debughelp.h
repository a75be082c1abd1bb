#ifndef OVUT19_DEBUGHELP_H
#define OVUT19_DEBUGHELP_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* Debug-help jobs: names of code addresses in the calling process (module, symbol, source line)
   and the caller's stack as text, from the system's debug-help library, loaded on first use.
   Every look-up takes the process-wide debug-help section (UtilGetDBGHELPThreadingCS), so
   these calls serialise with the library's own stack traces and with every module that takes it.
   A job handle may be used from any thread; handles are never reused, so a closed handle stays
   refused. While the calling thread holds the loader lock (DllMain), only module and offset are
   given.

   Results: 0 success; with a null text buffer or a size of 0 (or less), the text's length + 1
   (the size needed, in characters); -44 the text did not fit (at most size - 1 characters were
   copied and terminated); -1 a null, unknown or closed job; -2 a required pointer is null;
   -3 the address lies in no loaded module; -4 no source line is known for the address; -5 out of
   memory (reported on the debug channel). Nothing is thrown. */
typedef struct UtilDebugHelpJob_* HUTILDEBUGHELP;

#define UTIL_DBGHELP_INVALID_JOB (-1)
#define UTIL_DBGHELP_BAD_ARGUMENT (-2)
#define UTIL_DBGHELP_NO_MODULE (-3)
#define UTIL_DBGHELP_NO_SOURCE_LINE (-4)
#define UTIL_DBGHELP_FAILED (-5)
#define UTIL_DBGHELP_TEXT_CUT (-44)

/* Opens a job and makes the modules loaded so far known to the symbol handler. Null only when
   out of memory. Close it with UtilDebugHelpJobClose. */
OVUT_API HUTILDEBUGHELP WINAPI UtilDebugHelpJobOpen(void);
/* Ends a job: 0 closed (also for a null job, which does nothing), -1 unknown or already closed. */
OVUT_API int WINAPI UtilDebugHelpJobClose(HUTILDEBUGHELP job);
/* Makes modules loaded since the job was opened (or last refreshed) known to the symbol handler,
   so that their symbols can be named. 0, or -1 for a bad job. */
OVUT_API int WINAPI UtilDebugHelpJobRefresh(HUTILDEBUGHELP job);
/* The name of a code address as "module!symbol+0x1c" (module file name without folder, symbol,
   offset into the symbol in hex), or "module+0x1a2b" (offset into the module image) when no
   symbol is known, into `buffer` of `size` characters. 0, the size needed, -44, -1, -3 or -5. */
OVUT_API int WINAPI UtilDebugHelpJobGetSymbol(HUTILDEBUGHELP job, UINT_PTR address, LPWSTR buffer, int size);
/* The source file (full path as recorded in the debug information) into `fileBuffer` of `size`
   characters and the line number into *line (may be null) for a code address. 0, the size needed,
   -44, -1, -3 or -4 (then *line is 0; the module has no line information or the debug-help
   library is not available). */
OVUT_API int WINAPI UtilDebugHelpJobGetSourceLine(HUTILDEBUGHELP job, UINT_PTR address, LPWSTR fileBuffer, int size,
                                                  DWORD* line);
/* The calling thread's stack as text, one line per frame ended by CR LF, starting at the caller of
   this function after leaving out `skipFrames` frames (negative counts as 0), at most `maxFrames`
   frames (0 or less, or more than 256: 256). A line reads "0x<address> module!symbol+0x1c
   (file:line)", with the symbol as in UtilDebugHelpJobGetSymbol, the part in parentheses only
   when the source line is known, and "?" after the address when it lies in no module. Into
   `buffer` of `size` characters: 0, the size needed, -44, -1 or -5. A size query and the call that
   fills the buffer capture the stack each anew, so the second text may differ slightly in length
   when they are made from different places. */
OVUT_API int WINAPI UtilDebugHelpJobStackTrace(HUTILDEBUGHELP job, int skipFrames, int maxFrames, LPWSTR buffer,
                                               int size);

OVUT_EXTERN_C_END

#endif

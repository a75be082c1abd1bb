/** @file
   Debug-help jobs: names of code addresses in the calling process (module, symbol, source line)
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
#ifndef OVUT19_DEBUGHELP_H
#define OVUT19_DEBUGHELP_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

typedef struct UtilDebugHelpJob_* HUTILDEBUGHELP; /**< A debug-help job. */

#define UTIL_DBGHELP_INVALID_JOB (-1) /**< Result: a null, unknown or closed job. */
#define UTIL_DBGHELP_BAD_ARGUMENT (-2) /**< Result: a required pointer is null. */
#define UTIL_DBGHELP_NO_MODULE (-3) /**< Result: the address lies in no loaded module. */
#define UTIL_DBGHELP_NO_SOURCE_LINE (-4) /**< Result: no source line is known for the address. */
#define UTIL_DBGHELP_FAILED (-5) /**< Result: out of memory. */
#define UTIL_DBGHELP_TEXT_CUT (-44) /**< Result: the text did not fit and was cut. */

/** Opens a job and makes the modules loaded so far known to the symbol handler.
    @return the job (close it with UtilDebugHelpJobClose), null only when out of memory. */
OVUT_API HUTILDEBUGHELP WINAPI UtilDebugHelpJobOpen(void);
/** Ends a job.
    @param job  the job; null does nothing
    @return 0 closed (or null), -1 unknown or already closed. */
OVUT_API int WINAPI UtilDebugHelpJobClose(HUTILDEBUGHELP job);
/** Makes modules loaded since the job was opened (or last refreshed) known to the symbol handler.
    @param job  the job
    @return 0, or -1 for a bad job. */
OVUT_API int WINAPI UtilDebugHelpJobRefresh(HUTILDEBUGHELP job);
/** The name of a code address as "module!symbol+0x1c" (module file name without folder, symbol,
    offset into the symbol in hex), or "module+0x1a2b" (offset into the image) when no symbol is known.
    @param job      the job
    @param address  the code address
    @param buffer  receives the text; null asks for the size needed
    @param size    the buffer's size in characters; 0 or less asks for the size needed
    @return 0, the size needed, -44 cut, -1 bad job, -3 no module, -5 out of memory. */
OVUT_API int WINAPI UtilDebugHelpJobGetSymbol(HUTILDEBUGHELP job, UINT_PTR address, LPWSTR buffer, int size);
/** The source file (full path as recorded in the debug information) and line of a code address.
    @param job         the job
    @param address     the code address
    @param fileBuffer  receives the file; null asks for the size needed
    @param size        the buffer's size in characters; 0 or less asks for the size needed
    @param line        receives the line number (0 on failure); may be null
    @return 0, the size needed, -44 cut, -1 bad job, -3 no module, -4 no line information or no
            debug-help library. */
OVUT_API int WINAPI UtilDebugHelpJobGetSourceLine(HUTILDEBUGHELP job, UINT_PTR address, LPWSTR fileBuffer, int size,
                                                  DWORD* line);
/** The calling thread's stack as text, one line per frame ended by CR LF, from the caller of this
    function: "0x<address> module!symbol+0x1c (file:line)", the symbol as in
    UtilDebugHelpJobGetSymbol, the parenthesis only when the line is known, "?" for an address in
    no module. A size query and the call that fills the buffer capture the stack each anew.
    @param job         the job
    @param skipFrames  frames left out (negative counts as 0)
    @param maxFrames   at most this many frames (0 or less, or more than 256: 256)
    @param buffer  receives the text; null asks for the size needed
    @param size    the buffer's size in characters; 0 or less asks for the size needed
    @return 0, the size needed, -44 cut, -1 bad job, -5 out of memory. */
OVUT_API int WINAPI UtilDebugHelpJobStackTrace(HUTILDEBUGHELP job, int skipFrames, int maxFrames, LPWSTR buffer,
                                               int size);

OVUT_EXTERN_C_END

#endif

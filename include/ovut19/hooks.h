/** @file
    Hooks shared by the modules of a process (CBT hook, Ctrl+Break) and concurrency-visualizer
    markers: event-tracing strings of the provider {72B08847-F340-48E9-9C21-469DEE825400}, level 4,
    keyword 1 flags, 2 messages, 4 spans, written only while a trace session has enabled the
    provider (otherwise the calls cost a check). */
#ifndef OVUT19_HOOKS_H
#define OVUT19_HOOKS_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/** Adds or removes a callback of the calling thread's CBT hook, shared by all modules of the
    process. Callbacks take the arguments of a CBT hook procedure and run in the order added for
    every notification with code >= 0; the first non-zero result becomes the hook's result; they
    must not call CallNextHookEx themselves.
    @param callback  the callback
    @param install   non-zero adds it (the first sets the hook), zero removes it (the last removes the hook)
    @return 0; -4 the system refused the hook; -5 null callback, or removing one that is not there.
    Threads: remove each callback on the thread that added it. */
OVUT_API int WINAPI UtilSetCBTHook(HOOKPROC callback, BOOL install);

/** Console processes: while attached, Ctrl+Break writes the state of the process (a line naming
    process and thread, then the loaded modules) to the debug channel instead of ending it.
    @param attach  non-zero attaches, zero detaches (counted: attach and detach pair)
    @return 0; -4 the system refused the handler; -5 detach without attach. */
OVUT_API int WINAPI UtilCtrlBreakHookAttach(BOOL attach);

/** Tells whether a trace session has enabled the marker provider.
    @return TRUE when enabled. */
OVUT_API BOOL WINAPI UtilCVIsEnabled(void);
/** Writes a flag marker (keyword 1) while enabled.
    @param text  the marker's text */
OVUT_API void WINAPI UtilCVWriteFlag(LPCWSTR text);
/** Writes a message marker (keyword 2) while enabled.
    @param text  the message */
OVUT_API void WINAPI UtilCVWriteMessage(LPCWSTR text);
/** Starts a span (keyword 4).
    @param text  the span's text
    @return the span for UtilCVLeaveSpan; null only when memory runs out. */
OVUT_API HANDLE WINAPI UtilCVEnterSpan(LPCWSTR text);
/** Ends a span; each span handle goes here once.
    @param span  the span; null is ignored */
OVUT_API void WINAPI UtilCVLeaveSpan(HANDLE span);

OVUT_EXTERN_C_END

#endif

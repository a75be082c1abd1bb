#ifndef OVUT19_HOOKS_H
#define OVUT19_HOOKS_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* One CBT hook per thread, shared by all modules of the process. install non-zero adds `callback`
   to the calling thread's list (the hook is set with the first callback), zero removes it (the
   hook goes with the last). Callbacks take the arguments of a CBT hook procedure and run in the
   order added for every notification with code >= 0; the first non-zero result becomes the
   hook's result (for example, stopping a window from being created or activated); they must not
   call CallNextHookEx themselves. Remove each callback on the thread that added it.
   0; -4 the system refused the hook; -5 null callback, or removing one that is not there. */
OVUT_API int WINAPI UtilSetCBTHook(HOOKPROC callback, BOOL install);

/* Console processes: while attached, Ctrl+Break writes the state of the process (a line naming
   process and thread, then the list of loaded modules) to the debug channel instead of ending the
   process. Counted: attach and detach pair. 0; -4 the system refused the handler; -5 detach
   without attach. */
OVUT_API int WINAPI UtilCtrlBreakHookAttach(BOOL attach);

/* Concurrency-visualizer markers: event-tracing strings of the provider
   {72B08847-F340-48E9-9C21-469DEE825400}, level 4, keyword 1 flags, 2 messages, 4 spans. Written
   only while a trace session has enabled the provider; otherwise the calls cost a check.
   A span handle is never null (except when memory runs out) and must be passed to
   UtilCVLeaveSpan once; null is accepted and ignored. */
OVUT_API BOOL WINAPI UtilCVIsEnabled(void);
OVUT_API void WINAPI UtilCVWriteFlag(LPCWSTR text);
OVUT_API void WINAPI UtilCVWriteMessage(LPCWSTR text);
OVUT_API HANDLE WINAPI UtilCVEnterSpan(LPCWSTR text);
OVUT_API void WINAPI UtilCVLeaveSpan(HANDLE span);

OVUT_EXTERN_C_END

#endif

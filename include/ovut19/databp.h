/** @file
    Hardware data breakpoints on the calling thread. */
#ifndef OVUT19_DATABP_H
#define OVUT19_DATABP_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/** Hardware data breakpoints: a debugger attached to the process stops at the instruction that
   writes (or reads or writes) the watched bytes. They use the debug registers of the calling
   thread (four slots) and fire on that thread only. */
typedef struct UtilDataBP_* HUTILDATABP;

/** Arms a data breakpoint in the first free debug-register slot of the calling thread.
    @param address    the first watched byte; should be aligned to `size`, as the processor
                      watches the aligned range
    @param size       1, 2 or 4 bytes, and 8 on the 64-bit build; other sizes are refused (null
                      and a debug line)
    @param writeOnly  non-zero watches writes only, zero reads and writes
    @return the breakpoint's handle, also when all four slots were taken or the thread context
            could not be changed (the handle then holds no slot); null for a refused size or when
            out of memory. Free it with UtilRemoveDataBP.
    Threads: the calling thread's registers only. */
OVUT_API HUTILDATABP WINAPI UtilSetDataBP(void* address, int size, BOOL writeOnly);

/** Disarms the breakpoint (when it holds a slot) and frees the handle.
    @param breakpoint  a handle of UtilSetDataBP; null does nothing
    Threads: call it on the thread that armed the breakpoint. */
OVUT_API void WINAPI UtilRemoveDataBP(HUTILDATABP breakpoint);

OVUT_EXTERN_C_END

#endif

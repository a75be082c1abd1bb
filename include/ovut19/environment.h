#ifndef OVUT19_ENVIRONMENT_H
#define OVUT19_ENVIRONMENT_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* The process-wide critical sections that serialise GDI calls, respectively debug-help
   (dbghelp) calls, for every module of the process. When out is not NULL the section's
   address is stored where it points; the result is out. Enter the section around every call
   of that library made from more than one thread. */
OVUT_API LPCRITICAL_SECTION* WINAPI UtilGetGDIThreadingCS(LPCRITICAL_SECTION* out);
OVUT_API LPCRITICAL_SECTION* WINAPI UtilGetDBGHELPThreadingCS(LPCRITICAL_SECTION* out);

OVUT_EXTERN_C_END

#endif

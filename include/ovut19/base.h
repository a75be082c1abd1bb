/** @file
    Common definitions of the public headers: the import declaration of the exports and the
    C linkage brackets. Include ovut19.h rather than this file. */
#ifndef OVUT19_BASE_H
#define OVUT19_BASE_H

#include <windows.h>
#include <stdarg.h>

#ifdef OVUT19_BUILDING
#define OVUT_API
#else
/** Marks a function exported by OVUT19.DLL (an import for host programs). */
#define OVUT_API __declspec(dllimport)
#endif

#ifdef __cplusplus
/** Opens C linkage for the exports when compiled as C++. */
#define OVUT_EXTERN_C_BEGIN extern "C" {
/** Closes what OVUT_EXTERN_C_BEGIN opened. */
#define OVUT_EXTERN_C_END }
#else
/** Nothing in C. */
#define OVUT_EXTERN_C_BEGIN
/** Nothing in C. */
#define OVUT_EXTERN_C_END
#endif

#endif

#ifndef OVUT19_BASE_H
#define OVUT19_BASE_H

#include <windows.h>
#include <stdarg.h>

#ifdef OVUT19_BUILDING
#define OVUT_API
#else
#define OVUT_API __declspec(dllimport)
#endif

#ifdef __cplusplus
#define OVUT_EXTERN_C_BEGIN extern "C" {
#define OVUT_EXTERN_C_END }
#else
#define OVUT_EXTERN_C_BEGIN
#define OVUT_EXTERN_C_END
#endif

#endif

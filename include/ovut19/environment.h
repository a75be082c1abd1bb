#ifndef OVUT19_ENVIRONMENT_H
#define OVUT19_ENVIRONMENT_H

#include "ovut19/base.h"
#include <oleauto.h>

OVUT_EXTERN_C_BEGIN

/* The process-wide critical sections that serialise GDI calls, respectively debug-help
   (dbghelp) calls, for every module of the process. When out is not NULL the section's
   address is stored where it points; the result is out. Enter the section around every call
   of that library made from more than one thread. */
OVUT_API LPCRITICAL_SECTION* WINAPI UtilGetGDIThreadingCS(LPCRITICAL_SECTION* out);
OVUT_API LPCRITICAL_SECTION* WINAPI UtilGetDBGHELPThreadingCS(LPCRITICAL_SECTION* out);

/* What kind of process this is, evaluated on every call:
   1 interactive (the process token holds the INTERACTIVE group),
   3 non-interactive (a service, or a token without the INTERACTIVE group),
   4 the system account or a web server ("aspnet" user, "aspnet_wp" or "WebDev.WebServer*"
     executables). */
OVUT_API DWORD WINAPI UtilGetOSEnvironmentType(void);
/* 1 when the process may show message boxes and dialogs, else 0. Decided on the first call and
   kept for the life of the process: not allowed on an invisible window station, for executables
   named in HKLM "Software\Orvask" "NonInteractiveApps" (";"-separated base names), and for every
   environment type but 1. */
OVUT_API BOOL WINAPI UtilGetUIInteractionAllowed(void);

/* Expands environment variables (the expansion is cut at MAX_PATH characters), then "%NAME%"
   tokens of upper-case letters, digits, "_" and blanks that name a value under "Shell Folders"
   of the current user (else of the machine), such as %PERSONAL% or %APPDATA%. Unknown tokens stay.
   The result goes to *result (allocated when null, else reallocated; the caller frees it).
   1, or 0 when path or result is null. `reserved` is not used. */
OVUT_API int WINAPI UtilExpandDefaultTokensOfFolderPath(LPCWSTR path, BSTR* result, void* reserved);

/* 0: 0x130001 (major 19 << 16 | minor 1); 1: 19; 2: 1; 3: 0; anything else -1. */
OVUT_API int WINAPI UtilGetVersion(int selector);
/* The user-interface language of the product family, stored per user as the DWORD "Language" of
   "Software\Orvask\Appearance". Set returns 0 or the registry error; Get returns the stored number,
   or the number of the user's UI language when none is stored (0 German, 1 English, ...). */
OVUT_API LONG WINAPI UtilLanguageSet(DWORD language);
OVUT_API DWORD WINAPI UtilLanguageGet(void);
/* Process-wide private window messages by name (compared without regard to case): the first name
   gets 0x8000, the next 0x8001, and so on up to 0xBFFF; the same name always gets the same number.
   0 for a null or empty name or when the range is used up. */
OVUT_API UINT WINAPI UtilGetWindowMessage(LPCWSTR name);
/* The name registered for `number`, as first written, into *result (allocated when null, else
   reallocated); 1, or 0 (result untouched) when the number is not handed out or result is null. */
OVUT_API BOOL WINAPI UtilGetWindowMessageName(UINT number, BSTR* result);
/* Writes the assertion to the debug channel; when the process may show UI, shows the task-modal
   box "Assertion Failure" with "line <line> in file <file>:\n"<expression>"" (cut to 80
   characters); then ends the process with exit code -1. Does not return. */
OVUT_API void WINAPI UtilAssert(LPCWSTR expression, LPCWSTR file, UINT line);

OVUT_EXTERN_C_END

#endif

/** @file
    The process's environment: the shared GDI and debug-help locks, the kind of process and its UI
    policy, folder tokens, version and language, private window messages, assertions.
    Threads: any thread. */
#ifndef OVUT19_ENVIRONMENT_H
#define OVUT19_ENVIRONMENT_H

#include "ovut19/base.h"
#include <oleauto.h>

OVUT_EXTERN_C_BEGIN

/** The process-wide critical section that serialises GDI calls of every module; enter it around
    each such call made from more than one thread.
    @param out  receives the section's address when not null
    @return out. */
OVUT_API LPCRITICAL_SECTION* WINAPI UtilGetGDIThreadingCS(LPCRITICAL_SECTION* out);
/** The process-wide critical section that serialises debug-help (dbghelp) calls of every module;
    enter it around each such call made from more than one thread.
    @param out  receives the section's address when not null
    @return out. */
OVUT_API LPCRITICAL_SECTION* WINAPI UtilGetDBGHELPThreadingCS(LPCRITICAL_SECTION* out);

/** What kind of process this is, evaluated on every call.
    @return 1 interactive (the token holds the INTERACTIVE group); 3 non-interactive (a service, or
            a token without it); 4 the system account or a web server ("aspnet" user, "aspnet_wp"
            or "WebDev.WebServer*" executables). */
OVUT_API DWORD WINAPI UtilGetOSEnvironmentType(void);
/** Tells whether the process may show message boxes and dialogs; decided on the first call and
    kept: not on an invisible window station, for executables named in HKLM "Software\\Orvask"
    "NonInteractiveApps" (";"-separated base names), and for every environment type but 1.
    @return 1 allowed, else 0. */
OVUT_API BOOL WINAPI UtilGetUIInteractionAllowed(void);
/** Turns parallel compression (the ZIP list, packed profile save and load) on or off for the
    process. It is on by default, on all processors, unless the DWORD "ParallelCompression" under
    HKCU, else HKLM, "Software\\Orvask" is 0. Archives and profiles are byte for byte the same
    either way; off only uses one thread.
    @param on  TRUE to compress on all processors, FALSE for one thread
    @return the previous setting (TRUE on).
    Threads: any thread; compression already running keeps its threads. */
OVUT_API BOOL WINAPI UtilSetParallelCompression(BOOL on);

/** Expands environment variables (cut at MAX_PATH characters), then "%NAME%" tokens of upper-case
    letters, digits, "_" and blanks that name a value under "Shell Folders" of the current user
    (else of the machine), such as %PERSONAL%. Unknown tokens stay.
    @param path      the path
    @param result    receives the expansion (allocated when null, else reallocated; the caller frees it)
    @param reserved  not used; pass null
    @return 1, or 0 when path or result is null. */
OVUT_API int WINAPI UtilExpandDefaultTokensOfFolderPath(LPCWSTR path, BSTR* result, void* reserved);

/** The library's version.
    @param selector  0 the whole number, 1 major, 2 minor, 3 build
    @return 0x130001 (19 << 16 | 1) for 0, 19 for 1, 1 for 2, 0 for 3, else -1. */
OVUT_API int WINAPI UtilGetVersion(int selector);
/** Stores the product family's UI language for the current user (DWORD "Language" of
    "Software\\Orvask\\Appearance").
    @param language  the language number (0 German, 1 English, ...)
    @return 0, or the registry's error code. */
OVUT_API LONG WINAPI UtilLanguageSet(DWORD language);
/** The product family's UI language of the current user.
    @return the stored number, or the number of the user's UI language when none is stored. */
OVUT_API DWORD WINAPI UtilLanguageGet(void);
/** A process-wide private window message by name (compared without regard to case): the first
    name gets 0x8000, the next 0x8001, and so on up to 0xBFFF; the same name always gets the same number.
    @param name  the message's name
    @return the number, or 0 for a null or empty name or when the range is used up. */
OVUT_API UINT WINAPI UtilGetWindowMessage(LPCWSTR name);
/** The name registered for a message number, as first written.
    @param number  the number
    @param result  receives the name (allocated when null, else reallocated; the caller frees it)
    @return 1, or 0 (result untouched) when the number is not handed out or result is null. */
OVUT_API BOOL WINAPI UtilGetWindowMessageName(UINT number, BSTR* result);
/** Writes the assertion to the debug channel; when the process may show UI, shows the task-modal
    box "Assertion Failure"; then ends the process with exit code -1. Does not return.
    @param expression  the failed expression
    @param file        the source file
    @param line        the source line */
OVUT_API void WINAPI UtilAssert(LPCWSTR expression, LPCWSTR file, UINT line);

OVUT_EXTERN_C_END

#endif

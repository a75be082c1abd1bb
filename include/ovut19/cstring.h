#ifndef OVUT19_CSTRING_H
#define OVUT19_CSTRING_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* Checked string and memory functions on zero-terminated UTF-16 texts.
   A null text reads as the empty text; a null destination, or a size or count of 0 or below,
   makes a call write nothing. Counts and positions are in UTF-16 units unless named bytes. */

/* ---- Pointer checks ------------------------------------------------------------------------
   Each returns 1 when the memory passes (or the check cannot be made; a null pointer passes)
   and 0 when it fails; a failure is reported on the debug channel with the function and
   parameter names. While a debugger is attached every check passes untested. */
OVUT_API int WINAPI UtilIsRPtr(LPCWSTR function, const void* pointer, LPCWSTR parameter, UINT bytes);
OVUT_API int WINAPI UtilIsWPtr(LPCWSTR function, void* pointer, LPCWSTR parameter, UINT bytes);
OVUT_API int WINAPI UtilIsString(LPCWSTR function, LPCWSTR pointer, LPCWSTR parameter);
/* Length of a text, testing each unit before reading it. At an unreadable unit the call
   reports it and returns the units read before it minus 1 (at least 0). */
OVUT_API int WINAPI UtilSafeStrlen(LPCWSTR function, LPCWSTR text);
/* Reports a parameter error of the named function on the debug channel. */
OVUT_API void WINAPI UtilError(LPCWSTR function, LPCWSTR message);

/* ---- Copy, append, compare, search ---------------------------------------------------------- */
OVUT_API int WINAPI UtilStrlen(LPCWSTR text);
OVUT_API LPWSTR WINAPI UtilStrcpy(LPWSTR destination, LPCWSTR source);
/* Copies at most size - 1 units and always terminates; size 0 writes nothing. */
OVUT_API LPWSTR WINAPI UtilStrncpy(LPWSTR destination, LPCWSTR source, int size);
OVUT_API LPWSTR WINAPI UtilStrcat(LPWSTR destination, LPCWSTR source);
/* -1, 0 or 1 by unit values. */
OVUT_API int WINAPI UtilStrcmp(LPCWSTR text1, LPCWSTR text2);
/* The C runtime's results (negative, 0, positive). */
OVUT_API int WINAPI UtilStricmp(LPCWSTR text1, LPCWSTR text2);
OVUT_API int WINAPI UtilStrncmp(LPCWSTR text1, LPCWSTR text2, int count);
OVUT_API int WINAPI UtilStrnicmp(LPCWSTR text1, LPCWSTR text2, int count);
OVUT_API LPWSTR WINAPI UtilStrchr(LPCWSTR text, WCHAR ch);
OVUT_API LPWSTR WINAPI UtilStrrchr(LPCWSTR text, WCHAR ch);
OVUT_API LPWSTR WINAPI UtilStrstr(LPCWSTR text, LPCWSTR sought);
/* Byte copies and fills; the ranges of UtilMemcpy may overlap. Both return the destination. */
OVUT_API void* WINAPI UtilMemcpy(void* destination, const void* source, int bytes);
OVUT_API void* WINAPI UtilMemset(void* destination, int value, int bytes);

/* ---- In-place editing ------------------------------------------------------------------------ */
/* Leading / trailing blanks (U+0020). UtilRtrim returns 0 when it removed blanks, else 1;
   UtilLtrim and UtilAtrim (both ends) return the text. */
OVUT_API LPWSTR WINAPI UtilLtrim(LPWSTR text);
OVUT_API int WINAPI UtilRtrim(LPWSTR text);
OVUT_API LPWSTR WINAPI UtilAtrim(LPWSTR text);
/* The text becomes `count` units from `position`: 1-based when positive, from the end for 0 or
   negative (-2 = the last two units); beyond the text it becomes empty. Returns the new length.
   A negative count leaves the text unchanged. */
OVUT_API int WINAPI UtilSubstr(LPWSTR text, int position, int count);
/* Deletes `deleteCount` units at the 1-based position and inserts `insert` there; a position
   of 0 or beyond the end changes nothing. The buffer must hold the result. Returns the text. */
OVUT_API LPWSTR WINAPI UtilStuff(LPWSTR text, int position, int deleteCount, LPCWSTR insert);
/* printf into `size` units (%s is a wide text): returns the units written, or -1 when the
   output was cut (the buffer then holds the cut, terminated text). */
OVUT_API int __cdecl UtilSafeSprintf(LPWSTR destination, int size, LPCWSTR format, ...);

/* ---- Locale ---------------------------------------------------------------------------------
   Case mapping in place (returns the text) and comparisons in the user's default locale:
   -1, 0, 1, and -2 when the comparison failed. The counted forms compare at most `count`
   units; of two texts equal that far the shorter comes first. */
OVUT_API LPWSTR WINAPI UtilLocaleStrupr(LPWSTR text);
OVUT_API LPWSTR WINAPI UtilLocaleStrlwr(LPWSTR text);
OVUT_API int WINAPI UtilLocaleStrcmp(LPCWSTR text1, LPCWSTR text2);
OVUT_API int WINAPI UtilLocaleStricmp(LPCWSTR text1, LPCWSTR text2);
OVUT_API int WINAPI UtilLocaleStrncmp(LPCWSTR text1, LPCWSTR text2, int count);
OVUT_API int WINAPI UtilLocaleStrnicmp(LPCWSTR text1, LPCWSTR text2, int count);

/* ---- Paths ----------------------------------------------------------------------------------
   UtilSplitpath: outputs of 3 (drive), 256, 256 and 256 units, each may be null.
   UtilMergepath: a destination of 260 units. Both return 0, EINVAL (22) for a null path or
   destination, or ERANGE (34) when a part does not fit; every output is then empty. */
OVUT_API int WINAPI UtilSplitpath(LPCWSTR path, LPWSTR drive, LPWSTR folder, LPWSTR name, LPWSTR extension);
OVUT_API int WINAPI UtilMergepath(LPWSTR destination, LPCWSTR drive, LPCWSTR folder, LPCWSTR name,
                                  LPCWSTR extension);
/* Absolute form of `path` (null or empty: the current folder); empty when it does not fit. */
OVUT_API void WINAPI UtilFullpath(LPWSTR destination, LPCWSTR path, int size);

/* File-system facts of a volume. Set size to sizeof(scFSInfo) (20) before the call. */
typedef struct scFSInfo {
  DWORD size;
  DWORD maxPath;      /* 260 */
  DWORD maxDrive;     /* 3 */
  DWORD maxComponent; /* longest file-name component */
  DWORD flags;        /* 1 case-sensitive, 2 case preserved, 4 Unicode on disk, 8 long names,
                         16 compressed volume */
} scFSInfo;
/* Fills the record for the volume of `root` (e.g. "C:\\"). Returns 0 when filled, -1 when the
   record was left unchanged (null, a size other than 20, or the volume could not be asked). */
OVUT_API int WINAPI UtilGetFSInfo(LPCWSTR root, scFSInfo* info);

OVUT_EXTERN_C_END

#endif

/** @file
    Checked string and memory functions on zero-terminated UTF-16 texts.
    A null text reads as the empty text; a null destination, or a size or count of 0 or below,
    makes a call write nothing. Counts and positions are in UTF-16 units unless named bytes.
    Pointer checks pass untested while a debugger is attached.
    Threads: any thread; the caller's buffers one thread at a time. */
#ifndef OVUT19_CSTRING_H
#define OVUT19_CSTRING_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* ---- Pointer checks ------------------------------------------------------------------------
   Each returns 1 when the memory passes (or the check cannot be made; a null pointer passes)
   and 0 when it fails; a failure is reported on the debug channel with the function and
   parameter names. While a debugger is attached every check passes untested. */
/** Checks that memory can be read.
    @param function   the calling function's name for the report
    @param pointer    the memory; null passes
    @param parameter  the parameter's name for the report
    @param bytes      the bytes that must be readable
    @return 1 passes (or cannot be checked), 0 fails (reported). */
OVUT_API int WINAPI UtilIsRPtr(LPCWSTR function, const void* pointer, LPCWSTR parameter, UINT bytes);
/** Checks that memory can be written.
    @param function   the calling function's name for the report
    @param pointer    the memory; null passes
    @param parameter  the parameter's name for the report
    @param bytes      the bytes that must be writable
    @return 1 passes (or cannot be checked), 0 fails (reported). */
OVUT_API int WINAPI UtilIsWPtr(LPCWSTR function, void* pointer, LPCWSTR parameter, UINT bytes);
/** Checks that a zero-terminated text can be read to its end.
    @param function   the calling function's name for the report
    @param pointer    the text; null passes
    @param parameter  the parameter's name for the report
    @return 1 passes (or cannot be checked), 0 fails (reported). */
OVUT_API int WINAPI UtilIsString(LPCWSTR function, LPCWSTR pointer, LPCWSTR parameter);
/** Length of a text, testing each unit before reading it.
    @param function  the calling function's name for the report
    @param text      the text
    @return the length; at an unreadable unit (reported) the units read before it minus 1, at least 0. */
OVUT_API int WINAPI UtilSafeStrlen(LPCWSTR function, LPCWSTR text);
/** Reports a parameter error of the named function on the debug channel.
    @param function  the function's name
    @param message   what is wrong */
OVUT_API void WINAPI UtilError(LPCWSTR function, LPCWSTR message);

/* ---- Copy, append, compare, search ---------------------------------------------------------- */
/** Length of a text.
    @param text  the text; null is empty
    @return the length in units. */
OVUT_API int WINAPI UtilStrlen(LPCWSTR text);
/** Copies a text.
    @param destination  receives the copy; must hold it
    @param source       the text
    @return destination. */
OVUT_API LPWSTR WINAPI UtilStrcpy(LPWSTR destination, LPCWSTR source);
/** Copies at most size - 1 units and always terminates.
    @param destination  receives the copy
    @param source       the text
    @param size         the destination's size in units; 0 or less writes nothing
    @return destination. */
OVUT_API LPWSTR WINAPI UtilStrncpy(LPWSTR destination, LPCWSTR source, int size);
/** Appends a text.
    @param destination  the text appended to; must hold the result
    @param source       the text appended
    @return destination. */
OVUT_API LPWSTR WINAPI UtilStrcat(LPWSTR destination, LPCWSTR source);
/** Compares two texts by unit values.
    @param text1  the first text
    @param text2  the second text
    @return -1, 0 or 1. */
OVUT_API int WINAPI UtilStrcmp(LPCWSTR text1, LPCWSTR text2);
/** Compares two texts without regard to case (the C runtime's comparison).
    @param text1  the first text
    @param text2  the second text
    @return negative, 0 or positive. */
OVUT_API int WINAPI UtilStricmp(LPCWSTR text1, LPCWSTR text2);
/** Compares at most `count` units.
    @param text1  the first text
    @param text2  the second text
    @param count  the units compared
    @return negative, 0 or positive. */
OVUT_API int WINAPI UtilStrncmp(LPCWSTR text1, LPCWSTR text2, int count);
/** Compares at most `count` units without regard to case.
    @param text1  the first text
    @param text2  the second text
    @param count  the units compared
    @return negative, 0 or positive. */
OVUT_API int WINAPI UtilStrnicmp(LPCWSTR text1, LPCWSTR text2, int count);
/** Finds the first occurrence of a unit.
    @param text  the text
    @param ch    the unit sought
    @return where it stands in the text, or null. */
OVUT_API LPWSTR WINAPI UtilStrchr(LPCWSTR text, WCHAR ch);
/** Finds the last occurrence of a unit.
    @param text  the text
    @param ch    the unit sought
    @return where it stands in the text, or null. */
OVUT_API LPWSTR WINAPI UtilStrrchr(LPCWSTR text, WCHAR ch);
/** Finds the first occurrence of a text.
    @param text    the text searched
    @param sought  the text sought
    @return where it starts in the text, or null. */
OVUT_API LPWSTR WINAPI UtilStrstr(LPCWSTR text, LPCWSTR sought);
/** Copies bytes; the ranges may overlap.
    @param destination  receives the bytes
    @param source       the bytes
    @param bytes        their number; 0 or less copies nothing
    @return destination. */
OVUT_API void* WINAPI UtilMemcpy(void* destination, const void* source, int bytes);
/** Fills bytes.
    @param destination  the memory
    @param value        the byte value
    @param bytes        their number; 0 or less writes nothing
    @return destination. */
OVUT_API void* WINAPI UtilMemset(void* destination, int value, int bytes);

/* ---- In-place editing ------------------------------------------------------------------------ */
/** Removes leading blanks (U+0020) in place.
    @param text  the text
    @return text. */
OVUT_API LPWSTR WINAPI UtilLtrim(LPWSTR text);
/** Removes trailing blanks (U+0020) in place.
    @param text  the text
    @return 0 when it removed blanks, else 1. */
OVUT_API int WINAPI UtilRtrim(LPWSTR text);
/** Removes leading and trailing blanks (U+0020) in place.
    @param text  the text
    @return text. */
OVUT_API LPWSTR WINAPI UtilAtrim(LPWSTR text);
/** Cuts the text in place to `count` units from `position`; beyond the text it becomes empty.
    @param text      the text
    @param position  1-based when positive; from the end for 0 or negative (-2 = the last two units)
    @param count     the units kept; negative leaves the text unchanged
    @return the new length. */
OVUT_API int WINAPI UtilSubstr(LPWSTR text, int position, int count);
/** Deletes units at a position and inserts a text there, in place.
    @param text         the text; the buffer must hold the result
    @param position     1-based; 0 or beyond the end changes nothing
    @param deleteCount  the units deleted
    @param insert       the text inserted
    @return text. */
OVUT_API LPWSTR WINAPI UtilStuff(LPWSTR text, int position, int deleteCount, LPCWSTR insert);
/** printf into a buffer of `size` units (%s is a wide text).
    @param destination  receives the text, always terminated
    @param size         the buffer's size in units
    @param format       the format
    @param ...          the values the format names
    @return the units written, or -1 when the output was cut (the buffer holds the cut text). */
OVUT_API int __cdecl UtilSafeSprintf(LPWSTR destination, int size, LPCWSTR format, ...);

/* ---- Locale ---------------------------------------------------------------------------------
   Case mapping in place (returns the text) and comparisons in the user's default locale:
   -1, 0, 1, and -2 when the comparison failed. The counted forms compare at most `count`
   units; of two texts equal that far the shorter comes first. */
/** Upper case in place, in the user's default locale.
    @param text  the text
    @return text. */
OVUT_API LPWSTR WINAPI UtilLocaleStrupr(LPWSTR text);
/** Lower case in place, in the user's default locale.
    @param text  the text
    @return text. */
OVUT_API LPWSTR WINAPI UtilLocaleStrlwr(LPWSTR text);
/** Compares in the user's default locale.
    @param text1  the first text
    @param text2  the second text
    @return -1, 0, 1, or -2 when the comparison failed. */
OVUT_API int WINAPI UtilLocaleStrcmp(LPCWSTR text1, LPCWSTR text2);
/** Compares without regard to case in the user's default locale.
    @param text1  the first text
    @param text2  the second text
    @return -1, 0, 1, or -2 when the comparison failed. */
OVUT_API int WINAPI UtilLocaleStricmp(LPCWSTR text1, LPCWSTR text2);
/** Compares at most `count` units in the user's default locale; of two texts equal that far
    the shorter comes first.
    @param text1  the first text
    @param text2  the second text
    @param count  the units compared
    @return -1, 0, 1, or -2 when the comparison failed. */
OVUT_API int WINAPI UtilLocaleStrncmp(LPCWSTR text1, LPCWSTR text2, int count);
/** Compares at most `count` units without regard to case in the user's default locale.
    @param text1  the first text
    @param text2  the second text
    @param count  the units compared
    @return -1, 0, 1, or -2 when the comparison failed. */
OVUT_API int WINAPI UtilLocaleStrnicmp(LPCWSTR text1, LPCWSTR text2, int count);

/* ---- Paths ----------------------------------------------------------------------------------
   UtilSplitpath: outputs of 3 (drive), 256, 256 and 256 units, each may be null.
   UtilMergepath: a destination of 260 units. Both return 0, EINVAL (22) for a null path or
   destination, or ERANGE (34) when a part does not fit; every output is then empty. */
/** Splits a path into drive, folder, name and extension.
    @param path       the path
    @param drive      receives the drive (3 units); may be null
    @param folder     receives the folder (256 units); may be null
    @param name       receives the name (256 units); may be null
    @param extension  receives the extension with its dot (256 units); may be null
    @return 0, 22 (EINVAL) null path, 34 (ERANGE) a part does not fit; every output is then empty. */
OVUT_API int WINAPI UtilSplitpath(LPCWSTR path, LPWSTR drive, LPWSTR folder, LPWSTR name, LPWSTR extension);
/** Builds a path from drive, folder, name and extension.
    @param destination  receives the path (260 units)
    @param drive        the drive; may be null
    @param folder       the folder; may be null
    @param name         the name; may be null
    @param extension    the extension; may be null
    @return 0, 22 (EINVAL) null destination, 34 (ERANGE) the path does not fit (then empty). */
OVUT_API int WINAPI UtilMergepath(LPWSTR destination, LPCWSTR drive, LPCWSTR folder, LPCWSTR name,
                                  LPCWSTR extension);
/** The absolute form of a path; empty when it does not fit.
    @param destination  receives the path
    @param path         the path; null or empty: the current folder
    @param size         the destination's size in units */
OVUT_API void WINAPI UtilFullpath(LPWSTR destination, LPCWSTR path, int size);

/** File-system facts of a volume. Set size to sizeof(scFSInfo) (20) before the call. */
typedef struct scFSInfo {
  DWORD size;         /**< the record's size: 20 */
  DWORD maxPath;      /**< 260 */
  DWORD maxDrive;     /**< 3 */
  DWORD maxComponent; /**< longest file-name component */
  DWORD flags;        /**< 1 case-sensitive, 2 case preserved, 4 Unicode on disk, 8 long names,
                           16 compressed volume */
} scFSInfo;
/** Fills the record with the file-system facts of a volume.
    @param root  the volume's root, e.g. "C:\\"
    @param info  the record; its size must be set to sizeof(scFSInfo) (20)
    @return 0 filled, -1 left unchanged (null, another size, or the volume could not be asked). */
OVUT_API int WINAPI UtilGetFSInfo(LPCWSTR root, scFSInfo* info);

OVUT_EXTERN_C_END

#endif

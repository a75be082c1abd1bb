#ifndef OVUT19_ZIP_H
#define OVUT19_ZIP_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/* A ZIP archive under construction. Each appended file is compressed (deflate) at once into a
   temporary file; the archive itself is written by UtilZIPClose. One thread at a time per handle.
   Every call accepts a null handle and then does nothing (result 0). */
typedef struct UtilZIPArchive_* HUTILZIP;

/* Creates (replaces) the archive file, opened exclusively until UtilZIPClose. `comment` (may be
   null) becomes the archive comment. Null when the file cannot be created. */
OVUT_API HUTILZIP WINAPI UtilZIPCreate(LPCWSTR fileName, LPCWSTR comment);
/* Adds one file. The entry is named `nameInArchive`, or `filePath` when that is null or empty,
   without drive or server and with slashes. 0 added, -1 the file cannot be opened, -2 compressing
   it failed. `comment` and `nameInArchive` may be null. */
OVUT_API int WINAPI UtilZIPAppend(HUTILZIP zip, LPCWSTR filePath, LPCWSTR comment, LPCWSTR nameInArchive);
/* Adds the files of `directory` that match `pattern` ("*.*" when null), named relative to
   `directory`. Flag bit 0 (UTIL_ZIP_RECURSIVE) adds every sub-directory as well: a directory
   entry "sub/" followed by all its files, whatever the pattern. Always 0; failures of single
   files only go to the debug channel. */
#define UTIL_ZIP_RECURSIVE 0x1
OVUT_API int WINAPI UtilZIPAppendList(HUTILZIP zip, LPCWSTR directory, LPCWSTR pattern, DWORD flags);
/* Writes the archive and ends the handle (also on failure): 0 written, -3 a write failed. */
OVUT_API int WINAPI UtilZIPClose(HUTILZIP zip);

OVUT_EXTERN_C_END

#endif

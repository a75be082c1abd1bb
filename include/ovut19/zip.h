/** @file
    ZIP archives: each appended file is compressed (deflate) at once; its compressed data waits in
    memory within the archive's allowance (64 MiB), beyond it in a temporary file, and the
    archive itself is written by UtilZIPClose. UtilZIPAppendList compresses on one thread per
    processor unless parallel compression is off (UtilSetParallelCompression); the archive, the
    results and the debug lines are the same either way.
    Threads: one thread at a time per handle. */
#ifndef OVUT19_ZIP_H
#define OVUT19_ZIP_H

#include "ovut19/base.h"

OVUT_EXTERN_C_BEGIN

/** A ZIP archive under construction. Every call accepts a null handle and then does nothing
    (result 0). */
typedef struct UtilZIPArchive_* HUTILZIP;

/** Creates (replaces) the archive file, opened exclusively until UtilZIPClose.
    @param fileName  the archive's path
    @param comment   the archive comment; may be null
    @return the archive, or null when the file cannot be created. */
OVUT_API HUTILZIP WINAPI UtilZIPCreate(LPCWSTR fileName, LPCWSTR comment);
/** Adds one file. The entry is named without drive or server and with slashes.
    @param zip            the archive; null does nothing (result 0)
    @param filePath       the file to add
    @param comment        the entry's comment; may be null
    @param nameInArchive  the entry's name; null or empty: `filePath`
    @return 0 added, -1 the file cannot be opened, -2 compressing it failed. */
OVUT_API int WINAPI UtilZIPAppend(HUTILZIP zip, LPCWSTR filePath, LPCWSTR comment, LPCWSTR nameInArchive);
/** Flag of UtilZIPAppendList: add every sub-directory as well. */
#define UTIL_ZIP_RECURSIVE 0x1
/** Adds the files of a directory that match a pattern, named relative to the directory.
    Failures of single files only go to the debug channel.
    @param zip        the archive; null does nothing
    @param directory  the directory
    @param pattern    a file pattern; null: "*.*"
    @param flags      UTIL_ZIP_RECURSIVE: a directory entry "sub/" for every sub-directory followed
                      by all its files, whatever the pattern
    @return 0. */
OVUT_API int WINAPI UtilZIPAppendList(HUTILZIP zip, LPCWSTR directory, LPCWSTR pattern, DWORD flags);
/** Writes the archive and ends the handle (also on failure).
    @param zip  the archive; null does nothing (result 0)
    @return 0 written, -3 a write failed. */
OVUT_API int WINAPI UtilZIPClose(HUTILZIP zip);

OVUT_EXTERN_C_END

#endif

/** @file
    Document information: properties of office, PDF, mail, HTML, RTF, XML and image files. */
#ifndef OVUT19_DOCINFO_H
#define OVUT19_DOCINFO_H

#include "ovut19/base.h"

#include <oleauto.h>
#include <stddef.h>

OVUT_EXTERN_C_BEGIN

/** Document information: title, subject, author, last author, keywords, comments and the created
   and modified dates of office, PDF, mail, HTML, RTF, XML and image files.

   A host opens a handle with a cache lifetime, asks for files with UtilDocInfoGet and closes the
   handle when done. With a cache, an answer for the same path (compared without regard to case)
   is served from memory while the lifetime lasts, and a file whose last-write time has not changed
   is never read twice; a background thread of the handle drops expired entries every second.
   Files on network shares (`\\server\share\...`) are read by a background thread that the caller
   waits for at most its timeout; a share whose root cannot be reached is remembered for the rest
   of the process, and later requests for files on it return 0 at once. A shell link (".lnk")
   delivers the properties of its target. */
typedef struct UtilDocInfoList_* HUTILDOCINFO;

/** The request a host fills with pointers to its VARIANTs (each may be null: not wanted).
   `size` is the structure's size in bytes as the host knows it: at least
   UTIL_DOCINFO_REQUEST_MIN_SIZE for the first eight values; the source path is filled only when
   it is at least UTIL_DOCINFO_REQUEST_FULL_SIZE. `size` stays 32-bit on both targets, the
   pointers take pointer-sized slots:
       32-bit: size at 0, pointers at 4, 8 ... 36; minimum 36, full 40
       64-bit: size at 0, pointers at 8, 16 ... 72; minimum 72, full 80
   Dates come as VT_DATE with a resolution of 2 seconds (they pass through an MS-DOS date and
   time, so only 1980 to 2107 can be delivered) and only when they are known; texts come as
   VT_BSTR, an unknown text as an empty BSTR. A variant that receives a value is cleared first;
   the host owns the value and clears it. */
typedef struct UTIL_DOCINFO_REQUEST {
  DWORD size;           /**< the structure's size in bytes as the host knows it */
  VARIANT* created;     /**< receives the created date (VT_DATE) */
  VARIANT* modified;    /**< receives the modified date (VT_DATE) */
  VARIANT* title;       /**< receives the title (VT_BSTR) */
  VARIANT* subject;     /**< receives the subject (VT_BSTR) */
  VARIANT* author;      /**< receives the author (VT_BSTR) */
  VARIANT* lastAuthor;  /**< receives the last author (VT_BSTR) */
  VARIANT* keywords;    /**< receives the keywords (VT_BSTR) */
  VARIANT* comments;    /**< receives the comments (VT_BSTR) */
  VARIANT* sourcePath;  /**< the file actually read: the path itself, or a shell link's target */
} UTIL_DOCINFO_REQUEST;

#define UTIL_DOCINFO_REQUEST_MIN_SIZE ((DWORD)offsetof(UTIL_DOCINFO_REQUEST, sourcePath)) /**< size for the first eight values */
#define UTIL_DOCINFO_REQUEST_FULL_SIZE ((DWORD)sizeof(UTIL_DOCINFO_REQUEST)) /**< size that asks for the source path too */

/** Opens a document-information handle.
    @param cacheSeconds  how long an answer is kept for its path, in seconds; 0 means no cache
                         (every request reads the file)
    @return the handle, or null when memory ran out.
    Threads: any. */
OVUT_API HUTILDOCINFO WINAPI UtilDocInfoOpen(DWORD cacheSeconds);

/** Closes a handle: stops its thread, waits for its background loads still running and releases
    its cache.
    @param handle  the handle; null is ignored, as is a handle that is not open
    Threads: no other call may use the handle during or after this one. */
OVUT_API void WINAPI UtilDocInfoClose(HUTILDOCINFO handle);

/** Reads the properties of one file (or answers from the cache) and fills the request.
    @param handle          the handle; null (or one not open) gives 0
    @param path            the file; text after a "|" names a part of it and is ignored by the
                           readers; null gives 0
    @param request         the values wanted; null only asks whether information is available;
                           a size below UTIL_DOCINFO_REQUEST_MIN_SIZE leaves it unfilled
    @param timeoutSeconds  how long to wait for a file on a network share; a load that takes
                           longer goes on in the background (at most 20 per handle; a 21st
                           request waits for a place) and its result is dropped
    @return 1 information is available (the request is filled); 0 the file cannot be read (it
            does not exist, is held exclusively by another program (asked again it is read once
            free), lies on a share that does not answer or did not answer in time, or its reader
            refused it).
    Threads: any number of threads may use one handle at once. */
OVUT_API int WINAPI UtilDocInfoGet(HUTILDOCINFO handle, LPCWSTR path, UTIL_DOCINFO_REQUEST* request,
                                   DWORD timeoutSeconds);

/** Tells whether the share a path lies on is known not to answer.
    @param path  the file or folder; a mapped drive letter is turned into its share first
    @return 1 the path is on a share that is reachable (probed now if it was never asked for);
            0 the share did not answer (remembered until the process ends);
            -1 null path, or a path that is not on a share.
    Threads: any. */
OVUT_API int WINAPI UtilDocInfoShareAccessibility(LPCWSTR path);

OVUT_EXTERN_C_END

#if defined(__cplusplus)
static_assert(offsetof(UTIL_DOCINFO_REQUEST, created) == sizeof(void*), "pointer slots follow the size");
static_assert(sizeof(UTIL_DOCINFO_REQUEST) == 10 * sizeof(void*), "ten slots");
#if !defined(_WIN64)
static_assert(UTIL_DOCINFO_REQUEST_MIN_SIZE == 36 && UTIL_DOCINFO_REQUEST_FULL_SIZE == 40, "32-bit layout");
#else
static_assert(UTIL_DOCINFO_REQUEST_MIN_SIZE == 72 && UTIL_DOCINFO_REQUEST_FULL_SIZE == 80, "64-bit layout");
#endif
#endif

#endif

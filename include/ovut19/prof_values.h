/** @file
    Variant values, streams and files stored in a profile. */
#ifndef OVUT19_PROF_VALUES_H
#define OVUT19_PROF_VALUES_H

#include "ovut19/prof.h"
#include <oaidl.h>
#include <objidl.h>

/* Variant values and binary payloads in a profile (see prof.h for jobs, lists and paths).

   A variant is stored as the text "var://" followed by the Base64 of a small binary record
   (its type and value; "var://@2@..." when the record is compressed, above 100 bytes). Any
   other stored text reads back as VT_BSTR of that text, the empty text as VT_EMPTY.

   Streams and files are stored as packed text ("@2@" + Base64), enciphered when a password is
   given. Results of reading them back: 0 done, -3 the target could not be written, -6 no such
   value or an empty one, -7 the stored text is damaged, -11 the password does not fit (wrong,
   missing, or given for a payload stored without one). On any negative result the target is
   left as it was. */

OVUT_EXTERN_C_BEGIN

/** Appends a value item holding the text form of a variant.
    @param job    the profile job; an invalid job does nothing
    @param list   the start list, 0 for the root list
    @param name   path of the new value item
    @param value  the value; by-reference values are stored as what they refer to; null does
                  nothing. VT_EMPTY, VT_NULL, VT_I1, VT_UI1, VT_I2, VT_UI2, VT_BOOL, VT_I4, VT_UI4,
                  VT_INT, VT_UINT, VT_R4, VT_ERROR, VT_R8, VT_CY, VT_DATE, VT_I8, VT_UI8,
                  VT_FILETIME and VT_BSTR (up to its first NUL) keep their value; other types
                  (arrays, objects, VT_DECIMAL, VT_CLSID ...) are stored as their type alone and
                  read back as VT_EMPTY.
    Threads: changes the job (see prof.h). */
OVUT_API void WINAPI ProfAppendVariant(HPROFJOB job, HPROFLIST list, LPCWSTR name, const VARIANT* value);

/** Stores a variant in the first value item of that name, or appends one.
    @param job    the profile job; an invalid job does nothing
    @param list   the start list, 0 for the root list
    @param name   path of the value item
    @param value  the value, as for ProfAppendVariant; null does nothing
    Threads: changes the job (see prof.h). */
OVUT_API void WINAPI ProfSetVariant(HPROFJOB job, HPROFLIST list, LPCWSTR name, const VARIANT* value);

/** Reads a value item back as a variant.
    @param job           the profile job
    @param list          the start list, 0 for the root list
    @param name          path of the value item
    @param out           an initialised VARIANT; cleared before it is overwritten; null does nothing
    @param defaultValue  copied into out (by-reference values resolved) when there is no such
                         item; null stands for VT_EMPTY
    @return 0 read (also for a null out or an invalid job, out then untouched), -6 no such item
            (out holds the default). Damaged stored values read back as VT_EMPTY. */
OVUT_API int WINAPI ProfGetVariant(HPROFJOB job, HPROFLIST list, LPCWSTR name, VARIANT* out, const VARIANT* defaultValue);

/** Decodes a value text the caller already holds, as ProfGetVariant does with a stored one.
    @param text  the text, for example one read with ProfGetStringW
    @param out   an initialised VARIANT; cleared before it is overwritten; null does nothing
    @return 0, or -9 for a null text (out untouched). */
OVUT_API int WINAPI ProfGetVariantFromContents(LPCWSTR text, VARIANT* out);

/** Appends a value item with the packed contents of a whole stream (read from its start).
    @param job       the profile job; an invalid job does nothing
    @param list      the start list, 0 for the root list
    @param name      path of the new value item
    @param password  enciphers the contents when not empty; null is the empty password
    @param stream    the source; null does nothing. An empty or unreadable stream gives the
                     empty value.
    Threads: changes the job (see prof.h). */
OVUT_API void WINAPI ProfAppendStreamW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR password, IStream* stream);
/** ANSI form of ProfAppendStreamW (name and password in the default String code page).
    @param job       the profile job
    @param list      the start list, 0 for the root list
    @param name      path of the new value item
    @param password  the password, or null
    @param stream    the source; null does nothing */
OVUT_API void WINAPI ProfAppendStreamA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR password, IStream* stream);

/** Replaces the contents of a stream by a payload stored with ProfAppendStream or ProfAppendFile.
    @param job       the profile job
    @param list      the start list, 0 for the root list
    @param name      path of the value item
    @param password  the password it was stored with; null is the empty password
    @param stream    the target: rewritten from its start, ended after the payload and left at
                     position 0; null does nothing (result 0)
    @return 0 written (also for an invalid job: nothing done), -3 the stream could not be
            written, -6 no such value or an empty one, -7 damaged text, -11 the password does not
            fit. The stream is untouched on -6, -7 and -11. */
OVUT_API int WINAPI ProfGetStreamW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR password, IStream* stream);
/** ANSI form of ProfGetStreamW.
    @param job       the profile job
    @param list      the start list, 0 for the root list
    @param name      path of the value item
    @param password  the password, or null
    @param stream    the target
    @return as ProfGetStreamW. */
OVUT_API int WINAPI ProfGetStreamA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR password, IStream* stream);

/** Appends a value item with the packed contents of an open file (read from its start).
    @param job       the profile job; an invalid job does nothing
    @param list      the start list, 0 for the root list
    @param name      path of the new value item
    @param password  enciphers the contents when not empty; null is the empty password
    @param file      a handle open for reading; it is duplicated for the call and stays the
                     caller's (its position moves, the two share it); null or
                     INVALID_HANDLE_VALUE does nothing. An empty or unreadable file gives the
                     empty value.
    Threads: changes the job (see prof.h). */
OVUT_API void WINAPI ProfAppendFileW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR password, HANDLE file);
/** ANSI form of ProfAppendFileW.
    @param job       the profile job
    @param list      the start list, 0 for the root list
    @param name      path of the new value item
    @param password  the password, or null
    @param file      a handle open for reading */
OVUT_API void WINAPI ProfAppendFileA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR password, HANDLE file);

/** Replaces the contents of an open file by a stored payload.
    @param job       the profile job
    @param list      the start list, 0 for the root list
    @param name      path of the value item
    @param password  the password it was stored with; null is the empty password
    @param file      a handle open for writing, duplicated for the call; the file is rewritten
                     from its start, ended after the payload and left at position 0; null or
                     INVALID_HANDLE_VALUE does nothing (result 0)
    @return as ProfGetStreamW; the file is untouched on -6, -7 and -11. */
OVUT_API int WINAPI ProfGetFileW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR password, HANDLE file);
/** ANSI form of ProfGetFileW.
    @param job       the profile job
    @param list      the start list, 0 for the root list
    @param name      path of the value item
    @param password  the password, or null
    @param file      a handle open for writing
    @return as ProfGetStreamW. */
OVUT_API int WINAPI ProfGetFileA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR password, HANDLE file);

/** Stores every file matching a pattern as a "File.Entry" list (items "Name" and "Contents")
    appended to a list.
    @param job       the profile job
    @param list      the list that gets the entries, 0 for the root list
    @param pattern   folder and file pattern with wildcards ("C:\\data\\*.txt"); folders are skipped
    @param password  enciphers the contents when not empty; null is the empty password
    @param reserved  not used; pass 0
    @return the number of matching files, counting empty and unreadable ones, which get no
            entry; 0 for an invalid job or a null pattern.
    Threads: changes the job (see prof.h). */
OVUT_API int WINAPI ProfAppendFilesW(HPROFJOB job, HPROFLIST list, LPCWSTR pattern, LPCWSTR password, INT_PTR reserved);
/** ANSI form of ProfAppendFilesW.
    @param job       the profile job
    @param list      the list that gets the entries, 0 for the root list
    @param pattern   folder and file pattern
    @param password  the password, or null
    @param reserved  not used
    @return as ProfAppendFilesW. */
OVUT_API int WINAPI ProfAppendFilesA(HPROFJOB job, HPROFLIST list, LPCSTR pattern, LPCSTR password, INT_PTR reserved);

/** Writes the files of the "File.Entry" lists directly in a list into a folder.
    Only the file-name part of a stored name is used; names that are empty, "." or "..", carry
    a drive or stream (":") or name a device (CON, NUL, COM1 ...) are skipped with a debug line,
    as are entries without a name or contents. An existing file of the same name is replaced.
    @param job       the profile job
    @param list      the list holding the entries, 0 for the root list
    @param folder    the target folder; created when missing (one level)
    @param password  the password the files were stored with; null is the empty password
    @param reserved  not used; pass 0
    @return the number of files written; 0 for an invalid job, a null folder or no entries;
            -4 the folder cannot be created; -11 the password does not fit the stored files
            (checked before anything is created: nothing is written). */
OVUT_API int WINAPI ProfExtractFilesW(HPROFJOB job, HPROFLIST list, LPCWSTR folder, LPCWSTR password, INT_PTR reserved);
/** ANSI form of ProfExtractFilesW.
    @param job       the profile job
    @param list      the list holding the entries, 0 for the root list
    @param folder    the target folder
    @param password  the password, or null
    @param reserved  not used
    @return as ProfExtractFilesW. */
OVUT_API int WINAPI ProfExtractFilesA(HPROFJOB job, HPROFLIST list, LPCSTR folder, LPCSTR password, INT_PTR reserved);

OVUT_EXTERN_C_END

#endif

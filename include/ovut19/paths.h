/** @file
    UNC and local path mapping.
    Threads: any; the calls keep no state between them. */
#ifndef OVUT19_PATHS_H
#define OVUT19_PATHS_H

#include "ovut19/base.h"

#include <oleauto.h>

OVUT_EXTERN_C_BEGIN

/* UNC and local path mapping: a network file named by a mapped drive letter (N:\dir\f.txt) or by
   its UNC name (\\server\share\dir\f.txt). Both conversions first make the path full and
   canonical ("\.\" and ".." resolved, relative paths against the current folder); a path that
   cannot be resolved within 260 characters is used as given. The drive-letter form is found
   among the user's remembered connections, the UNC form through the network provider. */

/** Turns a path on a mapped network drive into its UNC form.
    @param path    the path; null gives -1
    @param result  receives the UNC form, or the normalised path when it has no drive letter (a
                   UNC or relative path); allocated when *result is null, otherwise reallocated;
                   the caller frees it; left alone on failure; null gives -1
    @return 0 success; -1 failure: the drive is not a network drive (a local fixed drive too), the
            network call failed, or a null argument. */
OVUT_API int WINAPI UtilEnsureUNCPath(LPCWSTR path, BSTR* result);

/** Turns a UNC path into the drive-letter form when the user has connected its share to a drive
    (`\\srv\share\dir\f.txt` with `\\SRV\share` on N: gives `N:\dir\f.txt`; `\\srv\share` gives `N:`).
    @param path    the path; null gives -1
    @param result  receives the drive-letter form, or the normalised path when no remembered
                   connection matches or the path is not a UNC path; allocated when *result is
                   null, otherwise reallocated; the caller frees it; left alone on failure; null
                   gives -1
    @return 0 success; -1 the remembered connections cannot be listed, or a null argument. */
OVUT_API int WINAPI UtilEnsureLocalPath(LPCWSTR path, BSTR* result);

/** UtilEnsureUNCPath for installer scripts: ANSI text in the default String code page.
    @param path        the path; null gives -1
    @param buffer      receives the result with its terminating zero
    @param bufferSize  the buffer's size in bytes
    @return 0 copied; -1 the conversion failed (see UtilEnsureUNCPath); with a null buffer or a
            bufferSize of 0 or less, the size needed (the result's length + 1, never 0) and
            nothing copied; bufferSize itself when the result (without its zero) is bufferSize
            bytes or longer: nothing copied. Any positive result means "not copied". */
OVUT_API int WINAPI UtilEnsureUNCPathForWise(LPCSTR path, LPSTR buffer, int bufferSize);

/** UtilEnsureLocalPath for installer scripts: ANSI text in the default String code page.
    @param path        the path; null gives -1
    @param buffer      receives the result with its terminating zero
    @param bufferSize  the buffer's size in bytes
    @return 0 copied; -1 the conversion failed (see UtilEnsureLocalPath); with a null buffer or a
            bufferSize of 0 or less, the size needed (the result's length + 1, never 0) and
            nothing copied; bufferSize itself when the result (without its zero) is bufferSize
            bytes or longer: nothing copied. Any positive result means "not copied". */
OVUT_API int WINAPI UtilEnsureLocalPathForWise(LPCSTR path, LPSTR buffer, int bufferSize);

OVUT_EXTERN_C_END

#endif

/** @file
    Stored profiles: saving a job to a file, a stream or the clipboard in the profile XML or INI
    form, as an XFDF export, or inside the packed container; jobs over streams and the clipboard.
    A save serialises in memory first and changes the file only while it holds a lock on its
    first byte; loads take the same lock, and sharing violations are retried for 10 s.
    Threads: a save reads the job (see prof.h for the rules on one job). */
#ifndef OVUT19_PROF_PERSIST_H
#define OVUT19_PROF_PERSIST_H

#include "ovut19/base.h"
#include "ovut19/prof.h"
#include <objidl.h>

OVUT_EXTERN_C_BEGIN

/* Save flags: low 4 bits 0 = profile INI form, 2 = XFDF export, any other value = profile XML;
   64 = inside the packed container; 128 = packed when the job was loaded packed. */
#define PROF_SAVE_INI 0                /**< Save flag: the profile INI form (low 4 bits 0). */
#define PROF_SAVE_XML 1                /**< Save flag: the profile XML form (low 4 bits other than 0 and 2). */
#define PROF_SAVE_XFDF 2               /**< Save flag: an XFDF export. */
#define PROF_SAVE_PACKED 64            /**< Save flag: inside the packed container ("ZLeZ" + deflate). */
#define PROF_SAVE_PACKED_IF_LOADED 128 /**< Save flag: packed when the job was loaded packed. */

/** Saves the profile to a file.
    @param job       the job; a null or invalid job does nothing (result 0)
    @param fileName  the file; null: the job's own file
    @param flags     the form: PROF_SAVE_INI, PROF_SAVE_XML or PROF_SAVE_XFDF, plus PROF_SAVE_PACKED
                     or PROF_SAVE_PACKED_IF_LOADED
    @return 0, or -3 when the file could not be opened, locked or written. */
OVUT_API int WINAPI ProfSaveW(HPROFJOB job, LPCWSTR fileName, int flags);
/** @copydoc ProfSaveW
    @profA */
OVUT_API int WINAPI ProfSaveA(HPROFJOB job, LPCSTR fileName, int flags);
/** Saves the profile to a stream at its current position.
    @param job     the job; a null or invalid job does nothing (result 0)
    @param stream  the stream; null: the stream of a stream job
    @param flags   the form, as for ProfSaveW
    @return 0, or -4 when nothing could be written. */
OVUT_API int WINAPI ProfSaveToStream(HPROFJOB job, IStream* stream, int flags);
/** Puts the profile on the clipboard (format "ZelProfCBFormat") beside the notice text
    "PROF data available".
    @param job     the job; a null or invalid job does nothing (result 0)
    @param window  the window that owns the clipboard; may be null
    @param flags   the form, as for ProfSaveW
    @return 0, -3 no temporary file or clipboard, -4 the write failed, -8 no memory. */
OVUT_API int WINAPI ProfSaveToClipboard(HPROFJOB job, HWND window, int flags);

/** Opens a job over a stream the job keeps (referenced until the job closes) and loads it.
    @param stream  the stream, read from its current position
    @return the job (ProfGetError tells -1 stream unusable, -7 format); 0 only when out of memory. */
OVUT_API HPROFJOB WINAPI ProfJobOpenStream(IStream* stream);
/** Opens a job over one object's text that stands at `level` inside a larger text of the stream.
    @param stream      the stream, read from its current position
    @param objectName  the object's name; "[Name]" names the root "Name"
    @param level       the nesting level of the object's text in the larger text
    @return the job (ProfGetError tells -1 or -7); 0 only when out of memory. */
OVUT_API HPROFJOB WINAPI ProfJobOpenStreamObjectW(IStream* stream, LPCWSTR objectName, int level);
/** @copydoc ProfJobOpenStreamObjectW
    @profA */
OVUT_API HPROFJOB WINAPI ProfJobOpenStreamObjectA(IStream* stream, LPCSTR objectName, int level);
/** Opens a job with the profile on the clipboard.
    @param window  the window that opens the clipboard; may be null
    @return the job (ProfGetError tells why nothing was loaded); 0 only when out of memory. */
OVUT_API HPROFJOB WINAPI ProfJobOpenClipboard(HWND window);
/** Tells whether the clipboard holds a profile.
    @return 1 when it does, else 0. */
OVUT_API int WINAPI ProfIsClipboardDataAvailable(void);

OVUT_EXTERN_C_END

#endif

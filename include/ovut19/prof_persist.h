#ifndef OVUT19_PROF_PERSIST_H
#define OVUT19_PROF_PERSIST_H

#include "ovut19/base.h"
#include "ovut19/prof.h"
#include <objidl.h>

OVUT_EXTERN_C_BEGIN

/* Save flags: low 4 bits 0 = profile INI form, 2 = XFDF export, any other value = profile XML;
   64 = inside the packed container; 128 = packed when the job was loaded packed. */
#define PROF_SAVE_INI 0
#define PROF_SAVE_XML 1
#define PROF_SAVE_XFDF 2
#define PROF_SAVE_PACKED 64
#define PROF_SAVE_PACKED_IF_LOADED 128

/* Saves to the file (NULL: the job's own file). 0, or -3 when the file could not be opened,
   locked or written. A null job does nothing and gives 0. */
OVUT_API int WINAPI ProfSaveW(HPROFJOB job, LPCWSTR fileName, int flags);
OVUT_API int WINAPI ProfSaveA(HPROFJOB job, LPCSTR fileName, int flags);
/* Saves to the stream (NULL: the stream of a stream job). 0, or -4. */
OVUT_API int WINAPI ProfSaveToStream(HPROFJOB job, IStream* stream, int flags);
/* Puts the profile on the clipboard (format "ZelProfCBFormat") beside a notice text.
   0, -3 (no temporary file or clipboard), -4 (write failed) or -8 (no memory). */
OVUT_API int WINAPI ProfSaveToClipboard(HPROFJOB job, HWND window, int flags);

/* Jobs over a stream the job keeps; ProfGetError tells -1 (stream unusable) or -7 (format). */
OVUT_API HPROFJOB WINAPI ProfJobOpenStream(IStream* stream);
/* The object's text stands at `level` in a larger text; "[Name]" names the root "Name". */
OVUT_API HPROFJOB WINAPI ProfJobOpenStreamObjectW(IStream* stream, LPCWSTR objectName, int level);
OVUT_API HPROFJOB WINAPI ProfJobOpenStreamObjectA(IStream* stream, LPCSTR objectName, int level);
OVUT_API HPROFJOB WINAPI ProfJobOpenClipboard(HWND window);
OVUT_API int WINAPI ProfIsClipboardDataAvailable(void);

OVUT_EXTERN_C_END

#endif

#ifndef OVUT19_PROF_H
#define OVUT19_PROF_H

#include "ovut19/base.h"

/* Profiles: an in-memory tree of named lists and text items, reached through a job handle.
   A name is a path of segments separated by "/" ("Window/Main/Left"); a leading "/" starts at
   the root whatever list handle is given. List handle 0 stands for the job's root list.
   Result codes: 0 success, -1 source in use, -3 cannot write, -4 nothing written, -5 invalid
   job, -6 not found, -7 cannot parse, -8 cut short, -9 wrong form, -10 cannot open. */

/* Threads. ProfJobAddRef and ProfJobClose may be called from any thread at any time, and calls
   on different jobs may run at once. On one job, calls that only read (ProfGet*, ProfEnum*,
   ProfSave*, ProfDebugList, ProfCopyList as its source) may overlap with each other; a call that
   changes the job (ProfSet*, ProfAppend*, ProfCreateList*, ProfEmptyList, ProfDelete*,
   ProfCopyList as its destination) must not overlap with any other call on that job: the caller
   serialises them. A call holds its job until it returns, so a close on another thread never
   frees a tree under a running call; once the count has reached 0 the handle is dead for every
   later call (ProfJobAddRef gives 0, the others their invalid-job result). */

typedef INT_PTR HPROFJOB;  /* 0 = invalid job */
typedef INT_PTR HPROFLIST; /* 0 = root list of the job passed with it */

/* Called once per item by ProfEnumW/A; return 0 to stop. `list` is 0 for a value item. The
   callback may change the walked list (delete any item, empty or delete the list, append):
   items deleted before their turn are skipped, appended items are not visited. */
typedef int(WINAPI* ProfEnumCallbackW)(HPROFJOB job, LPCWSTR name, LPCWSTR value, HPROFLIST list, INT_PTR user);
typedef int(WINAPI* ProfEnumCallbackA)(HPROFJOB job, LPCSTR name, LPCSTR value, HPROFLIST list, INT_PTR user);

OVUT_EXTERN_C_BEGIN

/* Jobs. The open returns a job even when the file could not be read: ask ProfGetError. */
OVUT_API HPROFJOB WINAPI ProfJobOpenW(LPCWSTR fileName);
OVUT_API HPROFJOB WINAPI ProfJobOpenA(LPCSTR fileName);
OVUT_API HPROFJOB WINAPI ProfJobOpenExclusiveW(LPCWSTR fileName);
OVUT_API HPROFJOB WINAPI ProfJobOpenExclusiveA(LPCSTR fileName);
OVUT_API int WINAPI ProfJobAddRef(HPROFJOB job);
OVUT_API void WINAPI ProfJobClose(HPROFJOB job);
OVUT_API int WINAPI ProfGetError(HPROFJOB job);
/* 0: 0x1301, 1: major 19, 2: minor 1, else -1. */
OVUT_API int WINAPI ProfGetVersion(int selector);

/* Lists. */
/* Lists nest at most 1000 levels below the root (a loaded text that nests deeper fails with -7):
   a path that would make a deeper list makes nothing (ProfCreateList and ProfAppendList return 0,
   value writes change nothing), and ProfCopyList then returns -8 with nothing appended. */
OVUT_API HPROFLIST WINAPI ProfGetListW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
OVUT_API HPROFLIST WINAPI ProfGetListA(HPROFJOB job, HPROFLIST list, LPCSTR name);
OVUT_API HPROFLIST WINAPI ProfCreateListW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
OVUT_API HPROFLIST WINAPI ProfCreateListA(HPROFJOB job, HPROFLIST list, LPCSTR name);
OVUT_API HPROFLIST WINAPI ProfAppendListW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
OVUT_API HPROFLIST WINAPI ProfAppendListA(HPROFJOB job, HPROFLIST list, LPCSTR name);
OVUT_API void WINAPI ProfEmptyList(HPROFJOB job, HPROFLIST list);
OVUT_API void WINAPI ProfDeleteItemW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
OVUT_API void WINAPI ProfDeleteItemA(HPROFJOB job, HPROFLIST list, LPCSTR name);
/* A NULL name deletes the list `list` itself. */
OVUT_API void WINAPI ProfDeleteListW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
OVUT_API void WINAPI ProfDeleteListA(HPROFJOB job, HPROFLIST list, LPCSTR name);
OVUT_API int WINAPI ProfCopyList(HPROFJOB destJob, HPROFLIST destList, HPROFJOB srcJob, HPROFLIST srcList);
OVUT_API int WINAPI ProfEnumW(HPROFJOB job, HPROFLIST list, ProfEnumCallbackW callback, INT_PTR user);
OVUT_API int WINAPI ProfEnumA(HPROFJOB job, HPROFLIST list, ProfEnumCallbackA callback, INT_PTR user);

/* Text values. ProfGetString returns the units copied (size 0: the length), -6 not found. */
OVUT_API int WINAPI ProfGetStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPWSTR buffer, int size, LPCWSTR defaultText);
OVUT_API int WINAPI ProfGetStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPSTR buffer, int size, LPCSTR defaultText);
OVUT_API int WINAPI ProfGetStringLengthW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
OVUT_API int WINAPI ProfGetStringLengthA(HPROFJOB job, HPROFLIST list, LPCSTR name);
OVUT_API void WINAPI ProfSetStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR value);
OVUT_API void WINAPI ProfSetStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR value);
OVUT_API void WINAPI ProfAppendStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR value);
OVUT_API void WINAPI ProfAppendStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR value);

/* Settings and diagnostics. Option 1: the code page of every ANSI entry of the library. */
OVUT_API void WINAPI ProfSetOption(int option, int value);
OVUT_API int WINAPI ProfGetOption(int option);
OVUT_API void WINAPI ProfSetDebug(int flag);
OVUT_API int WINAPI ProfDebugList(HPROFJOB job, HPROFLIST list);

/* Typed values, stored as text: Bool "TRUE"/"FALSE", Int "-42", IntHex "x0000001F" (append) or
   "x1f" (set), Int64 unsigned decimal, Int64Hex "x1F"/"x1f", Double "3.140000", Point "(x,y)",
   Rect "(l,t,r,b)", RectLTWH "(l,t,w,h)", Colorref "(r,g,b)". Getters return 0, -6 (default
   stored) or -9 (text of another form). */
OVUT_API void WINAPI ProfAppendBoolW(HPROFJOB job, HPROFLIST list, LPCWSTR name, BOOL value);
OVUT_API void WINAPI ProfAppendBoolA(HPROFJOB job, HPROFLIST list, LPCSTR name, BOOL value);
OVUT_API void WINAPI ProfSetBoolW(HPROFJOB job, HPROFLIST list, LPCWSTR name, BOOL value);
OVUT_API void WINAPI ProfSetBoolA(HPROFJOB job, HPROFLIST list, LPCSTR name, BOOL value);
OVUT_API void WINAPI ProfAppendIntW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int value);
OVUT_API void WINAPI ProfAppendIntA(HPROFJOB job, HPROFLIST list, LPCSTR name, int value);
OVUT_API void WINAPI ProfSetIntW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int value);
OVUT_API void WINAPI ProfSetIntA(HPROFJOB job, HPROFLIST list, LPCSTR name, int value);
OVUT_API void WINAPI ProfAppendIntHexW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int value);
OVUT_API void WINAPI ProfAppendIntHexA(HPROFJOB job, HPROFLIST list, LPCSTR name, int value);
OVUT_API void WINAPI ProfSetIntHexW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int value);
OVUT_API void WINAPI ProfSetIntHexA(HPROFJOB job, HPROFLIST list, LPCSTR name, int value);
OVUT_API void WINAPI ProfAppendInt64W(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG value);
OVUT_API void WINAPI ProfAppendInt64A(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG value);
OVUT_API void WINAPI ProfSetInt64W(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG value);
OVUT_API void WINAPI ProfSetInt64A(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG value);
OVUT_API void WINAPI ProfAppendInt64HexW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG value);
OVUT_API void WINAPI ProfAppendInt64HexA(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG value);
OVUT_API void WINAPI ProfSetInt64HexW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG value);
OVUT_API void WINAPI ProfSetInt64HexA(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG value);
OVUT_API void WINAPI ProfAppendDoubleW(HPROFJOB job, HPROFLIST list, LPCWSTR name, double value);
OVUT_API void WINAPI ProfAppendDoubleA(HPROFJOB job, HPROFLIST list, LPCSTR name, double value);
OVUT_API void WINAPI ProfSetDoubleW(HPROFJOB job, HPROFLIST list, LPCWSTR name, double value);
OVUT_API void WINAPI ProfSetDoubleA(HPROFJOB job, HPROFLIST list, LPCSTR name, double value);
OVUT_API void WINAPI ProfAppendPointW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const POINT* value);
OVUT_API void WINAPI ProfAppendPointA(HPROFJOB job, HPROFLIST list, LPCSTR name, const POINT* value);
OVUT_API void WINAPI ProfSetPointW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const POINT* value);
OVUT_API void WINAPI ProfSetPointA(HPROFJOB job, HPROFLIST list, LPCSTR name, const POINT* value);
OVUT_API void WINAPI ProfAppendRectW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const RECT* value);
OVUT_API void WINAPI ProfAppendRectA(HPROFJOB job, HPROFLIST list, LPCSTR name, const RECT* value);
OVUT_API void WINAPI ProfSetRectW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const RECT* value);
OVUT_API void WINAPI ProfSetRectA(HPROFJOB job, HPROFLIST list, LPCSTR name, const RECT* value);
OVUT_API void WINAPI ProfAppendRectLTWHW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const RECT* value);
OVUT_API void WINAPI ProfAppendRectLTWHA(HPROFJOB job, HPROFLIST list, LPCSTR name, const RECT* value);
OVUT_API void WINAPI ProfSetRectLTWHW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const RECT* value);
OVUT_API void WINAPI ProfSetRectLTWHA(HPROFJOB job, HPROFLIST list, LPCSTR name, const RECT* value);
OVUT_API void WINAPI ProfAppendColorrefW(HPROFJOB job, HPROFLIST list, LPCWSTR name, COLORREF value);
OVUT_API void WINAPI ProfAppendColorrefA(HPROFJOB job, HPROFLIST list, LPCSTR name, COLORREF value);
OVUT_API void WINAPI ProfSetColorrefW(HPROFJOB job, HPROFLIST list, LPCWSTR name, COLORREF value);
OVUT_API void WINAPI ProfSetColorrefA(HPROFJOB job, HPROFLIST list, LPCSTR name, COLORREF value);

OVUT_API int WINAPI ProfGetBoolW(HPROFJOB job, HPROFLIST list, LPCWSTR name, BOOL* out, BOOL def);
OVUT_API int WINAPI ProfGetBoolA(HPROFJOB job, HPROFLIST list, LPCSTR name, BOOL* out, BOOL def);
OVUT_API int WINAPI ProfGetIntW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int* out, int def);
OVUT_API int WINAPI ProfGetIntA(HPROFJOB job, HPROFLIST list, LPCSTR name, int* out, int def);
OVUT_API int WINAPI ProfGetInt64W(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG* out, LONGLONG def);
OVUT_API int WINAPI ProfGetInt64A(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG* out, LONGLONG def);
OVUT_API int WINAPI ProfGetDoubleW(HPROFJOB job, HPROFLIST list, LPCWSTR name, double* out, double def);
OVUT_API int WINAPI ProfGetDoubleA(HPROFJOB job, HPROFLIST list, LPCSTR name, double* out, double def);
/* The default must be given; it may be the same pointer as out. */
OVUT_API int WINAPI ProfGetPointW(HPROFJOB job, HPROFLIST list, LPCWSTR name, POINT* out, const POINT* def);
OVUT_API int WINAPI ProfGetPointA(HPROFJOB job, HPROFLIST list, LPCSTR name, POINT* out, const POINT* def);
OVUT_API int WINAPI ProfGetRectW(HPROFJOB job, HPROFLIST list, LPCWSTR name, RECT* out, const RECT* def);
OVUT_API int WINAPI ProfGetRectA(HPROFJOB job, HPROFLIST list, LPCSTR name, RECT* out, const RECT* def);
OVUT_API int WINAPI ProfGetRectLTWHW(HPROFJOB job, HPROFLIST list, LPCWSTR name, RECT* out, const RECT* def);
OVUT_API int WINAPI ProfGetRectLTWHA(HPROFJOB job, HPROFLIST list, LPCSTR name, RECT* out, const RECT* def);
OVUT_API int WINAPI ProfGetColorrefW(HPROFJOB job, HPROFLIST list, LPCWSTR name, COLORREF* out, COLORREF def);
OVUT_API int WINAPI ProfGetColorrefA(HPROFJOB job, HPROFLIST list, LPCSTR name, COLORREF* out, COLORREF def);

/* Parsing a caller's text without a profile; a NULL text or a text of another form gives the
   default. INT reads decimal only, INT64 unsigned decimal only. */
OVUT_API void WINAPI ProfLPSTRtoBOOLW(LPCWSTR text, BOOL* out, BOOL def);
OVUT_API void WINAPI ProfLPSTRtoBOOLA(LPCSTR text, BOOL* out, BOOL def);
OVUT_API void WINAPI ProfLPSTRtoINTW(LPCWSTR text, int* out, int def);
OVUT_API void WINAPI ProfLPSTRtoINTA(LPCSTR text, int* out, int def);
OVUT_API void WINAPI ProfLPSTRtoINT64W(LPCWSTR text, LONGLONG* out, LONGLONG def);
OVUT_API void WINAPI ProfLPSTRtoINT64A(LPCSTR text, LONGLONG* out, LONGLONG def);
OVUT_API void WINAPI ProfLPSTRtoRECTW(LPCWSTR text, RECT* out, const RECT* def);
OVUT_API void WINAPI ProfLPSTRtoRECTA(LPCSTR text, RECT* out, const RECT* def);
OVUT_API void WINAPI ProfLPSTRtoCOLORREFW(LPCWSTR text, COLORREF* out, COLORREF def);
OVUT_API void WINAPI ProfLPSTRtoCOLORREFA(LPCSTR text, COLORREF* out, COLORREF def);

OVUT_EXTERN_C_END

#endif

/** @file
    Profiles: an in-memory tree of named lists and text items, reached through a job handle.
   A name is a path of segments separated by "/" ("Window/Main/Left"); a leading "/" starts at
   the root whatever list handle is given. List handle 0 stands for the job's root list.
   Result codes: 0 success, -1 source in use, -3 cannot write, -4 nothing written, -5 invalid
   job, -6 not found, -7 cannot parse, -8 cut short, -9 wrong form, -10 cannot open.

   Threads. ProfJobAddRef and ProfJobClose may be called from any thread at any time, and calls
   on different jobs may run at once. On one job, calls that only read (ProfGet*, ProfEnum*,
   ProfSave*, ProfDebugList, ProfCopyList as its source) may overlap with each other; a call that
   changes the job (ProfSet*, ProfAppend*, ProfCreateList*, ProfEmptyList, ProfDelete*,
   ProfCopyList as its destination) must not overlap with any other call on that job: the caller
   serialises them. A call holds its job until it returns, so a close on another thread never
   frees a tree under a running call; once the count has reached 0 the handle is dead for every
   later call (ProfJobAddRef gives 0, the others their invalid-job result).

   ANSI (...A) forms take and give texts in the library's code page (ProfSetOption option 1). */
#ifndef OVUT19_PROF_H
#define OVUT19_PROF_H

#include "ovut19/base.h"

typedef INT_PTR HPROFJOB;  /**< A profile job; 0 = invalid job. */
typedef INT_PTR HPROFLIST; /**< A list of a job; 0 = the root list of the job passed with it. */

/** Called once per item by ProfEnumW; return 0 to stop. `list` is 0 for a value item. The
    callback may change the walked list (delete any item, empty or delete the list, append):
    items deleted before their turn are skipped, appended items are not visited. */
typedef int(WINAPI* ProfEnumCallbackW)(HPROFJOB job, LPCWSTR name, LPCWSTR value, HPROFLIST list, INT_PTR user);
/** The ANSI form of ProfEnumCallbackW, called by ProfEnumA. */
typedef int(WINAPI* ProfEnumCallbackA)(HPROFJOB job, LPCSTR name, LPCSTR value, HPROFLIST list, INT_PTR user);

OVUT_EXTERN_C_BEGIN

/* Jobs. The open returns a job even when the file could not be read: ask ProfGetError. */
/** Opens a job: an empty profile, or the profile of a file. The job is returned even when the
    file could not be read: ProfGetError tells 0, -1 in use, -7 unparsable or -10 cannot be opened.
    @param fileName  the file to load; null gives an empty job
    @return the job (close it with ProfJobClose); 0 only when out of memory. */
OVUT_API HPROFJOB WINAPI ProfJobOpenW(LPCWSTR fileName);
/** @copydoc ProfJobOpenW
    @profA */
OVUT_API HPROFJOB WINAPI ProfJobOpenA(LPCSTR fileName);
/** Opens a job like ProfJobOpenW and keeps the file open without sharing until the job closes.
    @param fileName  the file to load; null gives an empty job
    @return the job (close it with ProfJobClose); 0 only when out of memory. */
OVUT_API HPROFJOB WINAPI ProfJobOpenExclusiveW(LPCWSTR fileName);
/** @copydoc ProfJobOpenExclusiveW
    @profA */
OVUT_API HPROFJOB WINAPI ProfJobOpenExclusiveA(LPCSTR fileName);
/** Counts one more reference to the job.
    @param job  the job
    @return the new count, or 0 when the job is invalid or already dead.
    Threads: any thread at any time. */
OVUT_API int WINAPI ProfJobAddRef(HPROFJOB job);
/** Counts a reference down; the last one frees the tree and releases a stream the job holds.
    @param job  the job; an invalid job does nothing
    Threads: any thread at any time; takes effect after calls running on the job. */
OVUT_API void WINAPI ProfJobClose(HPROFJOB job);
/** The outcome of the job's load.
    @param job  the job
    @return 0, -1 source in use, -7 cannot parse, -10 cannot open; -5 invalid job. */
OVUT_API int WINAPI ProfGetError(HPROFJOB job);
/* 0: 0x1301, 1: major 19, 2: minor 1, else -1. */
/** The profile interface's version.
    @param selector  0 the whole number, 1 major, 2 minor
    @return 0x1301 for 0, 19 for 1, 1 for 2, else -1. */
OVUT_API int WINAPI ProfGetVersion(int selector);

/* Lists. */
/* Lists nest at most 1000 levels below the root (a loaded text that nests deeper fails with -7):
   a path that would make a deeper list makes nothing (ProfCreateList and ProfAppendList return 0,
   value writes change nothing), and ProfCopyList then returns -8 with nothing appended. */
/** Finds a list.
    @profitem
    @return the list, or 0 when there is none of that name (or the job is invalid). */
OVUT_API HPROFLIST WINAPI ProfGetListW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
/** @copydoc ProfGetListW
    @profA */
OVUT_API HPROFLIST WINAPI ProfGetListA(HPROFJOB job, HPROFLIST list, LPCSTR name);
/** Finds a list, creating it and the lists on its path when missing.
    @profitem
    @return the list, or 0 for an invalid job or a path deeper than 1000 levels. */
OVUT_API HPROFLIST WINAPI ProfCreateListW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
/** @copydoc ProfCreateListW
    @profA */
OVUT_API HPROFLIST WINAPI ProfCreateListA(HPROFJOB job, HPROFLIST list, LPCSTR name);
/** Appends a new list of that name, even when one of the name exists (lists on the path are
    created as needed).
    @profitem
    @return the new list, or 0 for an invalid job or a path deeper than 1000 levels. */
OVUT_API HPROFLIST WINAPI ProfAppendListW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
/** @copydoc ProfAppendListW
    @profA */
OVUT_API HPROFLIST WINAPI ProfAppendListA(HPROFJOB job, HPROFLIST list, LPCSTR name);
/** Deletes every item and list inside a list.
    @param job   the job
    @param list  the list (0: the root) */
OVUT_API void WINAPI ProfEmptyList(HPROFJOB job, HPROFLIST list);
/** Deletes every value item of that name.
    @profitem */
OVUT_API void WINAPI ProfDeleteItemW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
/** @copydoc ProfDeleteItemW
    @profA */
OVUT_API void WINAPI ProfDeleteItemA(HPROFJOB job, HPROFLIST list, LPCSTR name);
/* A NULL name deletes the list `list` itself. */
/** Deletes every list of that name with its content.
    @param job   the job
    @param list  the list the name starts from (0: the root)
    @param name  the list's path; null deletes the list `list` itself */
OVUT_API void WINAPI ProfDeleteListW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
/** @copydoc ProfDeleteListW
    @profA */
OVUT_API void WINAPI ProfDeleteListA(HPROFJOB job, HPROFLIST list, LPCSTR name);
/** Appends a deep copy of the content of one list to another (also across jobs).
    @param destJob   the job receiving the copy
    @param destList  the list receiving the copy (0: the root)
    @param srcJob    the job copied from
    @param srcList   the list copied (0: the root)
    @return 0, -5 invalid job, -8 the destination lies inside the source or the copy would nest
            deeper than 1000 levels (nothing appended). */
OVUT_API int WINAPI ProfCopyList(HPROFJOB destJob, HPROFLIST destList, HPROFJOB srcJob, HPROFLIST srcList);
/** Walks the items of one list, calling the callback once per item in order.
    @param job       the job
    @param list      the list (0: the root)
    @param callback  called per item; returns 0 to stop
    @param user      passed to the callback unchanged
    @return 1 every item visited (or the walked list was deleted by the callback), 0 the callback
            stopped the walk, or an invalid job or null callback. */
OVUT_API int WINAPI ProfEnumW(HPROFJOB job, HPROFLIST list, ProfEnumCallbackW callback, INT_PTR user);
/** @copydoc ProfEnumW
    @profA */
OVUT_API int WINAPI ProfEnumA(HPROFJOB job, HPROFLIST list, ProfEnumCallbackA callback, INT_PTR user);

/* Text values. ProfGetString returns the units copied (size 0: the length), -6 not found. */
/** Copies an item's text into the caller's buffer; a missing item gives the default text.
    @profitem
    @param buffer       receives the text, terminated (may be null when size is 0)
    @param size         the buffer's size in characters; 0 asks for the length
    @param defaultText  the text given when the item is missing (null: empty)
    @return the characters copied (size 0: the text's length), -6 the item is missing, 0 invalid job. */
OVUT_API int WINAPI ProfGetStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPWSTR buffer, int size, LPCWSTR defaultText);
/** @copydoc ProfGetStringW
    @profA */
OVUT_API int WINAPI ProfGetStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPSTR buffer, int size, LPCSTR defaultText);
/** The length of an item's text.
    @profitem
    @return the length in characters, -6 the item is missing, 0 invalid job. */
OVUT_API int WINAPI ProfGetStringLengthW(HPROFJOB job, HPROFLIST list, LPCWSTR name);
/** @copydoc ProfGetStringLengthW
    @profA */
OVUT_API int WINAPI ProfGetStringLengthA(HPROFJOB job, HPROFLIST list, LPCSTR name);
/** Sets the first item of the name to a text, creating it (and its lists) when missing.
    @profitem
    @param value  the text (null: empty) */
OVUT_API void WINAPI ProfSetStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR value);
/** @copydoc ProfSetStringW
    @profA */
OVUT_API void WINAPI ProfSetStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR value);
/** Appends a new item of the name, even when one exists.
    @profitem
    @param value  the text (null: empty) */
OVUT_API void WINAPI ProfAppendStringW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR value);
/** @copydoc ProfAppendStringW
    @profA */
OVUT_API void WINAPI ProfAppendStringA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR value);

/* Settings and diagnostics. Option 1: the code page of every ANSI entry of the library. */
/** Sets a process-wide option.
    @param option  1: the code page of every ANSI entry of the library
    @param value   the option's value (a code page; 0 the ANSI code page of the process)
    Threads: process-wide; set it before other threads use ANSI entries. */
OVUT_API void WINAPI ProfSetOption(int option, int value);
/** Reads a process-wide option.
    @param option  1: the code page of ANSI entries
    @return the option's value, 0 for an unknown option. */
OVUT_API int WINAPI ProfGetOption(int option);
/** Kept for older hosts; has no effect.
    @param flag  ignored */
OVUT_API void WINAPI ProfSetDebug(int flag);
/** Writes a list and everything below it to the debug channel.
    @param job   the job
    @param list  the list (0: the root)
    @return 0, or -5 invalid job. */
OVUT_API int WINAPI ProfDebugList(HPROFJOB job, HPROFLIST list);

/* Typed values, stored as text: Bool "TRUE"/"FALSE", Int "-42", IntHex "x0000001F" (append) or
   "x1f" (set), Int64 unsigned decimal, Int64Hex "x1F"/"x1f", Double "3.140000", Point "(x,y)",
   Rect "(l,t,r,b)", RectLTWH "(l,t,w,h)", Colorref "(r,g,b)". Getters return 0, -6 (default
   stored) or -9 (text of another form). */
/** Appends a new item with a Bool as text: "TRUE" or "FALSE".
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfAppendBoolW(HPROFJOB job, HPROFLIST list, LPCWSTR name, BOOL value);
/** @copydoc ProfAppendBoolW
    @profA */
OVUT_API void WINAPI ProfAppendBoolA(HPROFJOB job, HPROFLIST list, LPCSTR name, BOOL value);
/** Sets the first item of the name to a Bool as text: "TRUE" or "FALSE".
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfSetBoolW(HPROFJOB job, HPROFLIST list, LPCWSTR name, BOOL value);
/** @copydoc ProfSetBoolW
    @profA */
OVUT_API void WINAPI ProfSetBoolA(HPROFJOB job, HPROFLIST list, LPCSTR name, BOOL value);
/** Appends a new item with a Int as text: decimal, "-42".
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfAppendIntW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int value);
/** @copydoc ProfAppendIntW
    @profA */
OVUT_API void WINAPI ProfAppendIntA(HPROFJOB job, HPROFLIST list, LPCSTR name, int value);
/** Sets the first item of the name to a Int as text: decimal, "-42".
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfSetIntW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int value);
/** @copydoc ProfSetIntW
    @profA */
OVUT_API void WINAPI ProfSetIntA(HPROFJOB job, HPROFLIST list, LPCSTR name, int value);
/** Appends a new item with a IntHex as text: hexadecimal, "x0000001F" appended, "x1f" set.
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfAppendIntHexW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int value);
/** @copydoc ProfAppendIntHexW
    @profA */
OVUT_API void WINAPI ProfAppendIntHexA(HPROFJOB job, HPROFLIST list, LPCSTR name, int value);
/** Sets the first item of the name to a IntHex as text: hexadecimal, "x0000001F" appended, "x1f" set.
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfSetIntHexW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int value);
/** @copydoc ProfSetIntHexW
    @profA */
OVUT_API void WINAPI ProfSetIntHexA(HPROFJOB job, HPROFLIST list, LPCSTR name, int value);
/** Appends a new item with a Int64 as text: the unsigned decimal of its bits.
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfAppendInt64W(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG value);
/** @copydoc ProfAppendInt64W
    @profA */
OVUT_API void WINAPI ProfAppendInt64A(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG value);
/** Sets the first item of the name to a Int64 as text: the unsigned decimal of its bits.
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfSetInt64W(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG value);
/** @copydoc ProfSetInt64W
    @profA */
OVUT_API void WINAPI ProfSetInt64A(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG value);
/** Appends a new item with a Int64Hex as text: hexadecimal, "x1F" appended, "x1f" set.
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfAppendInt64HexW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG value);
/** @copydoc ProfAppendInt64HexW
    @profA */
OVUT_API void WINAPI ProfAppendInt64HexA(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG value);
/** Sets the first item of the name to a Int64Hex as text: hexadecimal, "x1F" appended, "x1f" set.
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfSetInt64HexW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG value);
/** @copydoc ProfSetInt64HexW
    @profA */
OVUT_API void WINAPI ProfSetInt64HexA(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG value);
/** Appends a new item with a Double as text: "3.140000".
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfAppendDoubleW(HPROFJOB job, HPROFLIST list, LPCWSTR name, double value);
/** @copydoc ProfAppendDoubleW
    @profA */
OVUT_API void WINAPI ProfAppendDoubleA(HPROFJOB job, HPROFLIST list, LPCSTR name, double value);
/** Sets the first item of the name to a Double as text: "3.140000".
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfSetDoubleW(HPROFJOB job, HPROFLIST list, LPCWSTR name, double value);
/** @copydoc ProfSetDoubleW
    @profA */
OVUT_API void WINAPI ProfSetDoubleA(HPROFJOB job, HPROFLIST list, LPCSTR name, double value);
/** Appends a new item with a Point as text: "(x,y)".
    @profitem
    @param value  the value (null writes nothing) */
OVUT_API void WINAPI ProfAppendPointW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const POINT* value);
/** @copydoc ProfAppendPointW
    @profA */
OVUT_API void WINAPI ProfAppendPointA(HPROFJOB job, HPROFLIST list, LPCSTR name, const POINT* value);
/** Sets the first item of the name to a Point as text: "(x,y)".
    @profitem
    @param value  the value (null writes nothing) */
OVUT_API void WINAPI ProfSetPointW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const POINT* value);
/** @copydoc ProfSetPointW
    @profA */
OVUT_API void WINAPI ProfSetPointA(HPROFJOB job, HPROFLIST list, LPCSTR name, const POINT* value);
/** Appends a new item with a Rect as text: "(left,top,right,bottom)".
    @profitem
    @param value  the value (null writes nothing) */
OVUT_API void WINAPI ProfAppendRectW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const RECT* value);
/** @copydoc ProfAppendRectW
    @profA */
OVUT_API void WINAPI ProfAppendRectA(HPROFJOB job, HPROFLIST list, LPCSTR name, const RECT* value);
/** Sets the first item of the name to a Rect as text: "(left,top,right,bottom)".
    @profitem
    @param value  the value (null writes nothing) */
OVUT_API void WINAPI ProfSetRectW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const RECT* value);
/** @copydoc ProfSetRectW
    @profA */
OVUT_API void WINAPI ProfSetRectA(HPROFJOB job, HPROFLIST list, LPCSTR name, const RECT* value);
/** Appends a new item with a RectLTWH as text: "(left,top,width,height)".
    @profitem
    @param value  the value (null writes nothing) */
OVUT_API void WINAPI ProfAppendRectLTWHW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const RECT* value);
/** @copydoc ProfAppendRectLTWHW
    @profA */
OVUT_API void WINAPI ProfAppendRectLTWHA(HPROFJOB job, HPROFLIST list, LPCSTR name, const RECT* value);
/** Sets the first item of the name to a RectLTWH as text: "(left,top,width,height)".
    @profitem
    @param value  the value (null writes nothing) */
OVUT_API void WINAPI ProfSetRectLTWHW(HPROFJOB job, HPROFLIST list, LPCWSTR name, const RECT* value);
/** @copydoc ProfSetRectLTWHW
    @profA */
OVUT_API void WINAPI ProfSetRectLTWHA(HPROFJOB job, HPROFLIST list, LPCSTR name, const RECT* value);
/** Appends a new item with a Colorref as text: "(r,g,b)".
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfAppendColorrefW(HPROFJOB job, HPROFLIST list, LPCWSTR name, COLORREF value);
/** @copydoc ProfAppendColorrefW
    @profA */
OVUT_API void WINAPI ProfAppendColorrefA(HPROFJOB job, HPROFLIST list, LPCSTR name, COLORREF value);
/** Sets the first item of the name to a Colorref as text: "(r,g,b)".
    @profitem
    @param value  the value */
OVUT_API void WINAPI ProfSetColorrefW(HPROFJOB job, HPROFLIST list, LPCWSTR name, COLORREF value);
/** @copydoc ProfSetColorrefW
    @profA */
OVUT_API void WINAPI ProfSetColorrefA(HPROFJOB job, HPROFLIST list, LPCSTR name, COLORREF value);

/** Reads an item as a Bool (first letter T or Y is TRUE).
    @profitem
    @param out  receives the value (unchanged for -9)
    @param def  the value given and stored when the item is missing
    @return 0 read, -6 missing or invalid job (the default was stored and given), -9 the text has
            another form. */
OVUT_API int WINAPI ProfGetBoolW(HPROFJOB job, HPROFLIST list, LPCWSTR name, BOOL* out, BOOL def);
/** @copydoc ProfGetBoolW
    @profA */
OVUT_API int WINAPI ProfGetBoolA(HPROFJOB job, HPROFLIST list, LPCSTR name, BOOL* out, BOOL def);
/** Reads an item as a Int (decimal or one of the hexadecimal forms).
    @profitem
    @param out  receives the value (unchanged for -9)
    @param def  the value given and stored when the item is missing
    @return 0 read, -6 missing or invalid job (the default was stored and given), -9 the text has
            another form. */
OVUT_API int WINAPI ProfGetIntW(HPROFJOB job, HPROFLIST list, LPCWSTR name, int* out, int def);
/** @copydoc ProfGetIntW
    @profA */
OVUT_API int WINAPI ProfGetIntA(HPROFJOB job, HPROFLIST list, LPCSTR name, int* out, int def);
/** Reads an item as a Int64 (unsigned decimal or hexadecimal).
    @profitem
    @param out  receives the value (unchanged for -9)
    @param def  the value given and stored when the item is missing
    @return 0 read, -6 missing or invalid job (the default was stored and given), -9 the text has
            another form. */
OVUT_API int WINAPI ProfGetInt64W(HPROFJOB job, HPROFLIST list, LPCWSTR name, LONGLONG* out, LONGLONG def);
/** @copydoc ProfGetInt64W
    @profA */
OVUT_API int WINAPI ProfGetInt64A(HPROFJOB job, HPROFLIST list, LPCSTR name, LONGLONG* out, LONGLONG def);
/** Reads an item as a Double (a decimal number).
    @profitem
    @param out  receives the value (unchanged for -9)
    @param def  the value given and stored when the item is missing
    @return 0 read, -6 missing or invalid job (the default was stored and given), -9 the text has
            another form. */
OVUT_API int WINAPI ProfGetDoubleW(HPROFJOB job, HPROFLIST list, LPCWSTR name, double* out, double def);
/** @copydoc ProfGetDoubleW
    @profA */
OVUT_API int WINAPI ProfGetDoubleA(HPROFJOB job, HPROFLIST list, LPCSTR name, double* out, double def);
/* The default must be given; it may be the same pointer as out. */
/** Reads an item as a Point ("(x,y)").
    @profitem
    @param out  receives the value (unchanged for -9)
    @param def  the value given and stored when the item is missing; required, may be the same pointer as out
    @return 0 read, -6 missing or invalid job (the default was stored and given), -9 the text has
            another form. */
OVUT_API int WINAPI ProfGetPointW(HPROFJOB job, HPROFLIST list, LPCWSTR name, POINT* out, const POINT* def);
/** @copydoc ProfGetPointW
    @profA */
OVUT_API int WINAPI ProfGetPointA(HPROFJOB job, HPROFLIST list, LPCSTR name, POINT* out, const POINT* def);
/** Reads an item as a Rect ("(l,t,r,b)").
    @profitem
    @param out  receives the value (unchanged for -9)
    @param def  the value given and stored when the item is missing; required, may be the same pointer as out
    @return 0 read, -6 missing or invalid job (the default was stored and given), -9 the text has
            another form. */
OVUT_API int WINAPI ProfGetRectW(HPROFJOB job, HPROFLIST list, LPCWSTR name, RECT* out, const RECT* def);
/** @copydoc ProfGetRectW
    @profA */
OVUT_API int WINAPI ProfGetRectA(HPROFJOB job, HPROFLIST list, LPCSTR name, RECT* out, const RECT* def);
/** Reads an item as a RectLTWH ("(l,t,w,h)").
    @profitem
    @param out  receives the value (unchanged for -9)
    @param def  the value given and stored when the item is missing; required, may be the same pointer as out
    @return 0 read, -6 missing or invalid job (the default was stored and given), -9 the text has
            another form. */
OVUT_API int WINAPI ProfGetRectLTWHW(HPROFJOB job, HPROFLIST list, LPCWSTR name, RECT* out, const RECT* def);
/** @copydoc ProfGetRectLTWHW
    @profA */
OVUT_API int WINAPI ProfGetRectLTWHA(HPROFJOB job, HPROFLIST list, LPCSTR name, RECT* out, const RECT* def);
/** Reads an item as a Colorref ("(r,g,b)").
    @profitem
    @param out  receives the value (unchanged for -9)
    @param def  the value given and stored when the item is missing
    @return 0 read, -6 missing or invalid job (the default was stored and given), -9 the text has
            another form. */
OVUT_API int WINAPI ProfGetColorrefW(HPROFJOB job, HPROFLIST list, LPCWSTR name, COLORREF* out, COLORREF def);
/** @copydoc ProfGetColorrefW
    @profA */
OVUT_API int WINAPI ProfGetColorrefA(HPROFJOB job, HPROFLIST list, LPCSTR name, COLORREF* out, COLORREF def);

/* Parsing a caller's text without a profile; a NULL text or a text of another form gives the
   default. INT reads decimal only, INT64 unsigned decimal only. */
/** Parses a caller's text as a BOOL value (first letter T or Y) without a profile.
    @param text  the text; null gives the default
    @param out   receives the value
    @param def   the value given for a null text or a text of another form */
OVUT_API void WINAPI ProfLPSTRtoBOOLW(LPCWSTR text, BOOL* out, BOOL def);
/** @copydoc ProfLPSTRtoBOOLW
    @profA */
OVUT_API void WINAPI ProfLPSTRtoBOOLA(LPCSTR text, BOOL* out, BOOL def);
/** Parses a caller's text as a INT value (decimal only) without a profile.
    @param text  the text; null gives the default
    @param out   receives the value
    @param def   the value given for a null text or a text of another form */
OVUT_API void WINAPI ProfLPSTRtoINTW(LPCWSTR text, int* out, int def);
/** @copydoc ProfLPSTRtoINTW
    @profA */
OVUT_API void WINAPI ProfLPSTRtoINTA(LPCSTR text, int* out, int def);
/** Parses a caller's text as a INT64 value (unsigned decimal only) without a profile.
    @param text  the text; null gives the default
    @param out   receives the value
    @param def   the value given for a null text or a text of another form */
OVUT_API void WINAPI ProfLPSTRtoINT64W(LPCWSTR text, LONGLONG* out, LONGLONG def);
/** @copydoc ProfLPSTRtoINT64W
    @profA */
OVUT_API void WINAPI ProfLPSTRtoINT64A(LPCSTR text, LONGLONG* out, LONGLONG def);
/** Parses a caller's text as a RECT value ("(l,t,r,b)") without a profile.
    @param text  the text; null gives the default
    @param out   receives the value
    @param def   the value given for a null text or a text of another form */
OVUT_API void WINAPI ProfLPSTRtoRECTW(LPCWSTR text, RECT* out, const RECT* def);
/** @copydoc ProfLPSTRtoRECTW
    @profA */
OVUT_API void WINAPI ProfLPSTRtoRECTA(LPCSTR text, RECT* out, const RECT* def);
/** Parses a caller's text as a COLORREF value ("(r,g,b)") without a profile.
    @param text  the text; null gives the default
    @param out   receives the value
    @param def   the value given for a null text or a text of another form */
OVUT_API void WINAPI ProfLPSTRtoCOLORREFW(LPCWSTR text, COLORREF* out, COLORREF def);
/** @copydoc ProfLPSTRtoCOLORREFW
    @profA */
OVUT_API void WINAPI ProfLPSTRtoCOLORREFA(LPCSTR text, COLORREF* out, COLORREF def);

OVUT_EXTERN_C_END

#endif

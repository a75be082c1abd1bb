/** @file
    Help objects and the F1 key. */
#ifndef OVUT19_HELP_H
#define OVUT19_HELP_H

#include <oaidl.h>

#include "ovut19/base.h"

/* Help objects: a host attaches one to each top-level window that should answer F1. While at
   least one object is open, a keyboard hook on the thread that opened the first one watches F1:
   it finds the object of the active window (or of its nearest parent or owner that has one),
   works out the help context of the focused control and shows help, either by sending the
   application's help message (wParam the command, lParam the data) or by opening the help file
   itself: ".chm" files in the viewer "HH.EXE" (one viewer per object), older files through the
   system's WinHelp. Shift+Ctrl+Alt+F1 shows a box "Context# n" instead, for checking contexts.

   The context of the focused control: while the context stack is not empty, a sibling window of
   class "orvkHelpID" whose control ID is the negated ID of the focused control gives it as its
   window text (a decimal number); else the first child of class "orvkHelpID" of the active window;
   else the top of the stack. With an empty stack the active window is sent the registered message
   "ZelUtilGetContextHelpID" (RegisterWindowMessageW) and a non-zero answer is the context; with
   none, the contents are shown.

   Commands, as the application's help message receives them: 1 context (data: the context), 2 quit,
   3 contents, 4 help on help, 261 partial key (data: the key text; empty opens the index).
   Threads: meant for one user-interface thread; the F1 hook sees only that thread's keys. */

#define UTILHELP_CONTEXT 1 /**< show the topic of a context (data: the context) */
#define UTILHELP_QUIT 2 /**< close the help viewer */
#define UTILHELP_CONTENTS 3 /**< show the contents */
#define UTILHELP_HELPONHELP 4 /**< show help on using help */
#define UTILHELP_PARTIALKEY 261 /**< search a keyword (data: the key text; empty opens the index) */

#ifdef __cplusplus
/* A help source of the application: asked once for the help message when an object is opened,
   and for the help file when an object needs it and has none yet (until it answers with one). */
struct IUtilHelp : public IUnknown {
  /* Fills *helpFile with the help file's name (allocated with SysAllocString). */
  virtual HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* helpFile) = 0;
  /* Fills *helpMessage with the window message that takes help requests, 0 for none. */
  virtual HRESULT STDMETHODCALLTYPE GetHelpMessage(UINT* helpMessage) = 0;
};
#else
/** A help source of the application (see the C++ declaration). */
typedef struct IUtilHelp IUtilHelp;
#endif

/** A help object attached to a window. */
typedef struct UtilHelp_* HUTILHELP;

OVUT_EXTERN_C_BEGIN

/** Attaches a help object with a help source to a window.
    @param window      the window whose F1 key the object answers (also for its child and owned windows)
    @param helpSource  the application's help source (the object keeps its own reference), or null
    @return the help object, or null when window is not a window.
    Threads: the first object installs the F1 hook for the calling thread. */
OVUT_API HUTILHELP WINAPI UtilHelpOpenEx(HWND window, IUtilHelp* helpSource);

/** Attaches a help object with a fixed help file to a window.
    @param window    the window whose F1 key the object answers (also for its child and owned windows)
    @param helpFile  the help file (".chm" or an older help file); null counts as empty
    @return the help object, or null when window is not a window.
    Threads: the first object installs the F1 hook for the calling thread. */
OVUT_API HUTILHELP WINAPI UtilHelpOpen(HWND window, LPCWSTR helpFile);

/** Detaches a help object: quits the older help viewer when it was used, closes the object's
    HTML viewer, destroys its cursor and releases its help source. The hook goes with the last object.
    @param help  the object; null writes a debug line, an object that is not open is ignored */
OVUT_API void WINAPI UtilHelpClose(HUTILHELP help);

/** Shows help for the current context, as F1 does.
    @param help  the object; null or one not open does nothing (result 0)
    @return 1 help was shown or taken by the application, 0 otherwise (also after the context box). */
OVUT_API int WINAPI UtilHelpDisplay(HUTILHELP help);

/** Shows help for a context number.
    @param help     the object; null or one not open does nothing (result 0)
    @param context  the context number; -1 the current context
    @return 1 help was shown or taken by the application, 0 otherwise (also after the context box). */
OVUT_API int WINAPI UtilHelpDisplayContext(HUTILHELP help, int context);

/** Shows the contents of the help (command 3).
    @param help  the object; null or one not open does nothing (result 0)
    @return 1 shown or sent to the application, 0 otherwise. */
OVUT_API int WINAPI UtilHelpShowContents(HUTILHELP help);

/** Shows the index of the help (command 261 with an empty key).
    @param help  the object; null or one not open does nothing (result 0)
    @return 1 shown or sent to the application, 0 otherwise. */
OVUT_API int WINAPI UtilHelpShowIndex(HUTILHELP help);

/** Shows help on using help (command 4).
    @param help  the object; null or one not open does nothing (result 0)
    @return 1 shown or sent to the application, 0 otherwise. */
OVUT_API int WINAPI UtilHelpShowHelpOnHelp(HUTILHELP help);

/** Runs one help command on an explicit help file, without the application's help message.
    @param help      the object whose viewer is replaced (one viewer per object); null or one not open
                     does nothing (result 0)
    @param window    the owner of the help and of any box
    @param helpFile  the help file; a missing file shows a box (result 0)
    @param command   the command (UTILHELP_CONTEXT, ...)
    @param data      the command's data: the context number, or the key text of UTILHELP_PARTIALKEY
    @return 1 a viewer was started and its window found, or the older viewer accepted the command;
            0 otherwise. */
OVUT_API int WINAPI UtilHelp(HUTILHELP help, HWND window, LPCWSTR helpFile, UINT command, ULONG_PTR data);

/** Pushes a context number on the object's context stack (a dialog on entry).
    @param help     the object; null or one not open does nothing
    @param context  the context number */
OVUT_API void WINAPI UtilHelpPush(HUTILHELP help, int context);

/** Pops the top of the object's context stack (a dialog on exit); on an empty stack it writes a
    debug line and changes nothing.
    @param help  the object; null or one not open does nothing */
OVUT_API void WINAPI UtilHelpPop(HUTILHELP help);

/** The help-mode cursor of the object, owned by the object (valid until UtilHelpClose).
    @param help  the object
    @return the cursor; null for a null object or one not open. */
OVUT_API HCURSOR WINAPI UtilHelpCursor(HUTILHELP help);

/** The help-mode flag the application last set.
    @param help  the object
    @return the flag; 0 for a null object or one not open. */
OVUT_API LONG WINAPI UtilHelpIsInHelpMode(HUTILHELP help);

/** Sets the help-mode flag (kept for the application; the library does not act on it).
    @param help  the object; null or one not open does nothing
    @param flag  the value to keep */
OVUT_API void WINAPI UtilHelpSetHelpMode(HUTILHELP help, LONG flag);

OVUT_EXTERN_C_END

#endif

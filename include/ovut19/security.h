#ifndef OVUT19_SECURITY_H
#define OVUT19_SECURITY_H

#include "ovut19/base.h"
#include <oleauto.h>

OVUT_EXTERN_C_BEGIN

/* Accounts and SIDs.
   An account is written "DOMAIN\name"; an empty domain is written "." (".\Everyone"), and that
   form is accepted back as input. A SID crosses the interface as text: Base64 over its bytes.
   Text results come back in the caller's BSTR variables: allocated when the variable is null,
   otherwise reallocated in place; the caller frees them. A null BSTR pointer means the result is
   not wanted. The token consulted is the thread's impersonation token, else the process token.
   Results: 0 success, -4 a system call failed, -5 bad request (null or empty name, malformed SID
   text, unknown kind, null required pointer). */
OVUT_API int WINAPI UtilGetCurrentUserDomainSID(BSTR* account, BSTR* sid);
/* `use` (may be null) receives the SID_NAME_USE of the account. */
OVUT_API int WINAPI UtilGetSIDOfUser(LPCWSTR account, BSTR* sid, DWORD* use);
OVUT_API int WINAPI UtilGetUserOfSID(LPCWSTR sid, BSTR* account);
/* kind 1: the token's user; kind 2: the token's groups except deny-only ones. Account texts
   separated by TAB. `names` is required; on failure it receives the empty text, except for a bad
   kind (-5), which leaves it alone. */
OVUT_API int WINAPI UtilGetListOfNames(int kind, BSTR* names);

/* File access rights: sets an explicit entry (SET_ACCESS: it replaces explicit entries of the same
   trustee) into the DACL of a file or folder. `inheritance` takes the flags of EXPLICIT_ACCESS
   (e.g. SUB_CONTAINERS_AND_OBJECTS_INHERIT). 0, or -2 on any failure (with a debug line). */
OVUT_API int WINAPI UtilAddAccessRights(LPCWSTR path, LPCWSTR account, DWORD accessMask, DWORD inheritance);
/* The same for installer scripts: ANSI path and the account as SID text. */
OVUT_API int WINAPI UtilAddAccessRightsForWise(LPCSTR path, LPCSTR sid, DWORD accessMask, DWORD inheritance);

/* Logon and impersonation on the calling thread.
   UtilSetupLogonImpersonatedUser logs the user on (interactive logon) and impersonates the token
   on the calling thread; the token goes to *token for UtilSetupLogoffImpersonatedUser. With flag
   UTIL_LOGON_PROMPT and a null or empty user or a null password, the system's credential dialog
   asks for them, but only when UtilGetUIInteractionAllowed() says the process may show UI.
   0; -4 logon or impersonation failed (debug line); -5 null token pointer, or credentials
   missing without UTIL_LOGON_PROMPT; -6 no prompt allowed, no dialog on this system, or the
   dialog was cancelled. */
#define UTIL_LOGON_PROMPT 0x1
OVUT_API int WINAPI UtilSetupLogonImpersonatedUser(LPCWSTR user, LPCWSTR domain, LPCWSTR password, DWORD flags,
                                                   HANDLE* token);
/* Ends impersonation on the calling thread and closes `token` (may be null). 0, or -4. */
OVUT_API int WINAPI UtilSetupLogoffImpersonatedUser(HANDLE token);
/* Impersonates an existing token (a logon or duplicated token) on the calling thread; end it with
   UtilSetupLogoffImpersonatedUser(NULL). 0; -4 refused; -5 null token. */
OVUT_API int WINAPI UtilSetupImpersonateUser(HANDLE token);

/* Who holds a file open over the network: the distinct user names of the sessions holding `path`
   open, TAB-separated, into *users (allocated or reallocated; may be null when only the number
   is wanted), and their number as result. "\\server\share\rest" asks that server (with the
   share's local path looked up there), a local path asks this machine; both usually need
   administrative rights there. -4 when the query fails or the system lacks it (debug line);
   -5 for a null, empty or unusable path. */
OVUT_API int WINAPI UtilGetFileInfoAccess(LPCWSTR path, BSTR* users);

OVUT_EXTERN_C_END

#endif

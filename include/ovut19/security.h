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

OVUT_EXTERN_C_END

#endif

/** @file
   Accounts and SIDs.
   An account is written "DOMAIN\name"; an empty domain is written "." (".\Everyone"), and that
   form is accepted back as input. A SID crosses the interface as text: Base64 over its bytes.
   Text results come back in the caller's BSTR variables: allocated when the variable is null,
   otherwise reallocated in place; the caller frees them. A null BSTR pointer means the result is
   not wanted. The token consulted is the thread's impersonation token, else the process token.
   Results: 0 success, -4 a system call failed, -5 bad request (null or empty name, malformed SID
   text, unknown kind, null required pointer). */
#ifndef OVUT19_SECURITY_H
#define OVUT19_SECURITY_H

#include "ovut19/base.h"
#include <oleauto.h>

OVUT_EXTERN_C_BEGIN

/** The account and SID of the thread's impersonation token, else of the process token.
    @param account  receives "DOMAIN\\name"; null: not wanted
    @param sid      receives the SID text; null: not wanted
    @return 0, -4 a system call failed, -5 bad request. */
OVUT_API int WINAPI UtilGetCurrentUserDomainSID(BSTR* account, BSTR* sid);
/** The SID of an account.
    @param account  "DOMAIN\\name" (".\\name" for accounts without a domain)
    @param sid      receives the SID text
    @param use      receives the account's SID_NAME_USE; may be null
    @return 0, -4 a system call failed, -5 bad request. */
OVUT_API int WINAPI UtilGetSIDOfUser(LPCWSTR account, BSTR* sid, DWORD* use);
/** The account of a SID.
    @param sid      the SID text
    @param account  receives "DOMAIN\\name"
    @return 0, -4 a system call failed, -5 bad request. */
OVUT_API int WINAPI UtilGetUserOfSID(LPCWSTR sid, BSTR* account);
/** Accounts of the token, separated by TAB.
    @param kind   1 the token's user; 2 its groups except deny-only ones
    @param names  receives the list (required); the empty text on failure, untouched for a bad kind
    @return 0, -4 a system call failed, -5 bad request. */
OVUT_API int WINAPI UtilGetListOfNames(int kind, BSTR* names);

/** Sets an explicit allow entry (SET_ACCESS: it replaces explicit entries of the same trustee)
    into the DACL of a file or folder; failures write a debug line.
    @param path         the file or folder
    @param account      "DOMAIN\\name"
    @param accessMask   the rights
    @param inheritance  flags of EXPLICIT_ACCESS (e.g. SUB_CONTAINERS_AND_OBJECTS_INHERIT)
    @return 0, or -2 on any failure. */
OVUT_API int WINAPI UtilAddAccessRights(LPCWSTR path, LPCWSTR account, DWORD accessMask, DWORD inheritance);
/** UtilAddAccessRights for installer scripts: ANSI path and the account as SID text.
    @param path         the file or folder
    @param sid          the account's SID text
    @param accessMask   the rights
    @param inheritance  flags of EXPLICIT_ACCESS
    @return 0, or -2 on any failure. */
OVUT_API int WINAPI UtilAddAccessRightsForWise(LPCSTR path, LPCSTR sid, DWORD accessMask, DWORD inheritance);

/* Logon and impersonation on the calling thread.
   UtilSetupLogonImpersonatedUser logs the user on (interactive logon) and impersonates the token
   on the calling thread; the token goes to *token for UtilSetupLogoffImpersonatedUser. With flag
   UTIL_LOGON_PROMPT and a null or empty user or a null password, the system's credential dialog
   asks for them, but only when UtilGetUIInteractionAllowed() says the process may show UI.
   0; -4 logon or impersonation failed (debug line); -5 null token pointer, or credentials
   missing without UTIL_LOGON_PROMPT; -6 no prompt allowed, no dialog on this system, or the
   dialog was cancelled. */
#define UTIL_LOGON_PROMPT 0x1 /**< Logon flag: ask for missing credentials when UI is allowed. */
/** Logs the user on (interactive logon) and impersonates the token on the calling thread.
    @param user      the user; with UTIL_LOGON_PROMPT null or empty asks
    @param domain    the domain; may be null
    @param password  the password; with UTIL_LOGON_PROMPT null asks
    @param flags     UTIL_LOGON_PROMPT: the system's credential dialog asks for missing
                     credentials, only when UtilGetUIInteractionAllowed() allows it
    @param token     receives the token for UtilSetupLogoffImpersonatedUser
    @return 0; -4 logon or impersonation failed (debug line); -5 null token pointer, or
            credentials missing without UTIL_LOGON_PROMPT; -6 no prompt allowed, no dialog on
            this system, or the dialog was cancelled.
    Threads: impersonates the calling thread only. */
OVUT_API int WINAPI UtilSetupLogonImpersonatedUser(LPCWSTR user, LPCWSTR domain, LPCWSTR password, DWORD flags,
                                                   HANDLE* token);
/** Ends impersonation on the calling thread and closes the token.
    @param token  the token; null only ends impersonation
    @return 0, or -4. */
OVUT_API int WINAPI UtilSetupLogoffImpersonatedUser(HANDLE token);
/** Impersonates an existing token (a logon or duplicated token) on the calling thread; end it
    with UtilSetupLogoffImpersonatedUser(NULL).
    @param token  the token
    @return 0; -4 refused; -5 null token. */
OVUT_API int WINAPI UtilSetupImpersonateUser(HANDLE token);

/** Who holds a file open over the network: the distinct user names of the sessions holding it.
    "\\\\server\\share\\rest" asks that server, a local path this machine; both usually need
    administrative rights there.
    @param path   the file
    @param users  receives the names, TAB-separated; may be null when only the number is wanted
    @return the number of users; -4 the query failed or the system lacks it (debug line); -5 a
            null, empty or unusable path. */
OVUT_API int WINAPI UtilGetFileInfoAccess(LPCWSTR path, BSTR* users);

OVUT_EXTERN_C_END

#endif

// System functions this subsystem finds at run time, through the late-loading layer.
// Every caller checks for null: without them the step fails with a debug line.
#pragma once
#include <windows.h>

namespace ovut::security {

using NetFileEnumFn = DWORD(WINAPI*)(LPWSTR server, LPWSTR basePath, LPWSTR user, DWORD level, BYTE** buffer,
                                     DWORD maxLength, DWORD* read, DWORD* total, PDWORD_PTR resume);
using NetShareGetInfoFn = DWORD(WINAPI*)(LPWSTR server, LPWSTR share, DWORD level, BYTE** buffer);
using NetApiBufferFreeFn = DWORD(WINAPI*)(void* buffer);
// CredUIPromptForCredentialsW
using CredPromptFn = DWORD(WINAPI*)(void* uiInfo, LPCWSTR target, void* reserved, DWORD authError, LPWSTR user,
                                    ULONG userSize, LPWSTR password, ULONG passwordSize, BOOL* save, DWORD flags);

struct NetApiFunctions {
  NetFileEnumFn fileEnum = nullptr;
  NetShareGetInfoFn shareGetInfo = nullptr;
  NetApiBufferFreeFn bufferFree = nullptr;
};

// Null when the library or one of the functions is missing.
const NetApiFunctions* NetApi() noexcept;
CredPromptFn CredentialPrompt() noexcept;

}  // namespace ovut::security

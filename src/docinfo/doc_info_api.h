// The document-information front end behind the exports: handles, requests and share questions.
#pragma once
#include <windows.h>

#include "docinfo/docu_list.h"
#include "ovut19/docinfo.h"

namespace docinfo {

// A new handle, or null when memory ran out.
HUTILDOCINFO OpenHandle(DWORD cacheSeconds) noexcept;
// Waits until no call uses the handle any more, then destroys it. Unknown handles are ignored.
void CloseHandle(HUTILDOCINFO handle) noexcept;
// 1 information available (request filled), 0 not (also for an unknown handle or null path).
int GetInfo(HUTILDOCINFO handle, const wchar_t* path, UTIL_DOCINFO_REQUEST* request, DWORD timeoutSeconds) noexcept;
// 1 reachable share, 0 known unreachable, -1 null path or not on a share.
int ShareAccessibility(const wchar_t* path) noexcept;

// Copies a state into the host's variants as the request asks.
void FillRequest(const DocuState& state, UTIL_DOCINFO_REQUEST& request) noexcept;

// The list behind an open handle, for tests; null for an unknown one.
clsDocuList* ListOfHandleForTesting(HUTILDOCINFO handle) noexcept;

}  // namespace docinfo

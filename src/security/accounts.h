// Account names and SIDs. An account is written "DOMAIN\name", with "." for an empty domain
// (".\Everyone"); that form is accepted back as input. Results are 0 or a code of results.h.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut::security {

// The account text of a SID on the local system; 0 or the lookup's error.
DWORD AccountOfSid(PSID sid, String& account) noexcept;

// The account name to look up: ".\name" becomes "name".
const wchar_t* LookupName(const wchar_t* account) noexcept;

int SidOfUser(const wchar_t* account, String& sidText, SID_NAME_USE& use) noexcept;
int UserOfSid(const wchar_t* sidText, String& account) noexcept;
// The token's user; *sidText is filled before the account is looked up, so it is set even when
// that lookup fails. Null pointers are not filled.
int CurrentUserDomainSid(String* account, String* sidText) noexcept;

constexpr int kListUser = 1;
constexpr int kListGroups = 2;
// TAB-separated account texts of the token's user or groups (deny-only groups left out). On a
// failure `names` is empty; kind other than 1 and 2 leaves it alone.
int ListOfNames(int kind, String& names) noexcept;

}  // namespace ovut::security

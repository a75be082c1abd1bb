// A SID as text: Base64 over its bytes (length as GetLengthSid reports), so that it fits into
// settings files and profiles.
#pragma once
#include <windows.h>

#include <vector>

#include "foundation/string.h"

namespace ovut::security {

String SidToText(PSID sid) noexcept;
// The SID bytes of a text; false unless the text decodes to exactly one well-formed SID.
bool TextToSid(const wchar_t* text, std::vector<BYTE>& sid) noexcept;

}  // namespace ovut::security

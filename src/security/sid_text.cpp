#include "security/sid_text.h"

#include <cwchar>

#include "profile/codec/base64.h"

namespace ovut::security {

String SidToText(PSID sid) noexcept {
  try {
    if (!sid || !IsValidSid(sid)) return String();
    return codec::Base64Encode(static_cast<const uint8_t*>(sid), GetLengthSid(sid));
  } catch (...) {
    return String();
  }
}

bool TextToSid(const wchar_t* text, std::vector<BYTE>& sid) noexcept {
  try {
    if (!text) return false;
    const size_t length = wcslen(text);
    // The largest SID (15 sub-authorities) is 68 bytes, 92 characters of Base64.
    if (length == 0 || length > 256) return false;
    std::vector<BYTE> bytes(codec::Base64DecodedCapacity(length));
    bytes.resize(codec::Base64Decode(text, length, bytes.data()));
    // Checked before IsValidSid, which trusts the sub-authority count it reads.
    if (bytes.size() < 8 || bytes[0] != SID_REVISION || bytes[1] > SID_MAX_SUB_AUTHORITIES ||
        bytes.size() != 8u + 4u * bytes[1] || !IsValidSid(bytes.data()))
      return false;
    sid.swap(bytes);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace ovut::security

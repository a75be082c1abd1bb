// Decoding packed text into memory with a verdict, for callers that must not touch their
// target unless the text really decodes: a payload enciphered with another password, or not
// enciphered where a password is expected, no longer carries the packed-buffer marker.
#pragma once
#include <cstddef>

#include "foundation/string.h"
#include "profile/codec/pack.h"

namespace ovut::codec {

enum class DecodeVerdict {
  kOk,        // `out` holds the decoded bytes
  kEmpty,     // the text is empty
  kNoMarker,  // "@2@" text whose (deciphered) buffer lacks the marker; `out` holds those bytes
  kDamaged,   // the packed data does not unpack, or the memory ran out; `out` is empty
};

// The same reading as TextToStream (packed_text.h), into `out` instead of a stream.
// With `checkOnly` a "@2@" text is only deciphered and checked for the marker (no inflating);
// `out` is then left empty.
DecodeVerdict DecodeText(const wchar_t* text, size_t length, const String& password, ByteBuffer& out,
                         bool checkOnly = false) noexcept;

}  // namespace ovut::codec

// Base64 (RFC 4648 alphabet, "=" padding, no line breaks) between bytes and UTF-16 text.
// The decoder never rejects input: blanks, control units and foreign characters are skipped,
// "=" and the end of the text count as the value 0.
#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/string.h"

namespace ovut::codec {

String Base64Encode(const uint8_t* data, size_t length);

// Bytes Base64Decode may produce for a text of `length` units: (length / 4 + 1) * 3.
inline size_t Base64DecodedCapacity(size_t length) { return (length / 4 + 1) * 3; }

// Decodes `length` units into `out` (at least Base64DecodedCapacity(length) bytes) and returns
// the byte count. Per group of four characters the count grows by 0 when the group's first
// character is "=", else 1, 2 when its third is not "=" too, 3 when its fourth is not "=" too;
// with `fullGroups` (the old "@1@" form) every group counts 3 bytes.
size_t Base64Decode(const wchar_t* text, size_t length, uint8_t* out, bool fullGroups = false);

}  // namespace ovut::codec

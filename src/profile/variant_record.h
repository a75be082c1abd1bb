// The binary record that carries one VARIANT inside a profile value: the 2-byte VARTYPE
// (by-reference flag resolved) followed by the data bytes of that type, little-endian, no
// padding, no length. Types the record cannot carry (arrays, objects, VT_DECIMAL, VT_CLSID ...)
// are written as their VARTYPE alone and read back as VT_EMPTY.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <cstdint>

#include "profile/codec/pack.h"

namespace ovut::profile {

// The record of `value`, by-reference forms resolved. False only when out of memory.
bool EncodeVariantRecord(const VARIANT& value, ovut::codec::ByteBuffer& out) noexcept;

// The value a record stands for, in `out` (overwritten as it is: pass a cleared VARIANT).
// Records too short for their type, unknown types and VT_CLSID give VT_EMPTY. VT_FILETIME
// takes 8 bytes; a record with only 2 (older files) gives those 2 and zeros.
void DecodeVariantRecord(const uint8_t* data, size_t size, VARIANT& out) noexcept;

// Replaces `*out` (cleared first) by a copy of `*source` with by-reference values resolved.
// VT_FILETIME and VT_CLSID, which the platform's copy refuses, are copied by hand (a VT_CLSID
// keeps pointing at the caller's GUID); other values the copy refuses, and a null source, give
// VT_EMPTY. `out` and `source` may be the same VARIANT.
void CopyVariantResolved(VARIANT* out, const VARIANT* source) noexcept;

}  // namespace ovut::profile

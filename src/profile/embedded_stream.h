// Binary payloads in profile values: the bytes of a stream or file as packed text, enciphered
// when a password is given. Reading one back never touches the target unless the text decodes
// completely, so a wrong password or damaged text cannot overwrite the caller's data.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <cstddef>

#include "foundation/string.h"
#include "profile/codec/pack.h"
#include "profile/job.h"

class clsFile;

namespace ovut::profile {

// Results of reading a payload back (beside 0 and the profile family's -6).
constexpr int kPayloadNotWritten = -3;     // the target could not be written
constexpr int kPayloadDamaged = -7;        // the text does not decode (damaged packed data)
constexpr int kPayloadWrongPassword = -11; // the password does not fit (wrong, missing or superfluous)

// The bytes a stored value stands for: 0, -6 (empty text), kPayloadDamaged or
// kPayloadWrongPassword; `out` holds the bytes only for 0.
int DecodePayload(const wchar_t* text, size_t length, const String& password, ovut::codec::ByteBuffer& out) noexcept;

// Replaces the content of `target` by `data` and leaves it at offset 0. False when a write failed.
bool WriteWhole(clsFile& target, const ovut::codec::ByteBuffer& data);

// These two run behind an export boundary (they may throw when out of memory).
// ProfAppendStream / ProfAppendFile: appends a value item with the packed text of the whole
// source (from offset 0); a source that cannot be read gives the empty value.
void AppendPayload(ProfHandle job, ProfHandle list, const wchar_t* name, const wchar_t* password, clsFile& source);

// ProfGetStream / ProfGetFile: 0 for an invalid job; -6 when the value item is missing or
// empty; a negative result of DecodePayload or kPayloadNotWritten; else 0 with the target
// holding exactly the decoded bytes, positioned at 0. The target (a stream, or a file handle
// that is duplicated for the call) is touched only once the bytes are decoded.
int GetPayload(ProfHandle job, ProfHandle list, const wchar_t* name, const wchar_t* password, IStream* target);
int GetPayload(ProfHandle job, ProfHandle list, const wchar_t* name, const wchar_t* password, HANDLE target);

}  // namespace ovut::profile

// Variant values as profile text: "var://" and the packed text of the variant record
// (variant_record.h); records above 100 bytes are compressed ("var://@2@..."). Any other text
// stands for itself and reads back as VT_BSTR; the empty text as VT_EMPTY.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <cstddef>

#include "foundation/string.h"
#include "profile/job.h"

namespace ovut::profile {

constexpr size_t kVariantPrefixLength = 6;  // "var://"
constexpr size_t kVariantCompressAbove = 100;

// The value text of `value`; false when out of memory (`text` is then empty).
bool VariantToText(const VARIANT& value, String& text) noexcept;

// Replaces `*out` (cleared first) by the value a stored text stands for. Damaged records come
// back as VT_EMPTY.
void TextToVariant(const wchar_t* text, size_t length, VARIANT* out) noexcept;

// ProfAppendVariant / ProfSetVariant: a null value does nothing.
void WriteVariant(ProfHandle job, ProfHandle list, const wchar_t* name, const VARIANT* value, bool append) noexcept;

// ProfGetVariant: 0 without touching `out` for a null `out` or an invalid job; -6 with the
// default (null: VT_EMPTY) copied into `out` when there is no value item; else 0.
int GetVariant(ProfHandle job, ProfHandle list, const wchar_t* name, VARIANT* out, const VARIANT* def) noexcept;

}  // namespace ovut::profile

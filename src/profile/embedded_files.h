// File collections in a profile: one "File.Entry" list per stored file, holding "Name" (the
// file name without folder) and "Contents" (its packed text, enciphered with a password).
// Extraction writes only plain file names into the target folder: a profile made elsewhere
// cannot place files outside it or open devices and alternate streams.
#pragma once
#include <cstddef>

#include "foundation/string.h"
#include "profile/job.h"

namespace ovut::profile {

constexpr int kExtractNoFolder = -4;  // the target folder cannot be created

// The last component of a stored name (after the last "\" or "/").
String LastPathComponent(const wchar_t* name, size_t length);
// True for a name that creates a plain file in a folder: not empty, not only dots and blanks,
// no ":" (drives, alternate streams), no control units or wildcard and reserved characters, and
// no device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, with any extension).
bool IsPlainFileName(const String& name) noexcept;

// ProfAppendFiles: an entry for every non-empty readable regular file matching `pattern` (the
// list 0 is the root). The result counts every matching file, including those without an entry;
// 0 for an invalid job or a null pattern. May throw when out of memory.
int AppendFiles(ProfHandle job, ProfHandle list, const wchar_t* pattern, const wchar_t* password);

// ProfExtractFiles: writes the entries of `list` (direct items only) into `folder`, created one
// level deep when missing. The number of files written; 0 for an invalid job, a null folder or
// no entries; kExtractNoFolder; kPayloadWrongPassword (embedded_stream.h) when the password does
// not fit an entry, checked before anything is created. May throw when out of memory.
int ExtractFiles(ProfHandle job, ProfHandle list, const wchar_t* folder, const wchar_t* password);

}  // namespace ovut::profile

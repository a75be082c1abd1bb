// The narrow texts of a stored property set, read from its stream: the platform's property
// storage hands them out converted to the process's ANSI code page, which loses every character
// outside it (a set in UTF-8 with Japanese text reads as empty), so they are decoded here in the
// set's own code page instead.
#pragma once
#include <windows.h>
#include <objidl.h>

#include "foundation/string.h"

namespace docinfo {

enum class SetStream { kMissing, kMalformed, kSound };

// Checks the first section of the stored set and fills texts[id - first] (and sets
// found[id - first]) for each property first..last whose value is a narrow string, decoded in the
// section's code page (UTF-8 when the bytes are valid UTF-8). kMalformed when the section or one
// of the properties first..last (or the code page) lies outside the stream or has a type a
// summary never holds (vectors, arrays, references): such a set is not handed to the platform's
// property storage, which does not survive every one of them. Reads at most a fixed cap of the
// stream. Call it while the set is not open: the stream is opened exclusively.
SetStream ScanPropertySetStream(IStorage* storage, const wchar_t* streamName, PROPID first, PROPID last,
                                String* texts, bool* found);

}  // namespace docinfo

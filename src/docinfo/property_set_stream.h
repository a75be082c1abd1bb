// The narrow texts of a stored property set, read from its stream: the platform's property
// storage hands them out converted to the process's ANSI code page, which loses every character
// outside it (a set in UTF-8 with Japanese text reads as empty), so they are decoded here in the
// set's own code page instead.
#pragma once
#include <windows.h>
#include <objidl.h>

#include "foundation/string.h"

namespace docinfo {

// Fills texts[id - first] (and sets found[id - first]) for each property first..last of the
// first section whose value is a narrow string, decoded in the section's code page (UTF-8 when
// the bytes are valid UTF-8). False when the stream is missing or malformed; reads at most a
// fixed cap of the stream. Call it while the set is not open: the stream is opened exclusively.
bool ReadNarrowTexts(IStorage* storage, const wchar_t* streamName, PROPID first, PROPID last, String* texts,
                     bool* found);

}  // namespace docinfo

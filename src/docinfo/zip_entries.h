// The minimal ZIP reader of the container formats: finds one entry by name and extracts its
// data, with a cap on what is inflated.
#pragma once
#include <cstddef>
#include <string>

#include "docinfo/doc_fields.h"

namespace docinfo {

enum class ZipEntryResult { kFound, kMissing, kBadFormat, kUnknownMethod };

// Looks for the first of `names` (exact, case-sensitive) by walking the local headers from the
// start, then, where they do not lead to it, through the central directory. `found` receives
// the index of the name found; `data` at most `maxOut` bytes of the entry (cut there).
ZipEntryResult ExtractZipEntry(const DocSource& source, const char* const* names, int count, size_t maxOut,
                               int& found, std::string& data);

}  // namespace docinfo

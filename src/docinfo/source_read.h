// Bounded reads from a reader's source: a reader never holds more of a file than it asks for
// here, whatever size the file claims.
#pragma once
#include <cstddef>
#include <string>

#include "docinfo/doc_fields.h"

namespace docinfo {

// Reads at most `max` bytes at `offset` (less at the end of the source) into `out`. False when
// the read fails; an offset at or past the end gives true and no bytes.
bool ReadSourceAt(const DocSource& source, ULONGLONG offset, size_t max, std::string& out);

// The last `max` bytes of the source; `offset` receives where they start.
bool ReadSourceTail(const DocSource& source, size_t max, std::string& out, ULONGLONG& offset);

}  // namespace docinfo

// Inflating parts of a document with hard limits on what is read and what is produced: a
// metadata reader never needs more than a few MiB, whatever a hostile file declares.
#pragma once
#include <cstddef>
#include <string>

#include "docinfo/doc_fields.h"

namespace docinfo {

enum class Deflate { kRaw, kZlib };

struct InflateResult {
  bool ok = false;        // the data inflated without error up to where it stopped
  bool ended = false;     // the deflate stream ended (not cut by a limit or the file's end)
  ULONGLONG consumed = 0; // compressed bytes used, up to the stream's end
};

// Inflates the source from `offset`, reading at most `maxIn` bytes and producing at most
// `maxOut` bytes into `out` (stopping there).
InflateResult InflateFromSource(const DocSource& source, ULONGLONG offset, ULONGLONG maxIn, size_t maxOut,
                                Deflate kind, std::string& out);

// The same over bytes in memory.
InflateResult InflateBytes(const char* data, size_t count, size_t maxOut, Deflate kind, std::string& out);

}  // namespace docinfo

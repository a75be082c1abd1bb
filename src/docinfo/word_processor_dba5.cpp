// Documents of the older word processor whose files start with DB A5 2D 00. The file information
// block at the start locates the text; its summary strings are not taken, only the block is
// checked: a file that passes counts as read (the loader keeps its dates), anything else is not
// of this format.
#include "diagnostics/debug_output.h"
#include "docinfo/byte_source.h"
#include "docinfo/doc_fields.h"

namespace docinfo {

int ReadWordProcessorDBA5(const DocSource& source, DocFields&) noexcept {
  // Identifier and version, then (at 0x18 and 0x1C) the first and last file offset of the text.
  uint8_t block[32];
  if (!ByteSource(source).Read(0, block, sizeof block) || Get32(block, false) != 0x002DA5DB) return -1;
  const uint32_t textStart = Get32(block + 0x18, false), textEnd = Get32(block + 0x1C, false);
  if (textStart > textEnd || textEnd > source.size) {
    ovut::debug::Warning(L"WRN: %s: text range %#lx-%#lx lies outside the file", source.path ? source.path : L"",
                         static_cast<unsigned long>(textStart), static_cast<unsigned long>(textEnd));
    return -1;
  }
  return 0;
}

}  // namespace docinfo

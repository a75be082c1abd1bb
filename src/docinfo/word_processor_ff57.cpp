// Documents of the older word processor whose files start with FF 57 50 43. Its summary sits in
// a packet area whose layout differs between the format's versions, so only the header is
// checked: a file that passes counts as read (the loader keeps its dates), anything else is not
// of this format.
#include "diagnostics/debug_output.h"
#include "docinfo/byte_source.h"
#include "docinfo/doc_fields.h"

namespace docinfo {

int ReadWordProcessorFF57(const DocSource& source, DocFields&) noexcept {
  // Signature, offset of the document area, product and file type, version, encryption key.
  uint8_t header[16];
  if (!ByteSource(source).Read(0, header, sizeof header) || Get32(header, false) != 0x435057FF) return -1;
  const uint32_t documentArea = Get32(header + 4, false);
  if (documentArea < sizeof header || documentArea > source.size) {
    ovut::debug::Warning(L"WRN: %s: document area at %#lx lies outside the file", source.path ? source.path : L"",
                         static_cast<unsigned long>(documentArea));
    return -1;
  }
  return 0;
}

}  // namespace docinfo

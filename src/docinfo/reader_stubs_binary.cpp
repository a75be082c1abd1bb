// Placeholders until the binary-format readers land: every file is "not of this format".
#include "docinfo/doc_fields.h"

namespace docinfo {
int ReadOlePropertySets(const DocSource&, DocFields&) noexcept { return -1; }
int ReadOutlookMessage(const DocSource&, DocFields&) noexcept { return -1; }
int ReadTiff(const DocSource&, DocFields&) noexcept { return -1; }
int ReadJpeg(const DocSource&, DocFields&) noexcept { return -1; }
int ReadFilter(const DocSource&, DocFields&) noexcept { return -1; }
int ReadWordProcessorFF57(const DocSource&, DocFields&) noexcept { return -1; }
int ReadWordProcessorDBA5(const DocSource&, DocFields&) noexcept { return -1; }
}  // namespace docinfo

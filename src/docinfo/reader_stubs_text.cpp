// Placeholders until the text-format readers land: every file is "not of this format".
#include "docinfo/doc_fields.h"

namespace docinfo {
int ReadMail(const DocSource&, DocFields&) noexcept { return -1; }
int ReadHtml(const DocSource&, DocFields&) noexcept { return -1; }
int ReadPdf(const DocSource&, DocFields&) noexcept { return -1; }
int ReadRtf(const DocSource&, DocFields&) noexcept { return -1; }
int ReadZipContainer(const DocSource&, DocFields&) noexcept { return -1; }
int ReadXml(const DocSource&, DocFields&) noexcept { return -1; }
}  // namespace docinfo

// TIFF images: the tags of the main directory and its EXIF directory.
#include "docinfo/doc_fields.h"
#include "docinfo/tiff_structure.h"

namespace docinfo {

int ReadTiff(const DocSource& source, DocFields& fields) noexcept {
  return ReadTiffStructure(ByteSource(source), 0, source.size, source.path, fields);
}

}  // namespace docinfo

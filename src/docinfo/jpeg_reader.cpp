// JPEG images: the EXIF block (an APP1 segment holding a TIFF structure) found among the
// segments before the image data.
#include <cstring>

#include "diagnostics/debug_output.h"
#include "docinfo/doc_fields.h"
#include "docinfo/tiff_structure.h"

namespace docinfo {
namespace {

constexpr uint8_t kStartOfImage = 0xD8, kEndOfImage = 0xD9, kStartOfScan = 0xDA, kApp1 = 0xE1;
// Metadata segments come first; a file that needs more than this many segments to reach its EXIF
// block has none worth the time.
constexpr int kMaxSegments = 1024;

}  // namespace

int ReadJpeg(const DocSource& source, DocFields& fields) noexcept {
  const ByteSource bytes(source);
  ULONGLONG at = 0;
  for (int segment = 0; segment < kMaxSegments; ++segment) {
    uint8_t marker[4];
    if (!bytes.Read(at, marker, 2) || marker[0] != 0xFF) return -1;
    if (marker[1] == kStartOfImage) {
      at += 2;
      continue;
    }
    // Past the end of the image or into the compressed data there is no EXIF block.
    if (marker[1] == kEndOfImage || marker[1] == kStartOfScan) return -1;
    if (!bytes.Read(at + 2, marker + 2, 2)) return -1;
    const uint16_t length = Get16(marker + 2, true);  // counts itself, not the marker
    if (length < 2) return -1;
    const ULONGLONG data = at + 4;
    const ULONGLONG dataLength = length - 2u;
    at += 2u + length;
    if (marker[1] != kApp1) continue;
    // Other programs keep their own data in APP1 segments too (XMP); only "Exif\0\0" is EXIF.
    uint8_t id[6];
    if (dataLength < sizeof id || !bytes.Read(data, id, sizeof id) || std::memcmp(id, "Exif", 4) != 0) continue;
    return ReadTiffStructure(bytes, data + 6, dataLength - 6, source.path, fields);
  }
  return -1;
}

}  // namespace docinfo

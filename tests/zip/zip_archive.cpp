#include "zip/zip_archive.h"

namespace ziptest {

ArchiveView ReadArchive(const std::string& b) {
  ArchiveView v;
  if (b.size() < 22) return v;
  // The end record is the last signature whose comment reaches exactly to the end.
  size_t end = std::string::npos;
  for (size_t i = b.size() - 22 + 1; i-- > 0;) {
    if (GetLE<uint32_t>(b, i) == 0x06054B50 && i + 22 + GetLE<uint16_t>(b, i + 20) == b.size()) {
      end = i;
      break;
    }
  }
  if (end == std::string::npos) return v;
  v.entries = GetLE<uint16_t>(b, end + 10);
  v.directorySize = GetLE<uint32_t>(b, end + 12);
  v.directoryOffset = GetLE<uint32_t>(b, end + 16);
  v.comment = b.substr(end + 22);
  if (end >= 20 && GetLE<uint32_t>(b, end - 20) == 0x07064B50) {
    uint64_t at = GetLE<uint64_t>(b, end - 20 + 8);
    if (at + 56 > b.size() || GetLE<uint32_t>(b, static_cast<size_t>(at)) != 0x06064B50) return v;
    size_t r = static_cast<size_t>(at);
    v.zip64End = true;
    v.entries = GetLE<uint64_t>(b, r + 32);
    v.directorySize = GetLE<uint64_t>(b, r + 40);
    v.directoryOffset = GetLE<uint64_t>(b, r + 48);
  }
  size_t p = static_cast<size_t>(v.directoryOffset);
  for (uint64_t n = 0; n < v.entries; ++n) {
    if (p + 46 > b.size() || GetLE<uint32_t>(b, p) != 0x02014B50) return v;
    CentralEntry e;
    e.madeBy = GetLE<uint16_t>(b, p + 4);
    e.needed = GetLE<uint16_t>(b, p + 6);
    e.flags = GetLE<uint16_t>(b, p + 8);
    e.method = GetLE<uint16_t>(b, p + 10);
    e.time = GetLE<uint16_t>(b, p + 12);
    e.date = GetLE<uint16_t>(b, p + 14);
    e.crc = GetLE<uint32_t>(b, p + 16);
    e.compressed = GetLE<uint32_t>(b, p + 20);
    e.uncompressed = GetLE<uint32_t>(b, p + 24);
    size_t nameLen = GetLE<uint16_t>(b, p + 28), extraLen = GetLE<uint16_t>(b, p + 30),
           commentLen = GetLE<uint16_t>(b, p + 32);
    e.attributes = GetLE<uint32_t>(b, p + 38);
    e.offset = GetLE<uint32_t>(b, p + 42);
    if (p + 46 + nameLen + extraLen + commentLen > b.size()) return v;
    e.name = b.substr(p + 46, nameLen);
    e.extra = b.substr(p + 46 + nameLen, extraLen);
    e.comment = b.substr(p + 46 + nameLen + extraLen, commentLen);
    v.central.push_back(e);
    p += 46 + nameLen + extraLen + commentLen;
  }
  v.ok = p == v.directoryOffset + v.directorySize;
  return v;
}

}  // namespace ziptest

// Small test-side view of an archive: the end record and the central directory, read with the
// classic fields (and the ZIP64 end record when the locator is there).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ziptest {

struct CentralEntry {
  uint16_t madeBy, needed, flags, method, time, date;
  uint32_t crc, compressed, uncompressed;
  uint32_t attributes, offset;
  std::string name, extra, comment;
};

struct ArchiveView {
  bool ok = false;
  uint64_t entries = 0;           // from the ZIP64 end record when there is one
  uint64_t directorySize = 0;
  uint64_t directoryOffset = 0;
  bool zip64End = false;
  std::string comment;
  std::vector<CentralEntry> central;
};

ArchiveView ReadArchive(const std::string& bytes);

template <class T>
void PutLE(std::string& out, T value) {
  for (size_t i = 0; i < sizeof(T); ++i) out += static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
}
template <class T>
T GetLE(const std::string& in, size_t at) {
  uint64_t v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) v |= static_cast<uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  return static_cast<T>(v);
}

}  // namespace ziptest

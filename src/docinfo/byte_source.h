// Bounded reading of a document through the loader's handle, and the decoding of the byte
// texts binary formats store. Input is hostile: nothing here reads past the file's size or
// allocates more than its caller's cap.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "docinfo/doc_fields.h"

namespace docinfo {

class ByteSource {
 public:
  explicit ByteSource(const DocSource& source) noexcept : file_(source.file), size_(source.size) {}
  ULONGLONG Size() const noexcept { return size_; }
  // True when all `count` bytes at `offset` lie inside the file and were read.
  bool Read(ULONGLONG offset, void* buffer, size_t count) const noexcept;

 private:
  HANDLE file_;
  ULONGLONG size_;
};

// Text of stored bytes, up to the first 0 byte: UTF-8 when the bytes are valid UTF-8 (what
// current programs write), else the given code page (the ANSI code page when 0).
String TextFromBytes(const char* bytes, size_t count, UINT codePage = 0);

// Unsigned integers in either byte order.
inline uint16_t Get16(const uint8_t* p, bool bigEndian) noexcept {
  return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
}
inline uint32_t Get32(const uint8_t* p, bool bigEndian) noexcept {
  return bigEndian ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                   : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
}

// A UTC file time as local system time; false (and `out` untouched) when it does not convert
// or is 0, the "not set" value of every format read here.
bool LocalTimeFromFileTime(const FILETIME& utc, SYSTEMTIME& out) noexcept;

}  // namespace docinfo

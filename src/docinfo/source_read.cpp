#include "docinfo/source_read.h"

namespace docinfo {

bool ReadSourceAt(const DocSource& source, ULONGLONG offset, size_t max, std::string& out) {
  out.clear();
  if (!source.file || source.file == INVALID_HANDLE_VALUE) return false;
  if (offset >= source.size) return true;
  const ULONGLONG left = source.size - offset;
  const size_t want = left < max ? static_cast<size_t>(left) : max;
  out.resize(want);
  size_t got = 0;
  while (got < want) {
    OVERLAPPED at{};
    const ULONGLONG pos = offset + got;
    at.Offset = static_cast<DWORD>(pos);
    at.OffsetHigh = static_cast<DWORD>(pos >> 32);
    const size_t chunk = want - got < (1u << 30) ? want - got : (1u << 30);
    DWORD read = 0;
    if (!ReadFile(source.file, &out[got], static_cast<DWORD>(chunk), &read, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      out.clear();
      return false;
    }
    if (read == 0) break;  // the file shrank under us
    got += read;
  }
  out.resize(got);
  return true;
}

bool ReadSourceTail(const DocSource& source, size_t max, std::string& out, ULONGLONG& offset) {
  offset = source.size > max ? source.size - max : 0;
  return ReadSourceAt(source, offset, max, out);
}

}  // namespace docinfo

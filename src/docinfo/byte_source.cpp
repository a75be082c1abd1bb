#include "docinfo/byte_source.h"

#include <cstring>

namespace docinfo {

bool ByteSource::Read(ULONGLONG offset, void* buffer, size_t count) const noexcept {
  if (offset > size_ || count > size_ - offset) return false;
  auto* out = static_cast<BYTE*>(buffer);
  while (count > 0) {
    // Positioned reads: the handle's file pointer belongs to the loader.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = count > 0x100000 ? 0x100000 : static_cast<DWORD>(count);
    DWORD got = 0;
    if (!ReadFile(file_, out, chunk, &got, &at) || got == 0) return false;
    out += got;
    offset += got;
    count -= got;
  }
  return true;
}

String TextFromBytes(const char* bytes, size_t count, UINT codePage) {
  const void* end = std::memchr(bytes, 0, count);
  if (end) count = static_cast<const char*>(end) - bytes;
  if (count == 0) return String();
  if (count > 0x7FFFFFF0) count = 0x7FFFFFF0;
  const int n = static_cast<int>(count);
  const bool utf8 = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, n, nullptr, 0) > 0;
  String text(bytes, n, utf8 ? CP_UTF8 : codePage ? codePage : CP_ACP);
  text.SetCodePage(String::DefaultCodePage());
  return text;
}

bool LocalTimeFromFileTime(const FILETIME& utc, SYSTEMTIME& out) noexcept {
  if (utc.dwLowDateTime == 0 && utc.dwHighDateTime == 0) return false;
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return false;
  out = st;
  return true;
}

}  // namespace docinfo

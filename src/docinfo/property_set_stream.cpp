#include "docinfo/property_set_stream.h"

#include <vector>

#include "docinfo/byte_source.h"
#include "foundation/com_ptr.h"

namespace docinfo {
namespace {

// A summary set holds a few short texts; a thumbnail may make it larger, never this large.
constexpr ULONG kMaxStreamBytes = 8 * 1024 * 1024;
bool IsScalarType(uint32_t type) {
  switch (type) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_BSTR: case VT_ERROR: case VT_BOOL: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8:
    case VT_UI8: case VT_INT: case VT_UINT: case VT_LPSTR: case VT_LPWSTR: case VT_FILETIME: case VT_BLOB:
    case VT_CF: case VT_CLSID:
      return true;
    default:
      return false;
  }
}

}  // namespace

SetStream ScanPropertySetStream(IStorage* storage, const wchar_t* streamName, PROPID first, PROPID last,
                                String* texts, bool* found) {
  clsAutoRelease<IStream> stream;
  if (FAILED(storage->OpenStream(streamName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put())))
    return SetStream::kMissing;
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return SetStream::kMissing;
  if (stat.cbSize.QuadPart > kMaxStreamBytes) return SetStream::kMalformed;
  const ULONG size = static_cast<ULONG>(stat.cbSize.QuadPart);
  std::vector<uint8_t> bytes(size);
  ULONG got = 0;
  if (size < 48 || FAILED(stream->Read(bytes.data(), size, &got)) || got != size) return SetStream::kMalformed;
  const uint8_t* p = bytes.data();
  // Header: byte order FFFE, version, system, class (28 bytes), then the first set's FMTID and offset.
  if (Get16(p, false) != 0xFFFE || Get32(p + 24, false) == 0) return SetStream::kMalformed;
  const uint32_t section = Get32(p + 44, false);
  if (section > size || size - section < 8) return SetStream::kMalformed;
  // Some writers count padding they do not store: the stream's end bounds the section too.
  uint32_t sectionSize = Get32(p + section, false);
  if (sectionSize > size - section) sectionSize = size - section;
  if (sectionSize < 8) return SetStream::kMalformed;
  const uint32_t room = sectionSize - 8;
  const uint32_t count = Get32(p + section + 4, false);
  if (count > room / 8) return SetStream::kMalformed;
  const uint8_t* base = p + section;

  UINT codePage = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const PROPID id = Get32(base + 8 + 8 * i, false);
    const uint32_t at = Get32(base + 12 + 8 * i, false);
    if (id != PID_CODEPAGE && (id < first || id > last)) continue;
    if (at > sectionSize || sectionSize - at < 8) return SetStream::kMalformed;
    const uint32_t type = Get16(base + at, false);
    if (!IsScalarType(type)) return SetStream::kMalformed;
    if (id == PID_CODEPAGE && type == VT_I2) {
      const UINT cp = Get16(base + at + 4, false);
      if (cp != 1200 && IsValidCodePage(cp)) codePage = cp;
    }
  }
  for (uint32_t i = 0; i < count; ++i) {
    const PROPID id = Get32(base + 8 + 8 * i, false);
    const uint32_t at = Get32(base + 12 + 8 * i, false);
    if (id < first || id > last || Get16(base + at, false) != VT_LPSTR) continue;
    const uint32_t length = Get32(base + at + 4, false);
    const uint32_t left = sectionSize - at - 8;
    if (length > left) return SetStream::kMalformed;
    texts[id - first] = TextFromBytes(reinterpret_cast<const char*>(base + at + 8), length, codePage);
    found[id - first] = true;
  }
  return SetStream::kSound;
}

}  // namespace docinfo

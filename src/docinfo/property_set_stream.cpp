#include "docinfo/property_set_stream.h"

#include <vector>

#include "docinfo/byte_source.h"
#include "foundation/com_ptr.h"

namespace docinfo {
namespace {

// A summary set holds a few short texts; a thumbnail may make it larger, never this large.
constexpr ULONG kMaxStreamBytes = 1024 * 1024;
constexpr uint32_t kNarrowString = 0x1E;

}  // namespace

bool ReadNarrowTexts(IStorage* storage, const wchar_t* streamName, PROPID first, PROPID last, String* texts,
                     bool* found) {
  clsAutoRelease<IStream> stream;
  if (FAILED(storage->OpenStream(streamName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put()))) return false;
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return false;
  const ULONG size = stat.cbSize.QuadPart < kMaxStreamBytes ? static_cast<ULONG>(stat.cbSize.QuadPart) : kMaxStreamBytes;
  std::vector<uint8_t> bytes(size);
  ULONG got = 0;
  if (size < 48 || FAILED(stream->Read(bytes.data(), size, &got)) || got != size) return false;
  const uint8_t* p = bytes.data();
  // Header: byte order FFFE, version, system, class (28 bytes), then the first set's FMTID and offset.
  if (Get16(p, false) != 0xFFFE || Get32(p + 24, false) == 0) return false;
  const uint32_t section = Get32(p + 44, false);
  if (section > size || size - section < 8) return false;
  const uint32_t sectionSize = Get32(p + section, false);
  const uint32_t end = sectionSize <= size - section ? section + sectionSize : size;
  const uint32_t count = Get32(p + section + 4, false);
  const uint32_t pairs = count < (end - section - 8) / 8 ? count : (end - section - 8) / 8;
  UINT codePage = 0;
  for (uint32_t i = 0; i < pairs; ++i) {
    const uint8_t* pair = p + section + 8 + 8 * i;
    const uint32_t at = Get32(pair + 4, false);
    if (Get32(pair, false) != PID_CODEPAGE || at > end - section || end - section - at < 8) continue;
    const UINT cp = Get16(p + section + at + 4, false);
    if (Get32(p + section + at, false) == VT_I2 && cp != 1200 && IsValidCodePage(cp)) codePage = cp;
  }
  for (uint32_t i = 0; i < pairs; ++i) {
    const uint8_t* pair = p + section + 8 + 8 * i;
    const PROPID id = Get32(pair, false);
    const uint32_t at = Get32(pair + 4, false);
    if (id < first || id > last || at > end - section || end - section - at < 8) continue;
    const uint8_t* value = p + section + at;
    if (Get32(value, false) != kNarrowString) continue;
    const uint32_t length = Get32(value + 4, false);
    const uint32_t room = end - section - at - 8;
    texts[id - first] = TextFromBytes(reinterpret_cast<const char*>(value + 8), length < room ? length : room, codePage);
    found[id - first] = true;
  }
  return true;
}

}  // namespace docinfo

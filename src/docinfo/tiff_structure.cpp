#include "docinfo/tiff_structure.h"

#include <cstring>
#include <new>
#include <vector>

#include "diagnostics/debug_output.h"

namespace docinfo {
namespace {

// The main directory and the EXIF directory are all that is read; more would only be a loop or
// a hostile chain.
constexpr int kMaxDirectories = 4;
// Display texts; a longer stored value is cut.
constexpr uint32_t kMaxTextBytes = 64 * 1024;

enum Tag : uint16_t {
  kImageWidth = 256,
  kImageLength = 257,
  kDocumentName = 269,
  kImageDescription = 270,
  kModel = 272,
  kDateTime = 306,
  kArtist = 315,
  kCopyright = 33432,
  kExposureTime = 33434,
  kFNumber = 33437,
  kExifIfd = 34665,
  kDateTimeOriginal = 36867,
  kSubjectDistance = 37382,
  kUserComment = 37510,
};

// Bytes per value of each data type; 0 for unknown types.
uint32_t TypeSize(uint16_t type) {
  static const uint8_t sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
  return type < sizeof(sizes) ? sizes[type] : 0;
}

struct Entry {
  uint16_t tag, type;
  uint32_t count;
  uint8_t inlineValue[4];
};

class TiffWalk {
 public:
  TiffWalk(const ByteSource& source, ULONGLONG start, ULONGLONG length, const wchar_t* path, DocFields& fields)
      : source_(source), start_(start), length_(length), path_(path ? path : L""), fields_(fields) {}

  int Run() {
    uint8_t header[8];
    if (!ReadAt(0, header, sizeof header)) return Report(L"error reading header");
    const uint16_t magic = static_cast<uint16_t>(header[0] | header[1] << 8);
    if (magic != 0x4949 && magic != 0x4D4D)
      return Report(L"Not a TIFF file, bad magic number %u (%#x)", magic, magic);
    bigEndian_ = magic == 0x4D4D;
    const uint16_t version = Get16(header + 2, bigEndian_);
    if (version != 42) return Report(L"Not a TIFF file, bad version number %u (%#x)", version, version);

    pending_[pendingCount_++] = Get32(header + 4, bigEndian_);
    for (int i = 0; i < pendingCount_; ++i) {
      if (!ReadDirectory(pending_[i]) && i == 0) return -1;
    }
    Deliver();
    return 0;
  }

 private:
  bool ReadAt(ULONGLONG offset, void* buffer, size_t count) const {
    if (offset > length_ || count > length_ - offset) return false;
    return source_.Read(start_ + offset, buffer, count);
  }

  // A line on the debug channel; -1, the result of a structure that cannot be read.
  int Report(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    String text;
    text.FormatV(format, args);
    va_end(args);
    ovut::debug::Warning(L"WRN: %s: %s", path_, text.c_str());
    return -1;
  }

  // Queues a directory once; a pointer back to a directory already seen is a loop.
  void Queue(uint32_t offset) {
    for (int i = 0; i < pendingCount_; ++i)
      if (pending_[i] == offset) {
        Report(L"TIFF directory at offset %#lx is linked more than once", static_cast<unsigned long>(offset));
        return;
      }
    if (pendingCount_ == kMaxDirectories) return;
    pending_[pendingCount_++] = offset;
  }

  bool ReadDirectory(uint32_t offset) {
    if (offset >= length_) {
      Report(L"Seek error accessing TIFF directory");
      return false;
    }
    uint8_t countBytes[2];
    if (!ReadAt(offset, countBytes, 2)) {
      Report(L"read error directory count");
      return false;
    }
    const uint32_t declared = Get16(countBytes, bigEndian_);
    const ULONGLONG room = (length_ - offset - 2) / 12;
    const uint32_t count = room < declared ? static_cast<uint32_t>(room) : declared;
    if (count < declared)
      Report(L"Could only read %u of %u entries in directory at offset %#lx", count, declared,
           static_cast<unsigned long>(offset));
    std::vector<uint8_t> bytes;
    try {
      bytes.resize(size_t{count} * 12);
    } catch (const std::bad_alloc&) {
      Report(L"No space for TIFF directory");
      return false;
    }
    if (count && !ReadAt(offset + 2ull, bytes.data(), bytes.size())) {
      Report(L"Could only read %u of %u entries in directory at offset %#lx", 0u, declared,
           static_cast<unsigned long>(offset));
      return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* p = bytes.data() + size_t{i} * 12;
      Entry e{Get16(p, bigEndian_), Get16(p + 2, bigEndian_), Get32(p + 4, bigEndian_), {p[8], p[9], p[10], p[11]}};
      if (TypeSize(e.type) == 0) {
        Report(L"bad TIFF data type %u for tag %u", e.type, e.tag);
        continue;
      }
      Take(e);
    }
    return true;
  }

  // The bytes of the first `want` bytes of a value (fewer when the value is shorter); false when
  // the value lies outside the structure.
  bool Value(const Entry& e, uint32_t want, std::vector<uint8_t>& out) {
    const ULONGLONG total = ULONGLONG{e.count} * TypeSize(e.type);
    const uint32_t n = total < want ? static_cast<uint32_t>(total) : want;
    out.resize(n);
    if (total <= 4) {
      std::memcpy(out.data(), e.inlineValue, n);
      return true;
    }
    const uint32_t at = Get32(e.inlineValue, bigEndian_);
    if (at > length_ || total > length_ - at) {
      Report(L"value of tag %u (%I64u bytes at offset %#lx) lies beyond the end of the file", e.tag, total,
           static_cast<unsigned long>(at));
      return false;
    }
    return ReadAt(at, out.data(), n);
  }

  bool Unsigned(const Entry& e, uint32_t& out) {
    std::vector<uint8_t> v;
    if (e.count == 0 || !Value(e, 4, v)) return false;
    switch (e.type) {
      case 1: out = v[0]; return true;
      case 3: out = Get16(v.data(), bigEndian_); return true;
      case 4: case 13: out = Get32(v.data(), bigEndian_); return true;
      default: return false;
    }
  }

  bool Rational(const Entry& e, double& out, uint32_t* numerator = nullptr) {
    std::vector<uint8_t> v;
    if (e.count == 0 || (e.type != 5 && e.type != 10) || !Value(e, 8, v)) return false;
    const uint32_t num = Get32(v.data(), bigEndian_), den = Get32(v.data() + 4, bigEndian_);
    if (den == 0) return false;
    out = e.type == 5 ? double(num) / den : double(int32_t(num)) / int32_t(den);
    if (numerator) *numerator = num;
    return true;
  }

  String Text(const Entry& e) {
    std::vector<uint8_t> v;
    if (!Value(e, kMaxTextBytes, v)) return String();
    String text = TextFromBytes(reinterpret_cast<const char*>(v.data()), v.size());
    text.TrimTrailingSpaces();  // cameras pad fixed-size texts with blanks
    return text;
  }

  // The user comment starts with 8 bytes naming its character code.
  String UserComment(const Entry& e) {
    std::vector<uint8_t> v;
    if (e.count <= 8 || !Value(e, kMaxTextBytes, v) || v.size() <= 8) return String();
    const char* code = reinterpret_cast<const char*>(v.data());
    String text;
    if (std::memcmp(code, "UNICODE\0", 8) == 0) {
      const size_t units = (v.size() - 8) / 2;
      std::vector<wchar_t> wide(units + 1, 0);
      for (size_t i = 0; i < units; ++i) wide[i] = Get16(v.data() + 8 + 2 * i, bigEndian_);
      text = String(wide.data());
    } else if (std::memcmp(code, "JIS\0\0\0\0\0", 8) == 0) {
      text = TextFromBytes(code + 8, v.size() - 8, 50220);
    } else {
      text = TextFromBytes(code + 8, v.size() - 8);
    }
    text.Trim();
    return text;
  }

  static bool Digits(const String& s, uint32_t at, uint32_t n, WORD& out) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < n; ++i) {
      const wchar_t c = s.At(at + i);
      if (c < L'0' || c > L'9') return false;
      value = value * 10 + (c - L'0');
    }
    out = static_cast<WORD>(value);
    return true;
  }

  // "YYYY:MM:DD hh:mm:ss" at the start of the text; blanks and zeros are how cameras say "unknown".
  bool Date(const String& s, SYSTEMTIME& out) {
    SYSTEMTIME t{};
    if (!Digits(s, 0, 4, t.wYear) || s.At(4) != L':' || !Digits(s, 5, 2, t.wMonth) || s.At(7) != L':' ||
        !Digits(s, 8, 2, t.wDay) || s.At(10) != L' ' || !Digits(s, 11, 2, t.wHour) || s.At(13) != L':' ||
        !Digits(s, 14, 2, t.wMinute) || s.At(16) != L':' || !Digits(s, 17, 2, t.wSecond))
      return false;
    FILETIME check;
    if (t.wYear == 0 || !SystemTimeToFileTime(&t, &check)) return false;
    FileTimeToSystemTime(&check, &t);  // fills the day of the week
    out = t;
    return true;
  }

  void Take(const Entry& e) {
    switch (e.tag) {
      case kImageWidth: Unsigned(e, width_); break;
      case kImageLength: Unsigned(e, height_); break;
      case kDocumentName: fields_.title = Text(e); break;
      case kImageDescription: fields_.subject = Text(e); break;
      case kModel:
      case kArtist: {
        String text = Text(e);
        if (!text.IsEmpty()) fields_.author = text;
        break;
      }
      case kCopyright: rights_ = Text(e); break;
      case kDateTime:
      case kDateTimeOriginal: Date(Text(e), fields_.created); break;
      case kExposureTime: {
        double t;
        if (Rational(e, t) && t > 0)
          exposure_ = t < 0.5 ? String::Formatted(L"t=1/%.0f s", 1 / t) : String::Formatted(L"t=%.2g s", t);
        break;
      }
      case kFNumber: {
        double f;
        if (Rational(e, f) && f > 0) aperture_ = String::Formatted(L"f=%.2g", f);
        break;
      }
      case kSubjectDistance: {
        double d;
        uint32_t num = 0;
        // 0 is "unknown" and all ones "infinity".
        if (Rational(e, d, &num) && d > 0 && num != 0xFFFFFFFF) distance_ = String::Formatted(L"d=%.3g m", d);
        break;
      }
      case kUserComment: userComment_ = UserComment(e); break;
      case kExifIfd: {
        uint32_t at;
        if (Unsigned(e, at)) Queue(at);
        break;
      }
      default: break;
    }
  }

  void Deliver() {
    String comments = rights_;
    auto add = [&comments](const String& part) {
      if (part.IsEmpty()) return;
      if (!comments.IsEmpty()) comments.Append(L", ");
      comments.Append(part);
    };
    add(userComment_);
    if (width_ && height_ && width_ <= INT32_MAX && height_ <= INT32_MAX)
      add(String::Formatted(L"(%d * %d px)", static_cast<int>(width_), static_cast<int>(height_)));
    add(exposure_);
    add(aperture_);
    add(distance_);
    if (!comments.IsEmpty()) fields_.comments = comments;
  }

  const ByteSource& source_;
  ULONGLONG start_, length_;
  const wchar_t* path_;
  DocFields& fields_;
  bool bigEndian_ = false;
  uint32_t pending_[kMaxDirectories] = {};
  int pendingCount_ = 0;
  uint32_t width_ = 0, height_ = 0;
  String rights_, userComment_, exposure_, aperture_, distance_;
};

}  // namespace

int ReadTiffStructure(const ByteSource& source, ULONGLONG start, ULONGLONG length, const wchar_t* path,
                      DocFields& fields) noexcept {
  try {
    return TiffWalk(source, start, length, path, fields).Run();
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: out of memory reading the image tags of '%s'", path ? path : L"");
    return -1;
  }
}

}  // namespace docinfo

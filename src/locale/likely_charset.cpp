#include "locale/likely_charset.h"

namespace ovut::locale {
namespace {

enum : unsigned {
  kJapanese = 0x001, kSimplifiedChinese = 0x002, kTraditionalChinese = 0x004, kKorean = 0x008,
  kThai = 0x010, kGreek = 0x020, kCyrillic = 0x040, kArabic = 0x080, kHebrew = 0x100,
};

struct Range {
  wchar_t first, last;
  unsigned flags;
};

// Ascending by first unit.
constexpr Range kRanges[] = {
    {0x0370, 0x03FF, kGreek},    {0x0400, 0x052F, kCyrillic}, {0x0590, 0x05FF, kHebrew},
    {0x0600, 0x06FF, kArabic},   {0x0E00, 0x0E7F, kThai},     {0x1100, 0x11FF, kKorean},
    {0x1F00, 0x1FFF, kGreek},    {0x3040, 0x30FF, kJapanese}, {0x3130, 0x318F, kKorean},
    {0x3300, 0x3357, kJapanese}, {0x3400, 0x4DFF, kKorean},
    {0x4E00, 0x9FAF, kJapanese | kSimplifiedChinese | kTraditionalChinese},
    {0xAC00, 0xD7A3, kKorean},   {0xFE70, 0xFEFF, kArabic},
};

unsigned FlagsOf(wchar_t c) {
  for (const Range& r : kRanges) {
    if (r.first > c) return 0;
    if (c <= r.last) return r.flags;
  }
  return 0;
}

}  // namespace

UINT LikelyCharset(const wchar_t* text, UINT codePage) noexcept {
  unsigned flags = 0;
  if (text)
    for (const wchar_t* p = text; *p; ++p) flags |= FlagsOf(*p);
  if (flags == 0) return ANSI_CHARSET;
  if ((flags & (flags - 1)) == 0) {
    static const struct {
      unsigned flag;
      UINT charset;
    } kSingle[] = {{kGreek, GREEK_CHARSET}, {kCyrillic, RUSSIAN_CHARSET}, {kHebrew, HEBREW_CHARSET},
                   {kArabic, ARABIC_CHARSET}, {kThai, THAI_CHARSET},      {kKorean, HANGUL_CHARSET},
                   {kJapanese, SHIFTJIS_CHARSET}};
    for (const auto& s : kSingle)
      if (flags & s.flag) return s.charset;
    return ANSI_CHARSET;
  }
  switch (codePage) {
    case 932: return SHIFTJIS_CHARSET;
    case 936: return GB2312_CHARSET;
    case 949: return HANGUL_CHARSET;
    case 950: return CHINESEBIG5_CHARSET;
    default: return ANSI_CHARSET;
  }
}

}  // namespace ovut::locale

#include <gtest/gtest.h>

#include "locale/likely_charset.h"

using ovut::locale::LikelyCharset;

TEST(LikelyCharset, ScriptsAndCodePages) {
  struct {
    const wchar_t* text;
    UINT codePage;
    UINT charset;
  } cases[] = {
      {L"", 1252, 0},
      {nullptr, 1252, 0},
      {L"plain Latin, \u00e9t\u00e9", 1252, 0},
      {L"\u0391\u03b8\u03ae\u03bd\u03b1", 1252, 161},         // Greek
      {L"\u1f00", 1252, 161},                                  // Greek extended
      {L"\u041c\u043e\u0441\u043a\u0432\u0430", 1252, 204},   // Cyrillic
      {L"\u05e9\u05dc\u05d5\u05dd", 1252, 177},               // Hebrew
      {L"\u0645\u0631\u062d\u0628\u0627", 1252, 178},         // Arabic
      {L"\ufefb", 1252, 178},                                  // Arabic presentation form
      {L"\u0e44\u0e17\u0e22", 1252, 222},                     // Thai
      {L"\ud55c\uad6d\uc5b4", 1252, 129},                     // Hangul syllables
      {L"\u30ab\u30bf\u30ab\u30ca", 1252, 128},               // kana, whatever the code page
      {L"\u30ab\u30bf\u30ab\u30ca", 936, 128},
      {L"\u0391\u041c", 1252, 0},                              // Greek and Cyrillic: code page
      {L"\u0391\u041c", 932, 128},
      {L"\u6f22", 936, 134},                                   // one Han ideograph
      {L"\u6f22", 950, 136},
      {L"\u6f22", 932, 128},
      {L"\u6f22", 949, 129},
      {L"\u6f22", 1252, 0},
      {L"\ud55c\u30ab", 1252, 0},                              // Hangul and kana
      {L"\ud55c\u30ab", 949, 129},
      {L"\u3358", 932, 0},                                     // just past the squared-kana row
  };
  const wchar_t surrogates[] = {0xD83D, 0xDE00, 0};  // each unit alone belongs to no block
  EXPECT_EQ(LikelyCharset(surrogates, 936), 0u);
  for (const auto& c : cases) EXPECT_EQ(LikelyCharset(c.text, c.codePage), c.charset) << c.codePage;
}

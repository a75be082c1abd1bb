#include <gtest/gtest.h>

#include <string>

#include "codec_test_util.h"
#include "profile/codec/base64.h"
#include "profile/codec/packed_text.h"

using namespace ovut::codec;
using codectest::Content;
using codectest::MemFile;

namespace {
std::string RoundTrip(const std::string& data, bool pack, const wchar_t* pwIn, const wchar_t* pwOut,
                      std::wstring* text = nullptr) {
  auto src = MemFile(data), dst = MemFile("previous content that must go");
  String t = StreamToText(*src.Get(), pack, String(pwIn));
  if (text) *text = t.c_str();
  EXPECT_TRUE(TextToStream(*dst.Get(), t, String(pwOut)) || data.empty());
  EXPECT_EQ(dst->Position(), 0u);
  return Content(*dst.Get());
}
std::wstring B64(const std::string& s) {
  return Base64Encode(reinterpret_cast<const uint8_t*>(s.data()), s.size()).c_str();
}
}  // namespace

TEST(CodecPackedText, FormsRoundTrip) {
  for (bool pack : {false, true}) {
    for (const wchar_t* pw : {L"", L"A", L"Pass\x00e4wort"}) {
      for (size_t n : {1u, 7u, 8u, 10u, 11u, 12u, 13u, 64u, 5000u}) {
        std::string data = codectest::Pattern(n, static_cast<unsigned>(n));
        std::wstring text;
        EXPECT_EQ(RoundTrip(data, pack, pw, pw, &text), data) << pack << " " << n;
        EXPECT_EQ(text.compare(0, 3, L"@2@") == 0, pack);
        if (!pack && !*pw) {
          EXPECT_EQ(text, B64(data));
        }
      }
    }
  }
}

TEST(CodecPackedText, TenBytesPackedAndEnciphered) {
  std::string data = "0123456789";
  std::wstring text;
  EXPECT_EQ(RoundTrip(data, true, L"pw", L"pw", &text), data);
  ASSERT_EQ(text.substr(0, 3), L"@2@");
  EXPECT_GE(text.size() - 3, 20u);  // Base64 of at least 15 bytes
  // Enciphered: the marker is not visible in the packed bytes.
  EXPECT_EQ(text.find(B64("ZeL").substr(0, 3)), std::wstring::npos);
}

TEST(CodecPackedText, EmptyInputAndEmptyText) {
  auto empty = MemFile();
  EXPECT_TRUE(StreamToText(*empty.Get(), true, String(L"pw")).IsEmpty());
  auto dst = MemFile("keep");
  EXPECT_FALSE(TextToStream(*dst.Get(), String(), String()));
  EXPECT_EQ(Content(*dst.Get()), "keep");
}

TEST(CodecPackedText, WrongPasswordGivesOtherBytesWithoutFailing) {
  std::string data = codectest::Pattern(300);
  for (bool pack : {false, true}) {
    std::string got = RoundTrip(data, pack, L"right", L"wrong");
    EXPECT_NE(got, data);
    // Packed: the marker check fails, so the scrambled buffer passes through as it is.
    if (pack) {
      EXPECT_GT(got.size(), 15u);
    }
    EXPECT_NE(RoundTrip(data, pack, L"right", L""), data);
  }
}

TEST(CodecPackedText, MarkerlessAndDamagedTexts) {
  auto decode = [](const std::wstring& t) {
    auto dst = MemFile();
    TextToStream(*dst.Get(), String(t.c_str()), String());
    return Content(*dst.Get());
  };
  // "@2@" in front of data without the marker: the data itself.
  EXPECT_EQ(decode(L"@2@" + B64("plain bytes here, no marker")), "plain bytes here, no marker");
  // Other "@" texts are plain Base64 (the "@" is skipped as a foreign character).
  EXPECT_EQ(decode(L"@" + B64("abc")), "abc");
  // Invalid characters are skipped, not rejected.
  EXPECT_EQ(decode(L"Zm9v!!Ym\r\nFy"), "foobar");
  EXPECT_EQ(decode(L"***"), "");
  // A packed buffer whose stream is damaged gives nothing.
  auto src = MemFile(codectest::Pattern(100));
  std::wstring t = StreamToText(*src.Get(), true, String()).c_str();
  t[t.size() - 6] = t[t.size() - 6] == L'A' ? L'B' : L'A';
  EXPECT_EQ(decode(t), "");
}

TEST(CodecPackedText, OldPackedForm) {
  // [length][zlib stream], as the old writer produced it.
  const std::string data = "old packed data, old packed data, old packed data";
  auto src = MemFile(data);
  std::wstring t = StreamToText(*src.Get(), true, String()).c_str();
  auto dst = MemFile();
  ASSERT_TRUE(TextToStream(*dst.Get(), String(t.c_str()), String()));
  std::string packed;
  {
    // Re-encode the packed bytes without the marker and with "@1@".
    auto raw = MemFile();
    TextToStream(*raw.Get(), String((L"" + t.substr(3)).c_str()), String());
    packed = Content(*raw.Get());
  }
  std::string old = packed.substr(0, 4) + packed.substr(15);
  auto out = MemFile();
  ASSERT_TRUE(TextToStream(*out.Get(), String((L"@1@" + B64(old)).c_str()), String()));
  EXPECT_EQ(Content(*out.Get()), data);
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/codec/base64.h"

using namespace ovut::codec;

namespace {
std::wstring Enc(const std::string& s) {
  return Base64Encode(reinterpret_cast<const uint8_t*>(s.data()), s.size()).c_str();
}
std::string Dec(const std::wstring& t, bool fullGroups = false) {
  std::vector<uint8_t> out(Base64DecodedCapacity(t.size()));
  size_t n = Base64Decode(t.c_str(), t.size(), out.data(), fullGroups);
  return std::string(out.begin(), out.begin() + n);
}
}  // namespace

TEST(CodecBase64, RfcVectorsBothWays) {
  const struct { const char* plain; const wchar_t* text; } cases[] = {
      {"", L""},           {"f", L"Zg=="},         {"fo", L"Zm8="},        {"foo", L"Zm9v"},
      {"foob", L"Zm9vYg=="}, {"fooba", L"Zm9vYmE="}, {"foobar", L"Zm9vYmFy"},
      {"\xff\xfe\xfd", L"//79"}, {"\xfb\xef", L"++8="},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Enc(c.plain), c.text) << c.plain;
    EXPECT_EQ(Dec(c.text), c.plain) << c.plain;
  }
}

TEST(CodecBase64, DecoderSkipsForeignCharactersAndCountsByPadding) {
  const struct { const wchar_t* text; std::string bytes; } cases[] = {
      {L"Zm9v\r\nYmFy", "foobar"},        // line break inside
      {L" Z m 9 v ", "foo"},              // blanks everywhere
      {L"Zm*9v!", "foo"},                 // characters outside the alphabet
      {L"Zm\x00e4\x4e2d" L"9v", "foo"},   // non-ASCII units
      {L"Zg", "f"},                       // missing padding: the end counts as "="
      {L"Zm8", "fo"},
      {L"====", ""},                      // group starting with "=" adds nothing
      {L"Zg==Zg==", "ff"},                // padded groups back to back
      {L"\r\n\t ", ""},                   // nothing but skipped units
      {L"Z=9v", std::string("d\x0f" "o", 3)},  // "=" mid-group is the value 0
  };
  for (const auto& c : cases) EXPECT_EQ(Dec(c.text), c.bytes) << testing::PrintToString(std::wstring(c.text));
}

TEST(CodecBase64, OldFormCountsThreeBytesPerGroup) {
  EXPECT_EQ(Dec(L"Zg==", true), std::string("f\0\0", 3));
  EXPECT_EQ(Dec(L"Zm9vYg==", true), std::string("foob\0\0", 6));
}

TEST(CodecBase64, RoundTripEveryLengthAndByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  for (size_t n = 0; n <= all.size(); ++n) {
    std::string s = all.substr(all.size() - n);
    std::wstring t = Enc(s);
    ASSERT_EQ(t.size(), (n + 2) / 3 * 4);
    ASSERT_EQ(Dec(t), s) << n;
  }
}

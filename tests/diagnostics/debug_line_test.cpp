// Line layout and piece cutting, without a viewer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/debug_line.h"

using namespace ovut::debug;

namespace {

struct Collect final : IPieceSink {
  std::vector<std::string> pieces;
  int bells = 0;
  void Piece(const char* b, int n) override { pieces.emplace_back(b, static_cast<size_t>(n)); }
  void Bell() override { ++bells; }
};

Collect Split(const std::string& bytes, UINT cp = 1252) {
  Collect c;
  SplitPieces(bytes.data(), static_cast<int>(bytes.size()), cp, c);
  return c;
}

std::wstring Prefix(const wchar_t* module, int level, DWORD thread = 0x1a2b, DWORD cpu = 3, uint32_t seq = 17) {
  LinePrefix p;
  p.module = module;
  p.moduleLength = module ? wcslen(module) : 0;
  p.stamp = L"12:34:56.789";
  p.thread = thread;
  p.processor = cpu;
  p.sequence = seq;
  p.level = level;
  wchar_t out[kLineUnits + 1];
  int n = BuildPrefix(p, out);
  return std::wstring(out, static_cast<size_t>(n));
}

}  // namespace

TEST(DebugLine, PrefixLayout) {
  EXPECT_EQ(Prefix(nullptr, 0), L"12:34:56.789 00001a2b/03 7  ");
  EXPECT_EQ(Prefix(L"MOD", 2), L"MOD     : 12:34:56.789 00001a2b/03 7    ");
  EXPECT_EQ(Prefix(L"LONGMODULE", 0, 0x123456789u & 0xffffffffu, 0x1ab, 20),
            L"LONGMODULE: 12:34:56.789 23456789/1ab 0  ");
}

TEST(DebugLine, IndentationIsClampedToZeroThroughFifty) {
  const struct { int level; size_t blanks; } cases[] = {{-5, 2}, {0, 2}, {1, 3}, {50, 52}, {51, 52}, {1000, 52}};
  for (const auto& c : cases) {
    std::wstring p = Prefix(nullptr, c.level);
    size_t digit = p.find(L" 7") + 2;
    EXPECT_EQ(p.size() - digit, c.blanks) << c.level;
    EXPECT_EQ(p.find_first_not_of(L' ', digit), std::wstring::npos) << c.level;
  }
}

TEST(DebugLine, Stamps) {
  wchar_t out[kStampUnits];
  SYSTEMTIME t = {};
  t.wHour = 7;
  t.wMinute = 5;
  t.wSecond = 9;
  t.wMilliseconds = 42;
  FormatLocalStamp(t, out);
  EXPECT_STREQ(out, L"07:05:09.042");
  FormatElapsedStamp(((61ull * 60 + 2) * 1000) + 3, out);  // 1 h 1 min 2 s 3 ms: minutes modulo 60
  EXPECT_STREQ(out, L"01:02.003");
}

TEST(DebugLine, CutKeepsTheWholeLineWithin1024Units) {
  wchar_t line[kLineUnits + 1] = L"prefix ";
  std::wstring text(3000, L'x');
  EXPECT_EQ(AppendCut(line, 7, text.c_str(), text.size()), kLineUnits);
  EXPECT_EQ(line[kLineUnits], 0);
  // A surrogate pair across the limit is dropped whole.
  std::wstring pairs(1016, L'y');
  pairs += L"\xD83D\xDE00";
  wchar_t line2[kLineUnits + 1] = L"1234567";
  EXPECT_EQ(AppendCut(line2, 7, pairs.c_str(), pairs.size()), kLineUnits - 1);
  // A module name of any length leaves room for the rest of the prefix.
  std::wstring huge(5000, L'M');
  std::wstring p = Prefix(huge.c_str(), 50);
  EXPECT_LE(p.size(), static_cast<size_t>(kLineUnits));
  EXPECT_NE(p.find(L"12:34:56.789"), std::wstring::npos);
}

TEST(DebugLine, PiecesSplitAtLineEndsAndDropBells) {
  const struct {
    const char* in;
    std::vector<std::string> pieces;
    int bells;
  } cases[] = {
      {"one", {"one"}, 0},
      {"one\ntwo", {"one", "two"}, 0},
      {"one\r\ntwo\rthree\n", {"one", "two", "three"}, 0},
      {"\r\n\nlead", {"lead"}, 0},
      {"a\n\nb", {"a", "", "b"}, 0},
      {"ri\ang\a", {"ring"}, 2},
      {"\a", {}, 1},
  };
  for (const auto& c : cases) {
    Collect got = Split(c.in);
    EXPECT_EQ(got.pieces, c.pieces) << c.in;
    EXPECT_EQ(got.bells, c.bells) << c.in;
  }
}

TEST(DebugLine, LongPiecesAreCutAt510BytesOnCharacterBoundaries) {
  Collect plain = Split(std::string(1100, 'a'));
  ASSERT_EQ(plain.pieces.size(), 3u);
  EXPECT_EQ(plain.pieces[0].size(), 510u);
  EXPECT_EQ(plain.pieces[1].size(), 510u);
  EXPECT_EQ(plain.pieces[2].size(), 80u);

  // UTF-8: a three-byte character that would straddle byte 510 moves to the next piece.
  std::string utf8 = std::string(509, 'a') + "\xE2\x82\xAC" + "z";
  Collect u = Split(utf8, CP_UTF8);
  ASSERT_EQ(u.pieces.size(), 2u);
  EXPECT_EQ(u.pieces[0], std::string(509, 'a'));
  EXPECT_EQ(u.pieces[1], "\xE2\x82\xAC" "z");

  // A double-byte code page: the lead byte stays with its trail byte.
  std::string sjis = std::string(509, 'a') + "\x82\xA0" + "z";
  Collect d = Split(sjis, 932);
  ASSERT_EQ(d.pieces.size(), 2u);
  EXPECT_EQ(d.pieces[0].size(), 509u);
  EXPECT_EQ(d.pieces[1], "\x82\xA0" "z");
}

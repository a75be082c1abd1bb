#include "foundation/string.h"

#include <gtest/gtest.h>

#include <new>

#include <cwchar>
#include <string>

#include "support/debug_capture.h"

namespace {

TEST(StringSharing, CopiesShareUntilOneChanges) {
  String a(L"abc");
  String b(a);
  EXPECT_EQ(a.BufferIdentity(), b.BufferIdentity());
  EXPECT_EQ(a.Usage(), 2);
  b.Append(L'd');
  EXPECT_STREQ(a.c_str(), L"abc");
  EXPECT_STREQ(b.c_str(), L"abcd");
  EXPECT_NE(a.BufferIdentity(), b.BufferIdentity());
  EXPECT_EQ(a.Usage(), 1);
  EXPECT_EQ(b.Usage(), 1);

  String c(a);
  c.Clear();  // releases the shared buffer, the other sharer keeps its text
  EXPECT_STREQ(a.c_str(), L"abc");
  EXPECT_EQ(c.BufferIdentity(), nullptr);
  EXPECT_EQ(a.Usage(), 1);

  String d(a);
  d[1] = L'X';  // writable access makes the buffer private first
  EXPECT_STREQ(a.c_str(), L"abc");
  EXPECT_STREQ(d.c_str(), L"aXc");
}

TEST(StringSharing, CopyTakesDefaultCodePageAssignmentTakesSources) {
  String a(L"x");
  a.SetCodePage(65001);
  String copy(a);
  EXPECT_EQ(copy.CodePage(), String::DefaultCodePage());
  String assigned;
  assigned = a;
  EXPECT_EQ(assigned.CodePage(), 65001u);
  assigned = assigned;  // self-assignment keeps everything
  EXPECT_STREQ(assigned.c_str(), L"x");
  EXPECT_EQ(assigned.Usage(), 3);  // a, copy and assigned
}

TEST(StringCapacity, FollowsTheEightUnitRule) {
  struct Case { uint32_t n, capacity; } cases[] = {{0, 8}, {1, 8}, {7, 8}, {8, 16}, {15, 16}, {16, 24}, {100, 104}};
  for (const auto& c : cases) EXPECT_EQ(String::CapacityFor(c.n), c.capacity) << c.n;
  EXPECT_EQ(String(L'a', 1).Capacity(), 8u);

  String s;
  uint32_t reallocations = 0;
  uint32_t lastCapacity = 0;
  for (int i = 0; i < 64; ++i) {
    s.Append(L'x');
    if (s.Capacity() != lastCapacity) ++reallocations;
    lastCapacity = s.Capacity();
  }
  EXPECT_EQ(reallocations, 9u);  // the first block, then one growth every 8 characters
  EXPECT_EQ(s.Capacity(), 72u);
  s.Delete(0, 60);  // never shrinks
  EXPECT_EQ(s.Capacity(), 72u);
  EXPECT_STREQ(s.c_str(), L"xxxx");
}

// Capacities whose byte size would wrap a 32-bit size (or whose n + 8 wraps) are refused before
// anything is allocated or written, and the String keeps its text.
TEST(StringCapacity, RefusesSizesBeyondTheLimit) {
  for (uint32_t n : {0x7FFFFFF8u, 0x80000000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    String s(L"keep");
    EXPECT_THROW(s.GetBuffer(n), std::bad_alloc) << std::hex << n;
    EXPECT_STREQ(s.c_str(), L"keep");
  }
}

TEST(StringConstruction, WideRangesAndEdgeCases) {
  EXPECT_STREQ(String(L"abcdef", 2, 3).c_str(), L"cde");
  EXPECT_STREQ(String(L"abc", 1, String::kAll).c_str(), L"bc");
  EXPECT_STREQ(String(L"abc", 1, 100).c_str(), L"bc");
  EXPECT_TRUE(String(L"abc", 5, 1).IsEmpty());  // start beyond the terminator: not read further
  EXPECT_TRUE(String(L"abc", 0, 0).IsEmpty());
  EXPECT_TRUE(String(static_cast<const wchar_t*>(nullptr)).IsEmpty());
  EXPECT_TRUE(String(L'\0', 5).IsEmpty());
  EXPECT_TRUE(String(L'a', 0).IsEmpty());
  EXPECT_STREQ(String(L'z', 3).c_str(), L"zzz");
  EXPECT_EQ(String().BufferIdentity(), nullptr);
  EXPECT_STREQ(String().c_str(), L"");
}

TEST(StringReading, LeftRightMidFind) {
  String abc(L"abc");
  EXPECT_TRUE(abc.Left(0).IsEmpty());
  EXPECT_STREQ(abc.Left(2).c_str(), L"ab");
  EXPECT_EQ(abc.Left(3).BufferIdentity(), abc.BufferIdentity());
  EXPECT_STREQ(abc.Right(5).c_str(), L"abc");
  EXPECT_STREQ(abc.Right(1).c_str(), L"c");
  EXPECT_EQ(abc.Mid(0, 3).BufferIdentity(), abc.BufferIdentity());
  EXPECT_STREQ(abc.Mid(1, 1).c_str(), L"b");
  EXPECT_STREQ(abc.Mid(1).c_str(), L"bc");
  EXPECT_TRUE(String().Left(1).IsEmpty());
  EXPECT_EQ(String().Mid(0).BufferIdentity(), nullptr);
  EXPECT_EQ(abc.Find(L""), -1);
  EXPECT_EQ(abc.Find(L"bc"), 1);
  EXPECT_EQ(abc.Find(L"x"), -1);
}

TEST(StringCompare, RulesForEmptyCaseAndCounts) {
  String empty, a(L"a"), abc(L"abc"), ABC(L"ABC");
  EXPECT_EQ(empty.Compare(String()), 0);
  EXPECT_LT(empty.Compare(a), 0);
  EXPECT_GT(a.Compare(empty), 0);
  EXPECT_GT(a.Compare(static_cast<const wchar_t*>(nullptr)), 0);
  EXPECT_NE(abc.Compare(ABC), 0);
  EXPECT_EQ(IString(ABC).Compare(abc), 0);
  EXPECT_EQ(abc.Compare(L"abd", 2), 0);
  EXPECT_LT(abc.Compare(L"abd"), 0);
  EXPECT_EQ(abc.Compare(L"zzz", 0), 0);
  EXPECT_TRUE(String(L"\xFFFF").Compare(L"a") > 0);  // unit values compare unsigned
  IString key(L"Colors");
  EXPECT_TRUE(key == String(L"COLORS"));
  EXPECT_FALSE(key.IsCaseSensitive());
}

TEST(StringChange, AppendInsertDeleteReplace) {
  String s;
  s.Append(L',', String(L"a"));  // no separator on an empty String
  EXPECT_STREQ(s.c_str(), L"a");
  s.Append(L',', String());  // separator even for an empty addition
  EXPECT_STREQ(s.c_str(), L"a,");
  s.Append(L'\0');
  EXPECT_STREQ(s.c_str(), L"a,");
  s.Append(s);  // appending itself
  EXPECT_STREQ(s.c_str(), L"a,a,");
  s.Append(s.c_str() + 2);  // a part of itself
  EXPECT_STREQ(s.c_str(), L"a,a,a,");

  String t(L"hello");
  t.Insert(5, String(L"!"));
  t.Insert(9, String(L"?"));  // beyond the end: nothing
  t.Insert(0, String(L">"));
  EXPECT_STREQ(t.c_str(), L">hello!");
  t.Delete(1, 100);
  EXPECT_STREQ(t.c_str(), L">");
  t.Delete(5, 1);
  t.Delete(0, 0);
  EXPECT_STREQ(t.c_str(), L">");

  String r(L"abcdef");
  r.Replace(1, 2, String(L"XYZ"));
  EXPECT_STREQ(r.c_str(), L"aXYZdef");
  r.Replace(5, 99, String(L"!"));
  EXPECT_STREQ(r.c_str(), L"aXYZd!");
  r.Replace(0, 1, r);
  EXPECT_STREQ(r.c_str(), L"aXYZd!XYZd!");

  EXPECT_STREQ((String(L"ab") + String(L"cd")).c_str(), L"abcd");
}

TEST(StringChange, TrimAndReplaceChar) {
  String a(L"  x y  ");
  String shared(a);
  a.Trim();
  EXPECT_STREQ(a.c_str(), L"x y");
  EXPECT_STREQ(shared.c_str(), L"  x y  ");
  String untouched(L"x ");
  String sharer(untouched);
  untouched.TrimLeadingSpaces();
  EXPECT_EQ(untouched.BufferIdentity(), sharer.BufferIdentity());
  String blanks(L"   ");
  blanks.Trim();
  EXPECT_TRUE(blanks.IsEmpty());
  String tab(L"\tx");
  tab.Trim();  // only U+0020 is a blank here
  EXPECT_STREQ(tab.c_str(), L"\tx");

  String c(L"a.b.c");
  String copy(c);
  EXPECT_EQ(c.ReplaceChar(L'x', L'y'), 0);
  EXPECT_EQ(c.BufferIdentity(), copy.BufferIdentity());
  EXPECT_EQ(c.ReplaceChar(L'.', L'/'), 2);
  EXPECT_STREQ(c.c_str(), L"a/b/c");
  EXPECT_EQ(c.ReplaceChar(L'/', L'\0'), 2);
  EXPECT_STREQ(c.c_str(), L"abc");
  String t(L"one two one");
  EXPECT_EQ(t.ReplaceText(L"one", L"1"), 2);
  EXPECT_STREQ(t.c_str(), L"1 two 1");
  EXPECT_EQ(t.ReplaceText(L"1", nullptr), 2);
  EXPECT_STREQ(t.c_str(), L" two ");
}

TEST(StringChange, MapCaseAndBuffers) {
  String s(L"MiXed");
  s.MapCase(LCMAP_LOWERCASE);
  EXPECT_STREQ(s.c_str(), L"mixed");
  s.MapCase(LCMAP_UPPERCASE);
  EXPECT_STREQ(s.c_str(), L"MIXED");

  String b;
  wchar_t* w = b.GetBuffer(10);
  EXPECT_GE(b.Capacity(), 11u);
  wcscpy(w, L"0123456789");
  b.ReleaseBuffer();
  EXPECT_EQ(b.Length(), 10u);
}

TEST(StringNarrow, CachedPerTextAndConvertedInTheCodePage) {
  String s(L"caf\u00e9");
  s.SetCodePage(65001);
  const char* n1 = s.Narrow();
  EXPECT_STREQ(n1, "caf\xc3\xa9");
  EXPECT_EQ(s.Narrow(), n1);  // cached
  s.Append(L'!');
  EXPECT_STREQ(s.Narrow(), "caf\xc3\xa9!");
  s.SetCodePage(1252);
  s = L"caf\u00e9";
  EXPECT_STREQ(s.Narrow(), "caf\xe9");
  EXPECT_STREQ(String().Narrow(), "");

  EXPECT_STREQ(String("caf\xc3\xa9", String::kAll, 65001).c_str(), L"caf\u00e9");
  EXPECT_STREQ(String("caf\xe9", String::kAll, 1252).c_str(), L"caf\u00e9");
  EXPECT_STREQ(String("abcdef", 3).c_str(), L"abc");
  EXPECT_TRUE(String(static_cast<const char*>(nullptr)).IsEmpty());
}

TEST(StringFormat, EstimateFormatsAndErrors) {
  EXPECT_STREQ(String::Formatted(L"%d-%s-%hs-%5.2f", 42, L"w", "n", 3.14159).c_str(), L"42-w-n- 3.14");
  EXPECT_STREQ(String::Formatted(L"%I64d %I64x %lld", -5LL, 0x1234567890ULL, 7LL).c_str(), L"-5 1234567890 7");
  EXPECT_STREQ(String::Formatted(L"%s", static_cast<const wchar_t*>(nullptr)).c_str(), L"<printf format error>");
  EXPECT_STREQ(String::Formatted(L"%hs", reinterpret_cast<const char*>(8)).c_str(), L"<printf format error>");
  EXPECT_STREQ(String::Formatted(L"%s", reinterpret_cast<const wchar_t*>(16)).c_str(), L"<printf format error>");
  EXPECT_STREQ(String().FormatV(nullptr, nullptr).c_str(), L"<printf format error>");
  EXPECT_STREQ(String::Formatted(L"100%%").c_str(), L"100%");
  int count = -1;
  EXPECT_STREQ(String::Formatted(L"abc%nx", &count).c_str(), L"abcx");
  EXPECT_EQ(count, 3);
  EXPECT_STREQ(String::Formatted(L"%n", static_cast<int*>(nullptr)).c_str(), L"<printf format error>");

  std::wstring long150(150, L'q');
  EXPECT_EQ(String::Formatted(L"%s", long150.c_str()).Length(), 150u);  // not cut at 100
  EXPECT_EQ(String::Formatted(L"%*d", 300, 1).Length(), 300u);
  EXPECT_EQ(String::Formatted(L"%.*s", 3, L"abcdef").Length(), 3u);
  EXPECT_EQ(String::Formatted(L"%f", 1e300).Length(), 308u);  // every integer digit fits
  EXPECT_EQ(String::Formatted(L"%.60d", 1).Length(), 60u);
  // Widths beyond any sane line are refused, not allocated.
  EXPECT_STREQ(String::Formatted(L"%*d", 0x7FFFFFFF, 1).c_str(), L"<printf format error>");
  EXPECT_STREQ(String::Formatted(L"%.2000000000f", 1.0).c_str(), L"<printf format error>");
}

TEST(StringText, ErrorTextForKnownAndUnknownCodes) {
  String known = String::ErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_GT(known.Length(), 12u);
  EXPECT_NE(known.Find(L" (00000002)"), -1);
  EXPECT_NE(known.At(known.Length() - 12), L'\n');
  EXPECT_STREQ(String::ErrorText(0x2345ABCD).c_str(), L"(error code 0x2345abcd)");
}

TEST(StringText, FromUTF8ResultsAndErrors) {
  auto units = [](std::initializer_list<unsigned> bytes) {
    String s;
    for (unsigned b : bytes) s.Append(static_cast<wchar_t>(b));
    return String::FromUTF8(s);
  };
  EXPECT_STREQ(units({0xC3, 0xA9}).c_str(), L"\u00e9");
  EXPECT_STREQ(units({'a', 0xE2, 0x82, 0xAC, 'b'}).c_str(), L"a\u20acb");
  EXPECT_STREQ(units({0xC0, 0x80}).c_str(), L"invalid UTF-8 encoding!");
  EXPECT_STREQ(units({0xE0, 0x80, 0xAF}).c_str(), L"invalid UTF-8 encoding!");
  EXPECT_STREQ(units({0xF0, 0x9F, 0x98, 0x80}).c_str(), L"UCS-4 not supported!");
  EXPECT_STREQ(units({0x80}).c_str(), L"invalid UTF-8 sequence found!");
  EXPECT_STREQ(units({0xC3, 'x'}).c_str(), L"invalid UTF-8 sequence found!");
  EXPECT_STREQ(units({0xC3}).c_str(), L"invalid UTF-8 sequence found!");  // cut short at the end
  EXPECT_STREQ(units({0xFF}).c_str(), L"invalid UTF-8 sequence found!");
  EXPECT_STREQ(String::FromUTF8("z\xc3\xa9").c_str(), L"z\u00e9");
}

TEST(StringText, LocaleInfoDropsTheTerminator) {
  String s = String::LocaleInfo(LOCALE_SDECIMAL);
  EXPECT_GE(s.Length(), 1u);
  EXPECT_NE(s.At(s.Length() - 1), L'\0');
}

TEST(StringReports, OutOfBoundsWriteLandsInTheSentinel) {
  testsupport::DebugCapture capture;
  String s(L"ab");
  s[5] = L'!';
  EXPECT_STREQ(s.c_str(), L"ab");
  EXPECT_EQ(String::Sentinel(), L'!');
  { String reported; }  // the next destruction reports and clears it
  EXPECT_EQ(String::Sentinel(), L'\0');
  EXPECT_TRUE(capture.Contains(L"WRN: detected write to String::operator[] with index out of bounds"));
}

TEST(StringReports, DoubleReleaseWarnsAndNeverFreesTwice) {
  testsupport::DebugCapture capture;
  auto* victim = new String(L"victim");
  // Simulate a sharer that already released: the destructor then drives usage below zero.
  auto* block = static_cast<StringBuffer*>(const_cast<void*>(victim->BufferIdentity()));
  InterlockedDecrement(&block->usage);
  delete victim;
  EXPECT_TRUE(capture.Contains(L"WRN: String buffer released twice (usage=-1)"));
  std::free(block);  // the block was left allocated, as it must be
}

TEST(StringConversion, InlineHeapAndWriteBack) {
  clsCharsetConversionString shortText("abc", 1252);
  EXPECT_STREQ(shortText.Wide(), L"abc");
  std::string longNarrow(200, 'n');
  clsCharsetConversionString longText(longNarrow.c_str(), 1252);
  EXPECT_EQ(wcslen(longText.Wide()), 200u);
  clsCharsetConversionString wide(L"caf\u00e9", 65001);
  EXPECT_STREQ(wide.Narrow(), "caf\xc3\xa9");
  clsCharsetConversionString nullText(static_cast<const char*>(nullptr));
  EXPECT_STREQ(nullText.Wide(), L"");

  char target[6] = "old";
  {
    clsCharsetConversionString back(clsCharsetConversionString::WriteBack{}, target, sizeof target, 1252);
    EXPECT_STREQ(back.WideBuffer(), L"old");
    wcscpy(back.WideBuffer(), L"longer");  // 6 units into a 6-byte buffer: cut to 5
  }
  EXPECT_STREQ(target, "longe");
  clsCHARString copy("owned");
  EXPECT_STREQ(copy.Get(), "owned");
}

}  // namespace

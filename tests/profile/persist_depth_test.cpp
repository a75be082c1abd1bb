// Bounds of the profile reader and writer: lists nest at most 1000 levels in every stored form,
// a line's indentation stops growing at level 1024, XFDF values are read in linear time and
// their joined field names are bounded.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "persist_test_util.h"
#include "profile/persist/tree_writer.h"

using namespace persisttest;
using namespace ovut::persist;

namespace {
const wchar_t kTooDeep[] = L"prof::list: nesting too deep (more than 1000 levels)";
const wchar_t kNameTooLong[] = L"prof::xml::value: field name too long (more than 4096 units)";

std::wstring Repeat(const std::wstring& s, int n) {
  std::wstring out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}
}  // namespace

TEST(PersistDepth, TextNestsListsAtMostTheBound) {
  const struct {
    int mode;
    std::wstring head, open, leaf;
    uint32_t headLines, openLines;
  } forms[] = {
      {kModeXml, L"<profile>\r\n", L"<list name=\"n\">\r\n", L"<item name=\"leaf\">v</item>\r\n", 1, 1},
      {kModeIni, L"[/]\r\n{\r\n", L"[n]\r\n{\r\n", L"leaf=v\r\n", 2, 2},
  };
  for (const auto& f : forms) {
    for (int depth : {1000, 1001, 100000}) {
      std::wstring dump;
      uint32_t line = 0;
      std::wstring msg = ReadError(f.head + Repeat(f.open, depth) + f.leaf, f.mode, &dump, -1, &line);
      if (depth == 1000) {
        EXPECT_EQ(msg, L"") << f.mode;
        EXPECT_EQ(dump, Repeat(L"[n]{", 1000) + L"leaf=v;" + Repeat(L"}", 1000)) << f.mode;
      } else {
        // Reported on the header of the list one level too deep; the open lists are dropped.
        EXPECT_EQ(msg, kTooDeep) << f.mode << " " << depth;
        EXPECT_EQ(line, f.headLines + 1000 * f.openLines + 1) << f.mode << " " << depth;
        EXPECT_EQ(dump, L"") << f.mode << " " << depth;
      }
    }
  }
}

TEST(PersistDepth, StoredFormsNestingTooDeepFailWithMinusSeven) {
  const std::wstring ini16 = L"\xfeff[/]\r\n{\r\nkept=1\r\n" + Repeat(L"[d]\r\n{\r\n", 5000);
  auto plain = codectest::MemFile(Bytes(ini16));
  auto packed = codectest::MemFile();
  packed->Write("ZLeZ", 4);
  ASSERT_EQ(ovut::codec::StreamDeflate(*packed.Get(), *plain.Get(), 6), ovut::codec::kStreamOk);
  std::string named = "[top]\r\nkept=1\r\n";
  for (int i = 0; i < 5000; ++i) named += "[d]\r\n";  // headers without braces nest too
  const struct { const char* what; std::string bytes; } cases[] = {
      {"UTF-16 INI", Bytes(ini16)},
      {"packed UTF-16 INI", codectest::Content(*packed.Get())},
      {"8-bit INI without braces", named},
  };
  for (const auto& c : cases) {
    int err = 0;
    EXPECT_EQ(Load(c.bytes, &err), L"kept=1;") << c.what;  // what was complete stays
    EXPECT_EQ(err, -7) << c.what;
  }
}

// Levels past 1024 are indented as 1024, so a line costs the same at any level; below it the
// bytes are those of every saved profile.
TEST(PersistDepth, IndentationStopsGrowingAtLevel1024) {
  clsItemList list(L"/", 1);
  list.AppendValue(L"k", 1, L"v", 1);
  const struct { int level; size_t tabs, spaces; } cases[] = {
      {1, 0, 1}, {6, 1, 2}, {1023, 255, 3}, {1024, 256, 0}, {1025, 256, 0}, {INT_MAX, 256, 0},
  };
  for (const auto& c : cases) {
    auto f = codectest::MemFile();
    {
      clsTreeWriter w(*f.Get(), kFormXml);
      EXPECT_TRUE(w.WriteList(list, c.level));
    }
    EXPECT_EQ(Wide(codectest::Content(*f.Get())),
              std::wstring(c.tabs, L'\t') + std::wstring(c.spaces, L' ') + L"<item name=\"k\">v</item>\r\n")
        << c.level;
  }
  // INI at the last level: header, braces and items all stand at the cap.
  clsItemList named(L"L", 1);
  named.AppendValue(L"k", 1, L"v", 1);
  auto f = codectest::MemFile();
  {
    clsTreeWriter w(*f.Get(), kFormIni);
    EXPECT_TRUE(w.WriteList(named, INT_MAX));
  }
  const std::wstring in(256, L'\t');
  EXPECT_EQ(Wide(codectest::Content(*f.Get())), in + L"[L]\r\n" + in + L"{\r\n" + in + L"k=v\r\n" + in + L"}\r\n");
}

// A value of 200,000 lines: only each new line is searched for its end (searching the whole
// value again for every line would take minutes).
TEST(PersistDepth, XfdfReadsLongValuesInLinearTime) {
  const int kLines = 200000;
  std::wstring text = L"<xfdf x>\r\n<field name=\"a\">\r\n<value>" + Repeat(L"ab\r\n", kLines) + L"end</value>\r\n";
  std::wstring dump;
  EXPECT_EQ(ReadError(text, kModeXfdf, &dump), L"");
  EXPECT_EQ(dump, L"a=" + Repeat(L"ab\r\n", kLines) + L"end;");
}

TEST(PersistDepth, XfdfJoinedFieldNamesAreBounded) {
  // "a" x 2000, ".", "b" x 2095: exactly 4096 units make the item's name; one more fails.
  for (size_t extra : {0u, 1u}) {
    const std::wstring a(2000, L'a'), b(2095 + extra, L'b');
    std::wstring dump;
    std::wstring msg = ReadError(L"<xfdf x>\r\n<field name=\"" + a + L"\">\r\n<field name=\"" + b +
                                     L"\">\r\n<value>v</value>\r\n",
                                 kModeXfdf, &dump);
    EXPECT_EQ(msg, extra ? kNameTooLong : L"");
    EXPECT_EQ(dump, extra ? L"" : a + L"." + b + L"=v;");
  }
  // Nested fields that each hold a value: names grow with the nesting, so the read stops once a
  // name passes the bound (2048 levels of one-letter names) instead of costing the square.
  std::wstring dump;
  EXPECT_EQ(ReadError(L"<xfdf x>\r\n" + Repeat(L"<field name=\"f\">\r\n<value>v</value>\r\n", 10000), kModeXfdf, &dump),
            kNameTooLong);
  EXPECT_EQ(dump.size(), 2048 * 2048 + 2048 * 3u);  // 2048 items "f.f...f=v;"
  // An error carries the field names as they were opened, dots inside names and all.
  clsItemList root(L"/", 1);
  clsLineSource src(std::wstring(L"<xfdf x>\r\n<field name=\"a.b\">\r\n<field name=\"\">\r\n<field name=\"c\">\r\n<value>x"));
  uint32_t counter = 0;
  try {
    ReadProfileText(root, -1, src, kModeXfdf, counter);
    ADD_FAILURE() << "no error";
  } catch (const clsLoadException& e) {
    ASSERT_EQ(e.fieldNames.size(), 3u);
    EXPECT_STREQ(e.fieldNames[0].c_str(), L"a.b");
    EXPECT_STREQ(e.fieldNames[1].c_str(), L"");
    EXPECT_STREQ(e.fieldNames[2].c_str(), L"c");
  }
}

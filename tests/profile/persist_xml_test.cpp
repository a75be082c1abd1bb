#include <gtest/gtest.h>

#include <string>

#include "persist_test_util.h"
#include "profile/persist/xml_escape.h"

using namespace persisttest;
using namespace ovut::persist;

namespace {
std::wstring Escape(const std::wstring& s) {
  std::wstring out;
  AppendEscaped(out, s.data(), s.size());
  EXPECT_EQ(out.size(), EscapedLength(s.data(), s.size()));
  return out;
}
std::wstring Unescape(std::wstring s) {
  s.resize(UnescapeInPlace(&s[0], s.size()));
  return s;
}
const wchar_t* kHeaderEnd = L"<!-- DATA -->\r\n";
}  // namespace

TEST(PersistXml, EscapingBothWays) {
  const struct { std::wstring plain, escaped, back; } cases[] = {
      {L"a\r\nb", L"a&cr;b", L"a\r\nb"},
      {L"a\nb", L"a&cr;b", L"a\r\nb"},     // lone LF reads back as CR LF
      {L"a\rb", L"a&cr;b", L"a\r\nb"},
      {L"\t", L"&tab;", L"\t"},
      {std::wstring(1, L'\x01'), L"&#x0001;", std::wstring(1, L'\x01')},
      {std::wstring(1, L'\x1f'), L"&#x001f;", std::wstring(1, L'\x1f')},
      {L"<a href=\"x\">&'", L"&lt;a href=&quot;x&quot;&gt;&amp;&apos;", L"<a href=\"x\">&'"},
      {L"\x00e4\x4e2d\xd83d\xde00", L"\x00e4\x4e2d\xd83d\xde00", L"\x00e4\x4e2d\xd83d\xde00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Escape(c.plain), c.escaped);
    EXPECT_EQ(Unescape(c.escaped), c.back);
  }
  const struct { const wchar_t* in; std::wstring out; } reads[] = {
      {L"&#65;", L"A"},
      {L"&#x41;b", L"Ab"},
      {L"x&#x41", L"xA"},           // no ";": the text ends after the character
      {L"&#x41 tail", L"A"},
      {L"&#x10041;", L"A"},         // cut to 16 bits
      {L"&Lt;&CR;&", L"&Lt;&CR;&"},  // names are case-sensitive; a lone "&" stays
      {L"&#;&#xg;", L"&#;&#xg;"},
  };
  for (const auto& r : reads) EXPECT_EQ(Unescape(r.in), r.out) << r.in;
}

TEST(PersistXml, WriterLayout) {
  Job j;
  Add(j.root(), L"a\"q", L"1\r\n2");
  clsItemList& l = AddList(j.root(), L"L");
  Add(l, L"x", L"<");
  clsItemList& deep = AddList(AddList(AddList(AddList(l, L"3"), L"4"), L"5"), L"6");
  Add(deep, L"five", L"");
  clsItemList& slash = AddList(j.root(), L"/");  // a nested "/" list has no element
  Add(slash, L"s", L"t");
  std::wstring text = Wide(Save(*j.job, 1));
  ASSERT_EQ(text[0], 0xFEFF);
  size_t body = text.find(kHeaderEnd);
  ASSERT_EQ(body, 1 + 426 - wcslen(kHeaderEnd));
  const std::wstring decl = L"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>\r\n";
  EXPECT_EQ(text.substr(1, decl.size()), decl);
  EXPECT_EQ(text.substr(body + wcslen(kHeaderEnd)),
            L"<profile>\r\n"
            L" <item name=\"a&quot;q\">1&cr;2</item>\r\n"
            L" <list name=\"L\">\r\n"
            L"  <item name=\"x\">&lt;</item>\r\n"
            L"  <list name=\"3\">\r\n"
            L"   <list name=\"4\">\r\n"
            L"\t<list name=\"5\">\r\n"
            L"\t <list name=\"6\">\r\n"
            L"\t  <item name=\"five\"></item>\r\n"
            L"\t </list>\r\n"
            L"\t</list>\r\n"
            L"   </list>\r\n"
            L"  </list>\r\n"
            L" </list>\r\n"
            L" <item name=\"s\">t</item>\r\n"
            L"</profile>\r\n");
  // Read back: the "/" list's items now stand in the root.
  EXPECT_EQ(Load(Save(*j.job, 1)), L"a\"q=1\r\n2;[L]{x=<;[3]{[4]{[5]{[6]{five=;}}}}}s=t;");
  // An empty profile is an empty file in every form.
  Job empty;
  for (int flags : {0, 1, 2, 3, 15}) EXPECT_EQ(Save(*empty.job, flags), "") << flags;
}

TEST(PersistXml, ReaderErrorsWithLineNumbers) {
  const std::wstring pre = L"<?xml version=\"1.0\"?>\r\n\r\n<profile>\r\n";
  const struct { std::wstring text; const wchar_t* message; uint32_t line; } cases[] = {
      {pre + L"oops\r\n", L"prof::xml: bad format", 3},
      {L"<item name=\"a\">1</item>\r\n", L"prof::xml::item bad nesting level (becomes negative)", 1},
      {pre + L"<item id=\"a\">1</item>", L"prof::xml::item empty name", 3},
      {pre + L"<item name=\"a>1</item>", L"prof::xml::item no end tag", 3},
      {pre + L"<item name=\"a\"", L"prof::xml::item no end tag (2)", 3},
      {pre + L"<item name=\"a\">1</ITEM>", L"prof::xml::item no '</item>' tag found", 3},
      {pre + L"<ITEM name=\"a\">1</ITEM>", L"prof::xml::item no '</item>' tag found", 3},
      {L"<list name=\"a\">", L"prof::xml::list: bad nesting level", 1},
      {pre + L"<list id=\"a\">", L"prof::xml::list: name is empty", 3},
      {pre + L"<list name=\"a>", L"prof::xml::list: name is unfinished", 3},
      {L"</list>", L"prof::xml::profile: bad nesting level (becomes negative)", 1},
      {pre + L"<profile>", L"prof::xml::profile: bad nesting level (should be -1)", 3},
      {L"</profile>", L"prof::xml::profile: bad nesting level (should be 0)", 1},
      {pre + L"<xfdf xmlns=\"\">", L"prof::xml::xfdf: bad nesting level (should be -1)", 3},
      {L"</xfdf>", L"prof::xml::xfdf: bad nesting level (should be 0)", 1},
      {pre + L"<!-- a\r\nletter first\r\n-->", L"prof::xml: bad format", 4},
      {pre + L"<!--note-->\r\n<item name=\"a\">1</item>\r\nx", L"prof::xml: bad format", 5},
  };
  for (const auto& c : cases) {
    uint32_t line = 0;
    EXPECT_EQ(ReadError(c.text, kModeXml, nullptr, -1, &line), c.message) << c.text;
    EXPECT_EQ(line, c.line) << c.text;
  }
}

TEST(PersistXml, ReaderToleranceAndPartialDocuments) {
  const struct { std::wstring text; std::wstring dump; } cases[] = {
      // Unfinished documents keep everything read.
      {L"<profile>\r\n<list name=\"L\">\r\n<item name=\"a\">1</item>", L"[L]{a=1;}"},
      // A stray </list> in the root ends the reading.
      {L"<profile>\r\n<item name=\"a\">1</item>\r\n</list>\r\n<item name=\"b\">2</item>", L"a=1;"},
      // Lines after </profile> are never read.
      {L"<profile>\r\n<item name=\"a\">1</item>\r\n</profile>\r\ngarbage", L"a=1;"},
      // Comments: one line, open across lines, closed at "-->" after a blank or at line start.
      {L"<!-- note -->\r\n<profile>\r\n<!--x\r\n<still comment\r\n--> <item name=\"a\">1</item>\r\n"
       L"<!-- y --> <item name=\"b\">2</item>",
       L"a=1;b=2;"},
      // Unknown tags and blanks; text after </item> ignored; tag prefixes in capitals.
      {L"  <profile>\r\n\t<foo/>\r\n <item name=\"a\" x=\"1\">v</item> tail\r\n<LIST name=\"l\">\r\n</LIST>",
       L"a=v;[l]{}"},
  };
  for (const auto& c : cases) {
    std::wstring dump;
    EXPECT_EQ(ReadError(c.text, kModeXml, &dump), L"") << c.text;
    EXPECT_EQ(dump, c.dump) << c.text;
  }
  // After an error, completed items stay and the open lists are dropped.
  std::wstring dump;
  EXPECT_NE(ReadError(L"<profile>\r\n<item name=\"a\">1</item>\r\n<list name=\"L\">\r\n"
                      L"<item name=\"b\">2</item>\r\nbad",
                      kModeXml, &dump),
            L"");
  EXPECT_EQ(dump, L"a=1;");
}

// The deepest tree a profile may hold (1000 levels) reads and writes without deep recursion;
// persist_depth_test.cpp covers what lies beyond.
TEST(PersistXml, DeepNestingNeedsNoDeepStack) {
  const int kDeep = 1000;
  std::wstring xml = L"<profile>\r\n", ini = L"[/]\r\n{\r\n";
  for (int i = 0; i < kDeep; ++i) {
    xml += L"<list name=\"n\">\r\n";
    ini += L"[n]\r\n{\r\n";
  }
  xml += L"<item name=\"leaf\">v</item>\r\n";
  ini += L"leaf=v\r\n";
  for (const auto& [text, mode] : {std::pair<std::wstring, int>{xml, kModeXml}, {ini, kModeIni}}) {
    clsItemList root(L"/", 1);
    clsLineSource src(text);
    uint32_t counter = 0;
    ReadProfileText(root, -1, src, mode, counter);
    const clsItemList* r = &root;
    int depth = 0;
    while (r->First() && r->First()->IsList()) {
      r = r->First()->SubList();
      ++depth;
    }
    EXPECT_EQ(depth, kDeep) << mode;
    ASSERT_NE(r->First(), nullptr);
    EXPECT_EQ(std::wstring(r->First()->Value()), L"v");
  }

  Job j;
  clsItemList* l = &j.root();
  for (int i = 0; i < kDeep; ++i) l = &AddList(*l, L"n");
  Add(*l, L"leaf", L"v");
  const std::wstring dump = Dump(j.root());
  EXPECT_EQ(Load(Save(*j.job, 1)), dump);
  EXPECT_EQ(Load(Save(*j.job, 0)), dump);
  std::wstring flat = Load(Save(*j.job, 2));  // XFDF flattens into dotted names
  EXPECT_EQ(flat.size(), kDeep * 2u + 7);
}

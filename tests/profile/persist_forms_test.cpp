#include <gtest/gtest.h>

#include <string>

#include "persist_test_util.h"

using namespace persisttest;
using namespace ovut::persist;

namespace {
// A tree with the characters each form treats specially.
void Fill(clsItemList& root) {
  Add(root, L"City", L"Bonn");
  Add(root, L"a=b", L"x=y");
  Add(root, L"br[ack]", L"<&>\"'");
  Add(root, L"ctl", L"1\t2\r\n3\x01");
  Add(root, L"uni\x00e4", L"\x4e2d\x6587");
  clsItemList& addr = AddList(root, L"Addr");
  Add(addr, L"Zip", L"53111");
  Add(AddList(addr, L"Inner"), L"k", L"");
}
std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s.push_back(static_cast<char>(c));
  return s;
}
}  // namespace

TEST(PersistForms, IniLayoutAndCharacterMapping) {
  Job j;
  Add(j.root(), L"a=b", L"x=y");
  Add(j.root(), L"t\tn", L"1\t2\r\n");
  Add(AddList(j.root(), L"L"), L"[k]", L"v");
  EXPECT_EQ(Wide(Save(*j.job, 0)),
            L"\xfeff[/]\r\n {\r\n a\x2338" L"b=x=y\r\n t\x2409n=1\x2409" L"2\x240d\x240a\r\n"
            L" [L]\r\n  {\r\n  \x301a" L"k\x301b=v\r\n  }\r\n }\r\n");
  // Names keep the control pictures, values get the control characters back.
  EXPECT_EQ(Load(Save(*j.job, 0)), L"a=b=x=y;t\x2409n=1\t2\r\n;[L]{[k]=v;}");
}

TEST(PersistForms, IniReading) {
  const struct { const char* text; std::wstring dump; } cases[] = {
      {"[Settings]\r\nsize=1\r\n[Other]\r\nmode=2\r\n[Third]\r\nx", L"size=1;[Other]{mode=2;[Third]{x=;}}"},
      {"[/]\r\n{\r\n#x=1\r\n;y=2\r\nnoeq\r\n[abc] \r\n{\r\nin=1\r\n}\r\nout=2\r\n}\r\nafter=3", L"noeq=;[abc]]{in=1;}out=2;"},
      {"no root header\r\na=1", L""},
      {"", L""},
  };
  for (const auto& c : cases) {
    int err = 99;
    EXPECT_EQ(Load(c.text, &err), c.dump) << c.text;
    EXPECT_EQ(err, 0) << c.text;
  }
  // A file shorter than 4 bytes does not load.
  Job j;
  auto f = codectest::MemFile("a=1");
  EXPECT_FALSE(LoadProfile(*j.job, *f.Get()));
}

TEST(PersistForms, XfdfExportLayoutEscapingAndReadBack) {
  Job j;
  Add(j.root(), L"City", L"Bonn");
  Add(AddList(j.root(), L"Addr"), L"Zip", L"5<3&");
  std::string text = Save(*j.job, 2);
  EXPECT_EQ(text,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<xfdf xmlns=\"http://ns.adobe.com/xfdf/\" xml:space=\"preserve\">\r\n"
            "<fields>\r\n"
            " <field name=\"City\">\r\n  <value>Bonn</value>\r\n </field>\r\n"
            " <field name=\"Addr\">\r\n"
            "  <field name=\"Zip\">\r\n   <value>5&lt;3&amp;</value>\r\n  </field>\r\n"
            " </field>\r\n"
            "</fields>\r\n</xfdf>\r\n");
  // 8-bit export read back: the fields after the first one are read too; nesting gives dots.
  EXPECT_EQ(Load(text), L"City=Bonn;Addr.Zip=5<3&;");
}

TEST(PersistForms, XfdfReaderErrors) {
  const struct { std::wstring text; const wchar_t* message; } cases[] = {
      {L"<xfdf x>\r\nplain", L"prof::xml::xfdf: bad format ('<' expected)"},
      {L"<value>1</value>", L"prof::xml::value: bad format (negative level)"},
      {L"<field name=\"a\">", L"prof::xml::field: bad format (negative level)"},
      {L"</field>", L"prof::xml::field: bad format (negative level)"},
      {L"<xfdf x>\r\n<field x>", L"prof::xml::field: no name found"},
      {L"<xfdf x>\r\n<field name=\"a>", L"prof::xml::field: name unfinished"},
      {L"<xfdf x>\r\n<field name=\"a\">\r\n<value>open\r\nstill", L"prof::xml::value: bad format (missing next line)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadError(c.text, kModeXfdf), c.message) << c.text;
  std::wstring dump;
  EXPECT_EQ(ReadError(L"<xfdf x>\r\n<field name=\"a\">\r\n<value>l1\r\n  l2</value>\r\n</field>\r\n</xfdf>",
                      kModeXfdf, &dump),
            L"");
  EXPECT_EQ(dump, L"a=l1\r\nl2;");
  // In a UTF-16 document an "<xfdf " line inside XML mode switches to XFDF.
  EXPECT_EQ(ReadError(L"<?xml?>\r\n<xfdf x>\r\n<field name=\"f\">\r\n<value>v</value>", kModeXml, &dump), L"");
  EXPECT_EQ(dump, L"f=v;");
}

TEST(PersistForms, EveryFormRoundTripsThroughDetection) {
  Job j;
  Fill(j.root());
  const std::wstring full = Dump(j.root());
  // XML keeps everything (control characters and all).
  EXPECT_EQ(Load(Save(*j.job, 1)), full);
  EXPECT_EQ(Load(Save(*j.job, 3)), full);
  // INI: names keep the control pictures, "=" "[" "]" survive.
  EXPECT_EQ(Load(Save(*j.job, 0)),
            L"City=Bonn;a=b=x=y;br[ack]=<&>\"';ctl=1\t2\r\n3\x01;uni\x00e4=\x4e2d\x6587;[Addr]{Zip=53111;[Inner]{k=;}}");
  // Packed container of each form: detected, inflated, marked as loaded packed.
  for (int flags : {65, 64, 66}) {
    std::string bytes = Save(*j.job, flags);
    ASSERT_EQ(bytes.substr(0, 4), "ZLeZ");
    bool packed = false;
    int err = 1;
    std::wstring back = Load(bytes, &err, &packed);
    EXPECT_TRUE(packed);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(back, Load(Save(*j.job, flags & 15))) << flags;
  }
  // Flag 128 packs only a job that was loaded packed.
  EXPECT_NE(Save(*j.job, 129).substr(0, 4), "ZLeZ");
  j.job->loadedPacked = true;
  EXPECT_EQ(Save(*j.job, 129).substr(0, 4), "ZLeZ");
  // A damaged container fails the load.
  std::string bad = Save(*j.job, 65);
  bad.resize(bad.size() / 2);
  Job k;
  auto f = codectest::MemFile(bad);
  EXPECT_FALSE(LoadProfile(*k.job, *f.Get()));
}

TEST(PersistForms, FormatErrorIsMinusSeven) {
  int err = 0;
  std::wstring dump = Load(Bytes(L"\xfeff<profile>\r\n<item name=\"a\">1</item>\r\nbroken\r\n"), &err);
  EXPECT_EQ(err, -7);
  EXPECT_EQ(dump, L"a=1;");
  // UTF-16 without "<" first is INI.
  EXPECT_EQ(Load(Bytes(L"\xfeff[/]\r\n{\r\nk=v\r\n}")), L"k=v;");
  // 8-bit INI with "[/]".
  EXPECT_EQ(Load("[/]\r\n{\r\nk=v\r\n}"), L"k=v;");
  (void)Narrow;
}

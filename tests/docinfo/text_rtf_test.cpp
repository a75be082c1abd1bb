#include <gtest/gtest.h>

#include <string>

#include "text_reader_support.h"

using namespace textreaders;

namespace {
std::string Rtf(const std::string& info, const std::string& header = "\\ansi\\ansicpg1252\\deff0") {
  return "{\\rtf1" + header + "{\\fonttbl{\\f0 Arial;}}\n{\\info" + info + "}\\pard Body text\\par}";
}
}  // namespace

TEST(TextRtf, InformationGroup) {
  const ReadRun r = ReadBytes(docinfo::ReadRtf,
                          Rtf("{\\title Gr\\'fc\\'dfe}{\\subject Sub \\{x\\} \\\\ y}{\\author \\u23665?\\u30000?}"
                              "{\\keywords a, b}{\\doccomm Line\\par two}{\\operator ignored}{\\*\\company skip}"
                              "{\\creatim\\yr2024\\mo3\\dy5\\hr10\\min7}{\\revtim\\yr2025\\mo12\\dy31\\hr23\\min59\\sec30}"));
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "Grüße");  // no leading blank from the control word's delimiter
  EXPECT_FIELD(r.fields.subject, "Sub {x} \\ y");
  EXPECT_FIELD(r.fields.author, "山田");
  EXPECT_FIELD(r.fields.keywords, "a, b");
  EXPECT_FIELD(r.fields.comments, "Line\ntwo");
  SYSTEMTIME created{}, modified{};
  created.wYear = 2024, created.wMonth = 3, created.wDay = 5, created.wHour = 10, created.wMinute = 7;
  modified.wYear = 2025, modified.wMonth = 12, modified.wDay = 31, modified.wHour = 23, modified.wMinute = 59,
  modified.wSecond = 30;
  EXPECT_DATE(r.fields.created, created);
  EXPECT_DATE(r.fields.modified, modified);
}

TEST(TextRtf, UnicodeFallbacksAndUprGroups) {
  struct {
    const char* info;
    const char* header;
    const char* title;
  } cases[] = {
      // \ucN: N fallback characters follow each \uN; hex escapes count as one.
      {"{\\title \\uc2\\u26085\\'93\\'fa\\u26412\\'96\\'7b}", "\\ansi\\ansicpg932", "日本"},
      {"{\\title \\uc0\\u228 x}", "\\ansi", "äx"},
      {"{\\title \\u-3913?}", "\\ansi", "\xEF\x82\xB7"},  // negative values are the upper half
      // Shift-JIS bytes in a Japanese document's code page.
      {"{\\title \\'93\\'fa\\'96\\'7b}", "\\ansi\\ansicpg932", "日本"},
      // The ANSI title and its Unicode form: the Unicode form wins.
      {"{\\upr{\\title ANSI ?}{\\*\\ud{\\title Unicode \\u8364?}}}", "\\ansi", "Unicode €"},
      {"{\\title {\\b bold} plain}", "\\ansi", "bold plain"},
      {"{\\title}", "\\ansi", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.info);
    const ReadRun r = ReadBytes(docinfo::ReadRtf, Rtf(c.info, c.header));
    ASSERT_EQ(r.result, 0);
    EXPECT_FIELD(r.fields.title, c.title);
  }
  // An {\upr} group before the dates does not hide them.
  const ReadRun r = ReadBytes(docinfo::ReadRtf, Rtf("{\\upr{\\author A}{\\*\\ud{\\author A}}}{\\creatim\\yr2024\\mo3\\dy5}"));
  EXPECT_EQ(r.fields.created.wYear, 2024);
  EXPECT_FIELD(r.fields.author, "A");
}

TEST(TextRtf, HostileAndForeignFiles) {
  EXPECT_LT(ReadBytes(docinfo::ReadRtf, "plain text").result, 0);
  EXPECT_EQ(ReadBytes(docinfo::ReadRtf, "{\\rtf1 no info}").result, 0);
  // A million nested groups, inside and outside the information group.
  const std::string deep(1u << 20, '{');
  for (const std::string& bytes : {"{\\rtf1" + deep, Rtf("{\\title " + deep), Rtf("{\\title x}" + deep + "}")}) {
    const ReadRun r = ReadBytes(docinfo::ReadRtf, bytes);
    EXPECT_EQ(r.result, 0);
    EXPECT_LT(r.milliseconds, kQuickMs);
  }
  // Truncated inside the information group: what was complete is kept.
  const ReadRun r = ReadBytes(docinfo::ReadRtf, "{\\rtf1{\\info{\\title Whole}{\\author Cut");
  EXPECT_FIELD(r.fields.title, "Whole");
  EXPECT_TRUE(r.fields.author.IsEmpty());
}

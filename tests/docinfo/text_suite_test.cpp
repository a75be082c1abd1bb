#include <gtest/gtest.h>

#include "text_reader_support.h"

using namespace textreaders;

// One document written by an office suite (from a flat ODF source with umlauts, Japanese and a
// character reference) and exported to each text format the readers know.
TEST(TextSuite, DocumentsSavedByAnOfficeSuite) {
  SYSTEMTIME created{}, modified{};
  created.wYear = 2024, created.wMonth = 3, created.wDay = 5, created.wHour = 10, created.wMinute = 7;
  modified.wYear = 2024, modified.wMonth = 3, modified.wDay = 6, modified.wHour = 11;
  const SYSTEMTIME createdUtc = LocalOfUtc(2024, 3, 5, 10, 7, 0), modifiedUtc = LocalOfUtc(2024, 3, 6, 11, 0, 0);
  const SYSTEMTIME none{};
  struct {
    const char* file;
    Reader reader;
    const char *subject, *author, *lastAuthor, *keywords;
    SYSTEMTIME created, modified;
  } cases[] = {
      {"text_suite.odt", docinfo::ReadZipContainer, "Betreff & Thema", "Jürgen Müller", "山田 太郎", "eins, zwei, drei",
       created, modified},
      {"text_suite.docx", docinfo::ReadZipContainer, "Betreff & Thema", "Jürgen Müller", "山田 太郎", "eins zwei drei",
       createdUtc, modifiedUtc},
      // The suite writes the last editor as a second \author group; the later group counts.
      {"text_suite.rtf", docinfo::ReadRtf, "Betreff & Thema", "山田 太郎", "", "eins, zwei, drei", created, modified},
      {"text_suite.html", docinfo::ReadHtml, "", "Jürgen Müller", "", "eins, zwei, drei", none, none},
      {"text_suite_word2003.xml", docinfo::ReadXml, "Betreff & Thema", "Jürgen Müller", "山田 太郎", "", createdUtc,
       modifiedUtc},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const ReadRun r = ReadFixture(c.reader, c.file);
    ASSERT_EQ(r.result, 0);
    EXPECT_FIELD(r.fields.title, "Grüße aus 日本");
    EXPECT_FIELD(r.fields.subject, c.subject);
    EXPECT_FIELD(r.fields.author, c.author);
    EXPECT_FIELD(r.fields.lastAuthor, c.lastAuthor);
    EXPECT_FIELD(r.fields.keywords, c.keywords);
    EXPECT_FIELD(r.fields.comments, "Ein Kommentar");
    EXPECT_DATE(r.fields.created, c.created);
    EXPECT_DATE(r.fields.modified, c.modified);
  }
}

#include <gtest/gtest.h>

#include "text_reader_support.h"

using namespace textreaders;

TEST(TextMail, MessageWrittenByPythonsEmailPackage) {
  // Encoded words in UTF-8 (Q and B), a Subject folded between two encoded words and inside
  // plain text, a Japanese display name, a hyphenated header before the others.
  const ReadRun r = ReadFixture(docinfo::ReadMail, "text_mail_python.eml");
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.author, "Jürgen Müller <juergen@example.de>");
  EXPECT_FIELD(r.fields.lastAuthor, "山田 太郎 <taro@example.jp>, Bob <bob@example.com>");
  EXPECT_FIELD(r.fields.title,
               "Grüße aus München – ein recht langer Betreff, der gefaltet werden muss, 日本語のテキスト");
  EXPECT_DATE(r.fields.created, LocalOfUtc(2024, 3, 5, 8, 7, 0));
}

TEST(TextMail, HeaderForms) {
  struct {
    const char* header;
    const char* title;
  } cases[] = {
      {"Subject: =?ISO-8859-1?Q?Gr=FC=DFe_aus_K=F6ln?=\r\n", "Grüße aus Köln"},
      {"Subject: =?iso-8859-1*de?q?=FC?=\r\n", "ü"},                        // language suffix
      {"Subject: Hello\r\n\tWorld\r\n", "Hello\tWorld"},                   // the fold keeps the tab
      {"Subject: Hello\n World\n", "Hello World"},
      {"Subject: =?utf-8?B?w7w=?= =?utf-8?B?w58=?= x\r\n", "üß x"},          // adjacent words join
      {"Subject: =?utf-8?B?5pel?=\r\n =?utf-8?B?5pys?=\r\n", "日本"},
      {"Subject: =?utf-8?B?4oA=?==?utf-8?B?kw==?=\r\n", "–"},               // one character in two words
      {"Subject: a =?bogus?Q?x?\r\n", "a =?bogus?Q?x?"},                    // not an encoded word
      {"Subject: =?x-unknown?Q?abc?=\r\n", "abc"},                          // unknown charset: ANSI
      {"Subject: Grüße\r\n", "Grüße"},                                      // raw UTF-8 header
      {"Subject:\r\n", ""},
      {"subject :  spaced  \r\n", "spaced"},
      {"Reply-To: someone@example.com\r\nSubject: kept\r\nX-Subject: other\r\n", "kept"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header);
    const ReadRun r = ReadBytes(docinfo::ReadMail, std::string("From: a@b\r\n") + c.header + "\r\nbody\r\nSubject: no\r\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_FIELD(r.fields.title, c.title);
  }
}

TEST(TextMail, Dates) {
  struct {
    const char* date;
    SYSTEMTIME expected;
  } cases[] = {
      {"Tue, 5 Mar 2024 10:00:00 +0200", LocalOfUtc(2024, 3, 5, 8, 0, 0)},
      {"Tue, 5 Mar 2024 10:00 +0200", LocalOfUtc(2024, 3, 5, 8, 0, 0)},     // no seconds
      {"Tue, 5 Mar 2024 10:00:00 EST", LocalOfUtc(2024, 3, 5, 15, 0, 0)},   // named zone
      {"Tue, 5 Mar 2024 10:00:00 -0130", LocalOfUtc(2024, 3, 5, 11, 30, 0)},
      {"Tue, 5 Mar 2024\r\n 10:00:00 GMT", LocalOfUtc(2024, 3, 5, 10, 0, 0)},  // folded
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date);
    const ReadRun r = ReadBytes(docinfo::ReadMail, std::string("Date: ") + c.date + "\r\n\r\n");
    ASSERT_EQ(r.result, 0);
    EXPECT_DATE(r.fields.created, c.expected);
  }
  // Unreadable or empty dates leave the field as it was (an empty one is not "now").
  for (const char* header : {"Date: sometime soon\r\n", "Date:\r\n", "Date:   \r\n"}) {
    SCOPED_TRACE(header);
    const ReadRun r = ReadBytes(docinfo::ReadMail, std::string(header) + "Subject: s\r\n\r\n");
    EXPECT_EQ(r.fields.created.wYear, 0);
  }
}

TEST(TextMail, HostileAndOddFiles) {
  // A megabyte of header lines without an empty line: read up to a bound, quickly.
  std::string big;
  big.reserve(1u << 20);
  big += "Subject: first\r\n";
  while (big.size() < (1u << 20)) big += "X-Filler: 0123456789012345678901234567890123456789\r\n";
  ReadRun r = ReadBytes(docinfo::ReadMail, big);
  EXPECT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "first");
  EXPECT_LT(r.milliseconds, kQuickMs);

  // One header line of a megabyte.
  r = ReadBytes(docinfo::ReadMail, "Subject: " + std::string(1u << 20, 'x'));
  EXPECT_EQ(r.result, 0);
  EXPECT_LT(r.milliseconds, kQuickMs);

  // A file of headers only, and an empty file.
  r = ReadBytes(docinfo::ReadMail, "Subject: only headers\n");
  EXPECT_FIELD(r.fields.title, "only headers");
  r = ReadBytes(docinfo::ReadMail, "");
  EXPECT_EQ(r.result, 0);
  EXPECT_TRUE(r.fields.title.IsEmpty());

  // A long value survives whole.
  const std::string longSubject(20000, 'a');
  r = ReadBytes(docinfo::ReadMail, "Subject: " + longSubject + "\n\n");
  EXPECT_EQ(r.fields.title.Length(), longSubject.size());
}

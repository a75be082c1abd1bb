#include <gtest/gtest.h>

#include <string>

#include "text_reader_support.h"

using namespace textreaders;

namespace {

// A one-revision PDF whose cross-reference entries end with `eol` (two bytes) and whose object 2
// is the information dictionary `info`.
std::string MakePdf(const std::string& eol, const std::string& info, const char* objectEnd = " endobj") {
  std::string pdf = "%PDF-1.4\n";
  const size_t one = pdf.size();
  pdf += "1 0 obj\n<< /Type /Catalog >>\nendobj\n";
  const size_t two = pdf.size();
  pdf += "2 0 obj\n" + info + objectEnd + "\n";
  const size_t xref = pdf.size();
  char entry[32];
  pdf += "xref\n0 3\n";
  pdf += "0000000000 65535 f" + eol;
  snprintf(entry, sizeof entry, "%010zu 00000 n", one);
  pdf += entry + eol;
  snprintf(entry, sizeof entry, "%010zu 00000 n", two);
  pdf += entry + eol;
  pdf += "trailer\n<< /Size 3 /Root 1 0 R /Info 2 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

}  // namespace

TEST(TextPdf, FilesWrittenByRealProducers) {
  // Ghostscript: ">>endobj", octal and parenthesis escapes, a UTF-16BE string with its mark,
  // a date with a zone and one that gives the year only.
  ReadRun r = ReadFixture(docinfo::ReadPdf, "text_pdf_ghostscript.pdf");
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "Grüße (Test) \\ Titel");
  EXPECT_FIELD(r.fields.author, "Ünicod斐");
  EXPECT_FIELD(r.fields.subject, "Subject");
  EXPECT_FIELD(r.fields.keywords, "alpha, beta");
  EXPECT_DATE(r.fields.created, LocalOfUtc(2024, 3, 5, 8, 7, 0));
  SYSTEMTIME newYear{};
  newYear.wYear = 2024, newYear.wMonth = 1, newYear.wDay = 1;
  EXPECT_DATE(r.fields.modified, newYear);

  // The same document through qpdf: a compressed cross-reference stream with a PNG predictor,
  // the information dictionary inside an object stream; and linearized (the last startxref
  // leads to the first-page section, /Prev to the rest).
  for (const char* name : {"text_pdf_objstm.pdf", "text_pdf_linearized.pdf"}) {
    SCOPED_TRACE(name);
    r = ReadFixture(docinfo::ReadPdf, name);
    ASSERT_EQ(r.result, 0);
    EXPECT_FIELD(r.fields.title, "Grüße (Test) \\ Titel");
    EXPECT_FIELD(r.fields.keywords, "alpha, beta");
    EXPECT_DATE(r.fields.created, LocalOfUtc(2024, 3, 5, 8, 7, 0));
  }

  // An incremental update: the last startxref counts, its entries end with blank + CR, and the
  // new information object replaces the old one.
  r = ReadFixture(docinfo::ReadPdf, "text_pdf_incremental.pdf");
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "Updated上");
  EXPECT_FIELD(r.fields.author, "Second) (Writer)");
  EXPECT_DATE(r.fields.created, LocalOfUtc(2024, 3, 5, 10, 7, 0));
  EXPECT_DATE(r.fields.modified, LocalOfUtc(2024, 3, 5, 9, 7, 0));  // zone cut to its hours

  // Encrypted (qpdf, AES-256): no properties.
  r = ReadFixture(docinfo::ReadPdf, "text_pdf_encrypted.pdf");
  EXPECT_GE(r.result, 0);
  EXPECT_TRUE(r.fields.title.IsEmpty());
  EXPECT_EQ(r.fields.created.wYear, 0);
}

TEST(TextPdf, EntryLineEndsAndStrings) {
  for (const char* eol : {" \n", "\r\n", " \r"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(eol)));
    const ReadRun r = ReadBytes(docinfo::ReadPdf, MakePdf(eol, "<< /Title (T) >>"));
    ASSERT_EQ(r.result, 0);
    EXPECT_FIELD(r.fields.title, "T");
  }
  struct {
    const char* value;
    const char* text;
  } strings[] = {
      {"(a\\(b\\)c)", "a(b)c"},
      {"(nested (parens) ok)", "nested (parens) ok"},
      {"(oct\\374al\\61)", "octüal1"},
      {"(line\\\ncontinued)", "linecontinued"},
      {"<FEFF00E4006530E6>", "äeユ"},
      {"<48656C6C6F>", "Hello"},
      {"<48656C6C6>", "Hell`"},  // odd digit count: the last one is padded with 0
      {"(\\376\\377\\000A\\000B)", "AB"},  // UTF-16BE written with octal escapes
      {"(\x8Dquoted\x8E \x93)", "“quoted” ﬁ"},  // PDFDocEncoding
      {"()", ""},
  };
  for (const auto& s : strings) {
    SCOPED_TRACE(s.value);
    const ReadRun r = ReadBytes(docinfo::ReadPdf, MakePdf(" \n", std::string("<</Title ") + s.value + ">>", "endobj"));
    ASSERT_EQ(r.result, 0);
    EXPECT_FIELD(r.fields.title, s.text);
  }
}

TEST(TextPdf, Dates) {
  struct {
    const char* value;
    SYSTEMTIME expected;
  } cases[] = {
      {"(D:20240305100700Z)", LocalOfUtc(2024, 3, 5, 10, 7, 0)},
      {"(D:20240305100700Z00'00')", LocalOfUtc(2024, 3, 5, 10, 7, 0)},
      {"(D:20240305100700+02'00')", LocalOfUtc(2024, 3, 5, 8, 7, 0)},
      {"(D:20240305100700-05'30)", LocalOfUtc(2024, 3, 5, 15, 37, 0)},
      {"(D:20240305100700+02)", LocalOfUtc(2024, 3, 5, 8, 7, 0)},
      {"(20240305100700Z)", LocalOfUtc(2024, 3, 5, 10, 7, 0)},  // without "D:"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const ReadRun r = ReadBytes(docinfo::ReadPdf, MakePdf(" \n", std::string("<< /CreationDate ") + c.value + " >>"));
    ASSERT_EQ(r.result, 0);
    EXPECT_DATE(r.fields.created, c.expected);
  }
  SYSTEMTIME local{};
  local.wYear = 2024, local.wMonth = 3, local.wDay = 5, local.wHour = 10;
  ReadRun r = ReadBytes(docinfo::ReadPdf, MakePdf(" \n", "<< /ModDate (D:2024030510) >>"));
  EXPECT_DATE(r.fields.modified, local);  // no zone: local time as written
  r = ReadBytes(docinfo::ReadPdf, MakePdf(" \n", "<< /ModDate (D:20241399) /Title (x) >>"));
  EXPECT_EQ(r.fields.modified.wYear, 0);
  EXPECT_FIELD(r.fields.title, "x");
}

TEST(TextPdf, BrokenAndHostileFiles) {
  const std::string good = MakePdf(" \n", "<< /Title (T) >>");
  struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"not a PDF", "hello world, startxref 0"},
      {"truncated", good.substr(0, good.size() / 2)},
      {"no startxref", good.substr(0, good.find("startxref"))},
      {"offset past the end", good.substr(0, good.find("startxref")) + "startxref\n99999999999\n%%EOF"},
      {"offset to garbage", good.substr(0, good.find("startxref")) + "startxref\n3\n%%EOF"},
      {"Prev loop", std::string(good).replace(good.find("/Size 3"), 7, "/Prev " + std::to_string(good.find("xref\n0 3")))},
      {"deep nesting", MakePdf(" \n", "<< /Title (T) /X " + std::string(100000, '[') + " >>")},
      {"unterminated string", MakePdf(" \n", "<< /Title (never closed " + std::string(200000, 'x'))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadRun r = ReadBytes(docinfo::ReadPdf, c.bytes);
    EXPECT_GT(r.result, -100);  // ran
    EXPECT_LT(r.milliseconds, kQuickMs);
  }
  // A cross-reference offset into the middle of the table still fails cleanly.
  std::string shifted = good;
  shifted.replace(good.rfind("startxref\n") + 10, std::to_string(good.find("xref")).size(),
                  std::to_string(good.find("xref") + 7));
  EXPECT_LT(ReadBytes(docinfo::ReadPdf, shifted).result, 0);
}

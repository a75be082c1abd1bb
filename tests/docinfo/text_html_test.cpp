#include <gtest/gtest.h>

#include <string>

#include "text_reader_support.h"

using namespace textreaders;

TEST(TextHtml, HeadElements) {
  const ReadRun r = ReadBytes(docinfo::ReadHtml,
                          "<!DOCTYPE html>\n<html><HEAD profile=\"x\">\n<title>\n  Caf&eacute; &amp; Bar &#x65E5;&#26412;\n</title>\n"
                          "<meta name=\"author\" content=\"Jane Roe\"/>\n"
                          "<meta content='reversed order' name='description'>\n"
                          "<meta name=\"DC.Subject\" content=\"Topic\" >\n"
                          "<meta name=\"keywords\" content=\"a, b &lt;c&gt;\">\n"
                          "<meta name=\"generator\" content=\"x\">\n"
                          "</head><body><meta name=\"author\" content=\"not in head\"></body></html>");
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "Café & Bar 日本");
  EXPECT_FIELD(r.fields.author, "Jane Roe");
  EXPECT_FIELD(r.fields.comments, "reversed order");
  EXPECT_FIELD(r.fields.subject, "Topic");
  EXPECT_FIELD(r.fields.keywords, "a, b <c>");
}

namespace {
std::string Utf16LE(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c & 0xFF), out += static_cast<char>(c >> 8);
  return out;
}
}  // namespace

TEST(TextHtml, CharacterSets) {
  const std::string title = "Grüße 日本";  // UTF-8 in this source
  struct {
    const char* what;
    std::string bytes;
    const char* expected;
  } cases[] = {
      {"UTF-8 without a declaration", "<html><head><title>" + title + "</title></head></html>", "Grüße 日本"},
      {"UTF-8 mark", "\xEF\xBB\xBF<head><title>" + title + "</title></head>", "Grüße 日本"},
      {"meta charset", "<head><meta charset=\"iso-8859-1\"><title>Gr\xFC\xDF" "e</title></head>", "Grüße"},
      {"http-equiv", "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                     "<title>\x93q\x94</title></head>", "“q”"},
      {"Shift-JIS declared", "<head><meta charset=shift_jis><title>\x93\xFA\x96\x7B</title></head>", "日本"},
      {"UTF-16LE mark", Utf16LE(L"\xFEFF<head><title>\x65E5\x672C</title></head>"), "日本"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadRun r = ReadBytes(docinfo::ReadHtml, c.bytes);
    ASSERT_EQ(r.result, 0);
    EXPECT_FIELD(r.fields.title, c.expected);
  }
}

TEST(TextHtml, OfficePropertiesBlockAndOddFiles) {
  const ReadRun r = ReadBytes(docinfo::ReadHtml,
                          "<html><head><title>Page</title><!--[if gte mso 9]><xml>\n"
                          "<o:DocumentProperties xmlns:o=\"urn:schemas-microsoft-com:office:office\">\n"
                          "<o:Title>Block title</o:Title><o:Subject>S</o:Subject><o:Author>A</o:Author>"
                          "<o:LastAuthor>L</o:LastAuthor><o:Keywords>K</o:Keywords><o:Description>D &amp; E</o:Description>"
                          "<o:Revision>3</o:Revision><o:Created>2024-03-05T10:07:00Z</o:Created>"
                          "<o:LastSaved>2024-03-06T11:00:00Z</o:LastSaved>\n"
                          "</o:DocumentProperties></xml><![endif]--></head></html>");
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "Block title");
  EXPECT_FIELD(r.fields.subject, "S");
  EXPECT_FIELD(r.fields.author, "A");
  EXPECT_FIELD(r.fields.lastAuthor, "L");
  EXPECT_FIELD(r.fields.keywords, "K");
  EXPECT_FIELD(r.fields.comments, "D & E");
  EXPECT_DATE(r.fields.created, LocalOfUtc(2024, 3, 5, 10, 7, 0));
  EXPECT_DATE(r.fields.modified, LocalOfUtc(2024, 3, 6, 11, 0, 0));

  // A web archive: the page is a quoted-printable MIME part, with a soft break inside a value.
  ReadRun m = ReadBytes(docinfo::ReadHtml,
                        "From: <Saved by a browser>\r\nMIME-Version: 1.0\r\n"
                        "Content-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n"
                        "Content-Type: text/html; charset=\"utf-8\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
                        "<html><head><meta name=3D\"author\" content=3D\"Jo=\r\nhn\"><title>Gr=C3=BC=C3=9Fe</title>"
                        "</head></html>\r\n--b--\r\n",
                        L"page.mht");
  EXPECT_FIELD(m.fields.author, "John");
  EXPECT_FIELD(m.fields.title, "Grüße");

  // No head: success, nothing taken. A head cut off by the read limit still yields its start.
  ReadRun o = ReadBytes(docinfo::ReadHtml, "<html><body><title>x</title></body></html>");
  EXPECT_EQ(o.result, 0);
  EXPECT_TRUE(o.fields.title.IsEmpty());
  o = ReadBytes(docinfo::ReadHtml, "<head><title>Early</title><style>" + std::string(4u << 20, 'x'));
  EXPECT_FIELD(o.fields.title, "Early");
  EXPECT_LT(o.milliseconds, kQuickMs);
}

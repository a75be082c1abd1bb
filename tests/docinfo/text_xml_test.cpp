#include <gtest/gtest.h>

#include <string>

#include "text_reader_support.h"

using namespace textreaders;

TEST(TextXml, WordProcessorXmlPropertiesBlock) {
  // The block carries attributes, and its Title is a field like the others.
  const ReadRun r = ReadBytes(docinfo::ReadXml,
                          "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                          "<?mso-application progid=\"Word.Document\"?>\n"
                          "<w:wordDocument xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\" "
                          "xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
                          "<o:DocumentProperties xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
                          "<o:Title>Grüße &amp; 日本</o:Title><o:Subject>S</o:Subject><o:Author>A</o:Author>"
                          "<o:Keywords>K</o:Keywords><o:Description>D</o:Description><o:LastAuthor>L</o:LastAuthor>"
                          "<o:Revision>2</o:Revision><o:Created>2024-03-05T10:07:00Z</o:Created>"
                          "<o:LastSaved>2024-03-06T11:00:00Z</o:LastSaved></o:DocumentProperties>"
                          "<w:body><w:p><w:r><w:t>Text</w:t></w:r></w:p></w:body></w:wordDocument>",
                          L"word.xml");
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "Grüße & 日本");
  EXPECT_FIELD(r.fields.subject, "S");
  EXPECT_FIELD(r.fields.author, "A");
  EXPECT_FIELD(r.fields.lastAuthor, "L");
  EXPECT_FIELD(r.fields.keywords, "K");
  EXPECT_FIELD(r.fields.comments, "D");
  EXPECT_DATE(r.fields.created, LocalOfUtc(2024, 3, 5, 10, 7, 0));
  EXPECT_DATE(r.fields.modified, LocalOfUtc(2024, 3, 6, 11, 0, 0));
}

TEST(TextXml, DublinCoreAndOdfElements) {
  const ReadRun r = ReadBytes(docinfo::ReadXml,
                          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                          "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                          "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" "
                          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><office:meta>"
                          "<meta:initial-creator>Erika</meta:initial-creator><dc:title><![CDATA[A <b> title]]></dc:title>"
                          "<meta:keyword>eins</meta:keyword><meta:keyword>zwei</meta:keyword>"
                          "<meta:creation-date>2024-03-05T10:07:00.5</meta:creation-date>"
                          "<dc:description/></office:meta><office:body/></office:document>",
                          L"flat.fodt");
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.author, "Erika");
  EXPECT_FIELD(r.fields.title, "A <b> title");
  EXPECT_FIELD(r.fields.keywords, "eins, zwei");
  SYSTEMTIME created{};
  created.wYear = 2024, created.wMonth = 3, created.wDay = 5, created.wHour = 10, created.wMinute = 7;
  EXPECT_DATE(r.fields.created, created);
}

TEST(TextXml, BrokenAndHostileFiles) {
  EXPECT_LT(ReadBytes(docinfo::ReadXml, "not xml at all").result, 0);
  // A document type with entities is refused, not expanded.
  ReadRun r = ReadBytes(docinfo::ReadXml,
                    "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
                    "<d xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>&b;</dc:title></d>");
  EXPECT_TRUE(r.fields.title.IsEmpty());
  // Deep nesting stops at the depth limit; a title before it is kept.
  std::string deep = "<r xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>First</dc:title>";
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  r = ReadBytes(docinfo::ReadXml, deep);
  EXPECT_FIELD(r.fields.title, "First");
  EXPECT_LT(r.milliseconds, kQuickMs);
  // Truncated: what was complete is kept.
  r = ReadBytes(docinfo::ReadXml, "<r xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>T</dc:title><dc:subject>S");
  EXPECT_FIELD(r.fields.title, "T");
  EXPECT_TRUE(r.fields.subject.IsEmpty());
}

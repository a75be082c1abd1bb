#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "text_reader_support.h"

using namespace textreaders;

namespace {

std::string Deflated(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

void Put16(std::string& b, unsigned v) { b += static_cast<char>(v & 0xFF), b += static_cast<char>(v >> 8 & 0xFF); }
void Put32(std::string& b, uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }

struct ZipEntry {
  std::string name, data;
  int method = 8;
  enum Descriptor { kNone, kSigned, kUnsigned } descriptor = kNone;
  uint32_t declared = 0;  // sizes written into the headers instead of the real ones, when set
};

// A ZIP archive of the entries, with a central directory unless `directory` is false.
std::string Zip(const std::vector<ZipEntry>& entries, bool directory = true) {
  std::string zip, central;
  for (const ZipEntry& e : entries) {
    const std::string stored = e.method == 8 ? Deflated(e.data) : e.data;
    const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
    const uint32_t csize = e.declared ? e.declared : static_cast<uint32_t>(stored.size());
    const uint32_t usize = e.declared ? e.declared : static_cast<uint32_t>(e.data.size());
    const bool later = e.descriptor != ZipEntry::kNone;
    const uint32_t offset = static_cast<uint32_t>(zip.size());
    Put32(zip, 0x04034B50);
    Put16(zip, 20), Put16(zip, later ? 8 : 0), Put16(zip, e.method), Put16(zip, 0), Put16(zip, 0);
    Put32(zip, later ? 0 : crc), Put32(zip, later ? 0 : csize), Put32(zip, later ? 0 : usize);
    Put16(zip, static_cast<unsigned>(e.name.size())), Put16(zip, 0);
    zip += e.name + stored;
    if (e.descriptor == ZipEntry::kSigned) Put32(zip, 0x08074B50);
    if (later) Put32(zip, crc), Put32(zip, csize), Put32(zip, usize);
    Put32(central, 0x02014B50);
    Put16(central, 20), Put16(central, 20), Put16(central, later ? 8 : 0), Put16(central, e.method);
    Put16(central, 0), Put16(central, 0), Put32(central, crc), Put32(central, csize), Put32(central, usize);
    Put16(central, static_cast<unsigned>(e.name.size())), Put16(central, 0), Put16(central, 0), Put16(central, 0);
    Put16(central, 0), Put32(central, 0), Put32(central, offset);
    central += e.name;
  }
  if (directory) {
    const uint32_t at = static_cast<uint32_t>(zip.size());
    zip += central;
    Put32(zip, 0x06054B50), Put16(zip, 0), Put16(zip, 0);
    Put16(zip, static_cast<unsigned>(entries.size())), Put16(zip, static_cast<unsigned>(entries.size()));
    Put32(zip, static_cast<uint32_t>(central.size())), Put32(zip, at), Put16(zip, 0);
  }
  return zip;
}

const char kCore[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
    "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "<dc:title>Grüße &amp; 日本</dc:title><dc:subject>Sub</dc:subject><dc:creator>Jürgen</dc:creator>"
    "<cp:keywords>k1; k2</cp:keywords><dc:description>Desc</dc:description>"
    "<cp:lastModifiedBy>Last</cp:lastModifiedBy><cp:revision>2</cp:revision>"
    "<dcterms:created xsi:type=\"dcterms:W3CDTF\">2024-03-05T10:07:00Z</dcterms:created>"
    "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">2024-03-06T11:00:00Z</dcterms:modified>"
    "</cp:coreProperties>";

const char kMeta[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-meta xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
    "office:version=\"1.3\"><office:meta><meta:creation-date>2024-03-05T10:07:00.123456789</meta:creation-date>"
    "<dc:date>2024-03-06T11:00:00.5</dc:date><meta:initial-creator>Erika</meta:initial-creator>"
    "<dc:creator>Max</dc:creator><dc:title>Titel</dc:title><dc:subject>Thema</dc:subject>"
    "<dc:description>Kommentar</dc:description><meta:keyword>eins</meta:keyword><meta:keyword>zwei</meta:keyword>"
    "<meta:keyword>drei</meta:keyword><meta:generator>x</meta:generator></office:meta></office:document-meta>";

SYSTEMTIME Local(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
  SYSTEMTIME t{};
  t.wYear = y, t.wMonth = mo, t.wDay = d, t.wHour = h, t.wMinute = mi, t.wSecond = s;
  return t;
}

}  // namespace

TEST(TextZip, OoxmlAndOdfProperties) {
  ReadRun r = ReadBytes(docinfo::ReadZipContainer, Zip({{"[Content_Types].xml", "<Types/>"}, {"docProps/core.xml", kCore}}));
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "Grüße & 日本");
  EXPECT_FIELD(r.fields.subject, "Sub");
  EXPECT_FIELD(r.fields.author, "Jürgen");
  EXPECT_FIELD(r.fields.lastAuthor, "Last");
  EXPECT_FIELD(r.fields.keywords, "k1; k2");
  EXPECT_FIELD(r.fields.comments, "Desc");
  EXPECT_DATE(r.fields.created, LocalOfUtc(2024, 3, 5, 10, 7, 0));
  EXPECT_DATE(r.fields.modified, LocalOfUtc(2024, 3, 6, 11, 0, 0));

  // ODF: keywords as separate elements without a wrapper, dates with fractions of a second.
  r = ReadBytes(docinfo::ReadZipContainer, Zip({{"mimetype", "application/vnd.oasis.opendocument.text", 0}, {"meta.xml", kMeta}}));
  ASSERT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.keywords, "eins, zwei, drei");
  EXPECT_FIELD(r.fields.author, "Erika");
  EXPECT_FIELD(r.fields.lastAuthor, "Max");
  EXPECT_FIELD(r.fields.title, "Titel");
  EXPECT_FIELD(r.fields.subject, "Thema");
  EXPECT_FIELD(r.fields.comments, "Kommentar");
  EXPECT_DATE(r.fields.created, Local(2024, 3, 5, 10, 7, 0));
  EXPECT_DATE(r.fields.modified, Local(2024, 3, 6, 11, 0, 0));
}

TEST(TextZip, EntryLayouts) {
  const ZipEntry big{"word/document.xml", std::string(100000, 'w')};
  struct {
    const char* what;
    std::string zip;
  } cases[] = {
      {"stored", Zip({{"docProps/core.xml", kCore, 0}})},
      // Sizes only in a data descriptor, with and without its signature, before the entry and
      // on the entry itself; without a central directory the entry is still read.
      {"descriptor before", Zip({{"a.xml", "aaaa", 8, ZipEntry::kUnsigned}, {"docProps/core.xml", kCore}})},
      {"signed descriptor before", Zip({{"a.xml", "aaaa", 8, ZipEntry::kSigned}, {"docProps/core.xml", kCore}})},
      {"descriptor on the entry", Zip({{"docProps/core.xml", kCore, 8, ZipEntry::kUnsigned}}, false)},
      {"stored descriptor entry", Zip({big, {"docProps/core.xml", kCore, 0, ZipEntry::kUnsigned}})},
      // Local headers that do not lead there: junk before the archive.
      {"prefixed", "MZ" + std::string(300, '\0') + Zip({big, {"docProps/core.xml", kCore}})},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (std::string(c.what) == "prefixed") {
      // Central directory offsets count from the archive's start; move them past the prefix.
      std::string& z = c.zip;
      const size_t end = z.rfind("PK\x05\x06");
      uint32_t cd = 0;
      memcpy(&cd, &z[end + 16], 4);
      cd += 302;
      memcpy(&z[end + 16], &cd, 4);
      for (size_t at = z.find("PK\x01\x02"); at != std::string::npos; at = z.find("PK\x01\x02", at + 4)) {
        uint32_t local = 0;
        memcpy(&local, &z[at + 42], 4);
        local += 302;
        memcpy(&z[at + 42], &local, 4);
      }
    }
    const ReadRun r = ReadBytes(docinfo::ReadZipContainer, c.zip);
    ASSERT_EQ(r.result, 0);
    EXPECT_FIELD(r.fields.title, "Grüße & 日本");
  }

  // An unknown compression method: reported, properties stay empty, the file is ours.
  std::string z = Zip({{"docProps/core.xml", kCore, 0}});
  z[8] = 12;
  const size_t c = z.find("PK\x01\x02");
  z[c + 10] = 12;
  const ReadRun r = ReadBytes(docinfo::ReadZipContainer, z);
  EXPECT_EQ(r.result, 0);
  EXPECT_TRUE(r.fields.title.IsEmpty());

  EXPECT_LT(ReadBytes(docinfo::ReadZipContainer, Zip({{"other.xml", "x"}})).result, 0);
  EXPECT_LT(ReadBytes(docinfo::ReadZipContainer, "PK\x03\x04 not really").result, 0);
}

TEST(TextZip, HostileArchives) {
  // More blanks inside the properties entry than a reader inflates, declared as 1 GiB.
  std::string bomb = std::string(kCore).substr(0, 300) + std::string(6u << 20, ' ') + "</cp:coreProperties>";
  ZipEntry entry{"docProps/core.xml", bomb, 8, ZipEntry::kNone, 1u << 30};
  ReadRun r = ReadBytes(docinfo::ReadZipContainer, Zip({entry}));
  EXPECT_GE(r.result, -1);
  EXPECT_LT(r.milliseconds, kQuickMs);
  bomb.clear();
  bomb.shrink_to_fit();

  // An entry declaring 4 GiB (less one byte) in a small file.
  entry = {"docProps/core.xml", kCore, 8, ZipEntry::kNone, 0xFFFFFFFEu};
  r = ReadBytes(docinfo::ReadZipContainer, Zip({{"a", "b"}, entry}));
  EXPECT_EQ(r.result, 0);
  EXPECT_FIELD(r.fields.title, "Grüße & 日本");
  EXPECT_LT(r.milliseconds, kQuickMs);

  // Truncated archives: inside the properties entry and inside a header.
  const std::string whole = Zip({{"docProps/core.xml", kCore, 0}});
  for (size_t cut : {whole.size() / 2, size_t{20}, size_t{4}}) {
    SCOPED_TRACE(cut);
    r = ReadBytes(docinfo::ReadZipContainer, whole.substr(0, cut));
    EXPECT_LT(r.milliseconds, kQuickMs);
    EXPECT_TRUE(r.fields.created.wYear == 0);
  }
}

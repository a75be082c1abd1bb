// TIFF and EXIF-in-JPEG readers: tags and their texts, both byte orders, and hostile structures
// (directory loops, counts and offsets beyond the file) that must end quickly with bounded memory.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "binary_test_util.h"
#include "support/debug_capture.h"

using binarytest::ReadBytes;
using docinfo::DocFields;

namespace {

constexpr uint16_t kShort = 3, kLong = 4, kAscii = 2, kRational = 5, kUndefined = 7;

struct Tag {
  uint16_t tag, type;
  uint32_t count;
  std::string data;    // the value's bytes in file order; at most 4 go into the entry itself
  uint32_t raw = 0;    // used instead when data is empty: the entry's value field as it stands
};

// A TIFF structure of one byte order: header, directories, values after each directory.
class TiffBuilder {
 public:
  explicit TiffBuilder(bool bigEndian) : be_(bigEndian) {
    bytes_ = be_ ? std::string("MM\0*", 4) : std::string("II*\0", 4);
    Put32(4, 8);
  }
  void Put16(size_t at, uint16_t v) {
    if (bytes_.size() < at + 2) bytes_.resize(at + 2);
    bytes_[at + (be_ ? 1 : 0)] = static_cast<char>(v);
    bytes_[at + (be_ ? 0 : 1)] = static_cast<char>(v >> 8);
  }
  void Put32(size_t at, uint32_t v) {
    Put16(at + (be_ ? 2 : 0), static_cast<uint16_t>(v));
    Put16(at + (be_ ? 0 : 2), static_cast<uint16_t>(v >> 16));
  }
  std::string U16(uint16_t v) const {
    return be_ ? std::string{char(v >> 8), char(v)} : std::string{char(v), char(v >> 8)};
  }
  std::string U32(uint32_t v) const {
    return be_ ? U16(uint16_t(v >> 16)) + U16(uint16_t(v)) : U16(uint16_t(v)) + U16(uint16_t(v >> 16));
  }
  std::string Rational(uint32_t num, uint32_t den) const { return U32(num) + U32(den); }
  // Writes a directory at `at` with its values behind it; returns the offset after them.
  size_t Directory(size_t at, const std::vector<Tag>& tags, uint32_t next = 0) {
    Put16(at, static_cast<uint16_t>(tags.size()));
    size_t data = at + 2 + 12 * tags.size() + 4;
    for (size_t i = 0; i < tags.size(); ++i) {
      const Tag& t = tags[i];
      const size_t e = at + 2 + 12 * i;
      Put16(e, t.tag);
      Put16(e + 2, t.type);
      Put32(e + 4, t.count);
      if (t.data.empty()) {
        Put32(e + 8, t.raw);
      } else if (t.data.size() <= 4) {
        bytes_.resize(std::max(bytes_.size(), e + 12));
        bytes_.replace(e + 8, t.data.size(), t.data);
      } else {
        Put32(e + 8, static_cast<uint32_t>(data));
        bytes_.resize(std::max(bytes_.size(), data + t.data.size()));
        bytes_.replace(data, t.data.size(), t.data);
        data += t.data.size() + (t.data.size() & 1);
      }
    }
    Put32(at + 2 + 12 * tags.size(), next);
    bytes_.resize(std::max(bytes_.size(), data));
    return data;
  }
  std::string& Bytes() { return bytes_; }

 private:
  bool be_;
  std::string bytes_;
};

Tag Text(uint16_t tag, const std::string& utf8) { return {tag, kAscii, uint32_t(utf8.size() + 1), utf8 + '\0'}; }

// A photo's tags: a main directory and an EXIF directory.
std::string Photo(bool bigEndian) {
  TiffBuilder b(bigEndian);
  const size_t exif = 256;
  b.Directory(8, {{256, kShort, 1, b.U16(800) + b.U16(0)},
                  {257, kLong, 1, b.U32(600)},
                  Text(269, "Grundri\xC3\x9F Erdgeschoss"),
                  Text(270, "\xE6\x9D\xB1\xE4\xBA\xAC"),  // Tokyo
                  Text(272, "Model X   "),
                  Text(306, "2021:03:04 05:06:07"),
                  Text(315, "J\xC3\xBCrgen"),
                  Text(33432, "(c) Studio"),
                  {34665, kLong, 1, b.U32(exif)}});
  b.Directory(exif, {{33434, kRational, 1, b.Rational(1, 125)},
                     {33437, kRational, 1, b.Rational(28, 10)},
                     Text(36867, "2020:01:02 10:20:30"),
                     {37382, kRational, 1, b.Rational(35, 10)},
                     {37510, kUndefined, 13, std::string("ASCII\0\0\0note ", 13)}});
  return b.Bytes();
}

class BinaryTiff : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
  std::wstring Path(const wchar_t* name) const { return dir_.File(name); }
};

TEST_F(BinaryTiff, ReadsTagsOfBothByteOrders) {
  for (bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "MM" : "II");
    DocFields f;
    ASSERT_EQ(0, ReadBytes(docinfo::ReadTiff, Path(L"photo.tif"), Photo(bigEndian), f));
    EXPECT_STREQ(L"Grundri\u00DF Erdgeschoss", f.title.c_str());
    EXPECT_STREQ(L"\u6771\u4EAC", f.subject.c_str());
    EXPECT_STREQ(L"J\u00FCrgen", f.author.c_str());  // the artist comes after the model
    EXPECT_STREQ(L"(c) Studio, note, (800 * 600 px), t=1/125 s, f=2.8, d=3.5 m", f.comments.c_str());
    // The capture time of the EXIF directory replaces the main directory's date.
    EXPECT_EQ(2020, f.created.wYear);
    EXPECT_EQ(1, f.created.wMonth);
    EXPECT_EQ(2, f.created.wDay);
    EXPECT_EQ(10, f.created.wHour);
    EXPECT_EQ(30, f.created.wSecond);
    EXPECT_EQ(0, f.modified.wYear);
  }
}

TEST_F(BinaryTiff, SizeAloneAndCameraTexts) {
  struct Case {
    std::vector<Tag> tags;
    const wchar_t* comments;
  } cases[] = {
      {{{256, kShort, 1, std::string("\x20\x03\0\0", 4)}, {257, kShort, 1, std::string("\x58\x02\0\0", 4)}},
       L"(800 * 600 px)"},
      // Long exposures keep their seconds; a zero denominator and a distance of "infinity" say nothing.
      {{{33434, kRational, 1, std::string("\x02\0\0\0\x01\0\0\0", 8)},
        {33437, kRational, 1, std::string("\x0B\0\0\0\0\0\0\0", 8)},
        {37382, kRational, 1, std::string("\xFF\xFF\xFF\xFF\x01\0\0\0", 8)}},
       L"t=2 s"},
      {{{33437, kRational, 1, std::string("\x0B\0\0\0\x01\0\0\0", 8)}}, L"f=11"},
      {{}, L"earlier"},  // nothing to say: the comments are kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.comments)));
    TiffBuilder b(false);
    b.Directory(8, c.tags);
    DocFields f;
    f.comments = L"earlier";
    ASSERT_EQ(0, ReadBytes(docinfo::ReadTiff, Path(L"size.tif"), b.Bytes(), f));
    EXPECT_STREQ(c.comments, f.comments.c_str());
  }
}

// Peak commit of the process, to show that a hostile declared size allocates nothing.
SIZE_T PeakCommit() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.PeakPagefileUsage;
}

TEST_F(BinaryTiff, HostileStructuresEndQuicklyWithBoundedMemory) {
  struct Case {
    const char* name;
    std::string bytes;
    int result;
    const wchar_t* message;  // part of a debug line, or null
  };
  std::vector<Case> cases;
  {
    TiffBuilder b(false);  // the EXIF pointer leads back to the main directory
    b.Directory(8, {{256, kShort, 1, b.U16(8)}, {257, kShort, 1, b.U16(8)}, {34665, kLong, 1, b.U32(8)}});
    cases.push_back({"self loop", b.Bytes(), 0, L"linked more than once"});
  }
  {
    TiffBuilder b(true);  // main → EXIF → main, and the EXIF directory points to itself too
    b.Directory(8, {{34665, kLong, 1, b.U32(100)}});
    b.Directory(100, {{34665, kLong, 1, b.U32(8)}, {34665, kLong, 1, b.U32(100)}});
    cases.push_back({"two-directory loop", b.Bytes(), 0, L"linked more than once"});
  }
  {
    TiffBuilder b(false);  // 65535 entries declared, two present
    b.Directory(8, {{256, kShort, 1, b.U16(5)}, {257, kShort, 1, b.U16(6)}});
    b.Put16(8, 0xFFFF);
    b.Bytes().resize(8 + 2 + 24 + 4);
    cases.push_back({"entry count beyond the file", b.Bytes(), 0, L"Could only read 2 of 65535 entries"});
  }
  {
    TiffBuilder b(false);  // 4 GiB of text, 8 GiB of doubles, a value offset that wraps 32 bits
    b.Directory(8, {{270, kAscii, 0xFFFFFFFF, "", 20},
                    {33437, kRational, 0x40000000, "", 20},
                    {269, kAscii, 0x20, "", 0xFFFFFFF0}});
    cases.push_back({"values beyond the file", b.Bytes(), 0, L"lies beyond the end of the file"});
  }
  {
    TiffBuilder b(false);
    b.Directory(8, {{270, 99, 1, "", 0}});
    cases.push_back({"unknown data type", b.Bytes(), 0, L"bad TIFF data type"});
  }
  {
    TiffBuilder b(false);
    b.Put32(4, 0x7FFFFFF0);
    cases.push_back({"directory beyond the file", b.Bytes(), -1, L"Seek error accessing TIFF directory"});
  }
  {
    TiffBuilder b(false);
    b.Put32(4, 7);
    b.Bytes().resize(8);
    cases.push_back({"directory count cut off", b.Bytes(), -1, L"read error directory count"});
  }
  cases.push_back({"short header", std::string("II*\0", 4), -1, L"error reading header"});
  cases.push_back({"bad magic", std::string("IM*\0\x08\0\0\0", 8), -1, L"bad magic number 19785 (0x4d49)"});
  cases.push_back({"bad version", std::string("II+\0\x08\0\0\0", 8), -1, L"bad version number 43 (0x2b)"});

  const SIZE_T peakBefore = PeakCommit();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::DebugCapture capture;
    DocFields f;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c.result, ReadBytes(docinfo::ReadTiff, Path(L"hostile.tif"), c.bytes, f));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(capture.Contains(c.message)) << (capture.lines().empty() ? "(no lines)" : "");
  }
  EXPECT_LT(PeakCommit() - peakBefore, SIZE_T{16} << 20);
}

// JPEG segments around an EXIF block whose offsets count from the block's own start.
std::string Segment(uint8_t marker, const std::string& data) {
  const size_t n = data.size() + 2;
  return std::string{'\xFF', char(marker), char(n >> 8), char(n)} + data;
}

TEST_F(BinaryTiff, JpegFindsExifAmongSegments) {
  const std::string soi("\xFF\xD8", 2), scan("\xFF\xDA\0\x02\x11\x22", 6), eoi("\xFF\xD9", 2);
  const std::string jfif = Segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
  const std::string xmp = Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
  const std::string exif = Segment(0xE1, std::string("Exif\0\0", 6) + Photo(true));
  struct Case {
    const char* name;
    std::string bytes;
    int result;
  } cases[] = {
      {"EXIF after JFIF and XMP", soi + jfif + xmp + exif + scan + eoi, 0},
      {"no APP1", soi + jfif + scan + eoi, -1},
      {"EXIF after the image data", soi + jfif + scan + exif + eoi, -1},
      {"segment running beyond the file", soi + std::string("\xFF\xE0\xFF\xF0", 4) + exif, -1},
      {"not a marker", soi + std::string("\x12\x34", 2) + exif, -1},
      {"EXIF cut short", soi + exif.substr(0, 20), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DocFields f;
    EXPECT_EQ(c.result, ReadBytes(docinfo::ReadJpeg, Path(L"photo.jpg"), c.bytes, f));
    EXPECT_EQ(c.result == 0 ? L"Grundri\u00DF Erdgeschoss" : L"", std::wstring(f.title.c_str()));
    if (c.result != 0) {
      EXPECT_EQ(0, f.created.wYear);
    }
  }
}

// Samples made by an image program and tagged by a metadata tool.
TEST_F(BinaryTiff, ReadsFilesOfRealPrograms) {
  {
    binarytest::OpenDoc doc(binarytest::Fixture("binary_800x600.tif"));
    ASSERT_TRUE(doc.IsOpen());
    DocFields f;
    ASSERT_EQ(0, docinfo::ReadTiff(doc.Source(), f));
    EXPECT_STREQ(L"Grundri\u00DF", f.title.c_str());
    EXPECT_STREQ(L"\u6771\u4EAC\u306E\u5730\u56F3", f.subject.c_str());
    EXPECT_STREQ(L"J\u00FCrgen Wei\u00DF", f.author.c_str());
    EXPECT_STREQ(L"(c) Atelier, (800 * 600 px)", f.comments.c_str());
    EXPECT_EQ(2019, f.created.wYear);
    EXPECT_EQ(9, f.created.wSecond);
  }
  {
    binarytest::OpenDoc doc(binarytest::Fixture("binary_exif.jpg"));
    ASSERT_TRUE(doc.IsOpen());
    DocFields f;
    ASSERT_EQ(0, docinfo::ReadJpeg(doc.Source(), f));
    EXPECT_STREQ(L"Stra\u00DFe in \u4EAC\u90FD", f.subject.c_str());
    EXPECT_STREQ(L"Camera Z", f.author.c_str());
    EXPECT_STREQ(L"Anna, Abend, t=1/250 s, f=5.6, d=2.5 m", f.comments.c_str());
    EXPECT_EQ(2022, f.created.wYear);
    EXPECT_EQ(11, f.created.wMonth);
    EXPECT_EQ(15, f.created.wSecond);
  }
}

// The samples cut and damaged at random (fixed seed): every variant ends with a result and no
// fault.
TEST_F(BinaryTiff, DamagedCopiesOfRealFiles) {
  struct Sample {
    const char* name;
    binarytest::Reader reader;
  } samples[] = {{"binary_800x600.tif", docinfo::ReadTiff}, {"binary_exif.jpg", docinfo::ReadJpeg}};
  std::mt19937 random(12);
  for (const Sample& s : samples) {
    SCOPED_TRACE(s.name);
    const std::string original = testsupport::ReadFileBytes(binarytest::Fixture(s.name));
    ASSERT_FALSE(original.empty());
    for (int i = 0; i < 150; ++i) {
      std::string bytes = original;
      if (i % 3 == 0) bytes.resize(random() % bytes.size());
      for (int flips = 1 + random() % 4; flips > 0 && !bytes.empty(); --flips)
        bytes[random() % std::min<size_t>(bytes.size(), 512)] = static_cast<char>(random());
      DocFields f;
      const int result = ReadBytes(s.reader, Path(L"damaged.bin"), bytes, f);
      EXPECT_TRUE(result == 0 || result == -1) << result;
    }
  }
}

}  // namespace

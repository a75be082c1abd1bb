// The filter reader's refusal of PDF files and its failure without a filter, and the checks of
// the two older word-processor signatures.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "binary_test_util.h"
#include "environment/late_documents.h"

using binarytest::ReadBytes;
using docinfo::DocFields;

namespace {

class BinarySignature : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
};

TEST_F(BinarySignature, FilterLeavesPdfToItsReaderWithoutLoadingTheLibrary) {
  const LONG attempts = ovut::env::Query.LoadAttemptsForTesting();
  DocFields f;
  EXPECT_EQ(-1, ReadBytes(docinfo::ReadFilter, dir_.File(L"paper.PDF"), "%PDF-1.4\n%%EOF\n", f));
  EXPECT_EQ(attempts, ovut::env::Query.LoadAttemptsForTesting());
}

// A file no filter gives summary values for (Wine has no filters at all) leaves the fields alone.
TEST_F(BinarySignature, FilterWithoutValuesFails) {
  DocFields f;
  f.title = L"kept";
  EXPECT_EQ(-1, ReadBytes(docinfo::ReadFilter, dir_.File(L"notes.txt"), "just text\r\n", f));
  EXPECT_STREQ(L"kept", f.title.c_str());
}

TEST_F(BinarySignature, WordProcessorHeadersAreChecked) {
  std::string ff57("\xFFWPC", 4), dba5("\xDB\xA5\x2D\0", 4);
  ff57.resize(64);
  dba5.resize(64);
  auto with32 = [](std::string s, size_t at, uint32_t v) {
    binarytest::Put32(s, at, v);
    return s;
  };
  struct Case {
    const char* name;
    binarytest::Reader reader;
    std::string bytes;
    int result;
  } cases[] = {
      {"FF57 document area inside", docinfo::ReadWordProcessorFF57, with32(ff57, 4, 16), 0},
      {"FF57 document area beyond the end", docinfo::ReadWordProcessorFF57, with32(ff57, 4, 0xFFFFFF00), -1},
      {"FF57 document area inside the header", docinfo::ReadWordProcessorFF57, with32(ff57, 4, 4), -1},
      {"FF57 cut short", docinfo::ReadWordProcessorFF57, ff57.substr(0, 10), -1},
      {"FF57 other signature", docinfo::ReadWordProcessorFF57, with32(dba5, 4, 16), -1},
      {"DBA5 text inside", docinfo::ReadWordProcessorDBA5, with32(with32(dba5, 0x18, 0x20), 0x1C, 0x40), 0},
      {"DBA5 text beyond the end", docinfo::ReadWordProcessorDBA5, with32(with32(dba5, 0x18, 0x20), 0x1C, 0x41), -1},
      {"DBA5 reversed range", docinfo::ReadWordProcessorDBA5, with32(with32(dba5, 0x18, 0x30), 0x1C, 0x20), -1},
      {"DBA5 cut short", docinfo::ReadWordProcessorDBA5, dba5.substr(0, 20), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DocFields f;
    f.title = L"kept";
    EXPECT_EQ(c.result, ReadBytes(c.reader, dir_.File(L"old.doc"), c.bytes, f));
    EXPECT_STREQ(L"kept", f.title.c_str());
  }
}

}  // namespace

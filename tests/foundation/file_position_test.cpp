// clsFile: sizes relative to the position, cutting, and positions beyond 4 GiB.
#include <gtest/gtest.h>

#include <memory>

#include "file_test_util.h"
#include "foundation/file.h"
#include "support/debug_capture.h"
#include "support/test_support.h"

using filetest::Pattern;
using testsupport::TempDir;

namespace {

constexpr uint64_t k4G = 0x100000000ull;

// The same checks on a handle-backed and on a stream-backed object.
class FileBacking : public testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<clsFile> Make(const std::string& bytes) {
    if (GetParam()) return std::make_unique<clsFileRW>(filetest::MemoryStream(bytes).Get());
    const std::wstring path = dir_.File(L"f.bin");
    testsupport::WriteFileBytes(path, bytes);
    return std::make_unique<clsFileRW>(path.c_str(), clsFile::kOpenExisting);
  }
  TempDir dir_;
};

TEST_P(FileBacking, SetSizeIsRelativeToThePositionAndKeepsIt) {
  auto f = Make(Pattern(100));
  ASSERT_TRUE(f->IsOpen());
  EXPECT_EQ(GetParam(), f->IsStream());
  EXPECT_EQ(5u, f->Seek(5));
  EXPECT_TRUE(f->SetSize(10));
  EXPECT_EQ(15u, f->Size());
  EXPECT_EQ(5u, f->Position());
  EXPECT_TRUE(f->SetSize(30));  // grows as well
  EXPECT_EQ(35u, f->Size());

  EXPECT_EQ(12u, f->Seek(12));
  EXPECT_TRUE(f->SetEOF());
  EXPECT_EQ(12u, f->Size());
  EXPECT_EQ(12u, f->Position());
  char buf[12];
  f->Seek(0);
  ASSERT_EQ(12u, f->Read(buf, 12));
  EXPECT_EQ(Pattern(100).substr(0, 12), std::string(buf, 12));
}

TEST_P(FileBacking, WriteAtPositionAndReadBack) {
  auto f = Make("0123456789");
  const uint64_t at = 4;
  EXPECT_EQ(3u, f->Write("abc", 3, at));
  EXPECT_EQ(7u, f->Position());
  char buf[10];
  f->Seek(0);
  ASSERT_EQ(10u, f->Read(buf, 10));
  EXPECT_EQ("0123abc789", std::string(buf, 10));
}

INSTANTIATE_TEST_SUITE_P(HandleAndStream, FileBacking, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "Stream" : "Handle"; });

// A stream whose size cannot be changed.
class FixedSizeStream : public clsFile {
 public:
  FixedSizeStream() : clsFile(filetest::MemoryStream("0123456789").Get()) {}
  using clsFile::SetSize;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
};

TEST(FilePosition, StreamSizeFailuresAreReported) {
  FixedSizeStream fixed;
  clsFileRW f(fixed.AsStream());
  f.Seek(4);
  testsupport::DebugCapture capture;
  EXPECT_FALSE(f.SetSize(3));
  EXPECT_TRUE(capture.Contains(L"ERR: Stream->SetSize(4+3) failed!"));
  EXPECT_FALSE(f.SetEOF());
  EXPECT_TRUE(capture.Contains(L"ERR: Stream->SetEOF(4) failed!"));
  EXPECT_EQ(10u, f.Size());
}

// The position must be the full 64-bit value: seeking, reporting, sizing and copying past 4 GiB.
// The file is sparse: only a few bytes are ever written.
TEST(FilePosition, Beyond4GiB) {
  TempDir dir;
  clsFileRW f(dir.File(L"big.bin").c_str(), clsFile::kCreateAlways);
  ASSERT_TRUE(f.IsOpen());
  const uint64_t beyond = k4G + 0x1234;
  EXPECT_EQ(beyond, f.Seek(beyond));
  EXPECT_EQ(beyond, f.Position());
  if (!f.SetSize(100)) GTEST_SKIP() << "no room for a file of 4 GiB here";
  EXPECT_EQ(beyond + 100, f.Size());
  EXPECT_EQ(beyond, f.Position());

  EXPECT_EQ(4u, f.Write("tail", 4, beyond + 10));
  EXPECT_EQ(beyond + 14, f.Position());
  EXPECT_EQ(beyond + 100, f.SeekToEnd());
  EXPECT_EQ(beyond + 10, f.SeekRelative(-90));

  // The rest from beyond + 10 is 90 bytes; a 32-bit position would make it 4 GiB longer.
  clsFileRW target(filetest::MemoryStream().Get());
  ASSERT_TRUE(target.CopyFrom(f));
  EXPECT_EQ(90u, target.Size());
  EXPECT_EQ(std::string("tail") + std::string(86, '\0'), filetest::StreamBytes(target.AttachedStream()));

  // And through the stream face.
  ULARGE_INTEGER pos = {};
  LARGE_INTEGER zero = {};
  EXPECT_EQ(S_OK, f.AsStream()->Seek(zero, STREAM_SEEK_CUR, &pos));
  EXPECT_EQ(beyond + 100, pos.QuadPart);
}

}  // namespace

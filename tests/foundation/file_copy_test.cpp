// clsFile::CopyFrom: the rest of a source, in chunks, pre-sized and cut after the copy.
#include <gtest/gtest.h>

#include "file_test_util.h"
#include "foundation/file.h"
#include "support/test_support.h"

using filetest::Pattern;
using testsupport::TempDir;

namespace {

TEST(FileCopy, EmptySourceChangesNothing) {
  TempDir dir;
  const std::wstring path = dir.File(L"t.bin");
  testsupport::WriteFileBytes(path, "keep me");
  clsFileRW target(path.c_str(), clsFile::kOpenExisting);
  target.Seek(2);
  clsFileRO source(filetest::MemoryStream().Get());
  EXPECT_TRUE(target.CopyFrom(source));
  EXPECT_EQ(7u, target.Size());
  EXPECT_EQ(2u, target.Position());
}

TEST(FileCopy, LargeSourceInChunksReplacesALongerTarget) {
  TempDir dir;
  const std::string data = Pattern(3 * 0x100000 + 17, 7);  // several 1 MiB chunks and a remainder
  const std::wstring from = dir.File(L"from.bin"), to = dir.File(L"to.bin");
  testsupport::WriteFileBytes(from, data);
  testsupport::WriteFileBytes(to, Pattern(4 * 0x100000, 9));
  {
    clsFileRO source(from.c_str());
    clsFileRW target(to.c_str(), clsFile::kOpenExisting);
    ASSERT_TRUE(target.CopyFrom(source));
    EXPECT_EQ(data.size(), target.Position());
    EXPECT_EQ(data.size(), source.Position());
  }
  EXPECT_TRUE(testsupport::ReadFileBytes(to) == data);  // cut after the copy, no old tail
}

TEST(FileCopy, RestFromTheSourcePositionToTheTargetPosition) {
  TempDir dir;
  const std::string data = Pattern(5000, 3);
  clsFileRO source(filetest::MemoryStream(data).Get());
  source.Seek(1000);
  const std::wstring to = dir.File(L"to.bin");
  testsupport::WriteFileBytes(to, "head");
  clsFileRW target(to.c_str(), clsFile::kOpenExisting);
  target.Seek(4);
  ASSERT_TRUE(target.CopyFrom(source));
  target.Close();
  EXPECT_TRUE(testsupport::ReadFileBytes(to) == "head" + data.substr(1000));
}

TEST(FileCopy, NeedsBothOpen) {
  clsFileRW open(filetest::MemoryStream("abc").Get());
  clsFile closed;
  EXPECT_FALSE(open.CopyFrom(closed));
  EXPECT_FALSE(closed.CopyFrom(open));
  EXPECT_FALSE(open.CopyFrom(open));
}

}  // namespace

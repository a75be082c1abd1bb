// A real entry beyond 4 GiB: a sparse source (zeros cost no disk space and deflate small).
// Deflating and re-reading 4 GiB takes minutes here, so it runs on request only
// (OVUT_LARGE_TESTS=1); the lowered limits of zip_writer_test.cpp cover the same records.
#include <gtest/gtest.h>

#include <string>

#include "ovut19/zip.h"
#include "support/test_support.h"
#include "zip/zip_archive.h"
#include "zip/zip_readers.h"

using namespace ziptest;

namespace {

bool MakeSparse(const std::wstring& path, uint64_t size, const std::string& tail) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD ignored = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size - tail.size());
  DWORD put = 0;
  bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) &&
            WriteFile(h, tail.data(), static_cast<DWORD>(tail.size()), &put, nullptr) && put == tail.size();
  CloseHandle(h);
  return ok;
}

TEST(ZipWriterLarge, EntryOver4GiBGetsZip64Sizes) {
  wchar_t flag[8] = {};
  if (!GetEnvironmentVariableW(L"OVUT_LARGE_TESTS", flag, 8) || flag[0] != L'1')
    GTEST_SKIP() << "set OVUT_LARGE_TESTS=1 to build a 4 GiB entry";
  testsupport::TempDir dir;
  const uint64_t size = (4ull << 30) + 4096;
  const std::string tail = "end of a large file\n";
  ASSERT_TRUE(MakeSparse(dir.File(L"large.bin"), size, tail));
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"after.txt"), "after"));

  const std::wstring path = dir.File(L"large.zip");
  HUTILZIP zip = UtilZIPCreate(path.c_str(), nullptr);
  ASSERT_EQ(UtilZIPAppend(zip, dir.File(L"large.bin").c_str(), nullptr, L"large.bin"), 0);
  ASSERT_EQ(UtilZIPAppend(zip, dir.File(L"after.txt").c_str(), nullptr, L"after.txt"), 0);
  ASSERT_EQ(UtilZIPClose(zip), 0);
  DeleteFileW(dir.File(L"large.bin").c_str());

  const std::string bytes = testsupport::ReadFileBytes(path);
  ArchiveView v = ReadArchive(bytes);
  ASSERT_TRUE(v.ok);
  ASSERT_EQ(v.central.size(), 2u);
  EXPECT_FALSE(v.zip64End);  // the archive itself stays small
  EXPECT_EQ(v.central[0].uncompressed, 0xFFFFFFFFu);
  EXPECT_EQ(v.central[0].needed, 45);
  ASSERT_EQ(v.central[0].extra.size(), 12u);
  EXPECT_EQ(GetLE<uint64_t>(v.central[0].extra, 4), size);
  EXPECT_EQ(v.central[1].needed, 20);

  ASSERT_TRUE(ReadersAvailable());
  EXPECT_TRUE(ReadersAccept(path));
  // Python reads the member back to its last bytes.
  std::string out;
  EXPECT_EQ(RunUnix("/usr/bin/python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                    "i=z.getinfo('large.bin'); f=z.open(i); f.seek(i.file_size-20); "
                    "sys.stdout.write(str(i.file_size)+' '+f.read().decode())\" '" + UnixPath(path) + "'",
                    &out),
            0)
      << out;
  EXPECT_EQ(out, std::to_string(size) + " " + tail);
}

}  // namespace

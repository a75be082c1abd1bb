#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>

#include "exports/prof_fixture.h"
#include "ovut19.h"
#include "support/test_support.h"

using proftest::Get;
using proftest::Items;
using proftest::Job;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// Compressible but not trivial, so packing has real work to do.
std::string Sample(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245 + 12345;
    s[i] = static_cast<char>('a' + (x >> 16) % 7);
  }
  return s;
}

struct Stream {
  IStream* p = nullptr;
  explicit Stream(const std::string& bytes = {}) {
    CreateStreamOnHGlobal(nullptr, TRUE, &p);
    ULONG done = 0;
    if (!bytes.empty()) p->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done);
  }
  ~Stream() { p->Release(); }
  Stream(const Stream&) = delete;
  std::string Bytes() const {
    STATSTG st{};
    p->Stat(&st, STATFLAG_NONAME);
    std::string out(static_cast<size_t>(st.cbSize.QuadPart), '\0');
    LARGE_INTEGER zero{};
    ULARGE_INTEGER old{};
    p->Seek(zero, STREAM_SEEK_CUR, &old);
    p->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    if (!out.empty()) p->Read(&out[0], static_cast<ULONG>(out.size()), &got);
    LARGE_INTEGER back;
    back.QuadPart = static_cast<LONGLONG>(old.QuadPart);
    p->Seek(back, STREAM_SEEK_SET, nullptr);
    return out;
  }
  ULONGLONG Position() const {
    LARGE_INTEGER zero{};
    ULARGE_INTEGER pos{};
    p->Seek(zero, STREAM_SEEK_CUR, &pos);
    return pos.QuadPart;
  }
};

struct File {
  HANDLE h;
  File(const std::wstring& path, DWORD access, DWORD disposition)
      : h(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, 0, nullptr)) {}
  ~File() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  File(const File&) = delete;
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(ProfEmbedded, StreamsRoundTrip) {
  struct Case {
    size_t size;
    const wchar_t* password;
  };
  for (const Case& c : {Case{1, nullptr}, Case{1, L"pw"}, Case{100, L""}, Case{5000, L"secret"},
                        Case{3u << 20, L"secret"}}) {
    SCOPED_TRACE(c.size);
    Job job;
    const std::string data = Sample(c.size);
    Stream source(data);
    ProfAppendStreamW(job, 0, L"Blobs/One", c.password, source.p);
    EXPECT_EQ(Get(job, 0, L"Blobs/One").compare(0, 3, L"@2@"), 0);
    Stream target(std::string(c.size + 100, 'x'));  // longer: must end after the payload
    EXPECT_EQ(ProfGetStreamW(job, 0, L"/Blobs/One", c.password, target.p), 0);
    EXPECT_TRUE(target.Bytes() == data);
    EXPECT_EQ(target.Position(), 0u);
  }
  // A 0-byte stream is stored as the empty value; reading it back leaves the target alone.
  Job job;
  Stream empty, target("keep");
  ProfAppendStreamW(job, 0, L"Empty", nullptr, empty.p);
  EXPECT_EQ(Items(job, 0), L"Empty=");
  EXPECT_EQ(ProfGetStreamW(job, 0, L"Empty", nullptr, target.p), -6);
  EXPECT_EQ(ProfGetStreamW(job, 0, L"Missing", nullptr, target.p), -6);
  EXPECT_EQ(ProfGetStreamW(0, 0, L"Empty", nullptr, target.p), 0);
  EXPECT_EQ(ProfGetStreamW(job, 0, L"Empty", nullptr, nullptr), 0);
  ProfAppendStreamW(job, 0, L"Null", nullptr, nullptr);
  EXPECT_EQ(target.Bytes(), "keep");
  EXPECT_EQ(Items(job, 0), L"Empty=");

  // The ANSI forms.
  Stream a(Sample(300)), b;
  ProfAppendStreamA(job, 0, "Ansi", "k\xE4y", a.p);
  EXPECT_EQ(ProfGetStreamA(job, 0, "Ansi", "k\xE4y", b.p), 0);
  EXPECT_EQ(b.Bytes(), Sample(300));
}

// Earlier builds wrote the deciphered garbage over the target and reported success.
TEST(ProfEmbedded, PasswordThatDoesNotFitWritesNothing) {
  Job job;
  Stream locked(Sample(2000)), open(Sample(10));
  ProfAppendStreamW(job, 0, L"Locked", L"right", locked.p);
  ProfAppendStreamW(job, 0, L"Open", nullptr, open.p);
  struct Case {
    const wchar_t* name;
    const wchar_t* password;
    int result;
  };
  for (const Case& c : {Case{L"Locked", L"wrong", -11}, Case{L"Locked", nullptr, -11}, Case{L"Open", L"extra", -11},
                        Case{L"Locked", L"right", 0}}) {
    SCOPED_TRACE(c.name);
    Stream target("untouched");
    EXPECT_EQ(ProfGetStreamW(job, 0, c.name, c.password, target.p), c.result);
    EXPECT_EQ(target.Bytes() == "untouched", c.result != 0);
  }
  // Damaged packed data: the marker is there, the zlib data is not.
  ProfSetStringW(job, 0, L"Damaged", L"@2@BQAAAFplTF9QYWNrZWQAeJwAAAAA");
  Stream target("untouched");
  EXPECT_EQ(ProfGetStreamW(job, 0, L"Damaged", nullptr, target.p), -7);
  EXPECT_EQ(target.Bytes(), "untouched");
}

TEST(ProfEmbedded, FileHandles) {
  TempDir dir;
  const std::string data = Sample(70000);
  ASSERT_TRUE(WriteFileBytes(dir.File(L"in.bin"), data));
  ASSERT_TRUE(WriteFileBytes(dir.File(L"one.bin"), "1"));
  ASSERT_TRUE(WriteFileBytes(dir.File(L"zero.bin"), ""));
  Job job;
  {
    File in(dir.File(L"in.bin"), GENERIC_READ, OPEN_EXISTING);
    File one(dir.File(L"one.bin"), GENERIC_READ, OPEN_EXISTING);
    File zero(dir.File(L"zero.bin"), GENERIC_READ, OPEN_EXISTING);
    File writeOnly(dir.File(L"in.bin"), GENERIC_WRITE, OPEN_EXISTING);
    ProfAppendFileW(job, 0, L"In", L"pw", in.h);
    ProfAppendFileA(job, 0, "One", nullptr, one.h);
    ProfAppendFileW(job, 0, L"Zero", nullptr, zero.h);
    ProfAppendFileW(job, 0, L"WriteOnly", nullptr, writeOnly.h);  // cannot be read: empty value
    ProfAppendFileW(job, 0, L"Invalid", nullptr, INVALID_HANDLE_VALUE);
    // The caller's handle stays open.
    char c = 0;
    DWORD got = 0;
    SetFilePointer(one.h, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(one.h, &c, 1, &got, nullptr));
    EXPECT_EQ(c, '1');
  }
  EXPECT_EQ(Get(job, 0, L"Zero"), L"");
  EXPECT_EQ(Get(job, 0, L"WriteOnly"), L"");
  EXPECT_EQ(Get(job, 0, L"Invalid"), L"<missing>");

  ASSERT_TRUE(WriteFileBytes(dir.File(L"out.bin"), std::string(100000, 'z')));
  {
    File out(dir.File(L"out.bin"), GENERIC_WRITE, OPEN_EXISTING);  // write access only
    EXPECT_EQ(ProfGetFileW(job, 0, L"In", L"pw", out.h), 0);
    EXPECT_EQ(SetFilePointer(out.h, 0, nullptr, FILE_CURRENT), 0u);
    EXPECT_EQ(ProfGetFileW(job, 0, L"In", L"bad", out.h), -11);
    EXPECT_EQ(ProfGetFileW(job, 0, L"Zero", nullptr, out.h), -6);
  }
  EXPECT_TRUE(ReadFileBytes(dir.File(L"out.bin")) == data);
  {
    File out(dir.File(L"out.bin"), GENERIC_READ, OPEN_EXISTING);  // cannot be written
    EXPECT_EQ(ProfGetFileA(job, 0, "One", nullptr, out.h), -3);
  }
  EXPECT_TRUE(ReadFileBytes(dir.File(L"out.bin")) == data);
}

TEST(ProfEmbedded, FileCollections) {
  TempDir src;
  ASSERT_TRUE(WriteFileBytes(src.File(L"a.txt"), "alpha"));
  ASSERT_TRUE(WriteFileBytes(src.File(L"b.txt"), ""));
  ASSERT_TRUE(WriteFileBytes(src.File(L"c.txt"), Sample(3000)));
  ASSERT_TRUE(CreateDirectoryW(src.File(L"d.txt").c_str(), nullptr));  // a folder: not counted
  Job job;
  HPROFLIST files = ProfCreateListW(job, 0, L"Files");
  // Three files match, one of them empty: it counts but gets no entry.
  EXPECT_EQ(ProfAppendFilesW(job, files, src.File(L"*.txt").c_str(), L"pw", 0), 3);
  EXPECT_EQ(ProfAppendFilesW(job, files, src.File(L"*.none").c_str(), L"pw", 0), 0);
  std::wstring items = Items(job, files);
  EXPECT_EQ(items, L"[File.Entry];[File.Entry]");
  HPROFLIST first = ProfGetListW(job, files, L"File.Entry");
  EXPECT_EQ(Get(job, first, L"Name").size(), 5u);  // a.txt or c.txt, in the order the folder lists them

  // Into a folder that is created, named without a trailing backslash.
  TempDir dst;
  const std::wstring out = dst.File(L"new");
  EXPECT_EQ(ProfExtractFilesW(job, files, out.c_str(), L"pw", 0), 2);
  EXPECT_EQ(ReadFileBytes(out + L"\\a.txt"), "alpha");
  EXPECT_EQ(ReadFileBytes(out + L"\\c.txt"), Sample(3000));
  EXPECT_FALSE(Exists(out + L"\\b.txt"));

  // A wrong password writes nothing, not even over files already there.
  ASSERT_TRUE(WriteFileBytes(out + L"\\a.txt", "changed"));
  ASSERT_TRUE(DeleteFileW((out + L"\\c.txt").c_str()));
  EXPECT_EQ(ProfExtractFilesW(job, files, out.c_str(), L"other", 0), -11);
  EXPECT_EQ(ReadFileBytes(out + L"\\a.txt"), "changed");
  EXPECT_FALSE(Exists(out + L"\\c.txt"));

  // A parent that does not exist: -4 before anything is written.
  const std::wstring orphan = dst.File(L"missing\\child");
  EXPECT_EQ(ProfExtractFilesA(job, files, std::string(orphan.begin(), orphan.end()).c_str(), "pw", 0), -4);
  EXPECT_FALSE(Exists(dst.File(L"missing")));

  // Only entries directly in the given list count; the root holds none.
  EXPECT_EQ(ProfExtractFilesW(job, 0, out.c_str(), L"pw", 0), 0);
  EXPECT_EQ(ProfExtractFilesW(0, files, out.c_str(), L"pw", 0), 0);
  EXPECT_EQ(ProfAppendFilesA(job, 0, std::string(src.path().begin(), src.path().end()).append("\\a.*").c_str(),
                             nullptr, 0), 1);
  TempDir plain;
  EXPECT_EQ(ProfExtractFilesW(job, 0, plain.path().c_str(), nullptr, 0), 1);
  EXPECT_EQ(ReadFileBytes(plain.File(L"a.txt")), "alpha");
}

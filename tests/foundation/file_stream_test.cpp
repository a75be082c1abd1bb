// clsFile's IStream face: used by stream consumers, on a handle, and over a memory stream.
#include <gtest/gtest.h>

#include "file_test_util.h"
#include "foundation/file.h"
#include "foundation/scoped_handle.h"
#include "support/test_support.h"

using filetest::Pattern;
using testsupport::TempDir;

namespace {

LARGE_INTEGER Move(LONGLONG v) {
  LARGE_INTEGER m;
  m.QuadPart = v;
  return m;
}
ULARGE_INTEGER Size(ULONGLONG v) {
  ULARGE_INTEGER s;
  s.QuadPart = v;
  return s;
}

class Destructed : public clsFile {
 public:
  explicit Destructed(bool* flag) : flag_(flag) {}
  ~Destructed() override { *flag_ = true; }

 private:
  bool* flag_;
};

TEST(FileStream, ComIdentityAndLifetime) {
  bool gone = false;
  clsFile* f = new Destructed(&gone);
  IUnknown* unknown = nullptr;
  ISequentialStream* sequential = nullptr;
  IStream* stream = nullptr;
  IStorage* storage = nullptr;
  ASSERT_EQ(S_OK, f->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
  ASSERT_EQ(S_OK, f->QueryInterface(IID_ISequentialStream, reinterpret_cast<void**>(&sequential)));
  ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IStream, reinterpret_cast<void**>(&stream)));
  EXPECT_EQ(E_NOINTERFACE, stream->QueryInterface(IID_IStorage, reinterpret_cast<void**>(&storage)));
  EXPECT_EQ(nullptr, storage);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(f->AsStream()));
  unknown->Release();
  sequential->Release();
  stream->Release();
  EXPECT_FALSE(gone);
  EXPECT_EQ(0u, f->Release());  // the creator's reference was the last
  EXPECT_TRUE(gone);
}

// Reads a stream to its end the way a plain consumer does: through the IStream pointer only.
std::string DrainStream(IStream* s) {
  std::string out;
  char buf[4096];
  ULONG got = 0;
  while (SUCCEEDED(s->Read(buf, sizeof buf, &got)) && got) out.append(buf, got);
  return out;
}

// Stream consumers that know nothing of clsFile: a memory stream copies into it, and a
// reader drains it.
TEST(FileStream, HandedToStreamConsumers) {
  TempDir dir;
  const std::string data = Pattern(300000, 5);
  clsFileRW f(dir.File(L"s.bin").c_str(), clsFile::kCreateAlways);
  ASSERT_TRUE(f.IsOpen());
  auto memory = filetest::MemoryStream(data);
  ULARGE_INTEGER read = {}, written = {};
  ASSERT_EQ(S_OK, memory->CopyTo(f.AsStream(), Size(data.size()), &read, &written));
  EXPECT_EQ(data.size(), written.QuadPart);
  EXPECT_EQ(data.size(), f.Size());

  f.Seek(0);
  EXPECT_TRUE(DrainStream(f.AsStream()) == data);
}

TEST(FileStream, HandleBackedMethods) {
  TempDir dir;
  const std::wstring path = dir.File(L"h.bin");
  testsupport::WriteFileBytes(path, Pattern(100));
  clsFileRW f(path.c_str(), clsFile::kOpenExisting, clsFile::kShareReadWrite);
  IStream* s = f.AsStream();
  ULARGE_INTEGER pos = {};

  struct SeekCase {
    LONGLONG move;
    DWORD origin;
    ULONGLONG expected;
  } seeks[] = {{10, STREAM_SEEK_SET, 10}, {5, STREAM_SEEK_CUR, 15}, {-20, STREAM_SEEK_END, 80}, {0, STREAM_SEEK_CUR, 80}};
  for (const auto& c : seeks) {
    ASSERT_EQ(S_OK, s->Seek(Move(c.move), c.origin, &pos));
    EXPECT_EQ(c.expected, pos.QuadPart);
  }
  EXPECT_EQ(E_INVALIDARG, s->Seek(Move(0), 3, &pos));
  EXPECT_EQ(80u, f.Position());

  char buf[8];
  ULONG n = 0;
  EXPECT_EQ(S_OK, s->Read(buf, 8, &n));
  EXPECT_EQ(8u, n);
  EXPECT_EQ(Pattern(100).substr(80, 8), std::string(buf, 8));
  EXPECT_EQ(S_OK, s->Write("zz", 2, &n));
  EXPECT_EQ(2u, n);

  // SetSize is absolute: a position inside stays, one beyond moves to the new end.
  f.Seek(30);
  EXPECT_EQ(S_OK, s->SetSize(Size(60)));
  EXPECT_EQ(60u, f.Size());
  EXPECT_EQ(30u, f.Position());
  EXPECT_EQ(S_OK, s->SetSize(Size(20)));
  EXPECT_EQ(20u, f.Size());
  EXPECT_EQ(20u, f.Position());

  STATSTG st;
  EXPECT_EQ(E_INVALIDARG, s->Stat(nullptr, 0));
  ASSERT_EQ(S_OK, s->Stat(&st, STATFLAG_DEFAULT));
  EXPECT_EQ(static_cast<DWORD>(STGTY_STREAM), st.type);
  EXPECT_EQ(20u, st.cbSize.QuadPart);
  EXPECT_NE(0u, st.mtime.dwHighDateTime);
  ASSERT_NE(nullptr, st.pwcsName);
  EXPECT_STREQ(path.c_str(), st.pwcsName);
  CoTaskMemFree(st.pwcsName);
  ASSERT_EQ(S_OK, s->Stat(&st, STATFLAG_NONAME));
  EXPECT_EQ(nullptr, st.pwcsName);

  ovut::UniqueHandle other(filetest::OtherHandle(path));
  ASSERT_EQ(S_OK, s->LockRegion(Size(0), Size(4), LOCK_EXCLUSIVE));
  EXPECT_FALSE(LockFile(other.get(), 0, 0, 4, 0));
  EXPECT_EQ(S_OK, s->UnlockRegion(Size(0), Size(4), LOCK_EXCLUSIVE));
  ASSERT_TRUE(LockFile(other.get(), 8, 0, 4, 0));
  EXPECT_TRUE(FAILED(s->LockRegion(Size(8), Size(4), LOCK_EXCLUSIVE)));  // held elsewhere

  IStream* clone = nullptr;
  EXPECT_EQ(E_NOTIMPL, s->CopyTo(nullptr, Size(1), nullptr, nullptr));
  EXPECT_EQ(E_NOTIMPL, s->Commit(STGC_DEFAULT));
  EXPECT_EQ(E_NOTIMPL, s->Revert());
  EXPECT_EQ(E_NOTIMPL, s->Clone(&clone));
}

TEST(FileStream, NothingOpen) {
  clsFile f;
  IStream* s = f.AsStream();
  ULONG n = 0;
  STATSTG st;
  char c;
  EXPECT_EQ(E_HANDLE, s->Seek(Move(0), STREAM_SEEK_SET, nullptr));
  EXPECT_EQ(E_HANDLE, s->SetSize(Size(1)));
  EXPECT_EQ(E_HANDLE, s->Read(&c, 1, &n));
  EXPECT_EQ(E_HANDLE, s->Stat(&st, STATFLAG_NONAME));
  EXPECT_EQ(E_NOTIMPL, s->LockRegion(Size(0), Size(1), LOCK_EXCLUSIVE));
  EXPECT_EQ(E_INVALIDARG, s->Seek(Move(0), 3, nullptr));
}

TEST(FileStream, OverAMemoryStreamEverythingIsForwarded) {
  const std::string data = Pattern(64);
  auto memory = filetest::MemoryStream(data);
  clsFileRW f(memory.Get());
  IStream* s = f.AsStream();
  EXPECT_TRUE(f.DisplayName() == L"(Stream)");
  EXPECT_EQ(64u, f.Size());

  ULARGE_INTEGER pos = {};
  ASSERT_EQ(S_OK, s->Seek(Move(-4), STREAM_SEEK_END, &pos));
  EXPECT_EQ(60u, pos.QuadPart);
  EXPECT_EQ(E_INVALIDARG, s->Seek(Move(0), 3, &pos));
  ULARGE_INTEGER direct = {};
  memory->Seek(Move(0), STREAM_SEEK_CUR, &direct);
  EXPECT_EQ(60u, direct.QuadPart);  // it is the memory stream that moved

  STATSTG st;
  ASSERT_EQ(S_OK, s->Stat(&st, STATFLAG_NONAME));
  EXPECT_EQ(64u, st.cbSize.QuadPart);
  EXPECT_EQ(S_OK, s->Commit(STGC_DEFAULT));

  clsAutoRelease<IStream> clone;
  ASSERT_EQ(S_OK, s->Clone(clone.Put()));
  EXPECT_TRUE(filetest::StreamBytes(clone.Get()) == data);

  auto copy = filetest::MemoryStream();
  s->Seek(Move(0), STREAM_SEEK_SET, nullptr);
  ULARGE_INTEGER read = {}, written = {};
  ASSERT_EQ(S_OK, s->CopyTo(copy.Get(), Size(1000), &read, &written));
  EXPECT_EQ(64u, written.QuadPart);
  EXPECT_EQ(S_OK, s->SetSize(Size(10)));
  EXPECT_EQ(10u, f.Size());
}

TEST(FileStream, TempStreamTakesOverTheReference) {
  IStream* raw = nullptr;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &raw));
  raw->Write("abc", 3, nullptr);  // the object rewinds it
  clsFileRWTempStream f(raw);
  EXPECT_EQ(0u, f.Position());
  EXPECT_EQ(2u, raw->AddRef());  // the object's reference is the only other one
  EXPECT_EQ(1u, raw->Release());
  char buf[3];
  EXPECT_EQ(3u, f.Read(buf, 3));
}

}  // namespace

// Hostile stored profiles and packed texts: containers inside containers, deflate bombs, reads
// that do not deliver the whole content.
#include <gtest/gtest.h>

#include <string>

#include "ovut19.h"
#include "persist_test_util.h"
#include "profile/codec/base64.h"
#include "profile/codec/pack.h"
#include "profile/codec/packed_text.h"
#include "support/debug_capture.h"

using namespace persisttest;
using namespace ovut::persist;

namespace {

// "ZLeZ" and the raw deflate of `plain`, as a packed save writes it.
std::string Container(const std::string& plain) {
  auto src = codectest::MemFile(plain), dst = codectest::MemFile();
  dst->Write("ZLeZ", 4);
  ovut::codec::StreamDeflate(*dst.Get(), *src.Get(), ovut::codec::kPresetPackedContainer);
  return codectest::Content(*dst.Get());
}

// Lowers the inflate bound for one test, so a bomb of a few KB shows what 1 GiB would.
struct InflateLimit {
  uint64_t old;
  explicit InflateLimit(uint64_t bytes) : old(ovut::codec::SetMaxInflatedBytesForTesting(bytes)) {}
  ~InflateLimit() { ovut::codec::SetMaxInflatedBytesForTesting(old); }
};

// An IStream over bytes in memory whose reads misbehave the way a failing disk, a network
// stream or a liar does: cut after `deliver` bytes (then reads of 0 bytes, or E_FAIL), pieces
// of at most `piece` bytes per call, or a size in Stat that is not the real one.
class AwkwardStream : public IStream {
 public:
  enum Cut { kEndSilently, kFail };
  AwkwardStream(const std::string& bytes, uint64_t deliver, Cut cut, ULONG piece, uint64_t statSize)
      : deliver_(deliver), cut_(cut), piece_(piece), statSize_(statSize) {
    CreateStreamOnHGlobal(nullptr, TRUE, &inner_);
    ULONG put = 0;
    inner_->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &put);
    LARGE_INTEGER zero{};
    inner_->Seek(zero, STREAM_SEEK_SET, nullptr);
  }
  ~AwkwardStream() { inner_->Release(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) || IsEqualIID(iid, IID_IStream)) {
      *out = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the test's stack

  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* got) override {
    ULONG dummy = 0;
    if (!got) got = &dummy;
    *got = 0;
    if (delivered_ >= deliver_) return cut_ == kFail ? E_FAIL : S_OK;
    uint64_t left = deliver_ - delivered_;
    if (cb > left) cb = static_cast<ULONG>(left);
    if (piece_ && cb > piece_) cb = piece_;
    HRESULT hr = inner_->Read(pv, cb, got);
    delivered_ += *got;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* put) override { return inner_->Write(pv, cb, put); }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override {
    return inner_->Seek(move, origin, now);
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override { return inner_->SetSize(size); }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* st, DWORD flags) override {
    HRESULT hr = inner_->Stat(st, flags);
    if (SUCCEEDED(hr) && statSize_) st->cbSize.QuadPart = statSize_;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  IStream* inner_ = nullptr;
  ULONG refs_ = 1;
  uint64_t deliver_;
  uint64_t delivered_ = 0;
  Cut cut_;
  ULONG piece_;
  uint64_t statSize_;
};

// Opens a stream job over `stream`; returns its dump and error.
std::wstring OpenStream(IStream* stream, int* error) {
  ProfHandle h = OpenStreamJob(stream, L"/", 0);
  std::wstring dump;
  {
    ovut::profile::JobRef job = ovut::profile::FindJob(h);
    *error = job->lastError;
    dump = Dump(job->rootList);
  }
  ovut::profile::CloseJob(h);
  return dump;
}

}  // namespace

TEST(PersistLimits, ContainerInsideContainerIsAFormatError) {
  Job j;
  Add(j.root(), L"k", L"v");
  const std::string once = Save(*j.job, 65);
  int err = 1;
  EXPECT_EQ(Load(once, &err), L"k=v;");
  EXPECT_EQ(err, 0);
  testsupport::DebugCapture lines;
  bool packed = false;
  EXPECT_EQ(Load(Container(once), &err, &packed), L"");
  EXPECT_EQ(err, -7);
  EXPECT_TRUE(packed);
  EXPECT_TRUE(lines.Contains(L"packed profile inside a packed profile"));
}

TEST(PersistLimits, InflatedProfileIsBounded) {
  // An 8-bit INI profile followed by 4 MiB of line breaks: a few KB once deflated.
  std::string text = "[/]\r\n{\r\nk=v\r\n}\r\n";
  text.resize(4 << 20, '\n');
  const std::string bomb = Container(text);
  ASSERT_LT(bomb.size(), 16u * 1024);
  int err = 1;
  EXPECT_EQ(Load(bomb, &err), L"k=v;");
  EXPECT_EQ(err, 0);

  InflateLimit limit(1 << 20);
  testsupport::DebugCapture lines;
  EXPECT_EQ(Load(bomb, &err), L"");
  EXPECT_EQ(err, -7);
  EXPECT_TRUE(lines.Contains(L"beyond the size limit"));
  // Exactly at the bound is still a profile.
  text.resize(1 << 20);
  EXPECT_EQ(Load(Container(text), &err), L"k=v;");
  EXPECT_EQ(err, 0);
}

TEST(PersistLimits, PackedTextsAreBounded) {
  using namespace ovut::codec;
  // 4 MiB of zeros packed: "@2@" with the marker, and the old "@1@" form (length, zlib stream).
  auto zeros = codectest::MemFile(std::string(4 << 20, '\0'));
  const String current = StreamToText(*zeros.Get(), true, String());
  ASSERT_LT(current.Length(), 40000u);
  ByteBuffer packed(Base64DecodedCapacity(current.Length() - 3));
  packed.resize(Base64Decode(current.c_str() + 3, current.Length() - 3, packed.data(), false));
  ByteBuffer old(packed.begin(), packed.begin() + 4);
  old.insert(old.end(), packed.begin() + kPackedHeader, packed.end());
  String oldText(L"@1@");
  oldText += Base64Encode(old.data(), old.size());

  for (const String* text : {&current, static_cast<const String*>(&oldText)}) {
    auto out = codectest::MemFile();
    ASSERT_TRUE(TextToStream(*out.Get(), *text, String()));
    EXPECT_EQ(out->Size(), 4u << 20);
    InflateLimit limit(1 << 20);
    testsupport::DebugCapture lines;
    ASSERT_TRUE(TextToStream(*out.Get(), *text, String()));
    EXPECT_EQ(out->Size(), 0u);  // refused from its stored length, before any inflating
    EXPECT_TRUE(lines.Contains(L"over the limit"));
  }
}

TEST(PersistLimits, ReadThatDoesNotDeliverEverythingFailsTheLoad) {
  Job j;
  Add(j.root(), L"City", L"Bonn");
  Add(AddList(j.root(), L"Addr"), L"Zip", L"53111");
  const std::wstring full = Dump(j.root());
  const std::string xml = Save(*j.job, 1), packed = Save(*j.job, 65);
  const std::string ini8 = "[/]\r\n{\r\nCity=Bonn\r\n[Addr]\r\n{\r\nZip=53111\r\n}\r\n}\r\n";
  const uint64_t kAll = ~0ull;
  const struct {
    const char* what;
    const std::string& bytes;
    uint64_t deliver;
    AwkwardStream::Cut cut;
    ULONG piece;
    uint64_t statSize;
    int error;
  } cases[] = {
      {"UTF-16 XML cut short", xml, xml.size() / 2, AwkwardStream::kEndSilently, 0, 0, -10},
      {"8-bit INI cut short", ini8, ini8.size() - 8, AwkwardStream::kEndSilently, 0, 0, -10},
      {"read error after the head", xml, 10, AwkwardStream::kFail, 0, 0, -10},
      {"container cut short", packed, packed.size() - 4, AwkwardStream::kEndSilently, 0, 0, -10},
      {"head unreadable", xml, 0, AwkwardStream::kFail, 0, 0, -10},
      {"larger than 1 GiB", xml, kAll, AwkwardStream::kEndSilently, 0, (1ull << 30) + 2, -10},
      {"larger than 4 GiB", xml, kAll, AwkwardStream::kEndSilently, 0, 5ull << 30, -10},
      // Whole content in small pieces: a complete read.
      {"XML in pieces", xml, kAll, AwkwardStream::kEndSilently, 7, 0, 0},
      {"INI in pieces", ini8, kAll, AwkwardStream::kEndSilently, 3, 0, 0},
      {"container in pieces", packed, kAll, AwkwardStream::kEndSilently, 5, 0, 0},
  };
  for (const auto& c : cases) {
    AwkwardStream s(c.bytes, c.deliver, c.cut, c.piece, c.statSize);
    testsupport::DebugCapture lines;
    int err = 1;
    std::wstring dump = OpenStream(&s, &err);
    EXPECT_EQ(err, c.error) << c.what;
    EXPECT_EQ(dump, c.error ? L"" : full) << c.what;
    if (c.error) {
      EXPECT_TRUE(lines.Contains(L"ERR: (Stream)")) << c.what;
    }
  }
}

TEST(PersistLimits, StreamThatBreaksOffGivesNoText) {
  const std::string data = codectest::Pattern(5000);
  const int whole = UtilConvertBLOBToString(data.data(), DWORD(data.size()), nullptr, 0, FALSE);
  for (BOOL compress : {FALSE, TRUE}) {
    AwkwardStream cut(data, 4000, AwkwardStream::kEndSilently, 0, 0);
    EXPECT_EQ(UtilConvertStreamToString(&cut, nullptr, 0, compress), 1) << compress;  // the empty text
    AwkwardStream pieces(data, ~0ull, AwkwardStream::kEndSilently, 333, 0);
    std::wstring text(size_t(whole), L'\0');
    ASSERT_EQ(UtilConvertStreamToString(&pieces, &text[0], whole, FALSE), 0);
    std::string back(data.size(), '\0');
    EXPECT_EQ(UtilConvertStringToBLOB(text.c_str(), &back[0], DWORD(back.size())), int(data.size()));
    EXPECT_EQ(back, data);
  }
}

// Texts larger than the piece the loader reads at a time: lines and a value longer than a piece
// straddle the reads and come back exactly, and a read that breaks off after some pieces (or a
// format error before that point) still fails the whole load and keeps nothing.
TEST(PersistLimits, LargeTextsReadInPieces) {
  Job j;
  clsItemList& l = AddList(j.root(), L"Big");
  for (int i = 0; i < 6000; ++i) Add(l, L"Key" + std::to_wstring(i), L"value <" + std::to_wstring(i) + L"> & more");
  Add(l, L"long", std::wstring(300000, L'x') + L"\t" + std::wstring(1000, L'y'));
  Add(j.root(), L"after", L"1");
  const std::wstring full = Dump(j.root());
  const std::string xml = Save(*j.job, 1), ini = Save(*j.job, 0);
  std::string ini8 = "[Named]\r\n";
  std::wstring full8;
  for (int i = 0; i < 40000; ++i) {
    ini8 += " \tk" + std::to_string(i) + "=  v" + std::to_string(i) + "\r\n\r\n\n";
    full8 += L"k" + std::to_wstring(i) + L"=  v" + std::to_wstring(i) + L";";
  }
  std::string badXml = xml;
  badXml.insert(xml.find(Bytes(L"<item")), Bytes(L"oops\r\n"));
  ASSERT_GT(xml.size(), 1000000u);
  ASSERT_GT(ini8.size(), 600000u);
  const uint64_t kAll = ~0ull;
  const struct {
    const char* what;
    const std::string& bytes;
    const std::wstring& dump;
    uint64_t deliver;
    AwkwardStream::Cut cut;
    int error;
  } cases[] = {
      {"XML whole", xml, full, kAll, AwkwardStream::kEndSilently, 0},
      {"UTF-16 INI whole", ini, full, kAll, AwkwardStream::kEndSilently, 0},
      {"8-bit named INI whole", ini8, full8, kAll, AwkwardStream::kEndSilently, 0},
      {"XML cut late", xml, full, xml.size() * 3 / 4, AwkwardStream::kEndSilently, -10},
      {"XML failing late", xml, full, xml.size() * 3 / 4, AwkwardStream::kFail, -10},
      {"8-bit named INI cut late", ini8, full8, ini8.size() * 3 / 4, AwkwardStream::kEndSilently, -10},
      {"format error, then the read fails", badXml, full, xml.size() * 3 / 4, AwkwardStream::kEndSilently, -10},
      {"format error, read complete", badXml, full, kAll, AwkwardStream::kEndSilently, -7},
  };
  for (const auto& c : cases) {
    AwkwardStream s(c.bytes, c.deliver, c.cut, 7777, 0);
    testsupport::DebugCapture lines;
    int err = 1;
    std::wstring dump = OpenStream(&s, &err);
    EXPECT_EQ(err, c.error) << c.what;
    EXPECT_TRUE(dump == (c.error ? L"" : c.dump)) << c.what;
    if (c.error == -10) {
      EXPECT_TRUE(lines.Contains(L"the profile could not be read completely")) << c.what;
      EXPECT_FALSE(lines.Contains(L"bad format")) << c.what;
    }
  }
}

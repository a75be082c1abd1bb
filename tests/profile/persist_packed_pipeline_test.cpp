// Packed profiles written and read on two threads (text and deflate, inflate and reader) must
// give exactly what the one-thread path gives: the same container bytes, the same trees, the
// same errors, and nothing partial where the container turns out to be bad.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "environment/parallel_compression.h"
#include "persist_test_util.h"
#include "profile/codec/packed_text.h"
#include "profile/embedded_stream.h"
#include "support/debug_capture.h"

using namespace persisttest;
using namespace ovut::persist;

namespace {

// Runs the rest of a scope with parallel compression on or off.
struct Parallel {
  bool old;
  explicit Parallel(bool on) : old(ovut::env::SetParallelCompression(on)) {}
  ~Parallel() { ovut::env::SetParallelCompression(old); }
};

struct InflateLimit {
  uint64_t old;
  explicit InflateLimit(uint64_t bytes) : old(ovut::codec::SetMaxInflatedBytesForTesting(bytes)) {}
  ~InflateLimit() { ovut::codec::SetMaxInflatedBytesForTesting(old); }
};

const wchar_t kPassword[] = L"s3cret";

// A profile of several MB of text (more than one piece through the pipes), with escaping,
// non-ASCII text, deep lists and an enciphered payload.
void FillLarge(clsItemList& root) {
  Fill(root, L"\x4e2d\x6587 deep");
  auto data = codectest::MemFile(codectest::Pattern(3000));
  const String payload = ovut::codec::StreamToText(*data.Get(), true, String(kPassword));
  Add(root, L"Payload", payload.c_str());
  for (int s = 0; s < 300; ++s) {
    clsItemList& l = AddList(root, L"Section" + std::to_wstring(s));
    for (int i = 0; i < 100; ++i)
      Add(l, L"Key" + std::to_wstring(i), L"value <" + std::to_wstring(s * i) + L"> & \"text\"\t\x00e4");
  }
}

std::string SaveWith(bool parallel, clsProfJob& job, int flags) {
  Parallel p(parallel);
  return Save(job, flags);
}

struct Loaded {
  bool ok;
  int error;
  bool packed;
  std::wstring dump;
  std::vector<std::wstring> debug;
};

Loaded LoadWith(bool parallel, const std::string& bytes) {
  Parallel p(parallel);
  Job j;
  auto f = codectest::MemFile(bytes);
  testsupport::DebugCapture lines;
  Loaded r;
  r.ok = LoadProfile(*j.job, *f.Get());
  r.error = j.job->lastError;
  r.packed = j.job->loadedPacked;
  r.dump = Dump(j.root());
  r.debug = lines.lines();
  return r;
}

// "ZLeZ" and a raw deflate of `plain` made here (zlib directly, preset 5's parameters);
// `tail` is appended to the compressed bytes, which end in a full flush when not `finish`ed.
std::string Container(const std::string& plain, bool finish = true, const std::string& tail = "") {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, uLong(plain.size())) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  z.avail_in = uInt(plain.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  deflate(&z, finish ? Z_FINISH : Z_FULL_FLUSH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return "ZLeZ" + out + tail;
}

// The same container with 64 KB of empty stored blocks in front of its deflate data: still
// valid, and large enough to be read on two threads however little text it holds.
std::string Padded(const std::string& container) {
  std::string pad;
  for (int i = 0; i < 14000; ++i) pad.append("\0\0\0\xff\xff", 5);
  return container.substr(0, 4) + pad + container.substr(4);
}

}  // namespace

TEST(PersistPackedPipeline, SavedBytesAreTheSameOnOneThreadAndTwo) {
  Job big, empty, object;
  FillLarge(big.root());
  Add(object.root(), L"k", L"v");
  object.job->streamOptions = 3;  // a stream object: no framing, written at its level
  for (int flags : {65, 64, 66}) {
    const std::string one = SaveWith(false, *big.job, flags), two = SaveWith(true, *big.job, flags);
    ASSERT_EQ(one.substr(0, 4), "ZLeZ") << flags;
    EXPECT_GT(one.size(), 20000u) << flags;
    EXPECT_TRUE(one == two) << flags << ": " << one.size() << " vs " << two.size();
  }
  EXPECT_EQ(SaveWith(false, *empty.job, 65), SaveWith(true, *empty.job, 65));
  EXPECT_EQ(SaveWith(false, *object.job, 65), SaveWith(true, *object.job, 65));

  // Saved to a file that held longer content before: cut after the container both ways.
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"ppl", 0, path);
  std::string files[2];
  for (bool parallel : {false, true}) {
    {
      HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(h, INVALID_HANDLE_VALUE);
      std::string junk(8 << 20, 'x');
      DWORD n = 0;
      WriteFile(h, junk.data(), DWORD(junk.size()), &n, nullptr);
      CloseHandle(h);
    }
    Parallel p(parallel);
    ASSERT_EQ(SaveToFile(*big.job, path, 65), 0);
    clsAutoRelease<clsFile> f(new clsFile());
    ASSERT_EQ(f->Open(path, clsFile::kAccessRead, clsFile::kOpenExisting, clsFile::kShareRead, clsFile::kOptNormal), 0);
    files[parallel] = codectest::Content(*f.Get());
  }
  DeleteFileW(path);
  EXPECT_TRUE(files[0] == files[1]);
  EXPECT_TRUE(files[0] == SaveWith(false, *big.job, 65));
}

TEST(PersistPackedPipeline, LoadGivesTheSameResultsAndErrorsOnOneThreadAndTwo) {
  Job big;
  FillLarge(big.root());
  const std::string xml = SaveWith(false, *big.job, 1), ini = SaveWith(false, *big.job, 0);
  const std::string packedXml = SaveWith(false, *big.job, 65);
  const std::string packedIni = SaveWith(false, *big.job, 64), packedXfdf = SaveWith(false, *big.job, 66);
  std::string cut = packedXml;
  cut.resize(cut.size() * 3 / 4);
  // A valid stream for most of the text, then a block of the reserved type: a data error
  // long after the reader has taken many lines.
  const std::string damagedLate = Container(xml.substr(0, xml.size() - 1000), false, std::string(1, '\x07'));
  // A format error early, the stream damaged later: the damage is the verdict.
  const size_t firstItem = xml.find(Bytes(L"</item>\r\n")) + 18;
  const std::string badText = xml.substr(0, firstItem) + Bytes(L"broken\r\n") + xml.substr(firstItem);
  const std::string bothBad = Container(std::string(badText.data(), badText.size() - 1000), false, "\x07");
  const std::string namedRoot = "[Named]\r\nk=v\r\n[Sub]\r\n{\r\nz=1\r\n}\r\n";
  const struct {
    const char* what;
    std::string bytes;
    int error;  // expected lastError
    const std::string* plain;  // the unpacked text it must load like
  } cases[] = {
      {"XML", packedXml, 0, &xml},
      {"INI", packedIni, 0, &ini},
      {"XFDF", packedXfdf, 0, nullptr},
      {"named-root INI", Padded(Container(namedRoot)), 0, &namedRoot},
      {"empty", Padded(Container("")), 0, nullptr},
      {"three bytes", Padded(Container("abc")), 0, nullptr},
      {"container inside", Container(packedXml), -7, nullptr},
      {"cut short", cut, -10, nullptr},
      {"damaged late", damagedLate, -10, nullptr},
      {"format error, then damage", bothBad, -10, nullptr},
      {"format error only", Container(badText), -7, &badText},
      {"cut XML, small", Padded(Container(xml.substr(0, 4000))), -7, nullptr},
      {"bytes after the stream", packedXml + "garbage", 0, &xml},
      {"only the magic", "ZLeZ", -10, nullptr},
      {"only empty blocks", Padded("ZLeZ"), -10, nullptr},
  };
  // Debug lines without the file name: the one-thread path names its unpacked temporary copy.
  auto text = [](std::wstring line) {
    for (const wchar_t* name : {L"(Stream): ", L".prf: "}) {
      const size_t at = line.find(name);
      if (at != std::wstring::npos) return line.substr(at + wcslen(name));
    }
    return line;
  };
  for (const auto& c : cases) {
    const Loaded one = LoadWith(false, c.bytes), two = LoadWith(true, c.bytes);
    EXPECT_EQ(one.error, c.error) << c.what;
    if (c.plain) {
      EXPECT_TRUE(one.dump == LoadWith(false, *c.plain).dump) << c.what;
    }
    if (c.error == -10) {
      EXPECT_EQ(one.dump, L"") << c.what;  // nothing partial stays
    }
    EXPECT_EQ(two.ok, one.ok) << c.what;
    EXPECT_EQ(two.error, one.error) << c.what;
    EXPECT_TRUE(two.packed && one.packed) << c.what;
    EXPECT_TRUE(two.dump == one.dump) << c.what << ": " << two.dump.size() << " vs " << one.dump.size();
    ASSERT_EQ(two.debug.size(), one.debug.size()) << c.what;
    for (size_t i = 0; i < one.debug.size(); ++i) EXPECT_EQ(text(two.debug[i]), text(one.debug[i])) << c.what;
  }

  // Beyond the size limit: refused both ways, nothing kept.
  InflateLimit limit(1 << 20);
  const Loaded one = LoadWith(false, packedXml), two = LoadWith(true, packedXml);
  EXPECT_EQ(one.error, -7);
  EXPECT_EQ(one.dump, L"");
  EXPECT_EQ(two.error, -7);
  EXPECT_EQ(two.dump, L"");
  EXPECT_EQ(two.debug, one.debug);
}

TEST(PersistPackedPipeline, EncipheredPayloadSurvivesThePackedRoundTrip) {
  Job big;
  FillLarge(big.root());
  for (bool parallel : {false, true}) {
    Parallel p(parallel);
    Job back;
    auto f = codectest::MemFile(Save(*big.job, 65));
    ASSERT_TRUE(LoadProfile(*back.job, *f.Get()));
    const clsItem* item = back.root().FindValue(L"Payload", 7);
    ASSERT_NE(item, nullptr);
    ovut::codec::ByteBuffer out;
    EXPECT_EQ(ovut::profile::DecodePayload(item->Value(), item->ValueLength(), String(kPassword), out), 0);
    EXPECT_EQ(std::string(out.begin(), out.end()), codectest::Pattern(3000));
    EXPECT_EQ(ovut::profile::DecodePayload(item->Value(), item->ValueLength(), String(L"wrong"), out),
              ovut::profile::kPayloadWrongPassword);
  }
}

// Lines handed out from a text that arrives in pieces of any size are those of the whole text.
TEST(PersistPackedPipeline, LineSourceOverPiecesMatchesTheWholeText) {
  struct Feed : clsTextFeed {
    std::string bytes;
    size_t at = 0, size = 1;
    bool Pull(std::vector<uint8_t>& piece) override {
      if (at >= bytes.size()) return false;
      const size_t n = std::min(size, bytes.size() - at);
      piece.assign(bytes.begin() + at, bytes.begin() + at + n);
      at += n;
      size = size * 2 + 1;  // 1, 3, 7, ... bytes: cuts inside units, breaks and blank runs
      return true;
    }
  };
  auto lines = [](clsLineSource& src) {
    std::vector<std::wstring> out;
    size_t n = 0;
    while (wchar_t* p = src.Next(n)) out.emplace_back(p, n);
    return out;
  };
  const std::wstring wide[] = {
      L"\xfeff<profile>\r\n\r\n  \t<item name=\"a\">1</item>  \r\n \r\n\n\r<list name=\"\x4e2d\">\r\nlast",
      L"no BOM\r\n\r\n\r\n\r\n\r\n\t\t\t\t\t\tx\r\n",
      L"\xfeff",
      L"",
  };
  for (const auto& text : wide) {
    auto whole = codectest::MemFile(Bytes(text) + "!");  // an odd last byte is dropped
    clsLineSource a(*whole.Get(), true);
    Feed feed;
    feed.bytes = Bytes(text) + "!";
    clsLineSource b(feed, true);
    EXPECT_EQ(lines(b), lines(a)) << text.size();
  }
  const std::string narrow = "[/]\r\n{\r\n   k=v \r\n\r\n\r\n\t\r\n}\r\nx";
  auto whole = codectest::MemFile(narrow);
  clsLineSource a(*whole.Get(), false);
  Feed feed;
  feed.bytes = narrow;
  clsLineSource b(feed, false);
  EXPECT_EQ(lines(b), lines(a));
}

// Randomized robustness of every stored profile form and every packed text, with the mutations
// that find hostile-input faults: nesting (containers in containers, deep "[d]" / "{" lines,
// deep XML and XFDF), length fields, truncation and splices of two inputs.
//
// The seed is fixed and each test runs for a bounded time (about 1.5 s) so CI stays fast; set
// OVUT_FUZZ_SECONDS=N for a longer run of N seconds per test with nesting up to 20,000 levels
// (OVUT_FUZZ_DEPTH=N chooses another depth), which prints the inputs per second and the slowest
// input. Any input that takes more than 10 s fails the test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "ovut19.h"
#include "persist_test_util.h"
#include "profile/codec/base64.h"
#include "profile/codec/pack.h"
#include "profile/codec/packed_text.h"

using namespace persisttest;
using namespace ovut::persist;

namespace {

// Time budget of one fuzz test and its figures.
class FuzzRun {
 public:
  explicit FuzzRun(const char* name) : name_(name) {
    const char* env = getenv("OVUT_FUZZ_SECONDS");
    const double s = env ? atof(env) : 0;
    longRun_ = s > 0;
    budgetMs_ = longRun_ ? static_cast<ULONGLONG>(s * 1000) : 1500;
    start_ = GetTickCount64();
  }
  ~FuzzRun() {
    const double secs = double(GetTickCount64() - start_) / 1000;
    if (longRun_)
      printf("%s: %llu inputs in %.1f s, %.0f inputs/s, slowest input %llu ms\n", name_, inputs_, secs,
             secs > 0 ? double(inputs_) / secs : 0.0, slowestMs_);
    // A hang or a runaway input shows here even in the short run.
    EXPECT_LT(slowestMs_, 10000u) << name_;
  }
  bool More() { return GetTickCount64() - start_ < budgetMs_; }
  bool longRun() const { return longRun_; }
  // Deepest nesting generated: modest in CI, deep on demand.
  size_t maxDepth() const {
    const char* env = getenv("OVUT_FUZZ_DEPTH");
    const long d = env ? atol(env) : 0;
    return d > 0 ? size_t(d) : longRun_ ? 20000 : 300;
  }
  // Times one input.
  struct Input {
    FuzzRun& run;
    ULONGLONG t0 = GetTickCount64();
    ~Input() {
      ++run.inputs_;
      const ULONGLONG ms = GetTickCount64() - t0;
      if (ms > run.slowestMs_) run.slowestMs_ = ms;
    }
  };

 private:
  const char* name_;
  bool longRun_;
  ULONGLONG budgetMs_, start_;
  unsigned long long inputs_ = 0;
  ULONGLONG slowestMs_ = 0;
};

// Lowers the inflate bound while fuzzing, so a bomb is stopped after 1 MiB.
struct InflateLimit {
  uint64_t old;
  explicit InflateLimit(uint64_t bytes) : old(ovut::codec::SetMaxInflatedBytesForTesting(bytes)) {}
  ~InflateLimit() { ovut::codec::SetMaxInflatedBytesForTesting(old); }
};
constexpr uint64_t kFuzzInflateLimit = 1u << 20;

std::string Container(const std::string& plain) {
  auto src = codectest::MemFile(plain), dst = codectest::MemFile();
  dst->Write("ZLeZ", 4);
  ovut::codec::StreamDeflate(*dst.Get(), *src.Get(), ovut::codec::kPresetPackedContainer);
  return codectest::Content(*dst.Get());
}

std::string Repeat(const std::string& s, size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

std::string Utf16(const std::string& ascii) {
  std::string out("\xff\xfe", 2);
  for (char c : ascii) out += {c, '\0'};
  return out;
}

// Deeply nested inputs of each text form; `closed` adds the closing lines.
std::string DeepIni(size_t n, bool closed) {
  return "[/]\r\n{\r\n" + Repeat("[d]\r\n{\r\n", n) + "k=v\r\n" + (closed ? Repeat("}\r\n", n + 1) : "");
}
std::string DeepXml(size_t n, bool closed) {
  return Utf16("<profile>\r\n" + Repeat("<list name=\"d\">\r\n", n) + "<item name=\"k\">v</item>\r\n" +
               (closed ? Repeat("</list>\r\n", n) + "</profile>\r\n" : ""));
}
std::string DeepXfdf(size_t n, bool closed) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<xfdf>\r\n<fields>\r\n" +
         Repeat("<field name=\"f\">\r\n", n) + "<value>v</value>\r\n" +
         (closed ? Repeat("</field>\r\n", n) + "</fields>\r\n</xfdf>\r\n" : "");
}

const char* const kTokens[] = {"<", ">", "\"", "&", "&#x", ";", "\r\n", "[", "]", "{", "}", "=", "[/]",
                               "</list>", "<list name=\"", "<item name=\"", "</item>", "<!--", " -->",
                               "<value>", "</value>", "<field name=\"", "</field>", "<xfdf ", "ZLeZ",
                               "[d]\r\n{\r\n", "}\r\n", "&cr;", "&tab;", "&#xd800;"};

// One byte-level mutation; wide texts get their tokens as UTF-16 at even offsets.
void MutateOnce(std::string& s, std::mt19937& rng, const std::vector<std::string>& pool, size_t maxDepth) {
  const bool wide = s.size() >= 2 && s[0] == '\xff' && s[1] == '\xfe';
  size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
  if (wide) at &= ~size_t(1);
  switch (rng() % 10) {
    case 0:
      if (at < s.size()) s[at] ^= static_cast<char>(1 << (rng() % 8));
      break;
    case 1:
      if (at < s.size()) s[at] = static_cast<char>(rng());
      break;
    case 2:
      if (at < s.size()) s.erase(at, (1 + rng() % 32) & (wide ? ~size_t(1) : ~size_t(0)));
      break;
    case 3: {
      std::string t = kTokens[rng() % (sizeof kTokens / sizeof kTokens[0])];
      s.insert(at, wide ? Utf16(t).substr(2) : t);
      break;
    }
    case 4: s.resize(at); break;  // truncation
    case 5: {                     // a slice repeated: lines of lists become deeper nesting
      if (at >= s.size()) break;
      std::string slice = s.substr(at, (1 + rng() % 48) & (wide ? ~size_t(1) : ~size_t(0)));
      s.insert(at, Repeat(slice, 1 + rng() % (maxDepth / 40 + 1)));
      break;
    }
    case 6: {  // splice: this input's head with another's tail
      const std::string& other = pool[rng() % pool.size()];
      size_t from = other.empty() ? 0 : rng() % other.size();
      s = s.substr(0, at) + other.substr(from);
      break;
    }
    case 7: s = Container(s); break;  // one more container level
    case 8:                           // the head of a container in front of plain text
      s.insert(0, "ZLeZ");
      break;
    default:
      if (!s.empty()) s[rng() % s.size()] = "\0\r\n[]{}<>=/"[rng() % 11];
      break;
  }
}

// Loads bytes into `job`; the result code must be one the loader documents.
void LoadChecked(clsProfJob& job, const std::string& bytes) {
  auto f = codectest::MemFile(bytes);
  LoadProfile(job, *f.Get());
  const int e = job.lastError;
  EXPECT_TRUE(e == 0 || e == -7 || e == -10) << e;
}

}  // namespace

TEST(PersistFuzzAllForms, MutatedProfilesLoadAndTheirSavesReloadExactly) {
  FuzzRun run("profiles");
  InflateLimit limit(kFuzzInflateLimit);
  Job j;
  Fill(j.root(), L"\x00e4\x4e2d");
  std::vector<std::string> seeds;
  for (int flags : {0, 1, 2, 64, 65, 66}) seeds.push_back(Save(*j.job, flags));
  seeds.push_back("[/]\r\n{\r\nk=v\r\n[L]\r\n{\r\nz=1\r\n}\r\n}\r\n");          // 8-bit INI
  seeds.push_back("[Settings]\r\nsize=1\r\n[Other]\r\nmode=2\r\n");              // named roots
  seeds.push_back(Container(Container(Save(*j.job, 1))));                       // nested containers
  seeds.push_back(Container(std::string(4u << 20, '\n')));                      // deflate bomb
  std::mt19937 rng(20261210);
  while (run.More()) {
    FuzzRun::Input timing{run};
    std::string bytes;
    const size_t depth = 1 + rng() % run.maxDepth();
    switch (rng() % 8) {
      case 0: bytes = DeepIni(depth, rng() & 1); break;
      case 1: bytes = Utf16(DeepIni(depth, rng() & 1)); break;
      case 2: bytes = DeepXml(depth, rng() & 1); break;
      case 3: bytes = DeepXfdf(depth, rng() & 1); break;
      case 4: {  // containers in containers
        bytes = Save(*j.job, rng() % 3);
        for (size_t k = 1 + rng() % (run.longRun() ? 200 : 20); k; --k) bytes = Container(bytes);
        break;
      }
      default: bytes = seeds[rng() % seeds.size()]; break;
    }
    for (int e = 1 + int(rng() % 6); e; --e) MutateOnce(bytes, rng, seeds, run.maxDepth());
    if (bytes.size() > (4u << 20)) bytes.resize(4u << 20);

    Job back;
    LoadChecked(*back.job, bytes);
    if (bytes.compare(0, 4, "ZLeZ") == 0) {
      // One container level, and no more than the bound once inflated: anything else is -7.
      auto packed = codectest::MemFile(bytes), plain = codectest::MemFile();
      packed->Seek(uint64_t(4));
      const int rc = ovut::codec::StreamInflate(*plain.Get(), *packed.Get(), ovut::codec::kAllRemaining,
                                                kFuzzInflateLimit);
      if (rc == ovut::codec::kStreamTooLarge || (rc == ovut::codec::kStreamOk &&
                                                  codectest::Content(*plain.Get()).compare(0, 4, "ZLeZ") == 0)) {
        EXPECT_EQ(back.job->lastError, -7);
      }
    }
    // Whatever was read saves in every form, and the XML form (which keeps everything) reads
    // back without error; after that one pass it is a fixed point, packed or not.
    for (int flags : {0, 2, 66}) Save(*back.job, flags);
    const std::string xml = Save(*back.job, 1);
    Job again;
    LoadChecked(*again.job, xml);
    ASSERT_EQ(again.job->lastError, 0);
    const std::wstring once = Dump(again.root());
    int err = 1;
    const std::string xml2 = Save(*again.job, 1);
    EXPECT_TRUE(Load(xml2, &err) == once && err == 0) << "XML of " << xml2.size() << " bytes, error " << err;
    // Packed, as long as the plain text stays within the lowered inflate bound.
    if (xml2.size() <= kFuzzInflateLimit) {
      EXPECT_TRUE(Load(Save(*again.job, 65), &err) == once && err == 0) << "packed, error " << err;
    }
  }
}

TEST(PersistFuzzAllForms, MutatedPackedTextsDecodeWithinBounds) {
  using namespace ovut::codec;
  FuzzRun run("packed texts");
  InflateLimit limit(kFuzzInflateLimit);
  std::mt19937 rng(19);
  const wchar_t* const kPasswords[] = {L"", L"pw", L"Pass\x00e4wort"};
  while (run.More()) {
    FuzzRun::Input timing{run};
    // A payload: pattern or repeated bytes, or megabytes of zeros packed (a bomb beyond the bound).
    const bool big = rng() % 8 == 0;
    const size_t n = big ? (size_t(1) << 19) + rng() % (3u << 20) : rng() % 3000;
    std::string data = !big && (rng() & 1) ? codectest::Pattern(n, rng()) : std::string(n, big || (rng() & 1) ? '\0' : 'a');
    const bool pack = big || (rng() & 1);
    const wchar_t* pw = kPasswords[rng() % 3];
    auto src = codectest::MemFile(data);
    String text = StreamToText(*src.Get(), pack, String(pw));
    auto out = codectest::MemFile();
    if (!data.empty()) {
      // Unchanged texts give the bytes back (packed data up to the inflate bound).
      ASSERT_TRUE(TextToStream(*out.Get(), text, String(pw)));
      if (!pack || n <= kFuzzInflateLimit) {
        ASSERT_EQ(out->Size(), n);
      } else {
        EXPECT_EQ(out->Size(), 0u);
      }
    }
    // Mutations on the decoded buffer: length field, marker, zlib bytes, cuts, splices.
    std::wstring t(text.c_str(), text.Length());
    const size_t prefix = t.compare(0, 1, L"@") == 0 && t.size() >= 3 ? 3 : 0;
    ByteBuffer bytes(Base64DecodedCapacity(t.size() - prefix));
    bytes.resize(Base64Decode(t.c_str() + prefix, t.size() - prefix, bytes.data(), false));
    for (int e = 1 + int(rng() % 4); e; --e) {
      const size_t at = bytes.empty() ? 0 : rng() % bytes.size();
      switch (rng() % 6) {
        case 0:
          if (bytes.size() >= 4) {
            const uint32_t lengths[] = {0, 1, 0xFFFFFFFFu, 0x40000000u, 0x40000001u, uint32_t(n), uint32_t(n + 1),
                                        uint32_t(n - 1), uint32_t(rng())};
            uint32_t v = lengths[rng() % 9];
            for (int i = 0; i < 4; ++i) bytes[i] = uint8_t(v >> (8 * i));
          }
          break;
        case 1:
          if (at < bytes.size()) bytes[at] ^= uint8_t(1 << (rng() % 8));
          break;
        case 2: bytes.resize(at); break;
        case 3:
          if (bytes.size() > 15) bytes.erase(bytes.begin() + 4, bytes.begin() + 15);  // marker gone
          break;
        case 4: {  // splice with a packed bomb's tail
          static const ByteBuffer bomb = [] {
            ByteBuffer b(2u << 20);
            PackBuffer(b);
            return b;
          }();
          bytes.resize(at);
          bytes.insert(bytes.end(), bomb.begin() + std::min<size_t>(bomb.size(), rng() % 32), bomb.end());
          break;
        }
        default:
          if (at < bytes.size()) {
            const ByteBuffer tail(bytes.begin() + at, bytes.end());
            bytes.insert(bytes.begin() + at, tail.begin(), tail.end());
          }
          break;
      }
    }
    static const wchar_t* const kPrefixes[] = {L"", L"@2@", L"@1@", L"@", L"@3@"};
    std::wstring mutated = kPrefixes[rng() % 5];
    mutated += Base64Encode(bytes.data(), bytes.size()).c_str();
    // Text-level damage: foreign characters, padding, cuts.
    for (int e = int(rng() % 3); e && !mutated.empty(); --e) {
      const size_t at = rng() % mutated.size();
      switch (rng() % 3) {
        case 0: mutated.insert(at, 1, L" =\x00e4\r\n@"[rng() % 7]); break;
        case 1: mutated.resize(at); break;
        default: mutated[at] = L"=A/+"[rng() % 4]; break;
      }
    }
    const String mtext(mutated.c_str());
    ASSERT_EQ(TextToStream(*out.Get(), mtext, String(pw)), !mutated.empty());
    const uint64_t got = out->Size();
    EXPECT_LE(got, std::max<uint64_t>(kFuzzInflateLimit, Base64DecodedCapacity(mutated.size())));
    // The exports (never enciphered) decode the same bytes.
    if (pw[0]) continue;
    const int size = UtilConvertStringToBLOB(mtext.c_str(), nullptr, 0);
    ASSERT_EQ(size, int(got));
    if (size > 0) {
      std::string blob(size_t(size), '\0');
      ASSERT_EQ(UtilConvertStringToBLOB(mtext.c_str(), &blob[0], DWORD(size)), size);
      EXPECT_EQ(blob, codectest::Content(*out.Get()));
    }
    HGLOBAL block = nullptr;
    ASSERT_EQ(UtilConvertStringToHGLOBAL(mtext.c_str(), &block), 0);
    if (block) {
      EXPECT_GE(GlobalSize(block), got);
      GlobalFree(block);
    }
  }
}

TEST(PersistFuzzAllForms, ConversionExportsRoundTripRandomBytes) {
  FuzzRun run("conversions");
  std::mt19937 rng(7);
  while (run.More()) {
    FuzzRun::Input timing{run};
    const size_t n = rng() % 5000;
    std::string data = rng() & 1 ? codectest::Pattern(n, rng()) : std::string(n, static_cast<char>(rng()));
    const BOOL compress = rng() & 1;
    const int need = UtilConvertBLOBToString(data.data(), DWORD(n), nullptr, 0, compress);
    ASSERT_GE(need, 1);
    std::wstring text(size_t(need), L'\0');
    ASSERT_EQ(UtilConvertBLOBToString(data.data(), DWORD(n), &text[0], need, compress), 0);
    if (need > 1) {  // one unit short: cut and -44
      std::wstring shorter(size_t(need - 1), L'\0');
      EXPECT_EQ(UtilConvertBLOBToString(data.data(), DWORD(n), &shorter[0], need - 1, compress), -44);
    }
    text.resize(size_t(need - 1));
    if (n == 0) {
      EXPECT_EQ(text, L"");
      continue;
    }
    std::string back(n, '\0');
    ASSERT_EQ(UtilConvertStringToBLOB(text.c_str(), &back[0], DWORD(n)), int(n));
    EXPECT_EQ(back, data);
  }
}

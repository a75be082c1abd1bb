#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "codec_test_util.h"
#include "profile/codec/stream_deflate.h"

using namespace ovut::codec;
using codectest::Content;
using codectest::MemFile;

namespace {
std::string Compressible(size_t n) {
  std::string s;
  while (s.size() < n) s += "profile item " + std::to_string(s.size() % 977) + "\r\n";
  s.resize(n);
  return s;
}
}  // namespace

TEST(CodecStreamDeflate, EveryPresetRoundTripsAndKeepsItsParameters) {
  const std::string data = Compressible(200000) + codectest::Pattern(5000);
  for (int preset = 1; preset <= 8; ++preset) {
    auto src = MemFile(data), packed = MemFile(), out = MemFile();
    uint32_t crc = 0;
    ASSERT_EQ(StreamDeflate(*packed.Get(), *src.Get(), preset, &crc), kStreamOk) << preset;
    EXPECT_EQ(crc, crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    std::string z = Content(*packed.Get());
    EXPECT_LT(z.size(), data.size());

    // Same bytes as zlib gives for the preset's parameters, raw.
    DeflatePreset p = DeflatePresetParams(preset);
    z_stream s{};
    ASSERT_EQ(deflateInit2(&s, p.level, Z_DEFLATED, -15, p.memLevel, p.strategy), Z_OK);
    std::string ref(deflateBound(&s, static_cast<uLong>(data.size())), '\0');
    s.next_in = (Bytef*)data.data();
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = (Bytef*)&ref[0];
    s.avail_out = static_cast<uInt>(ref.size());
    ASSERT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    ref.resize(s.total_out);
    deflateEnd(&s);
    EXPECT_EQ(z, ref) << preset;

    packed->Seek(uint64_t(0));
    ASSERT_EQ(StreamInflate(*out.Get(), *packed.Get()), kStreamOk);
    EXPECT_EQ(Content(*out.Get()), data) << preset;
  }
  EXPECT_EQ(DeflatePresetParams(5).level, 9);
  EXPECT_EQ(DeflatePresetParams(4).strategy, Z_FILTERED);
  EXPECT_EQ(DeflatePresetParams(99).level, Z_DEFAULT_COMPRESSION);
}

TEST(CodecStreamDeflate, PresetOutsideRangeLeavesTargetUntouched) {
  for (int preset : {0, 9, -1}) {
    auto src = MemFile("abc"), dst = MemFile("existing");
    dst->SeekToEnd();
    EXPECT_EQ(StreamDeflate(*dst.Get(), *src.Get(), preset), kStreamBadPreset);
    EXPECT_EQ(Content(*dst.Get()), "existing");
  }
}

TEST(CodecStreamDeflate, CountsPositionsAndSeveralChunks) {
  // More than two staging buffers of incompressible data, from a middle position, with a count.
  const std::string data = codectest::Pattern(kStreamChunk * 2 + 12345, 7);
  auto src = MemFile(data), packed = MemFile("ZLeZ"), out = MemFile();
  src->Seek(uint64_t(100));
  packed->SeekToEnd();
  const uint64_t count = data.size() - 300;
  ASSERT_EQ(StreamDeflate(*packed.Get(), *src.Get(), 1, nullptr, count), kStreamOk);
  EXPECT_EQ(src->Position(), 100 + count);
  // Deflate writes at the target's position ("ZLeZ" stays in front).
  std::string all = Content(*packed.Get());
  EXPECT_EQ(all.substr(0, 4), "ZLeZ");
  packed->Seek(uint64_t(4));
  ASSERT_EQ(StreamInflate(*out.Get(), *packed.Get()), kStreamOk);
  EXPECT_EQ(Content(*out.Get()), data.substr(100, count));

  // Empty input: a valid empty stream.
  auto none = MemFile(), zero = MemFile(), back = MemFile("old content");
  ASSERT_EQ(StreamDeflate(*zero.Get(), *none.Get(), 2), kStreamOk);
  zero->Seek(uint64_t(0));
  ASSERT_EQ(StreamInflate(*back.Get(), *zero.Get()), kStreamOk);
  EXPECT_EQ(Content(*back.Get()), "");
}

TEST(CodecStreamDeflate, DamagedInputFailsCleanly) {
  const std::string data = Compressible(100000);
  auto src = MemFile(data), packed = MemFile();
  ASSERT_EQ(StreamDeflate(*packed.Get(), *src.Get(), 3), kStreamOk);
  std::string z = Content(*packed.Get());

  auto cut = MemFile(z.substr(0, z.size() / 2)), out1 = MemFile();
  EXPECT_LT(StreamInflate(*out1.Get(), *cut.Get()), 0);

  std::string garbage = z;
  for (size_t i = 0; i < 64; ++i) garbage[i] = static_cast<char>(0xFF - i);
  auto bad = MemFile(garbage), out2 = MemFile();
  EXPECT_LT(StreamInflate(*out2.Get(), *bad.Get()), 0);

  // A count beyond the source: short read.
  auto src2 = MemFile("abc"), out3 = MemFile();
  EXPECT_EQ(StreamDeflate(*out3.Get(), *src2.Get(), 1, nullptr, 10), kStreamReadShort);
}

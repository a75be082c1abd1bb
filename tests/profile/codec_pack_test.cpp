#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <zlib.h>

#include <cstring>
#include <string>

#include "codec_test_util.h"
#include "profile/codec/pack.h"

using namespace ovut::codec;

namespace {
ByteBuffer Buf(const std::string& s) { return ByteBuffer(s.begin(), s.end()); }
std::string Str(const ByteBuffer& b) { return std::string(b.begin(), b.end()); }

// A packed buffer by hand: stored length, marker, zlib stream of `data`.
ByteBuffer Forge(uint32_t storedLength, const std::string& data, size_t markerAt = 4) {
  uLongf n = compressBound(static_cast<uLong>(data.size()));
  ByteBuffer z(n);
  compress(z.data(), &n, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()));
  z.resize(n);
  ByteBuffer b(markerAt + 11 + z.size());
  for (int i = 0; i < 4; ++i) b[i] = uint8_t(storedLength >> (8 * i));
  if (markerAt == 4) memcpy(&b[4], "ZeL_Packed", 11);
  memcpy(&b[markerAt + 11], z.data(), z.size());
  return b;
}
}  // namespace

TEST(CodecPack, LayoutAndRoundTrip) {
  for (size_t n : {0u, 1u, 10u, 4096u, 300000u}) {
    std::string data = n == 4096 ? std::string(n, 'a') : codectest::Pattern(n, static_cast<unsigned>(n));
    ByteBuffer b = Buf(data);
    PackBuffer(b);
    ASSERT_GE(b.size(), kPackedHeader + 2) << n;
    EXPECT_EQ(b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24, n);
    EXPECT_EQ(memcmp(&b[4], "ZeL_Packed\0", 11), 0);
    EXPECT_EQ(b[15], 0x78);  // zlib header, 32K window
    UnpackBuffer(b);
    EXPECT_EQ(Str(b), data) << n;
  }
}

TEST(CodecPack, UnpackPassesUnmarkedDataAndRejectsDamage) {
  // No marker, or shorter than the header: unchanged.
  for (std::string s : {std::string(""), std::string("short"), std::string(40, 'x'), std::string("1234ZeL_Packe!xxxxxx")}) {
    ByteBuffer b = Buf(s);
    UnpackBuffer(b);
    EXPECT_EQ(Str(b), s);
  }
  std::string data = codectest::Pattern(1000);
  const struct { const char* what; ByteBuffer buf; } bad[] = {
      {"length too small", Forge(999, data)},
      {"length too large", Forge(1001, data)},
      {"stream cut short", [&] { ByteBuffer b = Forge(1000, data); b.resize(b.size() - 10); return b; }()},
      {"stream corrupted", [&] { ByteBuffer b = Forge(1000, data); b[40] ^= 0x55; return b; }()},
      {"no stream at all", [&] { ByteBuffer b = Forge(1000, data); b.resize(15); return b; }()},
  };
  for (const auto& c : bad) {
    ByteBuffer b = c.buf;
    UnpackBuffer(b);
    EXPECT_TRUE(b.empty()) << c.what;
  }
  ByteBuffer good = Forge(1000, data);
  UnpackBuffer(good);
  EXPECT_EQ(Str(good), data);
}

// A tiny stream claiming almost 4 GB must fail without reserving that memory.
TEST(CodecPack, ForgedHugeLengthFailsWithoutHugeAllocation) {
  std::string data(100000, 'z');
  PROCESS_MEMORY_COUNTERS before{}, after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  for (uint32_t claim : {0xFFFFFFFFu, 0x80000000u, 100001u}) {
    ByteBuffer b = Forge(claim, data);
    UnpackBuffer(b);
    EXPECT_TRUE(b.empty()) << claim;
  }
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  // 32-bit Wine under emulation has been seen to report a lower peak afterwards: count growth only.
  const size_t grew =
      after.PeakPagefileUsage > before.PeakPagefileUsage ? after.PeakPagefileUsage - before.PeakPagefileUsage : 0;
  EXPECT_LT(grew, size_t(64) << 20);
}

TEST(CodecPack, OldFormWithoutMarker) {
  std::string data = codectest::Pattern(500);
  ByteBuffer b = Forge(500, data, 4);
  b.erase(b.begin() + 4, b.begin() + 15);  // [length][zlib stream]
  UnpackOldBuffer(b);
  EXPECT_EQ(Str(b), data);
  ByteBuffer tooShort = Buf("abc");
  UnpackOldBuffer(tooShort);
  EXPECT_TRUE(tooShort.empty());
}

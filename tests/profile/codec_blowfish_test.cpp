#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "profile/codec/blowfish.h"

using ovut::codec::clsBlowfish;

namespace {
void Hex(const char* hex, uint8_t* out, size_t n) {
  for (size_t i = 0; i < n; ++i) sscanf(hex + 2 * i, "%2hhx", &out[i]);
}
uint32_t BE(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
uint32_t LE(const uint8_t* p) { return uint32_t(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0]; }
void PutLE(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i)); }
}  // namespace

// The published ECB vectors (8-byte keys, blocks as big-endian word pairs).
TEST(CodecBlowfish, StandardCipherMatchesPublishedVectors) {
  const struct { const char* key; const char* plain; const char* cipher; } v[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
  };
  for (const auto& t : v) {
    uint8_t key[8], plain[8], cipher[8];
    Hex(t.key, key, 8);
    Hex(t.plain, plain, 8);
    Hex(t.cipher, cipher, 8);
    clsBlowfish bf = clsBlowfish::Raw(key, 8);
    uint32_t l = BE(plain), r = BE(plain + 4);
    bf.EncipherBlock(l, r);
    EXPECT_EQ(l, BE(cipher)) << t.key;
    EXPECT_EQ(r, BE(cipher + 4)) << t.key;
    bf.DecipherBlock(l, r);
    EXPECT_EQ(l, BE(plain));
    EXPECT_EQ(r, BE(plain + 4));
  }
}

TEST(CodecBlowfish, PasswordExpansion) {
  // "A" is stretched by key[i] = key[i-1] * i * 97 mod 255 + 1 to 72 non-zero bytes.
  clsBlowfish a("A");
  const uint8_t* k = a.ExpandedKey();
  EXPECT_EQ(k[0], 'A');
  EXPECT_EQ(k[1], 186);
  EXPECT_EQ(k[2], 130);
  EXPECT_EQ(memchr(k, 0, clsBlowfish::kKeyBytes), nullptr);

  // Exactly 72 bytes: no stretching, the plain standard schedule over them.
  std::string p72(72, 'x');
  for (int i = 0; i < 72; ++i) p72[i] = static_cast<char>('!' + i);
  uint8_t x[16], y[16];
  for (int i = 0; i < 16; ++i) x[i] = y[i] = static_cast<uint8_t>(i * 7);
  clsBlowfish(p72.c_str()).Encode(x, 16);
  clsBlowfish::Raw(reinterpret_cast<const uint8_t*>(p72.data()), 72).Encode(y, 16);
  EXPECT_EQ(memcmp(x, y, 16), 0);

  // Anything past 72 bytes is ignored.
  std::string p80 = p72 + "12345678";
  for (int i = 0; i < 16; ++i) y[i] = static_cast<uint8_t>(i * 7);
  clsBlowfish(p80.c_str()).Encode(y, 16);
  EXPECT_EQ(memcmp(x, y, 16), 0);
}

TEST(CodecBlowfish, ThirteenBytesTailBlockFirstThenOverlap) {
  clsBlowfish bf("secret");
  uint8_t buf[13], expect[13];
  for (int i = 0; i < 13; ++i) buf[i] = expect[i] = static_cast<uint8_t>(0xA0 + i);
  // Expected: the block at offset 5 first, then the block at offset 0, little-endian words.
  for (int off : {5, 0}) {
    uint32_t l = LE(expect + off), r = LE(expect + off + 4);
    bf.EncipherBlock(l, r);
    PutLE(expect + off, l);
    PutLE(expect + off + 4, r);
  }
  bf.Encode(buf, 13);
  EXPECT_EQ(memcmp(buf, expect, 13), 0);
  bf.Decode(buf, 13);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(buf[i], 0xA0 + i);
}

TEST(CodecBlowfish, RoundTripsAndLeavesShortBuffers) {
  clsBlowfish bf("pw");
  for (size_t n : {7u, 8u, 9u, 15u, 16u, 17u, 100u}) {
    std::string orig(n, '\0');
    for (size_t i = 0; i < n; ++i) orig[i] = static_cast<char>(i * 31 + n);
    std::string s = orig;
    bf.Encode(reinterpret_cast<uint8_t*>(&s[0]), n);
    if (n < 8)
      EXPECT_EQ(s, orig);
    else
      EXPECT_NE(s, orig);
    bf.Decode(reinterpret_cast<uint8_t*>(&s[0]), n);
    EXPECT_EQ(s, orig) << n;
  }
  // A different password does not decode.
  std::string s(16, 'q');
  bf.Encode(reinterpret_cast<uint8_t*>(&s[0]), 16);
  clsBlowfish("pX").Decode(reinterpret_cast<uint8_t*>(&s[0]), 16);
  EXPECT_NE(s, std::string(16, 'q'));
}

#include "profile/codec/blowfish.h"

#include <cstring>

#include "diagnostics/debug_output.h"
#include "profile/codec/blowfish_tables.h"

namespace ovut::codec {

namespace {
inline uint32_t LoadLE(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void StoreLE(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
}  // namespace

clsBlowfish::clsBlowfish(const char* password)
    : clsBlowfish(reinterpret_cast<const uint8_t*>(password ? password : ""),
                  password ? strlen(password) : 0) {}

clsBlowfish::clsBlowfish(const uint8_t* password, size_t length) {
  size_t n = length < kKeyBytes ? length : kKeyBytes;
  if (n) memcpy(key_, password, n);
  // Stretch short passwords so the key is always 72 non-zero bytes.
  for (size_t i = n ? n : kKeyBytes; i < kKeyBytes; ++i)
    key_[i] = uint8_t((uint32_t(key_[i - 1]) * uint32_t(i) * 97u) % 255u + 1u);
  Schedule(key_, n ? kKeyBytes : 0);
}

clsBlowfish clsBlowfish::Raw(const uint8_t* key, size_t length) {
  clsBlowfish b;
  size_t n = length < kKeyBytes ? length : kKeyBytes;
  if (n) memcpy(b.key_, key, n);
  b.Schedule(b.key_, n);
  return b;
}

void clsBlowfish::Schedule(const uint8_t* key, size_t length) {
  memcpy(p_, kBlowfishInitP, sizeof p_);
  memcpy(s_, kBlowfishInitS, sizeof s_);
  if (length) {
    size_t k = 0;
    for (int i = 0; i < 18; ++i) {
      uint32_t w = 0;
      for (int j = 0; j < 4; ++j) {
        w = (w << 8) | key[k];
        if (++k == length) k = 0;
      }
      p_[i] ^= w;
    }
  }
  uint32_t l = 0, r = 0;
  for (int i = 0; i < 18; i += 2) {
    EncipherBlock(l, r);
    p_[i] = l;
    p_[i + 1] = r;
  }
  for (auto& box : s_) {
    for (int i = 0; i < 256; i += 2) {
      EncipherBlock(l, r);
      box[i] = l;
      box[i + 1] = r;
    }
  }
}

void clsBlowfish::EncipherBlock(uint32_t& left, uint32_t& right) const {
  uint32_t l = left, r = right;
  for (int i = 0; i < 16; i += 2) {
    l ^= p_[i];
    r ^= F(l);
    r ^= p_[i + 1];
    l ^= F(r);
  }
  l ^= p_[16];
  r ^= p_[17];
  left = r;
  right = l;
}

void clsBlowfish::DecipherBlock(uint32_t& left, uint32_t& right) const {
  uint32_t l = left, r = right;
  for (int i = 17; i > 1; i -= 2) {
    l ^= p_[i];
    r ^= F(l);
    r ^= p_[i - 1];
    l ^= F(r);
  }
  l ^= p_[1];
  r ^= p_[0];
  left = r;
  right = l;
}

void clsBlowfish::EncodeBlockAt(uint8_t* p) const {
  uint32_t l = LoadLE(p), r = LoadLE(p + 4);
  EncipherBlock(l, r);
  StoreLE(p, l);
  StoreLE(p + 4, r);
}

void clsBlowfish::DecodeBlockAt(uint8_t* p) const {
  uint32_t l = LoadLE(p), r = LoadLE(p + 4);
  DecipherBlock(l, r);
  StoreLE(p, l);
  StoreLE(p + 4, r);
}

void clsBlowfish::Encode(uint8_t* buffer, size_t length) const {
  if (!buffer || length < 8) {
    ovut::debug::Warning(L"clsBlowfish::Encode: buffer too small!!!");
    return;
  }
  // The tail block goes first so that the last full block can overlap it.
  if (length % 8) EncodeBlockAt(buffer + length - 8);
  for (size_t off = 0; off + 8 <= length; off += 8) EncodeBlockAt(buffer + off);
}

void clsBlowfish::Decode(uint8_t* buffer, size_t length) const {
  if (!buffer || length < 8) {
    ovut::debug::Warning(L"clsBlowfish::Decode: buffer too small!!!");
    return;
  }
  for (size_t off = 0; off + 8 <= length; off += 8) DecodeBlockAt(buffer + off);
  if (length % 8) DecodeBlockAt(buffer + length - 8);
}

}  // namespace ovut::codec

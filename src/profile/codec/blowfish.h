// clsBlowfish: the Blowfish block cipher with this library's key expansion (every password is
// stretched to 72 non-zero bytes) and block arrangement (little-endian words; a tail that is
// not a multiple of 8 is covered by an extra block over the last 8 bytes, overlapping).
#pragma once
#include <cstddef>
#include <cstdint>

namespace ovut::codec {

class clsBlowfish {
 public:
  static constexpr size_t kKeyBytes = 72;

  // An 8-bit password; only its first 72 bytes count. An empty password gives the standard
  // schedule keyed with nothing (callers never encipher with an empty password).
  explicit clsBlowfish(const char* password);
  clsBlowfish(const uint8_t* password, size_t length);
  // Raw schedule over exactly `length` key bytes (1..72), without the expansion: the standard
  // cipher, for checking against published vectors.
  static clsBlowfish Raw(const uint8_t* key, size_t length);

  // In place; buffers shorter than 8 bytes are left as they are (with a debug line).
  void Encode(uint8_t* buffer, size_t length) const;
  void Decode(uint8_t* buffer, size_t length) const;

  // One block as (left, right) words.
  void EncipherBlock(uint32_t& left, uint32_t& right) const;
  void DecipherBlock(uint32_t& left, uint32_t& right) const;

  const uint8_t* ExpandedKey() const { return key_; }

 private:
  clsBlowfish() = default;
  void Schedule(const uint8_t* key, size_t length);
  uint32_t F(uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
  }
  void EncodeBlockAt(uint8_t* p) const;
  void DecodeBlockAt(uint8_t* p) const;

  uint32_t p_[18];
  uint32_t s_[4][256];
  uint8_t key_[kKeyBytes] = {};
};

}  // namespace ovut::codec

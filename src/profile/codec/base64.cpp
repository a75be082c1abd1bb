#include "profile/codec/base64.h"

namespace ovut::codec {

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of an alphabet character, 64 for "=", -1 for anything else.
struct DecodeTable {
  int8_t v[128];
  constexpr DecodeTable() : v() {
    for (int i = 0; i < 128; ++i) v[i] = -1;
    for (int i = 0; i < 64; ++i) v[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    v['='] = 64;
  }
};
constexpr DecodeTable kDecode;

inline int ValueOf(wchar_t c) { return c < 128 ? kDecode.v[c] : -1; }
}  // namespace

String Base64Encode(const uint8_t* data, size_t length) {
  String out;
  if (!data || !length) return out;
  size_t units = (length + 2) / 3 * 4;
  wchar_t* w = out.GetBuffer(static_cast<uint32_t>(units));
  size_t i = 0, o = 0;
  for (; i + 3 <= length; i += 3) {
    uint32_t v = uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8 | data[i + 2];
    w[o++] = kAlphabet[v >> 18];
    w[o++] = kAlphabet[(v >> 12) & 63];
    w[o++] = kAlphabet[(v >> 6) & 63];
    w[o++] = kAlphabet[v & 63];
  }
  if (size_t rest = length - i) {
    uint32_t v = uint32_t(data[i]) << 16 | (rest > 1 ? uint32_t(data[i + 1]) << 8 : 0);
    w[o++] = kAlphabet[v >> 18];
    w[o++] = kAlphabet[(v >> 12) & 63];
    w[o++] = rest > 1 ? kAlphabet[(v >> 6) & 63] : L'=';
    w[o++] = L'=';
  }
  w[o] = 0;
  out.ReleaseBuffer();
  return out;
}

size_t Base64Decode(const wchar_t* text, size_t length, uint8_t* out, bool fullGroups) {
  size_t pos = 0, count = 0;
  // Next character's value: 0 for "=" and past the end. `pad` tells "=" or the end, which
  // both stop a group from adding bytes at that position.
  auto next = [&](bool& pad, bool& real) -> uint32_t {
    while (pos < length) {
      wchar_t c = text[pos++];
      if (c <= 0x20) continue;
      int v = ValueOf(c);
      if (v < 0) continue;
      pad = v == 64;
      real = true;
      return pad ? 0 : uint32_t(v);
    }
    pad = true;
    return 0;
  };
  while (pos < length) {
    bool p0, p1, p2, p3, real = false;
    uint32_t a = next(p0, real), b = next(p1, real), c = next(p2, real), d = next(p3, real);
    if (!real) break;  // only skipped characters were left
    uint32_t v = a << 18 | b << 12 | c << 6 | d;
    out[count] = uint8_t(v >> 16);
    out[count + 1] = uint8_t(v >> 8);
    out[count + 2] = uint8_t(v);
    count += fullGroups ? 3 : (p0 ? 0 : (p2 ? 1 : (p3 ? 2 : 3)));
  }
  return count;
}

}  // namespace ovut::codec

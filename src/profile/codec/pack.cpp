#include "profile/codec/pack.h"

#include <zlib.h>

#include <cstring>
#include <new>

#include "diagnostics/debug_output.h"
#include "profile/codec/stream_deflate.h"

namespace ovut::codec {

const char kPackedMarker[11] = "ZeL_Packed";

namespace {
inline uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
}  // namespace

void PackBuffer(ByteBuffer& buffer) {
  ByteBuffer out;
  try {
    const size_t n = buffer.size();
    if (n > 0xFFFFFFFFu) throw std::bad_alloc();  // the header holds 32 bits
    out.resize(n + 23 + n / 10);
    uint32_t len = static_cast<uint32_t>(n);
    for (int i = 0; i < 4; ++i) out[i] = uint8_t(len >> (8 * i));
    memcpy(out.data() + 4, kPackedMarker, sizeof kPackedMarker);

    DeflatePreset p = DeflatePresetParams(kPresetPackedBuffer);
    z_stream z{};
    if (deflateInit2(&z, p.level, Z_DEFLATED, MAX_WBITS, p.memLevel, p.strategy) != Z_OK) {
      out.clear();
    } else {
      // zlib's own bound, since the historical n + 23 + n / 10 is slightly short for
      // incompressible input at the top memory level.
      size_t room = deflateBound(&z, static_cast<uLong>(n));
      if (out.size() < kPackedHeader + room) out.resize(kPackedHeader + room);
      z.next_in = const_cast<Bytef*>(buffer.data());
      z.avail_in = static_cast<uInt>(n);
      z.next_out = out.data() + kPackedHeader;
      z.avail_out = static_cast<uInt>(out.size() - kPackedHeader);
      int rc = deflate(&z, Z_FINISH);
      size_t produced = z.total_out;
      deflateEnd(&z);
      if (rc == Z_STREAM_END)
        out.resize(kPackedHeader + produced);
      else
        out.clear();
    }
  } catch (const std::bad_alloc&) {
    out.clear();
  }
  buffer.swap(out);
}

bool InflateExact(const uint8_t* data, size_t length, uint32_t expected, ByteBuffer& out) {
  out.clear();
  if (expected > MaxInflatedBytes()) {
    ovut::debug::Warning(L"WRN: packed data of %u bytes is over the limit of %I64u bytes", expected,
                         MaxInflatedBytes());
    return false;
  }
  try {
    z_stream z{};
    if (inflateInit2(&z, MAX_WBITS) != Z_OK) return false;
    // Start from a size the input can plausibly give and grow by doubling up to one byte more
    // than the stored length (room for the stream to end): a damaged or forged length costs
    // at most about twice the real output, and the stored length itself is bounded above.
    const size_t limit = size_t(expected) + 1;
    size_t cap = length < (1u << 20) ? length * 4 + 4096 : length * 2;
    if (cap > limit) cap = limit;
    out.resize(cap);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(length);
    int rc = Z_OK;
    for (;;) {
      z.next_out = out.data() + z.total_out;
      z.avail_out = static_cast<uInt>(out.size() - z.total_out);
      rc = inflate(&z, Z_FINISH);
      if (rc == Z_STREAM_END || (rc != Z_OK && rc != Z_BUF_ERROR)) break;
      if (z.avail_out != 0) break;  // input used up before the stream ended
      if (out.size() >= limit) break;  // more output than the stored length
      size_t grow = out.size() * 2;
      out.resize(grow < limit ? grow : limit);
    }
    size_t produced = z.total_out;
    inflateEnd(&z);
    if (rc != Z_STREAM_END || produced != expected) {
      out.clear();
      return false;
    }
    out.resize(produced);
    return true;
  } catch (const std::bad_alloc&) {
    out.clear();
    return false;
  }
}

void UnpackBuffer(ByteBuffer& buffer) {
  if (buffer.size() < kPackedHeader || memcmp(buffer.data() + 4, kPackedMarker, sizeof kPackedMarker))
    return;
  ByteBuffer out;
  InflateExact(buffer.data() + kPackedHeader, buffer.size() - kPackedHeader, LoadLE32(buffer.data()), out);
  buffer.swap(out);
}

void UnpackOldBuffer(ByteBuffer& buffer) {
  ByteBuffer out;
  if (buffer.size() >= 4) InflateExact(buffer.data() + 4, buffer.size() - 4, LoadLE32(buffer.data()), out);
  buffer.swap(out);
}

}  // namespace ovut::codec

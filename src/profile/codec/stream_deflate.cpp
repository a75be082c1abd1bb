#include "profile/codec/stream_deflate.h"

#include <zlib.h>

#include <atomic>
#include <memory>
#include <new>

#include "diagnostics/debug_output.h"
#include "foundation/file.h"

namespace ovut::codec {

DeflatePreset DeflatePresetParams(int preset) {
  switch (preset) {
    case 1: return {1, 8, Z_DEFAULT_STRATEGY};
    case 2: return {Z_DEFAULT_COMPRESSION, 8, Z_DEFAULT_STRATEGY};
    case 3: return {9, 8, Z_DEFAULT_STRATEGY};
    case 4: return {9, 9, Z_FILTERED};
    case 5: return {9, 9, Z_DEFAULT_STRATEGY};
    case 6: return {1, 9, Z_FILTERED};
    case 7: return {1, 7, Z_DEFAULT_STRATEGY};
    default: return {Z_DEFAULT_COMPRESSION, 8, Z_DEFAULT_STRATEGY};
  }
}

namespace {
std::atomic<uint64_t> g_maxInflated{kMaxInflatedBytes};
}  // namespace

uint64_t MaxInflatedBytes() noexcept { return g_maxInflated.load(std::memory_order_relaxed); }

uint64_t SetMaxInflatedBytesForTesting(uint64_t bytes) noexcept {
  return g_maxInflated.exchange(bytes ? bytes : kMaxInflatedBytes);
}

namespace {

// Bytes left in the source from its current position, or the caller's count.
uint64_t SourceBytes(clsFile& source, uint64_t count) {
  if (count != kAllRemaining) return count;
  uint64_t size = source.Size(), pos = source.Position();
  if (size == clsFile::kUnknown || pos == clsFile::kUnknown || pos > size) return 0;
  return size - pos;
}

struct Staging {
  std::unique_ptr<uint8_t[]> in, out;
  bool Allocate() {
    in.reset(new (std::nothrow) uint8_t[kStreamChunk]);
    out.reset(new (std::nothrow) uint8_t[kStreamChunk]);
    return in && out;
  }
};

bool Drain(clsFile& target, const uint8_t* buffer, z_stream& z) {
  DWORD produced = kStreamChunk - z.avail_out;
  return produced == 0 || target.Write(buffer, produced) == produced;
}

}  // namespace

bool ReadNextPiece(clsFile& source, uint8_t* buffer, uint32_t chunk, uint64_t& remaining, z_stream& z) {
  const DWORD want = remaining < chunk ? static_cast<DWORD>(remaining) : chunk;
  DWORD got = 0;
  while (got < want) {
    const DWORD n = source.Read(buffer + got, want - got);
    if (n == 0) return false;
    got += n;
  }
  remaining -= want;
  z.next_in = buffer;
  z.avail_in = want;
  return true;
}

int StreamDeflate(clsFile& target, clsFile& source, int preset, uint32_t* crc32Out, uint64_t count) {
  if (preset < 1 || preset > 8) return kStreamBadPreset;
  Staging buf;
  if (!buf.Allocate()) return Z_MEM_ERROR;
  const DeflatePreset p = DeflatePresetParams(preset);
  z_stream z{};
  int rc = deflateInit2(&z, p.level, Z_DEFLATED, -MAX_WBITS, p.memLevel, p.strategy);
  if (rc != Z_OK) {
    ovut::debug::Warning(L"ERR: ZLIB init error '%d'", rc);
    return rc;
  }
  uint64_t remaining = SourceBytes(source, count);
  uLong crc = crc32Out ? *crc32Out : 0;
  int result = kStreamOk;
  for (;;) {
    if (z.avail_in == 0 && remaining) {
      if (!ReadNextPiece(source, buf.in.get(), kStreamChunk, remaining, z)) {
        result = kStreamReadShort;
        break;
      }
      if (crc32Out) crc = crc32(crc, z.next_in, z.avail_in);
    }
    const int flush = (z.avail_in == 0 && !remaining) ? Z_FINISH : Z_NO_FLUSH;
    z.next_out = buf.out.get();
    z.avail_out = kStreamChunk;
    rc = deflate(&z, flush);
    if (rc == Z_STREAM_ERROR) {
      result = rc;
      break;
    }
    if (!Drain(target, buf.out.get(), z)) {
      result = kStreamWriteShort;
      break;
    }
    if (rc == Z_STREAM_END) break;
  }
  deflateEnd(&z);
  if (crc32Out) *crc32Out = static_cast<uint32_t>(crc);
  target.SetEOF();
  return result;
}

int StreamInflate(clsFile& target, clsFile& source, uint64_t count, uint64_t maxOutput) {
  uint64_t remaining = SourceBytes(source, count);
  // Pre-size by the input plus a margin; the final cut removes what the output did not use.
  target.SetSize((remaining < maxOutput ? remaining : maxOutput) + 512);
  Staging buf;
  if (!buf.Allocate()) return Z_MEM_ERROR;
  z_stream z{};
  int rc = inflateInit2(&z, -MAX_WBITS);
  if (rc != Z_OK) {
    ovut::debug::Warning(L"ERR: ZLIB init error '%d'", rc);
    return rc;
  }
  int result = kStreamOk;
  uint64_t written = 0;  // z.total_out is 32 bits wide on Windows
  for (;;) {
    if (z.avail_in == 0 && remaining) {
      if (!ReadNextPiece(source, buf.in.get(), kStreamChunk, remaining, z)) {
        result = kStreamReadShort;
        break;
      }
    }
    const bool lastInput = z.avail_in == 0 && !remaining;
    z.next_out = buf.out.get();
    z.avail_out = kStreamChunk;
    rc = inflate(&z, lastInput ? Z_FINISH : Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
      result = rc;  // Z_DATA_ERROR, Z_MEM_ERROR, Z_NEED_DICT, Z_STREAM_ERROR
      break;
    }
    const bool progressed = z.avail_out != kStreamChunk;
    written += kStreamChunk - z.avail_out;
    if (written > maxOutput) {
      result = kStreamTooLarge;
      break;
    }
    if (!Drain(target, buf.out.get(), z)) {
      result = kStreamWriteShort;
      break;
    }
    if (rc == Z_STREAM_END) break;
    // All input given and nothing more comes out: the deflate stream was cut short.
    if (lastInput && !progressed) {
      result = Z_BUF_ERROR;
      break;
    }
  }
  inflateEnd(&z);
  target.SetEOF();
  return result;
}

}  // namespace ovut::codec

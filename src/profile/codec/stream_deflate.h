// Moving whole streams through zlib: raw deflate (window 15, no wrapper) from a source file
// object into a target, and the reverse. Used by the packed profile container and ZIP entries.
#pragma once
#include <zlib.h>

#include <cstdint>

class clsFile;

namespace ovut::codec {

// zlib parameters of a deflate preset. Presets 1..8 are valid for StreamDeflate; any other
// number maps to zlib's default level, memory level 8, default strategy.
struct DeflatePreset {
  int level;
  int memLevel;
  int strategy;
};
DeflatePreset DeflatePresetParams(int preset);

constexpr int kPresetPackedBuffer = 4;     // used with the zlib wrapper
constexpr int kPresetPackedContainer = 5;  // raw stream

// Source bytes to move: a count, or everything from the source's current position to its end.
constexpr uint64_t kAllRemaining = ~0ull;

// Staging buffers are this large; reads of the source happen in pieces of at most this.
constexpr uint32_t kStreamChunk = 1u << 20;

// Result codes of StreamDeflate / StreamInflate besides zlib's own negative codes.
constexpr int kStreamOk = 1;
constexpr int kStreamBadPreset = -1;    // StreamDeflate only; the target stays untouched
constexpr int kStreamReadShort = -3;
constexpr int kStreamWriteShort = -5;
constexpr int kStreamTooLarge = -16;    // StreamInflate only: the output passed its limit

// Every inflate of the library stops at this many output bytes (1 GiB): a deflate stream can
// expand about 1,000 times, so without a bound a small hostile input fills memory or disk.
// Real profiles and packed values stay far below it.
constexpr uint64_t kMaxInflatedBytes = uint64_t(1) << 30;
// The bound in force: kMaxInflatedBytes, unless a test lowered it to keep its fixtures small.
uint64_t MaxInflatedBytes() noexcept;
// Sets the bound (0 restores kMaxInflatedBytes) and returns the previous one.
uint64_t SetMaxInflatedBytesForTesting(uint64_t bytes) noexcept;

// Raw-deflates `count` bytes (or all remaining) of `source`, from its current position, into
// `target` at its current position, then cuts the target at its new position.
// `crc32` (optional) receives zlib's CRC-32 of the bytes read, seeded with its value on entry
// (pass a pointer to 0 for a fresh CRC). Returns kStreamOk, kStreamBadPreset, a zlib init code,
// kStreamReadShort, kStreamWriteShort or a negative zlib code.
int StreamDeflate(clsFile& target, clsFile& source, int preset, uint32_t* crc32 = nullptr,
                  uint64_t count = kAllRemaining);

// Raw-inflates `count` compressed bytes (or all remaining) of `source` into `target` at its
// current position, then cuts the target at its new position. Returns kStreamOk, a zlib init
// code, kStreamReadShort, kStreamWriteShort, kStreamTooLarge when the output would pass
// `maxOutput` bytes (nothing beyond it is written), or a negative zlib code (Z_DATA_ERROR for
// a corrupt stream, Z_BUF_ERROR when the input ends before the deflate stream does).
int StreamInflate(clsFile& target, clsFile& source, uint64_t count = kAllRemaining,
                  uint64_t maxOutput = MaxInflatedBytes());

// Reads the next piece of the source (at most `chunk` bytes, less only for its last piece) into
// `buffer` and points `z` at it; false on a short read. A stream may hand out less than asked per
// call without being at its end, so only a read of nothing ends it.
bool ReadNextPiece(clsFile& source, uint8_t* buffer, uint32_t chunk, uint64_t& remaining, z_stream& z);

}  // namespace ovut::codec

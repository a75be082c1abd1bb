// Packed data buffers: [u32 unpacked length]["ZeL_Packed\0"][zlib stream], little-endian,
// and the old marker-less form [u32 length][zlib stream] that is only read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ovut::codec {

using ByteBuffer = std::vector<uint8_t>;

constexpr size_t kPackedHeader = 15;  // length + marker with its zero byte
extern const char kPackedMarker[11];  // "ZeL_Packed" and its terminator

// Replaces `buffer` by its packed form (zlib wrapper, preset 4). Empty on failure.
void PackBuffer(ByteBuffer& buffer);

// A buffer that carries the marker is replaced by its unpacked bytes, or emptied when the
// zlib stream is damaged or does not yield exactly the stored length. Anything else (shorter
// than the header, no marker) stays as it is.
void UnpackBuffer(ByteBuffer& buffer);

// The old form: the stored length at offset 0, a zlib stream from offset 4. Empty on failure.
void UnpackOldBuffer(ByteBuffer& buffer);

// Inflates a zlib-wrapped stream that must end and yield exactly `expected` bytes. Memory
// grows with what the stream really produces, so a forged length cannot force a huge
// allocation; an `expected` above MaxInflatedBytes() is refused before inflating. False on any
// mismatch.
bool InflateExact(const uint8_t* data, size_t length, uint32_t expected, ByteBuffer& out);

}  // namespace ovut::codec

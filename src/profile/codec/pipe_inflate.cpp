#include "profile/codec/pipe_inflate.h"

#include <new>
#include <utility>

#include "profile/codec/stream_deflate.h"

namespace ovut::codec {

clsInflatePipe::clsInflatePipe(ByteBuffer input, uint64_t declared, uint64_t maxOutput)
    : clsThreadBase("PackInflate"), input_(std::move(input)), declared_(declared), maxOutput_(maxOutput) {}

clsInflatePipe::~clsInflatePipe() {
  if (started_) {
    pipe_.Abandon();  // the reader gave up: stop at the next piece
    ThreadEnd(false, INFINITE);
  }
  if (initialised_) inflateEnd(&z_);
}

bool clsInflatePipe::Start() noexcept {
  if (inflateInit2(&z_, -MAX_WBITS) != Z_OK) return false;
  initialised_ = true;
  started_ = ThreadStart();
  return started_;
}

bool clsInflatePipe::Next(std::vector<uint8_t>& piece) { return started_ && pipe_.Pop(piece); }

int clsInflatePipe::Finish() noexcept {
  if (started_) {
    // The whole stream is checked, as when it was inflated before reading.
    std::vector<uint8_t> rest;
    while (pipe_.Pop(rest)) {
    }
    ThreadEnd(false, INFINITE);
    started_ = false;
  }
  return result_;
}

// The loop of StreamInflate, reading from memory in the same pieces and checking the output
// bound at the same points, so every input fails (or not) where it failed there.
DWORD clsInflatePipe::ThreadBody() {
  std::vector<uint8_t> piece;
  uint64_t remaining = declared_, written = 0;
  size_t offset = 0;
  int result = kStreamOk;
  try {
    for (;;) {
      if (z_.avail_in == 0 && remaining) {
        const size_t want = remaining < kStreamChunk ? static_cast<size_t>(remaining) : kStreamChunk;
        if (input_.size() - offset < want) {
          result = kStreamReadShort;
          break;
        }
        z_.next_in = input_.data() + offset;
        z_.avail_in = static_cast<uInt>(want);
        offset += want;
        remaining -= want;
      }
      const bool lastInput = z_.avail_in == 0 && !remaining;
      piece.resize(kStreamChunk);
      z_.next_out = piece.data();
      z_.avail_out = kStreamChunk;
      const int rc = inflate(&z_, lastInput ? Z_FINISH : Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
        result = rc;
        break;
      }
      const bool progressed = z_.avail_out != kStreamChunk;
      written += kStreamChunk - z_.avail_out;
      if (written > maxOutput_) {
        result = kStreamTooLarge;
        break;
      }
      piece.resize(kStreamChunk - z_.avail_out);
      if (!piece.empty() && !pipe_.Push(piece)) break;  // the reader stopped taking text
      if (rc == Z_STREAM_END) break;
      if (lastInput && !progressed) {
        result = Z_BUF_ERROR;
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    result = kStreamWriteShort;  // as when the unpacked text finds no room
  }
  result_ = result;
  pipe_.Close();
  return 0;
}

}  // namespace ovut::codec

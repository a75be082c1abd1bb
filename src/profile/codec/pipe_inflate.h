// Raw inflate on a thread of its own, handing the output on in pieces as it is produced, so a
// packed profile is read while it is still being inflated. Results are StreamInflate's for the
// same input, including where a cut or damaged stream is noticed.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "foundation/thread_base.h"
#include "profile/codec/chunk_pipe.h"
#include "profile/codec/pack.h"

namespace ovut::codec {

class clsInflatePipe : private clsThreadBase {
 public:
  // `input` holds the compressed bytes read; `declared` is how many there should have been
  // (more than input.size() when the read fell short, which fails like a short read).
  clsInflatePipe(ByteBuffer input, uint64_t declared, uint64_t maxOutput);
  ~clsInflatePipe() override;

  // Starts the inflate thread; false (nothing started) when zlib cannot be set up or no thread
  // can be had: the caller then inflates sequentially.
  bool Start() noexcept;
  // The next inflated piece into `piece`; false when no more comes (the stream ended or failed).
  bool Next(std::vector<uint8_t>& piece);
  // Discards what is left, waits for the end and gives StreamInflate's result: kStreamOk,
  // kStreamReadShort, kStreamWriteShort (out of memory), kStreamTooLarge or a zlib code.
  int Finish() noexcept;

 private:
  DWORD ThreadBody() override;
  DWORD ThreadStackSize() const override { return 64 * 1024; }
  bool ThreadPumpMessages() const override { return false; }  // the body never needs messages

  ByteBuffer input_;
  uint64_t declared_;
  uint64_t maxOutput_;
  bool started_ = false;
  bool initialised_ = false;
  z_stream z_{};
  clsChunkPipe pipe_{4};
  int result_ = 1;  // kStreamOk
};

}  // namespace ovut::codec

// Raw deflate on a thread of its own while the caller still produces the input, so writing a
// packed profile costs about the deflate alone. The stream is the same as StreamDeflate of
// all the input with the same preset: deflate's output does not depend on how its input is cut.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "foundation/thread_base.h"
#include "profile/codec/chunk_pipe.h"
#include "profile/codec/pack.h"

namespace ovut::codec {

class clsDeflatePipe : private clsThreadBase {
 public:
  explicit clsDeflatePipe(int preset);
  ~clsDeflatePipe() override;

  // Starts the deflate thread; false (nothing started) when the preset is not valid, zlib
  // cannot be set up or no thread can be had: the caller then deflates sequentially.
  bool Start() noexcept;
  // Hands input on (copied); false when deflating has failed already or memory ran out.
  bool Put(const void* data, size_t bytes) noexcept;
  // Ends the input and waits for the stream: kStreamOk with `out` the whole raw deflate stream,
  // or a negative zlib code with `out` what was produced until then.
  int Finish(ByteBuffer& out) noexcept;

 private:
  DWORD ThreadBody() override;
  DWORD ThreadStackSize() const override { return 64 * 1024; }
  bool ThreadPumpMessages() const override { return false; }  // the body never needs messages
  void Room();                                                 // output space for the next call
  bool Deflate(const uint8_t* data, size_t bytes, int flush);  // false on a zlib failure

  int preset_;
  bool started_ = false;
  bool initialised_ = false;
  z_stream z_{};
  clsChunkPipe pipe_{4};
  std::vector<uint8_t> pending_;  // producer side: input gathered into pieces
  std::vector<uint8_t> piece_;    // consumer side
  ByteBuffer out_;
  size_t produced_ = 0;
  volatile LONG cancelled_ = 0;
  int result_ = 1;  // kStreamOk
};

}  // namespace ovut::codec

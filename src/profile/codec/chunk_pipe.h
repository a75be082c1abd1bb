// A bounded hand-over of byte pieces from one producer thread to one consumer thread, for the
// packed profile pipeline (text writer -> deflate, inflate -> line reader). The bound keeps
// memory flat however large the profile is; spent buffers are handed back for reuse.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <vector>

namespace ovut::codec {

class clsChunkPipe {
 public:
  explicit clsChunkPipe(size_t depth) noexcept : depth_(depth ? depth : 1) {}
  clsChunkPipe(const clsChunkPipe&) = delete;
  clsChunkPipe& operator=(const clsChunkPipe&) = delete;

  // Producer: queues `piece` (left empty, possibly with a recycled buffer's capacity), waiting
  // while `depth` pieces are queued. False once the consumer gave up; the piece is dropped.
  bool Push(std::vector<uint8_t>& piece);
  // Producer: no more pieces follow.
  void Close() noexcept;

  // Consumer: the next piece into `piece` (its old buffer is kept for reuse); false when the
  // pipe is closed and empty.
  bool Pop(std::vector<uint8_t>& piece);
  // Consumer: stops taking pieces; a waiting or later Push returns false.
  void Abandon() noexcept;

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
  std::deque<std::vector<uint8_t>> queue_;
  std::vector<std::vector<uint8_t>> spare_;
  size_t depth_;
  bool closed_ = false;
  bool abandoned_ = false;
};

}  // namespace ovut::codec

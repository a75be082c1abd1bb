#include "profile/codec/chunk_pipe.h"

#include "foundation/critical_section.h"

namespace ovut::codec {

bool clsChunkPipe::Push(std::vector<uint8_t>& piece) {
  ExclusiveSrwLock hold(lock_);
  while (queue_.size() >= depth_ && !abandoned_) SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
  if (abandoned_) {
    piece.clear();
    return false;
  }
  queue_.push_back(std::move(piece));
  piece.clear();
  if (!spare_.empty()) {
    piece.swap(spare_.back());
    spare_.pop_back();
    piece.clear();
  }
  WakeAllConditionVariable(&changed_);
  return true;
}

void clsChunkPipe::Close() noexcept {
  ExclusiveSrwLock hold(lock_);
  closed_ = true;
  WakeAllConditionVariable(&changed_);
}

bool clsChunkPipe::Pop(std::vector<uint8_t>& piece) {
  ExclusiveSrwLock hold(lock_);
  while (queue_.empty() && !closed_) SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
  if (queue_.empty()) return false;
  if (piece.capacity() && spare_.size() < depth_) {
    try {
      spare_.push_back(std::move(piece));
    } catch (...) {
    }
  }
  piece = std::move(queue_.front());
  queue_.pop_front();
  WakeAllConditionVariable(&changed_);
  return true;
}

void clsChunkPipe::Abandon() noexcept {
  ExclusiveSrwLock hold(lock_);
  abandoned_ = true;
  queue_.clear();
  WakeAllConditionVariable(&changed_);
}

}  // namespace ovut::codec

#include "profile/codec/pipe_deflate.h"

#include <cstring>
#include <new>

#include "profile/codec/stream_deflate.h"

namespace ovut::codec {

namespace {
// Output grows by this at least; the input goes on in pieces of kStreamChunk, as StreamDeflate
// reads it.
constexpr size_t kOutStep = 256 * 1024;
}  // namespace

clsDeflatePipe::clsDeflatePipe(int preset) : clsThreadBase("PackDeflate"), preset_(preset) {}

clsDeflatePipe::~clsDeflatePipe() {
  if (started_) {
    InterlockedExchange(&cancelled_, 1);
    pipe_.Close();
    ThreadEnd(false, INFINITE);
  }
  if (initialised_) deflateEnd(&z_);
}

bool clsDeflatePipe::Start() noexcept {
  if (preset_ < 1 || preset_ > 8) return false;
  const DeflatePreset p = DeflatePresetParams(preset_);
  if (deflateInit2(&z_, p.level, Z_DEFLATED, -MAX_WBITS, p.memLevel, p.strategy) != Z_OK) return false;
  initialised_ = true;
  try {
    pending_.reserve(kStreamChunk);
  } catch (...) {
    return false;
  }
  started_ = ThreadStart();
  return started_;
}

bool clsDeflatePipe::Put(const void* data, size_t bytes) noexcept {
  const auto* p = static_cast<const uint8_t*>(data);
  try {
    while (bytes) {
      if (pending_.capacity() < kStreamChunk) pending_.reserve(kStreamChunk);
      const size_t n = bytes < kStreamChunk - pending_.size() ? bytes : kStreamChunk - pending_.size();
      pending_.insert(pending_.end(), p, p + n);
      p += n;
      bytes -= n;
      if (pending_.size() == kStreamChunk && !pipe_.Push(pending_)) return false;
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

int clsDeflatePipe::Finish(ByteBuffer& out) noexcept {
  if (!started_) return Z_STREAM_ERROR;
  bool handed = true;
  try {
    if (!pending_.empty()) handed = pipe_.Push(pending_);
  } catch (const std::bad_alloc&) {
    handed = false;
  }
  if (!handed) InterlockedExchange(&cancelled_, 1);
  pipe_.Close();
  ThreadEnd(false, INFINITE);
  started_ = false;
  if (!handed && result_ == kStreamOk) result_ = Z_MEM_ERROR;
  out_.resize(produced_);
  out.swap(out_);
  return result_;
}

void clsDeflatePipe::Room() {
  if (out_.size() - produced_ < kOutStep) {
    size_t grow = out_.size() / 2;
    out_.resize(out_.size() + (grow > kOutStep ? grow : kOutStep));
  }
  z_.next_out = out_.data() + produced_;
  const size_t room = out_.size() - produced_;
  z_.avail_out = static_cast<uInt>(room < kStreamChunk ? room : kStreamChunk);
}

bool clsDeflatePipe::Deflate(const uint8_t* data, size_t bytes, int flush) {
  z_.next_in = const_cast<Bytef*>(data);
  z_.avail_in = static_cast<uInt>(bytes);
  for (;;) {
    Room();
    const uInt before = z_.avail_out;
    const int rc = deflate(&z_, flush);
    produced_ += before - z_.avail_out;
    if (rc == Z_STREAM_ERROR) {
      result_ = rc;
      return false;
    }
    if (flush == Z_FINISH ? rc == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out != 0)) return true;
  }
}

DWORD clsDeflatePipe::ThreadBody() {
  try {
    while (pipe_.Pop(piece_)) {
      if (cancelled_) break;
      if (!Deflate(piece_.data(), piece_.size(), Z_NO_FLUSH)) break;
    }
    if (result_ == kStreamOk && !cancelled_) Deflate(nullptr, 0, Z_FINISH);
  } catch (const std::bad_alloc&) {
    result_ = Z_MEM_ERROR;
  }
  pipe_.Abandon();  // a producer still handing on input learns that nothing more is taken
  return 0;
}

}  // namespace ovut::codec

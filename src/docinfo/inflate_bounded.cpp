#include "docinfo/inflate_bounded.h"

#include <zlib.h>

#include "docinfo/source_read.h"

namespace docinfo {
namespace {

constexpr size_t kChunk = 64 * 1024;

class Inflater {
 public:
  explicit Inflater(Deflate kind) { ready_ = inflateInit2(&z_, kind == Deflate::kRaw ? -MAX_WBITS : MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ready_) inflateEnd(&z_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Feeds one block; returns false on a data error. Sets `done` when the stream ended or the
  // output limit was reached; `used` receives the input bytes consumed.
  bool Feed(const char* data, size_t count, size_t maxOut, std::string& out, bool& ended, bool& full, size_t& used) {
    z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z_.avail_in = static_cast<uInt>(count);
    char buffer[16384];
    while (true) {
      const size_t room = maxOut - out.size();
      if (room == 0) {
        full = true;
        break;
      }
      z_.next_out = reinterpret_cast<Bytef*>(buffer);
      z_.avail_out = static_cast<uInt>(room < sizeof buffer ? room : sizeof buffer);
      const uInt before = z_.avail_out;
      const int rc = inflate(&z_, Z_NO_FLUSH);
      out.append(buffer, before - z_.avail_out);
      if (rc == Z_STREAM_END) {
        ended = true;
        break;
      }
      if (rc == Z_BUF_ERROR || (rc == Z_OK && z_.avail_in == 0 && z_.avail_out != 0)) break;  // needs input
      if (rc != Z_OK) {
        used = count - z_.avail_in;
        return false;
      }
    }
    used = count - z_.avail_in;
    return true;
  }
  bool Ready() const { return ready_; }

 private:
  z_stream z_{};
  bool ready_ = false;
};

}  // namespace

InflateResult InflateFromSource(const DocSource& source, ULONGLONG offset, ULONGLONG maxIn, size_t maxOut,
                                Deflate kind, std::string& out) {
  InflateResult r;
  out.clear();
  Inflater inf(kind);
  if (!inf.Ready()) return r;
  std::string block;
  bool ended = false, full = false;
  while (r.consumed < maxIn && !ended && !full) {
    const ULONGLONG left = maxIn - r.consumed;
    if (!ReadSourceAt(source, offset + r.consumed, left < kChunk ? static_cast<size_t>(left) : kChunk, block) ||
        block.empty())
      break;
    size_t used = 0;
    const bool good = inf.Feed(block.data(), block.size(), maxOut, out, ended, full, used);
    r.consumed += used;
    if (!good) return r;
  }
  r.ok = true;
  r.ended = ended;
  return r;
}

InflateResult InflateBytes(const char* data, size_t count, size_t maxOut, Deflate kind, std::string& out) {
  InflateResult r;
  out.clear();
  Inflater inf(kind);
  if (!inf.Ready()) return r;
  bool ended = false, full = false;
  size_t used = 0;
  r.ok = inf.Feed(data, count, maxOut, out, ended, full, used);
  r.consumed = used;
  r.ended = ended;
  return r;
}

}  // namespace docinfo

// clsZIPFile::Compress: one source file into a raw deflate stream, with the CRC-32 of what was read.
//
// The output goes into one memory block sized for the worst case when the archive's memory
// allowance has room for it, else into a temporary file. Either way Close copies it into the
// archive once; the memory form saves creating, writing and reading back a file per entry.
#include <zlib.h>

#include <cstring>
#include <new>

#include "profile/codec/stream_deflate.h"
#include "zip/zip_file.h"

using namespace ovut::zip;

namespace {

// zlib's default level 6, memory level 8, default strategy.
constexpr int kEntryPreset = 2;
// Small enough that a piece is still in cache when deflate reads it after the CRC pass.
constexpr uint32_t kInputChunk = 256u << 10;
constexpr uint32_t kOutputChunk = 256u << 10;
// Larger entries always wait in a temporary file.
constexpr uint64_t kMaxMemoryEntry = 16u << 20;
// A memory block keeps an unused tail of at most this many bytes; a longer one is cut off.
constexpr size_t kSlack = 4096;

}  // namespace

void clsZIPFile::Compress(scZIPFileJob& job) noexcept {
  clsFile& source = *job.source.Get();
  clsZIPFileEntry& e = *job.entry;
  std::unique_ptr<uint8_t[]> input(new (std::nothrow) uint8_t[kInputChunk]);
  if (!input) {
    job.rc = Z_MEM_ERROR;
    return;
  }
  const ovut::codec::DeflatePreset p = ovut::codec::DeflatePresetParams(kEntryPreset);
  z_stream z{};
  int rc = deflateInit2(&z, p.level, Z_DEFLATED, -MAX_WBITS, p.memLevel, p.strategy);
  if (rc != Z_OK) {
    job.rc = rc;
    job.initFailed = true;
    return;
  }
  uint64_t remaining = job.sourceBytes;

  // Memory when the worst case fits the allowance.
  std::unique_ptr<char[]> block;
  size_t capacity = 0, used = 0;
  if (remaining <= kMaxMemoryEntry) {
    const size_t bound = deflateBound(&z, static_cast<uLong>(remaining));
    if (TakeMemory(bound)) {
      block.reset(new (std::nothrow) char[bound]);
      if (block) capacity = bound;
      else GiveMemory(bound);
    }
  }
  clsAutoRelease<clsFile> file;
  std::unique_ptr<uint8_t[]> output;
  // Moves what the memory block holds to a temporary file and continues there.
  auto toFile = [&]() -> bool {
    output.reset(new (std::nothrow) uint8_t[kOutputChunk]);
    file.Reset(new (std::nothrow) clsFileRWTemp(L"ZIP"));
    if (!output || !file || !file->IsOpen()) return false;
    if (used && file->Write(block.get(), static_cast<DWORD>(used)) != used) return false;
    block.reset();
    GiveMemory(capacity);
    capacity = used = 0;
    return true;
  };
  if (!block && !toFile()) rc = ovut::codec::kStreamWriteShort;

  uLong crc = 0;
  int result = rc == Z_OK ? ovut::codec::kStreamOk : rc;
  while (result == ovut::codec::kStreamOk) {
    if (z.avail_in == 0 && remaining) {
      if (!ovut::codec::ReadNextPiece(source, input.get(), kInputChunk, remaining, z)) {
        result = ovut::codec::kStreamReadShort;
        break;
      }
      crc = crc32(crc, z.next_in, z.avail_in);
    }
    const int flush = (z.avail_in == 0 && !remaining) ? Z_FINISH : Z_NO_FLUSH;
    if (block) {
      z.next_out = reinterpret_cast<Bytef*>(block.get() + used);
      z.avail_out = static_cast<uInt>(capacity - used);
    } else {
      z.next_out = output.get();
      z.avail_out = kOutputChunk;
    }
    rc = deflate(&z, flush);
    if (rc == Z_STREAM_ERROR) {
      result = rc;
      break;
    }
    if (block) {
      used = capacity - z.avail_out;
      // The bound holds for the byte count read; should it not, the rest goes to a file.
      if (z.avail_out == 0 && rc != Z_STREAM_END && !toFile()) result = ovut::codec::kStreamWriteShort;
    } else {
      const DWORD produced = kOutputChunk - z.avail_out;
      if (produced && file->Write(output.get(), produced) != produced) result = ovut::codec::kStreamWriteShort;
    }
    if (rc == Z_STREAM_END) break;
  }
  deflateEnd(&z);
  job.rc = result;
  if (result < 0) {
    if (block) GiveMemory(capacity);
    return;
  }
  e.header.crc32 = static_cast<uint32_t>(crc);
  if (block) {
    if (capacity - used > kSlack) {
      std::unique_ptr<char[]> exact(new (std::nothrow) char[used ? used : 1]);
      if (exact) {
        std::memcpy(exact.get(), block.get(), used);
        block = std::move(exact);
        GiveMemory(capacity - used);
        capacity = used;
      }
    }
    e.memory = std::move(block);
    e.memoryBytes = used;
    GiveMemory(capacity - used);  // the allowance counts what the entry holds
  } else {
    file->SetEOF();
    file->Seek(static_cast<uint64_t>(0));
    e.data = std::move(file);
  }
}

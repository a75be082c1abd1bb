// clsZIPFile::Close: local entries, central directory, end record.
#include <algorithm>
#include <cstring>

#include "diagnostics/debug_output.h"
#include "zip/zip_file.h"

using namespace ovut::zip;

namespace {

constexpr uint32_t kMarker32 = 0xFFFFFFFF;
constexpr uint16_t kMarker16 = 0xFFFF;
constexpr size_t kWriteChunk = 1u << 20;

void Put(std::string& out, const void* data, size_t bytes) { out.append(static_cast<const char*>(data), bytes); }

// One central directory record (the index entry) appended to `out`.
void AppendIndexEntry(std::string& out, const clsZIPFileEntry& e) {
  const uint64_t limit = Limits().size;
  scCentralHeader c{};
  c.signature = kCentralSignature;
  c.versionNeeded = e.header.versionNeeded;
  c.flags = e.header.flags;
  c.method = e.header.method;
  c.time = e.header.time;
  c.date = e.header.date;
  c.crc32 = e.header.crc32;
  // The local header marks both sizes once either is too large; here each field stands alone.
  c.compressedSize = e.compressedSize >= limit ? kMarker32 : static_cast<uint32_t>(e.compressedSize);
  c.uncompressedSize = e.uncompressedSize >= limit ? kMarker32 : static_cast<uint32_t>(e.uncompressedSize);
  c.nameLength = e.header.nameLength;
  c.commentLength = static_cast<uint16_t>(e.comment.size());
  c.externalAttributes = e.externalAttributes;

  // ZIP64 extra: only the fields that do not fit, in the order of the format.
  uint64_t values[3];
  int n = 0;
  if (e.uncompressedSize >= limit) values[n++] = e.uncompressedSize;
  if (e.compressedSize >= limit) values[n++] = e.compressedSize;
  if (e.localHeaderOffset >= limit) {
    values[n++] = e.localHeaderOffset;
    c.localHeaderOffset = kMarker32;
  } else {
    c.localHeaderOffset = static_cast<uint32_t>(e.localHeaderOffset);
  }
  if (n) c.versionNeeded = kVersionZip64;
  c.versionMadeBy = kHostWindows | (n ? kVersionZip64 : kVersion20);
  c.extraLength = static_cast<uint16_t>(n ? 4 + 8 * n : 0);

  Put(out, &c, sizeof c);
  Put(out, e.name.data(), e.name.size());
  if (n) {
    uint16_t tag[2] = {kZip64ExtraTag, static_cast<uint16_t>(8 * n)};
    Put(out, tag, sizeof tag);
    Put(out, values, 8 * static_cast<size_t>(n));
  }
  Put(out, e.comment.data(), e.comment.size());
}

}  // namespace

bool clsZIPFile::WriteAll(const void* data, size_t bytes) {
  const char* p = static_cast<const char*>(data);
  while (bytes) {
    DWORD n = static_cast<DWORD>(std::min(bytes, kWriteChunk));
    if (archive_.Write(p, n) != n) return false;
    written_ += n;
    p += n;
    bytes -= n;
  }
  return true;
}

bool clsZIPFile::WriteEntries() {
  const String where = archive_.DisplayName();
  std::string head;
  for (clsZIPFileEntry* e = head_; e; e = e->next) {
    e->localHeaderOffset = written_;
    // Header, name and extra field in one write.
    head.assign(reinterpret_cast<const char*>(&e->header), sizeof e->header);
    head.append(e->name).append(e->extra);
    if (!WriteAll(head.data(), head.size())) {
      ovut::debug::Warning(L"ERR: write error file '%s' (1)", where.c_str());
      return false;
    }
    if (e->memory) {
      if (!WriteAll(e->memory.get(), e->memoryBytes)) {
        ovut::debug::Warning(L"ERR: write error file '%s' (2)", where.c_str());
        return false;
      }
      e->memory.reset();  // written: no longer needed
      continue;
    }
    if (!e->data) continue;
    // Copy the compressed data; its size is known, so a short copy is a failure too.
    const uint64_t before = written_;
    e->data->Seek(static_cast<uint64_t>(0));
    bool copied = archive_.CopyFrom(*e->data.Get());
    uint64_t now = archive_.Position();
    if (!copied || now == clsFile::kUnknown || now - before != e->compressedSize) {
      ovut::debug::Warning(L"ERR: write error file '%s' (2)", where.c_str());
      return false;
    }
    written_ = now;
  }
  return true;
}

bool clsZIPFile::WriteDirectory(uint64_t& size) {
  std::string directory;
  for (const clsZIPFileEntry* e = head_; e; e = e->next) AppendIndexEntry(directory, *e);
  size = directory.size();
  if (!WriteAll(directory.data(), directory.size())) {
    ovut::debug::Warning(L"ERR: write error file '%s' (4)", archive_.DisplayName().c_str());
    return false;
  }
  return true;
}

bool clsZIPFile::WriteEnd(uint64_t directoryOffset, uint64_t directorySize) {
  const scZipLimits& limits = Limits();
  const bool zip64 = count_ >= limits.count || directoryOffset >= limits.size || directorySize >= limits.size;
  std::string tail;
  if (zip64) {
    const uint64_t recordOffset = written_;
    scZip64EndRecord r{};
    r.signature = kZip64EndSignature;
    r.recordSize = sizeof r - 12;
    r.versionMadeBy = kHostWindows | kVersionZip64;
    r.versionNeeded = kVersionZip64;
    r.entriesOnDisk = count_;
    r.totalEntries = count_;
    r.directorySize = directorySize;
    r.directoryOffset = directoryOffset;
    Put(tail, &r, sizeof r);
    scZip64Locator l{};
    l.signature = kZip64LocatorSignature;
    l.endRecordOffset = recordOffset;
    l.totalDisks = 1;
    Put(tail, &l, sizeof l);
  }
  // The archive comment in the narrow code page of its String, at most 65535 bytes.
  const char* comment = comment_.IsEmpty() ? "" : comment_.Narrow();
  const size_t commentBytes = std::min<size_t>(std::strlen(comment), kMarker16);

  scEndRecord end{};
  end.signature = kEndSignature;
  const uint16_t count = count_ >= limits.count ? kMarker16 : static_cast<uint16_t>(count_);
  end.entriesOnDisk = count;
  end.totalEntries = count;
  end.directorySize = directorySize >= limits.size ? kMarker32 : static_cast<uint32_t>(directorySize);
  end.directoryOffset = directoryOffset >= limits.size ? kMarker32 : static_cast<uint32_t>(directoryOffset);
  end.commentLength = static_cast<uint16_t>(commentBytes);
  Put(tail, &end, sizeof end);
  Put(tail, comment, commentBytes);
  if (!WriteAll(tail.data(), tail.size())) {
    ovut::debug::Warning(L"ERR: write error file '%s' (5)", archive_.DisplayName().c_str());
    return false;
  }
  return true;
}

int clsZIPFile::Close() {
  if (!WriteEntries()) return kWriteFailed;
  const uint64_t directoryOffset = written_;
  uint64_t directorySize = 0;
  if (!WriteDirectory(directorySize)) return kWriteFailed;
  if (!WriteEnd(directoryOffset, directorySize)) return kWriteFailed;
  archive_.SetEOF();
  return kOk;
}

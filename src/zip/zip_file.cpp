// clsZIPFile: creating the archive and appending entries.
#include "zip/zip_file.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "diagnostics/debug_output.h"

namespace ovut::zip {

scZipLimits& Limits() {
  static scZipLimits limits;
  return limits;
}

namespace {

constexpr size_t kMaxField = 0xFFFF;

// Cuts UTF-8 or single-byte text to `max` bytes without splitting a UTF-8 sequence.
void CutText(std::string& bytes, bool utf8, size_t max) {
  if (bytes.size() <= max) return;
  size_t n = max;
  if (utf8)
    while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80) --n;
  bytes.resize(n);
}

// Local header sizes, with the ZIP64 extra field when either does not fit.
void SetSizes(clsZIPFileEntry& e) {
  const uint64_t limit = Limits().size;
  if (e.compressedSize < limit && e.uncompressedSize < limit) {
    e.header.compressedSize = static_cast<uint32_t>(e.compressedSize);
    e.header.uncompressedSize = static_cast<uint32_t>(e.uncompressedSize);
    return;
  }
  e.header.versionNeeded = kVersionZip64;
  e.header.compressedSize = 0xFFFFFFFF;
  e.header.uncompressedSize = 0xFFFFFFFF;
  uint16_t tag[2] = {kZip64ExtraTag, 16};
  uint64_t sizes[2] = {e.uncompressedSize, e.compressedSize};
  e.extra.assign(reinterpret_cast<const char*>(tag), sizeof tag);
  e.extra.append(reinterpret_cast<const char*>(sizes), sizeof sizes);
  e.header.extraLength = static_cast<uint16_t>(e.extra.size());
}

// Encodes name and comment into the entry; false when the name cannot be stored.
bool SetTexts(clsZIPFileEntry& e, const String& name, const String& comment) {
  scEncodedTexts t = EncodeTexts(name, comment);
  if (t.name.size() > kMaxField) {
    ovut::debug::Warning(L"ERR: ZIP entry name too long: '%s'", name.c_str());
    return false;
  }
  CutText(t.comment, t.utf8, kMaxField);
  if (t.utf8) e.header.flags |= kFlagUTF8;
  e.name = std::move(t.name);
  e.comment = std::move(t.comment);
  e.header.nameLength = static_cast<uint16_t>(e.name.size());
  e.nameText = name;
  e.commentText = comment;
  return true;
}

}  // namespace
}  // namespace ovut::zip

using namespace ovut::zip;

clsZIPFile* clsZIPFile::Create(const String& path, const String& comment) {
  clsZIPFile* zip = new (std::nothrow) clsZIPFile;
  if (!zip) return nullptr;
  if (zip->archive_.Open(path.c_str(), clsFile::kAccessReadWrite, clsFile::kCreateAlways, clsFile::kShareExclusive,
                         clsFile::kOptSequentialScan) != 0) {
    delete zip;
    return nullptr;
  }
  zip->archive_.SetEOF();
  zip->path_ = path;
  zip->comment_ = comment;
  return zip;
}

clsZIPFile::~clsZIPFile() {
  while (head_) {
    clsZIPFileEntry* next = head_->next;
    delete head_;  // releases the temporary file, which removes it
    head_ = next;
  }
  archive_.Close();
}

void clsZIPFile::Link(clsZIPFileEntry* entry) {
  if (tail_) tail_->next = entry;
  else head_ = entry;
  tail_ = entry;
  ++count_;
}

int clsZIPFile::AppendFile(const String& path, const String& name, const String& comment) {
  scZIPFileJob job;
  job.path = path;
  job.name = name;
  job.comment = comment;
  if (!OpenSource(job)) return kSourceNotOpened;
  Compress(job);
  return Finish(job);
}

bool clsZIPFile::TakeMemory(size_t bytes) noexcept {
  const size_t limit = Limits().memory;
  size_t used = memoryUsed_.load();
  do {
    if (bytes > limit || used > limit - bytes) return false;
  } while (!memoryUsed_.compare_exchange_weak(used, used + bytes));
  return true;
}

bool clsZIPFile::OpenSource(scZIPFileJob& job) {
  job.source.Reset(new clsFile(job.path.c_str(), clsFile::kAccessRead, clsFile::kOpenExisting, clsFile::kShareRead,
                               clsFile::kOptSequentialScan));
  if (!job.source->IsOpen()) {
    job.source.Reset(nullptr);
    return false;
  }
  job.entry = std::make_unique<clsZIPFileEntry>();
  scLocalHeader& h = job.entry->header;
  h.signature = kLocalSignature;
  h.versionNeeded = kVersion20;
  h.method = kMethodDeflate;
  const uint64_t size = job.source->Size(), start = job.source->Position();
  job.sourceBytes = size >= start && size != clsFile::kUnknown ? size - start : 0;
  return true;
}

int clsZIPFile::Finish(scZIPFileJob& job) {
  clsFile& source = *job.source.Get();
  std::unique_ptr<clsZIPFileEntry> entry = std::move(job.entry);
  if (job.rc < 0) {
    if (job.initFailed) ovut::debug::Warning(L"ERR: ZLIB init error '%d'", job.rc);
    ovut::debug::Warning(L"ERR while compressing file '%s': %d", source.DisplayName().c_str(), job.rc);
    return kCompressFailed;
  }
  scLocalHeader& h = entry->header;

  // The basic information holds all an entry needs; the full by-handle query also asks the
  // volume for its serial number, which can cost milliseconds per file.
  FILE_BASIC_INFO info;
  if (source.Handle() && GetFileInformationByHandleEx(source.Handle(), FileBasicInfo, &info, sizeof info)) {
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(info.LastWriteTime.QuadPart);
    written.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(info.LastWriteTime.QuadPart) >> 32);
    DosDateTime(written, h.date, h.time);
    entry->externalAttributes = info.FileAttributes;
  } else {
    CurrentDosDateTime(h.date, h.time);
    DWORD attributes = GetFileAttributesW(job.path.c_str());
    entry->externalAttributes = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
  }

  entry->compressedSize = entry->data ? entry->data->Size() : entry->memoryBytes;
  entry->uncompressedSize = job.sourceBytes;
  SetSizes(*entry);
  if (!SetTexts(*entry, namer_.Name(job.path, job.name), job.comment)) {
    GiveMemory(entry->memoryBytes);
    return kCompressFailed;
  }
  Link(entry.release());
  return kOk;
}

void clsZIPFile::AppendDirectory(const String& path, const String& name, const WIN32_FIND_DATAW& found) {
  auto entry = std::make_unique<clsZIPFileEntry>();
  scLocalHeader& h = entry->header;
  h.signature = kLocalSignature;
  h.versionNeeded = kVersion20;
  h.method = kMethodStored;
  DosDateTime(found.ftLastWriteTime, h.date, h.time);
  entry->externalAttributes = found.dwFileAttributes;
  String entryName = namer_.Name(path, name);
  entryName.Append(L'/');
  if (!SetTexts(*entry, entryName, String())) return;
  Link(entry.release());
}

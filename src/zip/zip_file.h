// clsZIPFile: a ZIP archive built by deferred assembly. Every appended file is deflated at
// once, into memory while the archive's allowance lasts (Limits().memory), else into a
// temporary file of its own; the archive file stays empty until Close writes all local entries
// in the order of appending, then the central directory and the end record. Sizes and CRCs are
// known before any header is written, so no data descriptors are needed.
// A handle is used by one thread at a time; AppendList may compress on worker threads of its own.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/com_ptr.h"
#include "foundation/file.h"
#include "foundation/string.h"
#include "zip/zip_format.h"
#include "zip/zip_text.h"

// One member of the archive, owned by the entry list.
class clsZIPFileEntry {
 public:
  ovut::zip::scLocalHeader header{};  // numeric fields filled in; sizes may be ZIP64 markers
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  std::string name;                   // encoded name bytes
  std::string extra;                  // local extra field: ZIP64 sizes when they do not fit
  std::string comment;                // encoded with the entry's flag
  // Compressed data: in memory, or in a temporary file; neither for a directory entry.
  std::unique_ptr<char[]> memory;
  size_t memoryBytes = 0;
  clsAutoRelease<clsFile> data;
  String nameText;                    // the name in the archive, with slashes
  String commentText;
  uint32_t externalAttributes = 0;
  uint64_t localHeaderOffset = 0;     // set when the entry is written
  clsZIPFileEntry* next = nullptr;
};

// One file on its way into the archive: opened, then compressed (on any thread), then finished
// and linked on the thread that owns the archive.
struct scZIPFileJob {
  String path;
  String name;
  String comment;
  clsAutoRelease<clsFile> source;  // null: the file could not be opened
  std::unique_ptr<clsZIPFileEntry> entry;
  uint64_t sourceBytes = 0;  // from the source position to its end, when it was opened
  int rc = 0;                // of the compression: kStreamOk or a negative stream/zlib code
  bool initFailed = false;   // rc came from zlib's init
  std::atomic<bool> done{false};
};

class clsZIPFile {
 public:
  // Results of AppendFile and Close.
  static constexpr int kOk = 0;
  static constexpr int kSourceNotOpened = -1;
  static constexpr int kCompressFailed = -2;
  static constexpr int kWriteFailed = -3;

  // Opens (creates anew, exclusively) the archive file; null when it cannot be opened.
  static clsZIPFile* Create(const String& path, const String& comment);
  ~clsZIPFile();
  clsZIPFile(const clsZIPFile&) = delete;
  clsZIPFile& operator=(const clsZIPFile&) = delete;

  int AppendFile(const String& path, const String& name, const String& comment);
  // The three steps of AppendFile. Open runs on the owner's thread; Compress on any thread
  // (it touches only the job and the memory allowance); Finish on the owner's thread, in the
  // order of appending, and returns what AppendFile returns.
  bool OpenSource(scZIPFileJob& job);
  void Compress(scZIPFileJob& job) noexcept;
  int Finish(scZIPFileJob& job);
  // A stored entry "<name>/" for a directory found by a directory search.
  void AppendDirectory(const String& path, const String& name, const WIN32_FIND_DATAW& found);
  // The files of `directory` matching `pattern` ("*.*" when empty); with `recursive` also every
  // sub-directory (as a directory entry followed by all of its files, whatever the pattern).
  // With more than one compression worker (ovut::env::CompressionWorkers) the files are
  // compressed on that many threads at once; entries, results and messages stay those of the
  // sequential walk.
  void AppendList(const String& directory, const String& pattern, bool recursive);
  // Writes the archive. kOk or kWriteFailed; the object is still to be destroyed afterwards.
  int Close();

  uint32_t EntryCount() const { return count_; }
  const clsZIPFileEntry* FirstEntry() const { return head_; }

 private:
  clsZIPFile() = default;
  void Link(clsZIPFileEntry* entry);
  bool WriteAll(const void* data, size_t bytes);
  // Takes `bytes` of the memory allowance; false when they do not fit.
  bool TakeMemory(size_t bytes) noexcept;
  void GiveMemory(size_t bytes) noexcept { memoryUsed_.fetch_sub(bytes); }
  bool WriteEntries();
  bool WriteDirectory(uint64_t& size);
  bool WriteEnd(uint64_t directoryOffset, uint64_t directorySize);

  clsZIPFileEntry* head_ = nullptr;
  clsZIPFileEntry* tail_ = nullptr;
  uint32_t count_ = 0;
  clsFileRW archive_;
  String path_;
  String comment_;
  uint64_t written_ = 0;  // archive position: the file is written front to back
  std::atomic<size_t> memoryUsed_{0};  // compressed bytes (and reservations) held in memory
  ovut::zip::clsZIPEntryNamer namer_;
};

namespace ovut::zip {
// Tests only: called with each directory of a list walk once its sub-directories are listed,
// before they are visited.
using WalkObserver = void (*)(const String& directory);
void SetWalkObserver(WalkObserver observer);
}  // namespace ovut::zip

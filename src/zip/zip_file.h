// clsZIPFile: a ZIP archive built by deferred assembly. Every appended file is deflated at
// once into a temporary file of its own; the archive file stays empty until Close writes all
// local entries in the order of appending, then the central directory and the end record.
// Sizes and CRCs are known before any header is written, so no data descriptors are needed.
// A handle is used by one thread at a time.
#pragma once
#include <windows.h>

#include <cstdint>
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
  clsAutoRelease<clsFile> data;       // compressed data; none for a directory entry
  String nameText;                    // the name in the archive, with slashes
  String commentText;
  uint32_t externalAttributes = 0;
  uint64_t localHeaderOffset = 0;     // set when the entry is written
  clsZIPFileEntry* next = nullptr;
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
  // A stored entry "<name>/" for a directory found by a directory search.
  void AppendDirectory(const String& path, const String& name, const WIN32_FIND_DATAW& found);
  // The files of `directory` matching `pattern` ("*.*" when empty); with `recursive` also every
  // sub-directory (as a directory entry followed by all of its files, whatever the pattern).
  void AppendList(const String& directory, const String& pattern, bool recursive);
  // Writes the archive. kOk or kWriteFailed; the object is still to be destroyed afterwards.
  int Close();

  uint32_t EntryCount() const { return count_; }
  const clsZIPFileEntry* FirstEntry() const { return head_; }

 private:
  clsZIPFile() = default;
  void Link(clsZIPFileEntry* entry);
  bool WriteAll(const void* data, size_t bytes);
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
  ovut::zip::clsZIPEntryNamer namer_;
};

namespace ovut::zip {
// Tests only: called with each directory of a list walk once its sub-directories are listed,
// before they are visited.
using WalkObserver = void (*)(const String& directory);
void SetWalkObserver(WalkObserver observer);
}  // namespace ovut::zip

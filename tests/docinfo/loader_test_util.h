// Shared pieces of the loader tests: documents with known time stamps and the loader's counters.
#pragma once
#include <windows.h>

#include <string>

#include "docinfo/doc_loader.h"
#include "support/test_support.h"

namespace loadertest {

// A local time as the loader reports it.
inline SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour = 12) {
  SYSTEMTIME t{};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wHour = hour;
  return t;
}

// Writes `bytes` to `path` and gives it `written` (local time) as its last-write time.
inline bool WriteDocument(const std::wstring& path, const std::string& bytes, const SYSTEMTIME& written) {
  if (!testsupport::WriteFileBytes(path, bytes)) return false;
  FILETIME local, utc;
  if (!SystemTimeToFileTime(&written, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(h, nullptr, nullptr, &utc) != 0;
  CloseHandle(h);
  return ok;
}

inline bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour;
}

// Loader counters at construction; Opens()/Reads() give the counts since.
class Counts {
 public:
  Counts() : opens_(docinfo::OpenCountForTesting()), reads_(docinfo::ReaderRunCountForTesting()) {}
  LONG Opens() const { return docinfo::OpenCountForTesting() - opens_; }
  LONG Reads() const { return docinfo::ReaderRunCountForTesting() - reads_; }

 private:
  LONG opens_, reads_;
};

}  // namespace loadertest

// Shared set-up of the binary-format reader tests: a document opened as the loader opens it,
// little-endian byte building, the checked-in sample files.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "docinfo/doc_fields.h"
#include "support/test_support.h"

namespace binarytest {

// A file opened for reading with read sharing, as the loader hands it to a reader.
class OpenDoc {
 public:
  explicit OpenDoc(const std::wstring& path) : path_(path) {
    file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    if (file_ != INVALID_HANDLE_VALUE) GetFileSizeEx(file_, &size);
    source_ = {path_.c_str(), file_, static_cast<ULONGLONG>(size.QuadPart)};
  }
  ~OpenDoc() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  OpenDoc(const OpenDoc&) = delete;
  OpenDoc& operator=(const OpenDoc&) = delete;
  bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
  const docinfo::DocSource& Source() const { return source_; }

 private:
  std::wstring path_;
  HANDLE file_;
  docinfo::DocSource source_{};
};

using Reader = int (*)(const docinfo::DocSource&, docinfo::DocFields&) noexcept;

// Writes the bytes to the file and runs the reader on it.
inline int ReadBytes(Reader reader, const std::wstring& path, const std::string& bytes, docinfo::DocFields& fields) {
  if (!testsupport::WriteFileBytes(path, bytes)) return -1000;
  OpenDoc doc(path);
  return doc.IsOpen() ? reader(doc.Source(), fields) : -1001;
}

inline void Put16(std::string& s, size_t at, uint16_t v) {
  if (s.size() < at + 2) s.resize(at + 2);
  const char bytes[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
  s.replace(at, 2, bytes, 2);
}
inline void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, static_cast<uint16_t>(v));
  Put16(s, at + 2, static_cast<uint16_t>(v >> 16));
}

// A checked-in sample file (tests/docinfo/fixtures).
inline std::wstring Fixture(const char* name) {
  std::string dir = OVUT_DOCINFO_FIXTURES;
  std::wstring path = dir.size() && dir[0] == '/' ? L"Z:" : L"";  // a host path seen through Wine's root drive
  for (char c : dir) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  path += L'\\';
  for (const char* p = name; *p; ++p) path += static_cast<wchar_t>(*p);
  return path;
}

}  // namespace binarytest

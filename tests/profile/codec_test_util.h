// In-memory file objects for the codec tests.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <string>

#include "foundation/file.h"

namespace codectest {

inline clsAutoRelease<clsFile> MemFile() {
  IStream* s = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &s))) return {};
  return clsAutoRelease<clsFile>(new clsFileRWTempStream(s));
}

inline clsAutoRelease<clsFile> MemFile(const std::string& bytes) {
  auto f = MemFile();
  if (!bytes.empty()) f->Write(bytes.data(), static_cast<DWORD>(bytes.size()));
  f->Seek(uint64_t(0));
  return f;
}

// The whole content; the position is left at the end.
inline std::string Content(clsFile& f) {
  std::string out;
  uint64_t n = f.Size();
  if (n == clsFile::kUnknown) return out;
  out.resize(static_cast<size_t>(n));
  f.Seek(uint64_t(0));
  if (n) out.resize(f.Read(&out[0], static_cast<DWORD>(n)));
  return out;
}

inline std::string Pattern(size_t n, unsigned seed = 1) {
  std::string s(n, '\0');
  unsigned x = seed;
  for (auto& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 16);
  }
  return s;
}

}  // namespace codectest

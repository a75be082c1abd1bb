// Small fixtures shared by the file-object tests.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <string>

#include "foundation/com_ptr.h"
#include "foundation/file.h"

namespace filetest {

// Bytes that differ from position to position, so a shifted copy shows.
inline std::string Pattern(size_t n, unsigned seed = 1) {
  std::string s(n, '\0');
  unsigned v = seed;
  for (size_t i = 0; i < n; ++i) {
    v = v * 1103515245u + 12345u;
    s[i] = static_cast<char>(v >> 16);
  }
  return s;
}

inline clsAutoRelease<IStream> MemoryStream(const std::string& bytes = std::string()) {
  clsAutoRelease<IStream> s;
  CreateStreamOnHGlobal(nullptr, TRUE, s.Put());
  if (s && !bytes.empty()) {
    ULONG put = 0;
    s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &put);
    LARGE_INTEGER zero = {};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
  }
  return s;
}

inline std::string StreamBytes(IStream* s) {
  std::string out;
  STATSTG st = {};
  if (FAILED(s->Stat(&st, STATFLAG_NONAME))) return out;
  out.resize(static_cast<size_t>(st.cbSize.QuadPart));
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER old = {};
  s->Seek(zero, STREAM_SEEK_CUR, &old);
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  ULONG got = 0;
  if (!out.empty()) s->Read(&out[0], static_cast<ULONG>(out.size()), &got);
  out.resize(got);
  LARGE_INTEGER back;
  back.QuadPart = static_cast<LONGLONG>(old.QuadPart);
  s->Seek(back, STREAM_SEEK_SET, nullptr);
  return out;
}

// Another handle on a file, as a second user (another process would behave the same).
inline HANDLE OtherHandle(const std::wstring& path, DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE) {
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace filetest

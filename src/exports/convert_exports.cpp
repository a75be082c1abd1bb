// Packed conversions: binary data to one line of text and back, never enciphered.
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <new>

#include "diagnostics/debug_output.h"
#include "foundation/file.h"
#include "ovut19/convert.h"
#include "profile/codec/packed_text.h"

namespace {

// The library's buffer rule: size needed for a null buffer or capacity 0, else copy what fits
// and -44 when it was cut.
int ToCallerBuffer(const String& text, LPWSTR buffer, int capacity) {
  const uint32_t n = text.Length();
  if (!buffer || capacity <= 0) return static_cast<int>(n + 1);
  uint32_t copy = n < uint32_t(capacity) - 1 ? n : uint32_t(capacity) - 1;
  memcpy(buffer, text.c_str(), copy * sizeof(wchar_t));
  buffer[copy] = 0;
  return copy < n ? -44 : 0;
}

// A file object over a new in-memory stream; null when none can be had.
clsAutoRelease<clsFile> NewMemoryFile() {
  IStream* s = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &s)) || !s) return {};
  return clsAutoRelease<clsFile>(new (std::nothrow) clsFileRWTempStream(s));
}

int StreamToCallerBuffer(IStream* stream, LPWSTR buffer, int capacity, BOOL compress) {
  clsAutoRelease<clsFile> file(new (std::nothrow) clsFileRO(stream));
  if (!file) return -2;
  return ToCallerBuffer(ovut::codec::StreamToText(*file.Get(), compress != 0, String()), buffer, capacity);
}

// Decodes `text` into a new in-memory file object.
clsAutoRelease<clsFile> DecodeToMemory(LPCWSTR text) {
  clsAutoRelease<clsFile> file = NewMemoryFile();
  if (file) ovut::codec::TextToStream(*file.Get(), String(text), String());
  return file;
}

}  // namespace

extern "C" {

int WINAPI UtilConvertBLOBToString(const void* data, DWORD size, LPWSTR buffer, int capacity, BOOL compress) {
  try {
    if (size == 0) return ToCallerBuffer(String(), buffer, capacity);
    if (!data) return -2;
    clsAutoRelease<clsFile> file = NewMemoryFile();
    if (!file) return -2;
    if (file->Write(data, size) != size) return -2;
    return ToCallerBuffer(ovut::codec::StreamToText(*file.Get(), compress != 0, String()), buffer, capacity);
  } catch (...) {
    return -2;
  }
}

int WINAPI UtilConvertStringToBLOB(LPCWSTR text, void* buffer, DWORD capacity) {
  if (!text) return -2;
  try {
    clsAutoRelease<clsFile> file = DecodeToMemory(text);
    if (!file) return -2;
    uint64_t size = file->Size();
    if (size == clsFile::kUnknown || size > 0x7FFFFFFF) return -1;
    if (!buffer) return static_cast<int>(size);
    if (size > capacity) return -1;
    file->Seek(uint64_t(0));
    if (size && file->Read(buffer, static_cast<DWORD>(size)) != size) return -1;
    return static_cast<int>(size);
  } catch (...) {
    return -2;
  }
}

int WINAPI UtilConvertStreamToString(IStream* stream, LPWSTR buffer, int capacity, BOOL compress) {
  if (!stream) return -2;
  try {
    return StreamToCallerBuffer(stream, buffer, capacity, compress);
  } catch (...) {
    return -2;
  }
}

int WINAPI UtilConvertStringToStream(LPCWSTR text, IStream* stream) {
  if (!stream) return -2;
  try {
    clsAutoRelease<clsFile> file(new (std::nothrow) clsFileRW(stream));
    if (!file) return -2;
    ovut::codec::TextToStream(*file.Get(), String(text ? text : L""), String());
    return 0;
  } catch (...) {
    return -2;
  }
}

int WINAPI UtilConvertHGLOBALToString(HGLOBAL memory, LPWSTR buffer, int capacity, BOOL compress) {
  if (!memory) return -2;
  try {
    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, FALSE, &raw)) || !raw) return -2;
    clsAutoRelease<IStream> stream(raw);
    // The stream's size is the block's allocated size.
    return StreamToCallerBuffer(stream.Get(), buffer, capacity, compress);
  } catch (...) {
    return -2;
  }
}

int WINAPI UtilConvertStringToHGLOBAL(LPCWSTR text, HGLOBAL* memory) {
  if (!memory) return -2;
  try {
    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, FALSE, &raw)) || !raw) return -2;
    clsAutoRelease<IStream> stream(raw);
    {
      clsAutoRelease<clsFile> file(new (std::nothrow) clsFileRW(stream.Get()));
      if (!file) return -2;
      ovut::codec::TextToStream(*file.Get(), String(text ? text : L""), String());
    }
    HGLOBAL block = nullptr;
    if (FAILED(GetHGlobalFromStream(stream.Get(), &block)) || !block) {
      ovut::debug::Warning(L"GetHGlobalFromStream() failed");
      return 0;
    }
    if (*memory) GlobalFree(*memory);
    *memory = block;
    return 0;
  } catch (...) {
    return -2;
  }
}

}  // extern "C"

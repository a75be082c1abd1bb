// Packed conversions: binary data to one line of text and back, never enciphered.
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <new>

#include "diagnostics/debug_output.h"
#include "exports/export_guard.h"
#include "foundation/file.h"
#include "foundation/memory_file.h"
#include "foundation/scoped_handle.h"
#include "ovut19/convert.h"
#include "profile/codec/packed_text.h"

using ovut::exports::Guarded;

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

int StreamToCallerBuffer(IStream* stream, LPWSTR buffer, int capacity, BOOL compress) {
  clsAutoRelease<clsFile> file(new (std::nothrow) clsFileRO(stream));
  if (!file) return -2;
  return ToCallerBuffer(ovut::codec::StreamToText(*file.Get(), compress != 0, String()), buffer, capacity);
}

// Decodes `text` into a new in-memory file object.
clsAutoRelease<clsFile> DecodeToMemory(LPCWSTR text) {
  clsAutoRelease<clsFile> file = ovut::NewMemoryFile();
  if (file) ovut::codec::TextToStream(*file.Get(), String(text), String());
  return file;
}

}  // namespace

extern "C" {

int WINAPI UtilConvertBLOBToString(const void* data, DWORD size, LPWSTR buffer, int capacity, BOOL compress) {
  return Guarded<int>(-2, [&] {
    if (size == 0) return ToCallerBuffer(String(), buffer, capacity);
    if (!data) return -2;
    clsAutoRelease<clsFile> file = ovut::NewMemoryFile();
    if (!file) return -2;
    if (file->Write(data, size) != size) return -2;
    return ToCallerBuffer(ovut::codec::StreamToText(*file.Get(), compress != 0, String()), buffer, capacity);
  });
}

int WINAPI UtilConvertStringToBLOB(LPCWSTR text, void* buffer, DWORD capacity) {
  if (!text) return -2;
  return Guarded<int>(-2, [&] {
    clsAutoRelease<clsFile> file = DecodeToMemory(text);
    if (!file) return -2;
    uint64_t size = file->Size();
    if (size == clsFile::kUnknown || size > 0x7FFFFFFF) return -1;
    if (!buffer) return static_cast<int>(size);
    if (size > capacity) return -1;
    file->Seek(uint64_t(0));
    if (size && file->Read(buffer, static_cast<DWORD>(size)) != size) return -1;
    return static_cast<int>(size);
  });
}

int WINAPI UtilConvertStreamToString(IStream* stream, LPWSTR buffer, int capacity, BOOL compress) {
  if (!stream) return -2;
  return Guarded<int>(-2, [&] { return StreamToCallerBuffer(stream, buffer, capacity, compress); });
}

int WINAPI UtilConvertStringToStream(LPCWSTR text, IStream* stream) {
  if (!stream) return -2;
  return Guarded<int>(-2, [&] {
    clsAutoRelease<clsFile> file(new (std::nothrow) clsFileRW(stream));
    if (!file) return -2;
    ovut::codec::TextToStream(*file.Get(), String(text ? text : L""), String());
    return 0;
  });
}

int WINAPI UtilConvertHGLOBALToString(HGLOBAL memory, LPWSTR buffer, int capacity, BOOL compress) {
  if (!memory) return -2;
  return Guarded<int>(-2, [&] {
    clsAutoRelease<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(memory, FALSE, stream.Put())) || !stream) return -2;
    // The stream's size is the block's allocated size.
    return StreamToCallerBuffer(stream.Get(), buffer, capacity, compress);
  });
}

// The block is the caller's only once everything worked; every earlier way out frees it.
int WINAPI UtilConvertStringToHGLOBAL(LPCWSTR text, HGLOBAL* memory) {
  if (!memory) return -2;
  return Guarded<int>(-2, [&] {
    ovut::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, 0));
    if (!block) return -2;
    clsAutoRelease<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(block.get(), FALSE, stream.Put())) || !stream) return -2;
    {
      clsAutoRelease<clsFile> file(new (std::nothrow) clsFileRW(stream.Get()));
      if (!file) return -2;
      ovut::codec::TextToStream(*file.Get(), String(text ? text : L""), String());
    }
    HGLOBAL written = nullptr;
    if (FAILED(GetHGlobalFromStream(stream.Get(), &written)) || !written) {
      ovut::debug::Warning(L"GetHGlobalFromStream() failed");
      return 0;
    }
    stream.Reset();
    if (written != block.get()) {  // growing gave the block a new handle; the old one is gone
      block.release();
      block.reset(written);
    }
    if (*memory) GlobalFree(*memory);
    *memory = block.release();
    return 0;
  });
}

}  // extern "C"

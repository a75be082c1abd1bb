// The module images mapped into the process, found by walking the address space, so that
// images mapped without the loader (or hidden from it) show up too.
#include <windows.h>

#include "diagnostics/debug_output.h"
#include "environment/late_system_info.h"

namespace ovut::debug {
namespace {

// The image's file name into `path` (MAX_PATH units); "?" when it has none.
void ImageName(void* base, wchar_t* path) noexcept {
  DWORD n = GetModuleFileNameW(static_cast<HMODULE>(base), path, MAX_PATH);
  if (!n)
    if (auto mapped = env::p_GetMappedFileNameW.Get()) n = mapped(GetCurrentProcess(), base, path, MAX_PATH);
  if (!n) {
    path[0] = L'?';
    n = 1;
  }
  path[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
}

}  // namespace

void ListModules() noexcept {
  if (!IsActive()) return;
  LibraryText(L"Memory image addresses of modules:");
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  auto* address = static_cast<BYTE*>(si.lpMinimumApplicationAddress);
  auto* const end = static_cast<BYTE*>(si.lpMaximumApplicationAddress);
  void* imageBase = nullptr;
  BYTE* imageLast = nullptr;
  auto flush = [&] {
    if (!imageBase) return;
    // Pointer-sized digits: 8 on 32-bit systems, as many as needed on 64-bit ones.
    wchar_t path[MAX_PATH];
    ImageName(imageBase, path);
    Write(nullptr, 0, L"0x%08Ix-0x%08Ix: %s", reinterpret_cast<ULONG_PTR>(imageBase),
          reinterpret_cast<ULONG_PTR>(imageLast), path);
    imageBase = nullptr;
  };
  MEMORY_BASIC_INFORMATION mbi;
  while (address < end && VirtualQuery(address, &mbi, sizeof mbi) == sizeof mbi) {
    BYTE* next = static_cast<BYTE*>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= address) break;
    if (mbi.Type == MEM_IMAGE) {
      if (mbi.AllocationBase != imageBase) {
        flush();
        imageBase = mbi.AllocationBase;
      }
      imageLast = next - 1;
    } else {
      flush();
    }
    address = next;
  }
  flush();
}

}  // namespace ovut::debug

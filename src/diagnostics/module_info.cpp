#include "diagnostics/module_info.h"

#include <winternl.h>

#include <cwchar>
#include <memory>

namespace ovut::debug {
namespace {

String ModulePathUpper(HMODULE module) {
  wchar_t path[MAX_PATH + 1] = L"";
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  path[n < MAX_PATH ? n : MAX_PATH] = 0;
  CharUpperW(path);
  return String(path);
}

const wchar_t* FileNamePart(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p)
    if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
  return name;
}

// One string of the first translation in a copied version resource, or null.
const wchar_t* VersionString(void* block, const wchar_t* translation, const wchar_t* key) {
  wchar_t query[96];
  swprintf(query, 96, L"\\StringFileInfo\\%ls\\%ls", translation, key);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block, query, &value, &length) || !value || !length) return nullptr;
  return static_cast<const wchar_t*>(value);
}

}  // namespace

ChannelIdentity ChannelIdentity::Of(HMODULE library) {
  ChannelIdentity id;
  id.processPath = ModulePathUpper(nullptr);
  id.libraryPath = ModulePathUpper(library);
  id.libraryFileName = FileNamePart(id.libraryPath);
  id.libraryName = id.libraryFileName;
  int dot = -1;
  for (uint32_t i = 0; i < id.libraryName.Length(); ++i)
    if (id.libraryName.At(i) == L'.') dot = static_cast<int>(i);
  if (dot >= 0) id.libraryName = id.libraryName.Left(static_cast<uint32_t>(dot));
  id.announces = _wcsnicmp(FileNamePart(id.processPath), L"resinject", 9) != 0;
  return id;
}

HANDLE LoaderLockOwner() noexcept {
  // PEB::LoaderLock; the offset is fixed per architecture.
#ifdef _WIN64
  constexpr size_t kLoaderLockOffset = 0x110;
#else
  constexpr size_t kLoaderLockOffset = 0xA0;
#endif
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // the segment read in NtCurrentTeb looks like [0]
  const BYTE* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
  if (!peb) return nullptr;
  const RTL_CRITICAL_SECTION* lock = *reinterpret_cast<RTL_CRITICAL_SECTION* const*>(peb + kLoaderLockOffset);
  return lock ? lock->OwningThread : nullptr;
}

bool LoaderLockHeld() {
  return LoaderLockOwner() == reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
}

String ModuleInfoText(HMODULE module, const String& fileName) {
  if (LoaderLockHeld()) return String(L"<module info cannot be queried right now>");
  String text(fileName);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  DWORD size = found ? SizeofResource(module, found) : 0;
  if (!data || size < 8) return text += L" <no version info>";

  // VerQueryValue works on a writable copy with room behind it, as GetFileVersionInfo gives.
  std::unique_ptr<BYTE[]> copy(new BYTE[size * 2]());
  memcpy(copy.get(), data, size);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(copy.get(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
    return text += L" <no version info>";
  const WORD* pair = static_cast<const WORD*>(value);
  wchar_t translation[16];
  swprintf(translation, 16, L"%04x%04x", pair[0], pair[1]);
  const wchar_t* version = VersionString(copy.get(), translation, L"FileVersion");
  const wchar_t* build = VersionString(copy.get(), translation, L"Build");
  text += L" ";
  text += version ? version : L"";
  text += L" ";
  text += build ? build : L"";
  return text;
}

}  // namespace ovut::debug

#include "environment/process_identity.h"

namespace ovut::env {
namespace {

ProcessIdentity g_identity;

ModuleNames NamesOf(HMODULE module) noexcept {
  wchar_t path[MAX_PATH + 1] = L"";
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  path[n < MAX_PATH ? n : MAX_PATH] = 0;
  CharUpperW(path);
  return SplitModulePath(String(path));
}

}  // namespace

ModuleNames SplitModulePath(const String& upperPath) noexcept {
  ModuleNames names;
  try {
    names.path = upperPath;
    uint32_t nameStart = 0;
    for (uint32_t i = 0; i < upperPath.Length(); ++i) {
      wchar_t c = upperPath.At(i);
      if (c == L'\\' || c == L'/' || c == L':') nameStart = i + 1;
    }
    names.directory = upperPath.Left(nameStart);
    names.fileName = upperPath.Mid(nameStart);
    int dot = -1;
    for (uint32_t i = 0; i < names.fileName.Length(); ++i)
      if (names.fileName.At(i) == L'.') dot = static_cast<int>(i);
    names.baseName = dot >= 0 ? names.fileName.Left(static_cast<uint32_t>(dot)) : names.fileName;
    if (names.baseName.Length() > 256) names.baseName = names.baseName.Left(256);
  } catch (...) {
  }
  return names;
}

void RecordProcessIdentity(HMODULE library) noexcept {
  g_identity.process = NamesOf(nullptr);
  g_identity.library = NamesOf(library);
}

const ProcessIdentity& Identity() noexcept { return g_identity; }

}  // namespace ovut::env

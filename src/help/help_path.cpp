#include "help/help_path.h"

#include <oleauto.h>

#include "foundation/critical_section.h"
#include "foundation/scoped_handle.h"

namespace ovut::help {
namespace {
using XlatPathFn = void(WINAPI*)(BSTR*);
CriticalSection g_xlatLock;
}  // namespace

const wchar_t* ControlLibraryName() noexcept {
  // The family's two-letter prefix, "ct" and the version.
  static const String name = String::Formatted(L"%sct%d.dll", L"ov", 19);
  return name.c_str();
}

void TranslatePath(String& path) noexcept {
  AutoLock lock(g_xlatLock);
  // Looked up on every call and held for the span of it: the library may come and go.
  UniqueModule library;
  if (!GetModuleHandleExW(0, ControlLibraryName(), library.put())) return;
  auto translate = reinterpret_cast<XlatPathFn>(GetProcAddress(library.get(), "CtlXlatPath"));
  if (!translate) return;
  BSTR text = SysAllocStringLen(path.c_str(), path.Length());
  if (!text) return;
  translate(&text);
  if (text) path = String(text, 0, static_cast<int>(SysStringLen(text)));
  SysFreeString(text);
}

}  // namespace ovut::help

// UNC and local path mapping entry points.
#include "exports/export_guard.h"
#include "foundation/bstr_store.h"
#include "ovut19/paths.h"
#include "security/unc_paths.h"

using ovut::exports::Guarded;
namespace sec = ovut::security;

namespace {

using Conversion = int (*)(const wchar_t*, String&);

int ToBSTR(Conversion convert, LPCWSTR path, BSTR* result) {
  String text;
  if (convert(path, text) != 0) return -1;
  return ovut::StoreBSTR(result, text) ? 0 : -1;
}

int ToAnsi(Conversion convert, LPCSTR path, LPSTR buffer, int bufferSize) {
  clsCharsetConversionString wide(path);
  String text;
  if (convert(wide.Wide(), text) != 0) return -1;
  return sec::CopyForWise(text, buffer, bufferSize);
}

}  // namespace

extern "C" {

int WINAPI UtilEnsureUNCPath(LPCWSTR path, BSTR* result) {
  if (!path || !result) return -1;
  return Guarded(-1, [&] { return ToBSTR(sec::EnsureUNCPath, path, result); });
}

int WINAPI UtilEnsureLocalPath(LPCWSTR path, BSTR* result) {
  if (!path || !result) return -1;
  return Guarded(-1, [&] { return ToBSTR(sec::EnsureLocalPath, path, result); });
}

int WINAPI UtilEnsureUNCPathForWise(LPCSTR path, LPSTR buffer, int bufferSize) {
  if (!path) return -1;
  return Guarded(-1, [&] { return ToAnsi(sec::EnsureUNCPath, path, buffer, bufferSize); });
}

int WINAPI UtilEnsureLocalPathForWise(LPCSTR path, LPSTR buffer, int bufferSize) {
  if (!path) return -1;
  return Guarded(-1, [&] { return ToAnsi(sec::EnsureLocalPath, path, buffer, bufferSize); });
}

}  // extern "C"

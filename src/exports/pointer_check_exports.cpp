// Pointer checks and parameter-error reports for host modules.
#include "cstring/pointer_checks.h"
#include "exports/export_guard.h"
#include "ovut19/cstring.h"

namespace cs = ovut::cstring;
using ovut::exports::Guarded;

extern "C" {

int WINAPI UtilIsRPtr(LPCWSTR function, const void* pointer, LPCWSTR parameter, UINT bytes) {
  return Guarded<int>(0, [&] { return cs::IsReadable(function, pointer, parameter, bytes) ? 1 : 0; });
}
int WINAPI UtilIsWPtr(LPCWSTR function, void* pointer, LPCWSTR parameter, UINT bytes) {
  return Guarded<int>(0, [&] { return cs::IsWritable(function, pointer, parameter, bytes) ? 1 : 0; });
}
int WINAPI UtilIsString(LPCWSTR function, LPCWSTR pointer, LPCWSTR parameter) {
  return Guarded<int>(0, [&] { return cs::IsString(function, pointer, parameter) ? 1 : 0; });
}
int WINAPI UtilSafeStrlen(LPCWSTR function, LPCWSTR text) {
  return Guarded<int>(0, [&] { return cs::SafeStrlen(function, text); });
}
void WINAPI UtilError(LPCWSTR function, LPCWSTR message) {
  Guarded([&] { cs::ParameterError(function, message); });
}

}  // extern "C"

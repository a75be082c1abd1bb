// Pointer checks and parameter-error reports for host modules.
#include "cstring/pointer_checks.h"
#include "ovut19/cstring.h"

namespace cs = ovut::cstring;

extern "C" {

int WINAPI UtilIsRPtr(LPCWSTR function, const void* pointer, LPCWSTR parameter, UINT bytes) {
  return cs::IsReadable(function, pointer, parameter, bytes) ? 1 : 0;
}
int WINAPI UtilIsWPtr(LPCWSTR function, void* pointer, LPCWSTR parameter, UINT bytes) {
  return cs::IsWritable(function, pointer, parameter, bytes) ? 1 : 0;
}
int WINAPI UtilIsString(LPCWSTR function, LPCWSTR pointer, LPCWSTR parameter) {
  return cs::IsString(function, pointer, parameter) ? 1 : 0;
}
int WINAPI UtilSafeStrlen(LPCWSTR function, LPCWSTR text) { return cs::SafeStrlen(function, text); }
void WINAPI UtilError(LPCWSTR function, LPCWSTR message) { cs::ParameterError(function, message); }

}  // extern "C"

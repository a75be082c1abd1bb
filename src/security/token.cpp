#include "security/token.h"

#include <new>

namespace ovut::security {

DWORD OpenCallerToken(UniqueHandle& token, bool* threadFailed) noexcept {
  if (threadFailed) *threadFailed = false;
  HANDLE raw = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &raw)) {
    token.reset(raw);
    return 0;
  }
  DWORD error = GetLastError();
  if (error != ERROR_NO_TOKEN) {
    if (threadFailed) *threadFailed = true;
    return error;
  }
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return GetLastError();
  token.reset(raw);
  return 0;
}

DWORD ReadTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, std::unique_ptr<BYTE[]>& data) noexcept {
  DWORD size = 0;
  if (GetTokenInformation(token, kind, nullptr, 0, &size)) return ERROR_INVALID_DATA;
  DWORD error = GetLastError();
  if (error != ERROR_INSUFFICIENT_BUFFER) return error ? error : ERROR_INVALID_DATA;
  data.reset(new (std::nothrow) BYTE[size]);
  if (!data) return ERROR_NOT_ENOUGH_MEMORY;
  if (!GetTokenInformation(token, kind, data.get(), size, &size)) {
    error = GetLastError();
    return error ? error : ERROR_INVALID_DATA;
  }
  return 0;
}

}  // namespace ovut::security

#include "security/file_info_access.h"

#include <windows.h>
#include <lm.h>

#include <cwchar>
#include <string>
#include <vector>

#include "diagnostics/debug_output.h"
#include "security/results.h"
#include "security/system_functions.h"

namespace ovut::security {
namespace {

// Frees a network API buffer on every path.
struct NetBuffer {
  const NetApiFunctions* api;
  BYTE* data = nullptr;
  ~NetBuffer() {
    if (data) api->bufferFree(data);
  }
};

// "\\server\share\rest" into its three parts; false when it is not of that form.
bool SplitUnc(const std::wstring& path, std::wstring& server, std::wstring& share, std::wstring& rest) {
  if (path.size() < 5 || path[0] != L'\\' || path[1] != L'\\') return false;
  size_t serverEnd = path.find(L'\\', 2);
  if (serverEnd == std::wstring::npos || serverEnd == 2) return false;
  size_t shareEnd = path.find(L'\\', serverEnd + 1);
  server = path.substr(0, serverEnd);
  share = path.substr(serverEnd + 1, shareEnd == std::wstring::npos ? std::wstring::npos : shareEnd - serverEnd - 1);
  rest = shareEnd == std::wstring::npos ? L"" : path.substr(shareEnd + 1);
  return !share.empty();
}

}  // namespace

int FileInfoAccess(const wchar_t* path, String& users) noexcept {
  users = String();
  if (!path || !*path || wcslen(path) > 32767) return kBadRequest;
  try {
    const NetApiFunctions* api = NetApi();
    if (!api) {
      debug::Warning(L"WRN: UtilGetFileInfoAccess(): the network file functions are not available");
      return kSystemFailure;
    }
    std::wstring server, basePath;
    std::wstring full(path);
    std::wstring share, rest;
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') {
      if (!SplitUnc(full, server, share, rest)) return kBadRequest;
      NetBuffer info{api};
      DWORD rc = api->shareGetInfo(&server[0], &share[0], 2, &info.data);
      if (rc != NERR_Success || !info.data) {
        debug::Warning(L"WRN: UtilGetFileInfoAccess(): NetShareGetInfo(%s, %s) failed: %s", server.c_str(),
                       share.c_str(), String::ErrorText(rc).c_str());
        return kSystemFailure;
      }
      basePath = reinterpret_cast<SHARE_INFO_2*>(info.data)->shi2_path;
      if (!rest.empty()) {
        if (!basePath.empty() && basePath.back() != L'\\') basePath += L'\\';
        basePath += rest;
      }
    } else {
      wchar_t absolute[MAX_PATH];
      DWORD n = GetFullPathNameW(path, MAX_PATH, absolute, nullptr);
      if (n == 0 || n >= MAX_PATH) return kBadRequest;
      basePath = absolute;
    }

    std::vector<std::wstring> names;
    DWORD_PTR resume = 0;
    for (;;) {
      NetBuffer list{api};
      DWORD read = 0, total = 0;
      DWORD rc = api->fileEnum(server.empty() ? nullptr : &server[0], &basePath[0], nullptr, 3, &list.data,
                               MAX_PREFERRED_LENGTH, &read, &total, &resume);
      if (rc != NERR_Success && rc != ERROR_MORE_DATA) {
        debug::Warning(L"WRN: UtilGetFileInfoAccess(): NetFileEnum(%s) failed: %s", basePath.c_str(),
                       String::ErrorText(rc).c_str());
        return kSystemFailure;
      }
      const FILE_INFO_3* files = reinterpret_cast<const FILE_INFO_3*>(list.data);
      for (DWORD i = 0; files && i < read; ++i) {
        std::wstring user = files[i].fi3_username ? files[i].fi3_username : L"";
        bool known = false;
        for (const auto& n : names) known |= _wcsicmp(n.c_str(), user.c_str()) == 0;
        if (!known && !user.empty()) names.push_back(user);
      }
      if (rc != ERROR_MORE_DATA || read == 0) break;
    }
    for (size_t i = 0; i < names.size(); ++i) {
      if (i) users.Append(L'\t');
      users.Append(names[i].c_str());
    }
    return static_cast<int>(names.size());
  } catch (...) {
    return kSystemFailure;
  }
}

}  // namespace ovut::security

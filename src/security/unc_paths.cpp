#include "security/unc_paths.h"

#include <windows.h>
#include <shlwapi.h>
#include <winnetwk.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "foundation/regex.h"

namespace ovut::security {

namespace {

// Owner of one network enumeration.
class NetEnum {
 public:
  NetEnum() = default;
  ~NetEnum() {
    if (h_) WNetCloseEnum(h_);
  }
  NetEnum(const NetEnum&) = delete;
  NetEnum& operator=(const NetEnum&) = delete;
  HANDLE* put() { return &h_; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_ = nullptr;
};

constexpr DWORD kUniversalNameBytes = 1024;
constexpr DWORD kEnumBytes = 16000;

}  // namespace

String NormalisePath(const wchar_t* path) {
  wchar_t full[MAX_PATH] = {};
  const DWORD n = GetFullPathNameW(path, MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return String(path);
  String text(full);
  while (text.ReplaceText(L"\\.\\", L"\\") > 0) {
  }
  wchar_t canonical[MAX_PATH] = {};
  if (!PathCanonicalizeW(canonical, text.c_str())) return text;
  return String(canonical);
}

int EnsureUNCPath(const wchar_t* path, String& result) {
  const String normal = NormalisePath(path);
  clsRegEx drive(L"^([A-Z]:)(.*)$", clsRegEx::kCaseless | clsRegEx::kDotAll);
  if (!drive.Exec(normal)) {
    result = normal;
    return 0;
  }
  std::vector<BYTE> buffer(kUniversalNameBytes);
  DWORD size = kUniversalNameBytes;
  DWORD rc = WNetGetUniversalNameW(normal.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
  if (rc == ERROR_MORE_DATA) {
    buffer.assign(size, 0);
    rc = WNetGetUniversalNameW(normal.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
  }
  if (rc != NO_ERROR) return -1;
  const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
  if (!info->lpUniversalName) return -1;
  result = info->lpUniversalName;
  return 0;
}

int EnsureLocalPath(const wchar_t* path, String& result) {
  const String normal = NormalisePath(path);
  clsRegEx unc(L"^(\\\\\\\\(?:.*?)\\\\(?:.*?))(\\\\.*|)$", clsRegEx::kDotAll);
  clsRegExMatchList groups;
  if (!unc.Exec(normal, &groups) || groups.Count() < 2) {
    result = normal;
    return 0;
  }
  const String share = clsRegEx::Match(groups, 1);
  const String rest = groups.Count() > 2 ? clsRegEx::Match(groups, 2) : String();

  NetEnum connections;
  if (WNetOpenEnumW(RESOURCE_REMEMBERED, RESOURCETYPE_DISK, 0, nullptr, connections.put()) != NO_ERROR) return -1;
  // NETRESOURCEW holds pointers: keep the buffer aligned for them.
  std::vector<ULONGLONG> buffer(kEnumBytes / sizeof(ULONGLONG) + 1);
  for (;;) {
    DWORD count = static_cast<DWORD>(-1);
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG));
    if (WNetEnumResourceW(connections.get(), &count, buffer.data(), &bytes) != NO_ERROR) break;
    const auto* entries = reinterpret_cast<const NETRESOURCEW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      const NETRESOURCEW& e = entries[i];
      if (!e.lpRemoteName || !e.lpLocalName) continue;
      if (CompareStringOrdinal(e.lpRemoteName, -1, share.c_str(), static_cast<int>(share.Length()), TRUE) ==
          CSTR_EQUAL) {
        result = String(e.lpLocalName) + rest;
        return 0;
      }
    }
  }
  result = normal;
  return 0;
}

int CopyForWise(const String& text, char* buffer, int size) {
  clsCharsetConversionString narrow(text.c_str());
  const char* bytes = narrow.Narrow();
  const size_t length = bytes ? std::strlen(bytes) : 0;
  if (!buffer || size <= 0) return static_cast<int>(length + 1);
  if (length >= static_cast<size_t>(size)) return size;
  std::memcpy(buffer, bytes ? bytes : "", length + 1);
  return 0;
}

}  // namespace ovut::security

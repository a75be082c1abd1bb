// New temporary files with unique names: "<folder>_19_<name><hex time-stamp counter>.<ext>".
#include "foundation/temp_file.h"

#include <intrin.h>

#include <utility>

#include "diagnostics/debug_output.h"
#include "foundation/file.h"
#include "foundation/scoped_handle.h"
#include "foundation/temp_folder.h"

namespace ovut {
namespace {

constexpr DWORD kMaxAttempts = 0xFFFFF;
// Failures other than "name exists" (access denied in a locked folder, too many open files): a few
// may be passing (a file pending deletion), a run of them means no name will do.
constexpr DWORD kMaxOtherFailures = 16;
constexpr ULONGLONG kStaleAge = 7ull * 24 * 60 * 60 * 10000000;  // 7 days in FILETIME units

ULONGLONG AsNumber(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

bool IsStale(const FILETIME& lastWrite) {
  FILETIME nowTime;
  GetSystemTimeAsFileTime(&nowTime);
  const ULONGLONG now = AsNumber(nowTime), then = AsNumber(lastWrite);
  return (now > then ? now - then : then - now) > kStaleAge;
}

bool LastWriteOf(const String& path, FILETIME* lastWrite) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    *lastWrite = data.ftLastWriteTime;
    return true;
  }
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW(path.c_str(), &found));
  if (!find) return false;
  *lastWrite = found.ftLastWriteTime;
  return true;
}

// A leftover older than 7 days (a crashed process's) is emptied and taken over.
bool ReuseStale(const String& path, DWORD flags, clsFile* target) {
  FILETIME lastWrite;
  if (!LastWriteOf(path, &lastWrite) || !IsStale(lastWrite)) return false;
  UniqueHandle h(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, flags, nullptr));
  if (!h) return false;
  // Asked again through the handle: another process may have refreshed it meanwhile.
  if (!GetFileTime(h.get(), nullptr, nullptr, &lastWrite) || !IsStale(lastWrite)) return false;
  LARGE_INTEGER zero = {};
  if (!SetFilePointerEx(h.get(), zero, nullptr, FILE_BEGIN) || !SetEndOfFile(h.get())) return false;
  target->AdoptHandle(std::move(h), path, 0);
  return true;
}

// Errors that no other name in the same folder can cure.
bool HopelessError(DWORD error) {
  switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_WRITE_PROTECT:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_NOT_READY:
      return true;
    default:
      return false;
  }
}

}  // namespace

String CreateTempFile(const wchar_t* pathPrefix, const wchar_t* extension, DWORD flags, clsFile* target) {
  const String prefix(pathPrefix ? pathPrefix : L"");
  int cut = -1;
  for (uint32_t i = 0; i < prefix.Length(); ++i)
    if (prefix.At(i) == L'\\' || prefix.At(i) == L'/' || prefix.At(i) == L':') cut = static_cast<int>(i);
  String folder = cut >= 0 ? prefix.Left(static_cast<uint32_t>(cut + 1)) : TempFolder((flags & kTempLongFolder) != 0);
  String name = cut >= 0 ? prefix.Mid(static_cast<uint32_t>(cut + 1)) : prefix;
  if (!(flags & kTempNoVersionPrefix)) name = String::Formatted(L"_%d_", kTempFileVersion) + name;
  const wchar_t* ext = extension ? extension : L"";
  if (*ext == L'.') ++ext;

  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (target) attributes |= FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE;
  attributes |= (flags & kTempRandomAccess) ? FILE_FLAG_RANDOM_ACCESS : FILE_FLAG_SEQUENTIAL_SCAN;

  DWORD otherFailures = 0, error = ERROR_SUCCESS;
  String lastPath;
  for (DWORD attempt = 0; attempt < kMaxAttempts; ++attempt) {
    String path = attempt == 0 && (flags & kTempPlainNameFirst)
                            ? String::Formatted(L"%s%s.%s", folder.c_str(), name.c_str(), ext)
                            : String::Formatted(L"%s%s%I64x.%s", folder.c_str(), name.c_str(),
                                                static_cast<unsigned long long>(__rdtsc()), ext);
    UniqueHandle h(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    if (h) {
      if (target) target->AdoptHandle(std::move(h), path, 0);
      return path;
    }
    error = GetLastError();
    const bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    if (target && exists && ReuseStale(path, attributes, target)) return path;
    lastPath = std::move(path);
    if (HopelessError(error) || (!exists && ++otherFailures >= kMaxOtherFailures)) break;
  }
  debug::Warning(L"ERR: cannot create a temporary file like '%s': %s", lastPath.c_str(),
                 String::ErrorText(error).c_str());
  return String();
}

}  // namespace ovut

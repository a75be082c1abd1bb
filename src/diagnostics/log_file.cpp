#include "diagnostics/log_file.h"

#include <cstring>

#include "diagnostics/debug_line.h"

namespace ovut::debug {

// The name still leads to the open file when it exists with the size the open file has. A file
// renamed away and replaced differs in size as soon as one of the two grows; a size that differs
// because another process appended in between only costs a reopen of the same file. A file
// deleted while open is gone by name, or (delete pending) fails the query, on either path. The
// size the file has after our own last line answers without asking the handle while no one else
// appends.
bool clsDebugLogFile::StillNamed(uint64_t* namedSize) const {
  WIN32_FILE_ATTRIBUTE_DATA named;
  if (!GetFileAttributesExW(settings_.fileName.c_str(), GetFileExInfoStandard, &named)) return false;
  *namedSize = (static_cast<uint64_t>(named.nFileSizeHigh) << 32) | named.nFileSizeLow;
  if (*namedSize == sizeAfterLine_) return true;
  LARGE_INTEGER size;
  return GetFileSizeEx(file_.get(), &size) && static_cast<uint64_t>(size.QuadPart) == *namedSize;
}

bool clsDebugLogFile::Open() {
  file_.reset();
  const ULONGLONG deadline = GetTickCount64() + 100;
  for (;;) {
    // Append-only access: every write goes to the end of the file as it is then, whoever else
    // appends; the handle shares everything so that readers may delete or rename the file.
    file_.reset(CreateFileW(settings_.fileName.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file_) return true;
    // A writer of another kind holding the file, or a delete still pending, passes within the
    // wait; a missing folder or a bad name will not heal, so those give up at once instead of
    // spinning on every line.
    const DWORD error = GetLastError();
    const bool transient = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                           error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
    if (!transient || GetTickCount64() >= deadline) return false;
    Sleep(0);
  }
}

void clsDebugLogFile::Append(const wchar_t* line, int length) {
  if (!Enabled()) return;
  if (length > kLineUnits) length = kLineUnits;
  wchar_t text[kLineUnits + 2];
  std::memcpy(text, line, static_cast<size_t>(length) * sizeof(wchar_t));
  text[length] = L'\r';
  text[length + 1] = L'\n';
  const DWORD bytes = static_cast<DWORD>((length + 2) * sizeof(wchar_t));

  uint64_t size = kNoSize;
  if (!file_ || !StillNamed(&size)) {
    size = kNoSize;  // a fresh open: the next line asks the handle
    if (!Open()) {
      MessageBeep(0xFFFFFFFF);
      return;
    }
  }
  DWORD written = 0;
  if (!WriteFile(file_.get(), text, bytes, &written, nullptr)) {
    // A handle that went bad (its volume gone, say) gets one fresh open for this line.
    size = kNoSize;
    if (!Open() || !WriteFile(file_.get(), text, bytes, &written, nullptr)) {
      file_.reset();
      MessageBeep(0xFFFFFFFF);
      return;
    }
  }
  sizeAfterLine_ = size == kNoSize ? kNoSize : size + written;
  if (settings_.flush) FlushFileBuffers(file_.get());
}

}  // namespace ovut::debug

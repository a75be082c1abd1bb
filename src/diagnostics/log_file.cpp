#include "diagnostics/log_file.h"

#include <cstring>

#include "diagnostics/debug_line.h"
#include "foundation/file.h"

namespace ovut::debug {

void clsDebugLogFile::Append(const wchar_t* line, int length) {
  if (!Enabled()) return;
  if (length > kLineUnits) length = kLineUnits;
  wchar_t text[kLineUnits + 2];
  std::memcpy(text, line, static_cast<size_t>(length) * sizeof(wchar_t));
  text[length] = L'\r';
  text[length + 1] = L'\n';

  clsFile file;
  const ULONGLONG deadline = GetTickCount64() + 100;
  for (;;) {
    if (file.Open(settings_.fileName, clsFile::kAccessWrite, clsFile::kOpenAlways, clsFile::kShareRead,
                  clsFile::kOptNormal | clsFile::kOptSequentialScan) == 0)
      break;
    // Another writer holds the file for a moment; a missing folder or a bad name will not heal
    // within the wait, so those give up at once instead of spinning on every line.
    int error = file.OpenErrorState();
    if ((error != clsFile::kOpenSharing && error != clsFile::kOpenDenied) || GetTickCount64() >= deadline) {
      MessageBeep(0xFFFFFFFF);
      return;
    }
    Sleep(0);
  }
  file.SeekToEnd();
  file.Write(text, static_cast<DWORD>((length + 2) * sizeof(wchar_t)));
  if (settings_.flush) file.Flush();
  file.Close();
}

}  // namespace ovut::debug

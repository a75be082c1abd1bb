// Interim open: reports whether the file can be opened and treats any content as not loadable
// (-10) until the profile reader is plugged in here.
#include "profile/job_open.h"

#include "foundation/scoped_handle.h"

namespace ovut::profile {

void OpenAndLoadFile(clsProfJob& job, bool exclusive) noexcept {
  UniqueHandle file(CreateFileW(job.fileName.c_str(), exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                                FILE_SHARE_READ, nullptr, exclusive ? OPEN_ALWAYS : OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    job.lastError = GetLastError() == ERROR_SHARING_VIOLATION ? -1 : -10;
    return;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0) job.lastError = -10;
}

}  // namespace ovut::profile

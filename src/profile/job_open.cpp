// Opening a job from its file: shared or exclusive open with retries while another process
// holds the file without sharing, then the loading pipeline.
#include "profile/job_open.h"

#include "foundation/file.h"
#include "profile/persist/profile_load.h"

namespace ovut::profile {

void OpenAndLoadFile(clsProfJob& job, bool exclusive) noexcept {
  try {
    clsAutoRelease<clsFile> file(new clsFile());
    const ULONGLONG deadline = GetTickCount64() + 10000;
    for (;;) {
      int rc = exclusive ? file->Open(job.fileName.c_str(), clsFile::kAccessReadWrite, clsFile::kOpenAlways,
                                      clsFile::kShareRead, clsFile::kOptNormal | clsFile::kOptSequentialScan)
                         : file->Open(job.fileName.c_str(), clsFile::kAccessRead, clsFile::kOpenExisting,
                                      clsFile::kShareRead, clsFile::kOptNormal | clsFile::kOptSequentialScan);
      if (rc == 0) break;
      if (file->OpenErrorCode() != ERROR_SHARING_VIOLATION || GetTickCount64() >= deadline) break;
      Sleep(100);
    }
    if (!file->IsOpen()) {
      job.lastError = file->OpenErrorCode() == ERROR_SHARING_VIOLATION ? -1 : -10;
      return;
    }
    uint64_t size = file->Size();
    if (size > 0 && size != clsFile::kUnknown && !ovut::persist::LoadProfile(job, *file.Get())) {
      if (job.lastError == 0) job.lastError = -10;
      return;
    }
    if (exclusive) job.openFile = file;
  } catch (...) {
    if (job.lastError == 0) job.lastError = -10;
  }
}

}  // namespace ovut::profile

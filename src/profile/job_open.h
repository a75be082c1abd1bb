// The seam between the profile tree and its persistence: opening a job from a file. The job
// code creates the record, stores the name and calls this; the loading pipeline fills the root
// list through the clsItemList operations and records the outcome in lastError.
#pragma once
#include "profile/job.h"

namespace ovut::profile {

// Opens job.fileName (shared read, or read/write created when missing for an exclusive job),
// loads it into job.rootList when it is longer than 0 bytes and sets job.lastError (0, -1, -7
// or -10). An exclusive job keeps the file in job.openFile after a successful load.
void OpenAndLoadFile(clsProfJob& job, bool exclusive) noexcept;

}  // namespace ovut::profile

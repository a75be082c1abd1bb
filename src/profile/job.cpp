#include "profile/job.h"

#include "foundation/file.h"

clsProfJob::clsProfJob() noexcept : rootList(L"/", 1) {}

clsProfJob::~clsProfJob() {
  // The file goes first, then the tree, then the name.
  openFile.Reset();
  rootList.Clear();
  fileName.Clear();
}

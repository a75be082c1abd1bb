#include "profile/profile_lifecycle.h"

#include "profile/item_pool.h"
#include "profile/job_table.h"
#include "profile/persist/profile_load.h"

namespace ovut::profile {

void Initialize() {
  ItemPool::Initialize();
  InitializeJobTable();
  // The clipboard format is registered at load, so peers see its number before the first copy.
  ovut::persist::ProfileClipboardFormat();
}

void Shutdown() {
  ShutdownJobTable();
  ItemPool::Shutdown();
}

}  // namespace ovut::profile

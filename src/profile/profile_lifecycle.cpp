#include "profile/profile_lifecycle.h"

#include "profile/item_pool.h"
#include "profile/job_table.h"

namespace ovut::profile {

void Initialize() {
  ItemPool::Initialize();
  InitializeJobTable();
}

void Shutdown() {
  ShutdownJobTable();
  ItemPool::Shutdown();
}

}  // namespace ovut::profile

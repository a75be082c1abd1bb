// Process-wide state of the profile store: the item pool and the job table.
#pragma once

namespace ovut::profile {
void Initialize();
void Shutdown();  // destroys the jobs a host left open
}  // namespace ovut::profile

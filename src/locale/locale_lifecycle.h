// Process-wide state of the locale subsystem: the per-locale pattern cache and the country table.
#pragma once

namespace ovut::locale {
void Initialize();
void Shutdown();
}  // namespace ovut::locale

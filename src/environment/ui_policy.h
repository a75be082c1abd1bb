// Whether the process may show anything to a user, and what kind of process it is. Everything
// that shows a message box or dialog asks UIInteractionAllowed() first.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/string.h"

namespace ovut::env {

enum EnvironmentType : uint32_t {
  kEnvUnknown = 0,         // token not examinable; internal only
  kEnvInteractive = 1,
  kEnvNonInteractive = 3,  // services and other processes without the INTERACTIVE group
  kEnvSystemOrWeb = 4,     // SYSTEM, the web-server accounts and worker processes
};

// Evaluated on every call (only the user name is cached).
uint32_t GetEnvironmentType() noexcept;
// Decided on the first call and kept for the life of the process.
bool UIInteractionAllowed() noexcept;

// The rules themselves, uncached, for a given user and application name (upper or any case).
// The name rules (1 and 2) first; then the process token, then the user's "Software" key.
uint32_t EnvironmentTypeFor(const String& userName, const String& baseName) noexcept;
// The UI decision for an application name, uncached: 1 not allowed, 2 allowed. Writes the
// debug line of the rule that suppressed UI.
int DecideUIState(const String& baseName) noexcept;
// What the process token's groups say: 1 INTERACTIVE, 3 SERVICE or neither, 0 not examinable.
uint32_t TokenEnvironmentType() noexcept;
// GetUserNameW once per process; empty when it failed.
const String& CachedUserName() noexcept;

}  // namespace ovut::env

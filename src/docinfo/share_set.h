// Network shares that did not answer. A share enters the process-wide set the first time its root
// is found not to be a reachable folder and stays there until the process ends, so later requests
// for files on it cost nothing.
#pragma once
#include "foundation/string.h"

namespace docinfo {

// "\\server\share" of a UNC path, or empty when the path is not on a share.
String ShareOfPath(const String& path) noexcept;

bool ShareKnownInaccessible(const String& share) noexcept;

// Probes the share unless it is known already; true when it is (now) in the set.
bool ProbeShareInaccessible(const String& share) noexcept;

}  // namespace docinfo

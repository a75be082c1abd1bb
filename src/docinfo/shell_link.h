// Shell links (".lnk"): the target a link points to.
#pragma once
#include "foundation/string.h"

namespace docinfo {

// The raw target path of the link at `linkPath` (at most 260 characters), resolved without user
// interface; empty when the link cannot be loaded or has no file target.
String ResolveShellLink(const String& linkPath) noexcept;

}  // namespace docinfo

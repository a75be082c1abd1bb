// Help file names pass through the control library's path translation when the process has that
// library loaded; it is never loaded here.
#pragma once
#include "foundation/string.h"

namespace ovut::help {

// "ovct19.dll": the control library of the same family and version.
const wchar_t* ControlLibraryName() noexcept;

// Replaces `path` by the control library's translation, if the library is loaded and exports its
// entry; otherwise leaves it as it is.
void TranslatePath(String& path) noexcept;

}  // namespace ovut::help

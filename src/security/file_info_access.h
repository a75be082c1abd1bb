// Who holds a file open over the network.
#pragma once
#include "foundation/string.h"

namespace ovut::security {

// The distinct user names of the network sessions that hold `path` open, TAB-separated, and their
// number as result. `path` is "\\server\share\rest" (asked of that server, whose local path of the
// share is looked up) or a local path (asked of this machine). -5 for a null, empty or
// unusable path; -4 when the query fails (with a debug line), also when the system lacks it.
int FileInfoAccess(const wchar_t* path, String& users) noexcept;

}  // namespace ovut::security

// Folder paths with placeholders: environment variables first, then the names of the user's shell
// folders ("%PERSONAL%\Reports") as the shell records them under "Shell Folders".
#pragma once
#include "foundation/string.h"

namespace ovut::env {

String ExpandDefaultTokensOfFolderPath(const String& path) noexcept;

}  // namespace ovut::env

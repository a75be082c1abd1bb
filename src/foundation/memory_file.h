// A file object over a new in-memory stream (growable, freed with its last reference).
#pragma once
#include "foundation/com_ptr.h"
#include "foundation/file.h"

namespace ovut {

// Empty when the stream or the file object cannot be had; nothing is leaked then.
clsAutoRelease<clsFile> NewMemoryFile() noexcept;

}  // namespace ovut

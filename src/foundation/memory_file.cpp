#include "foundation/memory_file.h"

#include <objbase.h>

#include <new>

namespace ovut {

clsAutoRelease<clsFile> NewMemoryFile() noexcept {
  clsAutoRelease<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) || !stream) return {};
  // The file object takes a reference of its own; ours goes with `stream`.
  return clsAutoRelease<clsFile>(new (std::nothrow) clsFileRW(stream.Get()));
}

}  // namespace ovut

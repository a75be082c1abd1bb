// clsFile::CopyFrom: the rest of another file object, in chunks of at most 1 MiB.
#include <algorithm>

#include "foundation/file.h"
#include "foundation/scoped_calls.h"

namespace {

constexpr uint64_t kMaxChunk = 0x100000;

}  // namespace

bool clsFile::CopyFrom(clsFile& source) {
  if (&source == this || !IsOpen() || !source.IsOpen()) return false;
  const uint64_t size = source.Size();
  if (size == 0) return true;
  const uint64_t position = source.Position();
  if (size == kUnknown || position == kUnknown) return false;
  const uint64_t remaining = position < size ? size - position : 0;

  // Start with the whole rest (up to 1 MiB) and halve while memory is short.
  ovut::UniqueGlobal memory;
  DWORD chunk = static_cast<DWORD>(std::min(remaining, kMaxChunk));
  while (chunk) {
    memory.reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, chunk));
    if (memory) break;
    chunk /= 2;
  }
  if (remaining && !memory) return false;
  ovut::GlobalLockView lock(memory.get());
  if (remaining && !lock.Data()) return false;

  SetSize(remaining);
  for (uint64_t copied = 0; copied < remaining;) {
    const DWORD want = static_cast<DWORD>(std::min<uint64_t>(chunk, remaining - copied));
    if (source.Read(lock.Data(), want) != want) return false;
    if (Write(lock.Data(), want) != want) return false;
    copied += want;
  }
  SetEOF();
  return true;
}

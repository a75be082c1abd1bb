// How many threads compression work (the ZIP list, packed profile save and load) may use.
#pragma once

namespace ovut::env {

// The most threads one compression job uses, whatever the processor count.
inline constexpr unsigned kMaxCompressionWorkers = 16;

// The processor count (at most kMaxCompressionWorkers), or 1 when the host turned parallel
// compression off: UtilSetParallelCompression(FALSE), or the switch "ParallelCompression" = 0
// under HKCU, then HKLM, "Software\Orvask" (read once, at the first call). Output is the same
// either way; 1 only trades speed for fewer threads.
unsigned CompressionWorkers() noexcept;
// Turns parallel compression on or off for the whole process; returns the previous setting.
bool SetParallelCompression(bool on) noexcept;

}  // namespace ovut::env

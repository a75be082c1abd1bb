#include "environment/parallel_compression.h"

#include <windows.h>

#include <initializer_list>

#include "environment/registry_values.h"

namespace ovut::env {
namespace {

// -1 not decided yet, else 0 off / 1 on. Decided once; a race only reads the registry twice.
volatile LONG g_parallel = -1;

// The first root that holds the value decides (a DWORD, or a text as switches are read).
bool DecideFromRegistry() noexcept {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    DWORD number = 0;
    String text;
    if (ReadRegistryDword(root, kOrvaskKey, L"ParallelCompression", number) ||
        ReadRegistryText(root, kOrvaskKey, L"ParallelCompression", text))
      return ReadRegistrySwitch(root, kOrvaskKey, L"ParallelCompression");
  }
  return true;
}

bool ParallelOn() noexcept {
  LONG state = g_parallel;
  if (state < 0) {
    state = DecideFromRegistry() ? 1 : 0;
    InterlockedCompareExchange(&g_parallel, state, -1);
    state = g_parallel;
  }
  return state != 0;
}

}  // namespace

unsigned CompressionWorkers() noexcept {
  if (!ParallelOn()) return 1;
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  unsigned n = info.dwNumberOfProcessors ? info.dwNumberOfProcessors : 1;
  return n < kMaxCompressionWorkers ? n : kMaxCompressionWorkers;
}

bool SetParallelCompression(bool on) noexcept {
  bool before = ParallelOn();
  InterlockedExchange(&g_parallel, on ? 1 : 0);
  return before;
}

}  // namespace ovut::env

// Allocate-and-free pairs of 64-byte objects: the registry's object kinds against the direct
// Windows heap calls. Prints nanoseconds per pair and the ratio to HeapAlloc/HeapFree.
#include <windows.h>

#include "bench_clock.h"
#include "bench_summary.h"

#include <algorithm>
#include <cstdio>

#include "dll/lifecycle.h"
#include "memory/object_layout.h"
#include "memory/registry.h"

namespace mem = ovut::memory;

namespace {

constexpr int kPairs = 1000000;
constexpr int kSize = 64;


template <typename F>
double NsPerPair(F&& pair, int pairs = kPairs) {
  for (int i = 0; i < 1000; ++i) pair();  // warm up
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    double t = Now();
    for (int i = 0; i < pairs; ++i) pair();
    double ns = (Now() - t) * 1e9 / pairs;
    if (ns < best) best = ns;
  }
  return best;
}

}  // namespace

int main() {
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  void* module = mem::JobOpen(L"Bench", 0, OVUT_STACK_START());
  void* plain = mem::CreateHeap(module, L"plain", 0, OVUT_STACK_START());
  void* debug = mem::CreateHeap(module, L"debug", mem::kDebug, OVUT_STACK_START());
  HANDLE direct = HeapCreate(0, 32768, 0);

  // The pair that is compared runs in alternating rounds, so that a burst of load on the shared
  // machine does not fall on one side only.
  double directNs = 1e30, plainNs = 1e30;
  for (int round = 0; round < 5; ++round) {
    directNs = std::min(directNs, NsPerPair([&] { HeapFree(direct, 0, HeapAlloc(direct, 0, kSize)); }, kPairs / 2));
    plainNs = std::min(plainNs, NsPerPair([&] {
      mem::ObjectFree(plain, mem::ObjectAlloc(plain, kSize, 0, 0, OVUT_STACK_START()));
    }, kPairs / 2));
  }
  double debugNoTraceNs = NsPerPair([&] {
    mem::ObjectFree(debug, mem::ObjectAlloc(debug, kSize, mem::kNoStackTrace, 0, OVUT_STACK_START()));
  });
  double debugTraceNs = NsPerPair([&] {
    mem::ObjectFree(debug, mem::ObjectAlloc(debug, kSize, 0, 0, OVUT_STACK_START()));
  }, kPairs / 10);
  double runtimeNs = NsPerPair([&] {
    mem::ObjectFree(nullptr, mem::ObjectAlloc(nullptr, kSize, 0, 0, OVUT_STACK_START()));
  });

  std::printf("%d allocate+free pairs of %d-byte objects (best of 3 rounds; the first two rows: best of 15"
              " rounds of %d pairs, alternating; stack capture: %d pairs)\n", kPairs, kSize, kPairs / 2, kPairs / 10);
  std::printf("  %-36s %8.1f ns/pair\n", "HeapAlloc/HeapFree directly", directNs);
  auto row = [&](const char* name, double ns) {
    std::printf("  %-36s %8.1f ns/pair  x%.2f\n", name, ns, ns / directNs);
  };
  row("non-debug heap object", plainNs);
  row("debug object, no stack capture", debugNoTraceNs);
  row("debug object with stack capture", debugTraceNs);
  row("runtime-heap object (null heap)", runtimeNs);
  char ours[32], peer[32];
  std::snprintf(ours, sizeof ours, "%.1f ns", plainNs);
  std::snprintf(peer, sizeof peer, "%.1f ns", directNs);
  Summary("non-debug heap object vs HeapAlloc/HeapFree", ours, peer, plainNs / directNs, "<= 1.15", 1.15);

  HeapDestroy(direct);
  mem::DeleteHeap(plain);
  mem::DeleteHeap(debug);
  mem::JobClose(module);
  ovut::ProcessDetach();
  return 0;
}

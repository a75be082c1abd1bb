// Profile store figures: appends and lookups by name in flat and nested lists, sets on existing
// names, and the item pool against plain new/delete.
#include <windows.h>

#include "bench_clock.h"
#include "bench_summary.h"

#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "dll/lifecycle.h"
#include "profile/item_pool.h"
#include "profile/job_table.h"
#include "profile/string_ops.h"

using namespace ovut::profile;

namespace {


void Report(const char* what, int n, double seconds) {
  std::printf("%-48s %8d ops %9.1f ms %8.1f ns/op\n", what, n, seconds * 1e3, seconds * 1e9 / n);
}

template <typename F>
void Time(const char* what, int n, F body) {
  double t0 = Now();
  for (int i = 0; i < n; ++i) body(i);
  Report(what, n, Now() - t0);
}

void FlatAndTree(int n) {
  wchar_t name[64], buf[64];
  // The names are made before the clock runs: the figure is the append, not the formatting.
  std::vector<std::wstring> names(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) names[static_cast<size_t>(i)] = L"item" + std::to_wstring(i);
  ProfHandle flat = OpenJob(nullptr, false);
  double t0 = Now();
  for (int i = 0; i < n; ++i) WriteString(flat, 0, names[static_cast<size_t>(i)].c_str(), L"value", true);
  const double appendNs = (Now() - t0) * 1e9 / n;
  Report("flat: append unique names", n, appendNs * n / 1e9);
  // Peer: a standard hash set taking the same names (one allocation and one hash each).
  std::unordered_set<std::wstring> peerSet;
  t0 = Now();
  for (int i = 0; i < n; ++i) peerSet.insert(names[static_cast<size_t>(i)]);
  const double peerNs = (Now() - t0) * 1e9 / n;
  Report("  peer: std::unordered_set<std::wstring> insert", n, peerNs * n / 1e9);
  {
    char ours[32], peer[32];
    std::snprintf(ours, sizeof ours, "%.0f ns", appendNs);
    std::snprintf(peer, sizeof peer, "%.0f ns", peerNs);
    SummaryRow("flat list: append 100,000 unique names", ours, peer, appendNs / peerNs, "<= 200 ns", appendNs <= 200);
  }
  Time("flat: get by name", n, [&](int i) {
    swprintf(name, 64, L"item%d", i);
    GetString(flat, 0, name, buf, 64, nullptr);
  });
  Time("flat: set existing names", n, [&](int i) {
    swprintf(name, 64, L"item%d", i);
    WriteString(flat, 0, name, L"another value", false);
  });
  Time("flat: get missing names", n, [&](int i) {
    swprintf(name, 64, L"none%d", i);
    GetString(flat, 0, name, buf, 64, nullptr);
  });
  t0 = Now();
  CloseJob(flat);
  Report("flat: close (destroy all items)", n, Now() - t0);
  // Again on memory the process already has: the first run includes first touches of fresh pages.
  ProfHandle warm = OpenJob(nullptr, false);
  Time("flat: append unique names (warm heap)", n, [&](int i) {
    swprintf(name, 64, L"item%d", i);
    WriteString(warm, 0, name, L"value", true);
  });
  CloseJob(warm);

  ProfHandle tree = OpenJob(nullptr, false);
  Time("tree 100x100x10: append by path", n, [&](int i) {
    swprintf(name, 64, L"l%d/m%d/item%d", i / 1000, (i / 10) % 100, i);
    WriteString(tree, 0, name, L"value", true);
  });
  Time("tree 100x100x10: get by path", n, [&](int i) {
    swprintf(name, 64, L"l%d/m%d/item%d", i / 1000, (i / 10) % 100, i);
    GetString(tree, 0, name, buf, 64, nullptr);
  });
  Time("tree 100x100x10: set existing paths", n, [&](int i) {
    swprintf(name, 64, L"l%d/m%d/item%d", i / 1000, (i / 10) % 100, i);
    WriteString(tree, 0, name, L"v2", false);
  });
  CloseJob(tree);

  ProfHandle same = OpenJob(nullptr, false);
  Time("one name: append 100,000 duplicates", n, [&](int) { WriteString(same, 0, L"dup", L"v", true); });
  Time("one name: set (first of the duplicates)", n, [&](int) { WriteString(same, 0, L"dup", L"w", false); });
  CloseJob(same);
}

// Best of three alternating rounds each, so that neither side pays alone for first touches of
// fresh memory.
void PoolAgainstHeap(int n) {
  std::vector<clsItem*> items(static_cast<size_t>(n));
  double pool = 1e30, heap = 1e30, poolOne = 1e30, heapOne = 1e30;
  auto best = [](double& slot, double t0) {
    const double t = Now() - t0;
    if (t < slot) slot = t;
  };
  for (int round = 0; round < 3; ++round) {
    double t0 = Now();
    for (int i = 0; i < n; ++i) items[i] = ItemPool::Take();
    for (int i = 0; i < n; ++i) ItemPool::Give(items[i]);
    best(pool, t0);
    t0 = Now();
    for (int i = 0; i < n; ++i) items[i] = new clsItem;
    for (int i = 0; i < n; ++i) delete items[i];
    best(heap, t0);
    t0 = Now();
    for (int i = 0; i < n; ++i) ItemPool::Give(ItemPool::Take());
    best(poolOne, t0);
    t0 = Now();
    for (int i = 0; i < n; ++i) {
      clsItem* volatile keep = new clsItem;  // volatile: the pair must not be optimised away
      delete keep;
    }
    best(heapOne, t0);
  }
  Report("pool: take all, then give all back", 2 * n, pool);
  Report("new/delete: allocate all, then free all", 2 * n, heap);
  Report("pool: take and give back one at a time", 2 * n, poolOne);
  Report("new/delete: one at a time", 2 * n, heapOne);
  std::printf("record size %u bytes, block size %u bytes (50 records)\n", static_cast<unsigned>(sizeof(clsItem)),
              static_cast<unsigned>(sizeof(ItemPoolBlock)));
  char ours[32], peer[32];
  std::snprintf(ours, sizeof ours, "%.0f ns", pool * 1e9 / (2 * n));
  std::snprintf(peer, sizeof peer, "%.0f ns", heap * 1e9 / (2 * n));
  Summary("item pool: take 100,000 then give back vs new/delete", ours, peer, pool / heap, "<= 1.00", 1.0);
}

}  // namespace

int main() {
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  const int n = 100000;
  FlatAndTree(n);
  PoolAgainstHeap(n);
  ovut::ProcessDetach();
  return 0;
}

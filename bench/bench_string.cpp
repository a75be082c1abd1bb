// String figures: copy (shared buffer), single-character appends, short Format.
#include <windows.h>

#include "bench_clock.h"

#include <cstdio>

#include "foundation/string.h"

namespace {
volatile uint32_t g_sink;
}  // namespace

int main() {
  const int kCopies = 10000000;
  String source(L"a text of moderate length that is copied");
  double t0 = Now();
  for (int i = 0; i < kCopies; ++i) {
    String copy(source);
    g_sink = copy.Length();
  }
  double copyNs = (Now() - t0) * 1e9 / kCopies;

  const int kAppends = 1000000;
  t0 = Now();
  String grown;
  for (int i = 0; i < kAppends; ++i) grown.Append(static_cast<wchar_t>(L'a' + i % 26));
  double appendTotal = Now() - t0;
  g_sink = grown.Length();

  const int kFormats = 1000000;
  t0 = Now();
  String line;
  for (int i = 0; i < kFormats; ++i) line.Format(L"item %d of %s: %08x", i, L"list", i * 7);
  double formatNs = (Now() - t0) * 1e9 / kFormats;

  std::printf("String copy (shared buffer):     %8.1f ns/copy      (%d copies)\n", copyNs, kCopies);
  std::printf("single-character appends:        %8.1f ns/append    (%d appends, %.3f s total)\n",
              appendTotal * 1e9 / kAppends, kAppends, appendTotal);
  std::printf("String::Format of a short line:  %8.1f ns/format    (%d formats)\n", formatNs, kFormats);
  return 0;
}

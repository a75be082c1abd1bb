// One row of the summary table that scripts/bench.sh prints after all benchmarks: a line
// "SUMMARY|figure|ours|peer|ratio|target|met" on standard output.
#pragma once
#include <cstdio>

// `ratio` is ours/peer for costs; `limit` the highest ratio that meets the target (or, with
// `atLeast`, the lowest).
inline void SummaryRow(const char* figure, const char* ours, const char* peer, double ratio, const char* target,
                       bool met) {
  std::printf("SUMMARY|%s|%s|%s|%.3f|%s|%s\n", figure, ours, peer, ratio, target, met ? "met" : "NOT met");
  std::fflush(stdout);
}

inline void Summary(const char* figure, const char* ours, const char* peer, double ratio, const char* target,
                    double limit, bool atLeast = false) {
  SummaryRow(figure, ours, peer, ratio, target, atLeast ? ratio >= limit : ratio <= limit);
}

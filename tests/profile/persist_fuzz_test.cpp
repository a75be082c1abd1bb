// Mutated stored profiles of every form must load or fail cleanly, never crash or hang.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "persist_test_util.h"

using namespace persisttest;
using namespace ovut::persist;

namespace {
std::string Mutate(std::string s, std::mt19937& rng) {
  static const char kTokens[][16] = {"<", ">", "\"", "&", "&#x", ";", "\r\n", "[", "]", "{", "}", "=",
                                     "</list>", "<list name=\"", "<item name=\"", "</item>", "<!--", " -->",
                                     "<value>", "</value>", "<field name=\"", "</field>", "<xfdf ", "ZLeZ"};
  int edits = 1 + int(rng() % 8);
  for (int e = 0; e < edits; ++e) {
    size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    switch (rng() % 6) {
      case 0:
        if (at < s.size()) s[at] = static_cast<char>(rng());
        break;
      case 1:
        if (at < s.size()) s.erase(at, 1 + rng() % 16);
        break;
      case 2: s.insert(at, kTokens[rng() % (sizeof kTokens / sizeof kTokens[0])]); break;
      case 3: s.resize(at); break;
      case 4:
        if (at < s.size()) s.insert(at, s.substr(at, rng() % 64));
        break;
      default:
        if (at < s.size()) s[at] ^= static_cast<char>(1 << (rng() % 8));
        break;
    }
  }
  return s;
}
}  // namespace

TEST(PersistFuzz, MutatedFilesOfEveryFormLoadOrFailCleanly) {
  Job j;
  Fill(j.root(), L"\x00e4");
  std::vector<std::string> seeds;
  for (int flags : {0, 1, 2, 64, 65, 66}) seeds.push_back(Save(*j.job, flags));
  seeds.push_back("[Settings]\r\nsize=1\r\n[Other]\r\nmode=2\r\n");
  std::mt19937 rng(20261210);
  int loaded = 0;
  for (int i = 0; i < 6000; ++i) {
    const std::string& seed = seeds[i % seeds.size()];
    std::string bytes = Mutate(seed, rng);
    // Packed seeds: on every other round mutate the plain text and pack it, so the reader sees
    // the damage behind the inflate step.
    const size_t k = i % seeds.size();
    if (k >= 3 && k <= 5 && (i & 1)) {
      auto src = codectest::MemFile(Mutate(seeds[k - 3], rng)), dst = codectest::MemFile();
      dst->Write("ZLeZ", 4);
      ovut::codec::StreamDeflate(*dst.Get(), *src.Get(), 5);
      bytes = codectest::Content(*dst.Get());
    }
    Job back;
    auto f = codectest::MemFile(bytes);
    if (LoadProfile(*back.job, *f.Get())) ++loaded;
    // Whatever was read saves again in every form.
    for (int flags : {0, 1, 2}) Save(*back.job, flags);
  }
  EXPECT_GT(loaded, 0);
}

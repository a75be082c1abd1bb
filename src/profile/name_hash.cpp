#include "profile/name_hash.h"

#include <windows.h>

#include <cstdlib>

namespace ovut::profile {
namespace {

// Upper-case form of every UTF-16 unit, built on first use (invariant locale). Surrogates and
// units without a single-unit upper case map to themselves.
wchar_t* g_fold = nullptr;
INIT_ONCE g_foldOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK BuildFold(PINIT_ONCE, PVOID, PVOID*) {
  const int n = 0x10000;
  wchar_t* src = static_cast<wchar_t*>(std::malloc(n * sizeof(wchar_t)));
  wchar_t* dst = static_cast<wchar_t*>(std::malloc(n * sizeof(wchar_t)));
  if (!src || !dst) {
    std::free(src);
    std::free(dst);
    return TRUE;  // no table: non-ASCII units hash as they are
  }
  for (int i = 0; i < n; ++i) src[i] = dst[i] = static_cast<wchar_t>(i);
  auto map = [&](int from, int to) {
    int count = to - from;
    int got = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, src + from, count, dst + from, count);
    if (got != count)
      for (int i = from; i < to; ++i) dst[i] = static_cast<wchar_t>(i);
  };
  map(0x80, 0xD800);
  map(0xE000, 0x10000);
  std::free(src);
  g_fold = dst;
  return TRUE;
}

inline uint32_t Fold(wchar_t c, const wchar_t* table) {
  if (c < 0x80) return (c >= L'a' && c <= L'z') ? c - 32u : c;
  return table ? table[c] : c;
}

}  // namespace

uint32_t NameHash(const wchar_t* name, uint32_t length, bool isList) noexcept {
  const wchar_t* table = nullptr;
  uint32_t h = 2166136261u;  // FNV-1a
  for (uint32_t i = 0; i < length; ++i) {
    wchar_t c = name[i];
    if (c >= 0x80 && !table) {
      InitOnceExecuteOnce(&g_foldOnce, BuildFold, nullptr, nullptr);
      table = g_fold;
    }
    h = (h ^ Fold(c, table)) * 16777619u;
  }
  if (isList) h ^= 0x9E3779B9u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}

}  // namespace ovut::profile

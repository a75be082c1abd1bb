// Searches of profile text for one or two UTF-16 code units: the loader's inner loops (line ends,
// tag starts, entities). Eight units at a time where the target has SSE2 (every 64-bit build),
// one at a time otherwise; both give the same offsets.
#pragma once
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ovut::persist {

// Offset of the first unit in [from, n) equal to `a` or `b`, or n.
inline size_t FindEitherUnit(const wchar_t* p, size_t from, size_t n, wchar_t a, wchar_t b) noexcept {
  size_t i = from;
#if defined(__SSE2__)
  static_assert(sizeof(wchar_t) == 2, "UTF-16 units");
  const __m128i va = _mm_set1_epi16(static_cast<short>(a)), vb = _mm_set1_epi16(static_cast<short>(b));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)));
    if (hits) return i + (static_cast<unsigned>(__builtin_ctz(static_cast<unsigned>(hits))) >> 1);
  }
#endif
  while (i < n && p[i] != a && p[i] != b) ++i;
  return i;
}

// Offset of the first unit in [from, n) equal to `c`, or n.
inline size_t FindUnit(const wchar_t* p, size_t from, size_t n, wchar_t c) noexcept {
  return FindEitherUnit(p, from, n, c, c);
}

}  // namespace ovut::persist

// The formatted-input patterns of the typed getters, on UTF-16 text: a literal must match
// exactly, "%d"/"%X"/"%I64u" skip leading blanks (space, TAB, CR, LF, VT, FF), take an optional
// sign, and stop at the first unit that does not fit. Hex accepts an optional 0x/0X prefix and
// both cases of digits. Values wider than the target wrap around, as the C library's scanf does.
#pragma once
#include <cstdint>

namespace ovut::profile {

class clsValueScanner {
 public:
  explicit clsValueScanner(const wchar_t* text) : p_(text) {}
  bool Literal(wchar_t c) {
    if (*p_ != c) return false;
    ++p_;
    return true;
  }
  bool Decimal32(int32_t& out);    // %d
  bool Hex32(uint32_t& out);       // %X, %lx
  bool Hex64(uint64_t& out);       // %I64X
  bool Unsigned64(uint64_t& out);  // %I64u
  const wchar_t* Rest() const { return p_; }

 private:
  bool Number(unsigned base, uint64_t& out);
  const wchar_t* p_;
};

// "(%d,%d,...)" with `count` values: each value is stored as soon as it is converted; the
// result is the number converted.
int ScanTuple(const wchar_t* text, int32_t* const* values, int count);

}  // namespace ovut::profile

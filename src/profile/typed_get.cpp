// Typed getters: read the value text into a fixed buffer (a longer value is cut), deliver the
// default with -6 when there is none, otherwise parse it.
#include "profile/string_ops.h"
#include "profile/typed_values.h"
#include "profile/value_scan.h"

namespace ovut::profile {
namespace {

template <int N>
struct ValueText {
  wchar_t text[N];
  bool Read(ProfHandle job, ProfHandle list, const wchar_t* name) {
    return GetString(job, list, name, text, N, nullptr) >= 1;
  }
};

template <typename T>
int Missing(T* out, const T& def) {
  if (out) *out = def;
  return -6;
}

int MissingRect(RECT* out, const RECT* def) {
  if (out && def && out != def) {
    out->left = def->left;
    out->top = def->top;
    out->right = def->right;
    out->bottom = def->bottom;
  }
  return -6;
}

}  // namespace

int GetBool(ProfHandle job, ProfHandle list, const wchar_t* name, BOOL* out, BOOL def) noexcept {
  ValueText<TypedText::kUnits> v;
  if (!v.Read(job, list, name)) return Missing(out, def);
  if (out) *out = ParseBool(v.text) ? 1 : 0;
  return 0;
}

int GetInt(ProfHandle job, ProfHandle list, const wchar_t* name, int32_t* out, int32_t def) noexcept {
  ValueText<TypedText::kUnits> v;
  if (!v.Read(job, list, name)) return Missing(out, def);
  int32_t value;
  if (!ParseInt(v.text, value)) return -9;
  if (out) *out = value;
  return 0;
}

int GetInt64(ProfHandle job, ProfHandle list, const wchar_t* name, int64_t* out, int64_t def) noexcept {
  ValueText<64> v;
  if (!v.Read(job, list, name)) return Missing(out, def);
  uint64_t value;
  if (!ParseInt64(v.text, value)) return -9;
  if (out) *out = static_cast<int64_t>(value);
  return 0;
}

int GetDouble(ProfHandle job, ProfHandle list, const wchar_t* name, double* out, double def) noexcept {
  ValueText<TypedText::kUnits> v;
  if (!v.Read(job, list, name)) return Missing(out, def);
  if (out) *out = ParseDouble(v.text);
  return 0;
}

int GetPoint(ProfHandle job, ProfHandle list, const wchar_t* name, POINT* out, const POINT* def) noexcept {
  ValueText<TypedText::kUnits> v;
  if (!v.Read(job, list, name)) {
    if (out && def && out != def) *out = *def;
    return -6;
  }
  POINT scratch{};
  POINT* target = out ? out : &scratch;
  int32_t* fields[2] = {reinterpret_cast<int32_t*>(&target->x), reinterpret_cast<int32_t*>(&target->y)};
  return ScanTuple(v.text, fields, 2) == 2 ? 0 : -9;
}

int GetRect(ProfHandle job, ProfHandle list, const wchar_t* name, RECT* out, const RECT* def, bool ltwh) noexcept {
  ValueText<TypedText::kUnits> v;
  if (!v.Read(job, list, name)) return MissingRect(out, def);
  RECT scratch{};
  RECT* target = out ? out : &scratch;
  int32_t* fields[4] = {reinterpret_cast<int32_t*>(&target->left), reinterpret_cast<int32_t*>(&target->top),
                        reinterpret_cast<int32_t*>(&target->right), reinterpret_cast<int32_t*>(&target->bottom)};
  if (ScanTuple(v.text, fields, 4) != 4) return -9;
  if (ltwh) {
    target->right = static_cast<LONG>(static_cast<uint32_t>(target->left) + static_cast<uint32_t>(target->right));
    target->bottom = static_cast<LONG>(static_cast<uint32_t>(target->top) + static_cast<uint32_t>(target->bottom));
  }
  return 0;
}

int GetColorref(ProfHandle job, ProfHandle list, const wchar_t* name, COLORREF* out, COLORREF def) noexcept {
  ValueText<TypedText::kUnits> v;
  if (!v.Read(job, list, name)) return Missing(out, def);
  COLORREF value;
  if (!ParseColorref(v.text, value)) return -9;
  if (out) *out = value;
  return 0;
}

static_assert(sizeof(LONG) == sizeof(int32_t), "POINT and RECT fields are 32-bit on both targets");

}  // namespace ovut::profile

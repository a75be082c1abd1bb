#include "profile/variant_record.h"

#include <cstring>
#include <cwchar>
#include <new>

namespace ovut::profile {

namespace {

constexpr int kNotCarried = -1;  // VARTYPE alone
constexpr int kText = -2;        // VT_BSTR: the characters, no length

// Data bytes a record holds after the VARTYPE.
int DataBytes(VARTYPE vt) noexcept {
  switch (vt) {
    case VT_EMPTY: case VT_NULL:
      return 0;
    case VT_I1: case VT_UI1:
      return 1;
    case VT_I2: case VT_BOOL: case VT_UI2:
      return 2;
    case VT_I4: case VT_R4: case VT_ERROR: case VT_UI4: case VT_INT: case VT_UINT:
      return 4;
    case VT_R8: case VT_CY: case VT_DATE: case VT_I8: case VT_UI8: case VT_FILETIME:
      return 8;
    case VT_BSTR:
      return kText;
    default:  // VT_CLSID too: its value field only points at a GUID held elsewhere
      return kNotCarried;
  }
}

// The value a VARIANT stands for: its type without VT_BYREF and where its value field lies.
// By-reference values point at what would be the value field; VT_VARIANT|VT_BYREF at another
// VARIANT, followed a bounded number of times.
struct Resolved {
  VARTYPE vt = VT_EMPTY;
  const void* field = nullptr;
};

Resolved Resolve(const VARIANT* v) noexcept {
  for (int hop = 0; hop < 4 && v; ++hop) {
    if (v->vt == (VT_VARIANT | VT_BYREF)) {
      v = v->pvarVal;
      continue;
    }
    Resolved r;
    if (v->vt & VT_BYREF) {
      if (!v->byref) return {};
      r.vt = static_cast<VARTYPE>(v->vt & ~VT_BYREF);
      r.field = v->byref;
    } else {
      r.vt = v->vt;
      r.field = &v->llVal;
    }
    return r;
  }
  return {};
}

}  // namespace

bool EncodeVariantRecord(const VARIANT& value, ovut::codec::ByteBuffer& out) noexcept {
  try {
    const Resolved r = Resolve(&value);
    out.assign({static_cast<uint8_t>(r.vt & 0xFF), static_cast<uint8_t>(r.vt >> 8)});
    const int n = (r.vt & (VT_ARRAY | VT_VECTOR)) ? kNotCarried : DataBytes(r.vt);
    const auto* bytes = static_cast<const uint8_t*>(r.field);
    if (n > 0) {
      out.insert(out.end(), bytes, bytes + n);
    } else if (n == kText) {
      // A BSTR counts up to its first NUL; a null BSTR is the empty text.
      BSTR s = *static_cast<const BSTR*>(r.field);
      if (s) {
        const auto* chars = reinterpret_cast<const uint8_t*>(s);
        out.insert(out.end(), chars, chars + std::wcslen(s) * sizeof(wchar_t));
      }
    }
    return true;
  } catch (const std::bad_alloc&) {
    out.clear();
    return false;
  }
}

void DecodeVariantRecord(const uint8_t* data, size_t size, VARIANT& out) noexcept {
  // VariantInit sets the type alone; the bytes a short record does not carry must read as 0.
  std::memset(&out, 0, sizeof out);
  VariantInit(&out);
  if (!data || size < 2) return;
  const VARTYPE vt = static_cast<VARTYPE>(data[0] | (data[1] << 8));
  const uint8_t* rest = data + 2;
  const size_t restSize = size - 2;
  int n = DataBytes(vt);
  if (vt == VT_FILETIME && restSize >= 2 && restSize < 8) n = 2;  // older records: zero-filled
  if (n == kText) {
    BSTR s = SysAllocStringLen(nullptr, static_cast<UINT>(restSize / sizeof(wchar_t)));
    if (!s) return;
    std::memcpy(s, rest, restSize / sizeof(wchar_t) * sizeof(wchar_t));
    out.vt = VT_BSTR;
    out.bstrVal = s;
    return;
  }
  if (n < 0 || restSize < static_cast<size_t>(n)) return;
  std::memcpy(&out.llVal, rest, static_cast<size_t>(n));
  out.vt = vt;
}

void CopyVariantResolved(VARIANT* out, const VARIANT* source) noexcept {
  if (!out) return;
  VARIANT copy;
  VariantInit(&copy);
  if (source && FAILED(VariantCopyInd(&copy, const_cast<VARIANT*>(source)))) {
    VariantInit(&copy);
    const Resolved r = Resolve(source);
    if (r.vt == VT_FILETIME) {
      std::memcpy(&copy.llVal, r.field, sizeof(FILETIME));
      copy.vt = VT_FILETIME;
    } else if (r.vt == VT_CLSID && r.field == &source->llVal) {
      copy.byref = source->byref;
      copy.vt = VT_CLSID;
    }
  }
  // Clearing may refuse types it does not know; those own nothing, so overwriting loses nothing.
  VariantClear(out);
  *out = copy;
}

}  // namespace ovut::profile

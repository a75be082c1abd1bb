#include "docinfo/summary_properties.h"

#include <oleauto.h>

#include "docinfo/byte_source.h"

namespace docinfo {
namespace {

// Bounds a hostile vector: the fields are display texts.
constexpr ULONG kMaxVectorItems = 256;

String NarrowText(const char* text, UINT codePage) {
  if (!text) return String();
  return TextFromBytes(text, strnlen(text, 0x100000), codePage);
}

String WideText(const wchar_t* text) {
  if (!text) return String();
  return String(text, 0, static_cast<int>(wcsnlen(text, 0x100000)));
}

bool IsVariantScalar(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8: case VT_UI8:
    case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_DECIMAL:
      return true;
    default:
      return false;
  }
}

}  // namespace

String PropVariantText(const PROPVARIANT& value, UINT codePage) {
  switch (value.vt) {
    case VT_LPWSTR: return WideText(value.pwszVal);
    case VT_LPSTR: return NarrowText(value.pszVal, codePage);
    case VT_BSTR: return value.bstrVal ? String(value.bstrVal, 0, static_cast<int>(SysStringLen(value.bstrVal)))
                                       : String();
    case VT_BOOL: return String(value.boolVal ? L"true" : L"false");
    case VT_VECTOR | VT_LPWSTR:
    case VT_VECTOR | VT_LPSTR: {
      String joined;
      const bool wide = value.vt == (VT_VECTOR | VT_LPWSTR);
      const ULONG n = wide ? value.calpwstr.cElems : value.calpstr.cElems;
      for (ULONG i = 0; i < n && i < kMaxVectorItems; ++i) {
        String item = wide ? WideText(value.calpwstr.pElems[i]) : NarrowText(value.calpstr.pElems[i], codePage);
        if (item.IsEmpty()) continue;
        if (!joined.IsEmpty()) joined.Append(L"; ");
        joined.Append(item);
      }
      return joined;
    }
    default:
      break;
  }
  if (!IsVariantScalar(value.vt)) return String();
  // For these types a PROPVARIANT is laid out as a VARIANT.
  VARIANT copy, text;
  VariantInit(&copy);
  VariantInit(&text);
  String result;
  if (SUCCEEDED(VariantCopyInd(&copy, reinterpret_cast<VARIANT*>(const_cast<PROPVARIANT*>(&value)))) &&
      SUCCEEDED(VariantChangeType(&text, &copy, 0, VT_BSTR)) && text.bstrVal)
    result = String(text.bstrVal, 0, static_cast<int>(SysStringLen(text.bstrVal)));
  VariantClear(&text);
  VariantClear(&copy);
  return result;
}

void SummaryAssigner::Assign(PROPID id, const PROPVARIANT& value) {
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) return;
  switch (id) {
    case PIDSI_TITLE:
    case PIDSI_SUBJECT:
    case PIDSI_AUTHOR:
    case PIDSI_KEYWORDS:
    case PIDSI_COMMENTS:
    case PIDSI_LASTAUTHOR:
      AssignText(id, PropVariantText(value, codePage_));
      return;
    case PIDSI_CREATE_DTM:
    case PIDSI_LASTSAVE_DTM:
      if (value.vt == VT_FILETIME &&
          LocalTimeFromFileTime(value.filetime, id == PIDSI_CREATE_DTM ? fields_.created : fields_.modified))
        assigned_ = true;
      return;
    case PIDSI_PAGECOUNT:
      pageCount_ = PropVariantText(value, codePage_);
      if (!pageCount_.IsEmpty()) assigned_ = true;
      return;
    default:
      return;
  }
}

void SummaryAssigner::AssignText(PROPID id, const String& text) {
  switch (id) {
    case PIDSI_TITLE: fields_.title = text; break;
    case PIDSI_SUBJECT: fields_.subject = text; break;
    case PIDSI_AUTHOR: fields_.author = text; break;
    case PIDSI_KEYWORDS: fields_.keywords = text; break;
    case PIDSI_COMMENTS: fields_.comments = text; break;
    case PIDSI_LASTAUTHOR: fields_.lastAuthor = text; break;
    default: return;
  }
  assigned_ = true;
}

void SummaryAssigner::Finish() {
  if (!pageCount_.IsEmpty() && fields_.comments.IsEmpty()) fields_.comments = pageCount_ + String(L" p");
}

}  // namespace docinfo

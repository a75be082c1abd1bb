// Libraries of the document readers: XmlLite for XML parts and the filter library for text
// and properties through IFilter.
#pragma once
#include <windows.h>
#include <objidl.h>

#include "environment/late_load.h"

namespace ovut::env {

class clsXMLLite : public CLateLoadBase {
 public:
  constexpr clsXMLLite() : CLateLoadBase(L"XmlLite") {}
};
class clsQuery : public CLateLoadBase {
 public:
  constexpr clsQuery() : CLateLoadBase(L"query") {}
};
extern clsXMLLite XMLLite;
extern clsQuery Query;

// Plain COM entries (no "W" forms): (riid, out object, malloc or null).
OVUT_LATE_DECL(p_CreateXmlReader, HRESULT(WINAPI*)(REFIID, void**, IMalloc*));
OVUT_LATE_DECL(p_CreateXmlWriter, HRESULT(WINAPI*)(REFIID, void**, IMalloc*));
// (path, outer unknown, out IFilter).
OVUT_LATE_DECL(p_LoadIFilter, HRESULT(WINAPI*)(PCWSTR, IUnknown*, void**));

}  // namespace ovut::env

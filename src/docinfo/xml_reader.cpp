// XML documents (ODF flat files, OOXML parts, word-processor XML) read with XmlLite: the
// Dublin Core, OOXML and ODF property elements and the Office properties block.
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <string>
#include <vector>

#include "diagnostics/debug_output.h"
#include "docinfo/doc_dates.h"
#include "docinfo/doc_fields.h"
#include "docinfo/office_properties.h"
#include "docinfo/source_read.h"
#include "docinfo/text_decode.h"
#include "environment/late_documents.h"
#include "foundation/com_ptr.h"

namespace docinfo {
namespace {

// Word-processor XML holds its properties before the body; the rest is not read.
constexpr size_t kMaxXmlBytes = 8u << 20;
constexpr UINT kMaxDepth = 256;
constexpr uint32_t kMaxElementText = 64 * 1024;

struct Open {
  String name;
  String text;
};

String ErrorCode(HRESULT hr) { return String::Formatted(L"0x%08lX", static_cast<unsigned long>(hr)); }

class ElementMap {
 public:
  explicit ElementMap(DocFields& fields) : fields_(fields) {}

  void End(const Open& element, const String& parent) {
    const wchar_t* n = element.name.c_str();
    const String value = TrimmedText(element.text);
    if (_wcsicmp(parent.c_str(), L"o:DocumentProperties") == 0 && _wcsnicmp(n, L"o:", 2) == 0) {
      TakeOfficeProperty(String(n + 2), value, fields_);
      return;
    }
    if (wcscmp(n, L"meta:keyword") == 0) {
      if (!value.IsEmpty()) {
        if (!keywords_.IsEmpty()) keywords_.Append(L", ");
        keywords_.Append(value);
        fields_.keywords = keywords_;
      }
      return;
    }
    static const struct {
      const wchar_t* name;
      String DocFields::*text;
      SYSTEMTIME DocFields::*date;
    } kElements[] = {
        {L"dc:title", &DocFields::title, nullptr},
        {L"dc:subject", &DocFields::subject, nullptr},
        {L"dc:creator", &DocFields::author, nullptr},
        {L"meta:initial-creator", &DocFields::author, nullptr},
        {L"cp:lastModifiedBy", &DocFields::lastAuthor, nullptr},
        {L"cp:keywords", &DocFields::keywords, nullptr},
        {L"dc:description", &DocFields::comments, nullptr},
        {L"dcterms:created", nullptr, &DocFields::created},
        {L"meta:creation-date", nullptr, &DocFields::created},
        {L"dcterms:modified", nullptr, &DocFields::modified},
        {L"dc:date", nullptr, &DocFields::modified},
    };
    for (const auto& e : kElements) {
      if (wcscmp(n, e.name) != 0) continue;
      if (e.text) {
        fields_.*(e.text) = value;
      } else {
        SYSTEMTIME t;
        if (ParseIsoDate(value, t)) fields_.*(e.date) = t;
      }
      return;
    }
  }

 private:
  DocFields& fields_;
  String keywords_;
};

}  // namespace

int ReadXml(const DocSource& source, DocFields& fields) noexcept {
  try {
    std::string bytes;
    if (!ReadSourceAt(source, 0, kMaxXmlBytes, bytes)) return -1;
    const bool cut = bytes.size() < source.size;
    auto create = ovut::env::p_CreateXmlReader.Get();
    if (!create) {
      ovut::debug::Warning(L"WRN: XmlLite is not available");
      return -3;
    }
    clsAutoRelease<IStream> stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    if (!stream) return -1;
    bytes.clear();
    bytes.shrink_to_fit();
    clsAutoRelease<IXmlReader> reader;
    if (FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.Put()), nullptr))) return -3;
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxDepth);
    if (FAILED(reader->SetInput(stream.Get()))) return -1;

    ElementMap map(fields);
    std::vector<Open> open;
    bool anyElement = false;
    XmlNodeType type;
    HRESULT hr;
    // Each node consumes input; the count only guards against a reader that stops advancing.
    size_t budget = kMaxXmlBytes;
    while ((hr = reader->Read(&type)) == S_OK && type != XmlNodeType_None && budget-- > 0) {
      if (type == XmlNodeType_Element) {
        anyElement = true;
        const WCHAR* prefix = nullptr;
        const WCHAR* local = nullptr;
        UINT prefixLength = 0, localLength = 0;
        if (FAILED(hr = reader->GetPrefix(&prefix, &prefixLength))) {
          ovut::debug::Warning(L"Error getting prefix, error is %s", ErrorCode(hr).c_str());
          break;
        }
        if (FAILED(hr = reader->GetLocalName(&local, &localLength))) {
          ovut::debug::Warning(L"Error getting local name, error is %s", ErrorCode(hr).c_str());
          break;
        }
        Open element;
        if (prefixLength) element.name.Append(prefix, prefixLength).Append(L':');
        element.name.Append(local, localLength);
        if (reader->IsEmptyElement()) continue;
        if (open.size() >= kMaxDepth) break;
        open.push_back(element);
      } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace) {
        if (open.empty()) continue;
        const WCHAR* value = nullptr;
        UINT length = 0;
        if (FAILED(hr = reader->GetValue(&value, &length))) {
          ovut::debug::Warning(L"Error getting value, error is %s", ErrorCode(hr).c_str());
          break;
        }
        String& text = open.back().text;
        if (text.Length() + length <= kMaxElementText) text.Append(value, length);
      } else if (type == XmlNodeType_EndElement && !open.empty()) {
        const Open element = open.back();
        open.pop_back();
        map.End(element, open.empty() ? String() : open.back().name);
      }
    }
    if (FAILED(hr) && !cut) ovut::debug::Warning(L"ERR: read() returned %s", ErrorCode(hr).c_str());
    return anyElement ? 0 : -2;
  } catch (...) {
    return -1;
  }
}

}  // namespace docinfo

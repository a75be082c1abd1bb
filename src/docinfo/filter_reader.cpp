// Properties through the platform's document filters: whatever format a filter is registered
// for, its summary values arrive as value chunks.
#include <windows.h>
#include <filter.h>
#include <filterr.h>
#include <ntquery.h>

#include <new>

#include "diagnostics/debug_output.h"
#include "docinfo/com_apartment.h"
#include "docinfo/doc_fields.h"
#include "docinfo/prop_variant_owner.h"
#include "docinfo/summary_properties.h"
#include "environment/late_documents.h"
#include "foundation/com_ptr.h"

namespace docinfo {
namespace {

// Text chunks are skipped one call each; a document of more than this many has given its
// properties long before (filters deliver them first).
constexpr int kMaxChunks = 4096;

bool IsPdf(const wchar_t* path) {
  const wchar_t* dot = wcsrchr(path, L'.');
  return dot && !wcschr(dot, L'\\') && lstrcmpiW(dot, L".pdf") == 0;
}

int Read(const DocSource& source, DocFields& fields) {
  auto load = ovut::env::p_LoadIFilter.Get();
  if (!load) return -1;
  ComApartment com;
  if (!com.Usable()) return -1;
  clsAutoRelease<IFilter> filter;
  if (FAILED(load(source.path, nullptr, reinterpret_cast<void**>(filter.Put()))) || !filter) return -1;
  ULONG flags = 0;
  if (FAILED(filter->Init(IFILTER_INIT_APPLY_INDEX_ATTRIBUTES | IFILTER_INIT_APPLY_OTHER_ATTRIBUTES, 0, nullptr,
                          &flags)))
    return -1;

  DocFields found = fields;
  SummaryAssigner assign(found);
  for (int i = 0; i < kMaxChunks; ++i) {
    STAT_CHUNK chunk{};
    const HRESULT hr = filter->GetChunk(&chunk);
    if (hr == FILTER_E_EMBEDDING_UNAVAILABLE || hr == FILTER_E_LINK_UNAVAILABLE) continue;
    if (FAILED(hr)) break;  // FILTER_E_END_OF_CHUNKS or a broken document
    if (!(chunk.flags & CHUNK_VALUE) || chunk.attribute.psProperty.ulKind != PRSPEC_PROPID ||
        !IsEqualGUID(chunk.attribute.guidPropSet, FMTID_SummaryInformation))
      continue;
    PropVariantPtr value;
    if (SUCCEEDED(filter->GetValue(value.Put())) && value.Get())
      assign.Assign(chunk.attribute.psProperty.propid, *value.Get());
  }
  // A filter that yields no property leaves the file to the format readers.
  if (!assign.Assigned()) return -1;
  assign.Finish();
  fields = found;
  return 0;
}

}  // namespace

int ReadFilter(const DocSource& source, DocFields& fields) noexcept {
  if (!source.path || IsPdf(source.path)) return -1;
  try {
    return Read(source, fields);
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: out of memory reading the filter values of '%s'", source.path);
    return -1;
  }
}

}  // namespace docinfo

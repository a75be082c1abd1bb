// Summary information of compound files (documents of office programs and anything else that
// stores the summary property set).
#include <windows.h>
#include <ole2.h>

#include <new>

#include "diagnostics/debug_output.h"
#include "docinfo/doc_fields.h"
#include "docinfo/prop_variant_owner.h"
#include "docinfo/property_set_stream.h"
#include "docinfo/summary_properties.h"
#include "foundation/com_ptr.h"

namespace docinfo {
namespace {

constexpr PROPID kFirstId = PIDSI_TITLE;   // 2
constexpr PROPID kLastId = PIDSI_DOC_SECURITY;  // 19
constexpr size_t kIdCount = kLastId - kFirstId + 1;

// The code page narrow strings of the set are stored in (0: the ANSI code page).
UINT SetCodePage(IPropertyStorage* set) {
  PROPSPEC which{};
  which.ulKind = PRSPEC_PROPID;
  which.propid = PID_CODEPAGE;
  PropVariantArray<1> value;
  if (set->ReadMultiple(1, &which, value.Data()) != S_OK || value[0].vt != VT_I2) return 0;
  const UINT cp = static_cast<USHORT>(value[0].iVal);
  return cp == 1200 || !IsValidCodePage(cp) ? 0 : cp;  // 1200: the set's texts are UTF-16 anyway
}

int Read(const DocSource& source, DocFields& fields) {
  clsAutoRelease<IStorage> storage;
  HRESULT hr = StgOpenStorage(source.path, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, storage.Put());
  if (FAILED(hr)) return -1;
  clsAutoRelease<IPropertySetStorage> sets;
  hr = storage->QueryInterface(IID_IPropertySetStorage, reinterpret_cast<void**>(sets.Put()));
  if (FAILED(hr)) return -1;
  String narrow[kIdCount];
  bool haveNarrow[kIdCount] = {};
  if (ScanPropertySetStream(storage.Get(), L"\005SummaryInformation", kFirstId, kLastId, narrow, haveNarrow) ==
      SetStream::kMalformed) {
    ovut::debug::Warning(L"WRN: summary properties of '%s' are damaged", source.path);
    return -1;
  }
  clsAutoRelease<IPropertyStorage> set;
  hr = sets->Open(FMTID_SummaryInformation, STGM_READ | STGM_SHARE_EXCLUSIVE, set.Put());
  if (FAILED(hr)) return -1;

  PROPSPEC ids[kIdCount];
  for (size_t i = 0; i < kIdCount; ++i) {
    ids[i].ulKind = PRSPEC_PROPID;
    ids[i].propid = kFirstId + static_cast<PROPID>(i);
  }
  PropVariantArray<kIdCount> values;
  hr = set->ReadMultiple(kIdCount, ids, values.Data());
  if (FAILED(hr)) {
    ovut::debug::Warning(L"WRN: summary properties of '%s' cannot be read (%#lx)", source.path,
                         static_cast<unsigned long>(hr));
    return -1;
  }
  SummaryAssigner assign(fields, SetCodePage(set.Get()));
  for (size_t i = 0; i < kIdCount; ++i) {
    // A narrow text the property storage could not convert arrives empty or lossy.
    if (haveNarrow[i]) assign.AssignText(ids[i].propid, narrow[i]);
    else assign.Assign(ids[i].propid, values[i]);
  }
  assign.Finish();
  return 0;
}

}  // namespace

int ReadOlePropertySets(const DocSource& source, DocFields& fields) noexcept {
  if (!source.path) return -1;
  try {
    return Read(source, fields);
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: out of memory reading the summary properties of '%s'", source.path);
    return -1;
  }
}

}  // namespace docinfo

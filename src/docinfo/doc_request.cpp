// Delivery of one document's values into the host's variants.
#include <windows.h>
#include <oleauto.h>

#include "docinfo/doc_info_api.h"

namespace docinfo {

namespace {

// Dates pass through an MS-DOS date and time (2-second resolution); hosts compare them with
// values they got that way.
void PutDate(VARIANT* target, const SYSTEMTIME& local) noexcept {
  if (!target || local.wYear == 0) return;
  FILETIME ft;
  WORD dosDate = 0, dosTime = 0;
  double value = 0;
  if (!SystemTimeToFileTime(&local, &ft) || !FileTimeToDosDateTime(&ft, &dosDate, &dosTime) ||
      !DosDateTimeToVariantTime(dosDate, dosTime, &value))
    return;
  VariantClear(target);
  V_VT(target) = VT_DATE;
  V_DATE(target) = value;
}

void PutText(VARIANT* target, const String& text) noexcept {
  if (!target) return;
  VariantClear(target);
  BSTR copy = SysAllocStringLen(text.c_str(), text.Length());
  if (!copy) return;  // out of memory: the variant stays empty
  V_VT(target) = VT_BSTR;
  V_BSTR(target) = copy;
}

}  // namespace

void FillRequest(const DocuState& state, UTIL_DOCINFO_REQUEST& request) noexcept {
  const DWORD size = request.size;
  if (size < UTIL_DOCINFO_REQUEST_MIN_SIZE) return;
  const DocFields& f = state.fields;
  PutDate(request.created, f.created);
  PutDate(request.modified, f.modified);
  PutText(request.title, f.title);
  PutText(request.subject, f.subject);
  PutText(request.author, f.author);
  PutText(request.lastAuthor, f.lastAuthor);
  PutText(request.keywords, f.keywords);
  PutText(request.comments, f.comments);
  if (size >= UTIL_DOCINFO_REQUEST_FULL_SIZE) PutText(request.sourcePath, state.sourcePath);
}

}  // namespace docinfo

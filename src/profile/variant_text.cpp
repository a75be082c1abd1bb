#include "profile/variant_text.h"

#include <cwchar>

#include "foundation/memory_file.h"
#include "profile/codec/packed_decode.h"
#include "profile/codec/packed_text.h"
#include "profile/job_table.h"
#include "profile/string_ops.h"
#include "profile/tree_path.h"
#include "profile/variant_record.h"

namespace ovut::profile {

namespace {

constexpr wchar_t kVariantPrefix[] = L"var://";

bool HasVariantPrefix(const wchar_t* text, size_t length) noexcept {
  return length >= kVariantPrefixLength && std::wmemcmp(text, kVariantPrefix, kVariantPrefixLength) == 0;
}

bool EncodeText(const VARIANT& value, String& text) {
  ovut::codec::ByteBuffer record;
  if (!EncodeVariantRecord(value, record)) return false;
  clsAutoRelease<clsFile> memory = ovut::NewMemoryFile();
  if (!memory || memory->Write(record.data(), static_cast<DWORD>(record.size())) != record.size()) return false;
  String packed = ovut::codec::StreamToText(*memory.Get(), record.size() > kVariantCompressAbove, String());
  if (packed.IsEmpty()) return false;
  text = kVariantPrefix;
  text += packed;
  return true;
}

}  // namespace

bool VariantToText(const VARIANT& value, String& text) noexcept {
  try {
    if (EncodeText(value, text)) return true;
  } catch (...) {
  }
  text.Clear();
  return false;
}

void TextToVariant(const wchar_t* text, size_t length, VARIANT* out) noexcept {
  if (!out) return;
  VARIANT value;
  VariantInit(&value);
  if (length && HasVariantPrefix(text, length)) {
    ovut::codec::ByteBuffer record;
    auto verdict = ovut::codec::DecodeText(text + kVariantPrefixLength, length - kVariantPrefixLength, String(), record);
    // Unmarked "@2@" data passes through, as the codec reads it everywhere else.
    if (verdict == ovut::codec::DecodeVerdict::kOk || verdict == ovut::codec::DecodeVerdict::kNoMarker)
      DecodeVariantRecord(record.data(), record.size(), value);
  } else if (length) {
    BSTR s = SysAllocStringLen(text, static_cast<UINT>(length));
    if (s) {
      value.vt = VT_BSTR;
      value.bstrVal = s;
    }
  }
  VariantClear(out);
  *out = value;
}

void WriteVariant(ProfHandle job, ProfHandle list, const wchar_t* name, const VARIANT* value, bool append) noexcept {
  if (!value) return;
  JobRef held = FindJob(job);
  if (!held) return;
  String text;
  if (!VariantToText(*value, text)) return;
  WriteString(job, list, name, text.c_str(), append);
}

int GetVariant(ProfHandle job, ProfHandle list, const wchar_t* name, VARIANT* out, const VARIANT* def) noexcept {
  if (!out) return 0;
  JobRef held = FindJob(job);
  if (!held) return 0;
  PathText path = PathText::Of(name ? name : L"");
  clsItem* item = FindValueItem(StartList(*held, list, path), path);
  if (!item) {
    CopyVariantResolved(out, def);
    return -6;
  }
  TextToVariant(item->Value(), item->ValueLength(), out);
  return 0;
}

}  // namespace ovut::profile

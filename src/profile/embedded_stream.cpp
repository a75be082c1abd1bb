#include "profile/embedded_stream.h"

#include "diagnostics/debug_output.h"
#include "foundation/file.h"
#include "profile/codec/packed_decode.h"
#include "profile/codec/packed_text.h"
#include "profile/codec/stream_deflate.h"
#include "profile/job_table.h"
#include "profile/string_ops.h"
#include "profile/tree_path.h"

namespace ovut::profile {

using ovut::codec::ByteBuffer;
using ovut::codec::DecodeVerdict;

int DecodePayload(const wchar_t* text, size_t length, const String& password, ByteBuffer& out) noexcept {
  switch (ovut::codec::DecodeText(text, length, password, out)) {
    case DecodeVerdict::kOk:
      // A stored payload is never empty: text that decodes to nothing is not one.
      if (!out.empty()) return 0;
      return kPayloadDamaged;
    case DecodeVerdict::kEmpty:
      return -6;
    case DecodeVerdict::kNoMarker:
      out.clear();
      return kPayloadWrongPassword;
    case DecodeVerdict::kDamaged:
      break;
  }
  out.clear();
  return kPayloadDamaged;
}

bool WriteWhole(clsFile& target, const ByteBuffer& data) {
  bool ok = target.Seek(uint64_t(0)) == 0;
  for (size_t done = 0; ok && done < data.size();) {
    DWORD want = data.size() - done < ovut::codec::kStreamChunk ? static_cast<DWORD>(data.size() - done)
                                                                 : ovut::codec::kStreamChunk;
    ok = target.Write(data.data() + done, want) == want;
    done += want;
  }
  // A failed write leaves the end where it was rather than cutting the target short.
  if (ok) ok = target.SetEOF();
  target.Seek(uint64_t(0));
  return ok;
}

void AppendPayload(ProfHandle job, ProfHandle list, const wchar_t* name, const wchar_t* password, clsFile& source) {
  JobRef held = FindJob(job);
  if (!held) return;
  String text = ovut::codec::StreamToText(source, true, String(password ? password : L""));
  WriteString(job, list, name, text.c_str(), true);
}

namespace {

template <typename Target>
int GetPayloadInto(ProfHandle job, ProfHandle list, const wchar_t* name, const wchar_t* password, Target target) {
  JobRef held = FindJob(job);
  if (!held) return 0;
  PathText path = PathText::Of(name ? name : L"");
  clsItem* item = FindValueItem(StartList(*held, list, path), path);
  if (!item || item->ValueLength() == 0) return -6;
  ByteBuffer data;
  int rc = DecodePayload(item->Value(), item->ValueLength(), String(password ? password : L""), data);
  if (rc == kPayloadWrongPassword)
    ovut::debug::Warning(L"WRN: the password does not fit the payload '%s'; nothing written", name ? name : L"");
  if (rc != 0) return rc;
  clsFileRW file(target);
  if (!file.IsOpen() || !WriteWhole(file, data)) {
    ovut::debug::Warning(L"ERR: the payload '%s' could not be written", name ? name : L"");
    return kPayloadNotWritten;
  }
  return 0;
}

}  // namespace

int GetPayload(ProfHandle job, ProfHandle list, const wchar_t* name, const wchar_t* password, IStream* target) {
  return GetPayloadInto(job, list, name, password, target);
}

int GetPayload(ProfHandle job, ProfHandle list, const wchar_t* name, const wchar_t* password, HANDLE target) {
  return GetPayloadInto(job, list, name, password, target);
}

}  // namespace ovut::profile

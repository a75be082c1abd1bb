#include "profile/codec/packed_decode.h"

#include <cstring>
#include <new>

#include "diagnostics/debug_output.h"
#include "profile/codec/base64.h"
#include "profile/codec/blowfish.h"

namespace ovut::codec {

namespace {

DecodeVerdict Decode(const wchar_t* text, size_t length, const String& password, ByteBuffer& out, bool checkOnly) {
  enum { kPlain, kPacked, kOldPacked } form = kPlain;
  if (length >= 3 && text[0] == L'@' && text[2] == L'@' && (text[1] == L'2' || text[1] == L'1')) {
    form = text[1] == L'2' ? kPacked : kOldPacked;
    text += 3;
    length -= 3;
  }
  out.resize(Base64DecodedCapacity(length));
  out.resize(Base64Decode(text, length, out.data(), form == kOldPacked));
  if (out.size() >= 8 && !password.IsEmpty()) {
    clsCharsetConversionString narrow(password.c_str());
    clsBlowfish(narrow.Narrow()).Decode(out.data(), out.size());
  }
  if (form == kPacked) {
    if (out.size() < kPackedHeader || std::memcmp(out.data() + 4, kPackedMarker, sizeof kPackedMarker) != 0) {
      if (checkOnly) out.clear();
      return DecodeVerdict::kNoMarker;
    }
    if (checkOnly) {
      out.clear();
      return DecodeVerdict::kOk;
    }
    // The encoder never packs nothing, so an empty result means the zlib data is damaged.
    UnpackBuffer(out);
    return out.empty() ? DecodeVerdict::kDamaged : DecodeVerdict::kOk;
  }
  if (checkOnly) {
    out.clear();
    return DecodeVerdict::kOk;
  }
  if (form == kOldPacked && !out.empty()) {
    UnpackOldBuffer(out);
    if (out.empty()) return DecodeVerdict::kDamaged;
  }
  return DecodeVerdict::kOk;
}

}  // namespace

DecodeVerdict DecodeText(const wchar_t* text, size_t length, const String& password, ByteBuffer& out,
                         bool checkOnly) noexcept {
  out.clear();
  if (!text || length == 0) return DecodeVerdict::kEmpty;
  try {
    return Decode(text, length, password, out, checkOnly);
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: out of memory decoding a text of %I64u units", uint64_t(length));
    out.clear();
    out.shrink_to_fit();
    return DecodeVerdict::kDamaged;
  }
}

}  // namespace ovut::codec

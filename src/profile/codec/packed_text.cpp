#include "profile/codec/packed_text.h"

#include <new>

#include "diagnostics/debug_output.h"
#include "foundation/file.h"
#include "profile/codec/base64.h"
#include "profile/codec/blowfish.h"
#include "profile/codec/pack.h"
#include "profile/codec/stream_deflate.h"

namespace ovut::codec {

namespace {

// Largest input whose Base64 still fits a String (32-bit length).
constexpr uint64_t kMaxTextBytes = uint64_t(0x7FFFFFF0) / 4 * 3;

clsBlowfish CipherFor(const String& password) {
  clsCharsetConversionString narrow(password.c_str());
  return clsBlowfish(narrow.Narrow());
}

// All `size` bytes from offset 0, or false: a cut read must not pass for the whole stream.
// Streams may hand out less than asked per call, so only a read of nothing ends it.
bool ReadAll(clsFile& source, uint64_t size, ByteBuffer& out) {
  out.resize(static_cast<size_t>(size));
  if (source.Seek(uint64_t(0)) != 0) return false;
  size_t done = 0;
  while (done < out.size()) {
    DWORD want = out.size() - done < kStreamChunk ? static_cast<DWORD>(out.size() - done) : kStreamChunk;
    DWORD got = source.Read(out.data() + done, want);
    if (got == 0) break;
    done += got;
  }
  if (done == out.size()) return true;
  ovut::debug::Warning(L"ERR: %s: only %I64u of %I64u bytes could be read", source.DisplayName().c_str(),
                       uint64_t(done), size);
  return false;
}

}  // namespace

String StreamToText(clsFile& source, bool pack, const String& password) {
  uint64_t size = source.Size();
  if (size == 0 || size == clsFile::kUnknown) return String();
  if (size > kMaxTextBytes) {
    ovut::debug::Warning(L"ERR: stream of %I64u bytes is too large for a text", size);
    return String();
  }
  try {
    ByteBuffer data;
    if (!ReadAll(source, size, data) || data.empty()) return String();
    if (pack) PackBuffer(data);
    if (data.size() >= 8 && !password.IsEmpty()) CipherFor(password).Encode(data.data(), data.size());
    String text = Base64Encode(data.data(), data.size());
    if (!pack) return text;
    String out(L"@2@");
    out += text;
    return out;
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: out of memory encoding a stream of %I64u bytes", size);
    return String();
  }
}

bool TextToStream(clsFile& target, const String& text, const String& password) {
  if (text.IsEmpty()) return false;
  const wchar_t* p = text.c_str();
  size_t length = text.Length();
  enum { kPlain, kPacked, kOldPacked } form = kPlain;
  if (length >= 3 && p[0] == L'@' && p[2] == L'@' && (p[1] == L'2' || p[1] == L'1')) {
    form = p[1] == L'2' ? kPacked : kOldPacked;
    p += 3;
    length -= 3;
  }
  ByteBuffer data;
  try {
    data.resize(Base64DecodedCapacity(length));
    data.resize(Base64Decode(p, length, data.data(), form == kOldPacked));
    // Anything the encoder enciphered (8 bytes and more) is deciphered.
    if (data.size() >= 8 && !password.IsEmpty()) CipherFor(password).Decode(data.data(), data.size());
    if (form == kPacked) UnpackBuffer(data);
    if (form == kOldPacked) UnpackOldBuffer(data);
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: out of memory decoding a text of %u units", text.Length());
    data.clear();
  }
  target.Seek(uint64_t(0));
  size_t done = 0;
  while (done < data.size()) {
    DWORD want = data.size() - done < kStreamChunk ? static_cast<DWORD>(data.size() - done) : kStreamChunk;
    if (target.Write(data.data() + done, want) != want) break;
    done += want;
  }
  target.SetEOF();
  target.Seek(uint64_t(0));
  return true;
}

}  // namespace ovut::codec

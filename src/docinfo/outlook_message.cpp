// Outlook message files: a compound file with one stream per property, a sub-storage per
// recipient and a stream of fixed-size properties.
#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <new>
#include <vector>

#include "diagnostics/debug_output.h"
#include "docinfo/byte_source.h"
#include "docinfo/doc_fields.h"
#include "foundation/com_ptr.h"

namespace docinfo {
namespace {

// Display texts: a longer property stream is cut.
constexpr ULONG kMaxTextBytes = 64 * 1024;
// The fixed-size property stream of the message: a 32-byte header, then 16-byte entries.
constexpr ULONG kMaxPropertyBytes = 1024 * 1024;
constexpr ULONG kPropertyHeader = 32;
constexpr int kMaxRecipients = 4096;

constexpr ULONG kSubject = 0x0037, kSentRepresentingName = 0x0042, kSentRepresentingAddress = 0x0065,
                kSenderName = 0x0C1A, kSenderAddress = 0x0C1F, kDisplayName = 0x3001, kEmailAddress = 0x3003;
constexpr ULONG kClientSubmitTime = 0x00390040, kDeliveryTime = 0x0E060040;

// The bytes of a stream, at most `cap` of them.
bool ReadStream(IStorage* storage, const wchar_t* name, ULONG cap, std::vector<uint8_t>& out) {
  clsAutoRelease<IStream> stream;
  if (FAILED(storage->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put()))) return false;
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return false;
  const ULONG want = stat.cbSize.QuadPart < cap ? static_cast<ULONG>(stat.cbSize.QuadPart) : cap;
  out.resize(want);
  ULONG got = 0;
  if (want && FAILED(stream->Read(out.data(), want, &got))) return false;
  out.resize(got);
  return true;
}

// A string property: Unicode (type 001F) or, in older files, 8-bit text (type 001E).
String StringProperty(IStorage* storage, ULONG id) {
  wchar_t name[32];
  std::vector<uint8_t> bytes;
  wsprintfW(name, L"__substg1.0_%04X001F", id);
  if (ReadStream(storage, name, kMaxTextBytes, bytes)) {
    std::vector<wchar_t> text(bytes.size() / 2 + 1, 0);
    std::memcpy(text.data(), bytes.data(), bytes.size() / 2 * 2);
    return String(text.data());
  }
  wsprintfW(name, L"__substg1.0_%04X001E", id);
  if (ReadStream(storage, name, kMaxTextBytes, bytes))
    return TextFromBytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return String();
}

// "Name <address>", or whichever of the two is there.
String NameAndAddress(const String& name, const String& address) {
  if (address.IsEmpty() || name == address) return name;
  if (name.IsEmpty()) return address;
  return name + String(L" <") + address + String(L">");
}

String Recipients(IStorage* message) {
  String joined;
  for (int n = 0; n < kMaxRecipients; ++n) {
    wchar_t name[40];
    wsprintfW(name, L"__recip_version1.0_#%08X", n);
    clsAutoRelease<IStorage> recipient;
    if (FAILED(message->OpenStorage(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, recipient.Put())))
      break;
    String one = NameAndAddress(StringProperty(recipient.Get(), kDisplayName),
                                StringProperty(recipient.Get(), kEmailAddress));
    if (one.IsEmpty()) continue;
    if (!joined.IsEmpty()) joined.Append(L"; ");
    joined.Append(one);
  }
  return joined;
}

void Dates(IStorage* message, DocFields& fields) {
  std::vector<uint8_t> bytes;
  if (!ReadStream(message, L"__properties_version1.0", kMaxPropertyBytes, bytes)) return;
  for (size_t at = kPropertyHeader; at + 16 <= bytes.size(); at += 16) {
    const uint32_t tag = Get32(&bytes[at], false);
    if (tag != kClientSubmitTime && tag != kDeliveryTime) continue;
    FILETIME utc{Get32(&bytes[at + 8], false), Get32(&bytes[at + 12], false)};
    LocalTimeFromFileTime(utc, tag == kClientSubmitTime ? fields.created : fields.modified);
  }
}

int Read(const DocSource& source, DocFields& fields) {
  clsAutoRelease<IStorage> message;
  const HRESULT hr = StgOpenStorage(source.path, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, message.Put());
  // A message another program holds open (a sharing violation is how the platform reports an
  // exclusive open of the file, a lock violation an exclusive open of the storage): shown as such.
  if (hr == STG_E_LOCKVIOLATION || hr == STG_E_SHAREVIOLATION) {
    for (String* text : {&fields.title, &fields.subject, &fields.author, &fields.lastAuthor, &fields.keywords,
                         &fields.comments})
      *text = L"---";
    return 0;
  }
  if (FAILED(hr)) {
    ovut::debug::Warning(L"err %s", String::ErrorText(static_cast<DWORD>(hr)).c_str());
    return -1;
  }
  fields.title = StringProperty(message.Get(), kSubject);
  String name = StringProperty(message.Get(), kSentRepresentingName);
  if (name.IsEmpty()) name = StringProperty(message.Get(), kSenderName);
  String address = StringProperty(message.Get(), kSentRepresentingAddress);
  if (address.IsEmpty()) address = StringProperty(message.Get(), kSenderAddress);
  fields.author = NameAndAddress(name, address);
  fields.lastAuthor = Recipients(message.Get());
  Dates(message.Get(), fields);
  return 0;
}

}  // namespace

int ReadOutlookMessage(const DocSource& source, DocFields& fields) noexcept {
  if (!source.path) return -1;
  try {
    return Read(source, fields);
  } catch (const std::bad_alloc&) {
    ovut::debug::Warning(L"ERR: out of memory reading the message '%s'", source.path);
    return -1;
  }
}

}  // namespace docinfo

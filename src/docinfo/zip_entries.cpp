#include "docinfo/zip_entries.h"

#include <cstdint>
#include <cstring>

#include "diagnostics/debug_output.h"
#include "docinfo/inflate_bounded.h"
#include "docinfo/source_read.h"
#include "zip/zip_format.h"

namespace docinfo {
namespace {

using ovut::zip::kCentralSignature;
using ovut::zip::kEndSignature;
using ovut::zip::kLocalSignature;
constexpr uint32_t kEnd64Signature = ovut::zip::kZip64EndSignature;
constexpr uint32_t kLocator64Signature = ovut::zip::kZip64LocatorSignature;
constexpr int kMaxEntries = 65536;
constexpr size_t kMaxCentralBytes = 8u << 20;

uint16_t U16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(U16(b, at)) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}
ULONGLONG U64(const std::string& b, size_t at) {
  return static_cast<ULONGLONG>(U32(b, at)) | static_cast<ULONGLONG>(U32(b, at + 4)) << 32;
}

struct EntryInfo {
  uint16_t flags = 0, method = 0;
  ULONGLONG compressed = 0, size = 0, localOffset = 0;
  bool sizesKnown = true;
};

// ZIP64 extended information: the 8-byte values that stand in for the 0xFFFFFFFF fields, in order.
void ApplyZip64(const std::string& extra, EntryInfo& e, bool sizeWide, bool compressedWide, bool offsetWide) {
  for (size_t i = 0; i + 4 <= extra.size();) {
    const uint16_t id = U16(extra, i), len = U16(extra, i + 2);
    if (i + 4 + len > extra.size()) return;
    if (id == 1) {
      size_t at = i + 4;
      const size_t end = at + len;
      if (sizeWide && at + 8 <= end) e.size = U64(extra, at), at += 8;
      if (compressedWide && at + 8 <= end) e.compressed = U64(extra, at), at += 8;
      if (offsetWide && at + 8 <= end) e.localOffset = U64(extra, at);
      return;
    }
    i += 4 + len;
  }
}

int NameIndex(const std::string& name, const char* const* names, int count) {
  for (int k = 0; k < count; ++k)
    if (name == names[k]) return k;
  return -1;
}

ZipEntryResult Extract(const DocSource& source, ULONGLONG dataStart, const EntryInfo& e, size_t maxOut, std::string& data) {
  if (dataStart > source.size) return ZipEntryResult::kBadFormat;
  const ULONGLONG available = source.size - dataStart;
  if (e.method == 0) {
    if (!e.sizesKnown) return ZipEntryResult::kBadFormat;
    const ULONGLONG n = e.compressed < available ? e.compressed : available;
    return ReadSourceAt(source, dataStart, n < maxOut ? static_cast<size_t>(n) : maxOut, data) ? ZipEntryResult::kFound
                                                                                              : ZipEntryResult::kBadFormat;
  }
  if (e.method == 8) {
    // Deflate ends by itself: an entry whose sizes are only in a data descriptor is read up to
    // its end, and a declared size larger than the file is no reason to read further.
    const ULONGLONG maxIn = e.sizesKnown && e.compressed < available ? e.compressed : available;
    const InflateResult r = InflateFromSource(source, dataStart, maxIn, maxOut, Deflate::kRaw, data);
    return r.ok || !data.empty() ? ZipEntryResult::kFound : ZipEntryResult::kBadFormat;
  }
  ovut::debug::Warning(L"unknown compression method %d", e.method);
  return ZipEntryResult::kUnknownMethod;
}

// Walks the local headers. kMissing also when the walk cannot go on (sizes only in a data
// descriptor of an entry before the wanted one, or a malformed header): the central directory
// is asked then.
ZipEntryResult WalkLocal(const DocSource& source, const char* const* names, int count, size_t maxOut, int& found,
                         std::string& data) {
  ULONGLONG pos = 0;
  std::string header, name;
  for (int n = 0; n < kMaxEntries; ++n) {
    if (!ReadSourceAt(source, pos, 30, header)) return ZipEntryResult::kMissing;
    if (header.size() < 30 || U32(header, 0) != kLocalSignature) return ZipEntryResult::kMissing;
    EntryInfo e;
    e.flags = U16(header, 6);
    e.method = U16(header, 8);
    e.compressed = U32(header, 18);
    e.size = U32(header, 22);
    const uint16_t nameLength = U16(header, 26), extraLength = U16(header, 28);
    if (!ReadSourceAt(source, pos + 30, nameLength, name) || name.size() != nameLength) {
      ovut::debug::Warning(L"ERR: bad ZIP FILE ENTRY");
      return ZipEntryResult::kMissing;
    }
    std::string extra;
    if (extraLength && !ReadSourceAt(source, pos + 30 + nameLength, extraLength, extra)) return ZipEntryResult::kMissing;
    ApplyZip64(extra, e, e.size == 0xFFFFFFFF, e.compressed == 0xFFFFFFFF, false);
    const ULONGLONG dataStart = pos + 30 + nameLength + extraLength;
    e.sizesKnown = !(e.flags & 8) || e.compressed != 0;
    const int index = NameIndex(name, names, count);
    if (index >= 0) {
      if (e.method == 0 && !e.sizesKnown) return ZipEntryResult::kMissing;  // stored: the directory knows its size
      found = index;
      return Extract(source, dataStart, e, maxOut, data);
    }
    if (!e.sizesKnown) return ZipEntryResult::kMissing;  // its end is only known from the directory
    pos = dataStart + e.compressed;
    if (e.flags & 8) {
      // A data descriptor follows, with or without its optional signature.
      std::string d;
      if (!ReadSourceAt(source, pos, 4, d) || d.size() < 4) return ZipEntryResult::kMissing;
      pos += U32(d, 0) == 0x08074B50 ? 16 : 12;
    }
    if (pos >= source.size) return ZipEntryResult::kMissing;
  }
  return ZipEntryResult::kMissing;
}

ZipEntryResult WalkCentral(const DocSource& source, const char* const* names, int count, size_t maxOut, int& found,
                           std::string& data) {
  std::string tail;
  ULONGLONG tailOffset;
  if (!ReadSourceTail(source, 65535 + 22, tail, tailOffset) || tail.size() < 22) return ZipEntryResult::kBadFormat;
  size_t end = std::string::npos;
  for (size_t i = tail.size() - 22 + 1; i-- > 0;)
    if (U32(tail, i) == kEndSignature) {
      end = i;
      break;
    }
  if (end == std::string::npos) {
    ovut::debug::Warning(L"WRN: GetZIPFilenames: file has bad format");
    return ZipEntryResult::kBadFormat;
  }
  ULONGLONG entries = U16(tail, end + 10), cdSize = U32(tail, end + 12), cdOffset = U32(tail, end + 16);
  if ((cdOffset == 0xFFFFFFFF || entries == 0xFFFF) && end >= 20 && U32(tail, end - 20) == kLocator64Signature) {
    std::string e64;
    if (ReadSourceAt(source, U64(tail, end - 20 + 8), 56, e64) && e64.size() == 56 && U32(e64, 0) == kEnd64Signature) {
      entries = U64(e64, 32);
      cdSize = U64(e64, 40);
      cdOffset = U64(e64, 48);
    }
  }
  if (cdOffset >= source.size || cdSize > kMaxCentralBytes) {
    ovut::debug::Warning(L"WRN: GetZIPFilenames: file has bad format (2)");
    return ZipEntryResult::kBadFormat;
  }
  std::string cd;
  if (!ReadSourceAt(source, cdOffset, static_cast<size_t>(cdSize), cd)) return ZipEntryResult::kBadFormat;
  size_t at = 0;
  for (ULONGLONG k = 0; k < entries && k < kMaxEntries && at + 46 <= cd.size(); ++k) {
    if (U32(cd, at) != kCentralSignature) break;
    EntryInfo e;
    e.flags = U16(cd, at + 8);
    e.method = U16(cd, at + 10);
    e.compressed = U32(cd, at + 20);
    e.size = U32(cd, at + 24);
    const size_t nameLength = U16(cd, at + 28), extraLength = U16(cd, at + 30), commentLength = U16(cd, at + 32);
    e.localOffset = U32(cd, at + 42);
    if (at + 46 + nameLength + extraLength > cd.size()) break;
    const std::string name = cd.substr(at + 46, nameLength);
    ApplyZip64(cd.substr(at + 46 + nameLength, extraLength), e, e.size == 0xFFFFFFFF, e.compressed == 0xFFFFFFFF,
               e.localOffset == 0xFFFFFFFF);
    const int index = NameIndex(name, names, count);
    if (index >= 0) {
      std::string local;
      if (!ReadSourceAt(source, e.localOffset, 30, local) || local.size() < 30 || U32(local, 0) != kLocalSignature) {
        ovut::debug::Warning(L"ERR: bad ZIP FILE ENTRY");
        return ZipEntryResult::kBadFormat;
      }
      found = index;
      return Extract(source, e.localOffset + 30 + U16(local, 26) + U16(local, 28), e, maxOut, data);
    }
    at += 46 + nameLength + extraLength + commentLength;
  }
  return ZipEntryResult::kMissing;
}

}  // namespace

ZipEntryResult ExtractZipEntry(const DocSource& source, const char* const* names, int count, size_t maxOut,
                               int& found, std::string& data) {
  data.clear();
  found = -1;
  const ZipEntryResult local = WalkLocal(source, names, count, maxOut, found, data);
  if (local != ZipEntryResult::kMissing) return local;
  return WalkCentral(source, names, count, maxOut, found, data);
}

}  // namespace docinfo

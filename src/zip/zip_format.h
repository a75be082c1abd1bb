// ZIP records as written to disk (little-endian, packed). ZIP64 records appear only where a
// size, offset or count does not fit its classic field.
#pragma once
#include <cstdint>

namespace ovut::zip {

#pragma pack(push, 1)
struct scLocalHeader {
  uint32_t signature;      // 0x04034B50
  uint16_t versionNeeded;  // 20, 45 with ZIP64
  uint16_t flags;          // bit 11: name and comment in UTF-8
  uint16_t method;         // 8 deflate, 0 stored
  uint16_t time;
  uint16_t date;
  uint32_t crc32;
  uint32_t compressedSize;
  uint32_t uncompressedSize;
  uint16_t nameLength;
  uint16_t extraLength;
};

struct scCentralHeader {
  uint32_t signature;      // 0x02014B50
  uint16_t versionMadeBy;  // host 10 in the high byte
  uint16_t versionNeeded;
  uint16_t flags;
  uint16_t method;
  uint16_t time;
  uint16_t date;
  uint32_t crc32;
  uint32_t compressedSize;
  uint32_t uncompressedSize;
  uint16_t nameLength;
  uint16_t extraLength;
  uint16_t commentLength;
  uint16_t diskStart;
  uint16_t internalAttributes;
  uint32_t externalAttributes;
  uint32_t localHeaderOffset;
};

struct scEndRecord {
  uint32_t signature;  // 0x06054B50
  uint16_t diskNumber;
  uint16_t directoryDisk;
  uint16_t entriesOnDisk;
  uint16_t totalEntries;
  uint32_t directorySize;
  uint32_t directoryOffset;
  uint16_t commentLength;
};

struct scZip64EndRecord {
  uint32_t signature;    // 0x06064B50
  uint64_t recordSize;   // bytes after this field: 44
  uint16_t versionMadeBy;
  uint16_t versionNeeded;
  uint32_t diskNumber;
  uint32_t directoryDisk;
  uint64_t entriesOnDisk;
  uint64_t totalEntries;
  uint64_t directorySize;
  uint64_t directoryOffset;
};

struct scZip64Locator {
  uint32_t signature;  // 0x07064B50
  uint32_t endRecordDisk;
  uint64_t endRecordOffset;
  uint32_t totalDisks;  // 1
};
#pragma pack(pop)

static_assert(sizeof(scLocalHeader) == 30, "local file header");
static_assert(sizeof(scCentralHeader) == 46, "central directory header");
static_assert(sizeof(scEndRecord) == 22, "end of central directory record");
static_assert(sizeof(scZip64EndRecord) == 56, "ZIP64 end of central directory record");
static_assert(sizeof(scZip64Locator) == 20, "ZIP64 end of central directory locator");

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kZip64EndSignature = 0x06064B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr uint16_t kZip64ExtraTag = 0x0001;

constexpr uint16_t kVersion20 = 20;
constexpr uint16_t kVersionZip64 = 45;
constexpr uint16_t kHostWindows = 0x0A00;
constexpr uint16_t kFlagUTF8 = 0x0800;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kMethodStored = 0;

// Field limits; a value at or above the limit goes to a ZIP64 record and the classic field
// holds the all-ones marker. Tests lower them to reach the ZIP64 forms with small archives.
struct scZipLimits {
  uint64_t size = 0xFFFFFFFFull;   // sizes and offsets
  uint64_t count = 0xFFFFull;      // entry count
  // Compressed bytes an archive keeps in memory until Close; the rest waits in temporary files.
  size_t memory = size_t(64) << 20;
};
scZipLimits& Limits();

}  // namespace ovut::zip

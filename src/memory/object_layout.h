// Memory layout of the objects handed out by the registry's heaps.
//
// Debug object: one heap block of kDebugOverhead + size bytes.
//   32-bit (exact, shared with tools that read dumps):
//     0  block magic 0xC0FFEEEE      4  owning Windows heap   8  GetTickCount at allocation
//     12 stack trace or 0            16 caller tag           20  size of the caller's data
//     24 object magic 0xAFFEAFFE     28 data (returned)      28 + size  fence 0xE5E55E5E
//   64-bit (pointer fields widened, the object magic still directly before the data):
//     0  block magic   4 reserved   8  owning heap   16 tick   20 reserved   24 stack trace
//     32 caller tag    40 size      44 object magic  48 data (16-byte aligned)   48 + size fence
// Non-debug object: 0xFAAFFAAF, then the data (4 bytes of overhead).
// Runtime-heap object (null heap): the size, then the data (4 bytes of overhead).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ovut::memory {

struct scStackTrace;

constexpr uint32_t kBlockMagic = 0xC0FFEEEE;
constexpr uint32_t kObjectMagic = 0xAFFEAFFE;
constexpr uint32_t kFenceValue = 0xE5E55E5E;
constexpr uint32_t kPlainMagic = 0xFAAFFAAF;
// Written over a magic before a block goes back to the heap, so a second free is refused.
constexpr uint32_t kFreedMagic = 0xCCCCCCCC;

struct scDebugObjectHeader {
  uint32_t blockMagic;
#ifdef _WIN64
  uint32_t reserved0;
#endif
  HANDLE heap;
  uint32_t tick;
#ifdef _WIN64
  uint32_t reserved1;
#endif
  scStackTrace* trace;
  UINT_PTR tag;
  int32_t size;
  uint32_t objectMagic;
};

constexpr size_t kDebugHeader = sizeof(scDebugObjectHeader);
constexpr size_t kDebugOverhead = kDebugHeader + sizeof(uint32_t);  // header and fence
constexpr size_t kPlainOverhead = sizeof(uint32_t);
constexpr size_t kRuntimeOverhead = sizeof(uint32_t);

static_assert(offsetof(scDebugObjectHeader, objectMagic) + sizeof(uint32_t) == kDebugHeader,
              "the object magic sits directly before the data");
#ifdef _WIN64
static_assert(kDebugHeader == 48 && kDebugHeader % 16 == 0, "64-bit debug header");
#else
static_assert(offsetof(scDebugObjectHeader, heap) == 4 && offsetof(scDebugObjectHeader, tick) == 8 &&
                  offsetof(scDebugObjectHeader, trace) == 12 && offsetof(scDebugObjectHeader, tag) == 16 &&
                  offsetof(scDebugObjectHeader, size) == 20 && offsetof(scDebugObjectHeader, objectMagic) == 24,
              "32-bit debug object layout");
static_assert(kDebugHeader == 28 && kDebugOverhead == 32, "32-bit debug object overhead");
#endif

inline scDebugObjectHeader* HeaderOf(const void* data) {
  return reinterpret_cast<scDebugObjectHeader*>(const_cast<char*>(static_cast<const char*>(data)) - kDebugHeader);
}
inline void* DataOf(scDebugObjectHeader* header) { return reinterpret_cast<char*>(header) + kDebugHeader; }
// The 32-bit value in front of the data tells the kind of object.
inline uint32_t MagicBefore(const void* data) {
  uint32_t v;
  memcpy(&v, static_cast<const char*>(data) - sizeof(uint32_t), sizeof v);
  return v;
}
inline uint32_t FenceOf(const scDebugObjectHeader* h) {
  uint32_t v;
  memcpy(&v, reinterpret_cast<const char*>(h) + kDebugHeader + h->size, sizeof v);  // may be unaligned
  return v;
}
inline void SetFence(scDebugObjectHeader* h) {
  memcpy(reinterpret_cast<char*>(h) + kDebugHeader + h->size, &kFenceValue, sizeof kFenceValue);
}

// Allocation and heap flags (one bit set for both).
enum : uint32_t {
  kZeroMemory = 0x1,
  kFillMemory = 0x2,        // 0xF5 unless kZeroMemory
  kNoStackTrace = 0x4,
  kNoSerialize = 0x10,      // HEAP_NO_SERIALIZE
  kGenerateExceptions = 0x20,
  kNeverDebug = 0x40,
  kFailCreate = 0x80,
  kNoLeakWarning = 0x100,
  kDebug = 0x40000000,
};
constexpr int kModuleTrace = static_cast<int>(0x80000000u);  // module flag: trace registry calls
constexpr int kModuleDebugHeaps = 0x40000000;                // module flag: new heaps are debug heaps

constexpr unsigned char kNewFill = 0xF5;
constexpr unsigned char kFreedFill = 0xCC;

}  // namespace ovut::memory

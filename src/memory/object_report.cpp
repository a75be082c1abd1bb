#include "memory/object_report.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "memory/memory_lines.h"
#include "diagnostics/symbols.h"

namespace ovut::memory {
namespace {

constexpr int kDumpBytes = 64;
constexpr int kRowBytes = 8;

void HexRow(const unsigned char* bytes, int n) {
  wchar_t row[2 + kRowBytes * 3 + 1 + kRowBytes + 1];
  wchar_t* p = row;
  *p++ = L' ';
  *p++ = L' ';
  for (int i = 0; i < kRowBytes; ++i) {
    if (i < n) {
      static const wchar_t kHex[] = L"0123456789abcdef";
      *p++ = kHex[bytes[i] >> 4];
      *p++ = kHex[bytes[i] & 15];
    } else {
      *p++ = L' ';
      *p++ = L' ';
    }
    *p++ = L' ';
  }
  *p++ = L' ';
  for (int i = 0; i < kRowBytes; ++i) *p++ = i >= n ? L' ' : (bytes[i] >= 0x20 && bytes[i] < 0x7F ? bytes[i] : L'.');
  *p = 0;
  Line(L"%s", row);
}

void CallLine(UINT_PTR ret, UINT_PTR target) {
  if (!target) {
    Line(L"  CALL <unknown call code>");
    return;
  }
  const unsigned char* code = reinterpret_cast<const unsigned char*>(ret);
  if (code[-6] == 0xFF && code[-5] == 0x15) {  // through a pointer in memory (an import slot)
    int32_t rel;
    memcpy(&rel, code - 4, 4);
#ifdef _WIN64
    UINT_PTR slot = ret + static_cast<INT_PTR>(rel);
#else
    UINT_PTR slot = static_cast<uint32_t>(rel);
#endif
    wchar_t prefix[48];
    _snwprintf(prefix, 47, L"  CALL %#p [CALL ", reinterpret_cast<void*>(slot));
    prefix[47] = 0;
    SymbolLine(prefix, target, L"]");
  } else {
    SymbolLine(L"  CALL ", target, L"");
  }
}

}  // namespace

void DumpObject(const void* data, int size, int readable, const scStackTrace* trace) {
  GroupBegin(L"-Object at %#p, %d(=0x%08x) Bytes", data, size, static_cast<unsigned>(size));
  int shown = size < kDumpBytes ? size : kDumpBytes;
  if (shown > readable) shown = readable;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (int at = 0; at < shown; at += kRowBytes) HexRow(bytes + at, shown - at < kRowBytes ? shown - at : kRowBytes);
  if (trace) PrintTrace(trace, L"Memory object allocation");
  GroupEnd(nullptr);
}

void PrintTrace(const scStackTrace* trace, const wchar_t* title) {
  if (!trace) return;
  GroupBegin(L"%s stack trace:", title);
  for (const scStackEntry& e : trace->entries) {
    if (!e.ret) break;
    void* frame = reinterpret_cast<void*>(e.frame);
    if (debug::IsCodeAddress(e.ret)) {
      wchar_t prefix[32];
      _snwprintf(prefix, 31, L" %#p:", frame);
      prefix[31] = 0;
      SymbolLine(prefix, e.ret, L"");
      CallLine(e.ret, e.target);
    } else {
      Line(L" %#p:%#p", frame, reinterpret_cast<void*>(e.ret));
      Line(L"  CALL <unknown call code>");
    }
  }
  GroupEnd(nullptr);
}

}  // namespace ovut::memory

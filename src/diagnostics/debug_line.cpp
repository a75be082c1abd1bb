#include "diagnostics/debug_line.h"

#include <cstring>

namespace ovut::debug {
namespace {

wchar_t* PutDigits(wchar_t* p, unsigned value, int digits) {
  for (int i = digits - 1; i >= 0; --i) {
    p[i] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  }
  return p + digits;
}

// At least `digits` lower-case hex digits, more when the value needs them (as "%0Nx").
wchar_t* PutHex(wchar_t* p, DWORD value, int digits) {
  int need = 1;
  for (DWORD v = value >> 4; v; v >>= 4) ++need;
  if (need < digits) need = digits;
  for (int i = need - 1; i >= 0; --i) {
    p[i] = L"0123456789abcdef"[value & 0xF];
    value >>= 4;
  }
  return p + need;
}

}  // namespace

void FormatLocalStamp(const SYSTEMTIME& t, wchar_t (&out)[kStampUnits]) {
  wchar_t* p = PutDigits(out, t.wHour % 100, 2);
  *p++ = L':';
  p = PutDigits(p, t.wMinute % 100, 2);
  *p++ = L':';
  p = PutDigits(p, t.wSecond % 100, 2);
  *p++ = L'.';
  p = PutDigits(p, t.wMilliseconds % 1000, 3);
  *p = 0;
}

void FormatElapsedStamp(uint64_t ms, wchar_t (&out)[kStampUnits]) {
  uint64_t seconds = ms / 1000;
  wchar_t* p = PutDigits(out, static_cast<unsigned>((seconds / 60) % 60), 2);
  *p++ = L':';
  p = PutDigits(p, static_cast<unsigned>(seconds % 60), 2);
  *p++ = L'.';
  p = PutDigits(p, static_cast<unsigned>(ms % 1000), 3);
  *p = 0;
}

int BuildPrefix(const LinePrefix& f, wchar_t* out) {
  // Everything after the module column takes at most 9 + 1 + 8 + 1 + 8 + 4 + kMaxIndent + 2
  // units; a module name is cut so the prefix always leaves room for it.
  constexpr size_t kTail = 96;
  wchar_t* p = out;
  if (f.module && f.moduleLength) {
    size_t n = f.moduleLength;
    if (n > kLineUnits - kTail) n = kLineUnits - kTail;
    std::memcpy(p, f.module, n * sizeof(wchar_t));
    p += n;
    for (; n < 8; ++n) *p++ = L' ';
    *p++ = L':';
    *p++ = L' ';
  }
  for (const wchar_t* s = f.stamp; *s && s - f.stamp < kStampUnits; ++s) *p++ = *s;
  *p++ = L' ';
  p = PutHex(p, f.thread, 8);
  *p++ = L'/';
  p = PutHex(p, f.processor, 2);
  *p++ = L' ';
  *p++ = static_cast<wchar_t>(L'0' + f.sequence % 10);
  int level = f.level < 0 ? 0 : (f.level > kMaxIndent ? kMaxIndent : f.level);
  for (int i = 0; i < level + 2; ++i) *p++ = L' ';
  *p = 0;
  return static_cast<int>(p - out);
}

int AppendCut(wchar_t* line, int length, const wchar_t* text, size_t textLength) {
  size_t room = length < kLineUnits ? static_cast<size_t>(kLineUnits - length) : 0;
  size_t n = textLength < room ? textLength : room;
  // A cut right after a high surrogate would leave half a character.
  if (n < textLength && n > 0 && IS_HIGH_SURROGATE(text[n - 1])) --n;
  std::memcpy(line + length, text, n * sizeof(wchar_t));
  length += static_cast<int>(n);
  line[length] = 0;
  return length;
}

void SplitPieces(const char* bytes, int count, UINT codePage, IPieceSink& sink) {
  const bool utf8 = codePage == CP_UTF8;
  CPINFO info = {};
  const bool dbcs = !utf8 && GetCPInfo(codePage, &info) && info.MaxCharSize > 1;

  char piece[kPieceBytes];
  int length = 0;
  int lastStart = 0;         // where the last character in `piece` begins
  bool expectTrail = false;  // DBCS: the last byte was a lead byte

  int i = 0;
  while (i < count && (bytes[i] == '\r' || bytes[i] == '\n')) ++i;
  for (; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 7) {
      sink.Bell();
      continue;
    }
    if (c == '\r' || c == '\n') {
      sink.Piece(piece, length);
      length = lastStart = 0;
      expectTrail = false;
      if (c == '\r' && i + 1 < count && bytes[i + 1] == '\n') ++i;
      continue;
    }
    bool starts;
    if (utf8) {
      starts = (c & 0xC0) != 0x80;
    } else if (dbcs) {
      starts = !expectTrail;
      expectTrail = starts && IsDBCSLeadByteEx(codePage, c);
    } else {
      starts = true;
    }
    if (starts) lastStart = length;
    piece[length++] = static_cast<char>(c);
    if (length == kPieceBytes) {
      // Send whole characters only: when the next byte continues the last one, it moves on.
      bool continues = utf8 ? (i + 1 < count && (static_cast<unsigned char>(bytes[i + 1]) & 0xC0) == 0x80)
                            : expectTrail;
      int cut = (continues && lastStart > 0) ? lastStart : length;
      sink.Piece(piece, cut);
      std::memmove(piece, piece + cut, static_cast<size_t>(length - cut));
      length -= cut;
      lastStart = 0;
    }
  }
  if (length) sink.Piece(piece, length);
}

}  // namespace ovut::debug

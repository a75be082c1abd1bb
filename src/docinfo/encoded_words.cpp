#include "docinfo/encoded_words.h"

#include <string>

#include "diagnostics/debug_output.h"
#include "docinfo/text_decode.h"

namespace docinfo {
namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

int Base64Value(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return c - L'A';
  if (c >= L'a' && c <= L'z') return c - L'a' + 26;
  if (c >= L'0' && c <= L'9') return c - L'0' + 52;
  if (c == L'+') return 62;
  if (c == L'/') return 63;
  return -1;
}

void DecodeQ(const wchar_t* p, uint32_t n, std::string& bytes) {
  for (uint32_t i = 0; i < n; ++i) {
    if (p[i] == L'_') {
      bytes += ' ';
    } else if (p[i] == L'=' && i + 2 < n + 0 && HexValue(p[i + 1]) >= 0 && HexValue(p[i + 2]) >= 0) {
      bytes += static_cast<char>(HexValue(p[i + 1]) * 16 + HexValue(p[i + 2]));
      i += 2;
    } else {
      bytes += static_cast<char>(p[i] & 0xFF);
    }
  }
}

void DecodeB(const wchar_t* p, uint32_t n, std::string& bytes) {
  uint32_t acc = 0;
  int bits = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const int v = Base64Value(p[i]);
    if (v < 0) continue;  // padding and stray characters
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
}

struct Word {
  uint32_t end = 0;          // position after "?="
  uint32_t charsetStart = 0, charsetLength = 0;
  std::string bytes;
};

// Parses an encoded word at p[at] ("=?"); false when it is not one.
bool ParseWord(const wchar_t* p, uint32_t n, uint32_t at, Word& w) {
  uint32_t i = at + 2;
  const uint32_t cs = i;
  while (i < n && (iswalnum(p[i]) || p[i] == L'-' || p[i] == L'_' || p[i] == L'.' || p[i] == L':')) ++i;
  if (i == cs || i - cs > 40) return false;
  w.charsetStart = cs;
  w.charsetLength = i - cs;
  if (i < n && p[i] == L'*') {  // language suffix, ignored
    ++i;
    while (i < n && (iswalnum(p[i]) || p[i] == L'-')) ++i;
  }
  if (i + 2 >= n || p[i] != L'?' || p[i + 2] != L'?') return false;
  const wchar_t enc = p[i + 1];
  if (enc != L'Q' && enc != L'q' && enc != L'B' && enc != L'b') return false;
  const uint32_t textStart = i + 3;
  uint32_t k = textStart;
  while (k + 1 < n && !(p[k] == L'?' && p[k + 1] == L'=')) {
    if (p[k] == L' ' || p[k] == L'\t' || p[k] == L'\r' || p[k] == L'\n') return false;
    ++k;
  }
  if (k + 1 >= n) return false;
  w.bytes.clear();
  if (enc == L'Q' || enc == L'q') DecodeQ(p + textStart, k - textStart, w.bytes);
  else DecodeB(p + textStart, k - textStart, w.bytes);
  w.end = k + 2;
  return true;
}

String Convert(const wchar_t* charset, uint32_t length, const std::string& bytes, const wchar_t* word,
               uint32_t wordLength) {
  UINT cp = CodePageOfCharset(charset, length);
  if (cp == 0) {
    ovut::debug::Warning(L"Bad encoding '%s' in word '%s'", String(charset, 0, static_cast<int>(length)).c_str(),
                         String(word, 0, static_cast<int>(wordLength)).c_str());
    cp = GetACP();
  }
  return DecodeBytes(bytes, cp);
}

}  // namespace

String DecodeEncodedWords(const String& value) {
  if (value.Find(L"=?") < 0) return value;
  const wchar_t* p = value.c_str();
  const uint32_t n = value.Length();
  std::wstring out;
  // A run of adjacent words of one character set, converted when the run ends.
  std::string runBytes;
  uint32_t runCharset = 0, runCharsetLength = 0, runStart = 0, runEnd = 0;
  bool inRun = false;
  auto flush = [&] {
    if (!inRun) return;
    const String text = Convert(p + runCharset, runCharsetLength, runBytes, p + runStart, runEnd - runStart);
    out.append(text.c_str(), text.Length());
    runBytes.clear();
    inRun = false;
  };
  uint32_t i = 0;
  Word w;
  while (i < n) {
    if (p[i] == L'=' && i + 1 < n && p[i + 1] == L'?' && ParseWord(p, n, i, w)) {
      const bool sameCharset = inRun && w.charsetLength == runCharsetLength &&
                               _wcsnicmp(p + w.charsetStart, p + runCharset, runCharsetLength) == 0;
      if (!sameCharset) {
        flush();
        runCharset = w.charsetStart;
        runCharsetLength = w.charsetLength;
        runStart = i;
        inRun = true;
      }
      runBytes += w.bytes;
      runEnd = w.end;
      i = w.end;
      // White space up to the next encoded word belongs to neither.
      uint32_t k = i;
      while (k < n && (p[k] == L' ' || p[k] == L'\t' || p[k] == L'\r' || p[k] == L'\n')) ++k;
      Word next;
      if (k > i && k + 1 < n && p[k] == L'=' && p[k + 1] == L'?' && ParseWord(p, n, k, next)) i = k;
      continue;
    }
    flush();
    out += p[i];
    ++i;
  }
  flush();
  return ToString(out);
}

}  // namespace docinfo

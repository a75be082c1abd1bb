#include "docinfo/pdf_objects.h"

#include <cstring>

#include "docinfo/doc_dates.h"
#include "docinfo/text_decode.h"

namespace docinfo::pdf {
namespace {

constexpr int kMaxDepth = 32;

// PDFDocEncoding differs from Latin-1 in 0x18-0x1F and 0x80-0x9F.
const wchar_t kDoc18[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
const wchar_t kDoc80[32] = {0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044,
                            0x2039, 0x203A, 0x2212, 0x2030, 0x201E, 0x201C, 0x201D, 0x2018,
                            0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141, 0x0152, 0x0160,
                            0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0xFFFD};

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0'; }
bool IsDelimiter(char c) { return IsBlank(c) || strchr("()<>[]{}/%", c) != nullptr; }

const Object* Object::Get(const char* key) const {
  for (const auto& e : entries)
    if (e.first == key) return &e.second;
  return nullptr;
}

void Parser::SkipBlank() {
  while (pos_ < n_) {
    if (IsBlank(p_[pos_])) {
      ++pos_;
    } else if (p_[pos_] == '%') {
      while (pos_ < n_ && p_[pos_] != '\r' && p_[pos_] != '\n') ++pos_;
    } else {
      break;
    }
  }
}

bool Parser::Keyword(const char* keyword) {
  SkipBlank();
  const size_t k = strlen(keyword);
  if (n_ - pos_ < k || memcmp(p_ + pos_, keyword, k) != 0) return false;
  if (pos_ + k < n_ && !IsDelimiter(p_[pos_ + k])) return false;
  pos_ += k;
  return true;
}

bool Parser::Integer(int64_t& value) {
  SkipBlank();
  size_t i = pos_;
  if (i >= n_ || p_[i] < '0' || p_[i] > '9') return false;
  value = 0;
  while (i < n_ && p_[i] >= '0' && p_[i] <= '9') {
    if (value > (INT64_MAX - 9) / 10) return false;
    value = value * 10 + (p_[i++] - '0');
  }
  if (i < n_ && !IsDelimiter(p_[i])) return false;
  pos_ = i;
  return true;
}

bool Parser::ObjectHeader(uint32_t& number, uint32_t& generation) {
  const size_t start = pos_;
  int64_t num, gen;
  if (Integer(num) && Integer(gen) && Keyword("obj") && num <= UINT32_MAX && gen <= 65535) {
    number = static_cast<uint32_t>(num);
    generation = static_cast<uint32_t>(gen);
    return true;
  }
  pos_ = start;
  return false;
}

void Parser::LiteralString(std::string& out) {
  // At the byte after "(": nested parentheses count, a backslash escapes.
  int nesting = 1;
  while (pos_ < n_) {
    const char c = p_[pos_++];
    if (c == '(') {
      ++nesting;
    } else if (c == ')') {
      if (--nesting == 0) return;
    } else if (c == '\\') {
      if (pos_ >= n_) return;
      const char e = p_[pos_++];
      switch (e) {
        case 'n': out += '\n'; continue;
        case 'r': out += '\r'; continue;
        case 't': out += '\t'; continue;
        case 'b': out += '\b'; continue;
        case 'f': out += '\f'; continue;
        case '\r':  // line continuation
          if (pos_ < n_ && p_[pos_] == '\n') ++pos_;
          continue;
        case '\n': continue;
        default:
          if (e >= '0' && e <= '7') {
            int v = e - '0';
            for (int k = 0; k < 2 && pos_ < n_ && p_[pos_] >= '0' && p_[pos_] <= '7'; ++k) v = v * 8 + (p_[pos_++] - '0');
            out += static_cast<char>(v & 0xFF);
          } else {
            out += e;  // \( \) \\ and unknown escapes: the character itself
          }
          continue;
      }
    } else if (c == '\r') {  // an unescaped line end in any form reads as LF
      if (pos_ < n_ && p_[pos_] == '\n') ++pos_;
      out += '\n';
      continue;
    }
    out += c;
  }
}

void Parser::HexString(std::string& out) {
  int high = -1;
  while (pos_ < n_) {
    const char c = p_[pos_++];
    if (c == '>') break;
    const int v = Hex(c);
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  if (high >= 0) out += static_cast<char>(high * 16);
}

void Parser::Name(std::string& out) {
  while (pos_ < n_ && !IsDelimiter(p_[pos_])) {
    const char c = p_[pos_++];
    if (c == '#' && pos_ + 1 < n_ && Hex(p_[pos_]) >= 0 && Hex(p_[pos_ + 1]) >= 0) {
      out += static_cast<char>(Hex(p_[pos_]) * 16 + Hex(p_[pos_ + 1]));
      pos_ += 2;
    } else {
      out += c;
    }
  }
}

Object Parser::Next() { return Parse(0); }

Object Parser::Parse(int depth) {
  Object o;
  SkipBlank();
  if (pos_ >= n_ || depth > kMaxDepth || budget_ == 0) return o;
  --budget_;
  const char c = p_[pos_];
  if (c == '<' && pos_ + 1 < n_ && p_[pos_ + 1] == '<') {
    pos_ += 2;
    o.kind = Object::kDict;
    while (true) {
      SkipBlank();
      if (pos_ + 1 < n_ && p_[pos_] == '>' && p_[pos_ + 1] == '>') {
        pos_ += 2;
        return o;
      }
      if (pos_ >= n_ || p_[pos_] != '/') return Object();
      ++pos_;
      std::string key;
      Name(key);
      Object value = Parse(depth + 1);
      if (value.kind == Object::kNone) return Object();
      o.entries.emplace_back(std::move(key), std::move(value));
    }
  }
  if (c == '[') {
    ++pos_;
    o.kind = Object::kArray;
    while (true) {
      SkipBlank();
      if (pos_ < n_ && p_[pos_] == ']') {
        ++pos_;
        return o;
      }
      Object item = Parse(depth + 1);
      if (item.kind == Object::kNone) return Object();
      o.items.push_back(std::move(item));
    }
  }
  if (c == '(') {
    ++pos_;
    o.kind = Object::kString;
    LiteralString(o.bytes);
    return o;
  }
  if (c == '<') {
    ++pos_;
    o.kind = Object::kString;
    HexString(o.bytes);
    return o;
  }
  if (c == '/') {
    ++pos_;
    o.kind = Object::kName;
    Name(o.bytes);
    return o;
  }
  if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.') {
    const size_t start = pos_;
    int64_t a, b;
    if (Integer(a)) {
      const size_t afterFirst = pos_;
      if (Integer(b) && Keyword("R") && a <= UINT32_MAX && b <= 65535) {
        o.kind = Object::kRef;
        o.refNumber = static_cast<uint32_t>(a);
        o.refGeneration = static_cast<uint32_t>(b);
        return o;
      }
      pos_ = afterFirst;
      o.kind = Object::kNumber;
      o.number = a;
      o.bytes.assign(p_ + start, afterFirst - start);
      return o;
    }
    pos_ = start;
    while (pos_ < n_ && !IsDelimiter(p_[pos_])) ++pos_;
    o.kind = Object::kNumber;
    o.bytes.assign(p_ + start, pos_ - start);
    o.number = 0;
    return o;
  }
  // Keywords: true, false, null; anything else ends the object.
  const size_t start = pos_;
  while (pos_ < n_ && !IsDelimiter(p_[pos_])) ++pos_;
  const std::string word(p_ + start, pos_ - start);
  if (word == "true" || word == "false") {
    o.kind = Object::kBool;
    o.number = word == "true";
  } else if (word == "null") {
    o.kind = Object::kNull;
  } else {
    pos_ = start;
  }
  return o;
}

String TextOf(const std::string& b) {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(b.data());
  if (b.size() >= 2 && u[0] == 0xFE && u[1] == 0xFF) return DecodeBytes(b.data() + 2, b.size() - 2, kUtf16BE);
  if (b.size() >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) return DecodeBytes(b.data() + 3, b.size() - 3, CP_UTF8);
  std::wstring out;
  for (unsigned char c : b) {
    if (c >= 0x18 && c <= 0x1F) out += kDoc18[c - 0x18];
    else if (c >= 0x80 && c <= 0x9F) out += kDoc80[c - 0x80];
    else if (c == 0xAD) out += static_cast<wchar_t>(0xFFFD);
    else if (c) out += static_cast<wchar_t>(c);
  }
  return ToString(out);
}

bool DateOf(const std::string& bytes, SYSTEMTIME& out) {
  const String text = TextOf(bytes);
  const wchar_t* p = text.c_str();
  uint32_t n = text.Length();
  while (n && *p == L' ') ++p, --n;
  if (n >= 2 && p[0] == L'D' && p[1] == L':') p += 2, n -= 2;
  // Year to second: 4 digits, then pairs; what is missing takes the earliest value.
  int parts[6] = {0, 1, 1, 0, 0, 0};
  const int widths[6] = {4, 2, 2, 2, 2, 2};
  uint32_t i = 0;
  for (int k = 0; k < 6; ++k) {
    if (i + widths[k] > n || p[i] < L'0' || p[i] > L'9') break;
    int v = 0;
    for (int d = 0; d < widths[k]; ++d) {
      if (p[i + d] < L'0' || p[i + d] > L'9') return false;
      v = v * 10 + (p[i + d] - L'0');
    }
    parts[k] = v;
    i += widths[k];
  }
  if (i < 4) return false;
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(parts[0]);
  t.wMonth = static_cast<WORD>(parts[1]);
  t.wDay = static_cast<WORD>(parts[2]);
  t.wHour = static_cast<WORD>(parts[3]);
  t.wMinute = static_cast<WORD>(parts[4]);
  t.wSecond = static_cast<WORD>(parts[5]);
  FILETIME check;
  if (!SystemTimeToFileTime(&t, &check)) return false;
  // Zone: "Z", "Z00'00'", "+01'00'", "+01'00", "+01", "-0530"; cut forms count as far as given.
  if (i < n && (p[i] == L'+' || p[i] == L'-' || p[i] == L'Z' || p[i] == L'z')) {
    const wchar_t sign = p[i++];
    int hh = 0, mm = 0;
    auto two = [&](int& v) {
      if (i + 2 > n || p[i] < L'0' || p[i] > L'9' || p[i + 1] < L'0' || p[i + 1] > L'9') return false;
      v = (p[i] - L'0') * 10 + (p[i + 1] - L'0');
      i += 2;
      return true;
    };
    if (two(hh)) {
      if (i < n && p[i] == L'\'') ++i;
      two(mm);
    }
    if (hh > 23 || mm > 59) hh = mm = 0;
    const int zone = sign == L'-' ? -(hh * 60 + mm) : sign == L'+' ? hh * 60 + mm : 0;
    return ZonedToLocal(t, zone, out);
  }
  FileTimeToSystemTime(&check, &out);
  return true;
}

}  // namespace docinfo::pdf

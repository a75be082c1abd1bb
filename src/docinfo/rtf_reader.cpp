// RTF: the information group ({\info ...}) read with a small tokenizer, so that Unicode
// escapes, control-word delimiters and nested groups such as {\upr ...} come out right.
#include <string>

#include "docinfo/doc_fields.h"
#include "docinfo/source_read.h"
#include "docinfo/text_decode.h"

namespace docinfo {
namespace {

// Writers put the information group after the font, colour, style and list tables; these stay
// well below this size in real files.
constexpr size_t kMaxRtfBytes = 2u << 20;

struct Token {
  enum Kind { kEnd, kOpen, kClose, kWord, kSymbol, kHex, kChar } kind = kEnd;
  std::string word;
  bool hasParam = false;
  long param = 0;
  char ch = 0;
};

class Tokenizer {
 public:
  explicit Tokenizer(const std::string& b) : b_(b) {}
  Token Next() {
    Token t;
    while (pos_ < b_.size() && (b_[pos_] == '\r' || b_[pos_] == '\n')) ++pos_;
    if (pos_ >= b_.size()) return t;
    const char c = b_[pos_++];
    if (c == '{') return t.kind = Token::kOpen, t;
    if (c == '}') return t.kind = Token::kClose, t;
    if (c != '\\') return t.kind = Token::kChar, t.ch = c, t;
    if (pos_ >= b_.size()) return t;
    const char d = b_[pos_];
    if (IsLetter(d)) {
      while (pos_ < b_.size() && IsLetter(b_[pos_]) && t.word.size() < 32) t.word += b_[pos_++];
      bool negative = false;
      if (pos_ < b_.size() && b_[pos_] == '-') negative = true, ++pos_;
      int digits = 0;
      while (pos_ < b_.size() && b_[pos_] >= '0' && b_[pos_] <= '9') {
        if (digits++ < 10) t.param = t.param * 10 + (b_[pos_] - '0');
        ++pos_;
      }
      t.hasParam = digits > 0;
      if (negative) t.param = -t.param;
      if (pos_ < b_.size() && b_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
      t.kind = Token::kWord;
      return t;
    }
    ++pos_;
    if (d == '\'') {
      int v = 0;
      for (int k = 0; k < 2 && pos_ < b_.size(); ++k) {
        const int h = Hex(b_[pos_]);
        if (h < 0) break;
        v = v * 16 + h;
        ++pos_;
      }
      t.kind = Token::kHex;
      t.ch = static_cast<char>(v);
      return t;
    }
    t.kind = Token::kSymbol;
    t.ch = d;
    return t;
  }

 private:
  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  const std::string& b_;
  size_t pos_ = 0;
};

// One destination inside the information group: its text or date parts, completed when its
// group closes.
class Destination {
 public:
  enum Kind { kNone, kText, kDate, kSkip } kind = kNone;
  long depth = 0;
  String DocFields::*text = nullptr;
  SYSTEMTIME DocFields::*date = nullptr;

  void Start(Kind k, long at, UINT codePage, int uc) {
    kind = k;
    depth = at;
    codePage_ = codePage;
    uc_ = uc;
    skip_ = 0;
    bytes_.clear();
    out_.clear();
    parts_[0] = 0, parts_[1] = 1, parts_[2] = 1, parts_[3] = parts_[4] = parts_[5] = 0;
  }
  void Byte(char c) {
    if (skip_ > 0) return void(--skip_);
    bytes_ += c;
  }
  void Unit(wchar_t w) {
    Flush();
    out_ += w;
  }
  void Word(const Token& t) {
    if (kind == kDate) {
      static const char* const kParts[] = {"yr", "mo", "dy", "hr", "min", "sec"};
      for (int k = 0; k < 6; ++k)
        if (t.word == kParts[k] && t.hasParam && t.param >= 0 && t.param < 10000) parts_[k] = static_cast<int>(t.param);
      return;
    }
    if (t.word == "u" && t.hasParam) {
      long v = t.param;
      if (v < 0) v += 65536;
      Unit(static_cast<wchar_t>(v & 0xFFFF));
      skip_ = uc_;
      return;
    }
    if (skip_ > 0) return void(--skip_);
    if (t.word == "uc" && t.hasParam && t.param >= 0 && t.param < 16) uc_ = static_cast<int>(t.param);
    else if (t.word == "tab") Unit(L'\t');
    else if (t.word == "par" || t.word == "line") Unit(L'\n');
    else if (t.word == "emdash") Unit(0x2014);
    else if (t.word == "endash") Unit(0x2013);
    else if (t.word == "lquote") Unit(0x2018);
    else if (t.word == "rquote") Unit(0x2019);
    else if (t.word == "ldblquote") Unit(0x201C);
    else if (t.word == "rdblquote") Unit(0x201D);
    else if (t.word == "bullet") Unit(0x2022);
  }
  void Symbol(char c) {
    if (c == '\\' || c == '{' || c == '}') Byte(c);
    else if (c == '~') Unit(0xA0);
    else if (c == '_') Unit(L'-');
  }
  void Finish(DocFields& fields) {
    if (kind == kText) {
      Flush();
      fields.*text = TrimmedText(ToString(out_));
    } else if (kind == kDate) {
      SYSTEMTIME t{};
      t.wYear = static_cast<WORD>(parts_[0]);
      t.wMonth = static_cast<WORD>(parts_[1]);
      t.wDay = static_cast<WORD>(parts_[2]);
      t.wHour = static_cast<WORD>(parts_[3]);
      t.wMinute = static_cast<WORD>(parts_[4]);
      t.wSecond = static_cast<WORD>(parts_[5]);
      FILETIME check;
      SYSTEMTIME normal;
      if (t.wYear && SystemTimeToFileTime(&t, &check) && FileTimeToSystemTime(&check, &normal)) fields.*date = normal;
    }
    kind = kNone;
  }

 private:
  void Flush() {
    if (bytes_.empty()) return;
    const String text = DecodeBytes(bytes_, codePage_);
    out_.append(text.c_str(), text.Length());
    bytes_.clear();
  }
  UINT codePage_ = 1252;
  int uc_ = 1, skip_ = 0;
  std::string bytes_;
  std::wstring out_;
  int parts_[6] = {0, 1, 1, 0, 0, 0};
};

bool StartDestination(const std::string& word, long depth, UINT cp, int uc, Destination& d) {
  static const struct {
    const char* word;
    String DocFields::*field;
  } kTexts[] = {{"title", &DocFields::title},       {"subject", &DocFields::subject},
                {"author", &DocFields::author},     {"keywords", &DocFields::keywords},
                {"doccomm", &DocFields::comments}};
  for (const auto& t : kTexts)
    if (word == t.word) {
      d.Start(Destination::kText, depth, cp, uc);
      d.text = t.field;
      return true;
    }
  if (word == "creatim" || word == "revtim") {
    d.Start(Destination::kDate, depth, cp, uc);
    d.date = word == "creatim" ? &DocFields::created : &DocFields::modified;
    return true;
  }
  return false;
}

}  // namespace

int ReadRtf(const DocSource& source, DocFields& fields) noexcept {
  try {
    std::string bytes;
    if (!ReadSourceAt(source, 0, kMaxRtfBytes, bytes)) return -1;
    if (bytes.compare(0, 5, "{\\rtf") != 0) return -2;
    Tokenizer tokens(bytes);
    UINT cp = 1252;
    int uc = 1;
    long depth = 0, infoDepth = 0;
    bool groupStart = false;
    // Up to the information group: the code page and the Unicode fallback count of the document.
    while (!infoDepth) {
      const Token t = tokens.Next();
      if (t.kind == Token::kEnd) break;
      if (t.kind == Token::kOpen) {
        ++depth;
        groupStart = true;
        continue;
      }
      if (t.kind == Token::kClose) --depth;
      if (t.kind == Token::kWord) {
        if (t.word == "info" && groupStart) infoDepth = depth;
        else if (t.word == "ansicpg" && t.hasParam && t.param > 0 && t.param < 65536 && depth == 1) cp = static_cast<UINT>(t.param);
        else if (t.word == "uc" && t.hasParam && t.param >= 0 && t.param < 16 && depth == 1) uc = static_cast<int>(t.param);
      }
      groupStart = false;
    }
    if (!infoDepth) return 0;
    if (cp != 1252 && !IsValidCodePage(cp)) cp = 1252;
    // Inside it: one destination at a time; {\upr ...} and its {\*\ud ...} are transparent, so
    // the Unicode forms, which come last, replace the ANSI ones. Other groups are skipped.
    Destination d;
    bool starred = false;
    long skipDepth = 0;
    for (Token t = tokens.Next(); t.kind != Token::kEnd; t = tokens.Next()) {
      if (t.kind == Token::kOpen) {
        ++depth;
        groupStart = true;
        starred = false;
        continue;
      }
      if (t.kind == Token::kClose) {
        if (d.kind != Destination::kNone && depth == d.depth) d.Finish(fields);
        if (skipDepth && depth == skipDepth) skipDepth = 0;
        if (--depth < infoDepth) break;
        groupStart = false;
        continue;
      }
      if (skipDepth) continue;
      const bool atGroupStart = groupStart;
      groupStart = false;
      if (t.kind == Token::kSymbol && t.ch == '*' && atGroupStart) {
        starred = true;
        groupStart = true;
        continue;
      }
      if (d.kind == Destination::kNone || d.kind == Destination::kSkip) {
        if (t.kind != Token::kWord || !atGroupStart) continue;
        if (t.word == "upr" || t.word == "ud") continue;
        if (starred || !StartDestination(t.word, depth, cp, uc, d)) skipDepth = depth;
        continue;
      }
      if (atGroupStart && starred) {  // an optional destination inside a text: not text
        skipDepth = depth;
        continue;
      }
      switch (t.kind) {
        case Token::kWord: d.Word(t); break;
        case Token::kSymbol: d.Symbol(t.ch); break;
        case Token::kHex:
        case Token::kChar: d.Byte(t.ch); break;
        default: break;
      }
    }
    return 0;
  } catch (...) {
    return -1;
  }
}

}  // namespace docinfo

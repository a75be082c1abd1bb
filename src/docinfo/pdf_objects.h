// A small reader of PDF objects (dictionaries, arrays, strings, names, numbers, references)
// over bytes in memory, with limits on nesting and on the number of objects.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/string.h"

namespace docinfo::pdf {

struct Object {
  enum Kind { kNone, kNull, kBool, kNumber, kName, kString, kArray, kDict, kRef } kind = kNone;
  std::string bytes;  // name (without "/"), string bytes, number text
  int64_t number = 0;
  uint32_t refNumber = 0, refGeneration = 0;
  std::vector<Object> items;                          // array
  std::vector<std::pair<std::string, Object>> entries;  // dictionary

  const Object* Get(const char* key) const;  // dictionary entry or null
  bool IsInt() const { return kind == kNumber; }
};

class Parser {
 public:
  Parser(const char* data, size_t count, size_t pos = 0) : p_(data), n_(count), pos_(pos) {}
  // The next object; kind kNone when there is none or the input is malformed or too deep.
  Object Next();
  // Skips white space and comments.
  void SkipBlank();
  // True and moves past it when the next token is `keyword` (followed by a delimiter).
  bool Keyword(const char* keyword);
  // Reads "N G obj"; false when the bytes there are not an object header.
  bool ObjectHeader(uint32_t& number, uint32_t& generation);
  size_t Position() const { return pos_; }
  void SetPosition(size_t pos) { pos_ = pos < n_ ? pos : n_; }

 private:
  Object Parse(int depth);
  bool Integer(int64_t& value);
  void LiteralString(std::string& out);
  void HexString(std::string& out);
  void Name(std::string& out);

  const char* p_;
  size_t n_;
  size_t pos_;
  size_t budget_ = 200000;  // objects per parser
};

bool IsBlank(char c);
bool IsDelimiter(char c);

// A text string: UTF-16BE after FE FF, UTF-8 after EF BB BF, else PDFDocEncoding.
String TextOf(const std::string& bytes);

// "D:YYYYMMDDHHmmSSOHH'mm'" and its shorter forms to local time (a zone, when given, is applied;
// without one the time is local as written). False for other text.
bool DateOf(const std::string& bytes, SYSTEMTIME& out);

}  // namespace docinfo::pdf

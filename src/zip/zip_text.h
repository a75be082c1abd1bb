// Texts and time stamps as a ZIP archive stores them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "foundation/regex.h"
#include "foundation/string.h"

namespace ovut::zip {

// Makes entry names: `name`, or `path` when `name` is empty, with a leading drive ("C:") or
// server ("\\server") removed and backslashes turned into slashes. Holds its compiled patterns,
// so one object serves one archive (one thread at a time).
class clsZIPEntryNamer {
 public:
  clsZIPEntryNamer();
  String Name(const String& path, const String& name);

 private:
  clsRegEx drive_;
  clsRegEx server_;
};

// Code page 437 bytes of `text`; false when a character has no exact equivalent there.
bool ToCP437(const String& text, std::string& bytes);
std::string ToUTF8(const String& text);

// Name and comment share one encoding: code page 437 when both fit, else UTF-8 (flag bit 11).
struct scEncodedTexts {
  std::string name;
  std::string comment;
  bool utf8 = false;
};
scEncodedTexts EncodeTexts(const String& name, const String& comment);

// MS-DOS date and time of a UTC file time, in local time (UTC when the conversion fails);
// times the format cannot hold become 1980-01-01 00:00.
void DosDateTime(const FILETIME& utc, uint16_t& date, uint16_t& time);
void CurrentDosDateTime(uint16_t& date, uint16_t& time);

// Joins two paths: the other when one is empty, no separator after "\" or "/", else "\".
String JoinPath(const String& first, const String& second);

}  // namespace ovut::zip

// Bytes of documents to text: character-set names, UTF-8 and UTF-16 detection, and the
// character references of HTML and XML.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "foundation/string.h"

namespace docinfo {

constexpr UINT kUtf16LE = 1200;
constexpr UINT kUtf16BE = 1201;

// Code page of a MIME or XML character-set name ("utf-8", "iso-8859-1", "windows-1252",
// "shift_jis", "cp1251" ...); 0 when the name is unknown.
UINT CodePageOfCharset(const wchar_t* name, size_t length);
inline UINT CodePageOfCharset(const String& name) { return CodePageOfCharset(name.c_str(), name.Length()); }

// True when the bytes are well-formed UTF-8; `cutAllowed` accepts a sequence cut off by the
// end of the bytes (a bounded read may end inside one).
bool IsUtf8(const char* bytes, size_t count, bool cutAllowed = false);

// Bytes in `codePage` (kUtf16LE/BE included) to text. A code page the system cannot convert
// falls back to the process ANSI code page; invalid sequences become U+FFFD.
String DecodeBytes(const char* bytes, size_t count, UINT codePage);
inline String DecodeBytes(const std::string& bytes, UINT codePage) {
  return DecodeBytes(bytes.data(), bytes.size(), codePage);
}

// Resolves &name; &#ddd; and &#xhh; (the XML five and the HTML names of Latin-1); unknown or
// malformed references stay as written.
String DecodeCharacterReferences(const String& text);

// A String of built-up text. Texts are built in std::wstring: String grows in small steps, so
// appending unit by unit to a long String would copy it over and over.
inline String ToString(const std::wstring& text) { return String(text.c_str(), 0, static_cast<int>(text.size())); }

// Text with leading and trailing white space (blanks, tabs, line ends) removed.
String TrimmedText(const String& text);

}  // namespace docinfo

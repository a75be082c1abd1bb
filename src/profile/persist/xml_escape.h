// The value escaping of the profile XML form: CR LF / CR / LF -> "&cr;", TAB -> "&tab;", other
// units below 0x20 -> "&#xhhhh;", and the five XML specials. Names and values alike.
#pragma once
#include <cstddef>
#include <string>

namespace ovut::persist {

// Length of the escaped form of `text`; equals `length` when nothing needs escaping.
size_t EscapedLength(const wchar_t* text, size_t length) noexcept;
// Appends the escaped form to `out`.
void AppendEscaped(std::wstring& out, const wchar_t* text, size_t length);
// Only the five XML specials (&lt; &gt; &amp; &quot; &apos;), for the XFDF export.
void AppendXmlSpecials(std::wstring& out, const wchar_t* text, size_t length);

// Unescapes in place and returns the new length (never longer). Entity names are
// case-sensitive; a numeric reference without ";" ends the text after its character.
size_t UnescapeInPlace(wchar_t* text, size_t length) noexcept;

}  // namespace ovut::persist

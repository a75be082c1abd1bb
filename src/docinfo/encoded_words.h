// Encoded words of mail headers ("=?charset?Q?...?=" and "=?charset?B?...?=", RFC 2047).
#pragma once
#include "foundation/string.h"

namespace docinfo {

// The header value with every encoded word replaced by its text. White space between two
// adjacent encoded words is dropped, and adjacent words of one character set are converted
// together, so a character split across two words survives. A word in an unknown character set
// is reported on the debug channel and converted with the process ANSI code page; text that is
// not a well-formed encoded word stays as written.
String DecodeEncodedWords(const String& value);

}  // namespace docinfo

// Packed text: the bytes of a stream as one line of Base64, optionally packed ("@2@" prefix)
// and optionally enciphered with a password. "@1@" (old packed buffers) is read only.
#pragma once
#include "foundation/string.h"

class clsFile;

namespace ovut::codec {

// The whole of `source` (from offset 0) as text. An empty source, or one that cannot be read
// completely, gives the empty text. Buffers of at least 8 bytes are enciphered when `password`
// is not empty (its 8-bit form in the default String code page).
String StreamToText(clsFile& source, bool pack, const String& password);

// Replaces the content of `target` by the bytes the text stands for and rewinds it. False, with
// the target untouched, only for an empty text; damaged input yields whatever it decodes to.
bool TextToStream(clsFile& target, const String& text, const String& password);

}  // namespace ovut::codec

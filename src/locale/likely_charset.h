// The GDI font character set a piece of UTF-16 text most likely needs, from the Unicode blocks
// it uses; Han ideographs (shared by several scripts) are decided by the code page.
#pragma once
#include <windows.h>

namespace ovut::locale {

// `codePage` decides texts with more than one script flag (any Han ideograph, or a mix).
UINT LikelyCharset(const wchar_t* text, UINT codePage) noexcept;

}  // namespace ovut::locale

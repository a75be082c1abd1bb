// The user-interface language that all modules of the product family show, stored per user.
#pragma once
#include <windows.h>

#include <cstdint>

namespace ovut::env {

// The library's language number of a Windows language identifier; 1 (English) for languages
// it does not list.
uint32_t LanguageNumberOf(LANGID language) noexcept;

// "Language" under "Software\Orvask\Appearance" below the user root: written with full access
// (key created when missing), read with read access. Set returns a registry error code, 0 on
// success; Get falls back to the number of the user's UI language.
LONG SetStoredLanguage(uint32_t language) noexcept;
uint32_t GetStoredLanguage() noexcept;

}  // namespace ovut::env

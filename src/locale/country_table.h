// Countries by English name (case-insensitive) with their locale, calling code, ISO 3166 codes,
// currency, ANSI code page, language code and native name; and language codes to locales.
// Built on first use from the system's locales and the library's supplementary rows, then kept
// for the life of the process; every lookup holds the table's lock.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/string.h"

namespace ovut::locale {

enum CountryKind {
  kCountryLcid = 0,
  kCountryCallingCode = 1,
  kCountryIso3166 = 2,
  kCountryCurrency = 4,
  kCountryAnsiCodePage = 5,
  kCountryLanguageCode = 6,
  kCountryNativeName = 7,
};
constexpr int kUnknownKind = -18;

struct CountryValue {
  bool found = false;
  bool isNumber = false;
  int32_t number = 0;
  String text;
};

// All English country names, sorted without regard to case, joined by ";".
String CountryList();
// 0 (value->found false for an unknown country), or kUnknownKind.
int CountryInfo(const wchar_t* country, int kind, CountryValue* value);
// The locale identifier of a language code ("de-DE", "sr-Latn-CS"); false when unknown.
bool LanguageLocale(const wchar_t* code, LCID* lcid);

void InitializeCountryTable();
void ShutdownCountryTable();

// Rows "name*locale:NativeName=..;CallingCode=..;ISO3166=..;LanguageCode=..;Currency=..;ANSICP=..",
// ended by a null pointer; and the locale that represents a country reached through several.
extern const wchar_t* const kSupplementaryCountryRows[];
struct PreferredLocale {
  const wchar_t* iso3166;
  LCID lcid;
};
extern const PreferredLocale kPreferredLocales[];
extern const size_t kPreferredLocaleCount;

}  // namespace ovut::locale

#include "locale/country_table.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "foundation/critical_section.h"

namespace ovut::locale {
namespace {

struct Country {
  LCID lcid = 0;
  int32_t callingCode = 0;
  String iso3166, currency, languageCode, nativeName;
  int32_t ansiCodePage = 0;
};

struct ICaseLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const { return _wcsicmp(a.c_str(), b.c_str()) < 0; }
};

struct CountryTable {
  CriticalSection lock;
  bool built = false;
  std::map<std::wstring, Country, ICaseLess> countries;
  std::map<std::wstring, LCID, ICaseLess> languages;
};
CountryTable* g_table = nullptr;

String Info(LCID lcid, LCTYPE type) {
  wchar_t buf[100];
  int n = GetLocaleInfoW(lcid, type, buf, 100);
  return n > 1 ? String(buf, 0, n - 1) : String();
}

// Digits only: "001-684" reads as 1684.
int32_t Digits(const wchar_t* text) {
  int32_t v = 0;
  for (const wchar_t* p = text; *p; ++p)
    if (*p >= L'0' && *p <= L'9' && v < 100000000) v = v * 10 + (*p - L'0');
  return v;
}

std::vector<LCID>* g_collecting = nullptr;  // only while building, under the table lock

BOOL CALLBACK Collect(LPWSTR text) {
  if (g_collecting && text) {
    try {
      g_collecting->push_back(static_cast<LCID>(wcstoul(text, nullptr, 16)));
    } catch (...) {
      return FALSE;
    }
  }
  return TRUE;
}

Country FromSystem(LCID lcid) {
  Country c;
  c.lcid = lcid;
  c.callingCode = Digits(Info(lcid, LOCALE_ICOUNTRY));
  c.iso3166 = Info(lcid, LOCALE_SISO3166CTRYNAME);
  String iso3 = Info(lcid, LOCALE_SISO3166CTRYNAME2);
  if (!c.iso3166.IsEmpty() && !iso3.IsEmpty()) c.iso3166.Append(L'/').Append(iso3);
  c.currency = Info(lcid, LOCALE_SINTLSYMBOL);
  c.ansiCodePage = Digits(Info(lcid, LOCALE_IDEFAULTANSICODEPAGE));
  c.nativeName = Info(lcid, LOCALE_SNATIVECTRYNAME);
  c.languageCode = Info(lcid, LOCALE_SNAME);
  if (c.languageCode.IsEmpty()) {
    String lang = Info(lcid, LOCALE_SISO639LANGNAME), ctry = Info(lcid, LOCALE_SISO3166CTRYNAME);
    if (!lang.IsEmpty() && !ctry.IsEmpty()) c.languageCode = String::Formatted(L"%s-%s", lang.c_str(), ctry.c_str());
  }
  return c;
}

LCID PreferredFor(const String& iso3166) {
  for (size_t i = 0; i < kPreferredLocaleCount; ++i)
    if (_wcsnicmp(iso3166.c_str(), kPreferredLocales[i].iso3166, 2) == 0 &&
        (iso3166.Length() == 2 || iso3166.At(2) == L'/'))
      return kPreferredLocales[i].lcid;
  return 0;
}

void AddSystemLocales(CountryTable& t) {
  std::vector<LCID> lcids;
  g_collecting = &lcids;
  EnumSystemLocalesW(Collect, LCID_SUPPORTED);
  g_collecting = nullptr;
  std::sort(lcids.begin(), lcids.end());
  for (LCID lcid : lcids) {
    String name = Info(lcid, LOCALE_SENGCOUNTRY);
    if (name.IsEmpty()) continue;
    Country c = FromSystem(lcid);
    if (!c.languageCode.IsEmpty()) t.languages.emplace(c.languageCode.c_str(), lcid);
    auto it = t.countries.find(name.c_str());
    if (it == t.countries.end()) {
      t.countries.emplace(name.c_str(), c);  // lowest identifier first
    } else if (PreferredFor(c.iso3166) == lcid) {
      it->second = c;
    }
  }
}

// "name*locale:Key=value;...": a new country is created; for a known one the row corrects the
// values when it names the country's own locale, and otherwise only fills what is missing.
void AddRow(CountryTable& t, const wchar_t* row) {
  const wchar_t* star = wcschr(row, L'*');
  const wchar_t* colon = star ? wcschr(star, L':') : nullptr;
  if (!star || !colon) return;
  std::wstring name(row, star - row);
  const LCID lcid = static_cast<LCID>(Digits(std::wstring(star + 1, colon - star - 1).c_str()));
  auto it = t.countries.find(name);
  const bool created = it == t.countries.end();
  if (created) {
    it = t.countries.emplace(name, Country()).first;
    it->second.lcid = lcid;
  }
  Country& c = it->second;
  const bool correct = created || c.lcid == lcid;
  std::wstring pairs(colon + 1);
  size_t pos = 0;
  while (pos <= pairs.size()) {
    size_t end = pairs.find(L';', pos);
    if (end == std::wstring::npos) end = pairs.size();
    std::wstring pair = pairs.substr(pos, end - pos);
    pos = end + 1;
    const size_t eq = pair.find(L'=');
    if (eq == std::wstring::npos) continue;
    const std::wstring key = pair.substr(0, eq);
    const String value(pair.c_str() + eq + 1);
    auto text = [&](String& field) {
      if (correct || field.IsEmpty()) field = value;
    };
    auto number = [&](int32_t& field) {
      if (correct || field == 0) field = Digits(value.c_str());
    };
    if (key == L"NativeName") text(c.nativeName);
    else if (key == L"CallingCode") number(c.callingCode);
    else if (key == L"ISO3166") text(c.iso3166);
    else if (key == L"LanguageCode") {
      text(c.languageCode);
      if (lcid && !value.IsEmpty()) t.languages.emplace(value.c_str(), lcid);
    } else if (key == L"Currency") text(c.currency);
    else if (key == L"ANSICP") number(c.ansiCodePage);
  }
}

// Under the table lock.
CountryTable* Built() {
  if (!g_table) return nullptr;
  if (!g_table->built) {
    AddSystemLocales(*g_table);
    for (const wchar_t* const* row = kSupplementaryCountryRows; *row; ++row) AddRow(*g_table, *row);
    g_table->built = true;
  }
  return g_table;
}

}  // namespace

void InitializeCountryTable() {
  if (!g_table) g_table = new (std::nothrow) CountryTable;
}

void ShutdownCountryTable() {
  delete g_table;
  g_table = nullptr;
}

String CountryList() {
  String list;
  if (!g_table) return list;
  AutoLock hold(g_table->lock);
  if (CountryTable* t = Built())
    for (const auto& c : t->countries) list.Append(L';', String(c.first.c_str()));  // map order: sorted
  return list;
}

int CountryInfo(const wchar_t* country, int kind, CountryValue* value) {
  *value = CountryValue();
  if (kind < 0 || kind == 3 || kind > 7) return kUnknownKind;
  if (!country || !g_table) return 0;
  AutoLock hold(g_table->lock);
  CountryTable* t = Built();
  auto it = t->countries.find(country);
  if (it == t->countries.end()) return 0;
  const Country& c = it->second;
  value->found = true;
  value->isNumber = kind == kCountryLcid || kind == kCountryCallingCode || kind == kCountryAnsiCodePage;
  switch (kind) {
    case kCountryLcid: value->number = static_cast<int32_t>(c.lcid); break;
    case kCountryCallingCode: value->number = c.callingCode; break;
    case kCountryAnsiCodePage: value->number = c.ansiCodePage; break;
    case kCountryIso3166: value->text = c.iso3166; break;
    case kCountryCurrency: value->text = c.currency; break;
    case kCountryLanguageCode: value->text = c.languageCode; break;
    default: value->text = c.nativeName; break;
  }
  return 0;
}

bool LanguageLocale(const wchar_t* code, LCID* lcid) {
  if (!code || !g_table) return false;
  AutoLock hold(g_table->lock);
  CountryTable* t = Built();
  auto it = t->languages.find(code);
  if (it == t->languages.end()) return false;
  *lcid = it->second;
  return true;
}

}  // namespace ovut::locale

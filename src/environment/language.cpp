#include "environment/language.h"

#include "environment/registry_values.h"
#include "environment/user_root.h"
#include "foundation/scoped_handle.h"
#include "foundation/string.h"

namespace ovut::env {
namespace {

const wchar_t kAppearanceKey[] = L"Software\\Orvask\\Appearance";

// Indexed by the primary language (0..56); 0xFF marks the ones decided by the sublanguage.
constexpr uint8_t kBySub = 0xFF;
constexpr uint8_t kPrimary[57] = {
    1,  2,  6,  8,  kBySub, 11, 12, 0,  19, 1,  kBySub, 17, 18, 20, 21, 22, 24, 25, 26,
    13, 29, 30, kBySub, 1, 32, 33, kBySub, 34, 4, 38, 39, 40, 1,  23, 41, 7,  35, 14, 27,
    28, 1,  16, 1,  1,  1,  5,  1,  1,  1,  1,  1,  1,  1,  1,  3,  1,  15};

}  // namespace

uint32_t LanguageNumberOf(LANGID language) noexcept {
  const unsigned primary = PRIMARYLANGID(language);
  const unsigned sub = SUBLANGID(language);
  if (primary == 0 || primary > 56) return 1;
  switch (primary) {
    case LANG_CHINESE: return sub == 2 ? 9 : sub == 1 ? 48 : 1;
    case LANG_SPANISH: return sub == 9 ? 130 : 37;
    case LANG_PORTUGUESE: return sub == 1 ? 129 : 31;
    case 26: return sub == 3 ? 36 : sub == 2 ? 42 : 10;  // Croatian and Serbian
    default: return kPrimary[primary];
  }
}

LONG SetStoredLanguage(uint32_t language) noexcept {
  clsUserRoot root(KEY_ALL_ACCESS);
  UniqueRegKey key;
  LONG rc = RegCreateKeyExW(root.get(), kAppearanceKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            key.put(), nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  DWORD value = language;
  // A value that could not be written is a failure, not a success.
  rc = RegSetValueExW(key.get(), L"Language", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  if (rc != ERROR_SUCCESS) return rc;
  return RegCloseKey(key.release());
}

uint32_t GetStoredLanguage() noexcept {
  clsUserRoot root(KEY_READ);
  DWORD value = 0;
  if (ReadRegistryDword(root.get(), kAppearanceKey, L"Language", value)) return value;
  return LanguageNumberOf(ovut::UILanguage());
}

}  // namespace ovut::env

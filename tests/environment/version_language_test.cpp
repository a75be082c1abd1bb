// Version numbers and the shared user-interface language.
#include <gtest/gtest.h>

#include "env_test_util.h"
#include "environment/language.h"
#include "foundation/string.h"
#include "ovut19/environment.h"

using ovut::env::LanguageNumberOf;

TEST(Version, Selectors) {
  const int expected[] = {0x130001, 19, 1, 0, -1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(UtilGetVersion(i), expected[i]) << i;
  EXPECT_EQ(UtilGetVersion(-1), -1);
}

TEST(Language, NumbersOfWindowsLanguages) {
  const struct { LANGID id; uint32_t number; } cases[] = {
      {0x0407, 0},   {0x0C07, 0},   {0x0409, 1},   {0x0416, 129}, {0x0816, 31},  {0x0804, 9},
      {0x0404, 48},  {0x0C04, 1},   {0x0C0A, 37},  {0x240A, 130}, {0x041A, 10},  {0x081A, 42},
      {0x0C1A, 36},  {0x0401, 2},   {0x0436, 3},   {0x0438, 15},  {0x042D, 5},   {0x0429, 16},
      {0x041E, 39},  {0x0411, 25},  {0x0000, 1},   {0x0439, 1},   {0x0420, 1},   {0x0417, 1},
      {0x040B, 17},  {0x0423, 7},   {0x0425, 14},  {0x0426, 27},  {0x0427, 28},  {0x0424, 35},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageNumberOf(c.id), c.number) << std::hex << c.id;
}

TEST(Language, StoredPerUserWithFallbackToTheUiLanguage) {
  const wchar_t kKey[] = L"Software\\Orvask\\Appearance";
  envtest::ScopedRegValue saved(HKEY_CURRENT_USER, kKey, L"Language");
  saved.Delete();
  EXPECT_EQ(UtilLanguageGet(), LanguageNumberOf(ovut::UILanguage()));
  RegDeleteKeyW(HKEY_CURRENT_USER, kKey);  // Set creates the key
  EXPECT_EQ(UtilLanguageSet(129), 0);
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kKey, L"Language", RRF_RT_REG_DWORD, nullptr, &value, &size), 0);
  EXPECT_EQ(value, 129u);
  EXPECT_EQ(UtilLanguageGet(), 129u);
  // A value of another type is not a language.
  RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Language", REG_SZ, L"7", 4);
  EXPECT_EQ(UtilLanguageGet(), LanguageNumberOf(ovut::UILanguage()));
}

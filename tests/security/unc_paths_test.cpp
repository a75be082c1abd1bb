// Path normalisation and the UNC and drive-letter forms, as far as they work without a network:
// local drives, drives mapped to folders, UNC paths without a remembered connection, bad input.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include <winnetwk.h>

#include "security/unc_paths.h"
#include "support/test_support.h"

namespace {

using ovut::security::CopyForWise;
using ovut::security::EnsureLocalPath;
using ovut::security::EnsureUNCPath;
using ovut::security::NormalisePath;

TEST(UncPaths, Normalisation) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Case cases[] = {
      {L"C:\\x\\..\\y.txt", L"C:\\y.txt"},
      {L"C:\\a\\.\\b\\.\\.\\c", L"C:\\a\\b\\c"},
      {L"c:\\a\\b\\..\\..\\..\\d", L"c:\\d"},
      {L"\\\\srv\\share\\dir\\..\\f.txt", L"\\\\srv\\share\\f.txt"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.out, NormalisePath(c.in).c_str()) << c.in;
  // Relative paths become full ones.
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  std::wstring expected = std::wstring(current) + L"\\rel.txt";
  EXPECT_EQ(0, _wcsicmp(expected.c_str(), NormalisePath(L"rel.txt").c_str()));
  // Too long to resolve in 260 characters: used as given.
  const std::wstring longPath = L"C:\\" + std::wstring(300, L'a') + L"\\.\\b";
  EXPECT_EQ(longPath, std::wstring(NormalisePath(longPath.c_str()).c_str()));
}

TEST(UncPaths, UncFormOfLocalMappedAndUncPaths) {
  String result = L"unchanged";
  testsupport::TempDir dir;
  EXPECT_EQ(-1, EnsureUNCPath(dir.path().c_str(), result));
  EXPECT_STREQ(L"unchanged", result.c_str());
  const std::wstring longPath = L"C:\\" + std::wstring(300, L'a');
  EXPECT_EQ(-1, EnsureUNCPath(longPath.c_str(), result));

  // A drive letter mapped to a local folder is no network drive either.
  wchar_t letter[3] = L"Q:";
  for (wchar_t c = L'Q'; c <= L'Z'; ++c) {
    letter[0] = c;
    if (GetDriveTypeW((std::wstring(letter) + L"\\").c_str()) == DRIVE_NO_ROOT_DIR) break;
  }
  if (DefineDosDeviceW(0, letter, dir.path().c_str())) {
    EXPECT_EQ(-1, EnsureUNCPath((std::wstring(letter) + L"\\f.txt").c_str(), result));
    DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, letter, dir.path().c_str());
  }

  ASSERT_EQ(0, EnsureUNCPath(L"\\\\srv\\share\\dir\\f.txt", result));
  EXPECT_STREQ(L"\\\\srv\\share\\dir\\f.txt", result.c_str());
  ASSERT_EQ(0, EnsureUNCPath(L"", result));
  EXPECT_STREQ(L"", result.c_str());
}

TEST(UncPaths, LocalFormWithoutRememberedConnection) {
  String result;
  ASSERT_EQ(0, EnsureLocalPath(L"C:\\x\\..\\y.txt", result));
  EXPECT_STREQ(L"C:\\y.txt", result.c_str());
  const int rc = EnsureLocalPath(L"\\\\nosuchserver\\share\\dir\\..\\f.txt", result);
  // Where the remembered connections cannot be listed the conversion fails; otherwise no
  // connection matches and the normalised path comes back.
  if (rc == 0) EXPECT_STREQ(L"\\\\nosuchserver\\share\\f.txt", result.c_str());
  else EXPECT_EQ(-1, rc);
}

TEST(UncPaths, CopyForWiseTellsEveryShortfallFromSuccess) {
  char buffer[8];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(7, CopyForWise(L"N:\\dir", buffer, 0));
  EXPECT_EQ(7, CopyForWise(L"N:\\dir", nullptr, 8));
  EXPECT_EQ(7, CopyForWise(L"N:\\dir", buffer, -3));
  EXPECT_EQ(5, CopyForWise(L"N:\\dir", buffer, 5));
  EXPECT_EQ(6, CopyForWise(L"N:\\dir", buffer, 6));
  EXPECT_EQ('#', buffer[0]);
  EXPECT_EQ(0, CopyForWise(L"N:\\dir", buffer, 7));
  EXPECT_STREQ("N:\\dir", buffer);
  EXPECT_EQ(1, CopyForWise(L"", nullptr, 0));
}

}  // namespace

namespace {

// A remembered connection of the current user, as the network provider keeps it
// (HKCU\Network\<letter>); removed again when the object ends.
class RememberedDrive {
 public:
  RememberedDrive(const wchar_t* letter, const wchar_t* remote) : key_(std::wstring(L"Network\\") + letter) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != 0) return;
    const DWORD disk = RESOURCETYPE_DISK;
    RegSetValueExW(k, L"ConnectionType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&disk), sizeof disk);
    const wchar_t provider[] = L"Microsoft Windows Network";
    RegSetValueExW(k, L"ProviderName", 0, REG_SZ, reinterpret_cast<const BYTE*>(provider), sizeof provider);
    const DWORD lanman = 0x20000;  // WNNC_NET_LANMAN
    RegSetValueExW(k, L"ProviderType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&lanman), sizeof lanman);
    RegSetValueExW(k, L"RemotePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(remote),
                   static_cast<DWORD>((wcslen(remote) + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
  }
  ~RememberedDrive() { RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str()); }

 private:
  std::wstring key_;
};

TEST(UncPaths, LocalFormThroughARememberedConnection) {
  RememberedDrive drive(L"N", L"\\\\SRV\\share");
  String result;
  const int probe = EnsureLocalPath(L"\\\\srv\\share", result);
  if (probe != 0 || result != L"N:")
    GTEST_SKIP() << "remembered connections are not listed here (result " << probe << ")";
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Case cases[] = {
      {L"\\\\srv\\share\\dir\\f.txt", L"N:\\dir\\f.txt"},
      {L"\\\\SRV\\SHARE\\dir\\..\\g.txt", L"N:\\g.txt"},
      {L"\\\\srv\\shared\\f.txt", L"\\\\srv\\shared\\f.txt"},  // another share of the same server
      {L"\\\\srv2\\share\\f.txt", L"\\\\srv2\\share\\f.txt"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(0, EnsureLocalPath(c.in, result)) << c.in;
    EXPECT_STREQ(c.out, result.c_str()) << c.in;
  }
  char buffer[5];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(5, CopyForWise(L"N:\\dir", buffer, sizeof buffer));
  EXPECT_EQ('#', buffer[0]);
}

}  // namespace

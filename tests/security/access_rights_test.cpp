// Explicit entries set into real files' and folders' DACLs, read back with the system's calls.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "bstr_holder.h"
#include "ovut19/security.h"
#include "support/debug_capture.h"
#include "support/test_support.h"

namespace {

struct Entry {
  BYTE type;
  BYTE flags;
  DWORD mask;
};

// The explicit (not inherited) entries of `trustee` in the object's DACL.
std::vector<Entry> ExplicitEntries(const std::wstring& path, const wchar_t* trusteeSid) {
  std::vector<Entry> found;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                            &sd) != ERROR_SUCCESS)
    return found;
  PSID trustee = nullptr;
  ConvertStringSidToSidW(trusteeSid, &trustee);
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || (ace->AceFlags & INHERITED_ACE)) continue;
    if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE && ace->AceType != ACCESS_DENIED_ACE_TYPE) continue;
    auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);  // same layout for denied entries
    if (EqualSid(&allowed->SidStart, trustee)) found.push_back({ace->AceType, ace->AceFlags, allowed->Mask});
  }
  LocalFree(trustee);
  LocalFree(sd);
  return found;
}

const wchar_t kEveryone[] = L"S-1-1-0";

}  // namespace

TEST(AccessRights, SetAccessAddsThenReplacesTheTrusteesEntry) {
  testsupport::TempDir dir;
  std::wstring file = dir.File(L"granted.txt");
  ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));

  ASSERT_EQ(UtilAddAccessRights(file.c_str(), L".\\Everyone", FILE_GENERIC_READ, NO_INHERITANCE), 0);
  std::vector<Entry> e = ExplicitEntries(file, kEveryone);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].type, ACCESS_ALLOWED_ACE_TYPE);
  EXPECT_EQ(e[0].mask & FILE_GENERIC_READ, FILE_GENERIC_READ);
  EXPECT_EQ(e[0].mask & FILE_WRITE_DATA, 0u);

  // The same trustee again: one entry with the new rights, not a second one.
  ASSERT_EQ(UtilAddAccessRights(file.c_str(), L"Everyone", FILE_GENERIC_READ | FILE_GENERIC_WRITE, NO_INHERITANCE), 0);
  e = ExplicitEntries(file, kEveryone);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].mask & FILE_WRITE_DATA, DWORD(FILE_WRITE_DATA));
  // Back to read only: Everyone's write right is gone again.
  ASSERT_EQ(UtilAddAccessRights(file.c_str(), L"Everyone", FILE_GENERIC_READ, NO_INHERITANCE), 0);
  e = ExplicitEntries(file, kEveryone);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].mask & FILE_WRITE_DATA, 0u);
  EXPECT_EQ(testsupport::ReadFileBytes(file), "x");
}

TEST(AccessRights, FolderEntriesCarryTheInheritanceFlags) {
  testsupport::TempDir dir;
  std::wstring folder = dir.File(L"shared");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  // The SID-text form, as an installer script passes it (Everyone: S-1-1-0).
  std::string ansiFolder(folder.begin(), folder.end());
  ASSERT_EQ(UtilAddAccessRightsForWise(ansiFolder.c_str(), "AQEAAAAAAAEAAAAA", FILE_ALL_ACCESS,
                                       SUB_CONTAINERS_AND_OBJECTS_INHERIT),
            0);
  std::vector<Entry> e = ExplicitEntries(folder, kEveryone);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].mask & FILE_ADD_FILE, DWORD(FILE_ADD_FILE));
  EXPECT_EQ(e[0].flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE), OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
}

TEST(AccessRights, FailuresReturnMinusTwoWithTheirDebugLine) {
  testsupport::TempDir dir;
  std::wstring file = dir.File(L"f.txt");
  ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
  const std::vector<Entry> before = ExplicitEntries(file, kEveryone);
  testsupport::DebugCapture capture;
  EXPECT_EQ(UtilAddAccessRights(dir.File(L"missing.txt").c_str(), L"Everyone", GENERIC_READ, 0), -2);
  EXPECT_TRUE(capture.Contains(L"__AdvAPI.GetNamedSecurityInfo failed: "));
  capture.Clear();
  EXPECT_EQ(UtilAddAccessRights(file.c_str(), L"no such account 7f3a", GENERIC_READ, 0), -2);
  EXPECT_TRUE(capture.Contains(L"__AdvAPI.SetEntriesInAcl failed: "));
  capture.Clear();
  // An unresolvable SID text leaves the account empty, and the entry fails.
  std::string ansiFile(file.begin(), file.end());
  EXPECT_EQ(UtilAddAccessRightsForWise(ansiFile.c_str(), "not a sid", GENERIC_READ, 0), -2);
  EXPECT_EQ(UtilAddAccessRightsForWise(nullptr, "AQEAAAAAAAEAAAAA", GENERIC_READ, 0), -2);
  EXPECT_EQ(UtilAddAccessRights(nullptr, L"Everyone", GENERIC_READ, 0), -2);
  EXPECT_EQ(UtilAddAccessRights(file.c_str(), nullptr, GENERIC_READ, 0), -2);
  EXPECT_TRUE(capture.Contains(L"__AdvAPI.SetEntriesInAcl failed: "));
  EXPECT_EQ(UtilAddAccessRights(file.c_str(), L".\\", GENERIC_READ, 0), -2);
  // Nothing was set by the failed calls.
  std::vector<Entry> after = ExplicitEntries(file, kEveryone);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].mask, before[i].mask);
}

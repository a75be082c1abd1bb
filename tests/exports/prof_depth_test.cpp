// Lists nest at most 1000 levels below a job's root. Through the exports: paths that would nest
// deeper make nothing, copies that would are refused with -8, very deep and very long paths stay
// cheap, and small files that nest far deeper fail to open with -7 at once.
#include <windows.h>

#include <string>

#include "prof_fixture.h"
#include "support/test_support.h"

using proftest::Get;
using proftest::Items;
using proftest::Job;

namespace {

// `n` list segments, each followed by "/".
std::wstring Segments(int n) {
  std::wstring p;
  for (int i = 0; i < n; ++i) p += L"s/";
  return p;
}
std::wstring NoSlash(std::wstring p) {
  p.pop_back();
  return p;
}
std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
  ASSERT_EQ(done, bytes.size());
}

}  // namespace

TEST(ProfDepth, PathsNestListsUpToTheBoundAndNoFurther) {
  Job job;
  const std::wstring at = Segments(1000), over = Segments(1001);
  // One list too many: nothing at all is made, whichever call asks.
  ProfSetStringW(job, 0, (over + L"x").c_str(), L"1");
  ProfAppendStringW(job, 0, (over + L"x").c_str(), L"1");
  ProfSetIntA(job, 0, Narrow(over + L"x").c_str(), 1);
  EXPECT_EQ(ProfAppendListW(job, 0, (at + L"x").c_str()), 0);  // the final segment is a list too
  EXPECT_EQ(ProfCreateListW(job, 0, (at + L"x").c_str()), 0);
  EXPECT_EQ(ProfCreateListA(job, 0, Narrow(at + L"x").c_str()), 0);
  EXPECT_EQ(Items(job, 0), L"");

  ProfSetStringW(job, 0, (at + L"x").c_str(), L"1");
  EXPECT_EQ(Get(job, 0, (at + L"x").c_str()), L"1");
  HPROFLIST bottom = ProfGetListW(job, 0, NoSlash(at).c_str());
  ASSERT_NE(bottom, 0);
  // Below a list handle the depth still counts from the root: values fit, lists do not.
  EXPECT_EQ(ProfCreateListW(job, bottom, L"y"), 0);
  EXPECT_EQ(ProfAppendListW(job, bottom, L"y"), 0);
  ProfSetStringW(job, bottom, L"y/z", L"2");
  ProfSetStringW(job, bottom, L"z", L"3");
  EXPECT_EQ(Items(job, bottom), L"x=1;z=3");
  HPROFLIST above = ProfGetListW(job, 0, NoSlash(Segments(999)).c_str());
  EXPECT_NE(ProfAppendListW(job, above, L"t"), 0);
  EXPECT_EQ(ProfAppendListW(job, above, L"t/u"), 0);
  // A leading "/" starts at the root again.
  EXPECT_NE(ProfCreateListW(job, bottom, L"/y"), 0);
}

TEST(ProfDepth, CopiesThatWouldNestTooDeepAreRefused) {
  Job src, dest;
  ProfSetStringW(src, 0, L"a/b/v", L"1");  // two levels of lists
  HPROFLIST at998 = ProfCreateListW(dest, 0, NoSlash(Segments(998)).c_str());
  HPROFLIST at999 = ProfCreateListW(dest, at998, L"n");
  ASSERT_NE(at999, 0);
  EXPECT_EQ(ProfCopyList(dest, at999, src, 0), -8);
  EXPECT_EQ(Items(dest, at999), L"");
  EXPECT_EQ(ProfCopyList(dest, at998, src, 0), 0);
  EXPECT_EQ(Get(dest, at998, L"a/b/v"), L"1");
}

// Paths of 100,000 segments and segments of a million units: every call costs time linear in
// the path (quadratic work would take minutes here) and nothing beyond the bound is made.
TEST(ProfDepth, VeryDeepAndVeryLongPathsAreCheap) {
  Job job;
  ProfSetStringW(job, 0, L"s/s/leaf", L"v");
  const std::wstring deep = Segments(100000) + L"leaf";
  const std::string deepA = Narrow(deep);
  ProfSetStringW(job, 0, deep.c_str(), L"x");
  ProfAppendStringA(job, 0, deepA.c_str(), "x");
  ProfSetInt64W(job, 0, deep.c_str(), 1);
  EXPECT_EQ(ProfAppendListW(job, 0, deep.c_str()), 0);
  EXPECT_EQ(ProfAppendListA(job, 0, deepA.c_str()), 0);
  EXPECT_EQ(ProfCreateListW(job, 0, deep.c_str()), 0);
  EXPECT_EQ(ProfGetListW(job, 0, deep.c_str()), 0);
  EXPECT_EQ(ProfGetStringLengthW(job, 0, deep.c_str()), -6);
  int value = 0;
  EXPECT_EQ(ProfGetIntA(job, 0, deepA.c_str(), &value, 7), -6);
  EXPECT_EQ(value, 7);
  ProfDeleteItemW(job, 0, deep.c_str());
  ProfDeleteListA(job, 0, deepA.c_str());
  EXPECT_EQ(Items(job, 0), L"[s]");
  EXPECT_EQ(Get(job, 0, L"s/s/leaf"), L"v");

  // Lists are named by the first 255 units of a segment, the item by the whole final one.
  const std::wstring seg(1 << 20, L'x');
  const std::wstring longPath = seg + L"/" + seg + L"/" + seg;
  ProfSetStringW(job, 0, longPath.c_str(), L"long");
  EXPECT_EQ(Get(job, 0, longPath.c_str()), L"long");
  const std::wstring cut(255, L'x');
  EXPECT_EQ(Get(job, ProfGetListW(job, 0, (cut + L"/" + cut).c_str()), seg.c_str()), L"long");
  ProfDeleteItemW(job, 0, longPath.c_str());
  EXPECT_EQ(Get(job, 0, longPath.c_str()), L"<missing>");
}

// A few hundred KB of nested list headers in each stored form: the open fails with -7 as soon
// as the bound is passed, and the job left behind saves and reopens at once.
TEST(ProfDepth, FilesNestingTooDeepFailToOpen) {
  testsupport::TempDir dir;
  const std::wstring path = dir.File(L"deep.prf");
  const int kDeep = 20000;
  std::string ini8 = "[/]\r\n{\r\n", named;
  std::wstring ini16 = L"\xfeff[/]\r\n{\r\n", xml16 = L"\xfeff<profile>\r\n";
  for (int i = 0; i < kDeep; ++i) {
    ini8 += "[d]\r\n{\r\n";
    named += "[d]\r\n";  // headers without braces nest too
    ini16 += L"[d]\r\n{\r\n";
    xml16 += L"<list name=\"d\">\r\n";
  }
  auto bytes = [](const std::wstring& w) { return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2); };
  const std::string files[] = {ini8, named, bytes(ini16), bytes(xml16)};
  for (const std::string& file : files) {
    WriteBytes(path, file);
    HPROFJOB job = ProfJobOpenW(path.c_str());
    EXPECT_EQ(ProfGetError(job), -7) << file.substr(0, 12);
    EXPECT_EQ(ProfSaveW(job, path.c_str(), 1), 0);
    HPROFJOB back = ProfJobOpenW(path.c_str());
    EXPECT_EQ(ProfGetError(back), 0);
    ProfJobClose(back);
    ProfJobClose(job);
  }
}

// The C++ owners of include/ovut19.hpp over the real DLL: each owner closes exactly once (moves
// hand the handle over), "Try" calls report codes and the plain ones throw them, texts of any length.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ovut19.hpp"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring TempPath(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name;
}

TEST(CppHeader, ProfJobTextsResultsAndSharedLifetime) {
  HPROFJOB raw = 0;
  ovut19::ProfJob shared;
  {
    ovut19::ProfJob job = ovut19::ProfJob::Open();
    raw = job.get();
    const std::wstring longText(5000, L'x');
    job.SetString(L"List/Long", longText.c_str());
    job.SetString(L"Empty", L"");
    EXPECT_EQ(longText, job.GetString(L"List/Long"));
    EXPECT_EQ(L"", job.GetString(L"Empty"));

    auto missing = job.TryGetString(L"Nope");
    EXPECT_FALSE(missing);
    EXPECT_EQ(-6, missing.error());
    EXPECT_EQ(L"fallback", job.GetString(L"Nope", std::wstring(L"fallback")));
    try {
      job.GetString(L"Nope");
      ADD_FAILURE() << "no exception";
    } catch (const ovut19::Error& e) {
      EXPECT_EQ(-6, e.code());
    }
    shared = job.Share();
  }
  // The first owner has gone; the shared one still holds the job.
  EXPECT_EQ(5000u, shared.GetString(L"List/Long").size());
  shared.reset();
  EXPECT_EQ(0, ProfJobAddRef(raw));

  auto unreadable = ovut19::ProfJob::TryOpen(L"Z:\\no such folder\\none.prf");
  EXPECT_FALSE(unreadable);
  EXPECT_EQ(-10, unreadable.error());
}

TEST(CppHeader, OwnersCloseOnceAndMovesHandOver) {
  HUTILHEAP raw = nullptr;
  {
    ovut19::Module module = ovut19::Module::Open(L"CppHeaderTest");
    ovut19::Heap first = ovut19::Heap::Create(module, L"Objects", UTILHEAP_DEBUG);
    raw = first.get();
    ovut19::Heap second = std::move(first);
    EXPECT_FALSE(first);
    void* object = second.Alloc(32, UTILHEAP_ZERO);
    ASSERT_NE(nullptr, object);
    EXPECT_TRUE(second.TryFree(object));
    EXPECT_EQ(UTILHEAP_BAD_OBJECT, second.TryFree(object).error());
    EXPECT_EQ(UTILHEAP_BAD_OBJECT, second.TryAlloc(-1).error());  // refused size: a code, or
    EXPECT_THROW(second.Alloc(-1), ovut19::Error);                 // an exception
  }
  // The heap owner deleted its heap (once: the moved-from owner did nothing).
  EXPECT_EQ(UTILHEAP_INVALID_HANDLE, UtilHeapDelete(raw));
}

TEST(CppHeader, ZipArchiveWritesOnCloseAndReportsFailures) {
  const std::wstring source = TempPath(L"ovut_cpp_header.txt"), archive = TempPath(L"ovut_cpp_header.zip");
  HANDLE f = CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, f);
  DWORD written;
  WriteFile(f, "hello", 5, &written, nullptr);
  CloseHandle(f);

  ovut19::ZipArchive zip = ovut19::ZipArchive::Create(archive.c_str());
  zip.Append(source.c_str(), L"hello.txt");
  EXPECT_EQ(-1, zip.TryAppend(L"Z:\\no such folder\\none.txt").error());
  EXPECT_THROW(zip.Append(L"Z:\\no such folder\\none.txt"), ovut19::Error);
  zip.Close();
  EXPECT_FALSE(zip);
  EXPECT_TRUE(Exists(archive));

  auto refused = ovut19::ZipArchive::TryCreate(L"Z:\\no such folder\\x.zip");
  EXPECT_FALSE(refused);
  EXPECT_THROW(refused.value(), ovut19::Error);
  DeleteFileW(source.c_str());
  DeleteFileW(archive.c_str());
}

TEST(CppHeader, TempFileGoesWhenItsOwnerEnds) {
  std::wstring path;
  {
    ovut19::TempFile file = ovut19::TempFile::Create(L"cpp", L"tmp");
    path = file.path();
    EXPECT_TRUE(Exists(path));
    ovut19::TempFile moved = std::move(file);
    EXPECT_TRUE(file.path().empty());
    EXPECT_TRUE(Exists(path));
  }
  // Without an open manager the file is deleted at once.
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(ovut19::TempFile::TryCreate(L"no|pe", L"tmp"));
}

TEST(CppHeader, TextResults) {
  EXPECT_EQ(L"YWJj", ovut19::BytesToString("abc", 3));
  EXPECT_EQ(L"", ovut19::BytesToString("", 0));
  ovut19::DebugHelpJob job = ovut19::DebugHelpJob::Open();
  const std::wstring symbol = job.Symbol(reinterpret_cast<const void*>(&UtilGetVersion));
  EXPECT_NE(std::wstring::npos, symbol.find(L"OVUT19")) << symbol;
  EXPECT_EQ(UTIL_DBGHELP_NO_MODULE, job.TrySymbol(reinterpret_cast<const void*>(16)).error());
}

TEST(CppHeader, DocInfoListDeliversTextsAndNothingForMissingFiles) {
  const std::wstring path = TempPath(L"cpp_header_doc.eml");
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  const char mail[] = "Subject: =?ISO-8859-1?Q?Gr=FC=DFe?=\r\nFrom: Anna <anna@example.org>\r\n\r\nbody\r\n";
  DWORD written = 0;
  WriteFile(h, mail, sizeof(mail) - 1, &written, nullptr);
  CloseHandle(h);

  ovut19::DocInfoList list = ovut19::DocInfoList::Open();
  auto info = list.Get(path.c_str());
  ASSERT_TRUE(info);
  EXPECT_EQ(L"Gr\u00fc\u00dfe", info->title);
  EXPECT_EQ(path, info->sourcePath);
  EXPECT_TRUE(info->modified);
  EXPECT_FALSE(list.Get(TempPath(L"cpp_header_no_such.eml").c_str()));
  DeleteFileW(path.c_str());
}

}  // namespace

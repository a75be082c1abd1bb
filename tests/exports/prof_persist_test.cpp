#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>
#include <thread>

#include "ovut19.h"
#include "support/test_support.h"

namespace {
std::wstring Get(HPROFJOB job, const wchar_t* path) {
  wchar_t buf[256] = L"";
  ProfGetStringW(job, 0, path, buf, 256, L"<none>");
  return buf;
}
HPROFJOB Sample() {
  HPROFJOB job = ProfJobOpenW(nullptr);
  ProfSetStringW(job, 0, L"name", L"value <1>");
  ProfSetStringW(job, 0, L"Colors/Fore", L"red");
  return job;
}
}  // namespace

TEST(ProfPersistExports, SaveAndOpenFileInEveryForm) {
  testsupport::TempDir dir;
  const std::wstring path = dir.path() + L"\\p.prf";
  HPROFJOB job = Sample();
  const struct { int flags; const char* head; } forms[] = {
      {1, "\xff\xfe<\0"}, {15, "\xff\xfe<\0"}, {0, "\xff\xfe[\0"}, {65, "ZLeZ"}, {64, "ZLeZ"},
  };
  for (const auto& f : forms) {
    ASSERT_EQ(ProfSaveW(job, path.c_str(), f.flags), 0) << f.flags;
    EXPECT_EQ(testsupport::ReadFileBytes(path).substr(0, 4), std::string(f.head, 4)) << f.flags;
    HPROFJOB back = ProfJobOpenW(path.c_str());
    EXPECT_EQ(ProfGetError(back), 0);
    EXPECT_EQ(Get(back, L"name"), L"value <1>") << f.flags;
    EXPECT_EQ(Get(back, L"Colors/Fore"), L"red") << f.flags;
    // Loaded packed: 129 packs again, 1 writes plain.
    const std::wstring again = dir.path() + L"\\again.prf";
    ASSERT_EQ(ProfSaveW(back, again.c_str(), 129), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(again).substr(0, 4) == "ZLeZ", (f.flags & 64) != 0) << f.flags;
    ProfJobClose(back);
  }
  // XFDF: 8-bit export, read back with dotted names.
  ASSERT_EQ(ProfSaveW(job, path.c_str(), 2), 0);
  EXPECT_EQ(testsupport::ReadFileBytes(path).substr(0, 5), "<?xml");
  HPROFJOB x = ProfJobOpenW(path.c_str());
  EXPECT_EQ(Get(x, L"name"), L"value <1>");
  EXPECT_EQ(Get(x, L"Colors.Fore"), L"red");
  ProfJobClose(x);
  // An empty profile writes an empty file; a null job does nothing.
  HPROFJOB empty = ProfJobOpenW(nullptr);
  ASSERT_EQ(ProfSaveW(empty, path.c_str(), 1), 0);
  EXPECT_EQ(testsupport::ReadFileBytes(path), "");
  EXPECT_EQ(ProfSaveW(0, path.c_str(), 1), 0);
  // A null ANSI name is the empty name; a null wide name of a job without a file fails too.
  EXPECT_EQ(ProfSaveA(job, nullptr, 1), -3);
  EXPECT_EQ(ProfSaveW(job, nullptr, 1), -3);
  ProfJobClose(empty);
  ProfJobClose(job);
}

TEST(ProfPersistExports, OpenErrorsAndExclusiveJobs) {
  testsupport::TempDir dir;
  const std::wstring path = dir.path() + L"\\e.prf";
  HPROFJOB missing = ProfJobOpenW(path.c_str());
  EXPECT_EQ(ProfGetError(missing), -10);
  ProfJobClose(missing);
  ASSERT_TRUE(testsupport::WriteFileBytes(path, std::string("\xff\xfe", 2) + std::string("<\0p\0", 4)));
  HPROFJOB broken = ProfJobOpenW(path.c_str());
  EXPECT_EQ(ProfGetError(broken), 0);  // "<p" is an unknown tag, nothing read
  ProfJobClose(broken);
  ASSERT_TRUE(testsupport::WriteFileBytes(path, "ab"));
  HPROFJOB tiny = ProfJobOpenW(path.c_str());
  EXPECT_EQ(ProfGetError(tiny), -10);
  ProfJobClose(tiny);

  // Exclusive: created when missing, kept open, saved through its own handle.
  const std::wstring ex = dir.path() + L"\\x.prf";
  HPROFJOB job = ProfJobOpenExclusiveW(ex.c_str());
  EXPECT_EQ(ProfGetError(job), 0);
  ProfSetStringW(job, 0, L"k", L"v");
  EXPECT_EQ(ProfSaveW(job, nullptr, 1), 0);
  EXPECT_EQ(ProfSaveW(job, ex.c_str(), 1), 0);  // same name: the same handle
  ProfJobClose(job);
  HPROFJOB reader = ProfJobOpenW(ex.c_str());
  EXPECT_EQ(Get(reader, L"k"), L"v");
  ProfJobClose(reader);
}

TEST(ProfPersistExports, SharingViolationIsRetried) {
  testsupport::TempDir dir;
  const std::wstring path = dir.path() + L"\\s.prf";
  HPROFJOB job = Sample();
  ASSERT_EQ(ProfSaveW(job, path.c_str(), 1), 0);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::thread release([h] {
    Sleep(700);
    CloseHandle(h);
  });
  // Both the open and the save wait for the holder instead of failing.
  HPROFJOB back = ProfJobOpenW(path.c_str());
  release.join();
  EXPECT_EQ(ProfGetError(back), 0);
  EXPECT_EQ(Get(back, L"Colors/Fore"), L"red");
  HANDLE h2 = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  std::thread release2([h2] {
    Sleep(700);
    CloseHandle(h2);
  });
  EXPECT_EQ(ProfSaveW(back, path.c_str(), 0), 0);
  release2.join();
  EXPECT_EQ(testsupport::ReadFileBytes(path).substr(0, 4), std::string("\xff\xfe[\0", 4));
  ProfJobClose(back);
  ProfJobClose(job);
}

TEST(ProfPersistExports, StreamJobsAndStreamObjects) {
  IStream* s = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
  HPROFJOB job = Sample();
  EXPECT_EQ(ProfSaveToStream(job, s, 65), 0);
  EXPECT_EQ(ProfSaveToStream(job, nullptr, 1), -4);  // no stream of its own
  HPROFJOB back = ProfJobOpenStream(s);
  EXPECT_EQ(ProfGetError(back), 0);
  EXPECT_EQ(Get(back, L"name"), L"value <1>");
  // The stream job saves back into its stream.
  ProfSetStringW(back, 0, L"name", L"changed");
  EXPECT_EQ(ProfSaveToStream(back, nullptr, 1), 0);
  HPROFJOB third = ProfJobOpenStream(s);
  EXPECT_EQ(Get(third, L"name"), L"changed");
  ProfJobClose(third);
  ProfJobClose(back);

  // A stream object at level 2 named "[Report]": UTF-16 text read at level 1.
  IStream* o = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &o), S_OK);
  const wchar_t text[] = L"<item name=\"a\">1</item>\r\n  <list name=\"L\">\r\n   <item name=\"b\">2</item>\r\n  </list>\r\n";
  ULONG put = 0;
  o->Write(text, sizeof text - sizeof(wchar_t), &put);
  HPROFJOB obj = ProfJobOpenStreamObjectW(o, L"[Report]", 2);
  EXPECT_EQ(ProfGetError(obj), 0);
  EXPECT_EQ(Get(obj, L"a"), L"1");
  EXPECT_EQ(Get(obj, L"L/b"), L"2");
  ProfJobClose(obj);
  HPROFJOB none = ProfJobOpenStream(nullptr);
  EXPECT_NE(none, 0);
  EXPECT_EQ(ProfGetError(none), 0);
  ProfJobClose(none);
  o->Release();
  ProfJobClose(job);
  s->Release();
}

TEST(ProfPersistExports, ClipboardRoundTrip) {
  HPROFJOB job = Sample();
  ASSERT_EQ(ProfSaveToClipboard(job, nullptr, 1), 0);
  EXPECT_NE(ProfIsClipboardDataAvailable(), 0);
  HPROFJOB back = ProfJobOpenClipboard(nullptr);
  EXPECT_EQ(ProfGetError(back), 0);
  EXPECT_EQ(Get(back, L"Colors/Fore"), L"red");
  ProfJobClose(back);
  ProfJobClose(job);
}

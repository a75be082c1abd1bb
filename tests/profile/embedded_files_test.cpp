#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/memory_file.h"
#include "profile/codec/packed_text.h"
#include "profile/embedded_files.h"
#include "profile/job_table.h"
#include "support/debug_capture.h"
#include "support/test_support.h"

using namespace ovut::profile;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

String Packed(const std::string& bytes) {
  clsAutoRelease<clsFile> m = ovut::NewMemoryFile();
  m->Write(bytes.data(), static_cast<DWORD>(bytes.size()));
  return ovut::codec::StreamToText(*m.Get(), true, String());
}

void AddEntry(clsItemList& list, const wchar_t* name, const String& contents) {
  clsItemList* e = list.AppendNewList(L"File.Entry", 10);
  if (name) e->AppendValue(L"Name", 4, name, static_cast<uint32_t>(wcslen(name)));
  e->AppendValue(L"Contents", 8, contents.c_str(), contents.Length());
}

struct JobHolder {
  clsProfJob* job = NewJob();
  ~JobHolder() { ReleaseJob(job); }
};

}  // namespace

TEST(EmbeddedFiles, EntryNames) {
  struct Case {
    const wchar_t* stored;
    const wchar_t* leaf;
    bool plain;
  };
  const Case cases[] = {
      {L"report.txt", L"report.txt", true},  {L"..\\..\\x.dll", L"x.dll", true},
      {L"../x", L"x", true},                 {L"C:\\x", L"x", true},
      {L"sub\\x", L"x", true},               {L"a/b\\c.d", L"c.d", true},
      {L"", L"", false},                     {L"dir\\", L"", false},
      {L".", L".", false},                   {L"..", L"..", false},
      {L". .", L". .", false},               {L"x:stream", L"x:stream", false},
      {L"C:x", L"C:x", false},               {L"CON", L"CON", false},
      {L"nul", L"nul", false},               {L"Nul.txt", L"Nul.txt", false},
      {L"AUX .log", L"AUX .log", false},     {L"com1", L"com1", false},
      {L"LPT9.dat", L"LPT9.dat", false},     {L"CONIN$", L"CONIN$", false},
      {L"a?b", L"a?b", false},               {L"a\x1b", L"a\x1b", false},
      {L"CONSOLE", L"CONSOLE", true},        {L"COM10", L"COM10", true},
      {L"nul_", L"nul_", true},              {L".profile", L".profile", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    String leaf = LastPathComponent(c.stored, wcslen(c.stored));
    EXPECT_STREQ(leaf.c_str(), c.leaf);
    EXPECT_EQ(IsPlainFileName(leaf), c.plain);
  }
}

// Names from a profile made elsewhere never reach outside the target folder.
TEST(EmbeddedFiles, ExtractWritesOnlyPlainNamesIntoTheFolder) {
  testsupport::TempDir dir;
  const std::wstring target = dir.File(L"out");
  JobHolder h;
  ASSERT_TRUE(h.job);
  const String data = Packed("payload");
  for (const wchar_t* name : {L"..\\escape1.txt", L"../escape2.txt", L"sub\\inner.txt", L"plain.txt"})
    AddEntry(h.job->rootList, name, data);
  for (const wchar_t* name : {L"..", L".", L"x:stream", L"CON", L"nul.txt", L"dir\\"})
    AddEntry(h.job->rootList, name, data);
  AddEntry(h.job->rootList, nullptr, data);

  testsupport::DebugCapture capture;
  EXPECT_EQ(ExtractFiles(h.job->Handle(), 0, target.c_str(), nullptr), 4);
  for (const wchar_t* name : {L"escape1.txt", L"escape2.txt", L"inner.txt", L"plain.txt"}) {
    EXPECT_EQ(testsupport::ReadFileBytes(target + L"\\" + name), "payload") << name;
    EXPECT_FALSE(Exists(dir.File(name))) << name;
  }
  EXPECT_FALSE(Exists(target + L"\\x"));  // no alternate stream's host file
  EXPECT_TRUE(capture.Contains(L"the entry name '..\\escape1.txt' is written as 'escape1.txt'"));
  for (const wchar_t* refused : {L"'..'", L"'.'", L"'x:stream'", L"'CON'", L"'nul.txt'", L"'dir\\'"})
    EXPECT_TRUE(capture.Contains(std::wstring(L"the entry name ") + refused + L" is refused")) << refused;
  EXPECT_TRUE(capture.Contains(L"ProfExtractFiles:\"Filename=\" not found"));
}

// An entry that cannot be decoded leaves a file of the same name as it was.
TEST(EmbeddedFiles, ExtractKeepsExistingFileWhenEntryCannotBeRead) {
  testsupport::TempDir dir;
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"keep.txt"), "mine"));
  ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"damaged.txt"), "mine too"));
  JobHolder h;
  AddEntry(h.job->rootList, L"keep.txt", String());
  // A marker with zlib data that does not inflate.
  AddEntry(h.job->rootList, L"damaged.txt", String(L"@2@BQAAAFplTF9QYWNrZWQAeJwAAAAA"));
  testsupport::DebugCapture capture;
  EXPECT_EQ(ExtractFiles(h.job->Handle(), 0, dir.path().c_str(), L""), 0);
  EXPECT_EQ(testsupport::ReadFileBytes(dir.File(L"keep.txt")), "mine");
  EXPECT_EQ(testsupport::ReadFileBytes(dir.File(L"damaged.txt")), "mine too");
  EXPECT_TRUE(capture.Contains(L"has no contents"));
  EXPECT_TRUE(capture.Contains(L"are damaged"));
}

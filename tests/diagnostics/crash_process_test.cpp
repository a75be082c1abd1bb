// Crash reports as a host sees them: real child processes (tests/helpers/crash_child) crash under
// the library's protection, each with an APPDATA and TEMP of its own; afterwards the log lines,
// the boxes, the minidump and the support archive are checked. The archive is read by Python's
// zipfile, the dump through the system's minidump reader.
#include <gtest/gtest.h>
#include <windows.h>

#include <dbghelp.h>

#include <string>
#include <vector>

#include "environment/env_test_util.h"
#include "support/test_support.h"
#include "zip/zip_readers.h"

namespace {

struct Child {
  testsupport::TempDir appData, temp;
  DWORD exitCode = 0xFFFFFFFF;

  std::wstring LogPath() const { return appData.File(L"ORVASK.LOG"); }
  std::wstring ArchivePath() const { return temp.path() + L"\\orvask.debug\\orvask.dmp.zip"; }

  // Runs crash_child with this child's folders; false when it did not end in time.
  bool Run(const std::wstring& arguments, DWORD limitMs = 240000) {
    std::wstring block;
    wchar_t* env = GetEnvironmentStringsW();
    for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
      if (_wcsnicmp(p, L"APPDATA=", 8) == 0 || _wcsnicmp(p, L"TEMP=", 5) == 0 || _wcsnicmp(p, L"TMP=", 4) == 0) continue;
      block.append(p).push_back(L'\0');
    }
    FreeEnvironmentStringsW(env);
    block.append(L"APPDATA=" + appData.path()).push_back(L'\0');
    block.append(L"TEMP=" + temp.path()).push_back(L'\0');
    block.append(L"TMP=" + temp.path()).push_back(L'\0');
    block.push_back(L'\0');
    std::wstring command = L"\"" + testsupport::ProgramFolder() + L"\\crash_child.exe\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, &block[0], nullptr,
                        &si, &pi))
      return false;
    const bool ended = WaitForSingleObject(pi.hProcess, limitMs) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended;
  }

  // The log's messages: each line without its time stamp and library name.
  std::vector<std::wstring> LogLines() const {
    std::vector<std::wstring> lines;
    const std::string bytes = testsupport::ReadFileBytes(LogPath());
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(L"\r\n", start);
      if (end == std::wstring::npos) end = text.size();
      std::wstring line = text.substr(start, end - start);
      const size_t tag = line.find(L" OVUT19.DLL ");
      if (line.size() > 25 && line[4] == L'-' && tag != std::wstring::npos) line = line.substr(tag + 12);
      lines.push_back(line);
      start = end + 2;
    }
    return lines;
  }

  std::wstring Boxes() const {
    const std::string bytes = testsupport::ReadFileBytes(appData.File(L"boxes.txt"));
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  }
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every expected text is the beginning of a line, in this order (other lines may come between).
::testing::AssertionResult InOrder(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& expected) {
  size_t at = 0;
  for (const std::wstring& want : expected) {
    while (at < lines.size() && lines[at].compare(0, want.size(), want) != 0) ++at;
    if (at == lines.size()) {
      std::wstring all;
      for (const auto& l : lines) all += l + L"\n";
      return ::testing::AssertionFailure() << "missing in order: '" << std::string(want.begin(), want.end())
                                           << "'; log:\n" << std::string(all.begin(), all.end());
    }
    ++at;
  }
  return ::testing::AssertionSuccess();
}

#ifdef _WIN64
const wchar_t* const kIp = L"RIP: 0x";
#else
const wchar_t* const kIp = L"EIP: 0x";
#endif

// The archive's comment, then "name|comment" per entry, as Python's zipfile reads them.
std::string ArchiveListing(const std::wstring& archive) {
  std::string out;
  const int rc = ziptest::RunUnix(
      "/usr/bin/python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None; "
      "print(z.comment.decode()); [print(i.filename + '|' + i.comment.decode()) for i in z.infolist()]\" '" +
          ziptest::UnixPath(archive) + "'",
      &out);
  return rc == 0 ? out : "python3 failed (" + std::to_string(rc) + "): " + out;
}

// The exception code recorded in a minidump, read with the system's reader; 0 when unreadable.
DWORD DumpExceptionCode(const std::wstring& dump) {
  HMODULE dbghelp = LoadLibraryW(L"dbghelp.dll");
  auto read = reinterpret_cast<decltype(&MiniDumpReadDumpStream)>(
      reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpReadDumpStream")));
  const std::string bytes = testsupport::ReadFileBytes(dump);
  DWORD code = 0;
  if (read && bytes.size() > 32 && bytes.compare(0, 4, "MDMP") == 0) {
    void* stream = nullptr;
    ULONG size = 0;
    if (read(const_cast<char*>(bytes.data()), ExceptionStream, nullptr, &stream, &size) &&
        size >= sizeof(MINIDUMP_EXCEPTION_STREAM))
      code = static_cast<MINIDUMP_EXCEPTION_STREAM*>(stream)->ExceptionRecord.ExceptionCode;
    void* threads = nullptr;
    if (!read(const_cast<char*>(bytes.data()), ThreadListStream, nullptr, &threads, &size)) code = 0;
  }
  if (dbghelp) FreeLibrary(dbghelp);
  return code;
}

// After the report the exception goes on to the system's crash handling, which under Wine starts
// a debugger that waits for a person: for these tests the debugger is a program that ends at once.
class CrashProcess : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    debugger_ = new envtest::ScopedRegValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug",
                                            L"Debugger",
                                            L"\"" + testsupport::ProgramFolder() + L"\\crash_child.exe\" debugger %ld %ld");
  }
  static void TearDownTestSuite() {
    delete debugger_;
    debugger_ = nullptr;
  }

 private:
  static envtest::ScopedRegValue* debugger_;
};
envtest::ScopedRegValue* CrashProcess::debugger_ = nullptr;

// The platform's dump writer reads the crashed process through ReadProcessMemory, which the
// emulated 32-bit Wine refuses for a process's own memory: there no dump (and so no archive) can
// be written, and the report names the log file instead.
bool DumpWriterCanRead() {
  int probe = 42, copy = 0;
  SIZE_T n = 0;
  return ReadProcessMemory(GetCurrentProcess(), &probe, &copy, sizeof probe, &n) && copy == 42;
}

// The report of a crash that asked the user (Yes), then told where the archive is (No).
void ExpectArchivedReport(Child& child, DWORD code, const wchar_t* name, bool full) {
  if (!DumpWriterCanRead()) {
    EXPECT_TRUE(InOrder(child.LogLines(), {L">>>========================= ", L"Exception code: 0x", L"Registers:"}));
    GTEST_SKIP() << "this platform's dump writer cannot read process memory; text report checked only";
  }
  std::vector<std::wstring> expected = {L">>>========================= ", L"Exception code: 0x",
                                        L"Registers:", kIp, L"CS: 0x", L"Flags:0x", L"Code environment:", L" 0"};
  if (full) {
    for (const wchar_t* line : {L"List of Modules:", L"0x", L"Stack Trace:", L"   CALL [0x"}) expected.push_back(line);
  }
  for (const wchar_t* line : {L"", L"The information for the support was generated.", L"<<<========================= "})
    expected.push_back(line);
  const auto lines = child.LogLines();
  EXPECT_TRUE(InOrder(lines, expected));
  wchar_t codeLine[96];
  swprintf(codeLine, 96, L"Exception code: 0x%08x (%ls)", static_cast<unsigned>(code), name);
  EXPECT_TRUE(InOrder(lines, {codeLine}));

  const std::wstring boxes = child.Boxes();
  EXPECT_EQ(boxes.find(std::wstring(name) + L"\tThis application has caused a problem"), 0u) << std::string(boxes.begin(), boxes.end());
  EXPECT_NE(boxes.find(std::wstring(name) + L"\tThe information for the support was generated."), std::wstring::npos);

  ASSERT_TRUE(Exists(child.ArchivePath()));
  EXPECT_FALSE(Exists(child.temp.path() + L"\\orvask.debug\\orvask.dmp"));  // packed, then deleted
  EXPECT_EQ(ArchiveListing(child.ArchivePath()),
            "orvask Crash Information File\norvask.dmp|DumpFile\norvask.log|LogFile\nzolven.log|LogFile\n");
  const std::wstring unpacked = child.temp.File(L"unpacked");
  ASSERT_TRUE(ziptest::UnpackWithPython(child.ArchivePath(), unpacked));
  EXPECT_EQ(DumpExceptionCode(unpacked + L"\\orvask.dmp"), code);
  EXPECT_EQ(testsupport::ReadFileBytes(unpacked + L"\\zolven.log"), "viewer log");
}

void PutViewerLog(const Child& child) {
  ASSERT_TRUE(testsupport::WriteFileBytes(child.temp.File(L"ZOLVEN.LOG"), "viewer log"));
}

TEST_F(CrashProcess, AccessViolationAsksWritesReportDumpAndArchive) {
  ASSERT_TRUE(ziptest::ReadersAvailable());
  Child child;
  PutViewerLog(child);
  ASSERT_TRUE(child.Run(L"av yes"));
  EXPECT_EQ(child.exitCode, 0xC0000005u);
  ExpectArchivedReport(child, 0xC0000005, L"Access Violation", false);
}

TEST_F(CrashProcess, NxViolationWritesFullReportWithModulesAndStack) {
  ASSERT_TRUE(ziptest::ReadersAvailable());
  Child child;
  PutViewerLog(child);
  ASSERT_TRUE(child.Run(L"nx yes"));
  EXPECT_EQ(child.exitCode, 0xC0000005u);
  ExpectArchivedReport(child, 0xC0000005, L"Access Violation", true);
  // The module list and the stack walk read process memory the same way the dump writer does.
  if (IsSkipped()) return;
  // The module list names the crashing program, the trace passes through its frames.
  bool program = false, frame = false;
  for (const auto& line : child.LogLines()) {
    program |= line.compare(0, 2, L"0x") == 0 && line.find(L"crash_child.exe") != std::wstring::npos;
    frame |= line.compare(0, 10, L"   CALL [0") == 0 && line.find(L"crash_child.exe!") != std::wstring::npos;
  }
  EXPECT_TRUE(program);
  EXPECT_TRUE(frame);
}

TEST_F(CrashProcess, DeclinedReportWritesNothing) {
  Child child;
  ASSERT_TRUE(child.Run(L"av no"));
  EXPECT_EQ(child.exitCode, 0xC0000005u);
  EXPECT_EQ(child.Boxes().find(L"Access Violation\tThis application has caused a problem"), 0u);
  EXPECT_FALSE(Exists(child.LogPath()));
  EXPECT_FALSE(Exists(child.ArchivePath()));
}

// Exceptions that get no report: a breakpoint continues behind the int3, the others end the
// process as if no filter were there. A stack overflow is not crashed here: after the filter
// lets it pass, Wine starts its crash debugger on the exhausted stack and the child never ends
// (the rule itself is tested in-process, GpfProtection.HandleExceptionRulesWithoutReport).
TEST_F(CrashProcess, ExceptionsWithoutReport) {
  struct Case {
    const wchar_t* mode;
    DWORD exitCode;  // 0xFFFFFFFF: any failure code
    bool mayHang;
  } cases[] = {
      {L"bp", 0, false},
      {L"cpp", 0xFFFFFFFF, false},
      {L"raise", 0xE0424242, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode, c.mode + wcslen(c.mode)));
    Child child;
    const bool ended = child.Run(c.mode, c.mayHang ? 15000 : 240000);
    if (c.mayHang && !ended) {
      EXPECT_FALSE(Exists(child.LogPath()));
      continue;
    }
    ASSERT_TRUE(ended);
    if (c.exitCode == 0xFFFFFFFF) {
      EXPECT_NE(child.exitCode, 0u);
      EXPECT_NE(child.exitCode, 9u);
    } else {
      EXPECT_EQ(child.exitCode, c.exitCode);
    }
    EXPECT_FALSE(Exists(child.LogPath()));
    EXPECT_TRUE(child.Boxes().empty());
    EXPECT_FALSE(Exists(child.temp.path() + L"\\orvask.debug"));
  }
}

// A crash while the thread holds the loader lock and the heap lock: the text report is written
// from the library's own buffers, nothing that needs the loader or the heap is tried, and the
// process ends instead of hanging.
TEST_F(CrashProcess, LoaderAndHeapLockHeldStillWriteTextReport) {
  Child child;
  ASSERT_TRUE(child.Run(L"locks"));
  EXPECT_EQ(child.exitCode, 0xC0000005u);
  EXPECT_TRUE(InOrder(child.LogLines(), {L">>>========================= ", L"Exception code: 0xc0000005 (Access Violation)",
                                         L"Registers:", kIp, L"Flags:0x", L"Code environment:", L" 0",
                                         L"The loader lock or the process heap may be held",
                                         L"The exception information was written to the file '" + child.LogPath() + L"'",
                                         L"<<<========================= "}));
  EXPECT_TRUE(child.Boxes().empty());
  EXPECT_FALSE(Exists(child.ArchivePath()));
}

// Handles never deleted are reported when the library goes away with the process: the lines
// must still reach the channel (here its log file), before the library starts to shut down.
TEST_F(CrashProcess, LostGdiHandlesReachTheChannelAtExit) {
  Child child;
  const std::wstring log = child.temp.File(L"debug.log");
  {
    envtest::ScopedRegValue name(HKEY_LOCAL_MACHINE, L"Software\\Orvask", L"Debug.LogFilename", log);
    ASSERT_TRUE(child.Run(L"lostgdi"));
  }
  EXPECT_EQ(child.exitCode, 0u);
  const std::string bytes = testsupport::ReadFileBytes(log);
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  EXPECT_NE(text.find(L"LOST PEN HANDLE"), std::wstring::npos) << std::string(text.begin(), text.end());
  EXPECT_NE(text.find(L"1234:"), std::wstring::npos);
}

}  // namespace

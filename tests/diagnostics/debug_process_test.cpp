// The channel in another process that loads OVUT19.DLL (tests/helpers/debug_line_writer): the
// registry values are read when the library loads, and a running viewer is found at load.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "diagnostics/log_file.h"
#include "foundation/temp_folder.h"
#include "support/test_support.h"
#include "test_viewer.h"

using testsupport::TestViewer;

namespace {

// A registry value for the span of a test.
class ScopedValue {
 public:
  ScopedValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text)
      : root_(root), key_(key), name_(name) {
    RegSetKeyValueW(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  ScopedValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD value)
      : root_(root), key_(key), name_(name) {
    RegSetKeyValueW(root, key, name, REG_DWORD, &value, sizeof value);
  }
  ~ScopedValue() { RegDeleteKeyValueW(root_, key_, name_); }

 private:
  HKEY root_;
  const wchar_t* key_;
  const wchar_t* name_;
};

const wchar_t kMachineKey[] = L"software\\orvask";

int RunWriter(const std::wstring& args, const wchar_t* exe = L"debug_line_writer.exe") {
  return testsupport::RunProcess(L"\"" + testsupport::ProgramFolder() + L"\\" + exe + L"\" " + args);
}

// The log's lines, decoded from UTF-16 LE; `bom` tells whether the file began with FF FE.
std::vector<std::wstring> LogLines(const std::wstring& path, bool* bom) {
  std::string bytes = testsupport::ReadFileBytes(path);
  *bom = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  std::vector<std::wstring> lines;
  for (size_t at = 0, end; (end = text.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

class DebugProcess : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::PublishViewer(nullptr); }
  void TearDown() override { testsupport::PublishViewer(nullptr); }
};

}  // namespace

TEST_F(DebugProcess, InactiveWithoutViewerOrLogFile) {
  EXPECT_EQ(RunWriter(L"line:nobody"), 0);  // exit code: UtilGetFlags()
}

TEST_F(DebugProcess, LogFileIsUtf16WithoutBomOneLinePerCall) {
  testsupport::TempDir dir;
  std::wstring log = dir.File(L"debug.log");
  {
    ScopedValue name(HKEY_LOCAL_MACHINE, kMachineKey, L"Debug.LogFilename", log);
    ScopedValue flush(HKEY_LOCAL_MACHINE, kMachineKey, L"Debug.LogFile.Flush", 1);
    EXPECT_EQ(RunWriter(L"line:first \"line:zweite \u00e4\u20ac\""), 1);
    EXPECT_EQ(RunWriter(L"line:third"), 1);  // appended
  }
  bool bom = true;
  std::vector<std::wstring> lines = LogLines(log, &bom);
  EXPECT_FALSE(bom);
  ASSERT_EQ(lines.size(), 3u);
  const std::wregex layout(LR"(^\d\d:\d\d:\d\d\.\d\d\d [0-9a-f]{8}/[0-9a-f]{2} \d  (.*)$)");
  const wchar_t* texts[] = {L"first", L"zweite \u00e4\u20ac", L"third"};
  for (size_t i = 0; i < 3; ++i) {
    std::wsmatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, layout)) << i;
    EXPECT_EQ(m[1].str(), texts[i]);
  }
}

TEST_F(DebugProcess, LogNameWithoutFolderLandsInTheTemporaryFolder) {
  std::wstring name = L"ovut_debug_test_" + std::to_wstring(GetCurrentProcessId()) + L".log";
  std::wstring expected = std::wstring(ovut::TempFolder(true).c_str()) + name;
  DeleteFileW(expected.c_str());
  {
    ScopedValue value(HKEY_LOCAL_MACHINE, kMachineKey, L"Debug.LogFilename", name);
    EXPECT_EQ(RunWriter(L"line:in-temp"), 1);
  }
  bool bom = true;
  std::vector<std::wstring> lines = LogLines(expected, &bom);
  DeleteFileW(expected.c_str());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(L"in-temp"), std::wstring::npos);
}

TEST_F(DebugProcess, ForceUsePerfCountersSelectsElapsedTimeStamps) {
  // With "Registry.ImpersonationAware" the value comes from the impersonated user's hive, which
  // without impersonation is the process user's own.
  const struct { const wchar_t* value; DWORD aware; bool elapsed; } cases[] = {
      {L"1", 0, true}, {L"yes", 0, true}, {L"0", 0, false}, {L"F", 0, false}, {L"1", 1, true}};
  testsupport::TempDir dir;
  for (const auto& c : cases) {
    std::wstring log = dir.File((std::wstring(L"perf_") + c.value + std::to_wstring(c.aware) + L".log").c_str());
    {
      ScopedValue aware(HKEY_LOCAL_MACHINE, kMachineKey, L"Registry.ImpersonationAware", c.aware);
      ScopedValue name(HKEY_LOCAL_MACHINE, kMachineKey, L"Debug.LogFilename", log);
      ScopedValue perf(HKEY_CURRENT_USER, L"SOFTWARE\\orvask", L"ForceUsePerfCounters", c.value);
      RunWriter(L"line:stamp");
    }
    bool bom = false;
    std::vector<std::wstring> lines = LogLines(log, &bom);
    ASSERT_EQ(lines.size(), 1u) << c.value;
    const std::wregex elapsed(LR"(^\d\d:\d\d\.\d\d\d [0-9a-f]{8}/.*)");
    const std::wregex local(LR"(^\d\d:\d\d:\d\d\.\d\d\d [0-9a-f]{8}/.*)");
    EXPECT_TRUE(std::regex_match(lines[0], c.elapsed ? elapsed : local)) << c.value << ": " << lines[0];
  }
}

TEST_F(DebugProcess, AnnouncesAtLoadAndSaysGoodbyeAtExit) {
  TestViewer v;
  EXPECT_EQ(RunWriter(L"line:from-child"), 1);
  ASSERT_TRUE(v.WaitFor("--"));
  std::vector<std::string> got = v.PiecesFrom("WRITER.EXE]");
  ASSERT_GE(got.size(), 3u);
  // Loaded under the loader lock: the version text is read later, for the good-bye.
  EXPECT_EQ(got[0].rfind("++<module info cannot be queried right now> [", 0), 0u) << got[0];
  EXPECT_NE(got[0].find("DEBUG_LINE_WRITER.EXE] ["), std::string::npos) << got[0];
  EXPECT_NE(got[0].find("OVUT19.DLL]"), std::string::npos) << got[0];
  bool line = false;
  for (const auto& g : got) line |= g.find("  from-child") != std::string::npos;
  EXPECT_TRUE(line);
  EXPECT_EQ(got.back().rfind("--OVUT19.DLL 19.1.0.0 ", 0), 0u) << got.back();
  EXPECT_NE(got.back().find("DEBUG_LINE_WRITER.EXE]"), std::string::npos);
}

TEST_F(DebugProcess, NoAnnouncementsFromResinjectExecutables) {
  std::wstring folder = testsupport::ProgramFolder();
  std::wstring copy = folder + L"\\ResInject_copy.exe";
  ASSERT_TRUE(CopyFileW((folder + L"\\debug_line_writer.exe").c_str(), copy.c_str(), FALSE));
  TestViewer v;
  EXPECT_EQ(RunWriter(L"line:from-resinject", L"ResInject_copy.exe"), 1);
  DeleteFileW(copy.c_str());
  ASSERT_TRUE(v.WaitFor("from-resinject"));
  for (const auto& m : v.Mailslot()) EXPECT_EQ(m.find("RESINJECT_COPY"), std::string::npos) << m;
}

TEST_F(DebugProcess, ExportsWriteNamedIndentedAndListingLines) {
  TestViewer v;
  EXPECT_EQ(RunWriter(L"ext:MOD:1:in ext:MOD:0:deeper ext:MOD:-1:out pas:pastext bad modules stack line:end"), 1);
  ASSERT_TRUE(v.WaitFor("  end"));
  auto find = [&](const std::string& part) {
    for (auto m : v.Mailslot())
      if (m.find(part) != std::string::npos) return m;
    return std::string();
  };
  const std::regex named(R"(^MOD     : \d\d:\d\d:\d\d\.\d\d\d [0-9a-f]{8}/[0-9a-f]{2} \d( +)(in|deeper|out)\r$)");
  std::smatch in, deeper, out;
  std::string a = find(" in\r"), b = find("deeper"), c = find(" out\r");
  ASSERT_TRUE(std::regex_match(a, in, named)) << a;
  ASSERT_TRUE(std::regex_match(b, deeper, named)) << b;
  ASSERT_TRUE(std::regex_match(c, out, named)) << c;
  EXPECT_EQ(deeper[1].length(), in[1].length() + 1);
  EXPECT_EQ(out[1].length(), in[1].length());

  EXPECT_EQ(find("pastext").rfind("OVUT19  : ", 0), 0u);
  EXPECT_NE(find("bad-done"), "");
  EXPECT_NE(find("via V 3"), "");
  EXPECT_NE(find("Memory image addresses of modules:"), "");
  std::string dll = find("OVUT19.DLL\r");
  EXPECT_TRUE(std::regex_search(dll, std::regex(R"(  0x[0-9a-f]{8,}-0x[0-9a-f]{8,}: .*\\OVUT19\.DLL\r$)", std::regex::icase)))
      << dll;
  EXPECT_NE(find("debug_line_writer.exe+0x"), "");
  // The trace starts at the return address in the function that asked for it (on 32-bit a frame
  // without a saved frame pointer, on 64-bit a tail call in the export, lost that frame).
  std::vector<std::string> trace = v.PiecesFrom("trace from 0x");
  ASSERT_FALSE(trace.empty());
  const unsigned long long caller = std::strtoull(trace[0].c_str() + trace[0].find("trace from 0x") + 13, nullptr, 16);
  std::string first;
  for (size_t i = 1; i < trace.size() && first.empty(); ++i)
    if (trace[i].find("+0x") != std::string::npos) first = trace[i];
  ASSERT_NE(first.find("debug_line_writer.exe+0x"), std::string::npos) << first;
  const unsigned long long at = std::strtoull(first.c_str() + first.find("0x"), nullptr, 16);
  EXPECT_TRUE(at > caller && at - caller < 64) << first << " caller 0x" << std::hex << caller;
}

TEST_F(DebugProcess, LogFileThatCannotBeOpenedIsSkipped) {
  testsupport::TempDir dir;
  TestViewer v;
  {
    ScopedValue name(HKEY_LOCAL_MACHINE, kMachineKey, L"Debug.LogFilename", dir.File(L"missing\\debug.log"));
    EXPECT_EQ(RunWriter(L"line:still-here line:and-here"), 1);
  }
  EXPECT_TRUE(v.WaitFor("still-here"));
  EXPECT_TRUE(v.WaitFor("and-here"));
  EXPECT_EQ(GetFileAttributesW(dir.File(L"missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The log stays open between lines: another process appends in between, a reader reads it and
// may rename, replace or delete it, and each next line goes to the file the name then leads to.
TEST_F(DebugProcess, HeldLogFileFollowsItsNameAndSharesWithOthers) {
  testsupport::TempDir dir;
  const std::wstring log = dir.File(L"shared.log");
  ovut::debug::LogSettings settings;
  settings.fileName = log.c_str();
  ovut::debug::clsDebugLogFile file;
  file.Configure(settings);
  auto line = [&](const wchar_t* text) { file.Append(text, static_cast<int>(wcslen(text))); };
  auto texts = [](const std::wstring& path) {
    bool bom = false;
    std::vector<std::wstring> lines = LogLines(path, &bom);
    for (auto& l : lines) l = l.substr(l.rfind(L' ') + 1);  // the other process's line has a prefix
    return lines;
  };
  using Lines = std::vector<std::wstring>;

  line(L"one");
  {
    ScopedValue name(HKEY_LOCAL_MACHINE, kMachineKey, L"Debug.LogFilename", log);
    EXPECT_EQ(RunWriter(L"line:two"), 1);
  }
  line(L"three");
  EXPECT_EQ(texts(log), (Lines{L"one", L"two", L"three"}));  // read while held

  // Renamed away: the next line creates the file again; the renamed one keeps what it had.
  ASSERT_TRUE(MoveFileW(log.c_str(), dir.File(L"old1.log").c_str()));
  line(L"four");
  EXPECT_EQ(texts(log), (Lines{L"four"}));
  EXPECT_EQ(texts(dir.File(L"old1.log")), (Lines{L"one", L"two", L"three"}));

  // Renamed and replaced by another file (a rotation): the next line goes to the new one.
  ASSERT_TRUE(MoveFileW(log.c_str(), dir.File(L"old2.log").c_str()));
  ASSERT_TRUE(testsupport::WriteFileBytes(log, std::string("n\0e\0w\0\r\0\n\0", 10)));
  line(L"five");
  EXPECT_EQ(texts(log), (Lines{L"new", L"five"}));
  EXPECT_EQ(texts(dir.File(L"old2.log")), (Lines{L"four"}));

  // Deleted by a reader while held: the delete is not refused, and the next line is found
  // under the name again.
  ASSERT_TRUE(DeleteFileW(log.c_str()));
  line(L"six");
  Lines after = texts(log);
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(after.back(), L"six");
  file.Configure(ovut::debug::LogSettings());  // closes the file, so the folder can go
}

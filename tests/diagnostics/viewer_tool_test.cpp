// The console viewer tools/ovutview beside processes that write through OVUT19.DLL
// (tests/helpers/debug_line_writer): what it prints, its filters, UTF-8 text, and that it goes on
// after a sender crashes.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "test_viewer.h"

namespace {

std::wstring Quoted(const std::wstring& exe) { return L"\"" + testsupport::ProgramFolder() + L"\\" + exe + L"\""; }

HANDLE Start(const std::wstring& commandLine) {
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  std::wstring line = commandLine;
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

DWORD Finish(HANDLE process, DWORD timeoutMs = 60000) {
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  else TerminateProcess(process, 99);
  CloseHandle(process);
  return code;
}

// A viewer writing what it shows into a file; closed through its window at the end.
class Viewer {
 public:
  Viewer(const std::wstring& file, const std::wstring& options) : file_(file) {
    process_ = Start(Quoted(L"ovutview.exe") + L" --no-color -o \"" + file + L"\" " + options);
    ready_ = WaitFor("waiting for debug lines");
  }
  ~Viewer() {
    if (process_) Stop();
  }
  bool ready() const { return ready_; }
  std::string Text() const { return testsupport::ReadFileBytes(file_); }
  bool WaitFor(const std::string& part, DWORD timeoutMs = 20000) const {
    for (ULONGLONG end = GetTickCount64() + timeoutMs; GetTickCount64() < end; Sleep(50))
      if (Text().find(part) != std::string::npos) return true;
    return false;
  }
  // Closing the window ends it cleanly: exit code 0, the published handle withdrawn.
  DWORD Stop() {
    HWND window = FindWindowW(L"ZelClsZOLVEN16", L"ovutview");
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = Finish(process_, 20000);
    process_ = nullptr;
    return code;
  }

 private:
  std::wstring file_;
  HANDLE process_ = nullptr;
  bool ready_ = false;
};

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class ViewerTool : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::PublishViewer(nullptr); }
  void TearDown() override { testsupport::PublishViewer(nullptr); }
  testsupport::TempDir dir_;
};

TEST_F(ViewerTool, ShowsLinesOfSeveralProcessesAndOutlivesACrash) {
  Viewer viewer(dir_.File(L"view.txt"), L"");
  ASSERT_TRUE(viewer.ready()) << viewer.Text();

  // Two writers at once, then one that crashes, then one more.
  HANDLE a = Start(Quoted(L"debug_line_writer.exe") + L" line:alpha-1 ext:MODA:0:alpha-2 \"line:ERR: alpha-3\" sleep:300");
  HANDLE b = Start(Quoted(L"debug_line_writer.exe") + L" ext:MODB:0:beta-1 \"pas:WRN: beta-2\" sleep:300");
  EXPECT_EQ(1u, Finish(a));  // exit code: UtilGetFlags(), 1 while a viewer is attached
  EXPECT_EQ(1u, Finish(b));
  DWORD crashed = Finish(Start(Quoted(L"debug_line_writer.exe") + L" line:before-crash sleep:300 crash"));
  EXPECT_EQ(0xC0000005u, crashed);
  EXPECT_EQ(1u, Finish(Start(Quoted(L"debug_line_writer.exe") + L" line:after-crash sleep:300")));
  ASSERT_TRUE(viewer.WaitFor("after-crash")) << viewer.Text();
  ASSERT_TRUE(viewer.WaitFor("exit code 0xc0000005")) << viewer.Text();
  EXPECT_EQ(0u, viewer.Stop());

  const std::string text = viewer.Text();
  for (const char* part : {"debug_line_writer.exe(", "alpha-1", "MODA    : ", "alpha-2", "ERR: alpha-3", "MODB    : ",
                           "beta-1", "WRN: beta-2", "before-crash", "ovutview: stopped"})
    EXPECT_NE(std::string::npos, text.find(part)) << part << "\n" << text;
  // Every writer attached, the ones that ended normally said good-bye (the crashed one cannot),
  // each one's end was seen. Announcements name the executable as the sender spells it.
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(4u, Count(lower, "++ attached: debug_line_writer.exe"));
  EXPECT_EQ(3u, Count(lower, "-- left: debug_line_writer.exe"));
  EXPECT_EQ(4u, Count(lower, "-- process ended: debug_line_writer.exe"));
  // The line of the first writer carries its process, not another's.
  size_t alpha = text.find("alpha-1"), beta = text.find("beta-1");
  std::string alphaLine = text.substr(text.rfind('\n', alpha) + 1, alpha - text.rfind('\n', alpha) - 1);
  std::string betaLine = text.substr(text.rfind('\n', beta) + 1, beta - text.rfind('\n', beta) - 1);
  EXPECT_NE(alphaLine.substr(0, alphaLine.find('|')), betaLine.substr(0, betaLine.find('|')));
}

TEST_F(ViewerTool, FiltersByModuleProcessAndTextAndKeepsUnicode) {
  Viewer viewer(dir_.File(L"filtered.txt"), L"-m moda -p debug_line_writer -t \"^keep|\\x{20AC}\"");
  ASSERT_TRUE(viewer.ready()) << viewer.Text();
  EXPECT_EQ(1u, Finish(Start(Quoted(L"debug_line_writer.exe") +
                             L" ext:MODA:0:keep-1 ext:MODA:0:drop-1 ext:MODB:0:keep-2 line:keep-3 "
                             L"\"ext:MODA:0:price 5 \u20AC \u65E5\u672C\" ext:MODA:0:keep-last sleep:300")));
  ASSERT_TRUE(viewer.WaitFor("keep-last")) << viewer.Text();
  viewer.Stop();
  const std::string text = viewer.Text();
  EXPECT_NE(std::string::npos, text.find("keep-1"));
  EXPECT_EQ(std::string::npos, text.find("drop-1"));   // text filter
  EXPECT_EQ(std::string::npos, text.find("keep-2"));   // module filter
  EXPECT_EQ(std::string::npos, text.find("keep-3"));   // no module
  // Query 6 answered: the text came as UTF-8, nothing lost to a code page.
  EXPECT_NE(std::string::npos, text.find("price 5 \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC")) << text;

  Viewer other(dir_.File(L"other.txt"), L"-p no_such_program");
  ASSERT_TRUE(other.ready());
  EXPECT_EQ(1u, Finish(Start(Quoted(L"debug_line_writer.exe") + L" line:hidden-line line:hidden-last sleep:300")));
  Sleep(500);
  other.Stop();
  EXPECT_EQ(std::string::npos, other.Text().find("hidden")) << other.Text();
}

TEST_F(ViewerTool, RefusesBadArgumentsAndASecondViewer) {
  EXPECT_EQ(2, testsupport::RunProcess(Quoted(L"ovutview.exe") + L" --bogus"));
  EXPECT_EQ(1, testsupport::RunProcess(Quoted(L"ovutview.exe") + L" -t \"(unclosed\""));
  Viewer first(dir_.File(L"first.txt"), L"");
  ASSERT_TRUE(first.ready());
  EXPECT_EQ(1, testsupport::RunProcess(Quoted(L"ovutview.exe") + L" --seconds 1"));
}

}  // namespace

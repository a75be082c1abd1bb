// Help on files: the HTML viewer (a stand-in program copied beside the test as "HH.EXE", found
// first because the program's own folder is searched first), the older viewer's entry, missing
// files, failing help sources and the control library's path translation.
#include <cstring>

#include "environment/late_interface.h"
#include "help_fixture.h"

using namespace helptest;

namespace {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

int CountLines(const std::string& text, const std::string& line) {
  int n = 0;
  for (size_t at = 0; (at = text.find(line, at)) != std::string::npos; at += line.size()) ++n;
  return n;
}

BOOL CALLBACK CountViewer(HWND window, LPARAM count) {
  wchar_t cls[16] = L"";
  if (GetClassNameW(window, cls, 16) && wcscmp(cls, L"HH Parent") == 0) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// Viewer windows open on the desktop, once the count has settled at `expected` (or time is up).
int ViewersSettlingAt(int expected) {
  int count = 0;
  for (DWORD end = GetTickCount() + 5000; static_cast<LONG>(end - GetTickCount()) > 0; Sleep(20)) {
    count = 0;
    EnumWindows(CountViewer, reinterpret_cast<LPARAM>(&count));
    if (count == expected) break;
  }
  return count;
}

class HelpFiles : public HelpWindows {
 protected:
  void SetUp() override {
    HelpWindows::SetUp();
    viewer_ = ProgramFolder() + L"HH.EXE";
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"help_viewer_stub.exe").c_str(), viewer_.c_str(), FALSE));
    log_ = TempPath(L"viewer.log");
    DeleteFileW(log_.c_str());
    SetEnvironmentVariableW(L"OVUT_HELP_VIEWER_LOG", log_.c_str());
  }
  void TearDown() override {
    HelpWindows::TearDown();
    ViewersSettlingAt(0);
    DeleteFileW(viewer_.c_str());
  }
  std::wstring viewer_, log_;
};

std::vector<std::tuple<HWND, std::wstring, UINT, ULONG_PTR>> g_winHelpCalls;

BOOL WINAPI FakeWinHelp(HWND window, LPCWSTR file, UINT command, ULONG_PTR data) {
  g_winHelpCalls.emplace_back(window, file, command, data);
  return TRUE;
}

FARPROC WINAPI LookUpFakeWinHelp(HMODULE module, LPCSTR name) {
  if (strcmp(name, "WinHelpW") == 0) return reinterpret_cast<FARPROC>(FakeWinHelp);
  return GetProcAddress(module, name);
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c);
  return out;
}

}  // namespace

TEST_F(HelpFiles, TwoContextRequestsLeaveOneViewerAndClosingTheObjectEndsIt) {
  const std::wstring chm = TempPath(L"manual.chm");
  WriteFileText(chm, "not really compiled help");
  HWND main = TopWindow();
  HUTILHELP help = UtilHelpOpen(main, chm.c_str());
  ASSERT_NE(help, nullptr);

  EXPECT_EQ(UtilHelpDisplayContext(help, 42), 1);
  EXPECT_EQ(UtilHelpDisplayContext(help, 43), 1);
  EXPECT_EQ(ViewersSettlingAt(1), 1);
  EXPECT_EQ(UtilHelpShowContents(help), 1);
  EXPECT_EQ(ViewersSettlingAt(1), 1);
  UtilHelpClose(help);
  EXPECT_EQ(ViewersSettlingAt(0), 0);
  Sleep(100);  // the last viewer writes its end after its window is gone

  const std::string log = ReadFileText(log_);
  const std::string file = Narrow(chm);
  EXPECT_EQ(CountLines(log, "open -mapid 42 " + file + "\n"), 1) << log;
  EXPECT_EQ(CountLines(log, "open -mapid 43 " + file + "\n"), 1) << log;
  EXPECT_EQ(CountLines(log, "open " + file + "\n"), 1) << log;  // contents: no map ID
  EXPECT_EQ(CountLines(log, "closed\n"), 3) << log;
  EXPECT_TRUE(boxes_.empty());
}

// F1 on a window whose object has a ".chm" file and no help message starts the viewer.
TEST_F(HelpFiles, F1OpensTheViewerAtTheContext) {
  const std::wstring chm = TempPath(L"f1.CHM");
  WriteFileText(chm, "x");
  HWND main = TopWindow();
  clsTestSource source(chm.c_str(), 0);
  HUTILHELP help = UtilHelpOpenEx(main, &source);
  UtilHelpPush(help, 8);
  Activate(main, nullptr);
  PressF1();
  EXPECT_EQ(ViewersSettlingAt(1), 1);
  PressF1();
  EXPECT_EQ(ViewersSettlingAt(1), 1);
  EXPECT_EQ(source.fileQuestions_, 1) << "the file is asked for once and kept";
  UtilHelpClose(help);
  EXPECT_EQ(ViewersSettlingAt(0), 0);
  EXPECT_EQ(CountLines(ReadFileText(log_), "open -mapid 8 " + Narrow(chm) + "\n"), 2);
}

// A source that fails gives no file and no message: the request ends in the not-found box, and
// the source is asked again next time.
TEST_F(HelpFiles, MissingFilesAndFailingSourcesShowTheNotFoundBox) {
  HWND main = TopWindow();
  clsTestSource failing(L"", 0, true);
  HUTILHELP help = UtilHelpOpenEx(main, &failing);
  EXPECT_EQ(UtilHelpDisplayContext(help, 5), 0);
  EXPECT_EQ(UtilHelpDisplayContext(help, 5), 0);
  EXPECT_EQ(failing.fileQuestions_, 2);
  UtilHelpClose(help);
  EXPECT_EQ(failing.refs_, 1u);

  const std::wstring missing = TempPath(L"missing.chm");
  help = UtilHelpOpen(main, missing.c_str());
  EXPECT_EQ(UtilHelpShowIndex(help), 0);
  EXPECT_EQ(UtilHelp(help, main, L"", UTILHELP_CONTENTS, 0), 0);
  UtilHelpClose(help);

  ASSERT_EQ(boxes_.size(), 4u);
  EXPECT_EQ(boxes_[0].text, L"The help file '' could not be found!");
  EXPECT_EQ(boxes_[2].text, L"The help file '" + missing + L"' could not be found!");
  for (const auto& box : boxes_) EXPECT_EQ(box.caption, L"Problem");
  EXPECT_EQ(ViewersSettlingAt(0), 0);
}

// Older help files go to the system's WinHelp entry, which is asked to quit when the object closes.
TEST_F(HelpFiles, OlderHelpFilesGoThroughWinHelp) {
  const std::wstring hlp = TempPath(L"old.hlp");
  WriteFileText(hlp, "x");
  ovut::env::User32.SetLookupForTesting(LookUpFakeWinHelp);
  ovut::env::p_WinHelpW.ResetForTesting();
  HWND main = TopWindow();
  HUTILHELP help = UtilHelpOpen(main, hlp.c_str());
  EXPECT_EQ(UtilHelpDisplayContext(help, 12), 1);
  EXPECT_EQ(UtilHelpShowHelpOnHelp(help), 1);
  UtilHelpClose(help);
  ovut::env::User32.SetLookupForTesting(nullptr);
  ovut::env::p_WinHelpW.ResetForTesting();

  ASSERT_EQ(g_winHelpCalls.size(), 3u);
  EXPECT_EQ(g_winHelpCalls[0], std::make_tuple(main, hlp, 1u, ULONG_PTR{12}));
  EXPECT_EQ(g_winHelpCalls[1], std::make_tuple(main, hlp, 4u, ULONG_PTR{0}));
  EXPECT_EQ(g_winHelpCalls[2], std::make_tuple(main, hlp, 2u, ULONG_PTR{0}));
  EXPECT_EQ(ViewersSettlingAt(0), 0);
}

// The control library's entry translates the name once at open, only while the process has the
// library loaded.
TEST_F(HelpFiles, TheControlLibraryTranslatesHelpFileNames) {
  const std::wstring chm = TempPath(L"translated.chm");
  WriteFileText(chm, "x");
  std::wstring root = chm.substr(0, chm.find_last_of(L'\\') + 1);
  SetEnvironmentVariableW(L"OVUT_XLAT_ROOT", root.c_str());
  HWND main = TopWindow();

  HUTILHELP plain = UtilHelpOpen(main, L"xlat:translated.chm");
  EXPECT_EQ(UtilHelpDisplayContext(plain, 1), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, L"The help file 'xlat:translated.chm' could not be found!");

  HMODULE control = LoadLibraryW((ProgramFolder() + L"ovct19.dll").c_str());
  ASSERT_NE(control, nullptr);
  HUTILHELP translated = UtilHelpOpen(main, L"xlat:translated.chm");
  EXPECT_EQ(UtilHelpDisplayContext(translated, 1), 1);
  EXPECT_EQ(UtilHelpDisplayContext(plain, 1), 0) << "an open object keeps its name";
  UtilHelpClose(translated);
  UtilHelpClose(plain);
  FreeLibrary(control);
  EXPECT_EQ(ViewersSettlingAt(0), 0);
  EXPECT_EQ(CountLines(ReadFileText(log_), "open -mapid 1 " + Narrow(chm) + "\n"), 1);
}

// The library's own module carries the help cursor.
TEST(HelpCursor, TheLibraryCarriesItsHelpCursor) {
  HMODULE dll = LoadLibraryExW((ProgramFolder() + L"OVUT19.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(dll, nullptr);
  EXPECT_NE(FindResourceW(dll, L"HelpCrs", MAKEINTRESOURCEW(12)), nullptr);  // RT_GROUP_CURSOR
  FreeLibrary(dll);
}

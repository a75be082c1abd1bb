// The channel of this test program talking to a stand-in viewer. The channel was set up at
// start without a viewer; publishing a viewer's handle makes it re-attach on the next line.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cwchar>
#include <new>
#include <regex>
#include <string>
#include <vector>

#include "diagnostics/channel_areas.h"
#include "diagnostics/debug_channel.h"
#include "diagnostics/debug_output.h"
#include "support/test_support.h"
#include "test_viewer.h"

using testsupport::TestViewer;
using testsupport::ViewerOptions;

namespace {

void Line(const wchar_t* module, int change, const wchar_t* format, ...) {
  va_list a;
  va_start(a, format);
  ovut::debug::WriteV(module, change, format, a);
  va_end(a);
}

std::string Narrow(const std::wstring& w, UINT cp = CP_ACP) {
  char buf[4096];
  int n = WideCharToMultiByte(cp, 0, w.c_str(), static_cast<int>(w.size()), buf, sizeof buf, nullptr, nullptr);
  return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

// The message carrying `part` (mailslot first, then WM_COPYDATA), CR removed; empty when none.
std::string Find(TestViewer& v, const std::string& part) {
  for (auto list : {v.Mailslot(), v.CopyData()})
    for (auto& m : list)
      if (m.find(part) != std::string::npos) {
        if (!m.empty() && m.back() == '\r') m.pop_back();
        return m;
      }
  return std::string();
}

// Blanks between the sequence digit and the text.
size_t Indent(const std::string& line) {
  std::smatch m;
  static const std::regex re(R"(^.*? [0-9a-f]{8}/[0-9a-f]{2,} \d( +)\S.*$)");
  return std::regex_match(line, m, re) ? static_cast<size_t>(m[1].length()) : 0;
}

// Detaches from the test's viewer so the next test starts from "no viewer".
class DebugChannel : public ::testing::Test {
 protected:
  void TearDown() override {
    testsupport::PublishViewer(nullptr);
    ovut::debug::IsActive();
  }
};

}  // namespace

TEST_F(DebugChannel, InactiveWithoutViewerOrLogFile) {
  testsupport::PublishViewer(nullptr);
  EXPECT_FALSE(ovut::debug::IsActive());
  TestViewer v;
  EXPECT_TRUE(ovut::debug::IsActive());
}

TEST_F(DebugChannel, AnnouncesItselfAndWritesPrefixedLines) {
  TestViewer v;
  Line(L"TST", 0, L"hello %d", 42);
  Line(nullptr, 0, L"second");
  ASSERT_TRUE(v.WaitFor("second"));

  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  CharUpperW(exe);
  const wchar_t* name = wcsrchr(exe, L'\\') + 1;
  // Library and executable are one module here, so the path is named once; no version resource.
  std::string hello = "++" + Narrow(name) + " <no version info> [" + Narrow(exe) + "]";
  EXPECT_EQ(Find(v, "++"), hello);
  EXPECT_EQ(v.Queries(6), 1);
  EXPECT_EQ(v.Queries(7), 1);
  EXPECT_EQ(ovut::debug::Channel()->ViewerConnectReply(), 7u);

  char thread[16];
  snprintf(thread, sizeof thread, "%08lx", GetCurrentThreadId());
  std::smatch m;
  std::string first = Find(v, "hello 42");
  ASSERT_TRUE(std::regex_match(first, m, std::regex(R"(^TST     : \d\d:\d\d:\d\d\.\d\d\d ([0-9a-f]{8})/[0-9a-f]{2} (\d)  hello 42$)")))
      << first;
  EXPECT_EQ(m[1].str(), thread);
  int digit = m[2].str()[0] - '0';
  std::string second = Find(v, "second");
  ASSERT_TRUE(std::regex_match(second, m, std::regex(R"(^\d\d:\d\d:\d\d\.\d\d\d [0-9a-f]{8}/[0-9a-f]{2} (\d)  second$)")))
      << second;
  EXPECT_EQ(m[1].str()[0] - '0', (digit + 1) % 10);
}

TEST_F(DebugChannel, LongLinesAreCutAt1024UnitsAndSentIn510BytePieces) {
  TestViewer v;
  Line(nullptr, 0, L"CUT:%s", std::wstring(3000, L'x').c_str());
  Line(nullptr, 0, L"one\r\ntwo\nth\aree\a");
  ASSERT_TRUE(v.WaitFor("th"));
  std::vector<std::string> pieces = v.PiecesFrom("CUT:");
  ASSERT_GE(pieces.size(), 6u);
  EXPECT_EQ(pieces[0].size(), 510u);
  EXPECT_EQ(pieces[1].size(), 510u);
  EXPECT_EQ(pieces[0].size() + pieces[1].size() + pieces[2].size(), 1024u);
  EXPECT_EQ(pieces[2].find_first_not_of('x'), std::string::npos);
  // CR LF, LF and BEL: three pieces, no bell byte.
  EXPECT_EQ(pieces[3].substr(pieces[3].size() - 5), "  one");
  EXPECT_EQ(pieces[4], "two");
  EXPECT_EQ(pieces[5], "three");
}

TEST_F(DebugChannel, IndentationNestsAndIsClamped) {
  TestViewer v;
  ovut::debug::ProcessArea& shared = [] () -> ovut::debug::ProcessArea& {
    static HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE,
                                             ovut::debug::ProcessAreaName(GetCurrentProcessId()).c_str());
    static void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 8);
    return *static_cast<ovut::debug::ProcessArea*>(view);
  }();
  LONG saved = shared.level;
  InterlockedExchange(&shared.level, 0);
  Line(L"N", 1, L"enter");
  Line(L"N", 0, L"inside");
  Line(L"N", -1, L"leave");
  Line(L"N", 1, nullptr);  // no text: only the level moves
  Line(L"N", 0, L"moved");
  Line(L"N", -1, nullptr);
  InterlockedExchange(&shared.level, 70);
  Line(L"N", 0, L"deep");
  InterlockedExchange(&shared.level, -5);
  Line(L"N", 0, L"negative");
  InterlockedExchange(&shared.level, saved);
  ASSERT_TRUE(v.WaitFor("negative"));
  EXPECT_EQ(Indent(Find(v, "enter")), 2u);
  EXPECT_EQ(Indent(Find(v, "inside")), 3u);
  EXPECT_EQ(Indent(Find(v, "leave")), 2u);
  EXPECT_EQ(Indent(Find(v, "moved")), 3u);
  EXPECT_EQ(Indent(Find(v, "deep")), 52u);
  EXPECT_EQ(Indent(Find(v, "negative")), 2u);
}

TEST_F(DebugChannel, AChannelThatEndsTakesBackItsOpenIndentationStep) {
  ovut::debug::clsChannelAreas areas;
  areas.Open();
  LONG before = areas.Process().level;
  {
    ovut::debug::clsDebugChannel other(GetModuleHandleW(nullptr), ovut::debug::LogSettings());
    other.SetObserver([](void*, const wchar_t*) {}, nullptr);  // active without a viewer
    auto write = [&](int change, const wchar_t* text, ...) {
      va_list a;
      va_start(a, text);
      other.Write(L"X", change, text, a);
      va_end(a);
    };
    write(1, L"open");
    write(1, L"open again");
    write(-1, L"close one");
    EXPECT_EQ(areas.Process().level, before + 1);
  }
  EXPECT_EQ(areas.Process().level, before);
}

TEST_F(DebugChannel, LinesOfConcurrentThreadsNeverInterleave) {
  TestViewer v;
  struct Worker {
    static DWORD WINAPI Run(void* p) {
      wchar_t tag = static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(p));
      std::wstring body(700, tag);  // two pieces per line
      for (int i = 0; i < 40; ++i) Line(nullptr, 0, L"T%c:%s", tag, body.c_str());
      return 0;
    }
  };
  HANDLE threads[4];
  for (int t = 0; t < 4; ++t)
    threads[t] = CreateThread(nullptr, 0, Worker::Run, reinterpret_cast<void*>(static_cast<ULONG_PTR>(L'a' + t)),
                              0, nullptr);
  WaitForMultipleObjects(4, threads, TRUE, 60000);
  for (HANDLE h : threads) CloseHandle(h);
  Line(nullptr, 0, L"threads done");
  ASSERT_TRUE(v.WaitFor("threads done"));
  std::vector<std::string> got = v.Mailslot();
  int lines = 0;
  for (size_t i = 0; i < got.size(); ++i) {
    size_t at = got[i].find("  T");
    if (at == std::string::npos || at + 4 >= got[i].size() || got[i][at + 4] != ':') continue;
    ++lines;
    char tag = got[i][at + 3];
    ASSERT_LT(i + 1, got.size());
    // The rest of the line is the next message, all of the same thread's letter.
    std::string rest = got[i + 1].substr(0, got[i + 1].size() - 1);
    EXPECT_EQ(rest.find_first_not_of(tag), std::string::npos) << i;
  }
  EXPECT_EQ(lines, 160);
}

TEST_F(DebugChannel, TextEncodingFollowsTheViewersAnswer) {
  const std::wstring text = L"enc:\u00e4\u20ac";
  for (bool utf8 : {false, true}) {
    ViewerOptions o;
    o.utf8 = utf8;
    TestViewer v(o);
    Line(nullptr, 0, L"%s", text.c_str());
    UINT cp = utf8 ? CP_UTF8 : CP_ACP;
    ASSERT_TRUE(v.WaitFor(Narrow(text, cp))) << utf8;
    EXPECT_EQ(ovut::debug::Channel()->OutputCodePage(), cp);
  }
}

TEST_F(DebugChannel, ReattachSaysGoodbyeToTheOldViewerAndHelloToTheNew) {
  ViewerOptions o;
  o.mailslot = false;  // lines then travel as WM_COPYDATA
  TestViewer a(o);
  Line(nullptr, 0, L"to A");
  ASSERT_TRUE(a.WaitFor("to A"));
  TestViewer b(o);
  Line(nullptr, 0, L"to B");
  ASSERT_TRUE(b.WaitFor("to B"));
  EXPECT_EQ(ovut::debug::Channel()->Viewer(), b.window());

  std::vector<std::string> toA = a.CopyData();
  ASSERT_FALSE(toA.empty());
  EXPECT_EQ(toA.front().substr(0, 2), "++");
  EXPECT_EQ(toA.back().substr(0, 2), "--");
  EXPECT_EQ(Find(a, "to B"), "");
  EXPECT_EQ(b.CopyData().front().substr(0, 2), "++");
  EXPECT_EQ(b.Queries(6), 1);
  EXPECT_EQ(b.Queries(7), 1);
}

TEST_F(DebugChannel, BadArgumentsNeverLoseTheLine) {
  TestViewer v;
  const wchar_t* unreadable = reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(0x10));
  Line(nullptr, 0, unreadable);
  Line(nullptr, 0, L"null: %s", static_cast<const wchar_t*>(nullptr));
  Line(nullptr, 0, L"width: %*d", INT_MAX, 1);
  Line(unreadable, 0, L"bad module");
  ovut::debug::WarningText(unreadable);
  Line(nullptr, 0, L"wide:%5000d", 1);
  Line(nullptr, 0, L"done");
  ASSERT_TRUE(v.WaitFor("done"));
  int errors = 0;
  for (const auto& m : v.Mailslot()) errors += m.find("<printf format error>") != std::string::npos;
  EXPECT_EQ(errors, 4);
  std::string module = Find(v, "bad module");
  EXPECT_TRUE(std::regex_match(module, std::regex(R"(^\d\d:\d\d:\d\d\.\d\d\d .*  bad module$)"))) << module;
  std::vector<std::string> wide = v.PiecesFrom("wide:");
  ASSERT_GE(wide.size(), 3u);
  EXPECT_EQ(wide[0].size() + wide[1].size() + wide[2].size(), 1024u);
}

TEST_F(DebugChannel, CrtInvalidParameterReportsBecomeWarnings) {
  TestViewer v;
  // The runtime here may not report through the handler itself, so it is called as the runtime would.
  _invalid_parameter_handler handler = _get_invalid_parameter_handler();
  ASSERT_NE(handler, nullptr);
  handler(L"dest != NULL", L"wcscpy_s", L"wcs.c", 42, 0);
  handler(nullptr, nullptr, nullptr, 0, 0);
  ASSERT_TRUE(v.WaitFor("ignored"));
  EXPECT_NE(Find(v, "wcs.c (line 42): wcscpy_s: INVALID PARAMETER in 'dest != NULL'"), "");
  EXPECT_NE(Find(v, "  INVALID PARAMETER in CRT function detected - ignored"), "");
}

TEST_F(DebugChannel, ListsModuleImagesAndTheStack) {
  TestViewer v;
  ovut::debug::ListModules();
  ovut::debug::StackTrace(0);
  Line(nullptr, 0, L"after");
  ASSERT_TRUE(v.WaitFor("after"));
  EXPECT_NE(Find(v, "Memory image addresses of modules:"), "");
  char base[32];
  snprintf(base, sizeof base, "0x%08llx-0x", static_cast<unsigned long long>(
                                                 reinterpret_cast<ULONG_PTR>(GetModuleHandleW(nullptr))));
  std::string exeLine = Find(v, base);
  EXPECT_NE(exeLine.find(".exe"), std::string::npos) << exeLine;
  // Each frame is the prefix piece and the frame piece; the test program's frames are there.
  int own = 0;
  for (const auto& f : v.Mailslot()) own += f.find("test_diagnostics.exe+0x") != std::string::npos;
  EXPECT_GE(own, 2);
}

// Running out of memory while a line is emitted loses that line only: the next one reaches
// the log file again (the channel's nesting depth is not left raised).
TEST_F(DebugChannel, LogFileIsWrittenAgainAfterAFailedLine) {
  testsupport::TempDir dir;
  ovut::debug::LogSettings settings;
  settings.fileName = dir.File(L"oom.log").c_str();
  ovut::debug::clsDebugChannel channel(GetModuleHandleW(nullptr), settings);
  auto write = [&](const wchar_t* text, ...) {
    va_list a;
    va_start(a, text);
    try {
      channel.Write(L"X", 0, text, a);
    } catch (const std::bad_alloc&) {
    }
    va_end(a);
  };
  write(L"before");
  channel.FailNextEmitsForTesting(1);
  write(L"lost");
  write(L"after");
  EXPECT_TRUE(channel.IsActive());
  std::string bytes = testsupport::ReadFileBytes(dir.File(L"oom.log"));
  std::wstring log(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  EXPECT_NE(log.find(L"before"), std::wstring::npos) << Narrow(log);
  EXPECT_EQ(log.find(L"lost"), std::wstring::npos) << Narrow(log);
  EXPECT_NE(log.find(L"after"), std::wstring::npos) << Narrow(log);
}

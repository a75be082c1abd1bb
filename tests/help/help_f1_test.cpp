// The F1 hook on real windows: keys go through the system's input queue (SendInput) and reach the
// hook when the test thread takes them from its queue.
#include "help_fixture.h"
#include "support/debug_capture.h"

using namespace helptest;

namespace {

int ContextRequests(const std::vector<scRequest>& requests, HWND window, LPARAM context) {
  int n = 0;
  for (const auto& r : requests) n += r.window == window && r.command == UTILHELP_CONTEXT && r.data == context;
  return n;
}

}  // namespace

// The context comes from the "orvkHelpID" sibling of the focused control, else from the top of
// the stack, and with an empty stack from the active window's answer; no answer shows the contents.
TEST_F(HelpWindows, F1WorksOutTheContextOfTheFocusedControl) {
  HWND main = TopWindow();
  HWND edit = Child(main, L"EDIT", 101);
  Child(main, L"orvkHelpID", 7, L"99");  // not the focused control's: its ID is not -101
  Child(main, L"orvkHelpID", -101, L"1234");
  clsTestSource source(L"", kHelpMessage);
  HUTILHELP help = UtilHelpOpenEx(main, &source);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(source.refs_, 2u);

  UtilHelpPush(help, 77);
  Activate(main, edit);
  PressF1();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(ContextRequests(requests_, main, 1234), 1);

  // An owned window without help IDs of its own: found through its owner, the pushed context.
  HWND dialog = TopWindow(main);
  HWND field = Child(dialog, L"EDIT", 5);
  Activate(dialog, field);
  requests_.clear();
  PressF1();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(ContextRequests(requests_, main, 77), 1) << "the help message goes to the object's window";

  UtilHelpPop(help);
  contextAnswer_ = 555;
  requests_.clear();
  PressF1();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(ContextRequests(requests_, main, 555), 1);

  contextAnswer_ = 0;
  requests_.clear();
  PressF1();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].command, static_cast<WPARAM>(UTILHELP_CONTENTS));
  EXPECT_TRUE(boxes_.empty());

  UtilHelpClose(help);
  EXPECT_EQ(source.refs_, 1u);
  requests_.clear();
  PressF1();
  EXPECT_TRUE(requests_.empty()) << "no object, no hook";
}

// Shift+Ctrl+Alt+F1 shows the context once (the box's own message loop meets the same F1 and
// must not start another box); Shift+F1 and Ctrl+F1 do nothing.
TEST_F(HelpWindows, ModifiersChooseBetweenHelpTheContextBoxAndNothing) {
  HWND main = TopWindow();
  HWND edit = Child(main, L"EDIT", 101);
  Child(main, L"orvkHelpID", -101, L"1234");
  clsTestSource source(L"", kHelpMessage);
  HUTILHELP help = UtilHelpOpenEx(main, &source);
  UtilHelpPush(help, 1);
  Activate(main, edit);

  struct {
    std::vector<WORD> modifiers;
    size_t requests;
    size_t boxes;
  } cases[] = {
      {{VK_SHIFT, VK_CONTROL, VK_MENU}, 0, 1},
      {{VK_SHIFT}, 0, 0},
      {{VK_CONTROL}, 0, 0},
      {{VK_SHIFT, VK_CONTROL}, 0, 0},
      {{}, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.modifiers.size());
    requests_.clear();
    boxes_.clear();
    PressF1(c.modifiers);
    EXPECT_EQ(requests_.size(), c.requests);
    ASSERT_EQ(boxes_.size(), c.boxes);
    if (c.boxes) {
      EXPECT_EQ(boxes_[0].text, L"Context# 1234");
      EXPECT_EQ(boxes_[0].caption, L"Help");
    }
  }
  UtilHelpClose(help);
}

// A loop that only peeks at the key (HC_NOREMOVE) before taking it gets help once, not twice.
TEST_F(HelpWindows, PeekingAtF1DoesNotRunHelp) {
  HWND main = TopWindow();
  clsTestSource source(L"", kHelpMessage);
  HUTILHELP help = UtilHelpOpenEx(main, &source);
  UtilHelpPush(help, 42);
  Activate(main, nullptr);
  PressF1({}, true);
  EXPECT_EQ(ContextRequests(requests_, main, 42), 1);
  EXPECT_EQ(requests_.size(), 1u);
  UtilHelpClose(help);
}

TEST_F(HelpWindows, ClosingTheFirstObjectKeepsF1WorkingForTheSecond) {
  HWND first = TopWindow();
  HWND second = TopWindow();
  clsTestSource source1(L"", kHelpMessage), source2(L"", kHelpMessage);
  HUTILHELP help1 = UtilHelpOpenEx(first, &source1);
  HUTILHELP help2 = UtilHelpOpenEx(second, &source2);
  UtilHelpPush(help1, 1);
  UtilHelpPush(help2, 2);
  UtilHelpClose(help1);

  Activate(second, nullptr);
  PressF1();
  EXPECT_EQ(ContextRequests(requests_, second, 2), 1);
  requests_.clear();
  Activate(first, nullptr);
  PressF1();
  EXPECT_TRUE(requests_.empty());
  UtilHelpClose(help2);
}

// The application's help message takes every command; a refused context falls back to the file.
TEST_F(HelpWindows, CommandsGoToTheHelpMessage) {
  HWND main = TopWindow();
  clsTestSource source(L"", kHelpMessage);
  HUTILHELP help = UtilHelpOpenEx(main, &source);
  EXPECT_EQ(UtilHelpShowContents(help), 1);
  EXPECT_EQ(UtilHelpShowIndex(help), 1);
  EXPECT_EQ(UtilHelpShowHelpOnHelp(help), 1);
  EXPECT_EQ(UtilHelpDisplayContext(help, 9), 1);
  ASSERT_EQ(requests_.size(), 4u);
  EXPECT_EQ(requests_[0].command, 3u);
  EXPECT_EQ(requests_[1].command, 261u);
  EXPECT_STREQ(reinterpret_cast<const wchar_t*>(requests_[1].data), L"");
  EXPECT_EQ(requests_[2].command, 4u);
  EXPECT_EQ(requests_[3].command, 1u);
  EXPECT_EQ(requests_[3].data, 9);
  EXPECT_EQ(source.fileQuestions_, 0);

  helpAnswer_ = 0;  // refused: the file is asked for, and it is missing
  EXPECT_EQ(UtilHelpDisplayContext(help, 9), 0);
  EXPECT_EQ(source.fileQuestions_, 1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, L"Problem");
  UtilHelpClose(help);
}

TEST_F(HelpWindows, PushAndPopKeepTheStackBalanced) {
  HWND main = TopWindow();
  clsTestSource source(L"", kHelpMessage);
  HUTILHELP help = UtilHelpOpenEx(main, &source);
  Activate(main, nullptr);
  contextAnswer_ = 31;
  UtilHelpPush(help, 10);
  UtilHelpPush(help, 20);
  UtilHelpPop(help);
  EXPECT_EQ(UtilHelpDisplay(help), 1);
  UtilHelpPop(help);
  {
    testsupport::DebugCapture capture;
    UtilHelpPop(help);
    EXPECT_TRUE(capture.Contains(L"ORVKUTIL(Help): Min Help Depth reached, too many POPs"));
  }
  UtilHelpPush(help, 40);
  EXPECT_EQ(UtilHelpDisplay(help), 1);
  UtilHelpPop(help);
  EXPECT_EQ(UtilHelpDisplay(help), 1);  // empty again: the window's answer
  ASSERT_EQ(requests_.size(), 3u);
  EXPECT_EQ(requests_[0].data, 10);
  EXPECT_EQ(requests_[1].data, 40);
  EXPECT_EQ(requests_[2].data, 31);
  UtilHelpClose(help);
}

TEST_F(HelpWindows, NullAndUnknownHandlesDoNothing) {
  EXPECT_EQ(UtilHelpOpen(nullptr, L"x.chm"), nullptr);
  EXPECT_EQ(UtilHelpOpenEx(reinterpret_cast<HWND>(0x1234), nullptr), nullptr);
  HWND main = TopWindow();
  HUTILHELP help = UtilHelpOpen(main, nullptr);
  ASSERT_NE(help, nullptr);
  EXPECT_NE(UtilHelpCursor(help), nullptr);
  UtilHelpSetHelpMode(help, 3);
  EXPECT_EQ(UtilHelpIsInHelpMode(help), 3);
  UtilHelpClose(help);

  testsupport::DebugCapture capture;
  UtilHelpClose(nullptr);
  EXPECT_TRUE(capture.Contains(L"ORVKUTIL(Help): UtilHelpClose(): Try to unhook Help object that is not hooked"));
  for (HUTILHELP h : {static_cast<HUTILHELP>(nullptr), help}) {  // null, and closed
    UtilHelpClose(h);
    UtilHelpPush(h, 1);
    UtilHelpPop(h);
    UtilHelpSetHelpMode(h, 1);
    EXPECT_EQ(UtilHelpDisplay(h), 0);
    EXPECT_EQ(UtilHelpDisplayContext(h, 1), 0);
    EXPECT_EQ(UtilHelpShowContents(h), 0);
    EXPECT_EQ(UtilHelpShowIndex(h), 0);
    EXPECT_EQ(UtilHelpShowHelpOnHelp(h), 0);
    EXPECT_EQ(UtilHelp(h, main, L"x.chm", 1, 1), 0);
    EXPECT_EQ(UtilHelpCursor(h), nullptr);
    EXPECT_EQ(UtilHelpIsInHelpMode(h), 0);
  }
  EXPECT_TRUE(capture.Contains(L"UtilHelpDisplay(): ")) << "a closed handle is reported by name";
  EXPECT_TRUE(boxes_.empty());
}

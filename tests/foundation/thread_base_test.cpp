// Worker threads: start, cooperative and forced end, the message pump while ending, and the
// object's lifetime against a thread that does not end.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "foundation/scoped_handle.h"
#include "foundation/thread_api.h"
#include "foundation/thread_base.h"
#include "support/debug_capture.h"

namespace {

// A body that returns `result` when asked to stop.
class Cooperative : public clsThreadBase {
 public:
  explicit Cooperative(DWORD result) : clsThreadBase("cooperative"), result_(result) {}
  ~Cooperative() override { ThreadEnd(); }
  std::atomic<int> runs{0};

 protected:
  DWORD ThreadBody() override {
    ++runs;
    WaitForSingleObject(StopEvent(), INFINITE);
    return result_;
  }

 private:
  DWORD result_;
};

// A body that ignores the stop event until released, and touches the object all the while.
// A body that never ends by itself and keeps writing into memory of its own (a block on the
// process heap, so a write after it is freed shows up in HeapValidate). A derived class's own
// members are gone before the base's destructor runs, so such a body must keep to what
// outlives the object; the base keeps its own state alive until the thread has ended.
class Unending : public clsThreadBase {
 public:
  Unending() : clsThreadBase("unending") {}
  static std::atomic<bool> running;

 protected:
  DWORD ThreadBody() override {
    char* block = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 4096));
    running = true;
    for (DWORD i = 0;; ++i) {
      if (block) block[i % 4096]++;
      Sleep(1);
    }
  }
};
std::atomic<bool> Unending::running{false};

class Stubborn : public clsThreadBase {
 public:
  Stubborn() : clsThreadBase("stubborn"), buffer_(new char[4096]) {}
  std::atomic<bool> release{false};
  std::atomic<bool> running{false};

 protected:
  DWORD ThreadBody() override {
    running = true;
    while (!release) {
      buffer_[GetTickCount() % 4096]++;
      WaitForSingleObject(StopEvent(), 1);
    }
    return 7;
  }

 private:
  std::unique_ptr<char[]> buffer_;
};

HANDLE OpenThreadOf(const clsThreadBase& t) { return OpenThread(SYNCHRONIZE, FALSE, t.ThreadId()); }

TEST(ThreadBase, StartsNamedRunsOnceAndEndsWithTheBodysResult) {
  Cooperative t(42);
  EXPECT_EQ(0xFFFFFFFFu, t.ThreadExitCode());
  ASSERT_TRUE(t.ThreadStart());
  EXPECT_TRUE(t.IsThreadRunning());
  const DWORD id = t.ThreadId();
  EXPECT_NE(0u, id);
  EXPECT_NE(GetCurrentThreadId(), id);
  // Starting a running thread creates no second one.
  EXPECT_TRUE(t.ThreadStart());
  EXPECT_EQ(id, t.ThreadId());

  const std::string name = t.ThreadName();
  EXPECT_EQ("::cooperative", name.substr(name.size() - 13));
  const auto& api = ovut::threadapi::Get();
  if (api.getThreadDescription) {
    ovut::UniqueHandle h(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id));
    PWSTR description = nullptr;
    if (h && SUCCEEDED(api.getThreadDescription(h.get(), &description)) && description) {
      EXPECT_EQ(std::wstring(name.begin(), name.end()), std::wstring(description));
      LocalFree(description);
    }
  }

  const DWORD before = GetTickCount();
  EXPECT_TRUE(t.ThreadEnd(false, 5000, false));
  EXPECT_LT(GetTickCount() - before, 2000u);
  EXPECT_FALSE(t.IsThreadRunning());
  EXPECT_EQ(42u, t.ThreadExitCode());
  EXPECT_EQ(1, t.runs.load());
  EXPECT_TRUE(t.ThreadEnd());  // nothing left to end

  // The object can run its thread again.
  ASSERT_TRUE(t.ThreadStart());
  EXPECT_TRUE(t.ThreadEnd(false, 5000, false));
  EXPECT_EQ(2, t.runs.load());
}

TEST(ThreadBase, ABodyThatDoesNotReturnIsLeftRunningOrTerminatedAsAsked) {
  Stubborn t;
  ASSERT_TRUE(t.ThreadStart());
  EXPECT_FALSE(t.ThreadEnd(false, 50, false));
  EXPECT_TRUE(t.IsThreadRunning());
  // A later ThreadEnd tries again.
  t.release = true;
  EXPECT_TRUE(t.ThreadEnd(false, 5000, false));
  EXPECT_EQ(7u, t.ThreadExitCode());

  t.release = false;
  ASSERT_TRUE(t.ThreadStart());
  ovut::UniqueHandle h(OpenThreadOf(t));
  EXPECT_TRUE(t.ThreadEnd(false, 50, true));
  EXPECT_FALSE(t.IsThreadRunning());
  ASSERT_TRUE(h);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h.get(), 0));
  EXPECT_EQ(0u, t.ThreadExitCode());
}

// The object is destroyed while its body still runs and uses it (left running by a ThreadEnd
// without termination): the destructor warns and ends the thread before any memory goes, and a
// ThreadEnd still waiting on another thread finishes without touching freed state.
TEST(ThreadBase, DestroyingTheObjectEndsTheThreadBeforeItsMemoryIsFreed) {
  testsupport::DebugCapture capture;
  Unending::running = false;
  auto* t = new Unending;
  ASSERT_TRUE(t->ThreadStart());
  while (!Unending::running) Sleep(1);
  EXPECT_FALSE(t->ThreadEnd(false, 20, false));
  ovut::UniqueHandle h(OpenThreadOf(*t));
  ASSERT_TRUE(h);

  struct Ender {
    clsThreadBase* t;
    std::atomic<bool> inside{false};
    bool result = true;
    static DWORD WINAPI Run(void* p) {
      auto* e = static_cast<Ender*>(p);
      e->inside = true;
      e->result = e->t->ThreadEnd(false, 300, false);
      return 0;
    }
  } ender{t};
  ovut::UniqueHandle other(CreateThread(nullptr, 0, &Ender::Run, &ender, 0, nullptr));
  while (!ender.inside) Sleep(1);
  Sleep(20);

  const DWORD before = GetTickCount();
  delete t;
  const DWORD took = GetTickCount() - before;
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h.get(), 0)) << "the body outlived its object";
  EXPECT_LT(took, 4000u);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(other.get(), 5000));
  EXPECT_FALSE(ender.result);
  EXPECT_TRUE(capture.Contains(L"warning: derived class does not end thread"));
  // Nothing written into freed memory shows up as heap damage.
  EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
}

// The body sends a message to a window of the thread that ends it.
class Messenger : public clsThreadBase {
 public:
  Messenger(HWND target, bool pump) : clsThreadBase("messenger"), target_(target), pump_(pump) {}
  ~Messenger() override { ThreadEnd(false, 5000, true); }

 protected:
  DWORD ThreadBody() override {
    WaitForSingleObject(StopEvent(), INFINITE);
    return static_cast<DWORD>(SendMessageW(target_, WM_APP, 0, 0));
  }
  bool ThreadPumpMessages() const override { return pump_; }

 private:
  HWND target_;
  bool pump_;
};

LRESULT CALLBACK AnswerApp(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return m == WM_APP ? 99 : DefWindowProcW(w, m, wp, lp);
}

TEST(ThreadBase, EndingPumpsMessagesSoABodyThatSendsToTheCallerCanFinish) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = AnswerApp;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ovutThreadEndTarget";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(window);

  {
    Messenger t(window, true);
    ASSERT_TRUE(t.ThreadStart());
    EXPECT_TRUE(t.ThreadEnd(false, 5000, false));
    EXPECT_EQ(99u, t.ThreadExitCode());
  }
  {
    // Without the pump the body stays blocked in SendMessage until the caller's loop runs.
    Messenger t(window, false);
    ASSERT_TRUE(t.ThreadStart());
    EXPECT_FALSE(t.ThreadEnd(false, 200, false));
    MSG msg;
    for (int i = 0; i < 500 && t.IsThreadRunning(); ++i) {
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent message
      Sleep(2);
    }
    EXPECT_TRUE(t.ThreadEnd(false, 5000, false));
    EXPECT_EQ(99u, t.ThreadExitCode());
  }
  DestroyWindow(window);
}

}  // namespace

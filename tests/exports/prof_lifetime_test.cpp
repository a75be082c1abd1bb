// Job lifetimes across threads and callbacks that change what they walk.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "exports/prof_fixture.h"
#include "ovut19.h"

using proftest::Get;
using proftest::Items;

namespace {

// A running call holds its job: a close on another thread while the call runs takes effect
// when the call ends, and the call sees the whole tree until then.
struct CloseDuringCall {
  HPROFJOB job;
  std::vector<std::wstring> seen;
  std::wstring valueAfterClose;
};

int WINAPI CloseFromAnotherThread(HPROFJOB job, LPCWSTR name, LPCWSTR value, HPROFLIST, INT_PTR user) {
  auto* c = reinterpret_cast<CloseDuringCall*>(user);
  if (c->seen.empty()) {
    std::thread closer([job] { ProfJobClose(job); });
    closer.join();
    c->valueAfterClose = Get(job, 0, L"b");
  }
  c->seen.push_back(std::wstring(name) + L"=" + value);
  return 1;
}

TEST(ProfLifetime, CloseOnAnotherThreadWaitsForTheRunningCall) {
  HPROFJOB job = ProfJobOpenW(nullptr);
  for (const wchar_t* n : {L"a", L"b", L"c"}) ProfSetStringW(job, 0, n, L"a value longer than the inline buffer");
  CloseDuringCall c{job, {}, {}};
  EXPECT_EQ(ProfEnumW(job, 0, CloseFromAnotherThread, reinterpret_cast<INT_PTR>(&c)), 1);
  ASSERT_EQ(c.seen.size(), 3u);
  EXPECT_EQ(c.seen[2], L"c=a value longer than the inline buffer");
  EXPECT_EQ(c.valueAfterClose, L"a value longer than the inline buffer");
  // The call's end was the final release: the handle is dead for good.
  EXPECT_EQ(ProfGetError(job), -5);
  EXPECT_EQ(ProfJobAddRef(job), 0);
  ProfJobClose(job);
  EXPECT_EQ(ProfGetError(job), -5);
}

// AddRef racing the last close: an AddRef either lands while the job is alive (a count of at
// least 2: the closer's reference is still there) or finds it dead (0); it never brings a
// count of 0 back to 1.
TEST(ProfLifetime, AddRefRacingTheLastCloseNeverRevives) {
  for (int round = 0; round < 200; ++round) {
    HPROFJOB job = ProfJobOpenW(nullptr);
    for (int i = 0; i < 50; ++i) ProfAppendStringW(job, 0, L"item", L"a value longer than the inline buffer");
    std::atomic<bool> go{false};
    std::atomic<int> revived{0};
    std::thread adder([&] {
      while (!go) {
      }
      for (;;) {
        int n = ProfJobAddRef(job);
        if (n == 0) break;
        if (n == 1) ++revived;
        ProfJobClose(job);
      }
      // Dead is dead: no later call finds the job.
      if (ProfGetError(job) != -5 || ProfJobAddRef(job) != 0) ++revived;
    });
    go = true;
    ProfJobClose(job);
    adder.join();
    ASSERT_EQ(revived.load(), 0) << "round " << round;
  }
}

// Callbacks that prune the list they walk: later siblings, the whole list, or the list itself.
struct Prune {
  HPROFJOB job;
  HPROFLIST list;
  int mode;
  std::wstring seen;
};

int WINAPI PruneWhileWalking(HPROFJOB job, LPCWSTR name, LPCWSTR value, HPROFLIST, INT_PTR user) {
  auto* p = reinterpret_cast<Prune*>(user);
  p->seen += name;
  if (p->seen.size() == 1) {
    switch (p->mode) {
      case 0:  // later siblings: a value, a list, and again a value
        ProfDeleteItemW(job, p->list, L"c");
        ProfDeleteListW(job, p->list, L"L");
        ProfDeleteItemW(job, p->list, L"e");
        break;
      case 1: ProfEmptyList(job, p->list); break;
      case 2: ProfDeleteListW(job, p->list, nullptr); break;  // the walked list itself
      case 3:  // itself and its next sibling, then a new item
        ProfDeleteItemW(job, p->list, L"a");
        ProfDeleteItemW(job, p->list, L"b");
        ProfAppendStringW(job, p->list, L"z", L"new");
        break;
    }
  }
  return 1;
}

TEST(ProfLifetime, EnumerationSurvivesACallbackThatPrunesTheList) {
  const struct {
    int mode;
    const wchar_t* seen;
    const wchar_t* left;
  } cases[] = {
      {0, L"abdf", L"a=1;b=2;d=4;f=6"},
      {1, L"a", L""},
      {2, L"a", L"<gone>"},
      {3, L"acLdef", L"c=3;[L];d=4;e=5;f=6;z=new"},
  };
  for (const auto& c : cases) {
    proftest::Job job;
    HPROFLIST list = ProfCreateListW(job, 0, L"Walked");
    ProfSetStringW(job, list, L"a", L"1");
    ProfSetStringW(job, list, L"b", L"2");
    ProfSetStringW(job, list, L"c", L"3");
    ProfSetStringW(job, list, L"L/inner", L"x");
    ProfSetStringW(job, list, L"d", L"4");
    ProfSetStringW(job, list, L"e", L"5");
    ProfSetStringW(job, list, L"f", L"6");
    Prune p{job, list, c.mode, {}};
    EXPECT_EQ(ProfEnumW(job, list, PruneWhileWalking, reinterpret_cast<INT_PTR>(&p)), 1) << c.mode;
    EXPECT_EQ(p.seen, c.seen) << c.mode;
    HPROFLIST still = ProfGetListW(job, 0, L"Walked");
    EXPECT_EQ(still ? Items(job, still) : L"<gone>", c.left) << c.mode;
  }
}

// The same through the root list and the ANSI form: emptying the root while walking it.
int WINAPI EmptyRootA(HPROFJOB job, LPCSTR, LPCSTR, HPROFLIST, INT_PTR user) {
  ++*reinterpret_cast<int*>(user);
  ProfEmptyList(job, 0);
  return 1;
}

TEST(ProfLifetime, AnsiEnumerationOfAnEmptiedRoot) {
  proftest::Job job;
  for (const char* n : {"a", "b", "c"}) ProfSetStringA(job, 0, n, "v");
  int calls = 0;
  EXPECT_EQ(ProfEnumA(job, 0, EmptyRootA, reinterpret_cast<INT_PTR>(&calls)), 1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Items(job, 0), L"");
}

// Stream objects at the lowest levels: INT_MIN reads like INT_MIN + 1 instead of wrapping to
// the deepest level.
TEST(ProfLifetime, StreamObjectLevelIntMinIsClamped) {
  const wchar_t* texts[] = {L"a=1\r\n", L"<item name=\"a\">1</item>\r\n"};
  for (const wchar_t* text : texts) {
    std::wstring results[2];
    const int levels[2] = {INT_MIN, INT_MIN + 1};
    for (int i = 0; i < 2; ++i) {
      IStream* s = nullptr;
      ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
      ULONG put = 0;
      s->Write(text, static_cast<ULONG>(wcslen(text) * sizeof(wchar_t)), &put);
      HPROFJOB job = ProfJobOpenStreamObjectW(s, L"obj", levels[i]);
      ASSERT_NE(job, 0);
      results[i] = std::to_wstring(ProfGetError(job)) + L":" + Items(job, 0);
      ProfJobClose(job);
      s->Release();
    }
    EXPECT_EQ(results[0], results[1]) << text;
  }
}

}  // namespace

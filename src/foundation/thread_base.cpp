// Worker threads: suspended start, names for debuggers, cooperative end with a time limit.
#include "foundation/thread_base.h"

#include <process.h>

#include <cerrno>
#include <string>

#include "diagnostics/debug_output.h"
#include "dll/lifecycle.h"
#include "foundation/critical_section.h"
#include "foundation/scoped_handle.h"
#include "foundation/thread_api.h"

namespace ovut {

// Everything the thread procedure and a waiting ThreadEnd touch. Counted: the object holds one
// reference, a started thread another (dropped by whoever collects the ended thread), and each
// ThreadEnd one for the span of its wait.
struct ThreadShared {
  volatile LONG refs = 1;
  CriticalSection lock{100};
  UniqueHandle thread;
  DWORD threadId = 0;
  DWORD starterId = 0;
  UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  UniqueHandle started;
  UniqueHandle finished{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::string name;
  DWORD exitCode = 0xFFFFFFFF;
  String startError;
  int nesting = 0;
  DWORD endingThread = 0;
  bool threadHoldsRef = false;
  clsThreadBase* owner = nullptr;

  void AddRef() noexcept { InterlockedIncrement(&refs); }
  void Release() noexcept {
    if (InterlockedDecrement(&refs) == 0) delete this;
  }
};

namespace {

class SharedRef {
 public:
  explicit SharedRef(ThreadShared* s) noexcept : s_(s) { s_->AddRef(); }
  ~SharedRef() { s_->Release(); }
  SharedRef(const SharedRef&) = delete;
  SharedRef& operator=(const SharedRef&) = delete;

 private:
  ThreadShared* s_;
};

std::string LibraryModuleName() {
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(ThisModule(), path, MAX_PATH);
  std::string name(path, n < MAX_PATH ? n : 0);
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

constexpr DWORD kNameException = 0x406D1388;

LONG CALLBACK SkipNameException(EXCEPTION_POINTERS* info) {
  return info->ExceptionRecord->ExceptionCode == kNameException ? EXCEPTION_CONTINUE_EXECUTION
                                                                 : EXCEPTION_CONTINUE_SEARCH;
}

ULONGLONG Milliseconds(const FILETIME& t) {
  return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000;
}

// Closes the handle of an ended (or terminated) thread, keeps its exit code and drops the
// thread's reference (never the last one: the caller holds its own). Lock held.
void CollectLocked(ThreadShared* s) noexcept {
  if (!s->thread) return;
  DWORD code = 0;
  if (GetExitCodeThread(s->thread.get(), &code) && code != STILL_ACTIVE) s->exitCode = code;
  s->thread.reset();
  s->threadId = 0;
  if (s->threadHoldsRef) {
    s->threadHoldsRef = false;
    s->Release();
  }
}

void ReportLifetime(ThreadShared* s) {
  if (!DeveloperDiagnostics() || !s->thread) return;
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(s->thread.get(), &created, &exited, &kernel, &user)) return;
  const int userMs = static_cast<int>(Milliseconds(user)), kernelMs = static_cast<int>(Milliseconds(kernel));
  if (Milliseconds(exited) >= Milliseconds(created) && Milliseconds(exited) != 0)
    debug::Warning(L"thread '%hs' was alive for %d ms (UserMode: %d ms, KernelMode: %d ms)", s->name.c_str(),
                   static_cast<int>(Milliseconds(exited) - Milliseconds(created)), userMs, kernelMs);
  else
    debug::Warning(L"thread '%hs' forced to exit! (UserMode: %d ms, KernelMode: %d ms)", s->name.c_str(), userMs,
                   kernelMs);
}

// Waits for the thread, dispatching every message that arrives meanwhile (also messages the thread
// sends to the caller's windows). A WM_QUIT taken from the queue is posted again afterwards.
void PumpWait(HANDLE thread, DWORD limitMs) {
  const DWORD start = GetTickCount();
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    DWORD remaining = INFINITE;
    if (limitMs != INFINITE) {
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= limitMs) break;
      remaining = limitMs - elapsed;
    }
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, remaining, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          quit = true;
          quitCode = msg.wParam;
          continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      continue;
    }
    if (r == WAIT_ABANDONED_0) debug::Warning(L"abandoned...");
    break;  // ended, failed or timed out
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

// The end operation on the shared state; `self` only answers the pump question beforehand.
bool EndThread(ThreadShared* s, bool giveUpIfSuspended, DWORD limitMs, bool terminate, bool pump) noexcept {
  s->lock.Enter();
  if (s->nesting > 0) {
    if (DeveloperDiagnostics()) debug::Warning(L"ups ;) some recursion in ThreadEnd()? Might be OK though ;)");
    const bool none = !s->thread;
    s->lock.Leave();
    return none;
  }
  ++s->nesting;
  s->endingThread = GetCurrentThreadId();
  bool leftRunning = false;
  if (s->thread) {
    SetEvent(s->stop.get());
    HANDLE h = s->thread.get();
    DWORD code = 0;
    if (!GetExitCodeThread(h, &code)) {
      const DWORD error = GetLastError();
      debug::Warning(L"clsThreadBase(%hs)::ThreadEnd(): warning: thread handle is not NULL, but "
                     L"::GetExitCodeThread(_hThread,&dwEC) failed(%d): %s",
                     s->name.c_str(), static_cast<int>(error), String::ErrorText(error).c_str());
    } else if (code == STILL_ACTIVE) {
      const DWORD count = SuspendThread(h);
      if (count != static_cast<DWORD>(-1)) ResumeThread(h);
      const bool suspended = count != static_cast<DWORD>(-1) && count > 0;
      bool ended = false;
      if (!(suspended && giveUpIfSuspended)) {
        SetThreadPriority(h, GetThreadPriority(GetCurrentThread()));
        if (suspended)
          while (ResumeThread(h) > 1) {
          }
        // Our own handle for the wait: the lock is released meanwhile.
        UniqueHandle wait;
        if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), wait.put(), SYNCHRONIZE, FALSE, 0))
          wait.reset();
        s->lock.Leave();
        if (wait) {
          if (pump) PumpWait(wait.get(), limitMs);
          else WaitForSingleObject(wait.get(), limitMs);
        }
        s->lock.Enter();
        ended = WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
      }
      if (!ended) {
        if (terminate) {
          TerminateThread(h, 0);
          // Termination is asynchronous: nothing may be freed before the thread is really gone.
          WaitForSingleObject(h, 5000);
        } else {
          leftRunning = true;
        }
      }
    }
    if (!leftRunning) {
      ReportLifetime(s);
      CollectLocked(s);
    }
  }
  --s->nesting;
  s->endingThread = 0;
  const bool none = !s->thread;
  s->lock.Leave();
  return none;
}

}  // namespace

void NameCurrentThreadForDebuggers(const char* name) noexcept {
  if (!name) return;
  const threadapi::Functions& api = threadapi::Get();
  if (api.setThreadDescription) {
    const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (n > 0 && n < 1024) {
      wchar_t wide[1024];
      MultiByteToWideChar(CP_ACP, 0, name, -1, wide, n);
      api.setThreadDescription(GetCurrentThread(), wide);
    }
  }
  if (!IsDebuggerPresent()) return;
#pragma pack(push, 8)
  struct {
    DWORD type;
    LPCSTR name;
    DWORD threadId;
    DWORD flags;
  } info = {0x1000, name, static_cast<DWORD>(-1), 0};
#pragma pack(pop)
  // A debugger that does not take the exception hands it back; the handler lets the thread go on.
  PVOID handler = AddVectoredExceptionHandler(1, SkipNameException);
  RaiseException(kNameException, 0, sizeof(info) / sizeof(ULONG_PTR), reinterpret_cast<const ULONG_PTR*>(&info));
  if (handler) RemoveVectoredExceptionHandler(handler);
}

}  // namespace ovut

using ovut::AutoLock;
using ovut::ThreadShared;

clsThreadBase::clsThreadBase(const char* name) : shared_(new ThreadShared) {
  shared_->owner = this;
  shared_->name = ovut::LibraryModuleName() + "::" + (name ? name : "");
}

clsThreadBase::~clsThreadBase() {
  ThreadShared* s = shared_;
  // Another thread's ThreadEnd in progress: let it finish first (it is bounded by its own limit).
  for (;;) {
    s->lock.Enter();
    const bool otherEnding = s->nesting > 0 && s->endingThread != GetCurrentThreadId();
    const bool running = s->thread.valid();
    s->lock.Leave();
    if (!otherEnding) {
      if (running) {
        ovut::debug::Warning(L"clsThreadBase(%hs)::~clsThreadBase: warning: derived class does not end thread. I do it "
                             L"here - cross your fingers that the derived class does not access any members in the "
                             L"thread function!!!",
                             s->name.c_str());
        ovut::EndThread(s, false, 1000, true, true);
      }
      break;
    }
    Sleep(5);
  }
  s->lock.Enter();
  s->owner = nullptr;
  s->lock.Leave();
  s->Release();
}

unsigned __stdcall clsThreadBase::ThreadProcedure(void* param) {
  ThreadShared* s = static_cast<ThreadShared*>(param);
  ovut::NameCurrentThreadForDebuggers(s->name.c_str());
  clsThreadBase* self = s->owner;
  HANDLE finished = s->finished.get();
  SetEvent(s->started.get());
  const DWORD result = self ? self->ThreadBody() : 0;
  // The last touch of shared state: a waiter at unload may free everything once this is set.
  SetEvent(finished);
  return result;
}

bool clsThreadBase::ThreadStart(int priority) noexcept {
  ThreadShared* s = shared_;
  AutoLock hold(s->lock);
  if (s->thread && WaitForSingleObject(s->thread.get(), 0) == WAIT_OBJECT_0) ovut::CollectLocked(s);
  if (s->thread) {
    ResumeThread(s->thread.get());
    return true;
  }
  try {
    s->started.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    s->exitCode = 0xFFFFFFFF;
    s->starterId = GetCurrentThreadId();
    ResetEvent(s->stop.get());
    ResetEvent(s->finished.get());
    const DWORD stack = ThreadStackSize();
    s->AddRef();  // the thread's reference
    unsigned id = 0;
    errno = 0;
    SetLastError(0);
    const uintptr_t h = s->started ? _beginthreadex(nullptr, stack, &clsThreadBase::ThreadProcedure, s,
                                                    CREATE_SUSPENDED, &id)
                                   : 0;
    if (!h) {
      const DWORD error = GetLastError();
      s->Release();
      s->startError = String::Formatted(
          L"clsThreadBase(%hs)::ThreadStart: Cannot create thread (stack size %d KiB): errno=%d, GetLastError()=%s",
          s->name.c_str(), static_cast<int>(stack / 1024), errno, String::ErrorText(error).c_str());
      ovut::debug::Warning(L"ERR: %s", s->startError.c_str());
      return false;
    }
    s->thread.reset(reinterpret_cast<HANDLE>(h));
    s->threadId = id;
    s->threadHoldsRef = true;
    ResumeThread(s->thread.get());
    const DWORD wait = WaitForSingleObject(s->started.get(), 10000);
    if (wait == WAIT_OBJECT_0) {
      SetThreadPriority(s->thread.get(), priority);
      return true;
    }
    const DWORD error = GetLastError();
    s->startError =
        String::Formatted(L"clsThreadBase(%hs)::ThreadStart: WaitForSingleObject() failed: result=%08x, GetLastError()=%s",
                          s->name.c_str(), static_cast<unsigned>(wait), String::ErrorText(error).c_str());
    ovut::debug::Warning(L"ERR: %s", s->startError.c_str());
    return false;
  } catch (...) {
    return false;
  }
}

bool clsThreadBase::ThreadEnd(bool giveUpIfSuspended, DWORD limitMs, bool terminate) noexcept {
  ThreadShared* s = shared_;
  ovut::SharedRef hold(s);
  bool pump = true;
  try {
    pump = ThreadPumpMessages();
  } catch (...) {
  }
  return ovut::EndThread(s, giveUpIfSuspended, limitMs, terminate, pump);
}

void clsThreadBase::ThreadEndAtUnload(DWORD limitMs) noexcept {
  ThreadShared* s = shared_;
  AutoLock hold(s->lock);
  if (!s->thread) return;
  SetEvent(s->stop.get());
  // The thread's exit needs the loader lock, so its handle may not signal before the unload ends;
  // the body's return does. A thread already gone (killed at process exit) signals its handle.
  HANDLE both[2] = {s->finished.get(), s->thread.get()};
  if (WaitForMultipleObjects(2, both, FALSE, limitMs) == WAIT_TIMEOUT) {
    TerminateThread(s->thread.get(), 0);
    WaitForSingleObject(s->thread.get(), 5000);
  }
  ovut::CollectLocked(s);
}

HANDLE clsThreadBase::StopEvent() const noexcept { return shared_->stop.get(); }

bool clsThreadBase::IsThreadRunning() const noexcept {
  AutoLock hold(shared_->lock);
  return shared_->thread && WaitForSingleObject(shared_->thread.get(), 0) == WAIT_TIMEOUT;
}

DWORD clsThreadBase::ThreadExitCode() const noexcept {
  AutoLock hold(shared_->lock);
  return shared_->exitCode;
}

DWORD clsThreadBase::ThreadId() const noexcept {
  AutoLock hold(shared_->lock);
  return shared_->threadId;
}

const char* clsThreadBase::ThreadName() const noexcept { return shared_->name.c_str(); }

String clsThreadBase::StartErrorText() const {
  AutoLock hold(shared_->lock);
  return shared_->startError;
}

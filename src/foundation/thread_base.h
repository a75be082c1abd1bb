// clsThreadBase: the base of every worker thread the library starts. A derived class supplies the
// body; the base starts the thread suspended, names it for debuggers, waits until it runs, and ends
// it cooperatively (stop event, time limit), dispatching window messages while it waits so that a
// body that needs the caller's message loop cannot deadlock the caller.
//
// Ownership: the base's state (lock, events, handle, name) lives in a block that the running thread
// holds a reference to, so ending or destroying the object on another thread never frees what the
// thread procedure still uses. The object itself is not kept alive: a derived class ends its thread
// in its own destructor, before its members go. Should it not, the base destructor warns and ends
// the thread (terminating it after 1 s) before any of the object's memory is released.
//
// ThreadStart is called by the owner; ThreadEnd and StopEvent from any thread.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace ovut {
struct ThreadShared;
}

class clsThreadBase {
 public:
  // `name` (narrow) names the thread "<library module>::<name>" for debuggers.
  explicit clsThreadBase(const char* name);
  clsThreadBase(const clsThreadBase&) = delete;
  clsThreadBase& operator=(const clsThreadBase&) = delete;

  // Starts the thread (or resumes a suspended one) and waits up to 10 s until it runs. False with
  // StartErrorText() set and an "ERR: " line when it could not be started.
  bool ThreadStart(int priority = THREAD_PRIORITY_NORMAL) noexcept;

  // Signals the stop event and waits up to `limitMs` for the thread (INFINITE waits for ever).
  // `giveUpIfSuspended`: a suspended thread is not resumed and waited for. After the limit the thread
  // is terminated when `terminate` is set, otherwise left running with its handle kept (a later
  // ThreadEnd tries again). True when no thread is left running.
  bool ThreadEnd(bool giveUpIfSuspended = false, DWORD limitMs = 10000, bool terminate = false) noexcept;

  // For an unload under the loader lock, where a thread's own exit cannot complete: signals the stop
  // event and waits up to `limitMs` until the body has returned (or the thread is gone); a body that
  // does not return in time is terminated. Never dispatches messages.
  void ThreadEndAtUnload(DWORD limitMs) noexcept;

  // Manual-reset event, signalled when the thread is asked to end; the body waits on it.
  HANDLE StopEvent() const noexcept;
  // True while a started thread has not ended.
  bool IsThreadRunning() const noexcept;
  // The body's result after the thread ended and was collected; 0xFFFFFFFF before.
  DWORD ThreadExitCode() const noexcept;
  DWORD ThreadId() const noexcept;
  // "<library module>::<name>".
  const char* ThreadName() const noexcept;
  // The text of the last start failure (empty when none).
  String StartErrorText() const;

 protected:
  // Virtual operations in this order: body, stack size, flag, message pump, destructor.
  virtual DWORD ThreadBody() { return 0; }
  virtual DWORD ThreadStackSize() const { return 16384; }
  virtual bool ThreadFlag() const { return false; }  // not used by the base
  // True: ThreadEnd dispatches window messages while it waits.
  virtual bool ThreadPumpMessages() const { return true; }

 public:
  virtual ~clsThreadBase();

 private:
  static unsigned __stdcall ThreadProcedure(void* shared);
  ovut::ThreadShared* shared_;
};

namespace ovut {
// Gives the calling thread a name for debuggers (thread description, and the debugger's
// naming exception when a debugger is attached).
void NameCurrentThreadForDebuggers(const char* name) noexcept;
}  // namespace ovut

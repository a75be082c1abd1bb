// clsTempFileRemover: the process-wide deleter of handed-over temporary files. Its thread deletes
// queued files every cycle (10 s with an empty queue, down to 1 s with 90 or more files), keeps
// files that are still in use for a later cycle, refreshes the activity signal file that tells other
// processes that this one is alive, and once a day sweeps leftovers older than one hour when no
// process has been active for 3 hours. Only files of this version's prefix ("_19_") are swept.
#pragma once
#include <windows.h>

#include <deque>

#include "foundation/critical_section.h"
#include "foundation/string.h"
#include "foundation/thread_base.h"

namespace ovut::tempfiles {

// Time constants of the remover; tests shorten them.
struct Timings {
  DWORD firstWaitMs = 10000;     // before the first cycle
  DWORD cycleUnitMs = 100;       // the wait is (100 - min(queued, 90)) units
  DWORD budgetPerFileMs = 10;    // deletion time per queued file and cycle
  DWORD stopWaitMs = 10000;      // how long shutdown waits for the thread
  ULONGLONG sweepEveryMs = 86400000;
};

class clsTempFileRemover : public clsThreadBase {
 public:
  // `folder`: the library's temporary folder without the final backslash.
  clsTempFileRemover(const String& folder, const Timings& timings);
  ~clsTempFileRemover() override;

  // Starts the thread (when the folder exists) and sets up the signal file.
  void Begin() noexcept;
  // Queues a file and starts the thread if it is not running.
  void Add(const String& path);
  // Stops the thread; `atUnload`: the loader lock is held. Then tries every queued file once more.
  void Finish(bool atUnload) noexcept;

  // Counted by the manager under its global lock.
  LONG refs = 1;

  // Files not yet deleted, including those of a deletion pass in progress.
  size_t QueuedCount();
  unsigned CyclesForTesting() const { return cycles_; }
  DWORD LastWaitMsForTesting() const { return lastWaitMs_; }
  const String& SignalPath() const { return signalPath_; }

 protected:
  DWORD ThreadBody() override;
  bool ThreadPumpMessages() const override { return false; }  // never needs the caller's messages

 private:
  void StartThreadLocked() noexcept;
  void Cycle();
  void RefreshSignal();
  void SweepOldFiles();
  void DeleteQueued();
  bool WaitStop(DWORD ms) const { return WaitForSingleObject(StopEvent(), ms) != WAIT_TIMEOUT; }

  const String folder_;
  const Timings timings_;
  CriticalSection queueLock_;
  std::deque<String> queue_;
  size_t inFlight_ = 0;  // taken out by the running deletion pass
  String signalPath_;
  ULONGLONG nextSweep_ = 0;
  bool threadStarted_ = false;
  volatile unsigned cycles_ = 0;
  volatile DWORD lastWaitMs_ = 0;  // the wait after the latest cycle
};

// Files of this version in `folder` (without final backslash) whose last write is older than one
// hour, except the signal file; deletes them and reports. Returns the number deleted.
int SweepFolder(const String& folder);

}  // namespace ovut::tempfiles

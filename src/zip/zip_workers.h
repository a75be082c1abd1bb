// Compression threads of one AppendList call. The walking thread opens each file and posts it;
// a worker deflates it; the walking thread waits for the jobs in posting order and finishes
// them there, so entries, results and messages come out as in a walk without workers.
#pragma once
#include <windows.h>

#include <deque>
#include <memory>
#include <vector>

#include "foundation/critical_section.h"
#include "foundation/scoped_handle.h"
#include "zip/zip_file.h"

class clsZIPWorkers {
 public:
  explicit clsZIPWorkers(clsZIPFile& zip) noexcept;
  // Ends the threads; a job a worker has begun is completed first, queued ones are left alone.
  ~clsZIPWorkers();
  clsZIPWorkers(const clsZIPWorkers&) = delete;
  clsZIPWorkers& operator=(const clsZIPWorkers&) = delete;

  // Starts up to `count` threads; false when not one could be started (then work sequentially).
  bool Start(unsigned count) noexcept;
  unsigned Count() const noexcept { return static_cast<unsigned>(threads_.size()); }
  // Queues a job whose source is open. The job must live until Wait returned for it.
  void Post(scZIPFileJob& job);
  // Returns once the job's compression is complete.
  void Wait(scZIPFileJob& job) noexcept;

 private:
  class clsWorker;
  // A worker's next job; null when it is to end.
  scZIPFileJob* Take(HANDLE stop) noexcept;
  void Done(scZIPFileJob& job) noexcept;

  clsZIPFile& zip_;
  ovut::CriticalSection lock_;
  std::deque<scZIPFileJob*> queue_;
  ovut::UniqueHandle available_;  // semaphore: queued jobs
  ovut::UniqueHandle finished_;   // auto-reset: some job completed
  std::vector<std::unique_ptr<clsWorker>> threads_;
};

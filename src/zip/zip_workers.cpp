#include "zip/zip_workers.h"

#include <new>

#include "foundation/thread_base.h"

class clsZIPWorkers::clsWorker : public clsThreadBase {
 public:
  explicit clsWorker(clsZIPWorkers& owner) : clsThreadBase("ZIPCompress"), owner_(owner) {}
  ~clsWorker() override { ThreadEnd(false, INFINITE); }

 protected:
  DWORD ThreadBody() override {
    while (scZIPFileJob* job = owner_.Take(StopEvent())) {
      owner_.zip_.Compress(*job);
      owner_.Done(*job);
    }
    return 0;
  }
  // zlib's state lives on the heap, but file calls below Compress want more than the default.
  DWORD ThreadStackSize() const override { return 256u << 10; }
  bool ThreadPumpMessages() const override { return false; }

 private:
  clsZIPWorkers& owner_;
};

clsZIPWorkers::clsZIPWorkers(clsZIPFile& zip) noexcept : zip_(zip) {}

clsZIPWorkers::~clsZIPWorkers() {
  // Each worker's destructor signals its stop event and waits for it.
  threads_.clear();
}

bool clsZIPWorkers::Start(unsigned count) noexcept {
  available_.reset(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr));
  finished_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!available_ || !finished_) return false;
  try {
    threads_.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
      std::unique_ptr<clsWorker> worker(new clsWorker(*this));
      if (!worker->ThreadStart()) break;
      threads_.push_back(std::move(worker));
    }
  } catch (const std::bad_alloc&) {
  }
  return !threads_.empty();
}

void clsZIPWorkers::Post(scZIPFileJob& job) {
  {
    ovut::AutoLock lock(lock_);
    queue_.push_back(&job);
  }
  ReleaseSemaphore(available_.get(), 1, nullptr);
}

scZIPFileJob* clsZIPWorkers::Take(HANDLE stop) noexcept {
  HANDLE waits[2] = {stop, available_.get()};
  if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return nullptr;
  ovut::AutoLock lock(lock_);
  if (queue_.empty()) return nullptr;
  scZIPFileJob* job = queue_.front();
  queue_.pop_front();
  return job;
}

void clsZIPWorkers::Done(scZIPFileJob& job) noexcept {
  job.done.store(true);
  SetEvent(finished_.get());
}

void clsZIPWorkers::Wait(scZIPFileJob& job) noexcept {
  while (!job.done.load()) WaitForSingleObject(finished_.get(), INFINITE);
}

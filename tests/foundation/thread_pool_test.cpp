// Run-once work items on the system thread pool, destroyed on and off their own thread.
#include <gtest/gtest.h>

#include <atomic>

#include "foundation/scoped_handle.h"
#include "foundation/thread_pool.h"

namespace {

class Work : public clsThreadPoolWorkerBaseRunOnce {
 public:
  Work(clsThreadPool* pool, DWORD sleepMs, bool deleteSelf, HANDLE done, std::atomic<int>* finished = nullptr)
      : clsThreadPoolWorkerBaseRunOnce(pool), sleep_(sleepMs), deleteSelf_(deleteSelf), done_(done),
        finished_(finished) {}
  ~Work() override { EndWork(); }

 protected:
  void WorkBody() override {
    Sleep(sleep_);
    if (finished_) ++*finished_;
    HANDLE done = done_;
    if (deleteSelf_) delete this;
    if (done) SetEvent(done);
  }

 private:
  DWORD sleep_;
  bool deleteSelf_;
  HANDLE done_;
  std::atomic<int>* finished_;
};

TEST(ThreadPool, WorkRunsOnAPoolThreadAndDestructionWaitsForIt) {
  clsThreadPool own;
  for (clsThreadPool* pool : {&own, static_cast<clsThreadPool*>(nullptr)}) {
    if (pool) {
      ASSERT_TRUE(pool->Available());
    }
    ovut::UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    {
      Work w(pool, 0, false, done.get());
      ASSERT_TRUE(w.Submit());
      ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done.get(), 5000));
      EXPECT_NE(0u, w.CallbackThreadId());
      EXPECT_NE(GetCurrentThreadId(), w.CallbackThreadId());
    }
    // Destroyed while its body runs: the destructor returns only after the body.
    std::atomic<int> finished{0};
    auto* slow = new Work(pool, 150, false, nullptr, &finished);
    ASSERT_TRUE(slow->Submit());
    Sleep(30);
    EXPECT_EQ(0, finished.load());
    delete slow;
    EXPECT_EQ(1, finished.load());
  }
}

TEST(ThreadPool, AWorkItemMayDeleteItselfInItsBody) {
  clsThreadPool pool;
  ovut::UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  auto* w = new Work(&pool, 0, true, done.get());
  ASSERT_TRUE(w->Submit());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done.get(), 5000));
}

}  // namespace

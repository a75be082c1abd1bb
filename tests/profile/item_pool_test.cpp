// The item pool: blocks of 50, freed once all their records are back, safe across threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "profile/item_pool.h"
#include "profile/job_table.h"
#include "profile/string_ops.h"
#include "profile/tree_path.h"

using ovut::profile::ItemPool;

TEST(ItemPool, BlocksOf50AreFreedWhenEmptyUnlessCurrent) {
  const auto base = ItemPool::Stats();
  std::vector<clsItem*> items;
  for (int i = 0; i < 50; ++i) items.push_back(ItemPool::Take());
  std::vector<clsItem*> more;
  for (int i = 0; i < 50; ++i) more.push_back(ItemPool::Take());  // one or two new blocks
  clsItem* extra = ItemPool::Take();                             // forces a block after `more`'s
  const auto full = ItemPool::Stats();
  EXPECT_EQ(full.liveRecords, base.liveRecords + 101);
  // Records are distinct.
  std::vector<clsItem*> all(items);
  all.insert(all.end(), more.begin(), more.end());
  all.push_back(extra);
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());

  for (clsItem* it : more) ItemPool::Give(it);
  for (clsItem* it : items) ItemPool::Give(it);
  // Only the current block (holding `extra`) may stay, and blocks the base state had.
  EXPECT_LE(ItemPool::Stats().blocks, base.blocks + 1);
  // A returned record is handed out again first.
  ItemPool::Give(extra);
  clsItem* again = ItemPool::Take();
  EXPECT_EQ(again, extra);
  ItemPool::Give(again);
  EXPECT_EQ(ItemPool::Stats().liveRecords, base.liveRecords);
}

TEST(ItemPool, ThreadsBuildingAndDestroyingJobsLoseNoRecords) {
  const auto base = ItemPool::Stats();
  const size_t jobsBefore = ovut::profile::LiveJobCount();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int round = 0; round < 20; ++round) {
        ProfHandle job = ovut::profile::OpenJob(nullptr, false);
        wchar_t name[32];
        for (int i = 0; i < 300; ++i) {
          swprintf(name, 32, L"l%d/item%d", i % 7, i);
          ovut::profile::WriteString(job, 0, name, L"a value longer than thirty-one units", i % 2 == 0);
        }
        {
          ovut::profile::JobRef j = ovut::profile::FindJob(job);
          ovut::profile::DeleteByPath(j->ListOf(0), ovut::profile::PathText::Of(L"l3"), true);
        }
        ovut::profile::CloseJob(job);
      }
      (void)t;
    });
  }
  for (auto& th : threads) th.join();
  const auto after = ItemPool::Stats();
  EXPECT_EQ(after.liveRecords, base.liveRecords);
  EXPECT_LE(after.blocks, base.blocks + 1);
  EXPECT_EQ(ovut::profile::LiveJobCount(), jobsBefore);
}

// The document cache and the loader's time stamps: what is read again and what is not.
#include <gtest/gtest.h>

#include "docinfo/docu.h"
#include "docinfo/docu_list.h"
#include "loader_test_util.h"

namespace {

using docinfo::DocuState;
using loadertest::Counts;
using loadertest::Local;
using loadertest::SameDay;
using loadertest::WriteDocument;

TEST(LoaderCache, WithoutCacheEveryRequestReadsTheFile) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"plain.dat");
  ASSERT_TRUE(WriteDocument(file, "no format of its own", Local(2021, 3, 4)));
  docinfo::clsDocuList list(0);
  Counts counts;
  DocuState state;
  ASSERT_TRUE(list.Get(file.c_str(), 5, &state));
  ASSERT_TRUE(list.Get(file.c_str(), 5, &state));
  EXPECT_EQ(2, counts.Reads());
  EXPECT_TRUE(SameDay(Local(2021, 3, 4), state.fields.modified));
  EXPECT_EQ(file, std::wstring(state.sourcePath.c_str()));
  EXPECT_EQ(0u, list.CacheCountForTesting());
}

TEST(LoaderCache, CachedAnswerNeedsNoOpenAndAChangeIsReadOnceTheLifetimePassed) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"Report.dat");
  ASSERT_TRUE(WriteDocument(file, "first", Local(2020, 1, 2)));
  docinfo::clsDocuList list(1);
  Counts counts;
  DocuState state;
  ASSERT_TRUE(list.Get(file.c_str(), 5, &state));
  // Another spelling of the same path hits the same entry.
  std::wstring upper = file;
  for (auto& c : upper) c = towupper(c);
  ASSERT_TRUE(WriteDocument(file, "second", Local(2022, 5, 6)));
  ASSERT_TRUE(list.Get(upper.c_str(), 5, &state));
  EXPECT_EQ(1, counts.Opens());
  EXPECT_TRUE(SameDay(Local(2020, 1, 2), state.fields.modified)) << "within the lifetime the cached values stand";
  EXPECT_EQ(1u, list.CacheCountForTesting());

  Sleep(1100);
  ASSERT_TRUE(list.Get(file.c_str(), 5, &state));
  EXPECT_EQ(2, counts.Reads());
  EXPECT_TRUE(SameDay(Local(2022, 5, 6), state.fields.modified));
}

TEST(LoaderCache, ReloadThreadDropsExpiredEntries) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"gone.dat");
  ASSERT_TRUE(WriteDocument(file, "x", Local(2020, 1, 2)));
  docinfo::clsDocuList list(1);
  ASSERT_TRUE(list.Get(file.c_str(), 5, nullptr));
  ASSERT_EQ(1u, list.CacheCountForTesting());
  for (int i = 0; i < 40 && list.CacheCountForTesting() != 0; ++i) Sleep(100);
  EXPECT_EQ(0u, list.CacheCountForTesting());
}

TEST(LoaderCache, UnchangedStampIsNotReadAgain) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"same.dat");
  ASSERT_TRUE(WriteDocument(file, "content", Local(2019, 7, 8)));
  // No cache lifetime and no list: every refresh after the first millisecond goes to the file.
  docinfo::DocuRef docu(new docinfo::clsDocu(file.c_str(), 0, 5, nullptr));
  Counts counts;
  ASSERT_TRUE(docu->Refresh().loaded);
  Sleep(40);  // past the tick count's resolution
  ASSERT_TRUE(docu->Refresh().loaded);
  EXPECT_EQ(2, counts.Opens());
  EXPECT_EQ(1, counts.Reads());

  ASSERT_TRUE(WriteDocument(file, "content", Local(2019, 7, 9)));
  Sleep(40);  // past the tick count's resolution
  const DocuState state = docu->Refresh();
  EXPECT_EQ(2, counts.Reads());
  EXPECT_TRUE(SameDay(Local(2019, 7, 9), state.fields.modified));
}

TEST(LoaderCache, PartNameAfterBarIsKeptApart) {
  testsupport::TempDir dir;
  const std::wstring file = dir.File(L"parts.dat");
  ASSERT_TRUE(WriteDocument(file, "x", Local(2019, 7, 8)));
  docinfo::DocuRef docu(new docinfo::clsDocu((file + L"|chapter 2").c_str(), 0, 5, nullptr));
  EXPECT_EQ(file, std::wstring(docu->Path().c_str()));
  EXPECT_STREQ(L"chapter 2", docu->PartName().c_str());
  EXPECT_TRUE(docu->Refresh().loaded);
}

}  // namespace

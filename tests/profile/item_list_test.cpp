// Item lists against a plain model: order, first-match lookups and removal must agree whether
// the list is walked (small) or indexed (large).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "profile/item_list.h"
#include "profile/item_pool.h"

namespace {

struct ModelItem {
  std::wstring name;
  bool isList;
  clsItem* item;
};

clsItem* ModelFind(const std::vector<ModelItem>& m, const std::wstring& name, bool isList) {
  for (const auto& e : m)
    if (e.isList == isList && e.name == name) return e.item;
  return nullptr;
}

}  // namespace

TEST(ItemList, LookupsAndRemovalsAgreeWithAPlainModel) {
  const auto base = ovut::profile::ItemPool::Stats();
  // Names differing in case share index buckets and must still be told apart.
  const wchar_t* names[] = {L"a", L"A", L"b", L"B", L"\u00E9", L"\u00C9", L"", L"long name beyond the inline buffer"};
  std::mt19937 rng(12345);
  for (int sizeLimit : {8, 400}) {
    clsItemList list(L"root", 4);
    std::vector<ModelItem> model;
    for (int step = 0; step < 4000; ++step) {
      const std::wstring name = names[rng() % 8];
      bool isList = rng() % 3 == 0;
      int op = static_cast<int>(rng() % 10);
      if (op < 6 && static_cast<int>(model.size()) < sizeLimit) {
        clsItem* it = isList ? list.AppendList(clsItemList::Create(name.c_str(), static_cast<uint32_t>(name.size())))
                             : list.AppendValue(name.c_str(), static_cast<uint32_t>(name.size()), L"v", 1);
        ASSERT_NE(it, nullptr);
        model.push_back({name, isList, it});
      } else if (op < 8 && !model.empty()) {
        size_t at = rng() % model.size();
        list.Remove(model[at].item);
        model.erase(model.begin() + static_cast<long>(at));
      } else {
        // Every match, in order, as FindNextSame yields them.
        std::vector<clsItem*> expected, got;
        for (const auto& e : model)
          if (e.isList == isList && e.name == name) expected.push_back(e.item);
        for (clsItem* it = list.Find(name.c_str(), static_cast<uint32_t>(name.size()), isList); it;
             it = list.FindNextSame(it))
          got.push_back(it);
        ASSERT_EQ(got, expected) << "step " << step;
        ASSERT_EQ(list.Find(name.c_str(), static_cast<uint32_t>(name.size()), isList), ModelFind(model, name, isList));
      }
    }
    ASSERT_EQ(list.Count(), model.size());
    size_t i = 0;
    for (clsItem* it = list.First(); it; it = it->Next(), ++i) ASSERT_EQ(it, model[i].item);
  }
  EXPECT_EQ(ovut::profile::ItemPool::Stats().liveRecords, base.liveRecords);
}

TEST(ItemList, ClearingADeepTreeNeedsNoRecursion) {
  const auto base = ovut::profile::ItemPool::Stats();
  {
    clsItemList root;
    clsItemList* l = &root;
    for (int i = 0; i < 200000; ++i) {
      l->AppendValue(L"v", 1, L"x", 1);
      l = l->AppendNewList(L"d", 1);
      ASSERT_NE(l, nullptr);
    }
    EXPECT_TRUE(l->IsWithin(&root));
    EXPECT_FALSE(root.IsWithin(l));
  }
  EXPECT_EQ(ovut::profile::ItemPool::Stats().liveRecords, base.liveRecords);
}

TEST(ItemList, ListNamesDropTheirBrackets) {
  struct {
    const wchar_t* segment;
    const wchar_t* name;
  } cases[] = {{L"[Colors]", L"Colors"}, {L"[", L""}, {L"[]", L""}, {L"[ab", L"a"}, {L"a]", L"a]"}, {L"", L""}};
  for (const auto& c : cases) {
    const wchar_t* s = c.segment;
    uint32_t n = static_cast<uint32_t>(wcslen(s));
    clsItemList::ListNameOfSegment(s, n);
    EXPECT_EQ(std::wstring(s, n), c.name);
  }
}

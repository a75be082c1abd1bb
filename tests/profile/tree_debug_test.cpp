// ProfDebugList's lines: one per item, depth first, one space of indent per level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/debug_output.h"
#include "profile/tree_walk.h"

TEST(TreeDebug, ListsItemsDepthFirstWithOneSpacePerLevel) {
  clsItemList root(L"/", 1);
  root.AppendValue(L"a", 1, L"1", 1);
  clsItemList* l = root.AppendNewList(L"l", 1);
  l->AppendValue(L"x", 1, L"2", 1);
  l->AppendNewList(L"deeper", 6)->AppendValue(L"y", 1, L"", 0);
  root.AppendValue(L"b", 1, L"3", 1);

  std::vector<std::wstring> lines;
  ovut::debug::SetObserver([](void* c, const wchar_t* text) { static_cast<std::vector<std::wstring>*>(c)->push_back(text); },
                           &lines);
  ovut::profile::DebugList(&root);
  ovut::debug::SetObserver(nullptr, nullptr);
  const std::vector<std::wstring> expected = {L"a=1\n", L"[l]\n", L" x=2\n", L" [deeper]\n", L"  y=\n", L"b=3\n"};
  EXPECT_EQ(lines, expected);
}

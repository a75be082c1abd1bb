// Lists and text items through the exports: paths, duplicates, deletes, copies, enumeration.
#include <string>

#include "prof_fixture.h"

using proftest::Get;
using proftest::Items;
using proftest::Job;

TEST(ProfTree, AppendSetAndGetOnDuplicateNames) {
  Job job;
  ProfAppendStringW(job, 0, L"k", L"one");
  ProfAppendStringW(job, 0, L"k", L"two");
  ProfSetStringW(job, 0, L"k", L"changed");
  EXPECT_EQ(Items(job, 0), L"k=changed;k=two");
  EXPECT_EQ(Get(job, 0, L"k"), L"changed");
  ProfSetStringW(job, 0, L"new", L"v");  // set without a match appends
  EXPECT_EQ(Items(job, 0), L"k=changed;k=two;new=v");
}

TEST(ProfTree, WritesCreateTheListPathAndLookupsTakeTheFirstList) {
  Job job;
  ProfSetStringW(job, 0, L"a/b/c", L"1");
  HPROFLIST a = ProfGetListW(job, 0, L"a");
  ASSERT_NE(a, 0);
  EXPECT_EQ(Items(job, 0), L"[a]");
  EXPECT_EQ(Items(job, a), L"[b]");
  EXPECT_EQ(Get(job, ProfGetListW(job, 0, L"a/b"), L"c"), L"1");
  // A second list "a" holding another b/c is never reached by lookups.
  HPROFLIST a2 = ProfAppendListW(job, 0, L"a");
  ProfSetStringW(job, a2, L"b/c", L"2");
  ProfSetStringW(job, a2, L"only", L"x");
  EXPECT_EQ(Get(job, 0, L"a/b/c"), L"1");
  EXPECT_EQ(Get(job, 0, L"a/only"), L"<missing>");
  EXPECT_EQ(ProfGetStringLengthW(job, 0, L"a/only"), -6);
}

TEST(ProfTree, ValueAndListOfOneNameAndNamesDifferingInCase) {
  Job job;
  ProfSetStringW(job, 0, L"x", L"value");
  HPROFLIST list = ProfCreateListW(job, 0, L"x");
  ProfSetStringW(job, list, L"inner", L"1");
  ProfSetStringW(job, 0, L"X", L"upper");
  EXPECT_EQ(Get(job, 0, L"x"), L"value");
  EXPECT_EQ(Get(job, 0, L"X"), L"upper");
  EXPECT_EQ(ProfGetListW(job, 0, L"x"), list);
  EXPECT_EQ(ProfGetListW(job, 0, L"X"), 0);
  ProfDeleteItemW(job, 0, L"x");  // value items only
  EXPECT_EQ(Items(job, 0), L"[x];X=upper");
  ProfSetStringW(job, 0, L"x", L"again");
  ProfDeleteListW(job, 0, L"x");  // list items only
  EXPECT_EQ(Items(job, 0), L"X=upper;x=again");
}

TEST(ProfTree, CreateListEmptiesAndAppendListAddsAndBracketNamesDropTheirBrackets) {
  Job job;
  HPROFLIST l = ProfCreateListW(job, 0, L"L");
  ProfSetStringW(job, l, L"v", L"1");
  EXPECT_EQ(ProfCreateListW(job, 0, L"L"), l);
  EXPECT_EQ(Items(job, l), L"");
  HPROFLIST l2 = ProfAppendListW(job, 0, L"L");
  EXPECT_NE(l2, l);

  HPROFLIST c1 = ProfCreateListW(job, 0, L"[Colors]");
  EXPECT_EQ(ProfGetListW(job, 0, L"[Colors]"), 0);
  EXPECT_EQ(ProfGetListW(job, 0, L"Colors"), c1);
  HPROFLIST c2 = ProfCreateListW(job, 0, L"[Colors]");
  EXPECT_NE(c2, c1);
  HPROFLIST e = ProfCreateListW(job, 0, L"[");
  EXPECT_EQ(ProfGetListW(job, 0, L""), e);
  EXPECT_EQ(Items(job, 0), L"[L];[L];[Colors];[Colors];[]");
}

TEST(ProfTree, LeadingSlashStartsAtTheRootForLookupsButNotForDeletes) {
  Job job;
  HPROFLIST sub = ProfCreateListW(job, 0, L"sub");
  ProfSetStringW(job, sub, L"/top", L"root value");
  EXPECT_EQ(Get(job, 0, L"top"), L"root value");
  EXPECT_EQ(Get(job, sub, L"/top"), L"root value");
  EXPECT_EQ(ProfGetListW(job, sub, L"/sub"), sub);
  // "/" alone names a list with the empty name under the root; "//x" starts with an empty segment.
  EXPECT_EQ(ProfGetListW(job, 0, L"/"), 0);
  ProfSetStringW(job, 0, L"//x", L"in empty list");
  HPROFLIST empty = ProfGetListW(job, 0, L"/");
  ASSERT_NE(empty, 0);
  EXPECT_EQ(Get(job, empty, L"x"), L"in empty list");
  ProfDeleteItemW(job, 0, L"/x");  // empty first segment: the list "" under the start list
  EXPECT_EQ(Get(job, empty, L"x"), L"<missing>");
  EXPECT_EQ(Get(job, 0, L"top"), L"root value");
}

TEST(ProfTree, ListSegmentsAreCutTo255UnitsAndFinalSegmentsAreNot) {
  Job job;
  std::wstring longName(300, L'n');
  ProfSetStringW(job, 0, (longName + L"/" + longName).c_str(), L"v");
  HPROFLIST cut = ProfGetListW(job, 0, std::wstring(255, L'n').c_str());
  ASSERT_NE(cut, 0);
  EXPECT_EQ(Get(job, cut, longName.c_str()), L"v");
  EXPECT_EQ(Get(job, cut, std::wstring(255, L'n').c_str()), L"<missing>");
  EXPECT_EQ(Get(job, 0, (std::wstring(280, L'n') + L"/" + longName).c_str()), L"v");
  // As a final segment a list name is used whole.
  EXPECT_EQ(ProfGetListW(job, 0, longName.c_str()), 0);
}

TEST(ProfTree, GetListWithNullNameReturnsTheStartList) {
  Job job;
  HPROFLIST root = ProfGetListW(job, 0, nullptr);
  ASSERT_NE(root, 0);
  ProfSetStringW(job, root, L"v", L"1");
  EXPECT_EQ(Get(job, 0, L"v"), L"1");
  HPROFLIST sub = ProfCreateListW(job, 0, L"s");
  EXPECT_EQ(ProfGetListW(job, sub, nullptr), sub);
  EXPECT_EQ(ProfGetListA(job, sub, nullptr), sub);
}

TEST(ProfTree, DeletesTakeEveryMatchAtEveryLevel) {
  Job job;
  HPROFLIST a1 = ProfAppendListW(job, 0, L"a");
  HPROFLIST a2 = ProfAppendListW(job, 0, L"a");
  for (HPROFLIST a : {a1, a2}) {
    ProfAppendStringW(job, a, L"b", L"1");
    ProfAppendStringW(job, a, L"b", L"2");
    ProfAppendStringW(job, a, L"keep", L"k");
    ProfSetStringW(job, a, L"b/inner", L"list b");
  }
  ProfDeleteItemW(job, 0, L"a/b");
  EXPECT_EQ(Items(job, a1), L"keep=k;[b]");
  EXPECT_EQ(Items(job, a2), L"keep=k;[b]");
  ProfDeleteListW(job, 0, L"a/b");
  EXPECT_EQ(Items(job, a1), L"keep=k");
  EXPECT_EQ(Items(job, a2), L"keep=k");
  ProfDeleteListW(job, 0, L"a/");  // empty final segment: empties every list a
  EXPECT_EQ(Items(job, a1), L"");
  EXPECT_EQ(Items(job, a2), L"");
  ProfDeleteListW(job, 0, L"a");
  EXPECT_EQ(Items(job, 0), L"");
}

TEST(ProfTree, DeleteListWithEmptyOrNullName) {
  Job job;
  HPROFLIST a = ProfCreateListW(job, 0, L"a");
  HPROFLIST b = ProfCreateListW(job, a, L"b");
  ProfSetStringW(job, b, L"v", L"1");
  ProfSetStringW(job, a, L"w", L"2");
  ProfSetStringW(job, 0, L"top", L"3");

  ProfDeleteListW(job, 0, nullptr);  // the root is carried by no item: nothing happens
  ProfDeleteListA(job, 0, nullptr);
  EXPECT_EQ(Items(job, 0), L"[a];top=3");
  ProfDeleteListW(job, b, nullptr);  // by handle, anywhere in the tree
  EXPECT_EQ(Items(job, a), L"w=2");
  Job other;
  HPROFLIST foreign = ProfCreateListW(other, 0, L"f");
  ProfDeleteListW(job, foreign, nullptr);  // a list of another job is not in this tree
  EXPECT_EQ(ProfGetListW(other, 0, L"f"), foreign);

  ProfDeleteListW(job, a, L"");
  EXPECT_EQ(Items(job, a), L"");
  ProfDeleteListA(job, 0, "");
  EXPECT_EQ(Items(job, 0), L"");
}

TEST(ProfTree, EmptyListRemovesEverythingBelow) {
  Job job;
  ProfSetStringW(job, 0, L"a/b/c", L"1");
  ProfSetStringW(job, 0, L"d", L"2");
  ProfEmptyList(job, ProfGetListW(job, 0, L"a"));
  EXPECT_EQ(Items(job, ProfGetListW(job, 0, L"a")), L"");
  ProfEmptyList(job, 0);
  EXPECT_EQ(Items(job, 0), L"");
}

TEST(ProfTree, CopyListIntoAnotherJobIsDeepAndKeepsExistingItems) {
  Job src, dest;
  ProfSetStringW(src, 0, L"a/b/c", L"1");
  ProfAppendStringW(src, 0, L"a/v", L"2");
  ProfSetStringW(src, 0, L"top", L"3");
  ProfSetStringW(dest, 0, L"old", L"0");
  EXPECT_EQ(ProfCopyList(dest, 0, src, 0), 0);
  EXPECT_EQ(Items(dest, 0), L"old=0;[a];top=3");
  EXPECT_EQ(Get(dest, 0, L"a/b/c"), L"1");
  EXPECT_EQ(Get(dest, 0, L"a/v"), L"2");
  // The copy is independent of its source.
  ProfSetStringW(src, 0, L"a/b/c", L"changed");
  EXPECT_EQ(Get(dest, 0, L"a/b/c"), L"1");
  HPROFLIST into = ProfCreateListW(dest, 0, L"into");
  EXPECT_EQ(ProfCopyList(dest, into, src, ProfGetListW(src, 0, L"a")), 0);
  EXPECT_EQ(Items(dest, into), L"[b];v=2");
  EXPECT_EQ(ProfCopyList(dest, 0, 0, 0), -5);
  EXPECT_EQ(ProfCopyList(0, 0, src, 0), -5);
}

TEST(ProfTree, CopyListIntoItselfOrBelowItselfIsRefused) {
  Job job;
  ProfSetStringW(job, 0, L"a/b/c", L"1");
  HPROFLIST a = ProfGetListW(job, 0, L"a");
  HPROFLIST b = ProfGetListW(job, a, L"b");
  EXPECT_EQ(ProfCopyList(job, 0, job, 0), -8);
  EXPECT_EQ(ProfCopyList(job, a, job, a), -8);
  EXPECT_EQ(ProfCopyList(job, b, job, 0), -8);
  EXPECT_EQ(ProfCopyList(job, b, job, a), -8);
  EXPECT_EQ(Items(job, 0), L"[a]");
  EXPECT_EQ(Items(job, a), L"[b]");
  EXPECT_EQ(Items(job, b), L"c=1");
  // Copying a list into its parent is fine.
  EXPECT_EQ(ProfCopyList(job, a, job, b), 0);
  EXPECT_EQ(Items(job, a), L"[b];c=1");
}

namespace {
int WINAPI StopAtFirst(HPROFJOB, LPCWSTR, LPCWSTR, HPROFLIST, INT_PTR user) {
  ++*reinterpret_cast<int*>(user);
  return 0;
}
int WINAPI CollectA(HPROFJOB job, LPCSTR name, LPCSTR value, HPROFLIST list, INT_PTR user) {
  auto* s = reinterpret_cast<std::string*>(user);
  *s += std::string(name) + "=" + value + (list ? "+" : "") + ";";
  return job != 0;
}
}  // namespace

TEST(ProfTree, EnumVisitsOneLevelInOrderAndStopsOnZero) {
  Job job;
  ProfSetStringW(job, 0, L"a", L"1");
  ProfSetStringW(job, 0, L"l/x", L"2");
  ProfSetStringW(job, 0, L"b", L"3");
  int calls = 0;
  EXPECT_EQ(ProfEnumW(job, 0, StopAtFirst, reinterpret_cast<INT_PTR>(&calls)), 0);
  EXPECT_EQ(calls, 1);
  std::string seen;
  EXPECT_EQ(ProfEnumA(job, 0, CollectA, reinterpret_cast<INT_PTR>(&seen)), 1);
  EXPECT_EQ(seen, "a=1;l=+;b=3;");
  EXPECT_EQ(ProfEnumW(0, 0, StopAtFirst, reinterpret_cast<INT_PTR>(&calls)), 0);
  EXPECT_EQ(ProfEnumW(job, 0, nullptr, 0), 0);
  EXPECT_EQ(calls, 1);
}

TEST(ProfTree, DeepPathsAndHugeTextsWork) {
  Job job;
  std::wstring deep;
  for (int i = 0; i < 1000; ++i) deep += L"s/";  // as deep as a profile may nest
  ProfSetStringW(job, 0, (deep + L"leaf").c_str(), L"bottom");
  EXPECT_EQ(Get(job, 0, (deep + L"leaf").c_str()), L"bottom");
  EXPECT_NE(ProfGetListW(job, 0, deep.substr(0, deep.size() - 1).c_str()), 0);
  Job copy;
  EXPECT_EQ(ProfCopyList(copy, 0, job, 0), 0);
  EXPECT_EQ(Get(copy, 0, (deep + L"leaf").c_str()), L"bottom");
  EXPECT_EQ(ProfDebugList(job, 0), 0);
  ProfDeleteItemW(job, 0, (deep + L"leaf").c_str());
  EXPECT_EQ(Get(job, 0, (deep + L"leaf").c_str()), L"<missing>");

  std::wstring big(1 << 20, L'v');
  std::wstring bigName(1 << 20, L'n');
  ProfAppendStringW(job, 0, bigName.c_str(), big.c_str());
  EXPECT_EQ(ProfGetStringLengthW(job, 0, bigName.c_str()), 1 << 20);
  EXPECT_EQ(Get(job, 0, bigName.c_str()), big);
  ProfSetStringW(job, 0, bigName.c_str(), L"short");
  EXPECT_EQ(Get(job, 0, bigName.c_str()), L"short");
  // Destroying the deep tree happens at close, without recursion.
}

TEST(ProfTree, ManyItemsStayInOrderAndFindable) {
  Job job;
  wchar_t name[32];
  for (int i = 0; i < 3000; ++i) {
    swprintf(name, 32, L"n%d", i % 1000);  // three items per name
    ProfAppendStringW(job, 0, name, std::to_wstring(i).c_str());
  }
  ProfSetStringW(job, 0, L"n7", L"first");
  EXPECT_EQ(Get(job, 0, L"n7"), L"first");
  EXPECT_EQ(Get(job, 0, L"N7"), L"<missing>");
  ProfDeleteItemW(job, 0, L"n5");
  EXPECT_EQ(Get(job, 0, L"n5"), L"<missing>");
  std::wstring all = Items(job, 0);
  EXPECT_EQ(all.substr(0, 30), L"n0=0;n1=1;n2=2;n3=3;n4=4;n6=6;");
  EXPECT_NE(all.find(L";n7=1007;"), std::wstring::npos);
  EXPECT_EQ(all.find(L"n5="), std::wstring::npos);
}

#include <gtest/gtest.h>
#include <windows.h>
#include <oaidl.h>

#include <cstring>
#include <string>

#include "exports/prof_fixture.h"
#include "ovut19.h"

using proftest::Get;
using proftest::Job;

namespace {

struct Var : VARIANT {
  Var() { VariantInit(this); }
  ~Var() { VariantClear(this); }
  Var(const Var&) = delete;
};

}  // namespace

TEST(ProfVariant, AppendSetAndGetThroughTheJob) {
  Job job;
  Var v;
  v.vt = VT_I4;
  v.lVal = 7;
  ProfAppendVariant(job, 0, L"Values/Count", &v);
  EXPECT_EQ(Get(job, 0, L"Values/Count"), L"var://AwAHAAAA");

  // Set changes the first item of the name; a later Get sees the new value with its type.
  v.vt = VT_R8;
  v.dblVal = 2.5;
  ProfSetVariant(job, 0, L"Values/Count", &v);
  ProfAppendVariant(job, 0, L"Values/Count", nullptr);  // nothing
  Var out;
  EXPECT_EQ(ProfGetVariant(job, 0, L"/Values/Count", &out, nullptr), 0);
  EXPECT_EQ(out.vt, VT_R8);
  EXPECT_EQ(out.dblVal, 2.5);
  EXPECT_EQ(proftest::Items(job, ProfGetListW(job, 0, L"Values")), L"Count=var://BQAAAAAAAAAEQA==");

  // Plain and empty texts.
  ProfSetStringW(job, 0, L"Plain", L"Hello");
  ProfSetStringW(job, 0, L"Empty", L"");
  EXPECT_EQ(ProfGetVariant(job, 0, L"Plain", &out, nullptr), 0);
  ASSERT_EQ(out.vt, VT_BSTR);
  EXPECT_STREQ(out.bstrVal, L"Hello");
  EXPECT_EQ(ProfGetVariant(job, 0, L"Empty", &out, nullptr), 0);
  EXPECT_EQ(out.vt, VT_EMPTY);
}

// Earlier builds kept 2 of the 8 bytes of a VT_FILETIME and could not hand one back at all.
TEST(ProfVariant, FiletimeKeepsAllEightBytes) {
  Job job;
  Var ft;
  ft.vt = VT_FILETIME;
  ft.ullVal = 0x01DA1234ABCD5678ull;
  ProfSetVariant(job, 0, L"When", &ft);
  Var out;
  ASSERT_EQ(ProfGetVariant(job, 0, L"When", &out, nullptr), 0);
  EXPECT_EQ(out.vt, VT_FILETIME);
  EXPECT_EQ(out.ullVal, 0x01DA1234ABCD5678ull);
}

TEST(ProfVariant, MissingItemGivesTheDefault) {
  Job job;
  Var out;
  out.vt = VT_BSTR;
  out.bstrVal = SysAllocString(L"before");
  // A null default is VT_EMPTY.
  EXPECT_EQ(ProfGetVariant(job, 0, L"None", &out, nullptr), -6);
  EXPECT_EQ(out.vt, VT_EMPTY);

  LONG l = 42;
  Var byRef;
  byRef.vt = VT_I4 | VT_BYREF;
  byRef.plVal = &l;
  EXPECT_EQ(ProfGetVariant(job, 0, L"None", &out, &byRef), -6);
  EXPECT_EQ(out.vt, VT_I4);
  EXPECT_EQ(out.lVal, 42);
  byRef.vt = VT_EMPTY;

  Var ft;
  ft.vt = VT_FILETIME;
  ft.ullVal = 0x1122334455667788ull;
  EXPECT_EQ(ProfGetVariant(job, 0, L"None", &out, &ft), -6);
  EXPECT_EQ(out.vt, VT_FILETIME);
  EXPECT_EQ(out.ullVal, 0x1122334455667788ull);

  Var bstr;
  bstr.vt = VT_BSTR;
  bstr.bstrVal = SysAllocString(L"default");
  EXPECT_EQ(ProfGetVariant(job, 0, L"None", &out, &bstr), -6);
  ASSERT_EQ(out.vt, VT_BSTR);
  EXPECT_STREQ(out.bstrVal, L"default");
  EXPECT_NE(out.bstrVal, bstr.bstrVal);  // a copy the caller frees separately
}

TEST(ProfVariant, NullAndInvalidArgumentsLeaveTheOutputAlone) {
  Job job;
  Var v;
  v.vt = VT_I2;
  v.iVal = 3;
  ProfSetVariant(job, 0, L"x", &v);
  ProfSetVariant(0, 0, L"x", &v);  // invalid job: nothing
  EXPECT_EQ(ProfGetVariant(job, 0, L"x", nullptr, nullptr), 0);

  Var out;
  out.vt = VT_I4;
  out.lVal = 99;
  EXPECT_EQ(ProfGetVariant(0, 0, L"x", &out, nullptr), 0);
  EXPECT_EQ(ProfGetVariantFromContents(nullptr, &out), -9);
  EXPECT_EQ(out.vt, VT_I4);
  EXPECT_EQ(out.lVal, 99);
  EXPECT_EQ(ProfGetVariantFromContents(L"x", nullptr), 0);

  EXPECT_EQ(ProfGetVariantFromContents(L"var://AgADAA==", &out), 0);
  EXPECT_EQ(out.vt, VT_I2);
  EXPECT_EQ(out.iVal, 3);
  EXPECT_EQ(ProfGetVariantFromContents(L"var://%%%", &out), 0);
  EXPECT_EQ(out.vt, VT_EMPTY);
}

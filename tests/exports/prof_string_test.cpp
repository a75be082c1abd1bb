// Text values, jobs and the invalid handle through the exports.
#include <cstring>
#include <string>

#include "prof_fixture.h"

using proftest::Get;
using proftest::Job;

TEST(ProfString, GetStringBufferRules) {
  Job job;
  ProfSetStringW(job, 0, L"v", L"hello");
  ProfSetStringW(job, 0, L"empty", L"");
  wchar_t buf[16];
  wmemset(buf, L'#', 16);
  EXPECT_EQ(ProfGetStringW(job, 0, L"v", buf, 0, L"dflt"), 5);  // size 0: the length, nothing written
  EXPECT_EQ(buf[0], L'#');
  EXPECT_EQ(ProfGetStringW(job, 0, L"v", nullptr, 8, nullptr), 5);
  EXPECT_EQ(ProfGetStringW(job, 0, L"v", buf, 3, L"dflt"), 2);  // cut to size - 1
  EXPECT_STREQ(buf, L"he");
  EXPECT_EQ(ProfGetStringW(job, 0, L"v", buf, 16, nullptr), 5);
  EXPECT_STREQ(buf, L"hello");
  EXPECT_EQ(ProfGetStringW(job, 0, L"missing", buf, 16, L"dflt"), -6);
  EXPECT_STREQ(buf, L"dflt");
  EXPECT_EQ(ProfGetStringW(job, 0, L"missing", buf, 3, L"dflt"), -6);
  EXPECT_STREQ(buf, L"df");
  EXPECT_EQ(ProfGetStringW(job, 0, L"missing", buf, 16, nullptr), -6);
  EXPECT_STREQ(buf, L"");
  EXPECT_EQ(ProfGetStringW(job, 0, L"empty", buf, 16, L"dflt"), 0);  // found but empty: 0, not -6
  EXPECT_STREQ(buf, L"");
  wcscpy(buf, L"same");  // the buffer may be the default itself
  EXPECT_EQ(ProfGetStringW(job, 0, L"missing", buf, 16, buf), -6);
  EXPECT_STREQ(buf, L"same");
  EXPECT_EQ(ProfGetStringW(0, 0, L"v", buf, 16, L"dflt"), 0);  // invalid job: default, 0
  EXPECT_STREQ(buf, L"dflt");
}

TEST(ProfString, AnsiFormsConvertWithTheCodePageOption) {
  Job job;
  int old = ProfGetOption(1);
  EXPECT_EQ(old, static_cast<int>(GetACP()));
  ProfSetOption(1, 0x1000FDE9);  // only the low 16 bits count: 65001
  EXPECT_EQ(ProfGetOption(1), 65001);
  ProfSetStringA(job, 0, "caf\xC3\xA9", "\xE2\x82\xAC" "5");  // UTF-8 name and value
  EXPECT_EQ(Get(job, 0, L"caf\u00E9"), L"\u20AC5");
  EXPECT_EQ(ProfGetStringLengthA(job, 0, "caf\xC3\xA9"), 2);  // UTF-16 units, not bytes
  char buf[8];
  EXPECT_EQ(ProfGetStringA(job, 0, "caf\xC3\xA9", buf, 8, "d"), 2);
  EXPECT_STREQ(buf, "\xE2\x82\xAC" "5");
  EXPECT_EQ(ProfGetStringA(job, 0, "caf\xC3\xA9", buf, 3, "d"), 2);  // 2 units, cut to 2 bytes
  EXPECT_EQ(std::strlen(buf), 2u);
  EXPECT_EQ(ProfGetStringA(job, 0, "nope", buf, 8, "dflt"), -6);
  EXPECT_STREQ(buf, "dflt");
  EXPECT_EQ(ProfGetStringA(job, 0, "caf\xC3\xA9", nullptr, 0, nullptr), 2);
  // A generous size costs no buffer of that size: only the text and its terminator are written.
  EXPECT_EQ(ProfGetStringA(job, 0, "caf\xC3\xA9", buf, 0x7FFFFFFF, "d"), 2);
  EXPECT_STREQ(buf, "\xE2\x82\xAC" "5");
  ProfSetOption(7, 1252);  // other options are ignored
  EXPECT_EQ(ProfGetOption(1), 65001);
  EXPECT_EQ(ProfGetOption(7), 0);
  ProfSetOption(1, old);
  // NULL ANSI texts are the empty text.
  ProfAppendStringA(job, 0, nullptr, nullptr);
  EXPECT_EQ(Get(job, 0, L""), L"");
  ProfAppendStringW(job, 0, nullptr, L"w");
  ProfDeleteItemA(job, 0, nullptr);
  EXPECT_EQ(ProfGetStringLengthW(job, 0, L""), -6);
}

TEST(ProfString, JobsCountReferencesAndReportOpenErrors) {
  HPROFJOB job = ProfJobOpenW(nullptr);
  ASSERT_NE(job, 0);
  EXPECT_EQ(ProfGetError(job), 0);
  EXPECT_EQ(ProfJobAddRef(job), 2);
  ProfJobClose(job);
  ProfSetStringW(job, 0, L"alive", L"yes");
  EXPECT_EQ(Get(job, 0, L"alive"), L"yes");
  ProfJobClose(job);
  // A closed job's handle is refused like the invalid handle.
  EXPECT_EQ(ProfGetError(job), -5);
  EXPECT_EQ(ProfJobAddRef(job), 0);

  HPROFJOB missing = ProfJobOpenW(L"C:\\no such folder\\none.prf");
  ASSERT_NE(missing, 0);
  EXPECT_EQ(ProfGetError(missing), -10);
  ProfSetStringW(missing, 0, L"usable", L"1");
  EXPECT_EQ(Get(missing, 0, L"usable"), L"1");
  ProfJobClose(missing);
  HPROFJOB nullA = ProfJobOpenA(nullptr);  // the empty name is tried and fails
  EXPECT_EQ(ProfGetError(nullA), -10);
  ProfJobClose(nullA);

  EXPECT_EQ(ProfGetVersion(0), 0x1301);
  EXPECT_EQ(ProfGetVersion(1), 19);
  EXPECT_EQ(ProfGetVersion(2), 1);
  EXPECT_EQ(ProfGetVersion(3), -1);
}

TEST(ProfString, InvalidJobHandleIsHarmlessEverywhere) {
  const HPROFJOB bad = 0;
  wchar_t w[8] = L"x";
  char a[8] = "x";
  EXPECT_EQ(ProfJobAddRef(bad), 0);
  ProfJobClose(bad);
  EXPECT_EQ(ProfGetError(bad), -5);
  EXPECT_EQ(ProfGetListW(bad, 0, L"a"), 0);
  EXPECT_EQ(ProfGetListA(bad, 0, nullptr), 0);
  EXPECT_EQ(ProfCreateListW(bad, 0, L"a"), 0);
  EXPECT_EQ(ProfCreateListA(bad, 0, "a"), 0);
  EXPECT_EQ(ProfAppendListW(bad, 0, L"a"), 0);
  EXPECT_EQ(ProfAppendListA(bad, 0, "a"), 0);
  ProfEmptyList(bad, 0);
  ProfDeleteItemW(bad, 0, L"a");
  ProfDeleteItemA(bad, 0, "a");
  ProfDeleteListW(bad, 0, nullptr);
  ProfDeleteListA(bad, 0, "a");
  EXPECT_EQ(ProfCopyList(bad, 0, bad, 0), -5);
  EXPECT_EQ(ProfEnumW(bad, 0, proftest::CollectItem, 0), 0);
  EXPECT_EQ(ProfEnumA(bad, 0, nullptr, 0), 0);
  EXPECT_EQ(ProfGetStringW(bad, 0, L"a", w, 8, L"d"), 0);
  EXPECT_EQ(ProfGetStringA(bad, 0, "a", a, 8, "d"), 0);
  EXPECT_STREQ(a, "d");
  EXPECT_EQ(ProfGetStringLengthW(bad, 0, L"a"), 0);
  EXPECT_EQ(ProfGetStringLengthA(bad, 0, "a"), 0);
  ProfSetStringW(bad, 0, L"a", L"b");
  ProfSetStringA(bad, 0, "a", "b");
  ProfAppendStringW(bad, 0, L"a", L"b");
  ProfAppendStringA(bad, 0, "a", "b");
  EXPECT_EQ(ProfDebugList(bad, 0), -5);
  ProfSetDebug(1);
  // Typed accessors: writers do nothing, getters deliver the default with -6.
  POINT p{1, 2};
  RECT r{1, 2, 3, 4};
  ProfSetBoolW(bad, 0, L"a", TRUE);
  ProfAppendInt64A(bad, 0, "a", 5);
  ProfSetPointW(bad, 0, L"a", &p);
  ProfAppendRectLTWHA(bad, 0, "a", &r);
  int i = 0;
  EXPECT_EQ(ProfGetIntW(bad, 0, L"a", &i, 7), -6);
  EXPECT_EQ(i, 7);
  POINT outP{};
  EXPECT_EQ(ProfGetPointA(bad, 0, "a", &outP, &p), -6);
  EXPECT_EQ(outP.y, 2);
}

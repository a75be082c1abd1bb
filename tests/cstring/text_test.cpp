// Copy, compare, search and in-place editing of zero-terminated texts.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "cstring/text.h"
#include "foundation/string.h"

namespace cs = ovut::cstring;

namespace {

// A buffer with guard units behind the caller-visible part, to see every unit written.
struct Guarded {
  wchar_t units[40];
  explicit Guarded(const wchar_t* text = L"") {
    for (auto& u : units) u = L'#';
    wcscpy(units, text);
  }
  std::wstring Text() const { return units; }
};

TEST(CStringCopy, StrncpyCopiesSizeMinusOneAndTerminates) {
  struct Case {
    const wchar_t* source;
    int size;
    const wchar_t* expected;  // null: nothing written
  } cases[] = {
      {L"abcdef", 4, L"abc"}, {L"abc", 4, L"abc"}, {L"abc", 10, L"abc"}, {L"abc", 1, L""},
      {L"abc", 0, nullptr},   {L"abc", -3, nullptr}, {nullptr, 5, L""},
  };
  for (const auto& c : cases) {
    Guarded g(L"zzzzzzzz");
    cs::Strncpy(g.units, c.source, c.size);
    if (!c.expected) {
      EXPECT_EQ(g.Text(), L"zzzzzzzz") << c.size;
    } else {
      EXPECT_EQ(g.Text(), c.expected) << c.size;
      EXPECT_EQ(g.units[c.size], c.size < 9 ? L'z' : L'#') << "unit behind the size was written";
    }
  }
  EXPECT_EQ(cs::Strncpy(nullptr, L"x", 4), nullptr);
}

TEST(CStringCopy, CopyAppendAndMemory) {
  Guarded g;
  EXPECT_EQ(cs::Strcpy(g.units, L"ab"), g.units);
  EXPECT_EQ(cs::Strcat(g.units, L"cd"), g.units);
  cs::Strcat(g.units, nullptr);
  EXPECT_EQ(g.Text(), L"abcd");
  EXPECT_EQ(cs::Strlen(g.units), 4);
  EXPECT_EQ(cs::Strlen(nullptr), 0);
  cs::Strcpy(g.units, nullptr);
  EXPECT_EQ(g.Text(), L"");

  char bytes[8] = "1234567";
  cs::Memcpy(bytes + 1, bytes, 4);  // overlapping
  EXPECT_STREQ(bytes, "1123467");
  cs::Memset(bytes, 'x', 2);
  cs::Memset(bytes, 'y', 0);
  cs::Memset(bytes, 'y', -1);
  cs::Memcpy(bytes, nullptr, 3);
  EXPECT_STREQ(bytes, "xx23467");
  EXPECT_EQ(cs::Memset(nullptr, 0, 4), nullptr);
}

TEST(CStringCompare, ResultsAndNullTexts) {
  struct Case {
    const wchar_t *a, *b;
    int cmp, icmp;
  } cases[] = {
      {L"abc", L"abc", 0, 0}, {L"abc", L"abd", -1, -1}, {L"abd", L"abc", 1, 1}, {L"ab", L"abc", -1, -1},
      {L"ABC", L"abc", -1, 0}, {L"\xE9", L"z", 1, 1},  {nullptr, L"", 0, 0},     {nullptr, L"a", -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cs::Strcmp(c.a, c.b), c.cmp) << (c.a ? c.a : L"(null)") << " / " << c.b;
    int i = cs::Stricmp(c.a, c.b);
    EXPECT_EQ(i < 0 ? -1 : i > 0, c.icmp) << (c.a ? c.a : L"(null)") << " / " << c.b;
  }
  EXPECT_EQ(cs::Strncmp(L"abcX", L"abcY", 3), 0);
  EXPECT_LT(cs::Strncmp(L"abcX", L"abcY", 4), 0);
  EXPECT_EQ(cs::Strnicmp(L"ABcX", L"abCY", 3), 0);
  EXPECT_EQ(cs::Strncmp(L"a", L"b", 0), 0);
  EXPECT_EQ(cs::Strncmp(L"a", L"b", -1), 0);
}

TEST(CStringSearch, FirstLastAndSubText) {
  const wchar_t* t = L"a/b/c";
  EXPECT_EQ(cs::Strchr(t, L'/'), t + 1);
  EXPECT_EQ(cs::Strrchr(t, L'/'), t + 3);
  EXPECT_EQ(cs::Strchr(t, L'x'), nullptr);
  EXPECT_EQ(cs::Strstr(t, L"b/c"), t + 2);
  EXPECT_EQ(cs::Strstr(t, L"c/"), nullptr);
  EXPECT_EQ(cs::Strchr(nullptr, L'a'), nullptr);
  EXPECT_EQ(cs::Strstr(t, nullptr), nullptr);
}

TEST(CStringEdit, TrimRemovesOnlyBlanks) {
  struct Case {
    const wchar_t *text, *left, *right, *both;
    int rtrimResult;
  } cases[] = {
      {L"ab  ", L"ab  ", L"ab", L"ab", 0},     {L"ab", L"ab", L"ab", L"ab", 1},
      {L"  a b ", L"a b ", L"  a b", L"a b", 0}, {L"", L"", L"", L"", 1},
      {L"   ", L"", L"", L"", 0},               {L"\tab\t", L"\tab\t", L"\tab\t", L"\tab\t", 1},
  };
  for (const auto& c : cases) {
    Guarded l(c.text), r(c.text), b(c.text);
    cs::Ltrim(l.units);
    EXPECT_EQ(cs::Rtrim(r.units), c.rtrimResult) << c.text;
    cs::Atrim(b.units);
    EXPECT_EQ(l.Text(), c.left);
    EXPECT_EQ(r.Text(), c.right);
    EXPECT_EQ(b.Text(), c.both);
  }
  EXPECT_EQ(cs::Ltrim(nullptr), nullptr);
  EXPECT_EQ(cs::Rtrim(nullptr), 1);
}

TEST(CStringEdit, Substr) {
  struct Case {
    int position, count;
    const wchar_t* expected;
  } cases[] = {
      {2, 3, L"bcd"}, {-2, 2, L"ef"}, {7, 1, L""},   {-7, 1, L""},      {1, 6, L"abcdef"}, {1, 100, L"abcdef"},
      {6, 5, L"f"},   {0, 3, L""},    {-6, 2, L"ab"}, {3, 0, L""},       {2, -1, L"abcdef"},
  };
  for (const auto& c : cases) {
    Guarded g(L"abcdef");
    int n = cs::Substr(g.units, c.position, c.count);
    EXPECT_EQ(g.Text(), c.expected) << c.position << "," << c.count;
    EXPECT_EQ(n, static_cast<int>(wcslen(c.expected)));
  }
  EXPECT_EQ(cs::Substr(nullptr, 1, 1), 0);
}

TEST(CStringEdit, Stuff) {
  struct Case {
    int position, remove;
    const wchar_t *insert, *expected;
  } cases[] = {
      {3, 2, L"XY", L"abXYef"}, {3, 2, L"", L"abef"},        {3, 2, nullptr, L"abef"},  {1, 0, L">", L">abcdef"},
      {7, 0, L"<", L"abcdef<"}, {7, 3, L"<", L"abcdef<"},     {8, 0, L"!", L"abcdef"},    {0, 1, L"!", L"abcdef"},
      {5, 99, L"", L"abcd"},    {2, -4, L"-", L"a-bcdef"},
  };
  for (const auto& c : cases) {
    Guarded g(L"abcdef");
    cs::Stuff(g.units, c.position, c.remove, c.insert);
    EXPECT_EQ(g.Text(), c.expected) << c.position << "," << c.remove;
  }
}

int Sprintf(wchar_t* d, int size, const wchar_t* format, ...) {
  va_list a;
  va_start(a, format);
  int n = cs::SafeVsprintf(d, size, format, a);
  va_end(a);
  return n;
}

TEST(CStringFormat, SafeSprintfCutsAndTerminates) {
  Guarded g;
  EXPECT_EQ(Sprintf(g.units, 4, L"%s", L"0123456789"), -1);
  EXPECT_EQ(g.Text(), L"012");
  EXPECT_EQ(g.units[4], L'#');
  EXPECT_EQ(Sprintf(g.units, 4, L"%d", 123), 3);  // exactly fills: still terminated
  EXPECT_EQ(g.Text(), L"123");
  EXPECT_EQ(Sprintf(g.units, 40, L"%s-%d", L"ab", 7), 4);
  EXPECT_EQ(g.Text(), L"ab-7");
  EXPECT_EQ(Sprintf(g.units, 1, L"x"), -1);
  EXPECT_EQ(g.Text(), L"");
  EXPECT_EQ(Sprintf(g.units, 0, L"x"), -1);
  EXPECT_EQ(Sprintf(nullptr, 10, L"x"), -1);
}

TEST(CStringBuffer, CopyToBufferRule) {
  String text(L"hello");
  wchar_t buf[8];
  EXPECT_EQ(cs::CopyToBuffer(text, nullptr, 0), 6);
  EXPECT_EQ(cs::CopyToBuffer(text, buf, 0), 6);
  EXPECT_EQ(cs::CopyToBuffer(text, buf, 6), 0);
  EXPECT_STREQ(buf, L"hello");
  EXPECT_EQ(cs::CopyToBuffer(text, buf, 5), cs::kTextCut);
  EXPECT_STREQ(buf, L"hell");
}

}  // namespace

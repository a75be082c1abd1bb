// Typed values through the exports: the stored text forms and the parse rules of the getters.
#include <climits>
#include <cstring>
#include <string>

#include "prof_fixture.h"

using proftest::Get;
using proftest::Job;

TEST(ProfTyped, WritersStoreTheTextForms) {
  Job job;
  RECT r{10, 20, 110, 70};
  POINT p{10, -5};
  RECT screen{0, 0, 640, 480};
  struct {
    void (*write)(HPROFJOB, const RECT&, const POINT&, const RECT&);
    const wchar_t* text;
  } cases[] = {
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetBoolW(j, 0, L"v", 5); }, L"TRUE"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendBoolA(j, 0, "v", 0); }, L"FALSE"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetIntW(j, 0, L"v", -42); }, L"-42"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendIntW(j, 0, L"v", INT_MIN); }, L"-2147483648"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendIntHexW(j, 0, L"v", 31); }, L"x0000001F"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetIntHexA(j, 0, "v", 31); }, L"x1f"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendIntHexW(j, 0, L"v", -1); }, L"xFFFFFFFF"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetIntHexW(j, 0, L"v", -1); }, L"xffffffff"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetIntHexW(j, 0, L"v", 0); }, L"x0"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendInt64W(j, 0, L"v", -1); }, L"18446744073709551615"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetInt64A(j, 0, "v", 1234567890123LL); }, L"1234567890123"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendInt64HexW(j, 0, L"v", 31); }, L"x1F"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetInt64HexW(j, 0, L"v", -2); }, L"xfffffffffffffffe"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetDoubleW(j, 0, L"v", 3.14); }, L"3.140000"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendDoubleW(j, 0, L"v", 0.5); }, L"0.500000"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendDoubleA(j, 0, "v", 1e-7); }, L"0.000000"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetDoubleW(j, 0, L"v", -2.5); }, L"-2.500000"},
      {[](HPROFJOB j, const RECT&, const POINT& q, const RECT&) { ProfSetPointW(j, 0, L"v", &q); }, L"(10,-5)"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT& s) { ProfAppendRectA(j, 0, "v", &s); }, L"(0,0,640,480)"},
      {[](HPROFJOB j, const RECT& q, const POINT&, const RECT&) { ProfSetRectLTWHW(j, 0, L"v", &q); }, L"(10,20,100,50)"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfSetColorrefW(j, 0, L"v", RGB(255, 128, 0)); }, L"(255,128,0)"},
      {[](HPROFJOB j, const RECT&, const POINT&, const RECT&) { ProfAppendColorrefW(j, 0, L"v", 0x01FF8000); }, L"(0,128,255)"},
  };
  for (const auto& c : cases) {
    ProfEmptyList(job, 0);
    c.write(job, r, p, screen);
    EXPECT_EQ(Get(job, 0, L"v"), c.text);
  }
  // A huge double's fixed notation is cut to 199 units.
  ProfSetDoubleW(job, 0, L"d", 1e300);
  std::wstring d = Get(job, 0, L"d");
  EXPECT_EQ(d.size(), 199u);
  EXPECT_EQ(d.substr(0, 2), L"10");
  // Pointer writers without a value do nothing.
  ProfSetRectW(job, 0, L"none", nullptr);
  ProfAppendPointA(job, 0, "none", nullptr);
  EXPECT_EQ(Get(job, 0, L"none"), L"<missing>");
}

TEST(ProfTyped, IntAndInt64GettersParseHexThenDecimal) {
  struct {
    const wchar_t* text;
    int result;
    int value;  // with out preset to 99
  } ints[] = {
      {L"x1f", 0, 31},       {L"x0000001F", 0, 31},   {L"xFFFFFFFF", 0, -1},   {L"xffffffff", 0, -1},
      {L"-42", 0, -42},      {L"42abc", 0, 42},       {L"  +7", 0, 7},         {L"x 1f", 0, 31},
      {L"x0x10", 0, 16},     {L"X1F", -9, 99},        {L"abc", -9, 99},        {L"x", -9, 99},
      {L"-", -9, 99},        {L"(1,2)", -9, 99},      {L"4294967297", 0, 1},   {L"x123456789", 0, 0x23456789},
  };
  Job job;
  for (const auto& c : ints) {
    ProfSetStringW(job, 0, L"i", c.text);
    int out = 99;
    EXPECT_EQ(ProfGetIntW(job, 0, L"i", &out, 5), c.result) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(out, c.value) << testing::PrintToString(std::wstring(c.text));
  }
  int out = 99;
  EXPECT_EQ(ProfGetIntA(job, 0, "missing", &out, 5), -6);
  EXPECT_EQ(out, 5);
  ProfSetStringW(job, 0, L"e", L"");
  EXPECT_EQ(ProfGetIntW(job, 0, L"e", &out, 6), -6);
  EXPECT_EQ(out, 6);

  struct {
    const wchar_t* text;
    int result;
    LONGLONG value;
  } wide[] = {
      {L"18446744073709551615", 0, -1}, {L"x1F", 0, 31},          {L"xfffffffffffffffe", 0, -2},
      {L"-1", 0, -1},                   {L"9223372036854775808", 0, LLONG_MIN},
      {L"12x", 0, 12},                  {L"X1", -9, 99},          {L"", -6, 3},
  };
  for (const auto& c : wide) {
    ProfSetStringW(job, 0, L"w", c.text);
    LONGLONG v = 99;
    EXPECT_EQ(ProfGetInt64W(job, 0, L"w", &v, 3), c.result) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(v, c.value) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(ProfTyped, BoolDoubleAndColorGetters) {
  Job job;
  struct {
    const wchar_t* text;
    BOOL value;
  } bools[] = {{L"TRUE", 1}, {L"Yes", 1}, {L"Y", 1}, {L"true", 0}, {L"yes", 0}, {L"1", 0}, {L"FALSE", 0}};
  for (const auto& c : bools) {
    ProfSetStringW(job, 0, L"b", c.text);
    BOOL out = 7;
    EXPECT_EQ(ProfGetBoolW(job, 0, L"b", &out, 5), 0);
    EXPECT_EQ(out, c.value) << testing::PrintToString(std::wstring(c.text));
  }
  BOOL b = 0;
  EXPECT_EQ(ProfGetBoolA(job, 0, "missing", &b, 5), -6);
  EXPECT_EQ(b, 5);

  struct {
    const wchar_t* text;
    double value;
  } doubles[] = {{L"3.140000", 3.14}, {L"  -2.5e3x", -2500.0}, {L"1e", 1.0}, {L".5", 0.5},
                 {L"abc", 0.0},       {L"5.", 5.0},            {L"1E-2", 0.01}, {L"+.", 0.0}};
  for (const auto& c : doubles) {
    ProfSetStringW(job, 0, L"d", c.text);
    double out = 99;
    EXPECT_EQ(ProfGetDoubleW(job, 0, L"d", &out, 1.5), 0);
    EXPECT_EQ(out, c.value) << testing::PrintToString(std::wstring(c.text));
  }
  ProfSetDoubleA(job, 0, "rt", 0.1);
  double rt = 0;
  EXPECT_EQ(ProfGetDoubleA(job, 0, "rt", &rt, 0), 0);
  EXPECT_EQ(rt, 0.1);

  struct {
    const wchar_t* text;
    int result;
    COLORREF value;
  } colors[] = {
      {L"(255,128,0)", 0, RGB(255, 128, 0)}, {L"(300,0,0)", 0, RGB(44, 0, 0)}, {L"x00FF00", 0, 0x00FF00},
      {L"xFF00FF00", 0, 0xFF00FF00},         {L"(-1,0,0)", 0, RGB(255, 0, 0)}, {L"(1,2)", -9, 42},
      {L"1,2,3", -9, 42},                    {L"( 1, 2, 3 )", 0, RGB(1, 2, 3)},
  };
  for (const auto& c : colors) {
    ProfSetStringW(job, 0, L"c", c.text);
    COLORREF out = 42;
    EXPECT_EQ(ProfGetColorrefW(job, 0, L"c", &out, 7), c.result) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(out, c.value) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(ProfTyped, PointAndRectGettersKeepFieldsReadBeforeAMismatch) {
  Job job;
  struct {
    const wchar_t* text;
    int result;
    RECT rect, ltwh;  // out preset to {-1,-1,-1,-1}
  } cases[] = {
      {L"(10,20,100,50)", 0, {10, 20, 100, 50}, {10, 20, 110, 70}},
      {L"(1, 2,3 ,4)", -9, {1, 2, 3, -1}, {1, 2, 3, -1}},
      {L"(1,2,3)", -9, {1, 2, 3, -1}, {1, 2, 3, -1}},
      {L"[1,2,3,4]", -9, {-1, -1, -1, -1}, {-1, -1, -1, -1}},
      {L"(2147483647,0,1,0)", 0, {INT_MAX, 0, 1, 0}, {INT_MAX, 0, INT_MIN, 0}},
  };
  const RECT def{100, 200, 300, 400};
  for (const auto& c : cases) {
    ProfSetStringW(job, 0, L"r", c.text);
    RECT out{-1, -1, -1, -1};
    EXPECT_EQ(ProfGetRectW(job, 0, L"r", &out, &def), c.result);
    EXPECT_TRUE(std::memcmp(&out, &c.rect, sizeof out) == 0) << testing::PrintToString(std::wstring(c.text));
    RECT lt{-1, -1, -1, -1};
    EXPECT_EQ(ProfGetRectLTWHA(job, 0, "r", &lt, &def), c.result);
    EXPECT_TRUE(std::memcmp(&lt, &c.ltwh, sizeof lt) == 0) << testing::PrintToString(std::wstring(c.text));
  }
  RECT inPlace = def;  // out and default may be one rectangle
  EXPECT_EQ(ProfGetRectW(job, 0, L"missing", &inPlace, &inPlace), -6);
  EXPECT_TRUE(std::memcmp(&inPlace, &def, sizeof def) == 0);
  RECT fromDef{};
  EXPECT_EQ(ProfGetRectLTWHW(job, 0, L"missing", &fromDef, &def), -6);
  EXPECT_TRUE(std::memcmp(&fromDef, &def, sizeof def) == 0);  // copied as left, top, right, bottom

  ProfSetStringW(job, 0, L"p", L"(7,x)");
  POINT p{-1, -1};
  const POINT pd{5, 6};
  EXPECT_EQ(ProfGetPointW(job, 0, L"p", &p, &pd), -9);
  EXPECT_EQ(p.x, 7);
  EXPECT_EQ(p.y, -1);
  ProfSetPointA(job, 0, "p", &pd);
  EXPECT_EQ(ProfGetPointA(job, 0, "p", &p, &pd), 0);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 6);
  POINT q{};
  EXPECT_EQ(ProfGetPointW(job, 0, L"missing", &q, &pd), -6);
  EXPECT_EQ(q.y, 6);
}

TEST(ProfTyped, TextParsersUseTheirOwnNarrowerRules) {
  int i = 0;
  ProfLPSTRtoINTW(L"x1f", &i, 9);  // no x form here
  EXPECT_EQ(i, 9);
  ProfLPSTRtoINTW(L" -12z", &i, 9);
  EXPECT_EQ(i, -12);
  ProfLPSTRtoINTA(nullptr, &i, 8);
  EXPECT_EQ(i, 8);
  ProfLPSTRtoINTA("77", &i, 8);
  EXPECT_EQ(i, 77);

  LONGLONG w = 0;
  ProfLPSTRtoINT64W(L"18446744073709551615", &w, 4);
  EXPECT_EQ(w, -1);
  ProfLPSTRtoINT64A("x10", &w, 4);
  EXPECT_EQ(w, 4);
  ProfLPSTRtoINT64W(nullptr, &w, 0x100000002LL);
  EXPECT_EQ(w, 0x100000002LL);

  BOOL b = 3;
  ProfLPSTRtoBOOLW(nullptr, &b, 5);
  EXPECT_EQ(b, 5);
  ProfLPSTRtoBOOLA(nullptr, &b, 6);
  EXPECT_EQ(b, 6);
  ProfLPSTRtoBOOLA("Yes", &b, 6);
  EXPECT_EQ(b, 1);
  ProfLPSTRtoBOOLW(L"", &b, 6);
  EXPECT_EQ(b, 0);

  const RECT def{1, 1, 1, 1};
  RECT r{};
  ProfLPSTRtoRECTW(L"(1,2,3)", &r, &def);  // a partial read leaves nothing behind
  EXPECT_TRUE(std::memcmp(&r, &def, sizeof r) == 0);
  ProfLPSTRtoRECTA("(5,6,7,8)", &r, &def);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.bottom, 8);
  ProfLPSTRtoRECTW(nullptr, &r, &def);
  EXPECT_EQ(r.left, 1);

  COLORREF c = 0;
  ProfLPSTRtoCOLORREFW(L"x00FF00", &c, 1);
  EXPECT_EQ(c, 0x00FF00u);
  ProfLPSTRtoCOLORREFA("(1,2,3)", &c, 1);
  EXPECT_EQ(c, RGB(1, 2, 3));
  ProfLPSTRtoCOLORREFW(L"(1,2)", &c, 1);
  EXPECT_EQ(c, 1u);
  ProfLPSTRtoCOLORREFW(nullptr, &c, 2);
  EXPECT_EQ(c, 2u);
  ProfLPSTRtoINTW(L"5", nullptr, 0);  // no output: nothing happens
}

TEST(ProfTyped, RoundTripsThroughTheGetters) {
  Job job;
  ProfAppendIntHexW(job, 0, L"h", 31);
  ProfSetIntHexW(job, 0, L"h2", 31);
  int a = 0, b = 0;
  EXPECT_EQ(ProfGetIntW(job, 0, L"h", &a, 0), 0);
  EXPECT_EQ(ProfGetIntW(job, 0, L"h2", &b, 0), 0);
  EXPECT_EQ(a, 31);
  EXPECT_EQ(b, 31);
  ProfAppendInt64HexA(job, 0, "big", LLONG_MIN);
  LONGLONG big = 0;
  EXPECT_EQ(ProfGetInt64A(job, 0, "big", &big, 0), 0);
  EXPECT_EQ(big, LLONG_MIN);
  RECT r{-5, -6, 7, 8}, back{};
  ProfSetRectLTWHW(job, 0, L"r", &r);
  EXPECT_EQ(ProfGetRectLTWHW(job, 0, L"r", &back, &r), 0);
  EXPECT_TRUE(std::memcmp(&r, &back, sizeof r) == 0);
  ProfSetColorrefA(job, 0, "c", RGB(1, 2, 3));
  COLORREF c = 0;
  EXPECT_EQ(ProfGetColorrefA(job, 0, "c", &c, 0), 0);
  EXPECT_EQ(c, RGB(1, 2, 3));
}

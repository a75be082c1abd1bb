#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "diagnostics/debug_output.h"
#include "foundation/regex.h"

namespace {

std::vector<std::wstring> Texts(const std::vector<String>& v) {
  std::vector<std::wstring> out;
  for (const String& s : v) out.emplace_back(s.c_str(), s.Length());
  return out;
}

std::wstring W(const String& s) { return std::wstring(s.c_str(), s.Length()); }

TEST(RegEx, ExecReportsGroupsWithOffsets) {
  clsRegEx re(L"(\\d+)-(\\d+)");
  clsRegExMatchList m;
  ASSERT_TRUE(re.Exec(L"x 12-34", &m));
  ASSERT_EQ(m.Count(), 3u);
  const int starts[] = {2, 2, 5};
  const wchar_t* texts[] = {L"12-34", L"12", L"34"};
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(m.At(i)->start, starts[i]) << i;
    EXPECT_EQ(W(m.At(i)->text), texts[i]) << i;
    EXPECT_EQ(W(clsRegEx::Match(m, static_cast<int>(i))), texts[i]);
  }
  EXPECT_EQ(re.CaptureCount(), 2u);
  EXPECT_EQ(W(clsRegEx::Match(m, 3)), L"");  // beyond the list: empty text

  // Records are reused by the next match; texts taken from them stay as they were.
  String kept = m.At(1)->text;
  ASSERT_TRUE(re.Exec(L"56-78", &m));
  EXPECT_EQ(W(kept), L"12");
  EXPECT_EQ(W(m.At(1)->text), L"56");
  EXPECT_EQ(m.At(2)->start, 3);

  // A failed match leaves no stale records behind.
  EXPECT_FALSE(re.Exec(L"no digits", &m));
  EXPECT_EQ(m.Count(), 0u);
}

TEST(RegEx, GroupThatDidNotTakePartHasNoOffset) {
  clsRegEx re(L"(a)|(b)");
  clsRegExMatchList m;
  ASSERT_TRUE(re.Exec(L"xb", &m));
  ASSERT_EQ(m.Count(), 3u);
  EXPECT_EQ(m.At(1)->start, -1);
  EXPECT_TRUE(m.At(1)->text.IsEmpty());
  EXPECT_EQ(m.At(2)->start, 1);
  EXPECT_EQ(W(m.At(2)->text), L"b");
}

// Records are made when the list is first read, from a copy the match took: the subject may
// be gone by then, and a group found by a lookaround outside the whole match still has its text.
TEST(RegEx, RecordsReadAfterTheSubjectIsGone) {
  clsRegEx re(L"(?<=(ab))c(?=(de))");
  clsRegExMatchList m;
  {
    std::wstring subject = L"xxabcdeyy";
    ASSERT_TRUE(re.Exec(subject.c_str(), subject.size(), &m));
    subject.assign(subject.size(), L'-');
  }
  ASSERT_EQ(m.Count(), 3u);
  const int starts[] = {4, 2, 5};
  const wchar_t* texts[] = {L"c", L"ab", L"de"};
  int i = 0;
  for (const scRegExMatch* r = m.First(); r; r = r->next, ++i) {
    ASSERT_LT(i, 3);
    EXPECT_EQ(r->start, starts[i]) << i;
    EXPECT_EQ(W(r->text), texts[i]) << i;
  }
  EXPECT_EQ(i, 3);
  m.Append(7, L"added", 5);  // appending after a match keeps the match's records first
  ASSERT_EQ(m.Count(), 4u);
  EXPECT_EQ(W(m.At(0)->text), L"c");
  EXPECT_EQ(W(m.At(3)->text), L"added");
}

TEST(RegEx, CompileErrorFailsEveryExec) {
  clsRegEx re(L"(ab");
  EXPECT_FALSE(re.Exec(L"ab"));
  EXPECT_FALSE(re.IsCompiled());
  EXPECT_FALSE(re.LastError().IsEmpty());
  EXPECT_FALSE(re.Exec(L"(ab"));  // compiles again, fails again
  EXPECT_FALSE(re.Compile());

  clsRegEx empty;  // no pattern is the empty pattern: matches everywhere
  EXPECT_TRUE(empty.Exec(L"abc"));
}

// Collects the debug lines written while it lives.
struct DebugLines {
  std::vector<std::wstring> lines;
  DebugLines() { ovut::debug::SetObserver(&Add, this); }
  ~DebugLines() { ovut::debug::SetObserver(nullptr, nullptr); }
  static void Add(void* self, const wchar_t* text) { static_cast<DebugLines*>(self)->lines.emplace_back(text); }
};

TEST(RegEx, MessagesForCompileErrorsAndMissingGroups) {
  DebugLines debug;
  clsRegEx bad(L"a(b");
  EXPECT_FALSE(bad.Exec(L"ab"));
  EXPECT_FALSE(bad.Exec(L"ab"));
  ASSERT_EQ(debug.lines.size(), 2u);  // reported again by every attempt
  EXPECT_EQ(debug.lines[0], L"Error in RegEx offset 3: '" + W(bad.LastError()) + L"'");

  debug.lines.clear();
  clsRegEx pair(L"(\\d)-(\\d)");
  EXPECT_EQ(W(pair.GSub(L"1-2", L"\\9")), L"");
  ASSERT_EQ(debug.lines.size(), 1u);
  EXPECT_EQ(debug.lines[0], L"ERR: clsRegEx: Match(9) not found (index too large, found only 3 entries)");
}

TEST(RegEx, OptionBits) {
  struct Case {
    const wchar_t* pattern;
    uint32_t options;
    const wchar_t* subject;
    const wchar_t* match;  // null: no match
  } cases[] = {
      {L"abc", 0, L"ABC", nullptr},
      {L"abc", clsRegEx::kCaseless, L"xABC", L"ABC"},
      {L"^b", 0, L"a\nb", nullptr},
      {L"^b", clsRegEx::kMultiline, L"a\nb", L"b"},
      {L"a.b", 0, L"a\nb", nullptr},
      {L"a.b", clsRegEx::kDotAll, L"a\nb", L"a\nb"},
      {L"a b # comment", clsRegEx::kExtended, L"ab", L"ab"},
      {L"b", clsRegEx::kAnchored, L"ab", nullptr},
      {L"a$", 0, L"a\n", L"a"},
      {L"a$", clsRegEx::kDollarEndOnly, L"a\n", nullptr},
      {L"a$", clsRegEx::kDollarEndOnly, L"ba", L"a"},
      {L"a+", clsRegEx::kUngreedy, L"aaa", L"a"},
      {L"^a", clsRegEx::kNotBOL, L"a", nullptr},
      {L"a$", clsRegEx::kNotEOL, L"a", nullptr},
      {L"x*", clsRegEx::kNotEmpty, L"abc", nullptr},
      {L"x*", clsRegEx::kNotEmpty, L"axx", L"xx"},
      {L"(?i)^([A-Z]:)(.*)$", 0, L"c:\\data\\a.txt", L"c:\\data\\a.txt"},
      {L"\\x{263A}", 0, L"smile \x263A", L"\x263A"},
  };
  for (const Case& c : cases) {
    clsRegEx re(c.pattern, c.options);
    clsRegExMatchList m;
    bool hit = re.Exec(c.subject, &m);
    EXPECT_EQ(hit, c.match != nullptr) << c.pattern << L" options " << c.options;
    if (hit && c.match) {
      EXPECT_EQ(W(m.First()->text), c.match) << c.pattern;
    }
  }
}

TEST(RegEx, PathPatternsStripDriveAndServer) {
  clsRegExMatchList m;
  clsRegEx drive(L"(?i)^([A-Z]:)(.*)$");
  ASSERT_TRUE(drive.Exec(L"C:\\data\\a.txt", &m));
  EXPECT_EQ(W(clsRegEx::Match(m, 2)), L"\\data\\a.txt");
  clsRegEx unc(L"(?i)^(\\\\\\\\.*?)(\\\\.*)$");
  ASSERT_TRUE(unc.Exec(L"\\\\server\\share\\a.txt", &m));
  EXPECT_EQ(W(clsRegEx::Match(m, 1)), L"\\\\server");
  EXPECT_EQ(W(clsRegEx::Match(m, 2)), L"\\share\\a.txt");
}

TEST(RegEx, SplitKeepsEmptyPieces) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* subject;
    std::vector<std::wstring> pieces;
  } cases[] = {
      {L",", L"a,b,,c", {L"a", L"b", L"", L"c"}},
      {L",", L"a,", {L"a", L""}},
      {L",", L",a", {L"", L"a"}},
      {L",", L"abc", {L"abc"}},
      {L",", L"", {L""}},
      {L"\\s*;\\s*", L"x ; y;z", {L"x", L"y", L"z"}},
      // An empty match never eats text: the lookahead splits once, before the comma.
      {L"(?=,)", L"a,b", {L"a", L",b"}},
  };
  for (const Case& c : cases) {
    clsRegEx re(c.pattern);
    EXPECT_EQ(Texts(re.Split(c.subject)), c.pieces) << c.pattern << L" on " << c.subject;
  }
}

TEST(RegEx, CollectTakesFirstGroupOrWholeMatch) {
  clsRegEx groups(L"<(\\w+)>");
  EXPECT_EQ(Texts(groups.Collect(L"<a> <bc>x<d>")), (std::vector<std::wstring>{L"a", L"bc", L"d"}));
  clsRegEx whole(L"\\d+");
  EXPECT_EQ(Texts(whole.Collect(L"1 22 333")), (std::vector<std::wstring>{L"1", L"22", L"333"}));
  EXPECT_TRUE(whole.Collect(L"none").empty());
}

TEST(RegEx, GSubTemplate) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* subject;
    const wchar_t* replacement;
    const wchar_t* result;
  } cases[] = {
      {L"(\\d+)-(\\d+)", L"12-34 and 5-6", L"[\\2/\\1]", L"[34/12] and [6/5]"},
      {L"(\\d+)-(\\d+)", L"1-2", L"<\\9>", L"<>"},            // missing group inserts nothing
      {L"(\\d+)-(\\d+)", L"1-2", L"\\\\1", L"\\\\1"},          // "\\" stays, no reference
      {L"(\\d+)-(\\d+)", L"1-2", L"\\0!\\x", L"1-2!\\x"},
      {L"(\\d+)-(\\d+)", L"1-2", L"end\\", L"end\\"},
      {L"b", L"abcb", L"", L"ac"},
      {L"z", L"abc", L"-", L"abc"},
      {L"^a", L"aaa", L"b", L"bbb"},  // each remainder is a subject of its own
      // Empty matches insert the replacement and keep every character of the subject.
      {L"x*", L"abc", L"-", L"-a-b-c"},
      {L"b*", L"abc", L"-", L"-a--c"},  // the empty match after "b" is a match of its own
      {L"(?=,)", L"a,b,c", L"|", L"a|,b|,c"},
  };
  for (const Case& c : cases) {
    clsRegEx re(c.pattern);
    EXPECT_EQ(W(re.GSub(c.subject, c.replacement)), c.result) << c.pattern << L" / " << c.replacement;
  }
}

TEST(RegEx, GSubCallbackSeesEachMatchList) {
  struct Upper : IclsRegExGSubCB {
    std::vector<int> starts;
    String Replacement(const clsRegExMatchList& m) override {
      starts.push_back(m.At(1)->start);
      String s = m.At(1)->text;
      s.MapCase(LCMAP_UPPERCASE);
      return String(L"<") + s + String(L">");
    }
  } cb;
  clsRegEx re(L"\\$(\\w+)");
  EXPECT_EQ(W(re.GSub(L"a $x b $yz", cb)), L"a <X> b <YZ>");
  // Offsets are relative to the remaining text of each step.
  EXPECT_EQ(cb.starts, (std::vector<int>{3, 4}));
}

TEST(RegEx, HostileInputHitsTheLimitsQuickly) {
  struct Case {
    const wchar_t* pattern;
    std::wstring subject;
  } cases[] = {
      {L"(a+)+$", std::wstring(40, L'a') + L"!"},
      {L"(x+x+)+y", std::wstring(5000, L'x')},
      {L"(a|b|ab)*c", std::wstring(200000, L'a')},  // deep backtracking stack
      {L"^(\\w+\\s?)*$", std::wstring(3000, L'w') + L" w w w w w w w w !"},
  };
  for (const Case& c : cases) {
    clsRegEx re(c.pattern);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(re.Exec(c.subject.c_str(), c.subject.size(), nullptr)) << c.pattern;
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(s, 1.0) << c.pattern;
  }
  // The object stays usable after a limit was hit.
  clsRegEx re(L"(a+)+$");
  EXPECT_TRUE(re.Exec(L"aaaa"));
}

TEST(RegEx, LongSubjectStillMatches) {
  std::wstring text(1 << 20, L'a');
  text += L"needle";
  clsRegEx re(L"ne+dle");
  clsRegExMatchList m;
  ASSERT_TRUE(re.Exec(text.c_str(), text.size(), &m));
  EXPECT_EQ(m.First()->start, 1 << 20);
  clsRegEx words(L"(?:a|b)+");  // a long repetition inside the limits
  ASSERT_TRUE(words.Exec(text.c_str(), 100000, &m));
  EXPECT_EQ(m.First()->text.Length(), 100000u);
}

}  // namespace

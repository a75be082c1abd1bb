// Summary properties of compound files: the field mapping, the page count in empty comments,
// narrow and Unicode property sets, and files that are not compound files.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "binary_test_util.h"
#include "foundation/com_ptr.h"

using docinfo::DocFields;

namespace {

struct Prop {
  PROPID id;
  PROPVARIANT value;
};

PROPVARIANT Wide(const wchar_t* text) {
  PROPVARIANT v{};
  v.vt = VT_LPWSTR;
  v.pwszVal = const_cast<wchar_t*>(text);
  return v;
}
PROPVARIANT Narrow(const char* text) {
  PROPVARIANT v{};
  v.vt = VT_LPSTR;
  v.pszVal = const_cast<char*>(text);
  return v;
}
PROPVARIANT Int(int n) {
  PROPVARIANT v{};
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}
PROPVARIANT Time(ULONGLONG utc) {
  PROPVARIANT v{};
  v.vt = VT_FILETIME;
  v.filetime = {static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
  return v;
}

// A compound file with a summary property set (flags: PROPSETFLAG_DEFAULT is a Unicode set).
bool MakeSummaryFile(const std::wstring& path, const std::vector<Prop>& props, DWORD flags = PROPSETFLAG_DEFAULT) {
  clsAutoRelease<IPropertySetStorage> sets;
  if (FAILED(StgCreateStorageEx(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE,
                                0, nullptr, nullptr, IID_IPropertySetStorage, reinterpret_cast<void**>(sets.Put()))))
    return false;
  if (props.empty()) return true;
  clsAutoRelease<IPropertyStorage> set;
  if (FAILED(sets->Create(FMTID_SummaryInformation, nullptr, flags, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                          set.Put())))
    return false;
  std::vector<PROPSPEC> ids;
  std::vector<PROPVARIANT> values;
  for (const Prop& p : props) {
    PROPSPEC s{};
    s.ulKind = PRSPEC_PROPID;
    s.propid = p.id;
    ids.push_back(s);
    values.push_back(p.value);
  }
  return SUCCEEDED(set->WriteMultiple(static_cast<ULONG>(ids.size()), ids.data(), values.data(), PID_FIRST_USABLE)) &&
         SUCCEEDED(set->Commit(STGC_DEFAULT));
}

int ReadFile(const std::wstring& path, DocFields& f) {
  binarytest::OpenDoc doc(path);
  return doc.IsOpen() ? docinfo::ReadOlePropertySets(doc.Source(), f) : -1001;
}

SYSTEMTIME Local(ULONGLONG utc) {
  FILETIME ft{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)}, local;
  SYSTEMTIME st{};
  FileTimeToLocalFileTime(&ft, &local);
  FileTimeToSystemTime(&local, &st);
  return st;
}

class BinaryOle : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
};

TEST_F(BinaryOle, MapsSummaryProperties) {
  const ULONGLONG created = 132000000000000000ull, saved = 133000000000000000ull;
  const std::wstring path = dir_.File(L"summary.doc");
  ASSERT_TRUE(MakeSummaryFile(path, {{PIDSI_TITLE, Wide(L"\u6771\u4EAC \u5831\u544A")},
                                     {PIDSI_SUBJECT, Wide(L"Gr\u00FC\u00DFe")},
                                     {PIDSI_AUTHOR, Wide(L"Anna")},
                                     {PIDSI_KEYWORDS, Wide(L"a, b")},
                                     {PIDSI_COMMENTS, Wide(L"Notiz")},
                                     {PIDSI_TEMPLATE, Wide(L"Normal")},
                                     {PIDSI_LASTAUTHOR, Wide(L"Bernd")},
                                     {PIDSI_CREATE_DTM, Time(created)},
                                     {PIDSI_LASTSAVE_DTM, Time(saved)},
                                     {PIDSI_PAGECOUNT, Int(12)}}));
  DocFields f;
  f.title = L"from before";
  ASSERT_EQ(0, ReadFile(path, f));
  EXPECT_STREQ(L"\u6771\u4EAC \u5831\u544A", f.title.c_str());
  EXPECT_STREQ(L"Gr\u00FC\u00DFe", f.subject.c_str());
  EXPECT_STREQ(L"Anna", f.author.c_str());
  EXPECT_STREQ(L"a, b", f.keywords.c_str());
  EXPECT_STREQ(L"Notiz", f.comments.c_str());  // the page count only fills empty comments
  EXPECT_STREQ(L"Bernd", f.lastAuthor.c_str());
  const SYSTEMTIME c = Local(created), m = Local(saved);
  EXPECT_EQ(0, memcmp(&c, &f.created, sizeof c));
  EXPECT_EQ(0, memcmp(&m, &f.modified, sizeof m));
}

// A document saved by an office suite: its set holds UTF-8 texts in narrow strings.
TEST_F(BinaryOle, ReadsDocumentOfAnOfficeSuite) {
  binarytest::OpenDoc doc(binarytest::Fixture("binary_summary.doc"));
  ASSERT_TRUE(doc.IsOpen());
  DocFields f;
  ASSERT_EQ(0, docinfo::ReadOlePropertySets(doc.Source(), f));
  EXPECT_STREQ(L"Quartalsbericht K\u00F6ln \u6771\u4EAC", f.title.c_str());
  EXPECT_STREQ(L"Ums\u00E4tze", f.subject.c_str());
  EXPECT_STREQ(L"J\u00F6rg \u00C4hnlich", f.author.c_str());
  EXPECT_STREQ(L"Bericht, Zahlen", f.keywords.c_str());
  EXPECT_STREQ(L"Entwurf f\u00FCr die Sitzung", f.comments.c_str());
  EXPECT_STREQ(L"Bea Zweite", f.lastAuthor.c_str());
  SYSTEMTIME utc{2021, 4, 0, 5, 6, 7, 8, 0};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  const SYSTEMTIME created = Local(ULONGLONG{ft.dwHighDateTime} << 32 | ft.dwLowDateTime);
  EXPECT_EQ(created.wDay, f.created.wDay);
  EXPECT_EQ(created.wHour, f.created.wHour);
  EXPECT_EQ(8, f.created.wSecond);
  EXPECT_EQ(2022, f.modified.wYear);
}

// The office document with its summary stream damaged at random (fixed seed): lengths, offsets
// and counts pointing anywhere end with a result and no fault.
TEST_F(BinaryOle, DamagedSummaryStream) {
  const std::string original = testsupport::ReadFileBytes(binarytest::Fixture("binary_summary.doc"));
  const size_t stream = original.find(std::string("\xFE\xFF\0\0", 4));
  ASSERT_NE(std::string::npos, stream);
  std::mt19937 random(7);
  for (int i = 0; i < 60; ++i) {
    std::string bytes = original;
    for (int flips = 1 + random() % 6; flips > 0; --flips)
      bytes[stream + random() % 400] = static_cast<char>(i % 2 ? random() : 0xFF);
    DocFields f;
    const int result = binarytest::ReadBytes(docinfo::ReadOlePropertySets, dir_.File(L"damaged.doc"), bytes, f);
    EXPECT_TRUE(result == 0 || result == -1) << result;
  }
}

TEST_F(BinaryOle, PageCountFillsOnlyEmptyComments) {
  struct Case {
    const char* name;
    std::vector<Prop> props;
    DWORD flags;
    const wchar_t* comments;
  } cases[] = {
      {"page count, no comments", {{PIDSI_TITLE, Wide(L"T")}, {PIDSI_PAGECOUNT, Int(12)}}, PROPSETFLAG_DEFAULT, L"12 p"},
      {"page count, empty comments", {{PIDSI_COMMENTS, Wide(L"")}, {PIDSI_PAGECOUNT, Int(3)}}, PROPSETFLAG_DEFAULT,
       L"3 p"},
      {"no page count", {{PIDSI_TITLE, Wide(L"T")}}, PROPSETFLAG_DEFAULT, L"kept"},
      // A narrow set stores its texts in its code page.
      {"narrow set", {{PIDSI_COMMENTS, Narrow("S\xFC\xDF")}, {PIDSI_PAGECOUNT, Int(2)}}, PROPSETFLAG_ANSI,
       L"S\u00FC\u00DF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = dir_.File(L"pages.doc");
    ASSERT_TRUE(MakeSummaryFile(path, c.props, c.flags));
    DocFields f;
    f.comments = L"kept";
    if (c.comments != std::wstring(L"kept")) f.comments.Clear();
    ASSERT_EQ(0, ReadFile(path, f));
    EXPECT_STREQ(c.comments, f.comments.c_str());
  }
}

TEST_F(BinaryOle, OtherFilesAreNotOfThisFormat) {
  const std::wstring noSet = dir_.File(L"noset.doc"), text = dir_.File(L"text.doc");
  ASSERT_TRUE(MakeSummaryFile(noSet, {}));
  ASSERT_TRUE(testsupport::WriteFileBytes(text, "plain text, not a compound file"));
  for (const std::wstring& path : {noSet, text}) {
    DocFields f;
    f.title = L"kept";
    EXPECT_EQ(-1, ReadFile(path, f));
    EXPECT_STREQ(L"kept", f.title.c_str());
  }
}

}  // namespace

// Outlook message files built as compound files: subject, sender, recipients, dates, older 8-bit
// texts, a message held open by another program, and files that are not messages.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binary_test_util.h"
#include "foundation/com_ptr.h"
#include "support/debug_capture.h"

using docinfo::DocFields;

namespace {

bool PutStream(IStorage* storage, const wchar_t* name, const void* data, ULONG size) {
  clsAutoRelease<IStream> stream;
  if (FAILED(storage->CreateStream(name, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.Put())))
    return false;
  ULONG put = 0;
  return SUCCEEDED(stream->Write(data, size, &put)) && put == size;
}
bool PutText(IStorage* storage, ULONG id, const std::wstring& text) {
  wchar_t name[40];
  wsprintfW(name, L"__substg1.0_%04X001F", id);
  return PutStream(storage, name, text.data(), static_cast<ULONG>(text.size() * 2));
}

struct Recipient {
  std::wstring name, address;
};

// A message: properties by id, recipients, and the submit and delivery times (0: absent).
bool MakeMessage(const std::wstring& path, const std::vector<std::pair<ULONG, std::wstring>>& texts,
                 const std::vector<Recipient>& recipients, ULONGLONG submitted, ULONGLONG delivered,
                 const std::string& ansiSubject = "") {
  clsAutoRelease<IStorage> root;
  if (FAILED(StgCreateStorageEx(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE, 0,
                                nullptr, nullptr, IID_IStorage, reinterpret_cast<void**>(root.Put()))))
    return false;
  for (const auto& t : texts)
    if (!PutText(root.Get(), t.first, t.second)) return false;
  if (!ansiSubject.empty() &&
      !PutStream(root.Get(), L"__substg1.0_0037001E", ansiSubject.data(), static_cast<ULONG>(ansiSubject.size())))
    return false;
  for (size_t n = 0; n < recipients.size(); ++n) {
    wchar_t name[40];
    wsprintfW(name, L"__recip_version1.0_#%08X", static_cast<unsigned>(n));
    clsAutoRelease<IStorage> r;
    if (FAILED(root->CreateStorage(name, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, r.Put())) ||
        !PutText(r.Get(), 0x3001, recipients[n].name) || !PutText(r.Get(), 0x3003, recipients[n].address))
      return false;
  }
  // 32-byte header, then tag, flags, value.
  std::string props(32, '\0');
  auto entry = [&props](uint32_t tag, ULONGLONG value) {
    const size_t at = props.size();
    binarytest::Put32(props, at, tag);
    binarytest::Put32(props, at + 4, 6);
    binarytest::Put32(props, at + 8, static_cast<uint32_t>(value));
    binarytest::Put32(props, at + 12, static_cast<uint32_t>(value >> 32));
  };
  entry(0x0E070003, 1);  // message flags: an entry that is not a date
  if (submitted) entry(0x00390040, submitted);
  if (delivered) entry(0x0E060040, delivered);
  return PutStream(root.Get(), L"__properties_version1.0", props.data(), static_cast<ULONG>(props.size())) &&
         SUCCEEDED(root->Commit(STGC_DEFAULT));
}

int ReadMsg(const std::wstring& path, DocFields& f) {
  binarytest::OpenDoc doc(path);
  return doc.IsOpen() ? docinfo::ReadOutlookMessage(doc.Source(), f) : -1001;
}

WORD LocalYear(ULONGLONG utc) {
  FILETIME ft{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)}, local;
  SYSTEMTIME st{};
  FileTimeToLocalFileTime(&ft, &local);
  FileTimeToSystemTime(&local, &st);
  return st.wYear;
}

class BinaryMsg : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
};

TEST_F(BinaryMsg, ReadsSubjectSenderRecipientsAndDates) {
  const ULONGLONG submitted = 132000000000000000ull, delivered = 133000000000000000ull;
  const std::wstring path = dir_.File(L"mail.msg");
  ASSERT_TRUE(MakeMessage(path,
                          {{0x0037, L"Angebot f\u00FCr \u6771\u4EAC"},
                           {0x0042, L"Anna Gro\u00DF"},
                           {0x0065, L"anna@example.com"},
                           {0x0C1A, L"Assistant"}},
                          {{L"Bob", L"bob@example.com"}, {L"\u5C71\u7530", L"yamada@example.jp"}}, submitted,
                          delivered));
  DocFields f;
  ASSERT_EQ(0, ReadMsg(path, f));
  EXPECT_STREQ(L"Angebot f\u00FCr \u6771\u4EAC", f.title.c_str());
  EXPECT_STREQ(L"Anna Gro\u00DF <anna@example.com>", f.author.c_str());
  EXPECT_STREQ(L"Bob <bob@example.com>; \u5C71\u7530 <yamada@example.jp>", f.lastAuthor.c_str());
  EXPECT_EQ(LocalYear(submitted), f.created.wYear);
  EXPECT_EQ(LocalYear(delivered), f.modified.wYear);
  EXPECT_NE(f.created.wYear, f.modified.wYear);
}

TEST_F(BinaryMsg, SenderFallbacksAndOlderTexts) {
  struct Case {
    const char* name;
    std::vector<std::pair<ULONG, std::wstring>> texts;
    std::string ansiSubject;
    const wchar_t* title;
    const wchar_t* author;
  } cases[] = {
      {"sender name and address", {{0x0C1A, L"Carl"}, {0x0C1F, L"carl@example.com"}}, "", L"", L"Carl <carl@example.com>"},
      {"address only", {{0x0065, L"d@example.com"}}, "", L"", L"d@example.com"},
      {"8-bit subject", {}, "Gr\xFC\xDF" "e", L"Gr\u00FC\u00DFe", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = dir_.File(L"fallback.msg");
    ASSERT_TRUE(MakeMessage(path, c.texts, {}, 0, 0, c.ansiSubject));
    DocFields f;
    ASSERT_EQ(0, ReadMsg(path, f));
    EXPECT_STREQ(c.title, f.title.c_str());
    EXPECT_STREQ(c.author, f.author.c_str());
    EXPECT_STREQ(L"", f.lastAuthor.c_str());
    EXPECT_EQ(0, f.created.wYear);
  }
}

TEST_F(BinaryMsg, MessageHeldOpenShowsDashes) {
  const std::wstring path = dir_.File(L"held.msg");
  ASSERT_TRUE(MakeMessage(path, {{0x0037, L"Secret"}}, {{L"Bob", L"bob@example.com"}}, 0, 0));
  // A mail program showing the message: the file can be read, the storage is its alone.
  clsAutoRelease<IStorage> holder;
  ASSERT_EQ(S_OK, StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, holder.Put()));
  DocFields f;
  f.created.wYear = 2001;
  binarytest::OpenDoc doc(path);
  ASSERT_TRUE(doc.IsOpen());
  ASSERT_EQ(0, docinfo::ReadOutlookMessage(doc.Source(), f));
  for (const String* text : {&f.title, &f.subject, &f.author, &f.lastAuthor, &f.keywords, &f.comments})
    EXPECT_STREQ(L"---", text->c_str());
  EXPECT_EQ(2001, f.created.wYear);
}

TEST_F(BinaryMsg, TextMailIsNotOfThisFormat) {
  const std::wstring path = dir_.File(L"text.msg");
  ASSERT_TRUE(testsupport::WriteFileBytes(path, "Subject: plain\r\n\r\nbody\r\n"));
  testsupport::DebugCapture capture;
  DocFields f;
  EXPECT_EQ(-1, ReadMsg(path, f));
  EXPECT_TRUE(capture.Contains(L"err "));
  EXPECT_STREQ(L"", f.title.c_str());
}

}  // namespace

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "ovut19.h"

namespace {
std::wstring ToText(const std::string& data, BOOL compress) {
  int need = UtilConvertBLOBToString(data.data(), static_cast<DWORD>(data.size()), nullptr, 0, compress);
  std::wstring t(need, L'\0');
  EXPECT_EQ(UtilConvertBLOBToString(data.data(), static_cast<DWORD>(data.size()), &t[0], need, compress), 0);
  t.resize(need - 1);
  return t;
}
std::string FromText(const std::wstring& text) {
  int need = UtilConvertStringToBLOB(text.c_str(), nullptr, 0);
  EXPECT_GE(need, 0);
  std::string out(need, '\0');
  EXPECT_EQ(UtilConvertStringToBLOB(text.c_str(), &out[0], need), need);
  return out;
}
std::string Sample(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>((i * 7) ^ (i >> 3)));
  return s;
}
}  // namespace

TEST(ConvertExports, BlobRoundTripAndBufferRule) {
  EXPECT_EQ(ToText("foo", FALSE), L"Zm9v");
  EXPECT_EQ(ToText("f", FALSE), L"Zg==");
  for (BOOL compress : {FALSE, TRUE}) {
    std::string data = Sample(777);
    std::wstring t = ToText(data, compress);
    EXPECT_EQ(t.compare(0, 3, L"@2@") == 0, compress != FALSE);
    EXPECT_EQ(FromText(t), data);
  }
  // Buffer rule: needed size, cut with -44, exact fit 0.
  EXPECT_EQ(UtilConvertBLOBToString("foo", 3, nullptr, 0, FALSE), 5);
  wchar_t small[3] = {L'x', L'x', L'x'};
  EXPECT_EQ(UtilConvertBLOBToString("foo", 3, small, 3, FALSE), -44);
  EXPECT_STREQ(small, L"Zm");
  wchar_t fit[5];
  EXPECT_EQ(UtilConvertBLOBToString("foo", 3, fit, 5, FALSE), 0);
  EXPECT_STREQ(fit, L"Zm9v");
  // Size 0 is the empty text.
  EXPECT_EQ(UtilConvertBLOBToString(nullptr, 0, nullptr, 0, TRUE), 1);
  EXPECT_EQ(UtilConvertBLOBToString(nullptr, 5, fit, 5, TRUE), -2);

  char out[2];
  EXPECT_EQ(UtilConvertStringToBLOB(nullptr, out, 2), -2);
  EXPECT_EQ(UtilConvertStringToBLOB(L"Zm9v", out, 2), -1);  // 3 bytes do not fit
  EXPECT_EQ(UtilConvertStringToBLOB(L"", nullptr, 0), 0);
}

TEST(ConvertExports, StreamRoundTrip) {
  IStream* src = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &src), S_OK);
  std::string data = Sample(100000);
  ULONG put = 0;
  src->Write(data.data(), static_cast<ULONG>(data.size()), &put);
  // Encoded from the start whatever the position.
  int need = UtilConvertStreamToString(src, nullptr, 0, TRUE);
  ASSERT_GT(need, 4);
  std::wstring t(need, L'\0');
  ASSERT_EQ(UtilConvertStreamToString(src, &t[0], need, TRUE), 0);
  t.resize(need - 1);
  EXPECT_LT(t.size(), data.size() * 4 / 3);

  IStream* dst = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &dst), S_OK);
  std::string junk(200000, 'j');
  dst->Write(junk.data(), static_cast<ULONG>(junk.size()), &put);
  EXPECT_EQ(UtilConvertStringToStream(t.c_str(), dst), 0);
  STATSTG st{};
  dst->Stat(&st, STATFLAG_NONAME);
  EXPECT_EQ(st.cbSize.QuadPart, data.size());  // old content cut off
  std::string back(data.size(), '\0');
  ULONG got = 0;
  dst->Read(&back[0], static_cast<ULONG>(back.size()), &got);  // rewound by the call
  EXPECT_EQ(back, data);
  EXPECT_EQ(UtilConvertStringToStream(t.c_str(), nullptr), -2);
  EXPECT_EQ(UtilConvertStreamToString(nullptr, nullptr, 0, FALSE), -2);
  src->Release();
  dst->Release();
}

TEST(ConvertExports, HGlobalRoundTrip) {
  std::string data = Sample(5000);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, data.size());
  memcpy(GlobalLock(block), data.data(), data.size());
  GlobalUnlock(block);
  int need = UtilConvertHGLOBALToString(block, nullptr, 0, TRUE);
  std::wstring t(need, L'\0');
  ASSERT_EQ(UtilConvertHGLOBALToString(block, &t[0], need, TRUE), 0);
  t.resize(need - 1);
  EXPECT_EQ(GlobalSize(block), data.size());  // still the caller's block

  HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE, 16);  // replaced and freed by the call
  ASSERT_EQ(UtilConvertStringToHGLOBAL(t.c_str(), &out), 0);
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(GlobalSize(out), data.size());
  EXPECT_EQ(std::string(static_cast<char*>(GlobalLock(out)), data.size()), data);
  GlobalUnlock(out);
  GlobalFree(out);
  GlobalFree(block);
  EXPECT_EQ(UtilConvertStringToHGLOBAL(L"Zm9v", nullptr), -2);
  EXPECT_EQ(UtilConvertHGLOBALToString(nullptr, nullptr, 0, FALSE), -2);
}

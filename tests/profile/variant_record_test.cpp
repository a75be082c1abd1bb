#include <gtest/gtest.h>
#include <windows.h>
#include <oaidl.h>

#include <cstring>
#include <string>
#include <vector>

#include "profile/codec/base64.h"
#include "profile/variant_record.h"
#include "profile/variant_text.h"

using namespace ovut::profile;

namespace {

// A VARIANT that clears itself.
struct Var : VARIANT {
  Var() { VariantInit(this); }
  ~Var() { VariantClear(this); }
  Var(const Var&) = delete;
};

std::wstring TextOf(const VARIANT& v) {
  String t;
  EXPECT_TRUE(VariantToText(v, t));
  return t.c_str();
}

void Read(const std::wstring& text, VARIANT* out) { TextToVariant(text.c_str(), text.size(), out); }

std::vector<uint8_t> Record(const VARIANT& v) {
  ovut::codec::ByteBuffer r;
  EXPECT_TRUE(EncodeVariantRecord(v, r));
  return r;
}

std::wstring VarText(const std::vector<uint8_t>& record) {
  return L"var://" + std::wstring(ovut::codec::Base64Encode(record.data(), record.size()).c_str());
}

}  // namespace

// Every type of the record: its record size, and the value read back bit for bit.
TEST(VariantRecord, EveryTypeRoundTrips) {
  struct Case {
    VARTYPE vt;
    uint64_t bits;  // the first bytes of the value field
    size_t dataBytes;
  };
  const Case cases[] = {
      {VT_EMPTY, 0, 0},           {VT_NULL, 0, 0},
      {VT_I1, 0x80, 1},           {VT_UI1, 0xFE, 1},
      {VT_I2, 0x8001, 2},         {VT_BOOL, 0xFFFF, 2},
      {VT_UI2, 0xBEEF, 2},        {VT_I4, 0x80000007, 4},
      {VT_R4, 0x40490FDB, 4},     {VT_ERROR, 0x80004005, 4},
      {VT_UI4, 0xFFFFFFFE, 4},    {VT_INT, 0x12345678, 4},
      {VT_UINT, 0x87654321, 4},   {VT_R8, 0x400921FB54442D18ull, 8},
      {VT_CY, 0x8000000000000001ull, 8}, {VT_DATE, 0x40E5F4E000000000ull, 8},
      {VT_I8, 0xFEDCBA9876543210ull, 8}, {VT_UI8, 0x0123456789ABCDEFull, 8},
      {VT_FILETIME, 0x01D9A1B2C3D4E5F6ull, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vt);
    Var v;
    v.vt = c.vt;
    std::memcpy(&v.llVal, &c.bits, 8);
    std::vector<uint8_t> r = Record(v);
    ASSERT_EQ(r.size(), 2 + c.dataBytes);
    EXPECT_EQ(r[0] | (r[1] << 8), c.vt);
    Var back;
    back.vt = VT_I4;  // overwritten
    Read(TextOf(v), &back);
    EXPECT_EQ(back.vt, c.vt);
    uint64_t got = 0, want = 0;
    std::memcpy(&got, &back.llVal, c.dataBytes);
    std::memcpy(&want, &c.bits, c.dataBytes);
    EXPECT_EQ(got, want);
  }
}

TEST(VariantRecord, FixedTextsAndTypesItCannotCarry) {
  Var i4;
  i4.vt = VT_I4;
  i4.lVal = 7;
  EXPECT_EQ(TextOf(i4), L"var://AwAHAAAA");  // 03 00 07 00 00 00

  // Stored as the type alone, read back as VT_EMPTY: a VT_CLSID only points at a GUID held
  // elsewhere, and neither arrays nor decimals fit the record.
  GUID g = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  Var clsid;
  clsid.vt = VT_CLSID;
  clsid.byref = &g;
  Var dec;
  dec.decVal.Lo64 = 5;
  dec.vt = VT_DECIMAL;
  Var arr;
  arr.vt = VT_ARRAY | VT_I4;
  arr.parray = SafeArrayCreateVector(VT_I4, 0, 3);
  for (const VARIANT* v : {static_cast<VARIANT*>(&clsid), static_cast<VARIANT*>(&dec), static_cast<VARIANT*>(&arr)}) {
    std::vector<uint8_t> r = Record(*v);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0] | (r[1] << 8), v->vt);
    Var back;
    Read(TextOf(*v), &back);
    EXPECT_EQ(back.vt, VT_EMPTY);
  }
  clsid.vt = VT_EMPTY;  // not ours to free
}

// Older files stored only 2 bytes of a VT_FILETIME and 4 bytes (a pointer) of a VT_CLSID.
TEST(VariantRecord, OlderRecordsOfFiletimeAndClsid) {
  VARIANT ft;
  std::memset(&ft, 0xFF, sizeof ft);  // what a short record does not carry must not show through
  const uint8_t oldFiletime[] = {64, 0, 0x34, 0x12};
  DecodeVariantRecord(oldFiletime, sizeof oldFiletime, ft);
  EXPECT_EQ(ft.vt, VT_FILETIME);
  EXPECT_EQ(ft.ullVal, 0x1234u);
  Var clsid;
  Read(VarText({72, 0, 1, 2, 3, 4}), &clsid);
  EXPECT_EQ(clsid.vt, VT_EMPTY);
}

TEST(VariantRecord, ByReferenceValuesAreStoredAsWhatTheyReferTo) {
  LONG l = -5;
  BSTR s = SysAllocString(L"ref");
  FILETIME f = {0x89ABCDEF, 0x01234567};
  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_I4 | VT_BYREF;
  inner.plVal = &l;
  Var i4, bstr, ft, viaVariant;
  i4.vt = VT_I4 | VT_BYREF;
  i4.plVal = &l;
  bstr.vt = VT_BSTR | VT_BYREF;
  bstr.pbstrVal = &s;
  ft.vt = VT_FILETIME | VT_BYREF;
  ft.byref = &f;
  viaVariant.vt = VT_VARIANT | VT_BYREF;
  viaVariant.pvarVal = &inner;

  Var back;
  Read(TextOf(i4), &back);
  EXPECT_EQ(back.vt, VT_I4);
  EXPECT_EQ(back.lVal, -5);
  Read(TextOf(viaVariant), &back);
  EXPECT_EQ(back.vt, VT_I4);
  EXPECT_EQ(back.lVal, -5);
  Read(TextOf(bstr), &back);
  ASSERT_EQ(back.vt, VT_BSTR);
  EXPECT_STREQ(back.bstrVal, L"ref");
  Read(TextOf(ft), &back);
  EXPECT_EQ(back.vt, VT_FILETIME);
  EXPECT_EQ(back.ullVal, 0x0123456789ABCDEFull);

  // A null reference has no value to store.
  Var nullRef;
  nullRef.vt = VT_I4 | VT_BYREF;
  EXPECT_EQ(Record(nullRef), (std::vector<uint8_t>{0, 0}));
  for (Var* v : {&i4, &bstr, &ft, &viaVariant, &nullRef}) v->vt = VT_EMPTY;  // refer to locals
  SysFreeString(s);
}

TEST(VariantRecord, StringsCompressAbove100Bytes) {
  for (size_t n : {0u, 1u, 49u, 50u, 5000u}) {
    SCOPED_TRACE(n);
    std::wstring chars(n, L'\0');
    for (size_t i = 0; i < n; ++i) chars[i] = static_cast<wchar_t>(L'a' + i % 26);
    Var v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(chars.c_str(), static_cast<UINT>(n));
    std::wstring text = TextOf(v);
    // 49 characters make a 100-byte record, stored plain; 50 make 102, stored compressed.
    EXPECT_EQ(text.compare(0, 9, L"var://@2@") == 0, n >= 50) << text;
    Var back;
    Read(text, &back);
    ASSERT_EQ(back.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(back.bstrVal, SysStringLen(back.bstrVal)), chars);
  }
  // A null BSTR is the empty text; an embedded NUL ends the text.
  Var null, nul;
  null.vt = VT_BSTR;
  nul.vt = VT_BSTR;
  nul.bstrVal = SysAllocStringLen(L"ab\0cd", 5);
  Var back;
  Read(TextOf(null), &back);
  ASSERT_EQ(back.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(back.bstrVal), 0u);
  Read(TextOf(nul), &back);
  ASSERT_EQ(back.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(back.bstrVal, SysStringLen(back.bstrVal)), L"ab");
}

TEST(VariantRecord, PlainAndDamagedTexts) {
  struct Case {
    const wchar_t* text;
    VARTYPE vt;
  };
  const Case cases[] = {
      {L"", VT_EMPTY},
      {L"Hello", VT_BSTR},
      {L"VAR://AwAHAAAA", VT_BSTR},  // the prefix is case-sensitive
      {L"var://", VT_EMPTY},
      {L"var://!!!!", VT_EMPTY},        // nothing of the alphabet
      {L"var://Aw==", VT_EMPTY},        // one byte: no VARTYPE
      {L"var://AwAHAA==", VT_EMPTY},    // VT_I4 with 2 of its 4 bytes
      {L"var://BQAB", VT_EMPTY},        // VT_R8 with 1 byte
      {L"var://QAAB", VT_EMPTY},        // VT_FILETIME with 1 byte
      {L"var://@2@AAAA", VT_EMPTY},     // packed form too short for a header
      // Packed header claiming 0xFFFFFFFF bytes, then the marker and no zlib data.
      {L"var://@2@/////1plTF9QYWNrZWQAeJw=", VT_EMPTY},
      {L"var://@1@/////3icAwAAAAAB", VT_EMPTY},  // old form with a huge length
      {L"var://A\x1" L"w\x7F" L"\xFFFF" L"AHAAAA", VT_I4},  // foreign units are skipped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Var back;
    Read(c.text, &back);
    EXPECT_EQ(back.vt, c.vt);
    if (c.vt == VT_BSTR) { EXPECT_STREQ(back.bstrVal, c.text); }
  }
}

TEST(VariantRecord, CopyResolvedHandlesWhatThePlatformCopyRefuses) {
  Var out;
  out.vt = VT_BSTR;
  out.bstrVal = SysAllocString(L"old");  // cleared, not leaked
  CopyVariantResolved(&out, nullptr);
  EXPECT_EQ(out.vt, VT_EMPTY);

  FILETIME f = {1, 2};
  Var ft, ftRef;
  std::memcpy(&ft.llVal, &f, sizeof f);
  ft.vt = VT_FILETIME;
  ftRef.vt = VT_FILETIME | VT_BYREF;
  ftRef.byref = &f;
  for (VARIANT* src : {static_cast<VARIANT*>(&ft), static_cast<VARIANT*>(&ftRef)}) {
    CopyVariantResolved(&out, src);
    EXPECT_EQ(out.vt, VT_FILETIME);
    EXPECT_EQ(out.ullVal, 0x200000001ull);
  }
  ftRef.vt = VT_EMPTY;

  GUID g{};
  Var clsid;
  clsid.vt = VT_CLSID;
  clsid.byref = &g;
  CopyVariantResolved(&out, &clsid);
  EXPECT_EQ(out.vt, VT_CLSID);
  EXPECT_EQ(out.byref, &g);
  out.vt = VT_EMPTY;
  clsid.vt = VT_EMPTY;

  // The same VARIANT as source and target.
  Var self;
  self.vt = VT_BSTR;
  self.bstrVal = SysAllocString(L"self");
  CopyVariantResolved(&self, &self);
  ASSERT_EQ(self.vt, VT_BSTR);
  EXPECT_STREQ(self.bstrVal, L"self");
}

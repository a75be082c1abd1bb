// Helpers of the text-format reader tests: a reader run over a checked-in sample or over bytes
// written to a temporary file.
#pragma once
#include <windows.h>

#include <string>

#include "docinfo/doc_fields.h"
#include "support/test_support.h"

namespace textreaders {

using Reader = int (*)(const docinfo::DocSource&, docinfo::DocFields&) noexcept;

// Windows path of a file in tests/docinfo/fixtures.
inline std::wstring Fixture(const char* name) {
  std::string unixPath = std::string(OVUT_TEXT_FIXTURES) + "/" + name;
  std::wstring path = L"Z:";
  for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

// Hostile files must come back within a second; the bound leaves room for a loaded machine (and
// for the 32-bit tests, which run emulated several times slower) and only catches work that
// grows with what the file declares.
constexpr DWORD kQuickMs = sizeof(void*) == 4 ? 10000 : 2000;

struct ReadRun {
  int result = -100;
  docinfo::DocFields fields;
  DWORD milliseconds = 0;
};

inline ReadRun ReadPath(Reader reader, const std::wstring& path) {
  ReadRun run;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return run;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  const docinfo::DocSource source{path.c_str(), h, static_cast<ULONGLONG>(size.QuadPart)};
  const ULONGLONG start = GetTickCount64();
  run.result = reader(source, run.fields);
  run.milliseconds = static_cast<DWORD>(GetTickCount64() - start);
  CloseHandle(h);
  return run;
}

inline ReadRun ReadFixture(Reader reader, const char* name) { return ReadPath(reader, Fixture(name)); }

inline ReadRun ReadBytes(Reader reader, const std::string& bytes, const wchar_t* name = L"sample.bin") {
  testsupport::TempDir dir;
  const std::wstring path = dir.File(name);
  if (!testsupport::WriteFileBytes(path, bytes)) return ReadRun();
  return ReadPath(reader, path);
}

inline std::string Narrow(const String& s) {
  int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.Length()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.Length()), &out[0], n, nullptr, nullptr);
  return out;
}

// A local SYSTEMTIME for a UTC time, as the readers produce for zoned dates.
inline SYSTEMTIME LocalOfUtc(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
  SYSTEMTIME utc{};
  utc.wYear = y, utc.wMonth = mo, utc.wDay = d, utc.wHour = h, utc.wMinute = mi, utc.wSecond = s;
  FILETIME ft, lt;
  SystemTimeToFileTime(&utc, &ft);
  FileTimeToLocalFileTime(&ft, &lt);
  SYSTEMTIME local{};
  FileTimeToSystemTime(&lt, &local);
  return local;
}

inline std::string DateText(const SYSTEMTIME& t) {
  char b[40];
  wsprintfA(b, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  return b;
}

}  // namespace textreaders

// Fields compared as UTF-8 so that failures print readable text.
#define EXPECT_FIELD(value, expected) EXPECT_EQ(textreaders::Narrow(value), std::string(expected))
#define EXPECT_DATE(value, expected) EXPECT_EQ(textreaders::DateText(value), textreaders::DateText(expected))

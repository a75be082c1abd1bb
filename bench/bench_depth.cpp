// Costs against the length of the input: each figure is taken for N and for 10 N, so a linear
// cost shows as a ratio of about 10 and a quadratic one as about 100. Paths of many segments
// (beyond the depth bound they make nothing), very long segments, text nesting lists far past
// the bound (the load fails at the bound), and XFDF values of many lines.
#include <windows.h>

#include "bench_clock.h"

#include <cstdio>
#include <string>

#include "dll/lifecycle.h"
#include "ovut19.h"

namespace {

volatile size_t g_sink;  // keeps the measured call from being optimised away

template <typename F>
double Seconds(F body) {
  double t0 = Now();
  body();
  return Now() - t0;
}

std::wstring Path(int segments, const wchar_t* segment) {
  std::wstring p;
  for (int i = 0; i < segments; ++i) (p += segment) += L'/';
  return p + L"leaf";
}

// Writes the bytes to a temporary file, opens it as a profile and saves it back in the XML form.
void OpenAndSave(const void* bytes, size_t size) {
  wchar_t path[MAX_PATH], dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"dep", 0, path);
  HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  WriteFile(h, bytes, static_cast<DWORD>(size), &done, nullptr);
  CloseHandle(h);
  HPROFJOB j = ProfJobOpenW(path);
  ProfSaveW(j, path, 1);
  ProfJobClose(j);
  DeleteFileW(path);
}

template <typename F>
void Compare(const char* what, int n, F op) {
  double small = Seconds([&] { op(n); });
  double large = Seconds([&] { op(10 * n); });
  std::printf("%-44s %7d: %9.2f ms %7d: %9.2f ms  ratio %6.1f\n", what, n, small * 1e3, 10 * n, large * 1e3,
              small > 0 ? large / small : 0.0);
}

// The same operation on a path of n and of 10 n segments, built before the clock starts; each
// runs kRounds times.
template <typename T, typename F>
void ComparePaths(const char* what, int n, const T& small, const T& large, F op) {
  const int kRounds = 20;
  double a = Seconds([&] {
    for (int i = 0; i < kRounds; ++i) op(small);
  });
  double b = Seconds([&] {
    for (int i = 0; i < kRounds; ++i) op(large);
  });
  std::printf("%-44s %7d: %9.2f ms %7d: %9.2f ms  ratio %6.1f\n", what, n, a * 1e3 / kRounds, 10 * n,
              b * 1e3 / kRounds, a > 0 ? b / a : 0.0);
}

}  // namespace

int main() {
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  const int n = 20000;
  wchar_t buf[16];
  HPROFJOB shallow = ProfJobOpenW(nullptr);  // 500 levels of "s" the deep paths walk into
  ProfSetStringW(shallow, 0, Path(500, L"s").c_str(), L"v");
  // Paths of 200,000 and 2,000,000 segments: both take the same (page-mapped) kind of heap block,
  // so the ratio shows the algorithm rather than the allocator.
  const int segments = 10 * n;
  const std::wstring small = Path(segments, L"s"), large = Path(10 * segments, L"s");
  const std::string smallA(small.begin(), small.end()), largeA(large.begin(), large.end());
  ComparePaths("ProfSetStringW deep path", segments, small, large, [&](const std::wstring& p) {
    ProfSetStringW(shallow, 0, p.c_str(), L"v");
  });
  ComparePaths("ProfSetIntA deep path", segments, smallA, largeA, [&](const std::string& p) {
    ProfSetIntA(shallow, 0, p.c_str(), 1);
  });
  ComparePaths("ProfAppendListW deep path", segments, small, large, [&](const std::wstring& p) {
    ProfAppendListW(shallow, 0, p.c_str());
  });
  ComparePaths("ProfCreateListW deep path", segments, small, large, [&](const std::wstring& p) {
    ProfCreateListW(shallow, 0, p.c_str());
  });
  ComparePaths("ProfGetStringW deep path", segments, small, large, [&](const std::wstring& p) {
    ProfGetStringW(shallow, 0, p.c_str(), buf, 16, nullptr);
  });
  ComparePaths("ProfGetIntA deep path", segments, smallA, largeA, [&](const std::string& p) {
    int v;
    ProfGetIntA(shallow, 0, p.c_str(), &v, 0);
  });
  ComparePaths("ProfDeleteItemW deep path", segments, small, large, [&](const std::wstring& p) {
    ProfDeleteItemW(shallow, 0, p.c_str());
  });
  ComparePaths("ProfDeleteListW deep path", segments, small, large, [&](const std::wstring& p) {
    ProfDeleteListW(shallow, 0, p.c_str());
  });
  ProfJobClose(shallow);
  const std::wstring seg(size_t(n) * 25, L'x'), seg10(size_t(n) * 250, L'x');
  const std::wstring longSmall = seg + L"/" + seg + L"/" + seg, longLarge = seg10 + L"/" + seg10 + L"/" + seg10;
  ComparePaths("ProfSetStringW+Get 3 segments of 25 N", n, longSmall, longLarge, [&](const std::wstring& p) {
    HPROFJOB j = ProfJobOpenW(nullptr);
    ProfSetStringW(j, 0, p.c_str(), L"v");
    ProfGetStringW(j, 0, p.c_str(), buf, 16, nullptr);
    ProfJobClose(j);
  });
  ComparePaths("wcslen of the same path (for scale)", n, longSmall, longLarge, [&](const std::wstring& p) {
    g_sink = g_sink + wcslen(p.c_str());
  });
  Compare("open and save deep UTF-16 INI ([d] { lines)", n, [&](int k) {
    std::wstring ini = L"\xFEFF[/]\r\n{\r\n";
    for (int i = 0; i < k; ++i) ini += L"[d]\r\n{\r\n";
    OpenAndSave(ini.data(), ini.size() * 2);
  });
  Compare("open and save XFDF value of N lines", n, [&](int k) {
    std::string x = "<xfdf x>\r\n<field name=\"a\">\r\n<value>";
    for (int i = 0; i < k; ++i) x += "line\r\n";
    x += "</value>\r\n</field>\r\n";
    OpenAndSave(x.data(), x.size());
  });
  ovut::ProcessDetach();
  return 0;
}

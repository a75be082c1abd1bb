// clsRegEx::Exec against PCRE2 called directly with the same pattern (JIT, match data reused):
// the wrapper's overhead is the match list it fills (one String per group).
#include <pcre2.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "foundation/regex.h"

namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void Compare(const char* label, const wchar_t* pattern, const std::wstring& subject, int rounds) {
  clsRegEx re(pattern);
  clsRegExMatchList list;
  re.Exec(subject.c_str(), subject.size(), &list);  // compiles
  auto t0 = Clock::now();
  int hits = 0;
  for (int i = 0; i < rounds; ++i) hits += re.Exec(subject.c_str(), subject.size(), &list);
  const double wrapped = Since(t0);
  t0 = Clock::now();
  for (int i = 0; i < rounds; ++i) hits += re.Exec(subject.c_str(), subject.size(), nullptr);
  const double noList = Since(t0);

  int err = 0;
  PCRE2_SIZE off = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0, &err, &off, nullptr);
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(code, nullptr);
  t0 = Clock::now();
  for (int i = 0; i < rounds; ++i)
    hits += pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.c_str()), subject.size(), 0, 0, md, nullptr) > 0;
  const double direct = Since(t0);
  pcre2_match_data_free(md);
  pcre2_code_free(code);

  std::printf("%-28s clsRegEx %7.0f ns (no list %6.0f ns)  PCRE2 %6.0f ns  overhead %+6.0f ns  [%d]\n", 
              label, wrapped / rounds * 1e9,
              noList / rounds * 1e9, direct / rounds * 1e9, (wrapped - direct) / rounds * 1e9, hits);
}

}  // namespace

int main() {
  const int kRounds = 200000;
  Compare("drive path, 3 records", L"(?i)^([A-Z]:)(.*)$", L"C:\\Users\\someone\\Documents\\report 2024.docx", kRounds);
  std::wstring line = L"INFO 12:00:01 the profile was saved to disk after the user pressed the button; ";
  for (int i = 0; i < 8; ++i) line += line.substr(0, 80);
  line += L"created 2024-05-17 by the writer";
  Compare("date in 1 KB line, 4 rec.", L"(\\d{4})-(\\d{2})-(\\d{2})", line, kRounds / 4);
  Compare("no match in 1 KB line", L"(\\d{4})-(\\d{2})-(\\d{2})x", line, kRounds / 4);
  return 0;
}

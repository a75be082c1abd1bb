// Locale text to SYSTEMTIME per call (patterns cached) next to the platform's VarDateFromStr on
// the same texts and locale; mail dates per call. Ends with summary lines:
// figure | ours | peer | ratio | target.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <vector>

#include "bench_clock.h"
#include "dll/lifecycle.h"
#include "locale/locale_date.h"
#include "locale/mail_date.h"

namespace {

template <class F>
double NsPerCall(int calls, F&& f) {
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    const double t0 = Now();
    for (int i = 0; i < calls; ++i) f(i);
    const double ns = (Now() - t0) / calls * 1e9;
    if (ns < best) best = ns;
  }
  return best;
}

}  // namespace

int main() {
  ovut::ProcessAttach(GetModuleHandleW(nullptr));
  const int kCalls = 50000;

  struct Set {
    const char* name;
    LCID lcid;
    std::vector<const wchar_t*> texts;
  } sets[] = {
      {"German d.M.yyyy", 0x0407, {L"5.3.2024 14:30:15", L"31.12.1999", L"1.1.2030 0:00:01", L"29.02.2024 23:59"}},
      {"US English M/d/yyyy, 12 h", 0x0409, {L"3/5/2024 2:30:15 PM", L"12/31/1999", L"1/1/2030 12:00:01 AM", L"2/29/2024 11:59 PM"}},
      {"Japanese yyyy/M/d", 0x0411, {L"2024/3/5 14:30:15", L"1999/12/31", L"2030/1/1 0:00:01", L"2024/2/29 23:59"}},
  };
  double oursTotal = 0, peerTotal = 0;
  std::printf("locale text to SYSTEMTIME, %d calls per figure (best of 3), same texts for both:\n", kCalls);
  for (const Set& s : sets) {
    std::vector<BSTR> bstrs;
    for (const wchar_t* t : s.texts) bstrs.push_back(SysAllocString(t));
    const size_t n = s.texts.size();
    int failures = 0;
    const double ours = NsPerCall(kCalls, [&](int i) {
      SYSTEMTIME st;
      failures += ovut::locale::SystemTimeFromLocaleText(s.lcid, bstrs[i % n], &st, false) != 0;
    });
    const double peer = NsPerCall(kCalls, [&](int i) {
      DATE d;
      failures += FAILED(VarDateFromStr(bstrs[i % n], s.lcid, 0, &d));
    });
    std::printf("  %-28s ours %7.0f ns   VarDateFromStr %7.0f ns   x%.2f%s\n", s.name, ours, peer, ours / peer,
                failures ? "  (some texts failed)" : "");
    oursTotal += ours;
    peerTotal += peer;
    for (BSTR b : bstrs) SysFreeString(b);
  }

  const wchar_t* mails[] = {L"Tue, 5 Mar 2024 10:00:00 +0200", L"Tue, 1 Oct 2024 10:00 EST",
                            L"5 Mar 2024 10:00:00 GMT", L"Thu, 1 Feb 24 00:15:00 -0130 (comment)"};
  const double mail = NsPerCall(kCalls, [&](int i) {
    SYSTEMTIME st;
    ovut::locale::MailDateToSystemTime(mails[i % 4], &st);
  });
  std::printf("mail date to SYSTEMTIME: %7.0f ns per call\n", mail);

  const double ours = oursTotal / 3, peer = peerTotal / 3;
  std::printf("summary: figure | ours | peer | ratio | target\n");
  std::printf("summary: locale text to SYSTEMTIME, ns/call | %.0f | %.0f (VarDateFromStr) | x%.2f | <= x1.00 %s\n", ours,
              peer, ours / peer, ours <= peer ? "met" : "NOT met");
  std::printf("summary: mail date to SYSTEMTIME, ns/call | %.0f | - | - | -\n", mail);
  ovut::ProcessDetach();
  return 0;
}

// Shared by the profile DLL tests: a job that closes itself, and value reading helpers.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "ovut19.h"

namespace proftest {

class Job {
 public:
  Job() : h_(ProfJobOpenW(nullptr)) {}
  ~Job() { ProfJobClose(h_); }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;
  operator HPROFJOB() const { return h_; }  // NOLINT

 private:
  HPROFJOB h_;
};

// The stored text of a value item, or "<missing>".
inline std::wstring Get(HPROFJOB job, HPROFLIST list, const wchar_t* name) {
  int n = ProfGetStringW(job, list, name, nullptr, 0, nullptr);
  if (n < 0) return L"<missing>";
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  ProfGetStringW(job, list, name, &s[0], n + 1, nullptr);
  s.resize(static_cast<size_t>(n));
  return s;
}

inline int WINAPI CollectItem(HPROFJOB, LPCWSTR name, LPCWSTR value, HPROFLIST sub, INT_PTR user) {
  auto* s = reinterpret_cast<std::wstring*>(user);
  if (!s->empty()) *s += L";";
  *s += sub ? L"[" + std::wstring(name) + L"]" : std::wstring(name) + L"=" + value;
  return 1;
}

// The items of a list as "name=value" / "[name]" joined by ";", one level.
inline std::wstring Items(HPROFJOB job, HPROFLIST list) {
  std::wstring out;
  ProfEnumW(job, list, CollectItem, reinterpret_cast<INT_PTR>(&out));
  return out;
}

}  // namespace proftest

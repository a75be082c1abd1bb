// One round of the cross-process save/load test, shared by the test and its peer program.
#pragma once
#include <windows.h>

#include <string>

#include "ovut19.h"

namespace proflock {

constexpr int kItems = 200;

// A load is whole when it has every item and all of them carry the same tag.
inline bool LoadIsWhole(const wchar_t* file) {
  HPROFJOB job = ProfJobOpenW(file);
  bool whole = ProfGetError(job) == 0;
  std::wstring first;
  for (int i = 0; whole && i < kItems; ++i) {
    wchar_t name[32], value[64] = L"";
    wsprintfW(name, L"Items/k%d", i);
    ProfGetStringW(job, 0, name, value, 64, L"");
    if (i == 0) first = value;
    whole = value[0] != 0 && first == value;
  }
  ProfJobClose(job);
  return whole;
}

inline bool SaveAndCheck(const wchar_t* file, const wchar_t* tag) {
  HPROFJOB job = ProfJobOpenW(nullptr);
  for (int i = 0; i < kItems; ++i) {
    wchar_t name[32];
    wsprintfW(name, L"k%d", i);
    std::wstring path = std::wstring(L"Items/") + name;
    ProfSetStringW(job, 0, path.c_str(), tag);
  }
  int saved = ProfSaveW(job, file, 1);
  ProfJobClose(job);
  return saved == 0 && LoadIsWhole(file);
}

}  // namespace proflock

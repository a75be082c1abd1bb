// Registry values and program copies for the process-policy tests.
#pragma once
#include <windows.h>

#include <string>

#include "support/test_support.h"

namespace envtest {

// Sets a value for the span of a test and puts the previous state back.
class ScopedRegValue {
 public:
  ScopedRegValue(HKEY root, const wchar_t* key, const wchar_t* name) : root_(root), key_(key), name_(name) {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type_, old_, &size) == ERROR_SUCCESS;
    oldSize_ = size;
  }
  ScopedRegValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text)
      : ScopedRegValue(root, key, name) {
    RegSetKeyValueW(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  ScopedRegValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD value) : ScopedRegValue(root, key, name) {
    RegSetKeyValueW(root, key, name, REG_DWORD, &value, sizeof value);
  }
  ~ScopedRegValue() {
    if (had_) RegSetKeyValueW(root_, key_, name_, type_, old_, oldSize_);
    else RegDeleteKeyValueW(root_, key_, name_);
  }
  void Delete() { RegDeleteKeyValueW(root_, key_, name_); }

 private:
  HKEY root_;
  const wchar_t* key_;
  const wchar_t* name_;
  bool had_ = false;
  DWORD type_ = 0, oldSize_ = 0;
  BYTE old_[2048];
};

// A copy of the probe program under another name, next to the DLL; removed when this ends.
class ProbeCopy {
 public:
  explicit ProbeCopy(const std::wstring& fileName) : path_(testsupport::ProgramFolder() + L"\\" + fileName) {
    CopyFileW((testsupport::ProgramFolder() + L"\\env_probe.exe").c_str(), path_.c_str(), FALSE);
  }
  ~ProbeCopy() { DeleteFileW(path_.c_str()); }
  int Run(const wchar_t* command = L"type") const {
    return testsupport::RunProcess(L"\"" + path_ + L"\" " + command);
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace envtest

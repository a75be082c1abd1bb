// Small helpers shared by the test programs.
#pragma once
#include <windows.h>

#include <string>

namespace testsupport {

// A fresh folder under the temporary folder, removed with its files when the object ends.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::wstring& path() const { return path_; }
  std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Folder of the running test program (where the DLL and the helper programs are).
std::wstring ProgramFolder();
// Runs a program with a command line and waits; returns its exit code, or -1.
int RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000);
// Sets a file's last-write time to `minutes` before now; false when the file cannot be changed.
bool SetFileAgeMinutes(const std::wstring& path, ULONGLONG minutes);

}  // namespace testsupport

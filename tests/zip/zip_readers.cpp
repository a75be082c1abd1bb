#include "zip/zip_readers.h"

#include <windows.h>

#include <cstdlib>

#include "support/test_support.h"

namespace ziptest {

std::string UnixPath(const std::wstring& windowsPath) {
  using Fn = char*(CDECL*)(LPCWSTR);
  static Fn toUnix = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return std::string();
  char* p = toUnix(windowsPath.c_str());
  if (!p) return std::string();
  std::string s(p);
  HeapFree(GetProcessHeap(), 0, p);
  return s;
}

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

testsupport::TempDir& WorkFolder() {
  static testsupport::TempDir dir;
  return dir;
}

}  // namespace

// Wine's "start /unix" runs a Linux program but neither waits for it nor passes its exit code
// back, so the script records both its output and its exit code, and the caller polls for them.
int RunUnix(const std::string& commandLine, std::string* output) {
  static LONG counter = 0;
  const std::wstring stem = WorkFolder().File((L"run" + std::to_wstring(InterlockedIncrement(&counter))).c_str());
  const std::wstring script = stem + L".sh", out = stem + L".out", rc = stem + L".rc";
  const std::string outUnix = UnixPath(out), rcUnix = UnixPath(rc);
  if (outUnix.empty()) return -1;
  const std::string body = commandLine + " >" + Quote(outUnix) + " 2>&1\necho $? >" + Quote(rcUnix + ".tmp") +
                           " && mv " + Quote(rcUnix + ".tmp") + " " + Quote(rcUnix) + "\n";
  if (!testsupport::WriteFileBytes(script, body)) return -1;
  std::wstring cmd = L"start.exe /unix /bin/sh \"";
  for (char c : UnixPath(script)) cmd += static_cast<wchar_t>(static_cast<unsigned char>(c));
  cmd += L"\"";
  if (testsupport::RunProcess(cmd, 30000) != 0) return -1;
  int code = -1;
  for (int waited = 0; waited < 300000; waited += 20) {
    std::string text = testsupport::ReadFileBytes(rc);
    if (!text.empty()) {
      code = atoi(text.c_str());
      break;
    }
    Sleep(20);
  }
  if (output) *output = testsupport::ReadFileBytes(out);
  DeleteFileW(script.c_str());
  DeleteFileW(out.c_str());
  DeleteFileW(rc.c_str());
  return code;
}

bool ReadersAvailable() {
  static int state = -1;
  if (state < 0) state = RunUnix("/usr/bin/python3 -c 'import zipfile' && /usr/bin/unzip -v") == 0 ? 1 : 0;
  return state == 1;
}

::testing::AssertionResult ReadersAccept(const std::wstring& archive) {
  const std::string path = Quote(UnixPath(archive));
  std::string log;
  int rc = RunUnix("/usr/bin/python3 -m zipfile -t " + path, &log);
  // zipfile -t reports a bad member in its output, not in its exit code.
  if (rc != 0 || log.find("Done testing") == std::string::npos || log.find("corrupted") != std::string::npos)
    return ::testing::AssertionFailure() << "python3 -m zipfile -t (" << rc << "): " << log;
  rc = RunUnix("/usr/bin/unzip -t " + path, &log);
  // unzip warns about an archive without entries (exit code 1) but reads it.
  const bool emptyWarning = rc == 1 && log.find("zipfile is empty") != std::string::npos;
  if (rc != 0 && !emptyWarning) return ::testing::AssertionFailure() << "unzip -t (" << rc << "): " << log;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult UnpackWithUnzip(const std::wstring& archive, const std::wstring& folder) {
  CreateDirectoryW(folder.c_str(), nullptr);
  std::string log;
  int rc = RunUnix("/usr/bin/unzip -qq -o " + Quote(UnixPath(archive)) + " -d " + Quote(UnixPath(folder)), &log);
  if (rc != 0) return ::testing::AssertionFailure() << "unzip (" << rc << "): " << log;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult UnpackWithPython(const std::wstring& archive, const std::wstring& folder) {
  CreateDirectoryW(folder.c_str(), nullptr);
  std::string log;
  int rc = RunUnix("/usr/bin/python3 -m zipfile -e " + Quote(UnixPath(archive)) + " " + Quote(UnixPath(folder)), &log);
  if (rc != 0) return ::testing::AssertionFailure() << "python3 -m zipfile -e (" << rc << "): " << log;
  return ::testing::AssertionSuccess();
}

}  // namespace ziptest

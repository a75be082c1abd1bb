// "embed" and "extract": files carried inside a profile as "File.Entry" lists, optionally
// enciphered with a password.
#include <windows.h>

#include <cwchar>
#include <string>

#include "command.h"
#include "ovut19.h"

namespace {

// Positional arguments and "-p PASSWORD"; false when the count is not `want` (or `want` + 1
// when `optional`).
bool Parse(int argc, wchar_t** argv, const wchar_t** pos, int want, bool optional, const wchar_t** password) {
  int n = 0;
  for (int i = 1; i < argc; ++i) {
    if (_wcsicmp(argv[i], L"-p") == 0 && i + 1 < argc) *password = argv[++i];
    else if (n < want + 1) pos[n++] = argv[i];
    else return false;
  }
  return n == want || (optional && n == want + 1);
}

int Embed(int argc, wchar_t** argv) {
  const wchar_t* pos[3] = {nullptr, nullptr, L"embedded.xml"};
  const wchar_t* password = nullptr;
  if (!Parse(argc, argv, pos, 2, true, &password)) {
    ovuthost::Print(L"usage: ovuthost embed FOLDER PATTERN [PROFILE] [-p PASSWORD]\n");
    return 2;
  }
  std::wstring pattern = pos[0];
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += pos[1];
  HPROFJOB job = ProfJobOpenW(nullptr);
  HPROFLIST files = ProfCreateListW(job, 0, L"Files");
  int matched = ProfAppendFilesW(job, files, pattern.c_str(), password, 0);
  int rc = ProfSaveW(job, pos[2], PROF_SAVE_XML);
  ProfJobClose(job);
  ovuthost::Print(L"%d matching file(s) from %s into %s%s (save %d)\n", matched, pattern.c_str(), pos[2],
                  password ? L", enciphered" : L"", rc);
  return rc == 0 ? 0 : 1;
}

int Extract(int argc, wchar_t** argv) {
  const wchar_t* pos[3] = {};
  const wchar_t* password = nullptr;
  if (!Parse(argc, argv, pos, 2, false, &password)) {
    ovuthost::Print(L"usage: ovuthost extract PROFILE FOLDER [-p PASSWORD]\n");
    return 2;
  }
  HPROFJOB job = ProfJobOpenW(pos[0]);
  if (ProfGetError(job) != 0) {
    ovuthost::Print(L"%s: open/load error %d\n", pos[0], ProfGetError(job));
    ProfJobClose(job);
    return 1;
  }
  HPROFLIST files = ProfGetListW(job, 0, L"Files");
  int rc = files ? ProfExtractFilesW(job, files, pos[1], password, 0) : 0;
  ProfJobClose(job);
  if (rc == -4) ovuthost::Print(L"%s cannot be created\n", pos[1]);
  else if (rc == -11) ovuthost::Print(L"the password does not fit; nothing written\n");
  else ovuthost::Print(L"%d file(s) written to %s\n", rc, pos[1]);
  return rc < 0 ? 1 : 0;
}

}  // namespace

OVUTHOST_COMMAND(embed, L"embed",
                 L"FOLDER PATTERN [PROFILE] [-p PASSWORD]  store matching files in a profile",
                 Embed);
OVUTHOST_EXAMPLE(embed, L"samples/docinfo *.eml docs.xml -p secret");
OVUTHOST_COMMAND(extract, L"extract",
                 L"PROFILE FOLDER [-p PASSWORD]  write the files a profile carries",
                 Extract);
OVUTHOST_EXAMPLE(extract, L"docs.xml restored -p secret");

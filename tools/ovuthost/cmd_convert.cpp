// Profile persistence commands: convert a stored profile between its forms, read or change one
// value by path, dump a profile's tree. "convert FILE" alone shows every form of FILE.
#include <string>

#include "command.h"
#include "ovut19.h"

namespace {

int FlagsOf(const wchar_t* form) {
  if (!lstrcmpiW(form, L"xml")) return PROF_SAVE_XML;
  if (!lstrcmpiW(form, L"ini")) return PROF_SAVE_INI;
  if (!lstrcmpiW(form, L"xfdf")) return PROF_SAVE_XFDF;
  if (!lstrcmpiW(form, L"packed")) return PROF_SAVE_XML | PROF_SAVE_PACKED;
  return -1;
}

int WINAPI PrintItem(HPROFJOB job, LPCWSTR name, LPCWSTR value, HPROFLIST list, INT_PTR depth) {
  std::wstring indent(static_cast<size_t>(depth) * 2, L' ');
  if (list) {
    ovuthost::Print(L"%s[%s]\n", indent.c_str(), name);
    ProfEnumW(job, list, PrintItem, depth + 1);
  } else {
    ovuthost::Print(L"%s%s=%s\n", indent.c_str(), name, value);
  }
  return 1;
}

HPROFJOB OpenOrSay(const wchar_t* file) {
  HPROFJOB job = ProfJobOpenW(file);
  if (job && ProfGetError(job) != 0) ovuthost::Print(L"%s: open/load error %d\n", file, ProfGetError(job));
  return job;
}

LONGLONG FileSize(const wchar_t* file) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  if (!GetFileAttributesExW(file, GetFileExInfoStandard, &a)) return -1;
  return (LONGLONG(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// Every form of one profile, each read back and compared by its XML text.
int ShowForms(const wchar_t* file) {
  HPROFJOB job = OpenOrSay(file);
  if (!job) return 1;
  ovuthost::Print(L"%s:\n", file);
  ProfEnumW(job, 0, PrintItem, 1);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  int failures = 0;
  for (const wchar_t* form : {L"xml", L"ini", L"xfdf", L"packed"}) {
    std::wstring out = std::wstring(temp) + L"ovuthost_convert." + form;
    int rc = ProfSaveW(job, out.c_str(), FlagsOf(form));
    HPROFJOB back = ProfJobOpenW(out.c_str());
    wchar_t value[64] = L"";
    // XFDF keeps no lists: nested fields come back as dotted names.
    const bool flat = !lstrcmpiW(form, L"xfdf");
    ProfGetStringW(back, 0, flat ? L"Window.Title" : L"Window/Title", value, 64, L"(none)");
    ovuthost::Print(L"  %-6s save %d, %6I64d bytes, reload error %d, %s=%s\n", form, rc,
                    FileSize(out.c_str()), ProfGetError(back), flat ? L"Window.Title" : L"Window/Title", value);
    if (rc != 0 || ProfGetError(back) != 0) ++failures;
    ProfJobClose(back);
    DeleteFileW(out.c_str());
  }
  ProfJobClose(job);
  return failures ? 1 : 0;
}

int Convert(int argc, wchar_t** argv) {
  if (argc == 2) return ShowForms(argv[1]);
  if (argc < 4 || FlagsOf(argv[3]) < 0) {
    ovuthost::Print(L"usage: convert IN [OUT xml|ini|xfdf|packed]\n");
    return 2;
  }
  HPROFJOB job = OpenOrSay(argv[1]);
  if (!job) return 1;
  int rc = ProfSaveW(job, argv[2], FlagsOf(argv[3]));
  ovuthost::Print(L"%s -> %s (%s): %d\n", argv[1], argv[2], argv[3], rc);
  ProfJobClose(job);
  return rc ? 1 : 0;
}

int Get(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HPROFJOB job = OpenOrSay(argv[1]);
  int n = ProfGetStringLengthW(job, 0, argv[2]);
  if (n < 0) {
    ovuthost::Print(L"%s: not found\n", argv[2]);
    ProfJobClose(job);
    return 1;
  }
  std::wstring value(static_cast<size_t>(n) + 1, L'\0');
  ProfGetStringW(job, 0, argv[2], &value[0], n + 1, L"");
  value.resize(static_cast<size_t>(n));
  ovuthost::Print(L"%s\n", value.c_str());
  ProfJobClose(job);
  return 0;
}

// Keeps the stored form: packed files stay packed, the text form is taken from the first bytes.
int Set(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HPROFJOB job = ProfJobOpenExclusiveW(argv[1]);
  if (ProfGetError(job) != 0) {
    ovuthost::Print(L"%s: open/load error %d\n", argv[1], ProfGetError(job));
    ProfJobClose(job);
    return 1;
  }
  ProfSetStringW(job, 0, argv[2], argv[3]);
  int flags = argc >= 5 ? FlagsOf(argv[4]) : PROF_SAVE_XML | PROF_SAVE_PACKED_IF_LOADED;
  int rc = ProfSaveW(job, nullptr, flags < 0 ? PROF_SAVE_XML : flags);
  ovuthost::Print(L"%s: %s=%s saved: %d\n", argv[1], argv[2], argv[3], rc);
  ProfJobClose(job);
  return rc ? 1 : 0;
}

int Dump(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  HPROFJOB job = OpenOrSay(argv[1]);
  ProfEnumW(job, 0, PrintItem, 0);
  ProfJobClose(job);
  return 0;
}

}  // namespace

OVUTHOST_COMMAND(convert, L"convert", L"IN [OUT xml|ini|xfdf|packed]  convert a profile (IN alone: show every form)", Convert);
OVUTHOST_COMMAND(profget, L"profget", L"FILE PATH  print one value of a stored profile", Get);
OVUTHOST_COMMAND(profset, L"profset", L"FILE PATH VALUE [xml|ini|xfdf|packed]  change one value and save", Set);
OVUTHOST_COMMAND(profdump, L"profdump", L"FILE  print the tree of a stored profile", Dump);
OVUTHOST_EXAMPLE(convert, L"samples/settings.prf settings-copy.prf ini");
OVUTHOST_EXAMPLE(profget, L"samples/settings.prf Window/Title");
OVUTHOST_EXAMPLE(profset, L"settings-copy.prf Window/Maximized 1");
OVUTHOST_EXAMPLE(profdump, L"samples/settings.prf");

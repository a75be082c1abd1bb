// ovuthost: a small host program that uses OVUT19.DLL the way applications do.
#include <cstdio>
#include <cwchar>
#include <string>

#include "command.h"

#include <shellapi.h>

namespace ovuthost {
namespace {
Command* g_commands = nullptr;
}

void Register(Command* c) {
  // Keep registration order stable (alphabetical) for the usage text.
  Command** at = &g_commands;
  while (*at && wcscmp((*at)->name, c->name) < 0) at = &(*at)->next;
  c->next = *at;
  *at = c;
}

const Command* Find(const wchar_t* name) {
  for (Command* c = g_commands; c; c = c->next)
    if (_wcsicmp(c->name, name) == 0) return c;
  return nullptr;
}

int Run(int argc, wchar_t** argv) {
  const Command* c = argc > 0 ? Find(argv[0]) : nullptr;
  return c ? c->run(argc, argv) : -1;
}

void Print(const wchar_t* format, ...) {
  wchar_t buf[8192];
  va_list a;
  va_start(a, format);
  int n = _vsnwprintf(buf, 8191, format, a);
  va_end(a);
  buf[n < 0 ? 8191 : n] = 0;
  char out[8192 * 3];
  int m = WideCharToMultiByte(CP_UTF8, 0, buf, -1, out, sizeof out, nullptr, nullptr);
  if (m > 0) fwrite(out, 1, m - 1, stdout);
}

}  // namespace ovuthost

namespace {

void PrintHelp(const ovuthost::Command* only) {
  using namespace ovuthost;
  if (!only) Print(L"usage: ovuthost COMMAND [arguments]   (ovuthost help COMMAND: one command)\n\ncommands:\n");
  for (Command* c = g_commands; c; c = c->next) {
    if (only && c != only) continue;
    Print(L"  %-10s %s\n", c->name, c->usage);
    Print(L"  %-10s example: ovuthost %s%s%s\n", L"", c->name, c->example && *c->example ? L" " : L"",
          c->example ? c->example : L"");
  }
}

// Runs every command's example in order (later examples may use what earlier ones wrote);
// the number of failures.
int RunExamples() {
  using namespace ovuthost;
  int failures = 0;
  for (Command* c = g_commands; c; c = c->next) {
    if (!c->example || !c->exampleRuns) {
      Print(c->example ? L"== %s: example not run (it ends the process)\n" : L"== %s: no example\n", c->name);
      continue;
    }
    std::wstring line = std::wstring(L"ovuthost ") + c->name + L" " + c->example;
    Print(L"== %s\n", line.c_str());
    fflush(stdout);
    int count = 0;
    wchar_t** args = CommandLineToArgvW(line.c_str(), &count);
    int rc = args && count > 1 ? Run(count - 1, args + 1) : -1;
    if (args) LocalFree(args);
    fflush(stdout);
    if (rc != 0) {
      Print(L"== %s: FAILED (%d)\n", c->name, rc);
      ++failures;
    }
  }
  Print(L"== examples: %d failed\n", failures);
  return failures;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace ovuthost;
  if (argc < 2) {
    PrintHelp(nullptr);
    return 0;
  }
  if (_wcsicmp(argv[1], L"help") == 0 || wcscmp(argv[1], L"--help") == 0 || wcscmp(argv[1], L"-h") == 0) {
    if (argc > 2 && wcscmp(argv[2], L"--run-examples") == 0) return RunExamples() ? 1 : 0;
    const Command* only = argc > 2 ? Find(argv[2]) : nullptr;
    if (argc > 2 && !only) {
      fwprintf(stderr, L"ovuthost: unknown command '%ls' (ovuthost help lists the commands)\n", argv[2]);
      return 2;
    }
    PrintHelp(only);
    return 0;
  }
  const Command* c = Find(argv[1]);
  if (!c) {
    fwprintf(stderr, L"ovuthost: unknown command '%ls' (ovuthost help lists the commands)\n", argv[1]);
    return 2;
  }
  int rc = Run(argc - 1, argv + 1);
  fflush(stdout);
  // 2: the command refused its arguments; say what it takes, whether or not it did.
  if (rc == 2) fwprintf(stderr, L"ovuthost: bad arguments; usage: ovuthost %ls %ls\n", c->name, c->usage);
  return rc;
}

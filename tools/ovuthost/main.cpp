// ovuthost: a small host program that uses OVUT19.DLL the way applications do.
#include <cstdio>
#include <cwchar>

#include "command.h"

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

int wmain(int argc, wchar_t** argv) {
  using namespace ovuthost;
  if (argc >= 2 && Find(argv[1])) {
    int rc = Run(argc - 1, argv + 1);
    fflush(stdout);
    return rc;
  }
  Print(L"usage: ovuthost COMMAND [arguments]\n\ncommands:\n");
  for (Command* c = g_commands; c; c = c->next) Print(L"  %-10s %s\n", c->name, c->usage);
  return argc >= 2 ? 2 : 0;
}
